#include "game/world/planet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/core/messagelog.h"
#include "game/world/moon.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/world.h"

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

// Recolours every cell of an icon: the owner's colour as background, the given foreground.
static void TintIcon(Surface *pIcon, unsigned char attr)
{
    if (!pIcon)
        return;
    for (int i = 0; i < pIcon->m_nWidth * pIcon->m_nHeight; i++)
        pIcon->m_pCells[i].m_attr = attr;
}

int PlanetColonize(Planet *planet, Company *company)
{
    V_ASSERT(planet != NULL);
    V_ASSERT(company != NULL);
    planet->m_pOwner = company;
    planet->m_iOwnerNum = company->m_iNum;
    planet->m_aiState = PLANET_AI_NEW_COLONY;  // set directly: the old state is not kept
    planet->m_aiLastState = PLANET_AI_IDLE;
    TintIcon(planet->m_pIcon, (unsigned char)(company->m_color | 2));
    if (planet->m_pSystem)
        TintIcon(planet->m_pSystem->m_pIcon, (unsigned char)(company->m_color | 4));

    int result = 0;
    if (planet->m_cStructure < planet->m_nStructureMax &&
        StructureCreate(&planet->m_ppStructure[planet->m_cStructure], planet, V_TYPE_COLONY) == 0)
        planet->m_cStructure++;
    else
        result = 1;
    // A planet that already keeps a hold keeps it; a second one would be lost.
    if (!planet->m_pFleet)
        FleetCreate(&planet->m_pFleet, planet);
    planet->m_bFlags |= PLANET_KNOWN;
    company->m_cColony++;
    return result;
}

int PlanetIsOwnedBy(const Planet *pPlanet, const Company *pCompany)
{
    return pPlanet && pPlanet->m_pOwner && pPlanet->m_pOwner == pCompany ? 1 : 0;
}

static bool IsStanding(const Structure *pStructure, int type)
{
    return pStructure && pStructure->m_eType == type && !pStructure->m_bDestroyed;
}

// A structure destroyed in battle is freed at the planet's next update and takes whatever was
// queued at it along, so it is never the one to build at.
Structure *PlanetStandingStructure(const Planet *pPlanet, int type)
{
    Structure *pFound = nullptr;
    for (int i = 0; pPlanet && i < pPlanet->m_cStructure; i++) {
        if (IsStanding(pPlanet->m_ppStructure[i], type))
            pFound = pPlanet->m_ppStructure[i];
    }
    return pFound;
}

Structure *PlanetGetColony(const Planet *pPlanet)
{
    return PlanetStandingStructure(pPlanet, V_TYPE_COLONY);
}

Structure *PlanetGetShipyard(const Planet *pPlanet)
{
    return PlanetStandingStructure(pPlanet, V_TYPE_SHIPYARD);
}

int PlanetHasStructure(const Planet *pPlanet, int type)
{
    return PlanetStandingStructure(pPlanet, type) ? 1 : 0;
}

int CountExistingStructures(const Planet *pPlanet, int type)
{
    int count = 0;
    for (int i = 0; pPlanet && i < pPlanet->m_cStructure; i++)
        count += IsStanding(pPlanet->m_ppStructure[i], type) ? 1 : 0;
    return count;
}

int CountShipsInHold(const Planet *pPlanet, int type)
{
    if (!pPlanet || !pPlanet->m_pFleet || !pPlanet->m_pFleet->m_pShips)
        return 0;
    int count = 0;
    for (ListNode *pNode = pPlanet->m_pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        const Ship *pShip = (const Ship *)pNode->m_pData;
        if (pShip && pShip->m_eType == type)
            count++;
    }
    return count;
}

