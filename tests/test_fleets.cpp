// Fleets: ships joining, orders, movement, upkeep, docking, merging, colonising, stranding,
// encounters and the release of fleets that leave play.
#include <climits>

#include "game/2dutils.h"
#include "game/armor.h"
#include "tests/motion_world.h"

namespace motion_test {
namespace {

using Fleets = World;

TEST_F(Fleets, NewFleetIsAnIdleEmptyHoldWithOnePointOfEachSupply)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pFleet = pHome->m_pFleet;
    ASSERT_NE(pFleet, nullptr);
    EXPECT_TRUE(FleetIsHold(pFleet));
    EXPECT_EQ(pFleet->m_pSystem, nullptr);
    EXPECT_EQ(pFleet->m_pOwner, Player());
    EXPECT_EQ(pFleet->m_iOwnerNum, 1);
    EXPECT_EQ(pFleet->m_iEnergy, 1);
    EXPECT_EQ(pFleet->m_iMatter, 1);
    EXPECT_EQ(pFleet->m_cStranded, -1);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
    ASSERT_NE(pFleet->m_pRoute, nullptr);
    EXPECT_TRUE(ListIsEmpty(pFleet->m_pRoute));
}

TEST_F(Fleets, AISizeIsDrawnFromSevenToTenWithoutRestartingTheSequence)
{
    bool seen[11] = {};
    for (int i = 0; i < 200; i++) {
        Fleet *pFleet = nullptr;
        ASSERT_EQ(FleetCreate(&pFleet, PlanetAt(0, 1)), 0);
        ASSERT_GE(pFleet->m_aiSize, 7);
        ASSERT_LE(pFleet->m_aiSize, 10);
        seen[pFleet->m_aiSize] = true;
        FleetDestroy(&pFleet);
        EXPECT_EQ(pFleet, nullptr);
    }
    EXPECT_TRUE(seen[7] && seen[8] && seen[9] && seen[10]);
}

TEST_F(Fleets, SlowestShipSetsSpeedAndShortestRangeSetsRange)
{
    Fleet *pFleet = PlanetAt(0, 0)->m_pFleet;
    AddShip(pFleet, V_TYPE_SHIP_FAST);   // speed 4, fuel 100: range 25
    EXPECT_EQ(pFleet->m_iSpeed, 4);
    EXPECT_EQ(pFleet->m_iRange, 25u);
    AddShip(pFleet, V_TYPE_MOTHERSHIP_COLONY);   // speed 1: range 100, the smaller stays
    EXPECT_EQ(pFleet->m_iSpeed, 1);
    EXPECT_EQ(pFleet->m_iRange, 25u);
    EXPECT_EQ(pFleet->m_cShip, 2);
    Ship *pFirst = (Ship *)pFleet->m_pShips->m_pHead->m_pData;
    EXPECT_EQ(pFirst->m_pFleet, pFleet);

    FleetMoveToPlanet(pFleet, PlanetAt(0, 1));
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_iRange, 24u);   // launch grants 25, the first step takes one

    EXPECT_EQ(FleetAddShip(nullptr, pFirst), 1);
    EXPECT_EQ(FleetAddShip(pFleet, nullptr), 1);
}

TEST_F(Fleets, DroneFlyingTwentyFiveCellsArrivesOnTheThirdUpdate)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pFleet = pHome->m_pFleet;
    AddShip(pFleet, V_TYPE_SHIP_DRONE);
    ASSERT_EQ(FleetMoveToPlanet(pFleet, PlanetAt(0, 1)), 0);
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);

    FleetUpdate(pFleet);
    // The hold left its planet for the system's space.
    EXPECT_EQ(pHome->m_pFleet, nullptr);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(0));
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_EQ(pFleet->m_aiState, FLEET_AI_TRANSIT);
    EXPECT_EQ(pFleet->m_pos.m_x, 10);
    EXPECT_EQ(pFleet->m_pos.m_y, 0);
    EXPECT_EQ(pFleet->m_iRange, 24u);
    EXPECT_EQ(pFleet->m_eState, FLEET_MOVING);

    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_pos.m_x, 20);
    EXPECT_EQ(pFleet->m_iRange, 23u);

    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_pos.m_x, 25);
    EXPECT_EQ(pFleet->m_dX, 25.0);
    EXPECT_EQ(pFleet->m_iRange, 23u);
    EXPECT_EQ(pFleet->m_eState, FLEET_ARRIVED);
}

