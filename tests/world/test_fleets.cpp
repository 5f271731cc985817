// Fleets: movement, range and upkeep, docking, merging, colonising, stranding, encounters and the
// release of fleets that leave play.
#include <algorithm>
#include <climits>

#include "tests/world/motion_world.h"

namespace motion_test {
namespace {

using Fleets = World;

// The drone (speed 10) leaves its planet's hold at (0,0) for (25,0): it is at (10,0) and (20,0)
// and there on the third update. Launching grants a range of 25 and every step takes one. The
// planet, taken by another company between the arrival and the landing, is an enemy planet: the
// fleet meets it instead of joining the other company's hold.
TEST_F(Fleets, ADroneArrivesOnTheThirdUpdateAndMeetsAPlanetTakenBeforeItLands)
{
    Planet *pHome = PlanetAt(0, 0);
    Fleet *pFleet = pHome->m_pFleet;
    AddShip(pFleet, V_TYPE_SHIP_DRONE);
    ASSERT_EQ(FleetMoveToPlanet(pFleet, PlanetAt(0, 1)), 0);
    const int steps[][3] = {{10, 24, FLEET_MOVING}, {20, 23, FLEET_MOVING}, {25, 23, FLEET_ARRIVED}};
    for (const auto &step : steps) {  // column, range, state
        FleetUpdate(pFleet);
        EXPECT_TRUE(pFleet->m_pos.m_x == step[0] && pFleet->m_pos.m_y == 0 && pFleet->m_dX == step[0]);
        EXPECT_TRUE(pFleet->m_iRange == (unsigned)step[1] && pFleet->m_eState == step[2]);
    }
    EXPECT_TRUE(!pHome->m_pFleet && ListHolds(SystemAt(0)->m_pFleets, pFleet));
    PlanetColonize(PlanetAt(0, 1), Rival());
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_eState, FLEET_ENCOUNTER);
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pFleet) && PlanetAt(0, 1)->m_pFleet->m_cShip == 0);
}

// A Colony Mothership (speed 1) heading for (80,60), 100 away: after 26 steps its range has wrapped
// below zero and it flies on, drawn at the nearest cell: (20.8, 15.6) and then (21.6, 16.2).
// Three ships take 300 of each supply a turn, in every state, from the 1 and 1 a fleet starts
// with, down to the lowest int and no further.
TEST_F(Fleets, RangeWrapsBelowZeroStepsRoundToTheNearestCellAndUpkeepDrainsSupplies)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 0}, {V_TYPE_MOTHERSHIP_COLONY});
    FleetMoveToCoord(pFleet, Coord{80, 60});
    for (int i = 0; i < 26; i++)
        FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_eState == FLEET_MOVING && pFleet->m_pos.m_x == 21 && pFleet->m_pos.m_y == 16);
    EXPECT_EQ(pFleet->m_iRange, UINT32_MAX);
    FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_pos.m_x == 22 && pFleet->m_pos.m_y == 16 && pFleet->m_iRange == UINT32_MAX - 1);

    Fleet *pHold = PlanetAt(0, 0)->m_pFleet;
    for (int i = 0; i < 3; i++)
        AddShip(pHold, V_TYPE_SHIP_LASER);
    FleetUpdate(pHold);
    EXPECT_TRUE(pHold->m_iEnergy == -299 && pHold->m_iMatter == -299);
    pHold->m_eState = FLEET_DEAD;
    pHold->m_iEnergy = INT_MIN + 150;
    FleetUpdate(pHold);
    EXPECT_TRUE(pHold->m_iEnergy == INT_MIN && pHold->m_iMatter == -599);
}

