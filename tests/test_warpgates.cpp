// Warp gates: the price of opening one, what happens to a fleet that cannot pay, passing to the
// paired system, the exit report and drawing.
#include <climits>

#include "game/2dutils.h"
#include "tests/motion_world.h"

namespace motion_test {
namespace {

using Warpgates = World;

TEST_F(Warpgates, NewGateIsClosedUnpairedAndPriced)
{
    Warpgate *pGate = Gate(0, 1);
    EXPECT_EQ(pGate->m_pPair, nullptr);
    EXPECT_EQ(pGate->m_bActive, 0);
    EXPECT_EQ(pGate->m_cTransit, 0);
    EXPECT_EQ(pGate->m_pTransitFleet, nullptr);
    EXPECT_EQ(pGate->m_iEnergyCost, WARPGATE_ENERGY_COST);
    EXPECT_EQ(pGate->m_iMatterCost, WARPGATE_MATTER_COST);
    EXPECT_GT(WARPGATE_ENERGY_COST, 1);   // a fresh fleet's supplies do not open a gate
    EXPECT_EQ(Gate(0, 0)->m_pPair, Gate(1, 0));
    EXPECT_EQ(Gate(1, 0)->m_pPair, Gate(0, 0));
}

TEST_F(Warpgates, ActivationWithoutGateOrFleetIsRefused)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_SHIP_FAST});
    EXPECT_EQ(WarpgateActivate(nullptr, pFleet), 51);
    EXPECT_EQ(WarpgateActivate(Gate(0, 0), nullptr), 57);
    EXPECT_EQ(Gate(0, 0)->m_bActive, 0);
    EXPECT_EQ(MessageCount(), 0);
}

TEST_F(Warpgates, FleetThatCanPayOpensTheGateAndNegativeSuppliesCountAsRich)
{
    Warpgate *pGate = Gate(0, 0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    pFleet->m_iEnergy = WARPGATE_ENERGY_COST;
    pFleet->m_iMatter = WARPGATE_MATTER_COST + 7;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 0);
    EXPECT_EQ(pGate->m_bActive, 1);
    EXPECT_EQ(pFleet->m_iEnergy, 0);
    EXPECT_EQ(pFleet->m_iMatter, 7);

    // Supplies below zero compare as huge unsigned values: the fleet pays and sinks further.
    pGate->m_bActive = 0;
    pFleet->m_iEnergy = -299;
    pFleet->m_iMatter = -299;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 0);
    EXPECT_EQ(pFleet->m_iEnergy, -299 - WARPGATE_ENERGY_COST);
    EXPECT_EQ(pFleet->m_iMatter, -299 - WARPGATE_MATTER_COST);

    // At the very bottom the supplies stay at the lowest int rather than wrapping to riches.
    pFleet->m_iEnergy = INT_MIN + 1;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 0);
    EXPECT_EQ(pFleet->m_iEnergy, INT_MIN);
    EXPECT_EQ(MessageCount(), 0);
}

TEST_F(Warpgates, FleetThatCannotPayTurnsHomeWhenItsRangeReachesElseIsStranded)
{
    Warpgate *pGate = Gate(0, 1);
    pGate->m_iEnergyCost = 5;
    pGate->m_iMatterCost = 5;
    Fleet *pFleet = SpaceFleet(0, 0, Coord{0, 30}, {V_TYPE_SHIP_FAST});   // home (0,0): 30 away
    pFleet->m_iRange = 25;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 63);
    ASSERT_EQ(MessageCount(), 2);
    EXPECT_STREQ(MessageText(0), "Insufficient resources to activate warp gate");
    EXPECT_STREQ(MessageText(1), "Fleet Stranded! HELP!");
    EXPECT_EQ(MessageAttr(1), 0x9F);
    EXPECT_EQ(pFleet->m_iEnergy, 1);
    EXPECT_EQ(pGate->m_bActive, 0);

    MessagesClear();
    pFleet->m_iRange = 30;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 60);
    ASSERT_EQ(MessageCount(), 1);
    EXPECT_STREQ(MessageText(0), "Insufficient resources to activate warp gate");
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
    EXPECT_EQ(pGate->m_bActive, 0);

    // A range that wrapped below zero always reaches home.
    pFleet->m_iRange = UINT32_MAX;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 60);

    // Without a home planet there is only the cry for help.
    MessagesClear();
    pFleet->m_pHomePlanet = nullptr;
    EXPECT_EQ(WarpgateActivate(pGate, pFleet), 63);
    ASSERT_EQ(MessageCount(), 1);
    EXPECT_STREQ(MessageText(0), "Fleet Stranded! HELP!");
}

TEST_F(Warpgates, FleetArrivingAtAGatePaysOnceAndPassesToThePairedSystem)
{
    Warpgate *pEntry = Gate(0, 0);   // (80, 10)
    Warpgate *pExit = Gate(1, 0);    // (10, 10)
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 14}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER});
    ASSERT_EQ(FleetMoveToGate(pFleet, pEntry), 0);
    FleetUpdate(pFleet);
    ASSERT_EQ(pFleet->m_eState, FLEET_WARP);
    int energyBefore = pFleet->m_iEnergy;

    FleetUpdate(pFleet);
    EXPECT_EQ(pEntry->m_bActive, 1);
    EXPECT_EQ(pFleet->m_iEnergy, energyBefore - 200 - WARPGATE_ENERGY_COST);
    EXPECT_FALSE(ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_TRUE(ListHolds(SystemAt(1)->m_pFleets, pFleet));
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(1));
    EXPECT_EQ(pFleet->m_pos.m_x, 10);
    EXPECT_EQ(pFleet->m_pos.m_y, 10);
    EXPECT_EQ(pFleet->m_dX, 10.0);
    EXPECT_EQ(pFleet->m_pHomePlanet, nullptr);
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
    EXPECT_EQ(pExit->m_pTransitFleet, pFleet);
    EXPECT_EQ(CountMessages("Activating warp gate"), 1);
    EXPECT_EQ(CountMessages("Warping through gate"), 1);
    EXPECT_EQ(GetFleetSystem(pFleet), SystemAt(1));

    // Back through the pair, now closed, and then through the open gate again for free.
    pFleet->m_iEnergy = 1;
    pFleet->m_iMatter = 1;
    pExit->m_bActive = 1;
    FleetMoveToGate(pFleet, pExit);
    Fly(pFleet, 5);
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(0));
    EXPECT_EQ(CountMessages("Activating warp gate"), 1);
    EXPECT_EQ(pFleet->m_iEnergy, 1 - 400);
}