TEST_F(Fleets, DiagonalStepsRoundTheExactPositionToTheNearestCell)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 0}, {V_TYPE_SHIP_FAST});
    FleetMoveToCoord(pFleet, Coord{30, 40});   // 50 away, 4 per turn: (2.4, 3.2) per step
    FleetUpdate(pFleet);
    EXPECT_DOUBLE_EQ(pFleet->m_dX, 2.4);
    EXPECT_DOUBLE_EQ(pFleet->m_dY, 3.2);
    EXPECT_EQ(pFleet->m_pos.m_x, 2);
    EXPECT_EQ(pFleet->m_pos.m_y, 3);
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_pos.m_x, 5);   // 4.8 rounds up
    EXPECT_EQ(pFleet->m_pos.m_y, 6);   // 6.4 rounds down
    UpdateWhile(pFleet, FLEET_MOVING, 20);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);   // a point reached, no target
    EXPECT_EQ(pFleet->m_pos.m_x, 30);
    EXPECT_EQ(pFleet->m_pos.m_y, 40);
}

TEST_F(Fleets, RangeIsNoLimitAndWrapsBelowZero)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 0}, {V_TYPE_MOTHERSHIP_COLONY});   // speed 1
    FleetMoveToCoord(pFleet, Coord{0, 90});
    for (int i = 0; i < 26; i++)
        FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_eState, FLEET_MOVING);
    EXPECT_EQ(pFleet->m_pos.m_y, 26);
    EXPECT_EQ(pFleet->m_iRange, UINT32_MAX);
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_iRange, UINT32_MAX - 1);
}

TEST_F(Fleets, UpkeepDrainsSuppliesBelowZeroInEveryStateAndStopsAtTheLowestInt)
{
    Fleet *pFleet = PlanetAt(0, 0)->m_pFleet;
    for (int i = 0; i < 3; i++)
        AddShip(pFleet, V_TYPE_SHIP_LASER);
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_iEnergy, -299);
    EXPECT_EQ(pFleet->m_iMatter, -299);

    pFleet->m_eState = FLEET_DEAD;
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_iEnergy, -599);

    pFleet->m_iEnergy = INT_MIN + 150;
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_iEnergy, INT_MIN);
    EXPECT_EQ(pFleet->m_iMatter, -899);
}

TEST_F(Fleets, IdleShipsRepairATenthOfTheirBaseAndDestroyedShipsLeave)
{
    Fleet *pFleet = PlanetAt(0, 0)->m_pFleet;
    Ship *pHeavy = AddShip(pFleet, V_TYPE_SHIP_HEAVY);     // 48 hp, base 24
    Ship *pLost = AddShip(pFleet, V_TYPE_SHIP_DRONE);
    pLost->m_eState = SHIP_DESTROYED;
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_cShip, 1);
    EXPECT_EQ(pFleet->m_pShips->m_cItem, 1);
    EXPECT_EQ(pHeavy->m_pArmor->m_iHp, 50);
}