// Every structure queued at any of the planet's colonies will take a slot of the array when it
// is finished, so the build dialogs count those as taken already.
int PlanetCanAddStructure(const Planet *pPlanet)
{
    if (!pPlanet)
        return 0;
    int taken = pPlanet->m_cStructure;
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        const Structure *pStructure = pPlanet->m_ppStructure[i];
        if (!pStructure || pStructure->m_eType != V_TYPE_COLONY || !pStructure->m_pQueue)
            continue;
        for (const BuildNode *pNode = pStructure->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
            taken++;
    }
    return taken < pPlanet->m_nStructureMax ? 1 : 0;
}

int PlanetRemoveStructure(Planet *pPlanet, Structure *pStructure)
{
    if (!pPlanet || !pStructure)
        return 1;
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        if (pPlanet->m_ppStructure[i] != pStructure)
            continue;
        for (int j = i; j + 1 < pPlanet->m_cStructure; j++)
            pPlanet->m_ppStructure[j] = pPlanet->m_ppStructure[j + 1];
        pPlanet->m_cStructure--;
        pPlanet->m_ppStructure[pPlanet->m_cStructure] = nullptr;
        return 0;
    }
    return 1;
}

// The order of the structure array is the order of effects: a Storage Silo early in the array caps
// the stores before harvesters later in it add to them. The count is read again at every step, so
// a structure finished this turn is updated this turn too.
int PlanetUpdate(Planet *pPlanet)
{
    if (!pPlanet)
        return 1;
    if (pPlanet->m_pOwner && g_pUniverse && g_pUniverse->m_cCompany > 0 &&
        g_pUniverse->m_ppCompany && pPlanet->m_pOwner == g_pUniverse->m_ppCompany[0])
        pPlanet->m_bFlags |= PLANET_KNOWN;
    for (int i = 0; i < pPlanet->m_cMoon; i++)
        MoonUpdate(pPlanet->m_ppMoon[i]);
    int i = 0;
    while (i < pPlanet->m_cStructure) {
        // A structure freed by its own update has closed its gap: the next one is now at index i.
        if (StructureUpdate(pPlanet->m_ppStructure[i]) != STRUCTURE_REMOVED)
            i++;
    }
    if (pPlanet->m_pFleet)
        FleetUpdate(pPlanet->m_pFleet);
    // A hold that launched this turn has left; the owner gets a new, empty one at once.
    if (pPlanet->m_pOwner && !pPlanet->m_pFleet)
        FleetCreate(&pPlanet->m_pFleet, pPlanet);
    PlanetDrawSurface(pPlanet);
    return 0;
}

// Every structure sits at the same place, in array order, with the hold's ships in a diagonal of
// 'F's from the top left. The surface is cleared first, so ships that left leave no trace.
void PlanetDrawSurface(Planet *pPlanet)
{
    if (!pPlanet || !pPlanet->m_pSurface)
        return;
    FillSurface(pPlanet->m_pSurface, Cell{' ', 15});
    for (int i = 0; i < pPlanet->m_cStructure; i++)
        StructureDraw(pPlanet->m_ppStructure[i], pPlanet->m_pSurface);
    if (!pPlanet->m_pFleet)
        return;
    Surface *pMark = CreateSurface(1, 1);
    pMark->m_pCells[0] = Cell{'F', (unsigned char)(pPlanet->m_pOwner ? pPlanet->m_pOwner->m_color : 128)};
    int cShip = pPlanet->m_pFleet->m_pShips ? pPlanet->m_pFleet->m_pShips->m_cItem : 0;
    for (int k = 0; k < cShip; k++) {
        // Marks beyond the surface's edge would be clipped anyway.
        if (1 + k >= pPlanet->m_pSurface->m_nWidth || 1 + k >= pPlanet->m_pSurface->m_nHeight)
            break;
        Coord pos = {1 + k, 1 + k};
        BlitSurface(&pos, pPlanet->m_pSurface, pMark, nullptr);
    }
    DestroySurface(&pMark);
}

static PlanetSelectedDisplay s_pfnSelectedDisplay = nullptr;

