// system: a star system with its planets, warp gates and the fleets in space in it. The universe
// owns its systems; a system owns its names, surfaces, planets and gates, and frees the fleets
// left in its fleet list when it is destroyed.
#pragma once

#include <cstdint>

#include "game/coord.h"

struct Surface;
struct List;
struct Planet;
struct Warpgate;
struct Company;

enum {
    STAR_SOLAR = 0,
    STAR_INFERNO = 1,
    STAR_ASTEROID_BELT = 2,
    STAR_BLUE = 3,
};

struct System {
    char *m_pName;             // owned copy
    char *m_pStarName;         // owned copy
    Surface *m_pMap;           // owned system map, m_size cells
    Surface *m_pIcon;          // owned 5 x 5 icon on the galaxy map
    uint8_t m_bFlags;          // bit 0: selected in the galaxy view
    Coord m_size;              // size of the system map
    Coord m_pos;               // top-left cell of the icon on the galaxy map
    int m_eType;               // STAR_*
    List *m_pFleets;           // of Fleet: the fleets in space here; owned list
    int8_t m_cPlanet;
    Planet **m_ppPlanet;       // owned
    uint8_t m_iNextGate;       // while warp links are made: next gate to give to an incoming link
    int8_t m_cGate;
    Warpgate **m_ppGate;       // owned
    Company *m_pOwner;         // shown in the system panel; null for none
    int8_t m_iOwnerNum;        // kept with m_pOwner for the save file
    int m_iId;
    int m_aiState;             // 0 (IDLE), never changed
    int m_aiLastState;
    int m_bSearched;           // mark of the AI route search
    System *m_pSearchParent;   // back-link of the AI route search
};

/* Lifecycle. */
int SystemCreate(System **ppSystem, const char *pName, const char *pStarName, Coord size, Coord pos,
                 int type, int cPlanet, int cGate);
int SystemDestroy(System **ppSystem);