TEST_F(Fleets, DockingAtTheOwnersPlanetJoinsItsHoldAndReleasesTheFleet)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pHold = pHome->m_pFleet;
    AddShip(pHold, V_TYPE_SHIP_FAST);
    Fleet *pVisitor = SpaceFleet(0, 0, Coord{0, 30}, {V_TYPE_SHIP_LASER, V_TYPE_SHIP_ATOMIC});
    Company *pOwner = Player();
    CompanyAddFleet(pOwner, pVisitor);

    FleetMoveToPlanet(pVisitor, pHome);
    EXPECT_EQ(Fly(pVisitor, 20), 8);   // 30 cells at 4 a turn
    ASSERT_EQ(pVisitor->m_eState, FLEET_ARRIVED);
    FleetUpdate(pVisitor);   // released: the pointer is dead from here on

    EXPECT_EQ(pHome->m_pFleet, pHold);
    EXPECT_EQ(pHold->m_cShip, 3);
    EXPECT_TRUE(ListIsEmpty(SystemAt(0)->m_pFleets));
    EXPECT_EQ(pOwner->m_cFleet, 0);
}

TEST_F(Fleets, DockingAtAPlanetWithoutAHoldMakesTheFleetItsHold)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pVisitor = SpaceFleet(0, 0, Coord{0, 30}, {V_TYPE_SHIP_LASER});
    Fleet *pOldHold = pHome->m_pFleet;
    pHome->m_pFleet = nullptr;
    FleetDestroy(&pOldHold);

    FleetMoveToPlanet(pVisitor, pHome);
    EXPECT_EQ(Fly(pVisitor, 20), 8);   // 30 cells at 4 a turn
    FleetUpdate(pVisitor);
    EXPECT_EQ(pHome->m_pFleet, pVisitor);
    EXPECT_TRUE(FleetIsHold(pVisitor));
    EXPECT_EQ(pVisitor->m_pSystem, nullptr);
    EXPECT_EQ(pVisitor->m_eState, FLEET_IDLE);
    EXPECT_FALSE(ListHolds(SystemAt(0)->m_pFleets, pVisitor));

    // It launches from there like any hold.
    FleetMoveToPlanet(pVisitor, PlanetAt(0, 1));
    FleetUpdate(pVisitor);
    EXPECT_EQ(pHome->m_pFleet, nullptr);
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pVisitor));
}

TEST_F(Fleets, MergingMovesEveryShipAndNothingPointsAtTheReleasedFleet)
{
    Fleet *pMover = SpaceFleet(0, 0, Coord{10, 10}, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST});
    Fleet *pTarget = SpaceFleet(0, 0, Coord{30, 10}, {V_TYPE_MOTHERSHIP_BASIC});
    Fleet *pChaser = SpaceFleet(0, 0, Coord{50, 50}, {V_TYPE_MOTHERSHIP_SIEGE});
    FleetMoveToFleet(pChaser, pMover);
    Gate(0, 1)->m_pTransitFleet = pMover;
    CompanyAddFleet(Player(), pTarget);
    CompanyAddFleet(Player(), pMover);
    static Fleet *s_pReleased;
    static int s_cReleased;
    s_pReleased = nullptr;
    s_cReleased = 0;
    FleetSetReleaseListener([](Fleet *pFleet) {
        s_pReleased = pFleet;
        s_cReleased++;
    });
    Ship *pDrone = (Ship *)pMover->m_pShips->m_pHead->m_pData;

    ASSERT_EQ(FleetMoveToFleet(pMover, pTarget), 0);
    // 20 cells at speed 4: four steps, then the arrival merges and releases the mover.
    int updates = 0;
    while (ListHolds(SystemAt(0)->m_pFleets, pMover) && updates < 10) {
        FleetUpdate(pMover);
        updates++;
    }
    EXPECT_EQ(updates, 5);

    EXPECT_EQ(s_cReleased, 1);
    EXPECT_EQ(s_pReleased, pMover);
    EXPECT_EQ(pTarget->m_cShip, 3);
    EXPECT_EQ(pTarget->m_pShips->m_cItem, 3);
    EXPECT_EQ(pDrone->m_pFleet, pTarget);
    EXPECT_EQ(pTarget->m_iSpeed, 3);
    EXPECT_EQ(pChaser->m_pTargetFleet, nullptr);
    EXPECT_EQ(Gate(0, 1)->m_pTransitFleet, nullptr);
    EXPECT_EQ(Player()->m_cFleet, 1);
    EXPECT_EQ(Player()->m_ppFleet[0], pTarget);
    EXPECT_EQ(FleetMergeInto(pTarget, pTarget), 1);
    EXPECT_EQ(pTarget->m_cShip, 3);

    // The chaser lost its quarry and stops where it last saw it.
    Fly(pChaser, 40);
    EXPECT_EQ(pChaser->m_eState, FLEET_IDLE);
}

