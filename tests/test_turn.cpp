// The turn without a screen: the per-system step (fleets, sight, planets with their holds, gates),
// the universe step, and whole generated galaxies run for a thousand turns with fleets ordered
// around, checked for consistency every turn and torn down without leaks.
#include <random>
#include <set>
#include <vector>

#include "game/armor.h"
#include "game/structure.h"
#include "game/turn.h"
#include "tests/motion_world.h"

namespace motion_test {
namespace {

using Turns = World;

TEST_F(Turns, UpdatesOfNothingReportIt)
{
    EXPECT_EQ(SystemUpdate(nullptr), 1);
    EXPECT_EQ(UniverseUpdate(nullptr), 1);
}

TEST_F(Turns, UniverseUpdateCountsTheTurnAndRunsEverySystem)
{
    Fleet *pFleet0 = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_FAST});
    Fleet *pFleet1 = SpaceFleet(1, 0, Coord{40, 40}, {V_TYPE_SHIP_FAST});
    pFleet1->m_pOwner = Player();
    EXPECT_EQ(UniverseUpdate(g_pUniverse), 0);
    EXPECT_EQ(UniverseUpdate(g_pUniverse), 0);
    EXPECT_EQ(g_pUniverse->m_iTurn, 2);
    EXPECT_EQ(pFleet0->m_iEnergy, 1 - 200);
    EXPECT_EQ(pFleet1->m_iEnergy, 1 - 200);
}

TEST_F(Turns, AFleetWarpingIntoASystemLaterInTheTurnIsUpdatedOnlyOnce)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    Gate(0, 0)->m_bActive = 1;
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_eState = FLEET_WARP;
    UniverseUpdate(g_pUniverse);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(1));
    EXPECT_EQ(pFleet->m_iEnergy, 1 - 100);
    UniverseUpdate(g_pUniverse);
    EXPECT_EQ(pFleet->m_iEnergy, 1 - 200);
}

TEST_F(Turns, FleetsInSightMarkPlanetsKnownAndLeavingSightShadesThem)
{
    Planet *pFar = PlanetAt(0, 2);   // (60, 60)
    EXPECT_EQ(pFar->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), 0);
    Fleet *pScout = SpaceFleet(0, 0, Coord{60, 41}, {V_TYPE_SHIP_DRONE});   // 19 away
    SystemUpdate(SystemAt(0));
    EXPECT_TRUE(pFar->m_bFlags & PLANET_KNOWN);
    EXPECT_FALSE(pFar->m_bFlags & PLANET_SHADED);

    FleetMoveToCoord(pScout, Coord{60, 20});   // 40 away after one step of 10 ... and more
    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pScout->m_pos.m_y, 31);   // 29 away: out of sight
    EXPECT_FALSE(pFar->m_bFlags & PLANET_KNOWN);
    EXPECT_TRUE(pFar->m_bFlags & PLANET_SHADED);

    // Exactly 20 away is not in sight: the sight must exceed the distance.
    pScout->m_eState = FLEET_IDLE;
    pScout->m_pos = Coord{60, 40};
    SystemUpdate(SystemAt(0));
    EXPECT_FALSE(pFar->m_bFlags & PLANET_KNOWN);
}

TEST_F(Turns, AFleetThatCannotSeeAPlanetUndoesWhatAnEarlierFleetSaw)
{
    Planet *pFar = PlanetAt(0, 2);   // (60, 60)
    Fleet *pNear = SpaceFleet(0, 0, Coord{60, 55}, {V_TYPE_SHIP_DRONE});
    SpaceFleet(0, 0, Coord{5, 90}, {V_TYPE_SHIP_DRONE});
    SystemUpdateSight(SystemAt(0), pFar);
    EXPECT_FALSE(pFar->m_bFlags & PLANET_KNOWN);
    EXPECT_TRUE(pFar->m_bFlags & PLANET_SHADED);

    // With the seeing fleet last in the list, the planet stays known.
    ListRemove(SystemAt(0)->m_pFleets, pNear);
    ListAppend(SystemAt(0)->m_pFleets, pNear);
    SystemUpdateSight(SystemAt(0), pFar);
    EXPECT_TRUE(pFar->m_bFlags & PLANET_KNOWN);
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
    FleetMoveToGate(pWarper, Gate(0, 0));
    FleetUpdate(pWarper);   // at the gate now
    FleetMoveToCoord(pMover, Coord{40, 90});
    FleetUpdate(pMover);
    ASSERT_EQ(pWarper->m_eState, FLEET_WARP);

    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pHost->m_cShip, 2);
    EXPECT_EQ(pHost->m_iEnergy, 1 - 200);   // its upkeep counts the drone that just joined
    EXPECT_EQ(pWarper->m_pSystem, SystemAt(1));
    EXPECT_EQ(pMover->m_pos.m_y, 78);
    EXPECT_EQ(SystemAt(0)->m_pFleets->m_cItem, 2);
    EXPECT_EQ(SystemAt(1)->m_pFleets->m_cItem, 1);
}

