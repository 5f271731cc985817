// gamescreen: the three maps of the game screen (galaxy, system, planet) and what the player does
// on them: the per-frame redraw, selection by click, zooming, fleet orders by dragging, the
// information panel's texts for a system, a planet and a fleet, and the planet's two build entry
// points. The game loop calls GameScreenUpdate every frame and hands it clicks; the window manager
// owns the views, bars and button groups.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct Universe;
struct System;
struct Planet;
struct Warpgate;
struct Fleet;
struct Button;

/* Map state. */
extern Warpgate *g_pSelGate;          // gate selected on the system map
extern Fleet *g_pSelFleet;            // fleet selected on the system map
extern Planet *g_pDragPlanet;         // what a drag started on; at most one is set
extern Warpgate *g_pDragGate;
extern Fleet *g_pDragFleet;
extern Coord g_dragFrom, g_dragTo;    // the drag line on the system map; equal when there is none
extern int g_bDragging;               // a drag is in progress
extern uint32_t g_lastClickFrame;     // frame of the last left-button event the game loop took
extern uint32_t g_lastMapClickFrame;  // frame of the last MapClick

/* A game's screen state. */
// Forgets the selections, drags and panel list of any game before and hooks the drawing of the
// selected planet and fleet, fleets leaving play and the panel list's clicks to this module.
// GameStart calls it; the frame update renews the hooks while a game is on show.
void GameScreenReset(void);
// Frees the panels' buttons and lists and unhooks them; after the game screen is destroyed.
void GameScreenRelease(void);

/* Every frame and on clicks. */
void GameScreenUpdate(void);
void MapClick(int x, int y, int *pbDragging);
void MapDoubleClick(void);
void ZoomOut(void);
// The bar's " Zoom Out " button.
void ZoomOutButton(Button *pButton);
// Shows the galaxy where the player left it; the first time, with the player's home in the middle.
void ShowGalaxy(void);
// The side panel of the galaxy with nothing selected: the player's company, the turn, the count
// of companies.
void ShowCompanyPanel(void);
// The Home and H keys: the player's home system, centred on the home planet, from any view.
void GoHome(void);

/* Maps. */
void UniverseDraw(Universe *pUniverse);
void SystemDrawMap(System *pSystem);

/* The information panel. */
// Wraps a text in attribute 0xFF to the panel's width less two and draws it at (1, 1) of the panel.
void ShowPanelText(const char *pText);
void ClearPanel(void);
void ShowSystemPanel(System *pSystem);
void ShowPlanetPanel(Planet *pPlanet);
void ShowFleetPanel(Fleet *pFleet);

/* The planet panel's build buttons. */
void AddShipButton(Button *pButton);
void BuildStructButton(Button *pButton);