TEST_F(Fleets, ColonyMothershipFoundsAColonyAndTheFleetDisbands)
{
    Planet *pFree = PlanetAt(0, 1);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{25, 20},
                               {V_TYPE_SHIP_FAST, V_TYPE_MOTHERSHIP_COLONY, V_TYPE_MOTHERSHIP_COLONY});
    int colonies = Player()->m_cColony;
    FleetMoveToPlanet(pFleet, pFree);
    Fly(pFleet, 40);
    ASSERT_EQ(pFleet->m_eState, FLEET_ARRIVED);
    FleetUpdate(pFleet);   // colonises and disbands: the pointer is dead from here on

    EXPECT_EQ(pFree->m_pOwner, Player());
    EXPECT_EQ(pFree->m_iOwnerNum, 1);
    EXPECT_EQ(Player()->m_cColony, colonies + 1);
    EXPECT_NE(pFree->m_pFleet, nullptr);
    EXPECT_EQ(pFree->m_pFleet->m_cShip, 0);
    EXPECT_TRUE(ListIsEmpty(SystemAt(0)->m_pFleets));
}

TEST_F(Fleets, FleetWithoutAColonyShipIsStrandedAtAFreePlanetAndPerishesOnItsEleventhTurn)
{
    Planet *pFree = PlanetAt(0, 1);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{25, 4}, {V_TYPE_SHIP_FAST});
    FleetMoveToPlanet(pFleet, pFree);
    FleetUpdate(pFleet);   // launches and arrives at once: 4 cells at speed 4
    ASSERT_EQ(pFleet->m_eState, FLEET_ARRIVED);
    FleetUpdate(pFleet);
    ASSERT_EQ(pFleet->m_eState, FLEET_STRANDED);
    EXPECT_EQ(pFree->m_pOwner, nullptr);
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pFleet));

    const char *pStranded = "A fleet has been stranded!";
    const char *pPerished =
        "After being stranded for so long, everyone in your fleet helplessly perished.";
    for (int turn = 1; turn <= 10; turn++) {
        FleetUpdate(pFleet);
        ASSERT_EQ(pFleet->m_eState, FLEET_STRANDED) << "turn " << turn;
    }
    EXPECT_EQ(CountMessages(pStranded), 10);
    EXPECT_EQ(CountMessages(pPerished), 0);
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_eState, FLEET_DEAD);
    EXPECT_EQ(CountMessages(pStranded), 11);
    ASSERT_EQ(CountMessages(pPerished), 1);
    EXPECT_STREQ(MessageText(MessageCount() - 1), pPerished);
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0x90);
    EXPECT_EQ(MessageAttr(MessageCount() - 2), 0x9F);

    // The dead stay dead: no more messages, no more orders.
    FleetUpdate(pFleet);
    EXPECT_EQ(CountMessages(pStranded), 11);
    EXPECT_EQ(FleetMoveToPlanet(pFleet, PlanetAt(0, 0)), 1);
    EXPECT_EQ(pFleet->m_eState, FLEET_DEAD);
}