void PlanetSetSelectedDisplay(PlanetSelectedDisplay pfnDisplay)
{
    s_pfnSelectedDisplay = pfnDisplay;
}

// Known planets show their icon, planets seen before show it shaded, the selected one inverted;
// a hold with ships shows the fleet's star over the planet.
void PlanetDraw(Planet *pPlanet, Surface *pTarget)
{
    if (!pPlanet || !pTarget || !pPlanet->m_pIcon)
        return;
    Coord pos = pPlanet->m_pos;
    if (pPlanet->m_bFlags & PLANET_KNOWN) {
        BlitSurface(&pos, pTarget, pPlanet->m_pIcon, nullptr);
    } else if (pPlanet->m_bFlags & PLANET_SHADED) {
        BlitSurface(&pos, pTarget, pPlanet->m_pIcon, nullptr);
        Surface *pShade = CreateSurface(3, 3);
        FillSurface(pShade, Cell{176, 8});
        BlitSurface(&pos, pTarget, pShade, nullptr);
        DestroySurface(&pShade);
    }
    if (pPlanet->m_bFlags & PLANET_SELECTED) {
        InvertSurfaceRect(pPlanet->m_pIcon, 0, 0, 2, 2);
        BlitSurface(&pos, pTarget, pPlanet->m_pIcon, nullptr);
        InvertSurfaceRect(pPlanet->m_pIcon, 0, 0, 2, 2);
        if (s_pfnSelectedDisplay)
            s_pfnSelectedDisplay(pPlanet);
    }
    Fleet *pFleet = pPlanet->m_pFleet;
    if (pFleet && pFleet->m_pShips && !ListIsEmpty(pFleet->m_pShips) && pFleet->m_pSprite)
        BlitSurface(&pos, pTarget, pFleet->m_pSprite, nullptr);
}

/* Queueing within the planet's limits. */

// Refusals go to the log in the owner's colour, so the player hears of their own and the
// computer companies' refusals look like the rest of their messages.
static void TellOwner(const char *pFormat, const Planet *pPlanet)
{
    char buffer[256];
    snprintf(buffer, sizeof buffer, pFormat, pPlanet && pPlanet->m_pName ? pPlanet->m_pName : "");
    AddMessage(buffer, CompanyMessageAttr(pPlanet ? pPlanet->m_pOwner : nullptr));
}

int PlanetQueueShips(Planet *pPlanet, int type)
{
    if (!pPlanet)
        return 0;
    int queued = 0;
    bool bShipyard = false;
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        Structure *pStructure = pPlanet->m_ppStructure[i];
        if (!IsStanding(pStructure, V_TYPE_SHIPYARD))
            continue;
        bShipyard = true;
        if (BuildQueueIsFull(pStructure->m_pQueue)) {
            TellOwner("The Shipyard queue at %s is full.", pPlanet);
            continue;
        }
        if (QueueShip(pStructure, type) == 0)
            queued++;
    }
    if (!bShipyard)
        TellOwner("There is no Shipyard on %s to build ships.", pPlanet);
    return queued;
}

int PlanetCanBuildStructures(Planet *pPlanet)
{
    if (!pPlanet)
        return 0;
    if (PlanetGetColony(pPlanet))
        return 1;
    TellOwner("There is no Colony on %s to build structures.", pPlanet);
    return 0;
}

int PlanetQueueStructure(Planet *pPlanet, int type)
{
    if (!PlanetCanBuildStructures(pPlanet))
        return 1;
    Structure *pColony = PlanetGetColony(pPlanet);
    if (BuildQueueIsFull(pColony->m_pQueue)) {
        TellOwner("The Colony queue at %s is full.", pPlanet);
        return 1;
    }
    if (!PlanetCanAddStructure(pPlanet)) {
        TellOwner("There is no room for more structures on %s.", pPlanet);
        return 1;
    }
    return QueueStructure(pColony, type);
}
