// The combat rules every unit follows: firepower, spread and blocking fire through armor,
// destruction, repair, and removal of destroyed ships from their fleet.
#include <gtest/gtest.h>

#include "baseutilities/baselist.h"
#include "game/armor.h"
#include "game/fleet.h"
#include "game/ship.h"
#include "game/structure.h"
#include "game/weapon.h"
#include "game/world.h"

namespace {

Ship *NewShip(int type)
{
    Ship *pShip = nullptr;
    EXPECT_EQ(ShipCreate(&pShip, "Ark", nullptr, type), 0);
    return pShip;
}

// Firepower is the damage scaled by morale; repair a tenth of the base hit points per idle turn,
// without upper limit (the Heavy Fighter's 48 are based on 24).
TEST(Ships, FirepowerFollowsMoraleAndRepairTheBaseHitPoints)
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
}

// 10 Laser on a Fast Fighter: 20; 10 Fast on a Heavy Fighter: trunc(2.5); 100 Heavy on two
// structures: 100 x 6.0 / 2 each, to which the cannon's kind adds nothing. A Fast Fighter blocking
// a Heavy Fighter deals 12 x 0.25.
TEST(Ships, ArmorMultipliesEachKindOfFireAndTheGroupSharesTheVolley)
{
    Ship *pFast = NewShip(V_TYPE_SHIP_FAST), *pHeavy = NewShip(V_TYPE_SHIP_HEAVY);
    Structure *pColony = nullptr;
    StructureCreate(&pColony, nullptr, V_TYPE_COLONY);
    Volley laser = {}, fast = {}, heavy = {};
    VolleyAddFire(&laser, WEAPON_LASER, 10);
    VolleyAddFire(&fast, WEAPON_FAST, 10);
    VolleyAddFire(&heavy, WEAPON_HEAVY, 100);
    VolleyAddFire(&heavy, WEAPON_ALL, 255);
    EXPECT_EQ(VolleyDamage(&laser, pFast->m_pArmor, 1), 20);
    EXPECT_EQ(VolleyDamage(&fast, pHeavy->m_pArmor, 1), 2);
    EXPECT_EQ(VolleyDamage(&heavy, pColony->m_pArmor, 2), 300);
    EXPECT_EQ(VolleyDamage(&heavy, pColony->m_pArmor, 0), 0);  // no units, no fire
    EXPECT_EQ(BlockDamage(ShipFirepower(pFast), WEAPON_FAST, pHeavy->m_pArmor), 3);
    StructureDestroy(&pColony);
    ShipDestroy(&pFast);
    ShipDestroy(&pHeavy);
}

TEST(Ships, BelowOneHitPointMarksTheShipAndOnlyThatShipLeavesItsFleet)
{
    Fleet *pFleet = nullptr;
    ASSERT_EQ(FleetCreate(&pFleet, nullptr), 0);
    Ship *pShips[3];
    for (Ship *&pShip : pShips)
        FleetAddShip(pFleet, pShip = NewShip(V_TYPE_SHIP_LASER));
    pShips[1]->m_pArmor->m_iHp = 1;
    EXPECT_EQ(ShipCheckDestroyed(pShips[1]), 0);
    pShips[1]->m_pArmor->m_iHp = 0;
    EXPECT_EQ(ShipCheckDestroyed(pShips[1]), 1);
    for (int state : {0, 2, 3, 4}) {
        pShips[0]->m_eState = state;
        EXPECT_EQ(ShipCheckRemoval(pShips[0]), 0);
    }
    EXPECT_EQ(ShipCheckRemoval(pShips[1]), 1);
    EXPECT_TRUE(pFleet->m_cShip == 2 && pFleet->m_pShips->m_cItem == 2);
    EXPECT_EQ(pFleet->m_pShips->m_pTail->m_pData, pShips[2]);
    // A destroyed ship its fleet does not list is not the fleet's to free.
    Ship *pLoose = NewShip(V_TYPE_SHIP_LASER);
    pLoose->m_eState = SHIP_DESTROYED;
    EXPECT_EQ(ShipCheckRemoval(pLoose), 0);
    pLoose->m_pFleet = pFleet;
    EXPECT_TRUE(ShipCheckRemoval(pLoose) == 0 && pFleet->m_cShip == 2);
    ShipDestroy(&pLoose);
    FleetDestroy(&pFleet);
}

}  // namespace