TEST_F(Turns, OrderedHoldLaunchesDuringThePlanetStepAndThePlanetGetsAnEmptyHold)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pHold = pHome->m_pFleet;
    AddShip(pHold, V_TYPE_SHIP_DRONE);
    FleetMoveToPlanet(pHold, PlanetAt(0, 1));
    SystemUpdate(SystemAt(0));
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pHold));
    EXPECT_EQ(pHold->m_pos.m_x, 10);
    ASSERT_NE(pHome->m_pFleet, nullptr);
    EXPECT_NE(pHome->m_pFleet, pHold);
    EXPECT_EQ(pHome->m_pFleet->m_cShip, 0);

    // Next turn it is one of the fleets in space and moves in the fleet step.
    SystemUpdate(SystemAt(0));
    EXPECT_EQ(pHold->m_pos.m_x, 20);
}

TEST_F(Turns, GatesTickAfterThePlanetsSoAPassageIsReportedTheTurnItEnds)
{
    Fleet *pFleet = SpaceFleet(1, 0, Coord{10, 10}, {V_TYPE_SHIP_FAST});
    pFleet->m_pOwner = Player();
    pFleet->m_pTargetGate = Gate(1, 0);
    pFleet->m_eState = FLEET_WARP;
    // System 0 runs first: the fleet is not there yet. System 1 sends it to system 0's gate 0,
    // which ticks on the next turn.
    UniverseUpdate(g_pUniverse);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(0));
    EXPECT_EQ(CountMessages("Fleet exited warp gate."), 0);
    UniverseUpdate(g_pUniverse);
    EXPECT_EQ(CountMessages("Fleet exited warp gate."), 1);
}

// ---------------------------------------------------------------------------------------------
// A thousand turns of generated galaxies.

// Every fleet is held by exactly one holder and knows it; every ship by exactly one fleet.
void CheckWorld(Universe *pUniverse)
{
    std::set<Fleet *> fleets;
    auto checkFleet = [&](Fleet *pFleet) {
        ASSERT_TRUE(fleets.insert(pFleet).second) << "a fleet with two holders";
        ASSERT_EQ(pFleet->m_cShip, pFleet->m_pShips->m_cItem);
        for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
            ASSERT_EQ(((Ship *)pNode->m_pData)->m_pFleet, pFleet);
    };
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
            Fleet *pFleet = (Fleet *)pNode->m_pData;
            ASSERT_EQ(pFleet->m_pSystem, pSystem);
            ASSERT_FALSE(FleetIsHold(pFleet));
            checkFleet(pFleet);
        }
        for (int p = 0; p < pSystem->m_cPlanet; p++) {
            Planet *pPlanet = pSystem->m_ppPlanet[p];
            ASSERT_TRUE(!pPlanet->m_pOwner || pPlanet->m_pFleet) << "an owned planet without a hold";
            if (!pPlanet->m_pFleet)
                continue;
            ASSERT_EQ(pPlanet->m_pFleet->m_pSystem, nullptr);
            ASSERT_EQ(pPlanet->m_pFleet->m_pHomePlanet, pPlanet);
            checkFleet(pPlanet->m_pFleet);
        }
    }
    // Whatever points at a fleet points at one still in play.
    for (Fleet *pFleet : fleets) {
        ASSERT_TRUE(!pFleet->m_pTargetFleet || fleets.count(pFleet->m_pTargetFleet));
    }
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        for (int g = 0; g < pSystem->m_cGate; g++) {
            Fleet *pTransit = pSystem->m_ppGate[g]->m_pTransitFleet;
            ASSERT_TRUE(!pTransit || fleets.count(pTransit));
        }
    }
}

// Stands in for the battle module's bookkeeping in half of the runs, so that wrecks, returns and
// fleets emptied in battle are exercised too: the first ship of each side is lost.
void LoseFirstShipsAndReturn(Fleet *pFleet, Fleet *pEnemy, Planet *)
{
    for (Fleet *pSide : {pFleet, pEnemy}) {
        if (!pSide || pSide->m_cShip == 0)
            continue;
        ((Ship *)pSide->m_pShips->m_pHead->m_pData)->m_pArmor->m_iHp = 0;
        pSide->m_eState = FLEET_RETURN;
    }
}

