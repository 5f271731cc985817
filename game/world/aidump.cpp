#include "game/world/aidump.h"

#include <cstdio>

#include "baseutilities/baselist.h"
#include "game/world/company.h"
#include "game/world/compai.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/system.h"
#include "game/world/world.h"

struct DumpFile {
    const char *pName;
    FILE *pFile;   // open for appending from the first block to AIDumpClose
};

static DumpFile s_planetDump = {"AIPlanetDump.txt", nullptr};
static DumpFile s_fleetDump = {"AIFleetDump.txt", nullptr};

// Null when the file cannot be opened; the next block tries again.
static FILE *DumpOpen(DumpFile *pDump)
{
    if (!pDump->pFile)
        pDump->pFile = fopen(pDump->pName, "a");
    return pDump->pFile;
}

static void DumpCloseFile(DumpFile *pDump)
{
    if (pDump->pFile)
        fclose(pDump->pFile);
    pDump->pFile = nullptr;
}

void AIDumpClose(void)
{
    DumpCloseFile(&s_planetDump);
    DumpCloseFile(&s_fleetDump);
}

static const char *NameOf(const char *pName)
{
    return pName ? pName : "";
}

const char *AIDumpShipName(int type)
{
    static const char *const s_names[] = {
        "Drone", "Fast", "Atomic", "Laser", "Heavy",
        "Basic Mothership", "Colony Mothership", "Energy Mothership", "Siege Mothership",
    };
    return TypeIsShip(type) ? s_names[type - V_TYPE_SHIP_DRONE] : "";
}

void AIDumpPlanet(const Planet *pPlanet)
{
    FILE *pFile = pPlanet ? DumpOpen(&s_planetDump) : nullptr;
    if (!pFile)
        return;
    fprintf(pFile, "PLANET %s (System: %s)\nOwner: %s\nMatter: %d\nEnergy: %d\n",
            NameOf(pPlanet->m_pName), NameOf(pPlanet->m_pSystem ? pPlanet->m_pSystem->m_pName : nullptr),
            NameOf(pPlanet->m_pOwner ? pPlanet->m_pOwner->m_pName : nullptr), pPlanet->m_iMatter,
            pPlanet->m_iEnergy);
    fprintf(pFile, "Active State: %s\nLast State: %s\n", AIPlanetStateName(pPlanet->m_aiState),
            AIPlanetStateName(pPlanet->m_aiLastState));
    fputs("END PLANET\n\n", pFile);
    fflush(pFile);
}

static void DumpPlanetIn(FILE *pFile, const char *pFormat, const Planet *pPlanet)
{
    fprintf(pFile, pFormat, NameOf(pPlanet->m_pName),
            NameOf(pPlanet->m_pSystem ? pPlanet->m_pSystem->m_pName : nullptr));
}

void AIDumpFleet(const Fleet *pFleet)
{
    FILE *pFile = pFleet ? DumpOpen(&s_fleetDump) : nullptr;
    if (!pFile)
        return;
    fprintf(pFile, "FLEET - Owner: %s\nActive State: %s\nLast State: %s\nAttack Target: ",
            NameOf(pFleet->m_pOwner ? pFleet->m_pOwner->m_pName : nullptr),
            AIFleetStateName(pFleet->m_aiState), AIFleetStateName(pFleet->m_aiLastState));
    if (pFleet->m_pAttackTarget)
        DumpPlanetIn(pFile, "YES - %s in %s\n", pFleet->m_pAttackTarget);
    else
        fputs("NO\n", pFile);
    fprintf(pFile, "AI Size: %d\n", pFleet->m_aiSize);
    // With none of the three set nothing follows, and the next line continues this one.
    fputs("Location: ", pFile);
    if (pFleet->m_pHomePlanet)
        fputs("Planet\n", pFile);
    else if (pFleet->m_pSystem)
        fputs("In Transit\n", pFile);
    else if (pFleet->m_pTargetGate)
        fputs("Warpgate\n", pFile);
    if (pFleet->m_aiState == FLEET_AI_TRANSIT && pFleet->m_pTargetPlanet)
        DumpPlanetIn(pFile, "Travelling To: %s in %s\n", pFleet->m_pTargetPlanet);
    for (const ListNode *pNode = pFleet->m_pShips ? pFleet->m_pShips->m_pHead : nullptr; pNode;
         pNode = pNode->m_pNext)
        fprintf(pFile, "Ship: %s\n", AIDumpShipName(((const Ship *)pNode->m_pData)->m_eType));
    fputs("END FLEET\n\n", pFile);
    fflush(pFile);
}
