// The world's records: types, ids, companies, the catalogues, weapons and armor, and tearing a
// hand-built world down with nothing left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "baseutilities/baselist.h"
#include "game/2dutils.h"
#include "game/armor.h"
#include "game/company.h"
#include "game/fleet.h"
#include "game/planet.h"
#include "game/ship.h"
#include "game/structure.h"
#include "game/system.h"
#include "game/universe.h"
#include "game/warpgate.h"
#include "game/weapon.h"
#include "game/world.h"

namespace {

TEST(ObjectTypes, RangesOfShipsAndStructures)
{
    EXPECT_EQ(TypeIsStructure(5), 0);
    EXPECT_EQ(TypeIsStructure(6), 1);
    EXPECT_EQ(TypeIsStructure(15), 1);
    EXPECT_EQ(TypeIsStructure(16), 0);
    EXPECT_EQ(TypeIsShip(15), 0);
    EXPECT_EQ(TypeIsShip(16), 1);
    EXPECT_EQ(TypeIsShip(24), 1);
    EXPECT_EQ(TypeIsShip(25), 0);
}

TEST(ObjectIds, EveryObjectTakesTheNextIdAndTemplatesTakeNone)
{
    int first = g_nextObjectId;
    Ship *pShip = nullptr;
    Warpgate *pGate = nullptr;
    ASSERT_EQ(ShipCreate(&pShip, "Ark", nullptr, V_TYPE_SHIP_DRONE), 0);
    ASSERT_EQ(WarpgateCreate(&pGate, nullptr, Coord{3, 4}), 0);
    EXPECT_EQ(pShip->m_iId, first);
    EXPECT_EQ(pGate->m_iId, first + 1);
    EXPECT_EQ(g_nextObjectId, first + 2);

    ASSERT_EQ(ShipCatalogueCreate(), 0);
    ASSERT_EQ(StructCatalogueCreate(), 0);
    EXPECT_EQ(g_nextObjectId, first + 2);
    EXPECT_EQ(g_ppShipInfo[0]->m_iId, -1);
    EXPECT_EQ(g_ppStructInfo[8]->m_iId, -1);
    ShipCatalogueDestroy();
    StructCatalogueDestroy();
    ShipDestroy(&pShip);
    WarpgateDestroy(&pGate);
    EXPECT_EQ(pShip, nullptr);
    EXPECT_EQ(pGate, nullptr);
    EXPECT_EQ(ShipDestroy(&pShip), 1);
    EXPECT_EQ(WarpgateDestroy(&pGate), 1);
}

TEST(Company, StartsWithFullAccountsIdleAndNoColonies)
{
    char name[] = "Human";
    Company *pCompany = nullptr;
    ASSERT_EQ(CompanyCreate(&pCompany, name, 0x90, 0), 0);
    name[0] = 'X';  // the company keeps its own copy
    EXPECT_STREQ(pCompany->m_pName, "Human");
    EXPECT_EQ(pCompany->m_iEnergy, 10000);
    EXPECT_EQ(pCompany->m_iMatter, 10000);
    EXPECT_EQ(pCompany->m_aiState, COMPANY_AI_IDLE);
    EXPECT_EQ(pCompany->m_aiLastState, COMPANY_AI_IDLE);
    EXPECT_EQ(pCompany->m_cColony, 0);
    EXPECT_EQ(pCompany->m_cFleet, 0);
    EXPECT_EQ(pCompany->m_ppFleet, nullptr);
    EXPECT_EQ(pCompany->m_color, 0x90);
    EXPECT_EQ(pCompany->m_bAI, 0);
    CompanyDestroy(&pCompany);
    EXPECT_EQ(pCompany, nullptr);
}

class Catalogues : public ::testing::Test {
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
        EXPECT_EQ(g_ppShipInfo, nullptr);
        EXPECT_EQ(g_ppStructInfo, nullptr);
    }
};