// A fleet merging into another, and a visitor docking at its owner's planet, hand over their ships
// and are released once; nothing points at them afterwards, their company forgets them.
TEST_F(Fleets, MergingAndDockingMoveEveryShipAndNothingPointsAtTheReleasedFleets)
{
    Fleet *pMover = SpaceFleet(0, 0, Coord{10, 10}, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST});
    Fleet *pTarget = SpaceFleet(0, 0, Coord{30, 10}, {V_TYPE_MOTHERSHIP_BASIC});
    Fleet *pChaser = SpaceFleet(0, 0, Coord{50, 50}, {V_TYPE_MOTHERSHIP_SIEGE});
    Fleet *pVisitor = SpaceFleet(0, 0, Coord{0, 30}, {V_TYPE_SHIP_LASER, V_TYPE_SHIP_ATOMIC});
    FleetMoveToFleet(pChaser, pMover);
    Gate(0, 1)->m_pTransitFleet = pMover;
    for (Fleet *pFleet : {pTarget, pMover, pVisitor})
        CompanyAddFleet(Player(), pFleet);
    static std::vector<Fleet *> s_released;
    s_released.clear();
    FleetSetReleaseListener([](Fleet *pFleet) { s_released.push_back(pFleet); });
    ASSERT_EQ(FleetMoveToFleet(pMover, pTarget), 0);
    ASSERT_EQ(FleetMoveToPlanet(pVisitor, PlanetAt(0, 0)), 0);
    // 20 cells at speed 4: four steps, then the arrival merges. 30 cells: eight, then it docks.
    int updates = 0;
    for (; ListHolds(SystemAt(0)->m_pFleets, pMover) && updates < 10; updates++)
        FleetUpdate(pMover);
    EXPECT_EQ(updates, 5);
    EXPECT_EQ(Fly(pVisitor, 10), 8);
    FleetUpdate(pVisitor);  // both released: the pointers are dead from here on
    EXPECT_EQ(s_released, (std::vector<Fleet *>{pMover, pVisitor}));
    EXPECT_TRUE(pTarget->m_cShip == 3 && pTarget->m_pShips->m_cItem == 3);
    EXPECT_EQ(pTarget->m_iSpeed, 3);  // the slowest ship's
    EXPECT_EQ(PlanetAt(0, 0)->m_pFleet->m_cShip, 2);
    EXPECT_EQ(SystemAt(0)->m_pFleets->m_cItem, 2);
    EXPECT_EQ(pChaser->m_pTargetFleet, nullptr);
    EXPECT_EQ(Gate(0, 1)->m_pTransitFleet, nullptr);
    EXPECT_TRUE(Player()->m_cFleet == 1 && Player()->m_ppFleet[0] == pTarget);
    EXPECT_EQ(FleetMergeInto(pTarget, pTarget), 1);
    Fly(pChaser, 40);  // the chaser lost its quarry and stops where it last saw it
    EXPECT_EQ(pChaser->m_eState, FLEET_IDLE);
}

// At a free planet a Colony Mothership founds a colony and its fleet disbands; a fleet without one
// is stranded there and its crews perish on the eleventh stranded update. The dead stay dead: no
// more messages, no more orders.
TEST_F(Fleets, AtAFreePlanetAColonyShipFoundsAColonyElseTheFleetIsStrandedAndPerishes)
{
    Planet *pFree = PlanetAt(0, 1);
    Fleet *pSettlers = SpaceFleet(0, 0, Coord{25, 20}, {V_TYPE_SHIP_FAST, V_TYPE_MOTHERSHIP_COLONY});
    Fleet *pFleet = SpaceFleet(0, 0, Coord{60, 64}, {V_TYPE_SHIP_FAST});
    FleetMoveToPlanet(pSettlers, pFree);
    Fly(pSettlers, 40);
    FleetUpdate(pSettlers);  // colonises and disbands: the pointer is dead from here on
    EXPECT_TRUE(pFree->m_pOwner == Player() && pFree->m_iOwnerNum == 1 && Player()->m_cColony == 2);
    EXPECT_TRUE(pFree->m_pFleet && pFree->m_pFleet->m_cShip == 0 && SystemAt(0)->m_pFleets->m_cItem == 1);
    EXPECT_EQ(CountMessages("The colony fleet's other ship went with the colony."), 1);  // not a silent loss

    FleetMoveToPlanet(pFleet, PlanetAt(0, 2));
    FleetUpdate(pFleet);  // launches and arrives at once: 4 cells at speed 4
    const char *pStranded = "A fleet has been stranded!";
    const char *pPerished = "After being stranded for so long, everyone in your fleet helplessly perished.";
    for (int update = 1; update <= 13; update++) {  // stranded on the first, a message a turn after
        FleetUpdate(pFleet);
        ASSERT_EQ(pFleet->m_eState, update < 12 ? FLEET_STRANDED : FLEET_DEAD) << update;
        EXPECT_TRUE(CountMessages(pStranded) == std::min(update - 1, 11) && CountMessages(pPerished) == (update >= 12))
            << update;
    }
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_STREQ(MessageText(MessageCount() - 1), pPerished);
    EXPECT_TRUE(MessageAttr(MessageCount() - 1) == 0x90 && MessageAttr(MessageCount() - 2) == 0x9F);
    EXPECT_EQ(FleetMoveToPlanet(pFleet, PlanetAt(0, 0)), 1);
}

