#include "game/fleet.h"

#include <cstdlib>

#include "baseutilities/baselist.h"
#include "game/2dutils.h"
#include "game/company.h"
#include "game/planet.h"
#include "game/ship.h"
#include "game/world.h"

// An empty fleet at its home planet, owned as the planet is, with no target and no system.
int FleetCreate(Fleet **ppFleet, Planet *pPlanet)
{
    *ppFleet = nullptr;
    Fleet *pFleet = (Fleet *)calloc(1, sizeof(Fleet));
    if (!pFleet)
        return 1;
    pFleet->m_pShips = ListCreate();
    if (!pFleet->m_pShips) {
        free(pFleet);
        return 1;
    }
    pFleet->m_pHomePlanet = pPlanet;
    if (pPlanet && pPlanet->m_pOwner) {
        pFleet->m_pOwner = pPlanet->m_pOwner;
        pFleet->m_iOwnerNum = pPlanet->m_pOwner->m_iNum;
    }
    pFleet->m_iSight = 20;
    pFleet->m_iEnergy = 1;
    pFleet->m_iMatter = 1;
    pFleet->m_eState = FLEET_IDLE;
    pFleet->m_cStranded = -1;
    pFleet->m_pSprite = CreateSurface(1, 1);
    pFleet->m_pSprite->m_pCells[0] = Cell{'*', 0xCB};
    pFleet->m_iId = NewObjectId();
    *ppFleet = pFleet;
    return 0;
}

void FleetDestroy(Fleet **ppFleet)
{
    if (!ppFleet || !*ppFleet)
        return;
    Fleet *pFleet = *ppFleet;
    while (!ListIsEmpty(pFleet->m_pShips)) {
        Ship *pShip = (Ship *)QueuePop(pFleet->m_pShips);
        ShipDestroy(&pShip);
    }
    ListDestroy(pFleet->m_pShips);
    if (pFleet->m_pRoute)
        ListDestroy(pFleet->m_pRoute);
    DestroySurface(&pFleet->m_pSprite);
    free(pFleet);
    *ppFleet = nullptr;
}
