// The catalogues of ships and structures and their lookups, and the rules every ship follows:
// firepower, repair, destruction and removal from its fleet. (Tearing a world down with nothing
// left behind is checked by the save file tests' teardown.)
#include <gtest/gtest.h>

#include "baseutilities/baselist.h"
#include "game/world/armor.h"
#include "game/world/fleet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/weapon.h"
#include "game/world/world.h"

namespace {

Ship *NewShip(int type)
{
    Ship *pShip = nullptr;
    EXPECT_EQ(ShipCreate(&pShip, "Ark", nullptr, type), 0);
    return pShip;
}

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

// Firepower is the damage scaled by morale; repair a tenth of the base hit points per idle turn,
// without upper limit (the Heavy Fighter's 48 are based on 24). Below one hit point a ship is
// destroyed and leaves its fleet.
TEST(Ships, FirepowerFollowsMoraleRepairTheBaseAndOnlyListedWrecksLeaveTheirFleet)
{
    const struct {
        int type, morale, firepower, startHp, repaired;
    } cases[] = {
        {V_TYPE_SHIP_FAST, 95, 11, 24, 28},  // trunc(1140 / 100)
        {V_TYPE_SHIP_FAST, 110, 13, 24, 28},
        // Morale has no floor; a crew below zero fires nothing rather than mending the enemy.
        {V_TYPE_SHIP_FAST, -40, 0, 24, 28},
        {V_TYPE_SHIP_DRONE, 100, 0, 24, 28},          {V_TYPE_SHIP_HEAVY, 100, 12, 48, 52},
        {V_TYPE_MOTHERSHIP_BASIC, 100, 25, 496, 594}, {V_TYPE_MOTHERSHIP_SIEGE, 100, 100, 696, 834},
    };
    for (const auto &c : cases) {
        Ship *pShip = NewShip(c.type);
        pShip->m_iMorale = c.morale;
        EXPECT_EQ(ShipFirepower(pShip), c.firepower) << c.type << " at " << c.morale;
        EXPECT_EQ(pShip->m_pArmor->m_iHp, c.startHp);
        ShipRepair(pShip);
        ShipRepair(pShip);
        EXPECT_EQ(pShip->m_pArmor->m_iHp, c.repaired) << c.type;
        ShipDestroy(&pShip);
    }

    Fleet *pFleet = nullptr;
    ASSERT_EQ(FleetCreate(&pFleet, nullptr), 0);
    Ship *pShip = NewShip(V_TYPE_SHIP_LASER), *pLoose = NewShip(V_TYPE_SHIP_LASER);
    FleetAddShip(pFleet, NewShip(V_TYPE_SHIP_LASER));
    FleetAddShip(pFleet, pShip);
    pShip->m_pArmor->m_iHp = 1;
    EXPECT_EQ(ShipCheckDestroyed(pShip), 0);
    pShip->m_pArmor->m_iHp = 0;
    EXPECT_EQ(ShipCheckDestroyed(pShip), 1);
    // A destroyed ship its fleet does not list is not the fleet's to free.
    pLoose->m_eState = SHIP_DESTROYED;
    pLoose->m_pFleet = pFleet;
    EXPECT_EQ(ShipCheckRemoval(pLoose), 0);
    EXPECT_EQ(ShipCheckRemoval(pShip), 1);
    EXPECT_TRUE(pFleet->m_cShip == 1 && pFleet->m_pShips->m_cItem == 1);
    ShipDestroy(&pLoose);
    FleetDestroy(&pFleet);
}

// Fire is summed per weapon kind and spread evenly over the group it hits; each unit's armor
// scales each kind. A blocker hits the attacker it blocks with its own firepower.
TEST(Ships, VolleysSpreadOverTheGroupAndArmorScalesEachKind)
{
    Ship *pFast = NewShip(V_TYPE_SHIP_FAST), *pHeavy = NewShip(V_TYPE_SHIP_HEAVY);
    const struct {
        int kind, firepower, cUnits;
        Ship *pTarget;
        int damage;
    } cases[] = {
        {WEAPON_LASER, 10, 1, pFast, 20},   // lasers double against a Fast Fighter
        {WEAPON_FAST, 10, 1, pHeavy, 2},    // trunc(2.5) against a Heavy Fighter
        {WEAPON_LASER, 30, 4, pFast, 15},   // 60 spread over four
        {WEAPON_ALL, 255, 1, pFast, 0},     // the Vavuvur Cannon's kind deals nothing in battle
    };
    for (const auto &c : cases) {
        Volley volley = {};
        VolleyAddFire(&volley, c.kind, c.firepower);
        EXPECT_EQ(VolleyDamage(&volley, c.pTarget->m_pArmor, c.cUnits), c.damage) << c.kind;
    }
    Volley mixed = {};
    VolleyAddFire(&mixed, WEAPON_FAST, 10);
    VolleyAddFire(&mixed, WEAPON_HEAVY, 10);
    EXPECT_EQ(VolleyDamage(&mixed, pFast->m_pArmor, 1), 15);  // 10 x 1.0 + 10 x 0.5
    EXPECT_EQ(BlockDamage(12, WEAPON_LASER, pFast->m_pArmor), 24);
    EXPECT_EQ(BlockDamage(12, WEAPON_NONE, pFast->m_pArmor), 0);
    ShipDestroy(&pFast);
    ShipDestroy(&pHeavy);
}

}  // namespace
