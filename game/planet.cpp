#include "game/planet.h"

#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/2dutils.h"
#include "game/fleet.h"
#include "game/moon.h"
#include "game/structure.h"
#include "game/world.h"

enum {
    PLANET_SURFACE_WIDTH = 60,
    PLANET_SURFACE_HEIGHT = 30,
};

// The 3 x 3 icon: a ring around a letter for the kind ('M' rocky, blank earth-like, 'E' gas giant).
static Surface *MakePlanetIcon(int kind)
{
    static const char s_centre[3] = {'M', ' ', 'E'};
    static const char *const s_rows[3] = {"/-\\", "|c|", "\\-/"};
    Surface *pIcon = CreateSurface(3, 3);
    unsigned char attr = kind == PLANET_ROCKY ? 8 : kind == PLANET_EARTHLIKE ? 2 : 15;
    for (int row = 0; row < 3; row++) {
        for (int col = 0; col < 3; col++)
            pIcon->m_pCells[row * 3 + col] = Cell{(unsigned char)s_rows[row][col], attr};
    }
    Cell &centre = pIcon->m_pCells[4];
    centre.m_ch = (unsigned char)(kind >= 0 && kind <= 2 ? s_centre[kind] : ' ');
    if (kind == PLANET_GAS_GIANT)
        centre.m_attr = 14;
    return pIcon;
}

// An unowned planet with full stores, no moons, no structures and no fleet. The name is copied.
int PlanetCreate(Planet **ppPlanet, System *pSystem, const char *pName, Coord pos, int kind)
{
    *ppPlanet = nullptr;
    Planet *pPlanet = (Planet *)calloc(1, sizeof(Planet));
    if (!pPlanet)
        return 1;
    pPlanet->m_nStructureMax = STRUCTURE_MAX;
    pPlanet->m_ppStructure = (Structure **)calloc(STRUCTURE_MAX, sizeof(Structure *));
    pPlanet->m_pName = strdup(pName ? pName : "");
    if (!pPlanet->m_ppStructure || !pPlanet->m_pName) {
        free(pPlanet->m_ppStructure);
        free(pPlanet->m_pName);
        free(pPlanet);
        return 3;
    }
    pPlanet->m_pSystem = pSystem;
    pPlanet->m_pos = pos;
    pPlanet->m_eKind = kind;
    pPlanet->m_iMatter = 1000;
    pPlanet->m_iEnergy = 1000;
    pPlanet->m_iSpare = 2;
    pPlanet->m_pSurface = CreateSurface(PLANET_SURFACE_WIDTH, PLANET_SURFACE_HEIGHT);
    FillSurface(pPlanet->m_pSurface, Cell{' ', 15});
    pPlanet->m_pIcon = MakePlanetIcon(kind);
    pPlanet->m_iId = NewObjectId();
    *ppPlanet = pPlanet;
    return 0;
}

// Frees everything the planet owns: name, moons, structures, its hold and both surfaces.
// Returns 2 for a null planet.
int PlanetDestroy(Planet **ppPlanet)
{
    if (!ppPlanet || !*ppPlanet)
        return 2;
    Planet *pPlanet = *ppPlanet;
    for (int i = 0; i < pPlanet->m_cMoon; i++)
        MoonDestroy(&pPlanet->m_ppMoon[i]);
    free(pPlanet->m_ppMoon);
    for (int i = 0; i < pPlanet->m_cStructure; i++)
        StructureDestroy(&pPlanet->m_ppStructure[i]);
    free(pPlanet->m_ppStructure);
    FleetDestroy(&pPlanet->m_pFleet);
    DestroySurface(&pPlanet->m_pSurface);
    DestroySurface(&pPlanet->m_pIcon);
    free(pPlanet->m_pName);
    free(pPlanet);
    *ppPlanet = nullptr;
    return 0;
}
