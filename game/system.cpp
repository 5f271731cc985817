#include "game/system.h"

#include <cstdlib>

#include "baseutilities/baselist.h"
#include "game/2dutils.h"
#include "game/fleet.h"
#include "game/planet.h"
#include "game/warpgate.h"

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