class Soak : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ShipCatalogueCreate(), 0);
        ASSERT_EQ(StructCatalogueCreate(), 0);
    }

    void TearDown() override
    {
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
        FleetSetEncounterHandler(nullptr);
        FleetSetReleaseListener(nullptr);
        UniverseDestroy(&g_pUniverse);
        MessagesClear();
    }

    int Pick(int n) { return (int)(m_choice() % (unsigned)n); }

    // Owned planets build a Shipyard first, then queue ships there while they can pay.
    void Build()
    {
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            System *pSystem = g_pUniverse->m_ppSystem[s];
            for (int p = 0; p < pSystem->m_cPlanet; p++) {
                Planet *pPlanet = pSystem->m_ppPlanet[p];
                if (!pPlanet->m_pOwner)
                    continue;
                Structure *pShipyard = PlanetGetShipyard(pPlanet);
                Structure *pColony = PlanetGetColony(pPlanet);
                if (!pShipyard && pColony && BuildQueueCount(pColony->m_pQueue) == 0 &&
                    PlanetCanAddStructure(pPlanet))
                    QueueStructure(pColony, V_TYPE_SHIPYARD);
                else if (pShipyard && BuildQueueCount(pShipyard->m_pQueue) < 3)
                    QueueShip(pShipyard, Pick(3) == 0 ? V_TYPE_MOTHERSHIP_COLONY
                                                      : V_TYPE_SHIP_DRONE + Pick(9));
            }
        }
    }

    // New ships also appear in the holds directly, colony ships among them now and then, so
    // that fleets grow faster than the planets' stores alone would allow.
    void Reinforce()
    {
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            System *pSystem = g_pUniverse->m_ppSystem[s];
            for (int p = 0; p < pSystem->m_cPlanet; p++) {
                Planet *pPlanet = pSystem->m_ppPlanet[p];
                if (!pPlanet->m_pOwner || !pPlanet->m_pFleet || Pick(3) != 0)
                    continue;
                int type = Pick(5) == 0 ? V_TYPE_MOTHERSHIP_COLONY : V_TYPE_SHIP_DRONE + Pick(9);
                Ship *pShip = nullptr;
                ShipCreate(&pShip, "Soaker", pPlanet->m_pOwner, type);
                FleetAddShip(pPlanet->m_pFleet, pShip);
            }
        }
    }

    // Some order for a fleet in the system: a planet, a paired gate, another fleet or a point.
    void GiveOrder(Fleet *pFleet, System *pSystem)
    {
        switch (Pick(4)) {
        case 0:
            FleetMoveToPlanet(pFleet, pSystem->m_ppPlanet[Pick(pSystem->m_cPlanet)]);
            break;
        case 1:
            FleetMoveToGate(pFleet, pSystem->m_ppGate[Pick(pSystem->m_cGate)]);
            break;
        case 2:
            if (!ListIsEmpty(pSystem->m_pFleets)) {
                int index = Pick(pSystem->m_pFleets->m_cItem);
                ListNode *pNode = pSystem->m_pFleets->m_pHead;
                while (index-- > 0)
                    pNode = pNode->m_pNext;
                FleetMoveToFleet(pFleet, (Fleet *)pNode->m_pData);
            }
            break;
        default:
            FleetMoveToCoord(pFleet, Coord{Pick(100), Pick(100)});
            break;
        }
    }

    void GiveOrders()
    {
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            System *pSystem = g_pUniverse->m_ppSystem[s];
            for (int p = 0; p < pSystem->m_cPlanet; p++) {
                Fleet *pHold = pSystem->m_ppPlanet[p]->m_pFleet;
                if (pHold && pHold->m_cShip > 0 && Pick(4) == 0)
                    GiveOrder(pHold, pSystem);
            }
            std::vector<Fleet *> fleets;
            for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
                fleets.push_back((Fleet *)pNode->m_pData);
            for (Fleet *pFleet : fleets) {
                bool bWaiting = pFleet->m_eState != FLEET_MOVING && pFleet->m_eState != FLEET_LAUNCH;
                if (bWaiting && Pick(6) == 0)
                    GiveOrder(pFleet, pSystem);
            }
        }
    }

    std::mt19937 m_choice;
};

TEST_P(Soak, AThousandTurnsOfOrdersKeepTheWorldWholeAndTearDownClean)
{
    RandSeed(GetParam());
    m_choice.seed(GetParam());
    int companies = RandInt(4) + 2;
    int systems = RandInt(10) + 5;
    ASSERT_EQ(UniverseCreate(&g_pUniverse, systems, companies), 0);
    int released = 0;
    static int *s_pReleased;
    s_pReleased = &released;
    FleetSetReleaseListener([](Fleet *) { (*s_pReleased)++; });
    if (GetParam() % 2 == 1)
        FleetSetEncounterHandler(LoseFirstShipsAndReturn);

    int colonies = 0;
    for (int turn = 0; turn < 1000; turn++) {
        if (turn % 5 == 0)
            Reinforce();
        Build();
        GiveOrders();
        ASSERT_EQ(UniverseUpdate(g_pUniverse), 0);
        CheckWorld(g_pUniverse);
        if (HasFatalFailure())
            return;

        MessagesClear();
    }
    for (int c = 0; c < g_pUniverse->m_cCompany; c++)
        colonies += g_pUniverse->m_ppCompany[c]->m_cColony;
    EXPECT_EQ(g_pUniverse->m_iTurn, 1000);
    // The orders did make things happen: fleets merged, docked or disbanded, colonies were founded,
    // shipyards delivered ships.
    EXPECT_GT(released, 0);
    EXPECT_GT(colonies, companies);
    int offense = 0;
    for (int c = 0; c < g_pUniverse->m_cCompany; c++)
        offense += g_pUniverse->m_ppCompany[c]->m_offenseScore;
    EXPECT_GT(offense, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::Values(1u, 2u, 3u, 1234u, 99999u));

}  // namespace
}  // namespace motion_test
