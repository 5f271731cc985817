// PlanetEconomy: colonisation, ownership queries, the per-turn update and its order of effects, removal
// of structures destroyed in battle, and both pictures of a planet.
#include "tests/econ_world.h"

#include "game/fleet.h"
#include "game/moon.h"

namespace {

class PlanetEconomy : public SmallWorld {};

TEST_F(PlanetEconomy, ColonisingFoundsAColonyWithAHoldAndPaintsTheOwnersColour)
{
    Planet *pPlanet = PlanetAt(0);
    ASSERT_EQ(PlanetColonize(pPlanet, m_pHuman), 0);
    EXPECT_EQ(pPlanet->m_pOwner, m_pHuman);
    EXPECT_EQ(pPlanet->m_iOwnerNum, 1);
    EXPECT_EQ(pPlanet->m_aiState, PLANET_AI_NEW_COLONY);
    EXPECT_EQ(pPlanet->m_aiLastState, PLANET_AI_IDLE);
    EXPECT_EQ(pPlanet->m_bFlags & PLANET_KNOWN, PLANET_KNOWN);
    EXPECT_EQ(m_pHuman->m_cColony, 1);
    ASSERT_EQ(pPlanet->m_cStructure, 1);
    EXPECT_EQ(pPlanet->m_ppStructure[0]->m_eType, V_TYPE_COLONY);
    EXPECT_EQ(pPlanet->m_ppStructure[0]->m_pOwner, m_pHuman);
    EXPECT_EQ(PlanetGetColony(pPlanet), pPlanet->m_ppStructure[0]);
    ASSERT_NE(pPlanet->m_pFleet, nullptr);
    EXPECT_EQ(pPlanet->m_pFleet->m_pOwner, m_pHuman);
    EXPECT_EQ(pPlanet->m_pFleet->m_pHomePlanet, pPlanet);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(pPlanet->m_pIcon->m_pCells[i].m_attr, 0x92) << "icon cell " << i;
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[4].m_ch, 'M');
    for (int i = 0; i < 25; i++)
        EXPECT_EQ(m_pSystem->m_pIcon->m_pCells[i].m_attr, 0x94) << "system icon cell " << i;

    Planet *pOther = PlanetAt(1);
    PlanetColonize(pOther, m_pAI);
    EXPECT_EQ(pOther->m_pIcon->m_pCells[0].m_attr, 0xA2);
    EXPECT_EQ(m_pAI->m_cColony, 1);
    EXPECT_EQ(m_pHuman->m_cColony, 1);
}

TEST_F(PlanetEconomy, OwnershipAndStructureQueries)
{
    Planet *pPlanet = PlanetAt(0);
    EXPECT_EQ(PlanetIsOwnedBy(pPlanet, nullptr), 0);
    EXPECT_EQ(PlanetIsOwnedBy(pPlanet, m_pHuman), 0);
    EXPECT_EQ(PlanetGetColony(pPlanet), nullptr);
    EXPECT_EQ(PlanetGetShipyard(pPlanet), nullptr);
    PlanetColonize(pPlanet, m_pHuman);
    EXPECT_EQ(PlanetIsOwnedBy(pPlanet, m_pHuman), 1);
    EXPECT_EQ(PlanetIsOwnedBy(pPlanet, m_pAI), 0);
    Structure *pFirst = Build(pPlanet, V_TYPE_SHIPYARD);
    Build(pPlanet, V_TYPE_HARVESTER_ENERGY);
    Structure *pSecond = Build(pPlanet, V_TYPE_SHIPYARD);
    EXPECT_NE(pFirst, pSecond);
    EXPECT_EQ(PlanetGetShipyard(pPlanet), pSecond);
    EXPECT_EQ(PlanetHasStructure(pPlanet, V_TYPE_HARVESTER_ENERGY), 1);
    EXPECT_EQ(PlanetHasStructure(pPlanet, V_TYPE_HARVESTER_MATTER), 0);
}

TEST_F(PlanetEconomy, AnIdleColonyEarnsFiftyOfEachAndABuildingOneNothing)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    NextTurn();
    NextTurn();
    EXPECT_EQ(pPlanet->m_iEnergy, 1100);
    EXPECT_EQ(pPlanet->m_iMatter, 1100);
    ASSERT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_MATTER), 0);
    NextTurn();
    EXPECT_EQ(pPlanet->m_iEnergy, 1000);
    EXPECT_EQ(pPlanet->m_iMatter, 1000);
    EXPECT_EQ(PlanetAt(1)->m_iEnergy, 1000);  // unowned planets earn nothing
}

