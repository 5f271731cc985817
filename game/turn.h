// turn: advancing the world by one turn without a screen. SystemUpdate is the per-system step of
// the turn cycle (fleets in space, sight, planets with their holds, gates); UniverseUpdate raises
// the turn counter and runs it for every system. The end-of-turn driver around them (the AI, the
// end-of-game tests, battles and redrawing the maps) belongs to the game screen and calls these.
#pragma once

struct Universe;
struct System;
struct Planet;
struct Button;

/* Per-turn steps. 1 for a null argument, else 0. */
int SystemUpdate(System *pSystem);
int UniverseUpdate(Universe *pUniverse);

// Sight of the fleets in space on one planet: bit 1 while a fleet sees it; a fleet that does not
// see it turns a set bit 1 into bit 2 (seen before), even after an earlier fleet saw it.
void SystemUpdateSight(System *pSystem, Planet *pPlanet);

/* The end of a turn, as the " End Turn " button runs it: the AI, the world, the end-of-game tests
   and the battles. */
void EndTurn(Button *pButton);
