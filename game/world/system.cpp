#include "game/world/system.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/core/randutils.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

// ---------------------------------------------------------------------------------------------
// Placement

int PlaceApart(Placement *pPlacement, Coord area, const Coord *pTaken, int cTaken, Coord *pPos)
{
    for (;;) {
        pPlacement->m_cTry++;
        if (pPlacement->m_cTry % 1000 == 0)
            pPlacement->m_colDist--;
        if ((pPlacement->m_cTry + 500) % 1000 == 0)
            pPlacement->m_rowDist--;
        if (pPlacement->m_colDist < PLACEMENT_MIN_DISTANCE ||
            pPlacement->m_rowDist < PLACEMENT_MIN_DISTANCE)
            return SYSTEM_NO_ROOM;
        Coord *pDrawn = RandomCoord(area.m_x, area.m_y, PLACEMENT_MARGIN);
        if (!pDrawn)
            return 1;
        Coord pos = *pDrawn;
        free(pDrawn);
        bool bApart = true;
        for (int i = 0; i < cTaken && bApart; i++) {
            bool bColClose = abs(pos.m_x - pTaken[i].m_x) < pPlacement->m_colDist;
            bool bRowClose = abs(pos.m_y - pTaken[i].m_y) < pPlacement->m_rowDist;
            bApart = !(bColClose && bRowClose);
        }
        if (bApart) {
            *pPos = pos;
            return 0;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

int PlanetKindForStar(int starType)
{
    switch (starType) {
    case STAR_ASTEROID_BELT:
        return PLANET_ROCKY;
    case STAR_BLUE:
        return PLANET_GAS_GIANT;
    default:
        return PLANET_EARTHLIKE;
    }
}

// The 5 x 5 galaxy-map icon by star type; rows top to bottom in code page 437.
static void DrawStarIcon(Surface *pIcon, int type)
{
    static const unsigned char s_solar[5][5] = {
        {0xF8, ' ', ' ', '.', ' '},
        {' ', 0xFA, ' ', ' ', 0xF9},
        {' ', '.', 'O', ' ', ' '},
        {' ', ' ', ' ', 0xF8, ' '},
        {' ', 'o', ' ', ' ', ' '},
    };
    static const char *const s_inferno[5] = {"/---\\", "|SSS|", "|SSS|", "|SSS|", "\\---/"};
    static const unsigned char s_asteroids[5] = {0xF8, 0xF9, '.', ' ', 0xFA};
    static const char *const s_blue[5] = {"\\ | /", " \\|/ ", "--O--", " /|\\ ", "/ | \\"};
    static const unsigned char s_blueAttr[5][5] = {
        {3, 3, 3, 3, 3},
        {3, 11, 11, 11, 3},
        {3, 11, 9, 11, 3},
        {3, 11, 11, 11, 3},
        {3, 3, 3, 3, 3},
    };
    FillSurface(pIcon, Cell{' ', 0});
    for (int row = 0; row < SYSTEM_ICON_SIZE; row++) {
        for (int col = 0; col < SYSTEM_ICON_SIZE; col++) {
            Cell &cell = pIcon->m_pCells[row * SYSTEM_ICON_SIZE + col];
            switch (type) {
            case STAR_SOLAR:
                cell = Cell{s_solar[row][col], 4};
                break;
            case STAR_INFERNO:
                cell = Cell{(unsigned char)s_inferno[row][col], 3};
                break;
            case STAR_ASTEROID_BELT:
                cell = Cell{s_asteroids[RandDraw() % 5], 6};
                break;
            case STAR_BLUE:
                cell = Cell{(unsigned char)s_blue[row][col], s_blueAttr[row][col]};
                break;
            default:
                break;
            }
        }
    }
}

// Makes the system with its planets and gates placed apart on its map, both surfaces and the
// icon. The names are copied. On failure *ppSystem stays null, nothing is left allocated, and the
// result is 1 (memory), SYSTEM_NO_PLANET_ARRAY or SYSTEM_NO_ROOM.
int SystemCreate(System **ppSystem, const char *pName, const char *pStarName, Coord size, Coord pos,
                 int type, int cPlanet, int cGate)
{
    *ppSystem = nullptr;
    V_ASSERT(cPlanet >= 0 && cPlanet <= INT8_MAX && cGate >= 0 && cGate <= INT8_MAX);
    System *pSystem = (System *)calloc(1, sizeof(System));
    if (!pSystem)
        return 1;
    pSystem->m_pName = strdup(pName ? pName : "");
    pSystem->m_pStarName = strdup(pStarName ? pStarName : "");
    pSystem->m_pFleets = ListCreate();
    if (!pSystem->m_pName || !pSystem->m_pStarName || !pSystem->m_pFleets) {
        SystemDestroy(&pSystem);
        return 1;
    }
    pSystem->m_size = size;
    pSystem->m_pos = pos;
    pSystem->m_eType = type;
    pSystem->m_iId = NewObjectId();

    // Planets and gates keep apart from everything placed before them; a position must also
    // leave the margin on every side of the map.
    int result = 0;
    Coord *pTaken = (Coord *)malloc(sizeof(Coord) * (size_t)(cPlanet + cGate + 1));
    pSystem->m_cPlanet = (int8_t)cPlanet;
    pSystem->m_ppPlanet = (Planet **)calloc((size_t)cPlanet + 1, sizeof(Planet *));
    if (!pTaken || !pSystem->m_ppPlanet)
        result = SYSTEM_NO_PLANET_ARRAY;
    bool bRoom = size.m_x > 2 * PLACEMENT_MARGIN && size.m_y > 2 * PLACEMENT_MARGIN;
    Placement placement = {10, 15, 0};
    for (int i = 0; result == 0 && i < cPlanet; i++) {
        result = bRoom ? PlaceApart(&placement, size, pTaken, i, &pTaken[i]) : SYSTEM_NO_ROOM;
        if (result != 0)
            break;
        char *pPlanetName = RandomName();
        if (!pPlanetName) {
            result = 1;
            break;
        }
        result = PlanetCreate(&pSystem->m_ppPlanet[i], pSystem, pPlanetName, pTaken[i],
                              PlanetKindForStar(type)) == 0 ? 0 : 1;
        free(pPlanetName);
    }

    // The gates go on with the distances the planets left; only the try count starts again.
    if (result == 0) {
        pSystem->m_cGate = (int8_t)cGate;
        pSystem->m_ppGate = (Warpgate **)calloc((size_t)cGate + 1, sizeof(Warpgate *));
        if (!pSystem->m_ppGate)
            result = 1;
    }
    placement.m_cTry = 0;
    for (int i = 0; result == 0 && i < cGate; i++) {
        Coord *pSlot = &pTaken[cPlanet + i];
        result = bRoom ? PlaceApart(&placement, size, pTaken, cPlanet + i, pSlot) : SYSTEM_NO_ROOM;
        if (result == 0 && WarpgateCreate(&pSystem->m_ppGate[i], pSystem, *pSlot) != 0)
            result = 1;
    }
    free(pTaken);

    if (result == 0) {
        pSystem->m_pMap = CreateSurface(size.m_x > 0 ? size.m_x : 1, size.m_y > 0 ? size.m_y : 1);
        pSystem->m_pIcon = CreateSurface(SYSTEM_ICON_SIZE, SYSTEM_ICON_SIZE);
        if (!pSystem->m_pMap || !pSystem->m_pIcon)
            result = 1;
    }
    if (result != 0) {
        SystemDestroy(&pSystem);
        return result;
    }
    FillSurface(pSystem->m_pMap, Cell{' ', 15});
    DrawStarIcon(pSystem->m_pIcon, type);
    *ppSystem = pSystem;
    return 0;
}

// Frees the names, the planets, the gates, the fleets still in space here, both surfaces and the
// record. Returns 1 for a null system.
int SystemDestroy(System **ppSystem)
{
    if (!ppSystem || !*ppSystem)
        return 1;
    System *pSystem = *ppSystem;
    free(pSystem->m_pStarName);
    free(pSystem->m_pName);
    if (pSystem->m_ppPlanet) {
        for (int i = 0; i < pSystem->m_cPlanet; i++)
            PlanetDestroy(&pSystem->m_ppPlanet[i]);
        free(pSystem->m_ppPlanet);
    }
    if (pSystem->m_ppGate) {
        for (int i = 0; i < pSystem->m_cGate; i++)
            WarpgateDestroy(&pSystem->m_ppGate[i]);
        free(pSystem->m_ppGate);
    }
    if (pSystem->m_pFleets) {
        while (!ListIsEmpty(pSystem->m_pFleets)) {
            Fleet *pFleet = (Fleet *)QueuePop(pSystem->m_pFleets);
            FleetDestroy(&pFleet);
        }
        ListDestroy(pSystem->m_pFleets);
    }
    DestroySurface(&pSystem->m_pMap);
    DestroySurface(&pSystem->m_pIcon);
    free(pSystem);
    *ppSystem = nullptr;
    return 0;
}
