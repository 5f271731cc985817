// Warp gates: the price of opening one, what happens to a fleet that cannot pay, passing to the
// paired system and the exit report.
#include <climits>

#include "tests/world/motion_world.h"

namespace motion_test {
namespace {

using Warpgates = World;

// The messages of the log, one a line.
std::string Log()
{
    std::string log;
    for (int i = 0; i < MessageCount(); i++)
        log += std::string(MessageText(i)) + "\n";
    return log;
}

// A fleet that can pay opens the gate (0); supplies below zero compare as huge unsigned values, so
// the fleet pays and sinks further, but stays at the lowest int rather than wrapping to riches.
// With supplies 1 and 1 at a gate costing 5 and 5 and home 30 away, range 25 strands the fleet
// (63), range 30 or a range wrapped below zero sends it home (60).
TEST_F(Warpgates, ActivatingAGateTakesItsPriceOrSendsTheFleetHomeOrStrandsIt)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 30}, {V_TYPE_SHIP_FAST});
    Warpgate *pGate = Gate(0, 0), *pDear = Gate(0, 1);
    EXPECT_TRUE(WarpgateActivate(nullptr, pFleet) == 51 && WarpgateActivate(pGate, nullptr) == 57);
    pFleet->m_iEnergy = WARPGATE_ENERGY_COST;
    pFleet->m_iMatter = WARPGATE_MATTER_COST + 7;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 0);
    EXPECT_TRUE(pGate->m_bActive && pFleet->m_iEnergy == 0 && pFleet->m_iMatter == 7);
    pFleet->m_iEnergy = INT_MIN + 1;
    pFleet->m_iMatter = -299;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 0);
    EXPECT_TRUE(pFleet->m_iEnergy == INT_MIN && pFleet->m_iMatter == -299 - WARPGATE_MATTER_COST);
    EXPECT_EQ(Log(), "");

    pDear->m_iEnergyCost = pDear->m_iMatterCost = 5;
    pFleet->m_iEnergy = pFleet->m_iMatter = 1;
    pFleet->m_iRange = 25;
    EXPECT_EQ(WarpgateActivate(pDear, pFleet), 63);
    EXPECT_EQ(Log(), "Insufficient resources to activate warp gate\nFleet Stranded! HELP!\n");
    EXPECT_EQ(MessageAttr(1), 0x9F);
    EXPECT_TRUE(pFleet->m_eState == FLEET_IDLE && pFleet->m_iEnergy == 1 && !pDear->m_bActive);
    for (unsigned range : {30u, UINT32_MAX}) {
        MessagesClear();
        pFleet->m_iRange = range;
        EXPECT_EQ(WarpgateActivate(pDear, pFleet), 60);
        EXPECT_EQ(Log(), "Insufficient resources to activate warp gate\n");
        EXPECT_TRUE(pFleet->m_eState == FLEET_LAUNCH && pFleet->m_pTargetPlanet == PlanetAt(0, 0));
    }
}

// Passing costs the gate's price once, then only the upkeep; the exit is reported once, at the
// gate's tick after the passage, in the fleet owner's colour.
TEST_F(Warpgates, AFleetArrivingAtAGatePaysOnceAndPassesToThePairedSystem)
{
    Warpgate *pEntry = Gate(0, 0), *pExit = Gate(1, 0);  // at (80, 10) and (10, 10)
    Fleet *pFleet = SpaceFleet(0, 3, Coord{80, 14}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER});
    ASSERT_EQ(FleetMoveToGate(pFleet, pEntry), 0);
    FleetUpdate(pFleet);
    ASSERT_EQ(pFleet->m_eState, FLEET_WARP);
    pFleet->m_iEnergy = WARPGATE_ENERGY_COST + 200;
    FleetUpdate(pFleet);
    EXPECT_TRUE(pEntry->m_bActive && pFleet->m_iEnergy == 0);
    EXPECT_TRUE(ListHolds(SystemAt(1)->m_pFleets, pFleet) && !ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_TRUE(pFleet->m_pSystem == SystemAt(1) && pFleet->m_pos.m_x == 10 && pFleet->m_dY == 10.0);
    EXPECT_TRUE(!pFleet->m_pHomePlanet && !pFleet->m_pTargetGate && pFleet->m_eState == FLEET_IDLE);
    EXPECT_EQ(Log(), "Activating warp gate\nWarping through gate\n");
    for (int tick = 0; tick < 300; tick++) {
        WarpgateTick(pExit);
        ASSERT_EQ(Log(), "Activating warp gate\nWarping through gate\nFleet exited warp gate.\n") << tick;
    }
    EXPECT_EQ(MessageAttr(2), 0xAF);
    pExit->m_bActive = 1;
    FleetMoveToGate(pFleet, pExit);
    Fly(pFleet, 5);
    FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_pSystem == SystemAt(0) && pFleet->m_iEnergy == -400);
    EXPECT_EQ(CountMessages("Activating warp gate"), 1);
}

// A fleet at a gate it cannot pay for does not pass: it goes home, or is stranded there when it
// has no home (the matter below zero alone does not pay). At a gate left unpaired, which orders
// refuse but a saved game may carry, it waits where it is.
TEST_F(Warpgates, AFleetThatCannotPayAtTheGateGoesHomeOrIsStrandedAndAnUnpairedGateLeadsNowhere)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_eState = FLEET_WARP;
    pFleet->m_iEnergy = WARPGATE_ENERGY_COST + 100 - 1;  // upkeep leaves it one short
    pFleet->m_iRange = 81;                                // home lies 80.6 cells away
    FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_eState == FLEET_LAUNCH && pFleet->m_pTargetPlanet == PlanetAt(0, 0));
    EXPECT_TRUE(pFleet->m_pSystem == SystemAt(0) && !Gate(0, 0)->m_bActive);
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_eState = FLEET_WARP;
    pFleet->m_pHomePlanet = nullptr;
    pFleet->m_iEnergy = 100;
    FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_eState == FLEET_STRANDED && ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_EQ(Log(), "Activating warp gate\nInsufficient resources to activate warp gate\n"
                     "Activating warp gate\nFleet Stranded! HELP!\n");

    EXPECT_EQ(FleetMoveToGate(pFleet, Gate(0, 1)), 1);
    pFleet->m_pTargetGate = Gate(0, 1);
    pFleet->m_eState = FLEET_WARP;
    FleetUpdate(pFleet);
    EXPECT_TRUE(pFleet->m_eState == FLEET_IDLE && !pFleet->m_pTargetGate && pFleet->m_pSystem == SystemAt(0));
    EXPECT_FALSE(Gate(0, 1)->m_bActive);
}

}  // namespace
}  // namespace motion_test