// Moons are inert: a planet holding one updates as before and frees it with itself.
TEST_F(PlanetEconomy, MoonsChangeNothing)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    pPlanet->m_ppMoon = (Moon **)calloc(1, sizeof(Moon *));
    ASSERT_EQ(MoonCreate(&pPlanet->m_ppMoon[0]), 0);
    pPlanet->m_cMoon = 1;
    EXPECT_EQ(MoonUpdate(pPlanet->m_ppMoon[0]), 0);
    EXPECT_EQ(MoonUpdate(nullptr), 1);
    NextTurn();
    EXPECT_EQ(pPlanet->m_iEnergy, 1050);
}

// 9000 + 2000 is 1000 over the silo's 10000: 500 steps of one unit from each store.
TEST_F(PlanetEconomy, ABuildingColonyAndASiloEndTheTurnCapped)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    Build(pPlanet, V_TYPE_STORAGE);
    pPlanet->m_iEnergy = 9100;
    pPlanet->m_iMatter = 2100;
    ASSERT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_ENERGY), 0);
    MessagesClear();
    NextTurn();
    EXPECT_EQ(pPlanet->m_iEnergy, 8500);
    EXPECT_EQ(pPlanet->m_iMatter, 1500);
    EXPECT_EQ(CountMessages("Stored resources exceed the maximum, decreasing"), 500);
}

// The array's order is the order of effects: a silo ahead of a harvester caps before the
// harvester adds (the excess waits for the next turn); behind it, it caps what was just added.
TEST_F(PlanetEconomy, ASiloEarlyInTheArrayCapsBeforeHarvestersLaterAdd)
{
    Planet *pEarly = PlanetAt(1);
    pEarly->m_pOwner = m_pAI;
    Build(pEarly, V_TYPE_STORAGE);
    Build(pEarly, V_TYPE_HARVESTER_ENERGY);
    Planet *pLate = PlanetAt(2);
    pLate->m_pOwner = m_pAI;
    Build(pLate, V_TYPE_HARVESTER_ENERGY);
    Build(pLate, V_TYPE_STORAGE);
    pEarly->m_iEnergy = pLate->m_iEnergy = 10000;
    pEarly->m_iMatter = pLate->m_iMatter = 0;
    NextTurn();
    EXPECT_EQ(pEarly->m_iEnergy, 10250);
    EXPECT_EQ(pEarly->m_iMatter, 0);
    EXPECT_EQ(pLate->m_iEnergy, 10125);
    EXPECT_EQ(pLate->m_iMatter, -125);
}

TEST_F(PlanetEconomy, ThePlayersPlanetsBecomeKnownOnTheirUpdateAndOthersDoNot)
{
    Planet *pMine = PlanetAt(0);
    Planet *pTheirs = PlanetAt(1);
    pMine->m_pOwner = m_pHuman;
    pTheirs->m_pOwner = m_pAI;
    NextTurn();
    EXPECT_EQ(pMine->m_bFlags & PLANET_KNOWN, PLANET_KNOWN);
    EXPECT_EQ(pTheirs->m_bFlags & PLANET_KNOWN, 0);
    EXPECT_NE(pTheirs->m_pFleet, nullptr);  // every owned planet keeps a hold
    EXPECT_EQ(PlanetAt(2)->m_pFleet, nullptr);
}

// A structure destroyed in battle is freed by its own update; the one behind it moves into its
// index and is still updated in the same turn.
TEST_F(PlanetEconomy, DestroyedStructuresLeaveTheArrayWithoutSkippingTheNextOne)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    Build(pPlanet, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    Build(pPlanet, V_TYPE_SAT_FAST)->m_bDestroyed = 1;
    Structure *pMatter = Build(pPlanet, V_TYPE_HARVESTER_MATTER);
    NextTurn();
    ASSERT_EQ(pPlanet->m_cStructure, 2);
    EXPECT_EQ(pPlanet->m_ppStructure[1], pMatter);
    EXPECT_EQ(pPlanet->m_ppStructure[2], nullptr);
    EXPECT_EQ(pPlanet->m_iEnergy, 1050);
    EXPECT_EQ(pPlanet->m_iMatter, 1300);

    pMatter->m_bDestroyed = 1;  // the last one of the array
    NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 1);
    EXPECT_EQ(pPlanet->m_iMatter, 1350);
}

