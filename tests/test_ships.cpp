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

TEST(Firepower, DamageScaledByMoraleAndOnlyAimedKindsFire)
{
    Ship *pFighter = NewShip(V_TYPE_SHIP_FAST);
    EXPECT_EQ(ShipFirepower(pFighter), 12);
    pFighter->m_iMorale = 95;
    EXPECT_EQ(ShipFirepower(pFighter), 11);  // trunc(1140 / 100)
    pFighter->m_iMorale = 110;
    EXPECT_EQ(ShipFirepower(pFighter), 13);
    // Morale has no floor; a crew below zero fires nothing rather than mending the enemy.
    pFighter->m_iMorale = -40;
    EXPECT_EQ(ShipFirepower(pFighter), 0);
    Ship *pDrone = NewShip(V_TYPE_SHIP_DRONE);
    EXPECT_EQ(ShipFirepower(pDrone), 0);
    Ship *pSiege = NewShip(V_TYPE_MOTHERSHIP_SIEGE);
    EXPECT_EQ(ShipFirepower(pSiege), 100);
    ShipDestroy(&pFighter);
    ShipDestroy(&pDrone);
    ShipDestroy(&pSiege);
}

TEST(SpreadFire, ArmorMultipliesEachKindAndTheGroupSharesTheVolley)
{
    Ship *pFast = NewShip(V_TYPE_SHIP_FAST);
    Ship *pHeavy = NewShip(V_TYPE_SHIP_HEAVY);
    Volley laser = {};
    VolleyAddFire(&laser, WEAPON_LASER, 10);
    EXPECT_EQ(VolleyDamage(&laser, pFast->m_pArmor, 1), 20);
    Volley fast = {};
    VolleyAddFire(&fast, WEAPON_FAST, 10);
    EXPECT_EQ(VolleyDamage(&fast, pHeavy->m_pArmor, 1), 2);  // trunc(2.5)

    // One Basic Mothership (Laser 25) on a Colony and a Shipyard: 12 each.
    Structure *pColony = nullptr;
    StructureCreate(&pColony, nullptr, V_TYPE_COLONY);
    Ship *pBasic = NewShip(V_TYPE_MOTHERSHIP_BASIC);
    Volley volley = {};
    VolleyAddFire(&volley, pBasic->m_pWeapon->m_eKind, ShipFirepower(pBasic));
    EXPECT_EQ(VolleyDamage(&volley, pColony->m_pArmor, 2), 12);
    EXPECT_EQ(VolleyDamage(&volley, pColony->m_pArmor, 0), 0);  // no units, no fire

    // A Siege Mothership alone against one structure: 100 x 6.0.
    Ship *pSiege = NewShip(V_TYPE_MOTHERSHIP_SIEGE);
    Volley siege = {};
    VolleyAddFire(&siege, WEAPON_HEAVY, ShipFirepower(pSiege));
    VolleyAddFire(&siege, WEAPON_ALL, 255);   // the cannon's kind adds nothing
    VolleyAddFire(&siege, WEAPON_NONE, 50);
    EXPECT_EQ(VolleyDamage(&siege, pColony->m_pArmor, 1), 600);

    // Blocking: the structure has no weapon and deals nothing; a Fast Fighter blocking a Heavy
    // Fighter deals 12 x 0.25.
    EXPECT_EQ(BlockDamage(StructureFirepower(pColony), pColony->m_pWeapon->m_eKind, pSiege->m_pArmor), 0);
    EXPECT_EQ(BlockDamage(ShipFirepower(pFast), WEAPON_FAST, pHeavy->m_pArmor), 3);
    EXPECT_FLOAT_EQ(ArmorMultiplier(pHeavy->m_pArmor, WEAPON_HEAVY), 1.0f);
    EXPECT_FLOAT_EQ(ArmorMultiplier(pHeavy->m_pArmor, WEAPON_ALL), 0.0f);

    StructureDestroy(&pColony);
    ShipDestroy(&pFast);
    ShipDestroy(&pHeavy);
    ShipDestroy(&pBasic);
    ShipDestroy(&pSiege);
}

TEST(Repair, AnIdleTurnRestoresATenthOfTheBaseWithoutUpperLimit)
{
    const struct {
        int type, startHp, repair;
    } cases[] = {
        {V_TYPE_SHIP_HEAVY, 48, 2},           // based on 24, not on its 48
        {V_TYPE_SHIP_DRONE, 24, 2},
        {V_TYPE_MOTHERSHIP_BASIC, 496, 49},
        {V_TYPE_MOTHERSHIP_SIEGE, 696, 69},
    };
    for (const auto &c : cases) {
        Ship *pShip = NewShip(c.type);
        EXPECT_EQ(pShip->m_pArmor->m_iHp, c.startHp);
        ShipRepair(pShip);
        ShipRepair(pShip);
        EXPECT_EQ(pShip->m_pArmor->m_iHp, c.startHp + 2 * c.repair) << "type " << c.type;
        ShipDestroy(&pShip);
    }
}

TEST(Destruction, BelowOneHitPointMarksTheShipAndOnlyThatShipLeavesItsFleet)
{
    Fleet *pFleet = nullptr;
    ASSERT_EQ(FleetCreate(&pFleet, nullptr), 0);
    Ship *pShips[3];
    for (Ship *&pShip : pShips) {
        pShip = NewShip(V_TYPE_SHIP_LASER);
        FleetAddShip(pFleet, pShip);
    }
    pShips[1]->m_pArmor->m_iHp = 1;
    EXPECT_EQ(ShipCheckDestroyed(pShips[1]), 0);
    pShips[1]->m_pArmor->m_iHp = 0;
    EXPECT_EQ(ShipCheckDestroyed(pShips[1]), 1);
    EXPECT_EQ(pShips[1]->m_eState, SHIP_DESTROYED);

    for (int state : {0, 2, 3, 4}) {
        pShips[0]->m_eState = state;
        EXPECT_EQ(ShipCheckRemoval(pShips[0]), 0);
    }
    pShips[0]->m_eState = SHIP_ACTIVE;
    EXPECT_EQ(pFleet->m_cShip, 3);
    EXPECT_EQ(ShipCheckRemoval(pShips[1]), 1);
    EXPECT_EQ(pFleet->m_cShip, 2);
    ASSERT_EQ(pFleet->m_pShips->m_cItem, 2);
    EXPECT_EQ(pFleet->m_pShips->m_pHead->m_pData, pShips[0]);
    EXPECT_EQ(pFleet->m_pShips->m_pTail->m_pData, pShips[2]);

    // A destroyed ship its fleet does not list is not the fleet's to free.
    Ship *pLoose = NewShip(V_TYPE_SHIP_LASER);
    pLoose->m_eState = SHIP_DESTROYED;
    EXPECT_EQ(ShipCheckRemoval(pLoose), 0);
    pLoose->m_pFleet = pFleet;
    EXPECT_EQ(ShipCheckRemoval(pLoose), 0);
    EXPECT_EQ(pFleet->m_cShip, 2);
    ShipDestroy(&pLoose);
    FleetDestroy(&pFleet);
}

}  // namespace
