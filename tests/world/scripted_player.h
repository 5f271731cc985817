// scripted_player: a player that gives orders by a seeded script, for whole games played with the
// world alone (the scripted soak and the seeded replays, the save file's played round trips and
// its benchmark), and the ship-adding helper those worlds share. It needs no test framework.
#pragma once

#include <random>

#include "baseutilities/baselist.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/turn.h"
#include "game/world/universe.h"
#include "game/world/world.h"

namespace motion_test {

inline Ship *AddShip(Fleet *pFleet, int type, const char *pName = "Vessel")
{
    Ship *pShip = nullptr;
    ShipCreate(&pShip, pName, pFleet->m_pOwner, type);
    FleetAddShip(pFleet, pShip);
    return pShip;
}

// A scripted player for whole games with no screens: every turn each owned planet queues at its
// Shipyard (or a Shipyard at its Colony), holds with ships are sent somewhere now and then, and
// fleets in space are ordered to a planet, a gate, another fleet or a point, an order coming on
// four draws in orderOdds. A busy player also queues more structures and keeps the first planet of
// the first system rich, its shipyard's queue full. The same seed plays the same game.
class ScriptedPlayer {
public:
    explicit ScriptedPlayer(unsigned seed = 0, int orderOdds = 20, bool bBusy = false)
        : m_choice(seed), m_orderOdds(orderOdds), m_bBusy(bBusy)
    {
    }

    void Seed(unsigned seed) { m_choice.seed(seed); }

    // One turn's orders, system by system: fleets in space first, then the planets.
    void GiveOrders(Universe *pUniverse)
    {
        for (int s = 0; s < pUniverse->m_cSystem; s++) {
            System *pSystem = pUniverse->m_ppSystem[s];
            for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
                Order((Fleet *)pNode->m_pData, pSystem);
            for (int p = 0; p < pSystem->m_cPlanet; p++)
                Play(pSystem->m_ppPlanet[p], m_bBusy && s == 0 && p == 0);
        }
    }

    // Orders and the universe update, turn by turn; 0, or the first update's failure, which stops
    // the run.
    int PlayTurns(Universe *pUniverse, int turns)
    {
        int rc = 0;
        for (int turn = 0; turn < turns && rc == 0; turn++) {
            GiveOrders(pUniverse);
            rc = UniverseUpdate(pUniverse);
        }
        return rc;
    }

private:
    int Pick(int n) { return (int)(m_choice() % (unsigned)n); }

    void Play(Planet *pPlanet, bool bRich)
    {
        Structure *pShipyard = PlanetGetShipyard(pPlanet), *pColony = PlanetGetColony(pPlanet);
        if (bRich && pShipyard && !BuildQueueIsFull(pShipyard->m_pQueue)) {
            // Just enough for the ships the queue lacks, so no silo has much to trim.
            pPlanet->m_iEnergy = pPlanet->m_iMatter = 100 * (BUILD_QUEUE_MAX - BuildQueueCount(pShipyard->m_pQueue));
            while (!BuildQueueIsFull(pShipyard->m_pQueue))
                QueueShip(pShipyard, V_TYPE_MOTHERSHIP_SIEGE);
        }
        if (pShipyard && BuildQueueCount(pShipyard->m_pQueue) < 3)
            QueueShip(pShipyard, Pick(3) ? V_TYPE_SHIP_DRONE + Pick(9) : V_TYPE_MOTHERSHIP_COLONY);
        else if (pColony && !pShipyard && !BuildQueueCount(pColony->m_pQueue))
            QueueStructure(pColony, V_TYPE_SHIPYARD);
        else if (m_bBusy && pColony && BuildQueueCount(pColony->m_pQueue) < 2 && Pick(4) == 0)
            QueueStructure(pColony, V_TYPE_HARVESTER_ENERGY + Pick(9));
        if (pPlanet->m_pFleet && pPlanet->m_pFleet->m_cShip > 0)
            Order(pPlanet->m_pFleet, pPlanet->m_pSystem);
    }

    void Order(Fleet *pFleet, System *pSystem)
    {
        int order = Pick(m_orderOdds);
        if (pFleet->m_eState == FLEET_MOVING || pFleet->m_eState == FLEET_LAUNCH || order >= 4)
            return;
        if (order == 0)
            FleetMoveToPlanet(pFleet, pSystem->m_ppPlanet[Pick(pSystem->m_cPlanet)]);
        else if (order == 1)
            FleetMoveToGate(pFleet, pSystem->m_ppGate[Pick(pSystem->m_cGate)]);
        else if (order == 2 && !ListIsEmpty(pSystem->m_pFleets))
            FleetMoveToFleet(pFleet, (Fleet *)pSystem->m_pFleets->m_pHead->m_pData);
        else
            FleetMoveToCoord(pFleet, Coord{Pick(100), Pick(100)});
    }

    std::mt19937 m_choice;
    int m_orderOdds;
    bool m_bBusy;
};

}  // namespace motion_test