TEST_F(Catalogues, ShipTemplatesHoldModelNamesPricesAndBuildTimes)
{
    const struct {
        int type;
        const char *model;
        int turns;
    } expected[] = {
        {16, "Rackham Corp. EG324 Dragon", 2}, {17, "SNAP Fighter", 4},
        {18, "A-5 Blackwood", 4},              {19, "C-B455 Fighter Class M", 4},
        {20, "Zembrokata Jimmy Class HX1000", 5}, {21, "Omnia Industries R-WND 87A", 10},
        {22, "LG/I Rabbit Model 426", 20},     {23, "ATP-3379 Transport", 15},
        {24, "Solajwf Mark IV", 30},
    };
    for (const auto &row : expected) {
        Ship *pInfo = GetShipPrototype(row.type);
        ASSERT_NE(pInfo, nullptr);
        EXPECT_EQ(pInfo, g_ppShipInfo[row.type - 16]);
        EXPECT_EQ(pInfo->m_eType, row.type);
        EXPECT_STREQ(pInfo->m_pName, row.model);
        EXPECT_EQ(pInfo->m_iMorale, row.turns);
        EXPECT_EQ(pInfo->m_iFuel, 100);
        EXPECT_EQ(pInfo->m_iMatterCost, 100);
        EXPECT_EQ(pInfo->m_iEnergyUpkeep, 5);
        EXPECT_EQ(pInfo->m_iMatterUpkeep, 5);
        EXPECT_EQ(pInfo->m_bMark, 0);
        ASSERT_NE(pInfo->m_pWeapon, nullptr);
        ASSERT_NE(pInfo->m_pArmor, nullptr);
    }
    EXPECT_EQ(GetShipPrototype(V_TYPE_SHIP_HEAVY)->m_pArmor->m_iHp, 48);
    EXPECT_EQ(GetShipPrototype(V_TYPE_MOTHERSHIP_SIEGE)->m_pWeapon->m_iDamage, 100);
}

TEST_F(Catalogues, StructureTemplatesHoldPricesAndBuildTimesAndTheColonyHasNone)
{
    const struct {
        int type;
        const char *name;
        int cost, turns;
    } expected[] = {
        {7, "Energy Harvester", 100, 3}, {8, "Matter Harvester", 100, 3}, {9, "Shipyard", 500, 1},
        {10, "Storage Silo", 800, 2},    {11, "Fast Satellite", 150, 4},  {12, "Atomic Satellite", 150, 4},
        {13, "Laser Satellite", 150, 4}, {14, "Heavy Satellite", 150, 5}, {15, "Vavuvur Cannon", 1000, 15},
    };
    for (const auto &row : expected) {
        Structure *pInfo = GetStructurePrototype(row.type);
        ASSERT_NE(pInfo, nullptr);
        EXPECT_EQ(pInfo, g_ppStructInfo[row.type - 7]);
        EXPECT_STREQ(pInfo->m_pName, row.name);
        EXPECT_EQ(pInfo->m_iEnergyCost, row.cost);
        EXPECT_EQ(pInfo->m_iMatterCost, row.cost);
        EXPECT_EQ(pInfo->m_iParam, row.turns);
        EXPECT_EQ(pInfo->m_iEnergyYield, 0);
        EXPECT_EQ(pInfo->m_iMatterYield, 0);
    }
    EXPECT_EQ(GetStructurePrototype(V_TYPE_COLONY), nullptr);
    EXPECT_EQ(GetStructurePrototype(V_TYPE_SAT_LASER)->m_pWeapon->m_eKind, WEAPON_LASER);
    EXPECT_EQ(GetStructurePrototype(V_TYPE_STORAGE)->m_pArmor->m_iHp, 500);
}

TEST_F(Catalogues, AffordabilityComparesStoresUnsigned)
{
    Structure *pShipyard = GetStructurePrototype(V_TYPE_SHIPYARD);
    EXPECT_EQ(CanAffordStructure(pShipyard, 500, 500), 1);
    EXPECT_EQ(CanAffordStructure(pShipyard, 500, 499), 0);
    EXPECT_EQ(CanAffordStructure(pShipyard, -250, 500), 1);  // a negative store reads as huge
    Ship *pDrone = GetShipPrototype(V_TYPE_SHIP_DRONE);
    EXPECT_EQ(CanAffordShip(pDrone, 100, 100), 1);
    EXPECT_EQ(CanAffordShip(pDrone, 99, 100), 0);
    EXPECT_EQ(CanAffordShip(pDrone, 100, -1), 1);
}

TEST(CatalogueDeathTest, LookupsOutsideTheirRangesStop)
{
    EXPECT_DEATH(GetShipPrototype(15),
                 "iShipType >= V_TYPE_SHIP_DRONE && iShipType <= V_TYPE_MOTHERSHIP_SIEGE");
    EXPECT_DEATH(GetStructurePrototype(16),
                 "\\(iStructType >= V_TYPE_COLONY && iStructType <= V_TYPE_SAT_VAVUVUR\\)");
}

