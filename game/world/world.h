// world: what the whole game shares about its records: the object-type enumeration, object ids
// and the game-wide globals (the world in play, the catalogues, the program state, the map
// selection). The records themselves live in their own modules.
#pragma once

#include <cstdint>

struct Universe;
struct System;
struct Planet;
struct Ship;
struct Structure;

// Object types of ships and structures; the same values index catalogues, queues, weapons, armor.
enum {
    V_TYPE_COLONY = 6,
    V_TYPE_HARVESTER_ENERGY = 7,
    V_TYPE_HARVESTER_MATTER = 8,
    V_TYPE_SHIPYARD = 9,
    V_TYPE_STORAGE = 10,
    V_TYPE_SAT_FAST = 11,
    V_TYPE_SAT_ATOMIC = 12,
    V_TYPE_SAT_LASER = 13,
    V_TYPE_SAT_HEAVY = 14,
    V_TYPE_SAT_VAVUVUR = 15,
    V_TYPE_SHIP_DRONE = 16,
    V_TYPE_SHIP_FAST = 17,
    V_TYPE_SHIP_ATOMIC = 18,
    V_TYPE_SHIP_LASER = 19,
    V_TYPE_SHIP_HEAVY = 20,
    V_TYPE_MOTHERSHIP_BASIC = 21,
    V_TYPE_MOTHERSHIP_COLONY = 22,
    V_TYPE_MOTHERSHIP_ENERGY = 23,
    V_TYPE_MOTHERSHIP_SIEGE = 24,
};

// Program states.
enum {
    GAME_STATE_START = 0,
    GAME_STATE_PLAYING = 1,
    GAME_STATE_LOADING = 2,
    GAME_STATE_SAVING = 3,
    GAME_STATE_CREDITS = 4,
    GAME_STATE_QUIT = -1,
};

// Maps the main window shows.
enum {
    VIEW_GALAXY = 1,
    VIEW_SYSTEM = 2,
    VIEW_PLANET = 3,
};

/* Type tests: 1 or 0. */
int TypeIsStructure(int type);
int TypeIsShip(int type);

// Hands out the next object id; every system, planet, gate, fleet, ship and structure takes one.
int NewObjectId(void);

/* Game-wide state. */
extern Universe *g_pUniverse;        // the world in play; null before a game and after tear-down
extern Ship **g_ppShipInfo;          // ship catalogue: 9 templates, index type - 16
extern Structure **g_ppStructInfo;   // structure catalogue: 9 templates, index type - 7
extern int g_nextObjectId;           // next object id; 0 at program start
extern int g_gameState;              // GAME_STATE_*
extern int g_viewMode;               // VIEW_*; the galaxy at program start
extern System *g_pSelSystem;         // system shown or selected
extern Planet *g_pSelPlanet;         // planet shown or selected