TEST_F(Fleets, OrdersRefuseWhatLeadsNowhereAndChangeNothing)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_SHIP_FAST});
    EXPECT_EQ(FleetMoveToGate(pFleet, Gate(0, 1)), 1);   // unpaired
    EXPECT_EQ(FleetMoveToFleet(pFleet, pFleet), 1);
    EXPECT_EQ(FleetMoveToPlanet(pFleet, nullptr), 1);
    EXPECT_EQ(FleetMoveToPlanet(nullptr, PlanetAt(0, 1)), 1);
    EXPECT_EQ(FleetMoveToGate(pFleet, nullptr), 1);
    EXPECT_EQ(FleetMoveToFleet(pFleet, nullptr), 1);
    EXPECT_EQ(FleetMoveToCoord(nullptr, Coord{1, 1}), 1);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);

    EXPECT_EQ(FleetMoveToGate(pFleet, Gate(0, 0)), 0);
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(FleetMoveToCoord(pFleet, Coord{7, 8}), 0);
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);   // a new order drops the old target

    EXPECT_EQ(FleetUpdate(nullptr), 3);
    pFleet->m_eState = 12;
    EXPECT_EQ(FleetUpdate(pFleet), 1);
}

TEST_F(Fleets, FleetSystemIsTheHomePlanetsThenTheTargetGatesThenItsOwn)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_SHIP_FAST});
    EXPECT_EQ(GetFleetSystem(pFleet), SystemAt(0));
    pFleet->m_pHomePlanet = nullptr;
    pFleet->m_pTargetGate = Gate(1, 0);
    EXPECT_EQ(GetFleetSystem(pFleet), SystemAt(1));
    pFleet->m_pTargetGate = nullptr;
    EXPECT_EQ(GetFleetSystem(pFleet), SystemAt(0));
    EXPECT_EQ(GetFleetSystem(nullptr), nullptr);
}

TEST_F(Fleets, MoraleMovesForEveryShipAndShipTypesCanBeFound)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_SHIP_FAST, V_TYPE_MOTHERSHIP_COLONY});
    FleetLoseMorale(pFleet, 10);
    FleetGainMorale(pFleet, 25);
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
        EXPECT_EQ(((Ship *)pNode->m_pData)->m_iMorale, 115);
    EXPECT_TRUE(FleetContainsShipType(pFleet, V_TYPE_MOTHERSHIP_COLONY));
    EXPECT_FALSE(FleetContainsShipType(pFleet, V_TYPE_SHIP_DRONE));
}

TEST_F(Fleets, SiegeOrderOnlyAnnouncesItself)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_MOTHERSHIP_SIEGE});
    pFleet->m_eState = FLEET_SIEGE;
    FleetUpdate(pFleet);
    EXPECT_EQ(CountMessages("Entering siege mode"), 1);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
}

// The battle module's stand-in: it remembers what it was given and plays out a battle's
// bookkeeping (losses marked, both fleets sent back) without computing any fire.
struct EncounterLog {
    int calls;
    Fleet *pFleet;
    Fleet *pEnemy;
    Planet *pPlanet;
};
EncounterLog g_encounters;

void RecordEncounter(Fleet *pFleet, Fleet *pEnemy, Planet *pPlanet)
{
    g_encounters.calls++;
    g_encounters.pFleet = pFleet;
    g_encounters.pEnemy = pEnemy;
    g_encounters.pPlanet = pPlanet;
}

void SinkFirstShipsAndSendBothHome(Fleet *pFleet, Fleet *pEnemy, Planet *pPlanet)
{
    RecordEncounter(pFleet, pEnemy, pPlanet);
    ((Ship *)pFleet->m_pShips->m_pHead->m_pData)->m_pArmor->m_iHp = 0;
    pFleet->m_eState = FLEET_RETURN;
    if (pEnemy && pEnemy->m_cShip > 0) {
        ((Ship *)pEnemy->m_pShips->m_pHead->m_pData)->m_pArmor->m_iHp = -5;
        pEnemy->m_eState = FLEET_RETURN;
    }
}