TEST(ShipNames, DisplayNamesAndTheUndocumentedShip)
{
    EXPECT_STREQ(ShipTypeName(16), "Robotic Drone");
    EXPECT_STREQ(ShipTypeName(22), "Colony Mothership");
    EXPECT_STREQ(ShipTypeName(24), "Siege Mothership");
    EXPECT_STREQ(ShipTypeName(15), "Undocumented Ship");
    EXPECT_STREQ(ShipTypeName(25), "Undocumented Ship");
    EXPECT_STREQ(ShipClassName(17), "Close-Range");
    EXPECT_STREQ(WeaponKindLabel(WEAPON_HEAVY), "Batt.");
    EXPECT_STREQ(WeaponKindLabel(6), "???");
}

TEST(WeaponsAndArmor, TablesPerTypeWithTheDronesArmorAsDefault)
{
    Weapon *pWeapon = nullptr;
    Armor *pArmor = nullptr;
    WeaponCreate(&pWeapon, V_TYPE_SAT_VAVUVUR);
    EXPECT_EQ(pWeapon->m_eKind, WEAPON_ALL);
    EXPECT_EQ(pWeapon->m_iDamage, 255);
    EXPECT_EQ(pWeapon->m_iReach, 1000);
    WeaponDestroy(&pWeapon);
    WeaponCreate(&pWeapon, V_TYPE_MOTHERSHIP_COLONY);
    EXPECT_EQ(pWeapon->m_eKind, WEAPON_NONE);
    EXPECT_EQ(pWeapon->m_iDamage, 0);
    EXPECT_EQ(pWeapon->m_iReach, 0);
    WeaponDestroy(&pWeapon);

    ArmorCreate(&pArmor, V_TYPE_SHIP_ATOMIC);
    EXPECT_FLOAT_EQ(pArmor->m_fVsFast, 2.0f);
    EXPECT_FLOAT_EQ(pArmor->m_fVsHeavy, 0.5f);
    ArmorDestroy(&pArmor);
    ArmorCreate(&pArmor, 3);  // no table names it: the drone's values
    EXPECT_EQ(pArmor->m_iHp, 24);
    EXPECT_EQ(pArmor->m_iBaseHp, 24);
    EXPECT_FLOAT_EQ(pArmor->m_fVsHeavy, 1.0f);
    ArmorDestroy(&pArmor);
    EXPECT_EQ(ArmorDestroy(&pArmor), 1);
}

TEST(Structures, QueuesOnlyForColonyAndShipyardAndOwnerFromThePlanet)
{
    Company *pCompany = nullptr;
    Planet *pPlanet = nullptr;
    CompanyCreate(&pCompany, "Owner", 0xA0, 1);
    PlanetCreate(&pPlanet, nullptr, "Rock", Coord{10, 10}, PLANET_ROCKY);
    pPlanet->m_pOwner = pCompany;
    for (int type = V_TYPE_COLONY; type <= V_TYPE_SAT_VAVUVUR; type++) {
        Structure *pStructure = nullptr;
        ASSERT_EQ(StructureCreate(&pStructure, pPlanet, type), 0);
        EXPECT_EQ(pStructure->m_pQueue != nullptr, type == V_TYPE_COLONY || type == V_TYPE_SHIPYARD);
        EXPECT_EQ(pStructure->m_pOwner, pCompany);
        EXPECT_EQ(pStructure->m_iParam, type == V_TYPE_STORAGE ? 10000 : 0);
        EXPECT_EQ(pStructure->m_iEnergyYield, type == V_TYPE_HARVESTER_ENERGY ? 100 : 0);
        StructureDestroy(&pStructure);
    }
    Structure *pCannon = nullptr;
    StructureCreate(&pCannon, pPlanet, V_TYPE_SAT_VAVUVUR);
    EXPECT_STREQ(pCannon->m_pName, "Vavuvur Cannon!");
    EXPECT_EQ(pCannon->m_pSprite->m_nWidth, 3);
    StructureDestroy(&pCannon);
    PlanetDestroy(&pPlanet);
    CompanyDestroy(&pCompany);
}

TEST(Planets, NewPlanetIsUnownedWithFullStoresAndAnIconForItsKind)
{
    Planet *pPlanet = nullptr;
    ASSERT_EQ(PlanetCreate(&pPlanet, nullptr, "Gaia", Coord{7, 9}, PLANET_GAS_GIANT), 0);
    EXPECT_EQ(pPlanet->m_pOwner, nullptr);
    EXPECT_EQ(pPlanet->m_iEnergy, 1000);
    EXPECT_EQ(pPlanet->m_iMatter, 1000);
    EXPECT_EQ(pPlanet->m_nStructureMax, 100);
    EXPECT_EQ(pPlanet->m_iSpare, 2);
    EXPECT_EQ(pPlanet->m_bFlags, 0);
    EXPECT_EQ(pPlanet->m_pSurface->m_nWidth, 60);
    EXPECT_EQ(pPlanet->m_pSurface->m_nHeight, 30);
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[4].m_ch, 'E');
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[4].m_attr, 14);
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[0].m_ch, '/');
    EXPECT_EQ(pPlanet->m_pIcon->m_pCells[0].m_attr, 15);
    EXPECT_EQ(PlanetDestroy(&pPlanet), 0);
    EXPECT_EQ(PlanetDestroy(&pPlanet), 2);
}

