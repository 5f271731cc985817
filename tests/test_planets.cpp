// Planets: colonisation and its colours, the per-turn update and the order of its effects, removal
// of structures destroyed in battle, and the close-up picture.
#include "tests/econ_world.h"

namespace {

using PlanetEconomy = SmallWorld;

// Colonising paints the planet's icon and its system's in the owner's colour. The close-up shows
// every structure at (5,5), the last drawn on top, and an 'F' per ship in the hold.
TEST_F(PlanetEconomy, ColonisingPaintsTheOwnersColourAndTheCloseUpShowsStructuresAndShips)
{
    Planet *pPlanet = PlanetAt(0);
    ASSERT_EQ(PlanetColonize(pPlanet, m_pHuman), 0);
    for (int i = 0; i < 25; i++) {
        EXPECT_EQ(m_pSystem->m_pIcon->m_pCells[i].m_attr, 0x94) << "system icon cell " << i;
        EXPECT_TRUE(i >= 9 || pPlanet->m_pIcon->m_pCells[i].m_attr == 0x92) << "icon cell " << i;
    }
    Build(pPlanet, V_TYPE_SHIPYARD);
    Structure *pSecond = Build(pPlanet, V_TYPE_SHIPYARD);
    EXPECT_EQ(PlanetGetShipyard(pPlanet), pSecond);  // of two, the one with the higher index
    for (int i = 0; i < 2; i++)
        motion_test::AddShip(pPlanet->m_pFleet, V_TYPE_SHIP_FAST);
    PlanetDrawSurface(pPlanet);
    Surface *pSurface = pPlanet->m_pSurface;
    auto at = [pSurface](int x, int y) { return pSurface->m_pCells[y * pSurface->m_nWidth + x]; };
    EXPECT_TRUE(at(5, 5).m_ch == 'Y' && at(9, 6).m_ch == '*');  // over the Colony, beside its arc
    EXPECT_TRUE(at(1, 1).m_ch == 'F' && at(2, 2).m_ch == 'F' && at(3, 3).m_ch == ' ');
    EXPECT_EQ(at(1, 1).m_attr, 0x90);
    // Ships that left leave no mark behind.
    while (!ListIsEmpty(pPlanet->m_pFleet->m_pShips)) {
        Ship *pShip = (Ship *)QueuePop(pPlanet->m_pFleet->m_pShips);
        ShipDestroy(&pShip);
    }
    pPlanet->m_pFleet->m_cShip = 0;
    PlanetDrawSurface(pPlanet);
    EXPECT_EQ(at(1, 1).m_ch, ' ');
}

// A structure destroyed in battle is freed by its own update; the one behind it moves into its
// index and is still updated in the same turn. The player's planets become known on their update.
TEST_F(PlanetEconomy, DestroyedStructuresLeaveTheArrayWithoutSkippingTheNextOne)
{
    Planet *pPlanet = PlanetAt(0);
    PlanetColonize(pPlanet, m_pHuman);
    pPlanet->m_bFlags = 0;
    Build(pPlanet, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    Build(pPlanet, V_TYPE_SAT_FAST)->m_bDestroyed = 1;
    Structure *pMatter = Build(pPlanet, V_TYPE_HARVESTER_MATTER);
    NextTurn();
    ASSERT_EQ(pPlanet->m_cStructure, 2);
    EXPECT_TRUE(pPlanet->m_ppStructure[1] == pMatter && !pPlanet->m_ppStructure[2]);
    EXPECT_EQ(Stores(pPlanet), "1050/1300");
    EXPECT_EQ(pPlanet->m_bFlags, PLANET_KNOWN);
    pMatter->m_bDestroyed = 1;  // the last one of the array
    NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 1);
    EXPECT_EQ(Stores(pPlanet), "1100/1350");
}

// The array's order is the order of effects: a silo ahead of a harvester caps before the
// harvester adds (the excess waits for the next turn); behind it, it caps what was just added.
TEST_F(PlanetEconomy, ASiloEarlyInTheArrayCapsBeforeHarvestersLaterAdd)
{
    Planet *pEarly = PlanetAt(1), *pLate = PlanetAt(2);
    pEarly->m_pOwner = pLate->m_pOwner = m_pAI;
    for (int type : {V_TYPE_STORAGE, V_TYPE_HARVESTER_ENERGY})
        Build(pEarly, type);
    for (int type : {V_TYPE_HARVESTER_ENERGY, V_TYPE_STORAGE})
        Build(pLate, type);
    pEarly->m_iEnergy = pLate->m_iEnergy = 10000;
    pEarly->m_iMatter = pLate->m_iMatter = 0;
    NextTurn();
    EXPECT_EQ(Stores(pEarly), "10250/0");
    EXPECT_EQ(Stores(pLate), "10125/-125");
    EXPECT_FALSE(pEarly->m_bFlags & PLANET_KNOWN);  // a computer company's
}

}  // namespace
