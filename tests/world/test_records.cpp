// The world's records: the catalogues and their lookups, and tearing a world down with
// nothing left behind.
#include <gtest/gtest.h>

#include "game/world/structure.h"
#include "tests/world/motion_world.h"

namespace {

TEST(Catalogues, LookupsFindTheEntryOfEachTypeAndTemplatesTakeNoId)
{
    int firstId = g_nextObjectId;
    ASSERT_EQ(ShipCatalogueCreate(), 0);
    ASSERT_EQ(StructCatalogueCreate(), 0);
    EXPECT_EQ(g_nextObjectId, firstId);
    for (int type = V_TYPE_SHIP_DRONE; type <= V_TYPE_MOTHERSHIP_SIEGE; type++) {
        Ship *pEntry = GetShipPrototype(type);
        EXPECT_TRUE(pEntry == g_ppShipInfo[type - 16] && pEntry->m_eType == type && pEntry->m_iId == -1);
    }
    for (int type = V_TYPE_HARVESTER_ENERGY; type <= V_TYPE_SAT_VAVUVUR; type++) {
        Structure *pEntry = GetStructurePrototype(type);
        EXPECT_TRUE(pEntry == g_ppStructInfo[type - 7] && pEntry->m_eType == type && pEntry->m_iId == -1);
    }
    EXPECT_EQ(GetStructurePrototype(V_TYPE_COLONY), nullptr);
    EXPECT_STREQ(ShipTypeName(25), "Undocumented Ship");
    ShipCatalogueDestroy();
    StructCatalogueDestroy();
    EXPECT_TRUE(!g_ppShipInfo && !g_ppStructInfo);
}

TEST(CatalogueDeathTest, LookupsOutsideTheirRangesStop)
{
    EXPECT_DEATH(GetShipPrototype(15),
                 "iShipType >= V_TYPE_SHIP_DRONE && iShipType <= V_TYPE_MOTHERSHIP_SIEGE");
    EXPECT_DEATH(GetStructurePrototype(16),
                 "\\(iStructType >= V_TYPE_COLONY && iStructType <= V_TYPE_SAT_VAVUVUR\\)");
}

// Everything reachable from the universe is freed by UniverseDestroy: a colony's queued item, a
// hold with a ship, a fleet in space with a route and in its company's list (LeakSanitizer checks
// at exit).
using WorldTearDown = motion_test::World;

TEST_F(WorldTearDown, DestroyingTheUniverseFreesEverythingAndClearsTheGlobal)
{
    ASSERT_EQ(ShipCatalogueCreate(), 0);
    ASSERT_EQ(StructCatalogueCreate(), 0);
    ASSERT_EQ(QueueStructure(PlanetGetColony(PlanetAt(0, 0)), V_TYPE_SHIPYARD), 0);
    motion_test::AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_FAST);
    Fleet *pSpace = SpaceFleet(0, 0, Coord{5, 5}, {V_TYPE_MOTHERSHIP_SIEGE});
    ListAppend(pSpace->m_pRoute, SystemAt(1));
    ASSERT_EQ(CompanyAddFleet(Player(), pSpace), 0);
    ShipCatalogueDestroy();
    StructCatalogueDestroy();
    UniverseDestroy(&g_pUniverse);
    EXPECT_EQ(g_pUniverse, nullptr);
}

}  // namespace