// A small world built by hand, the way generation links it: every record reachable from the
// universe is freed by UniverseDestroy (LeakSanitizer checks at exit).
TEST(WorldTearDown, DestroyingTheUniverseFreesEverythingAndClearsTheGlobal)
{
    Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
    pUniverse->m_cSystem = 2;
    pUniverse->m_ppSystem = (System **)calloc(2, sizeof(System *));
    pUniverse->m_cCompany = 2;
    pUniverse->m_ppCompany = (Company **)calloc(2, sizeof(Company *));
    CompanyCreate(&pUniverse->m_ppCompany[0], "Human", 0x90, 0);
    CompanyCreate(&pUniverse->m_ppCompany[1], "Zorg", 0xA0, 1);
    for (int s = 0; s < 2; s++) {
        System *pSystem = (System *)calloc(1, sizeof(System));
        pSystem->m_pName = strdup("Sol");
        pSystem->m_pStarName = strdup("Star");
        pSystem->m_pFleets = ListCreate();
        pSystem->m_cPlanet = 3;
        pSystem->m_ppPlanet = (Planet **)calloc(3, sizeof(Planet *));
        for (int p = 0; p < 3; p++)
            PlanetCreate(&pSystem->m_ppPlanet[p], pSystem, "P", Coord{p * 10, 5}, p);
        pSystem->m_cGate = 2;
        pSystem->m_ppGate = (Warpgate **)calloc(2, sizeof(Warpgate *));
        for (int g = 0; g < 2; g++)
            WarpgateCreate(&pSystem->m_ppGate[g], pSystem, Coord{50, g * 10});
        pUniverse->m_ppSystem[s] = pSystem;
    }
    WarpgateLink(pUniverse->m_ppSystem[0]->m_ppGate[0], pUniverse->m_ppSystem[1]->m_ppGate[1]);

    // A colony with a queued item, a hold with ships, and a fleet in space with a route.
    Planet *pHome = pUniverse->m_ppSystem[0]->m_ppPlanet[0];
    pHome->m_pOwner = pUniverse->m_ppCompany[0];
    StructureCreate(&pHome->m_ppStructure[pHome->m_cStructure++], pHome, V_TYPE_COLONY);
    BuildNode *pNode = (BuildNode *)calloc(1, sizeof(BuildNode));
    pNode->m_eType = V_TYPE_SHIPYARD;
    pHome->m_ppStructure[0]->m_pQueue->m_pFirst = pNode;
    pHome->m_ppStructure[0]->m_pQueue->m_pLast = pNode;
    pHome->m_ppStructure[0]->m_pQueue->m_cNode = 1;
    FleetCreate(&pHome->m_pFleet, pHome);
    for (int i = 0; i < 3; i++) {
        Ship *pShip = nullptr;
        ShipCreate(&pShip, "Ship", pHome->m_pOwner, V_TYPE_SHIP_FAST);
        ListAppend(pHome->m_pFleet->m_pShips, pShip);
        pHome->m_pFleet->m_cShip++;
    }
    Fleet *pSpace = nullptr;
    FleetCreate(&pSpace, pHome);
    ListAppend(pSpace->m_pRoute, pUniverse->m_ppSystem[1]);
    Ship *pShip = nullptr;
    ShipCreate(&pShip, "Lone", pHome->m_pOwner, V_TYPE_MOTHERSHIP_SIEGE);
    ListAppend(pSpace->m_pShips, pShip);
    ListAppend(pUniverse->m_ppSystem[0]->m_pFleets, pSpace);
    Company *pPlayer = pUniverse->m_ppCompany[0];
    pPlayer->m_cFleet = 1;
    pPlayer->m_ppFleet = (Fleet **)calloc(1, sizeof(Fleet *));
    pPlayer->m_ppFleet[0] = pSpace;

    g_pUniverse = pUniverse;
    UniverseDestroy(&g_pUniverse);
    EXPECT_EQ(g_pUniverse, nullptr);
}

}  // namespace