TEST_F(Fleets, EnemiesMeetingAwayFromPlanetsBothFaceEachOtherWithoutABattleModule)
{
    g_encounters = EncounterLog{};
    Fleet *pHunter = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    Fleet *pPrey = SpaceFleet(0, 3, Coord{44, 20}, {V_TYPE_SHIP_ATOMIC});
    FleetMoveToCoord(pPrey, Coord{44, 90});
    FleetMoveToFleet(pHunter, pPrey);
    FleetUpdate(pHunter);   // launches and reaches the prey's cell
    ASSERT_EQ(pHunter->m_eState, FLEET_ENCOUNTER);
    EXPECT_EQ(pPrey->m_eState, FLEET_ENCOUNTER);
    EXPECT_EQ(pPrey->m_pTargetFleet, pHunter);
    EXPECT_EQ(pHunter->m_pTargetPlanet, nullptr);

    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(FleetUpdate(pHunter), 0);
        EXPECT_EQ(FleetUpdate(pPrey), 0);
    }
    EXPECT_EQ(CountMessages("You have encountered an enemy fleet!"), 6);
    EXPECT_EQ(pHunter->m_cShip, 1);
    EXPECT_EQ(pPrey->m_cShip, 1);
    EXPECT_EQ(pHunter->m_eState, FLEET_ENCOUNTER);
}

TEST_F(Fleets, EncounterAwayFromPlanetsHandsBothFleetsToTheBattleModule)
{
    g_encounters = EncounterLog{};
    FleetSetEncounterHandler(SinkFirstShipsAndSendBothHome);
    Fleet *pHunter = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER});
    Fleet *pPrey = SpaceFleet(0, 3, Coord{44, 20}, {V_TYPE_SHIP_ATOMIC, V_TYPE_SHIP_HEAVY});
    FleetMoveToFleet(pHunter, pPrey);
    FleetUpdate(pHunter);
    FleetUpdate(pHunter);

    EXPECT_EQ(g_encounters.calls, 1);
    EXPECT_EQ(g_encounters.pFleet, pHunter);
    EXPECT_EQ(g_encounters.pEnemy, pPrey);
    EXPECT_EQ(g_encounters.pPlanet, nullptr);
    // Wrecks left both fleets; the hunter was sent home at once, the prey goes on its turn.
    EXPECT_EQ(pHunter->m_cShip, 1);
    EXPECT_EQ(pPrey->m_cShip, 1);
    EXPECT_EQ(pHunter->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pHunter->m_pTargetPlanet, PlanetAt(0, 0));
    FleetUpdate(pPrey);
    EXPECT_EQ(pPrey->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pPrey->m_pTargetPlanet, PlanetAt(0, 3));
    EXPECT_EQ(g_encounters.calls, 1);
}

TEST_F(Fleets, EncounterWhoseEnemyIsGoneEndsWithoutAFight)
{
    g_encounters = EncounterLog{};
    FleetSetEncounterHandler(RecordEncounter);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    pFleet->m_eState = FLEET_ENCOUNTER;   // no target planet, no target fleet
    EXPECT_EQ(FleetUpdate(pFleet), 0);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
    EXPECT_EQ(g_encounters.calls, 0);
}

TEST_F(Fleets, ReachingAnEnemyPlanetFightsItsHoldAndStructures)
{
    g_encounters = EncounterLog{};
    FleetSetEncounterHandler(SinkFirstShipsAndSendBothHome);
    Planet *pEnemyPlanet = PlanetAt(0, 3);   // (0, 40), the rival's
    Fleet *pDefenders = pEnemyPlanet->m_pFleet;
    AddShip(pDefenders, V_TYPE_SHIP_FAST);
    AddShip(pDefenders, V_TYPE_SHIP_FAST);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 37}, {V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_LASER});
    FleetMoveToPlanet(pFleet, pEnemyPlanet);
    FleetUpdate(pFleet);
    ASSERT_EQ(pFleet->m_eState, FLEET_ENCOUNTER);
    FleetUpdate(pFleet);

    EXPECT_EQ(g_encounters.calls, 1);
    EXPECT_EQ(g_encounters.pEnemy, pDefenders);
    EXPECT_EQ(g_encounters.pPlanet, pEnemyPlanet);
    EXPECT_EQ(pDefenders->m_cShip, 1);
    EXPECT_EQ(pFleet->m_cShip, 1);
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    // The hold fought at its own planet: it is home already and goes idle on its update.
    FleetUpdate(pDefenders);
    EXPECT_EQ(pDefenders->m_eState, FLEET_IDLE);
    EXPECT_EQ(pEnemyPlanet->m_pFleet, pDefenders);
}

