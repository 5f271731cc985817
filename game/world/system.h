// system: a star system with its planets, warp gates and the fleets in space in it. The universe
// owns its systems; a system owns its names, surfaces, planets and gates, and frees the fleets
// left in its fleet list when it is destroyed.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct Surface;
struct List;
struct Planet;
struct Warpgate;
struct Company;

// Results of SystemCreate besides 0 and 1 (out of memory).
enum {
    SYSTEM_NO_PLANET_ARRAY = 45,
    SYSTEM_NO_ROOM = 47,   // a planet or gate could not be placed apart from the others
};

// Bits of m_bFlags.
enum {
    SYSTEM_SELECTED = 1,       // selected in the galaxy view
};

enum {
    SYSTEM_ICON_SIZE = 5,
    PLACEMENT_MARGIN = 5,        // positions keep this many cells from every edge
    PLACEMENT_MIN_DISTANCE = 5,  // placement gives up when a minimum distance falls below this
};

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
    uint8_t m_bFlags;          // SYSTEM_SELECTED
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

// Rejection sampling with minimum distances that shrink as tries are rejected; the galaxy places
// its systems this way and a system its planets and gates.
struct Placement {
    int m_colDist;   // a position closer than this in columns and ...
    int m_rowDist;   // ... closer than this in rows to a taken one is rejected
    int m_cTry;      // tries so far: every 1000th shrinks the columns, every 1000th + 500 the rows
};

/* Lifecycle. */
int SystemCreate(System **ppSystem, const char *pName, const char *pStarName, Coord size, Coord pos,
                 int type, int cPlanet, int cGate);
int SystemDestroy(System **ppSystem);

/* Placement. */
// Draws positions inside area (RandomCoord with the margin) until one lies apart from every taken
// position. 0 with *pPos set; SYSTEM_NO_ROOM when a distance fell below the minimum; 1 when
// memory ran out.
int PlaceApart(Placement *pPlacement, Coord area, const Coord *pTaken, int cTaken, Coord *pPos);

/* Queries. */
int PlanetKindForStar(int starType);   // the planet kind a star type gives its planets