TEST_F(PlanetEconomy, TheCloseUpShowsStructuresAndOneFPerShipInTheHold)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    Build(pPlanet, V_TYPE_SHIPYARD);
    for (int i = 0; i < 2; i++) {
        Ship *pShip = nullptr;
        ShipCreate(&pShip, "Ark", m_pHuman, V_TYPE_SHIP_FAST);
        FleetAddShip(pPlanet->m_pFleet, pShip);
    }
    PlanetDrawSurface(pPlanet);
    Surface *pSurface = pPlanet->m_pSurface;
    auto at = [pSurface](int x, int y) { return pSurface->m_pCells[y * pSurface->m_nWidth + x]; };
    EXPECT_EQ(at(5, 5).m_ch, 'Y');   // the shipyard, drawn last, over the Colony's corner
    EXPECT_EQ(at(5, 5).m_attr, 14);
    EXPECT_EQ(at(8, 5).m_ch, '*');   // the Colony's arc: its cells (3, 0) and (4, 1)
    EXPECT_EQ(at(9, 5).m_ch, ' ');
    EXPECT_EQ(at(9, 6).m_ch, '*');
    EXPECT_EQ(at(1, 1).m_ch, 'F');
    EXPECT_EQ(at(1, 1).m_attr, 0x90);
    EXPECT_EQ(at(2, 2).m_ch, 'F');
    EXPECT_EQ(at(3, 3).m_ch, ' ');

    // Ships that left leave no mark behind.
    Fleet *pHold = pPlanet->m_pFleet;
    while (!ListIsEmpty(pHold->m_pShips)) {
        Ship *pShip = (Ship *)QueuePop(pHold->m_pShips);
        ShipDestroy(&pShip);
    }
    pHold->m_cShip = 0;
    PlanetDrawSurface(pPlanet);
    EXPECT_EQ(at(1, 1).m_ch, ' ');
}

Planet *s_pShown = nullptr;
int s_cShown = 0;
void RecordShown(Planet *pPlanet)
{
    s_pShown = pPlanet;
    s_cShown++;
}

TEST_F(PlanetEconomy, TheSystemMapShowsKnownShadedAndSelectedPlanets)
{
    Planet *pPlanet = PlanetAt(1);  // earth-like: blank centre, attribute 2
    Surface *pMap = m_pSystem->m_pMap;
    auto at = [pMap](int x, int y) { return pMap->m_pCells[y * pMap->m_nWidth + x]; };
    int x = pPlanet->m_pos.m_x, y = pPlanet->m_pos.m_y;

    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(at(x, y).m_ch, ' ');  // unknown: nothing drawn

    pPlanet->m_bFlags = PLANET_SHADED;
    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(at(x + 2, y + 2).m_ch, 176);
    EXPECT_EQ(at(x + 2, y + 2).m_attr, 8);

    pPlanet->m_bFlags = PLANET_KNOWN;
    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(at(x, y).m_ch, '/');
    EXPECT_EQ(at(x, y).m_attr, 2);

    s_cShown = 0;
    PlanetSetSelectedDisplay(RecordShown);
    pPlanet->m_bFlags = PLANET_KNOWN | PLANET_SELECTED;
    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(at(x, y).m_attr, 0x20);                      // inverted on the map
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[0].m_attr, 2);    // the icon itself is restored
    EXPECT_EQ(s_cShown, 1);
    EXPECT_EQ(s_pShown, pPlanet);
    PlanetSetSelectedDisplay(nullptr);
    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(s_cShown, 1);

    PlanetColonize(pPlanet, m_pHuman);
    Ship *pShip = nullptr;
    ShipCreate(&pShip, "Ark", m_pHuman, V_TYPE_SHIP_DRONE);
    FleetAddShip(pPlanet->m_pFleet, pShip);
    pPlanet->m_bFlags = PLANET_KNOWN;
    PlanetDraw(pPlanet, pMap);
    EXPECT_EQ(at(x, y).m_ch, '*');  // the hold's star over the planet
    EXPECT_EQ(at(x + 1, y).m_attr, 0x92);
}

TEST(PlanetEconomyDeathTest, ColonisingNeedsAPlanetAndACompany)
{
    Company *pCompany = nullptr;
    CompanyCreate(&pCompany, "Human", 0x90, 0);
    EXPECT_DEATH(PlanetColonize(nullptr, pCompany), "planet != NULL");
    Planet *pPlanet = nullptr;
    PlanetCreate(&pPlanet, nullptr, "Terra", Coord{1, 1}, PLANET_ROCKY);
    EXPECT_DEATH(PlanetColonize(pPlanet, nullptr), "company != NULL");
    PlanetDestroy(&pPlanet);
    CompanyDestroy(&pCompany);
}

}  // namespace
