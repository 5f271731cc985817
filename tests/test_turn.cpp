// The turn without a screen: the per-system step (fleets, sight, planets with their holds, gates),
// the universe step, and whole generated galaxies run for a thousand turns with fleets ordered
// around, checked for consistency every turn and torn down without leaks.
#include <random>
#include <set>
#include <vector>

#include "game/structure.h"
#include "game/turn.h"
#include "tests/motion_world.h"

namespace motion_test {
namespace {

using Turns = World;

TEST_F(Turns, AFleetWarpingIntoASystemLaterInTheTurnIsUpdatedOnlyOnce)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    Gate(0, 0)->m_bActive = 1;
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_eState = FLEET_WARP;
    EXPECT_EQ(UniverseUpdate(g_pUniverse), 0);
    EXPECT_TRUE(pFleet->m_pSystem == SystemAt(1) && pFleet->m_iEnergy == 1 - 100);
    UniverseUpdate(g_pUniverse);
    EXPECT_TRUE(pFleet->m_iEnergy == 1 - 200 && g_pUniverse->m_iTurn == 2);
}

// A planet within a fleet's sight of 20 is known (flag 2); out of sight on a later turn, flag 2
// becomes flag 4. Exactly 20 away is out of sight.
TEST_F(Turns, FleetsInSightMarkPlanetsKnownAndLeavingSightShadesThem)
{
    Planet *pFar = PlanetAt(0, 2);  // (60, 60)
    Fleet *pScout = SpaceFleet(0, 0, Coord{60, 41}, {V_TYPE_SHIP_DRONE});
    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pFar->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_KNOWN);
    pScout->m_pos = Coord{60, 40};
    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pFar->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_SHADED);
}

TEST_F(Turns, FleetsLeavingTheListDuringTheWalkLetEveryOtherFleetMoveOnce)
{
    // The first fleet merges into the third on this step and is released; the second warps to
    // the other system; the fourth is moving. Each of the others takes exactly one step.
    Fleet *pMerger = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    Fleet *pWarper = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    Fleet *pHost = SpaceFleet(0, 0, Coord{30, 34}, {V_TYPE_SHIP_FAST});
    Fleet *pMover = SpaceFleet(0, 0, Coord{40, 70}, {V_TYPE_SHIP_FAST});
    FleetMoveToFleet(pMerger, pHost);
    pWarper->m_pTargetGate = Gate(0, 0);
    pWarper->m_eState = FLEET_WARP;
    FleetMoveToCoord(pMover, Coord{40, 90});
    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pHost->m_cShip, 2);
    EXPECT_EQ(pHost->m_iEnergy, 1 - 200);  // its upkeep counts the drone that just joined
    EXPECT_EQ(pWarper->m_pSystem, SystemAt(1));
    EXPECT_EQ(pMover->m_pos.m_y, 74);
    EXPECT_TRUE(SystemAt(0)->m_pFleets->m_cItem == 2 && SystemAt(1)->m_pFleets->m_cItem == 1);
}

// ---------------------------------------------------------------------------------------------
// A thousand turns of generated galaxies.

// Every fleet is held by exactly one holder and knows it, every ship by exactly one fleet, every
// owned planet has a hold, and whatever points at a fleet points at one still in play.
void CheckWorld(Universe *pUniverse)
{
    std::set<Fleet *> fleets;
    std::vector<Fleet *> pointed;
    auto check = [&](Fleet *pFleet, System *pSystem, Planet *pHome) {
        ASSERT_TRUE(fleets.insert(pFleet).second) << "a fleet with two holders";
        ASSERT_TRUE(pFleet->m_pSystem == pSystem && (!pHome || pFleet->m_pHomePlanet == pHome));
        ASSERT_EQ(pFleet->m_cShip, pFleet->m_pShips->m_cItem);
        for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
            ASSERT_EQ(((Ship *)pNode->m_pData)->m_pFleet, pFleet);
        pointed.push_back(pFleet->m_pTargetFleet);
    };
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            check((Fleet *)pNode->m_pData, pSystem, nullptr);
        for (int p = 0; p < pSystem->m_cPlanet; p++) {
            Planet *pPlanet = pSystem->m_ppPlanet[p];
            ASSERT_TRUE(!pPlanet->m_pOwner || pPlanet->m_pFleet) << "an owned planet without a hold";
            if (pPlanet->m_pFleet)
                check(pPlanet->m_pFleet, nullptr, pPlanet);
        }
        for (int g = 0; g < pSystem->m_cGate; g++)
            pointed.push_back(pSystem->m_ppGate[g]->m_pTransitFleet);
    }
    for (Fleet *pFleet : pointed)
        ASSERT_TRUE(!pFleet || fleets.count(pFleet)) << "a pointer at a fleet out of play";
}