TEST_F(Fleets, ReturningFleetsGoHomeOrGrieveAndEmptyOnesLeavePlay)
{
    Fleet *pHomed = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    pHomed->m_eState = FLEET_RETURN;
    FleetUpdate(pHomed);
    EXPECT_EQ(pHomed->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pHomed->m_pTargetPlanet, PlanetAt(0, 0));

    Fleet *pOrphan = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    pOrphan->m_pHomePlanet = nullptr;
    pOrphan->m_eState = FLEET_RETURN;
    FleetUpdate(pOrphan);
    EXPECT_EQ(CountMessages("emo fleet: nobody loves me"), 1);
    EXPECT_EQ(pOrphan->m_eState, FLEET_RETURN);

    Fleet *pWrecked = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    ((Ship *)pWrecked->m_pShips->m_pHead->m_pData)->m_eState = SHIP_DESTROYED;
    pWrecked->m_eState = FLEET_RETURN;
    FleetUpdate(pWrecked);   // released
    EXPECT_FALSE(ListHolds(SystemAt(0)->m_pFleets, pWrecked));
    EXPECT_EQ(SystemAt(0)->m_pFleets->m_cItem, 2);
}

TEST_F(Fleets, DisbandingLeavesTheSystemAndAHoldThatDisbandsIsReplacedByItsPlanet)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    pFleet->m_eState = FLEET_DISBAND;
    FleetUpdate(pFleet);
    EXPECT_TRUE(ListIsEmpty(SystemAt(0)->m_pFleets));

    Planet *pHome = PlanetAt(0, 0);
    pHome->m_pFleet->m_eState = FLEET_DISBAND;
    AddShip(pHome->m_pFleet, V_TYPE_SHIP_DRONE);
    PlanetUpdate(pHome);
    ASSERT_NE(pHome->m_pFleet, nullptr);
    EXPECT_EQ(pHome->m_pFleet->m_cShip, 0);
    EXPECT_EQ(pHome->m_pFleet->m_eState, FLEET_IDLE);
}

TEST_F(Fleets, DrawingPutsTheStarAtItsCellAndASelectedFleetIsInvertedAndShown)
{
    static Fleet *s_pShown;
    s_pShown = nullptr;
    FleetSetSelectedDisplay([](Fleet *pFleet) { s_pShown = pFleet; });
    Fleet *pFleet = SpaceFleet(0, 0, Coord{3, 2}, {V_TYPE_SHIP_FAST});
    Surface *pMap = CreateSurface(10, 5);
    FillSurface(pMap, Cell{' ', 0x0B});

    EXPECT_EQ(FleetDraw(pFleet, pMap), 0);
    EXPECT_EQ(pMap->m_pCells[2 * 10 + 3].m_ch, '*');
    EXPECT_EQ(pMap->m_pCells[2 * 10 + 3].m_attr, 0xCB);
    EXPECT_EQ(s_pShown, nullptr);

    pFleet->m_bSelected = 1;
    pFleet->m_pos = Coord{4, 2};
    FleetDraw(pFleet, pMap);
    EXPECT_EQ(pMap->m_pCells[2 * 10 + 4].m_attr, 0xBC);
    EXPECT_EQ(pFleet->m_pSprite->m_pCells[0].m_attr, 0xCB);
    EXPECT_EQ(s_pShown, pFleet);

    EXPECT_EQ(FleetDraw(nullptr, pMap), 1);
    EXPECT_EQ(FleetDraw(pFleet, nullptr), 1);
    DestroySurface(&pMap);
}

}  // namespace
}  // namespace motion_test
