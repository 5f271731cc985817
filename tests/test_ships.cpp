// The rules every ship follows: firepower, repair, destruction and removal from its fleet.
#include <gtest/gtest.h>

#include "baseutilities/baselist.h"
#include "game/armor.h"
#include "game/fleet.h"
#include "game/ship.h"
#include "game/world.h"

namespace {

Ship *NewShip(int type)
{
    Ship *pShip = nullptr;
    EXPECT_EQ(ShipCreate(&pShip, "Ark", nullptr, type), 0);
    return pShip;
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

}  // namespace