// The hand-made world of the other tests is not used: each run generates its own galaxy.
class Soak : public World, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override { ASSERT_TRUE(ShipCatalogueCreate() == 0 && StructCatalogueCreate() == 0); }
    void TearDown() override
    {
        World::TearDown();
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
    }

    int Pick(int n) { return (int)(m_choice() % (unsigned)n); }
    int ShipType(int colonyOdds) { return Pick(colonyOdds) ? V_TYPE_SHIP_DRONE + Pick(9) : V_TYPE_MOTHERSHIP_COLONY; }

    // Some order for a fleet in the system: a planet, a gate, the system's first fleet or a point.
    void GiveOrder(Fleet *pFleet, System *pSystem)
    {
        int choice = Pick(4);
        if (choice == 0)
            FleetMoveToPlanet(pFleet, pSystem->m_ppPlanet[Pick(pSystem->m_cPlanet)]);
        else if (choice == 1)
            FleetMoveToGate(pFleet, pSystem->m_ppGate[Pick(pSystem->m_cGate)]);
        else if (choice == 2 && !ListIsEmpty(pSystem->m_pFleets))
            FleetMoveToFleet(pFleet, (Fleet *)pSystem->m_pFleets->m_pHead->m_pData);
        else
            FleetMoveToCoord(pFleet, Coord{Pick(100), Pick(100)});
    }

    std::mt19937 m_choice;
};

TEST_P(Soak, AThousandTurnsOfOrdersKeepTheWorldWholeAndTearDownClean)
{
    RandSeed(GetParam());
    m_choice.seed(GetParam());
    int companies = RandInt(4) + 2;
    ASSERT_EQ(UniverseCreate(&g_pUniverse, RandInt(10) + 5, companies), 0);
    static int s_released;
    s_released = 0;
    FleetSetReleaseListener([](Fleet *) { s_released++; });
    FleetSetEncounterHandler(GetParam() % 2 ? LoseFirstShipsAndReturn : nullptr);  // half the runs
    for (int turn = 0; turn < 1000 && !HasFatalFailure(); turn++) {
        // Owned planets build a Shipyard first, then queue ships there while they can pay; every
        // fifth turn ships also appear in some holds, colony ships among them, so that fleets grow
        // faster than the stores alone would allow. Holds with ships and waiting fleets get orders
        // now and then.
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            System *pSystem = g_pUniverse->m_ppSystem[s];
            for (int p = 0; p < pSystem->m_cPlanet; p++) {
                Planet *pPlanet = pSystem->m_ppPlanet[p];
                Structure *pShipyard = PlanetGetShipyard(pPlanet), *pColony = PlanetGetColony(pPlanet);
                if (pPlanet->m_pOwner && turn % 5 == 0 && Pick(3) == 0)
                    AddShip(pPlanet->m_pFleet, ShipType(5));
                if (pShipyard && BuildQueueCount(pShipyard->m_pQueue) < 3)
                    QueueShip(pShipyard, ShipType(3));
                else if (!pShipyard && pColony && !BuildQueueCount(pColony->m_pQueue) && PlanetCanAddStructure(pPlanet))
                    QueueStructure(pColony, V_TYPE_SHIPYARD);
                if (pPlanet->m_pFleet && pPlanet->m_pFleet->m_cShip > 0 && Pick(4) == 0)
                    GiveOrder(pPlanet->m_pFleet, pSystem);
            }
            for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
                Fleet *pFleet = (Fleet *)pNode->m_pData;
                if (pFleet->m_eState != FLEET_MOVING && pFleet->m_eState != FLEET_LAUNCH && Pick(6) == 0)
                    GiveOrder(pFleet, pSystem);
            }
        }
        ASSERT_EQ(UniverseUpdate(g_pUniverse), 0);
        CheckWorld(g_pUniverse);
        MessagesClear();
    }
    ASSERT_EQ(g_pUniverse->m_iTurn, 1000);
    // The orders did make things happen: fleets merged, docked or disbanded, colonies were
    // founded, shipyards delivered ships.
    int colonies = 0, offense = 0;
    for (int c = 0; c < companies; c++) {
        colonies += g_pUniverse->m_ppCompany[c]->m_cColony;
        offense += g_pUniverse->m_ppCompany[c]->m_offenseScore;
    }
    EXPECT_TRUE(s_released > 0 && colonies > companies && offense > 0)
        << s_released << " released, " << colonies << " colonies, " << offense << " ships built";
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::Values(1u, 2u, 3u, 1234u, 99999u));

}  // namespace
}  // namespace motion_test