TEST_F(Warpgates, FleetThatCannotPayAtTheGateGoesHomeOrIsStrandedThere)
{
    Warpgate *pEntry = Gate(0, 0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 14}, {V_TYPE_SHIP_FAST});
    FleetMoveToGate(pFleet, pEntry);
    FleetUpdate(pFleet);
    ASSERT_EQ(pFleet->m_eState, FLEET_WARP);
    pFleet->m_iEnergy = WARPGATE_ENERGY_COST + 100 - 1;   // upkeep leaves it one short
    pFleet->m_iRange = 81;                                 // home lies 80.6 cells away
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(0));
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
    EXPECT_EQ(pEntry->m_bActive, 0);
    EXPECT_EQ(CountMessages("Warping through gate"), 0);

    // The same fleet with nowhere to go stays at the gate, stranded.
    FleetMoveToGate(pFleet, pEntry);
    Fly(pFleet, 40);
    ASSERT_EQ(pFleet->m_eState, FLEET_WARP);
    pFleet->m_pHomePlanet = nullptr;
    pFleet->m_iEnergy = 100;   // upkeep leaves nothing; the matter below zero alone does not pay
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_eState, FLEET_STRANDED);
    EXPECT_TRUE(ListHolds(SystemAt(0)->m_pFleets, pFleet));
    EXPECT_EQ(CountMessages("Fleet Stranded! HELP!"), 1);
    FleetUpdate(pFleet);
    EXPECT_EQ(CountMessages("A fleet has been stranded!"), 1);
}

TEST_F(Warpgates, FleetAtAGateThatLeadsNowhereWaitsWhereItIs)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{80, 80}, {V_TYPE_SHIP_FAST});
    pFleet->m_pTargetGate = Gate(0, 1);   // unpaired; orders refuse it, a saved game may not
    pFleet->m_eState = FLEET_WARP;
    FleetUpdate(pFleet);
    EXPECT_EQ(pFleet->m_eState, FLEET_IDLE);
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);
    EXPECT_EQ(pFleet->m_pSystem, SystemAt(0));
    EXPECT_EQ(Gate(0, 1)->m_bActive, 0);
    EXPECT_EQ(pFleet->m_iEnergy, 1 - 100);
}

TEST_F(Warpgates, ExitIsReportedOnceAtTheTickAfterAPassage)
{
    Warpgate *pExit = Gate(1, 0);
    for (int i = 0; i < 300; i++)
        EXPECT_EQ(WarpgateTick(pExit), 0);
    EXPECT_EQ(MessageCount(), 0);

    Fleet *pFleet = SpaceFleet(0, 3, Coord{80, 10}, {V_TYPE_SHIP_FAST});   // the rival's
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_eState = FLEET_WARP;
    FleetUpdate(pFleet);
    EXPECT_EQ(CountMessages("Fleet exited warp gate."), 0);
    WarpgateTick(pExit);
    ASSERT_EQ(CountMessages("Fleet exited warp gate."), 1);
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0xAF);
    for (int i = 0; i < 300; i++)
        WarpgateTick(pExit);
    EXPECT_EQ(CountMessages("Fleet exited warp gate."), 1);
    EXPECT_EQ(WarpgateTick(nullptr), 1);
}

TEST_F(Warpgates, DrawingBlitsTheSpriteAndAHighlightedGateInverted)
{
    Warpgate *pGate = Gate(0, 1);   // (80, 80)
    Surface *pMap = CreateSurface(100, 100);
    FillSurface(pMap, Cell{' ', 0x0B});
    EXPECT_EQ(WarpgateDraw(pGate, pMap), 0);
    EXPECT_EQ(pMap->m_pCells[80 * 100 + 80].m_ch, '/');
    EXPECT_EQ(pMap->m_pCells[81 * 100 + 81].m_ch, 'W');
    EXPECT_EQ(pMap->m_pCells[83 * 100 + 83].m_attr, 9);
    EXPECT_EQ(pMap->m_pCells[84 * 100 + 84].m_ch, ' ');

    pGate->m_bHighlight = 1;
    WarpgateDraw(pGate, pMap);
    EXPECT_EQ(pMap->m_pCells[80 * 100 + 80].m_attr, 0x90);
    EXPECT_EQ(pMap->m_pCells[83 * 100 + 83].m_attr, 0x90);
    EXPECT_EQ(pGate->m_pSprite->m_pCells[15].m_attr, 9);
    EXPECT_EQ(WarpgateDraw(nullptr, pMap), 1);
    EXPECT_EQ(WarpgateDraw(pGate, nullptr), 1);
    DestroySurface(&pMap);
}

}  // namespace
}  // namespace motion_test