// Enemies meeting away from planets face each other; without a battle module nothing more
// happens, with one both fleets are handed to it once and go home with their losses.
TEST_F(Fleets, EnemiesMeetingAwayFromPlanetsFaceEachOtherAndGoToBattleOnce)
{
    for (bool bBattles : {false, true}) {
        MessagesClear();
        FleetSetEncounterHandler(bBattles ? LoseFirstShipsAndReturn : nullptr);
        Fleet *pHunter = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER});
        Fleet *pPrey = SpaceFleet(0, 3, Coord{44, 20}, {V_TYPE_SHIP_ATOMIC, V_TYPE_SHIP_HEAVY});
        FleetMoveToCoord(pPrey, Coord{44, 90});
        FleetMoveToFleet(pHunter, pPrey);
        FleetUpdate(pHunter);  // launches and reaches the prey's cell
        ASSERT_TRUE(pHunter->m_eState == FLEET_ENCOUNTER && pPrey->m_eState == FLEET_ENCOUNTER);
        EXPECT_EQ(pPrey->m_pTargetFleet, pHunter);
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(FleetUpdate(pHunter) == 0 && FleetUpdate(pPrey) == 0);
        EXPECT_EQ(g_encounters, (std::vector<std::vector<void *>>(bBattles, {pHunter, pPrey, nullptr})));
        EXPECT_EQ(pHunter->m_cShip + pPrey->m_cShip, bBattles ? 2 : 4);
        EXPECT_EQ(pHunter->m_pTargetPlanet, bBattles ? PlanetAt(0, 0) : nullptr);  // sent home
        EXPECT_EQ(pPrey->m_pTargetPlanet, bBattles ? PlanetAt(0, 3) : nullptr);
        EXPECT_TRUE(bBattles || CountMessages("You have encountered an enemy fleet!") == 6);
    }
    // An encounter whose enemy is gone ends without a fight.
    Fleet *pAlone = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
    pAlone->m_eState = FLEET_ENCOUNTER;
    EXPECT_EQ(FleetUpdate(pAlone), 0);
    EXPECT_TRUE(pAlone->m_eState == FLEET_IDLE && g_encounters.size() == 1);
    // A fleet whose crews perished can be fought but is not sent home: it stays dead.
    Fleet *pHulk = SpaceFleet(0, 3, Coord{60, 20}, {V_TYPE_SHIP_ATOMIC, V_TYPE_SHIP_HEAVY});
    pHulk->m_eState = FLEET_DEAD;
    Fleet *pRaider = SpaceFleet(0, 0, Coord{56, 20}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST});
    FleetMoveToFleet(pRaider, pHulk);
    FleetUpdate(pRaider);  // reaches the hulk
    FleetUpdate(pRaider);  // fights it
    FleetUpdate(pHulk);
    EXPECT_TRUE(g_encounters.size() == 2 && pHulk->m_cShip == 1);
    EXPECT_TRUE(pHulk->m_eState == FLEET_DEAD && !pHulk->m_pTargetPlanet);
}

// After a battle a fleet goes home, or grieves without one; an emptied fleet leaves play, and so
// does a disbanded one. A hold that disbands is replaced by its planet.
TEST_F(Fleets, ReturningFleetsGoHomeOrGrieveAndEmptyOrDisbandedOnesLeavePlay)
{
    Fleet *pFleets[4];
    for (Fleet *&pFleet : pFleets) {
        pFleet = SpaceFleet(0, 0, Coord{40, 20}, {V_TYPE_SHIP_FAST});
        pFleet->m_eState = FLEET_RETURN;
    }
    pFleets[1]->m_pHomePlanet = nullptr;
    ((Ship *)pFleets[2]->m_pShips->m_pHead->m_pData)->m_eState = SHIP_DESTROYED;
    pFleets[3]->m_eState = FLEET_DISBAND;
    for (Fleet *pFleet : pFleets)
        FleetUpdate(pFleet);  // the last two are released
    EXPECT_TRUE(pFleets[0]->m_eState == FLEET_LAUNCH && pFleets[0]->m_pTargetPlanet == PlanetAt(0, 0));
    EXPECT_TRUE(pFleets[1]->m_eState == FLEET_RETURN && CountMessages("emo fleet: nobody loves me") == 1);
    EXPECT_EQ(SystemAt(0)->m_pFleets->m_cItem, 2);
    Planet *pHome = PlanetAt(0, 0);
    pHome->m_pFleet->m_eState = FLEET_DISBAND;
    AddShip(pHome->m_pFleet, V_TYPE_SHIP_DRONE);
    PlanetUpdate(pHome);
    EXPECT_TRUE(pHome->m_pFleet && pHome->m_pFleet->m_cShip == 0 && pHome->m_pFleet->m_eState == FLEET_IDLE);
}

}  // namespace
}  // namespace motion_test
