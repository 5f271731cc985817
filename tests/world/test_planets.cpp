// Planets: colonisation and its colours, the close-up picture, and the per-turn update with the
// removal of structures destroyed in battle.
#include "tests/world/econ_world.h"

namespace {

using PlanetEconomy = SmallWorld;

// Colonising paints the planet's icon and its system's in the owner's colour. The close-up shows
// every structure at (5,5), the last drawn on top, and an 'F' per ship in the hold.
TEST_F(PlanetEconomy, ColonisingPaintsTheOwnersColourTheCloseUpShowsTheHoldAndWrecksLeaveTheArray)
{
    Planet *pPlanet = PlanetAt(0);
    ASSERT_EQ(PlanetColonize(pPlanet, m_pHuman), 0);
    for (int i = 0; i < 25; i++) {
        EXPECT_EQ(m_pSystem->m_pIcon->m_pCells[i].m_attr, 0x94) << "system icon cell " << i;
        EXPECT_TRUE(i >= 9 || pPlanet->m_pIcon->m_pCells[i].m_attr == 0x92) << "icon cell " << i;
    }
    Build(pPlanet, V_TYPE_SHIPYARD);
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

    // A structure destroyed in battle is freed by its own update; the one behind it moves into its
    // index and is still updated in the same turn. The player's planets become known on their update.
    pPlanet->m_bFlags = 0;
    Build(pPlanet, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    Build(pPlanet, V_TYPE_SAT_FAST)->m_bDestroyed = 1;
    Structure *pMatter = Build(pPlanet, V_TYPE_HARVESTER_MATTER);
    NextTurn();
    ASSERT_EQ(pPlanet->m_cStructure, 3);
    EXPECT_TRUE(pPlanet->m_ppStructure[2] == pMatter && !pPlanet->m_ppStructure[3]);
    EXPECT_EQ(Stores(pPlanet), "1050/1300");
    EXPECT_EQ(pPlanet->m_bFlags, PLANET_KNOWN);
    pMatter->m_bDestroyed = 1;  // the last one of the array
    NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 2);
    EXPECT_EQ(Stores(pPlanet), "1100/1350");
}

}  // namespace
