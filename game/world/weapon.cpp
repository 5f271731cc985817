#include "game/world/weapon.h"

#include <cstdlib>

#include "game/world/world.h"

// Weapon of each object type: kind and damage. Types not listed carry no weapon.
struct WeaponRow {
    int type;
    int kind;
    int damage;
};

static const WeaponRow s_weaponTable[] = {
    /* type                      kind           damage */
    {V_TYPE_SAT_FAST,            WEAPON_FAST,   50},
    {V_TYPE_SAT_ATOMIC,          WEAPON_ATOMIC, 50},
    {V_TYPE_SAT_LASER,           WEAPON_LASER,  50},
    {V_TYPE_SAT_HEAVY,           WEAPON_HEAVY,  50},
    {V_TYPE_SAT_VAVUVUR,         WEAPON_ALL,    255},
    {V_TYPE_SHIP_FAST,           WEAPON_FAST,   12},
    {V_TYPE_SHIP_ATOMIC,         WEAPON_ATOMIC, 12},
    {V_TYPE_SHIP_LASER,          WEAPON_LASER,  12},
    {V_TYPE_SHIP_HEAVY,          WEAPON_HEAVY,  12},
    {V_TYPE_MOTHERSHIP_BASIC,    WEAPON_LASER,  25},
    {V_TYPE_MOTHERSHIP_ENERGY,   WEAPON_FAST,   15},
    {V_TYPE_MOTHERSHIP_SIEGE,    WEAPON_HEAVY,  100},
};

int WeaponCreate(Weapon **ppWeapon, int type)
{
    *ppWeapon = nullptr;
    Weapon *pWeapon = (Weapon *)calloc(1, sizeof(Weapon));
    if (!pWeapon)
        return 1;
    for (const WeaponRow &row : s_weaponTable) {
        if (row.type == type) {
            pWeapon->m_eKind = row.kind;
            pWeapon->m_iDamage = (uint8_t)row.damage;
        }
    }
    pWeapon->m_iReach = type == V_TYPE_SAT_VAVUVUR ? 1000 : 0;
    *ppWeapon = pWeapon;
    return 0;
}

int WeaponDestroy(Weapon **ppWeapon)
{
    if (!ppWeapon || !*ppWeapon)
        return 1;
    free(*ppWeapon);
    *ppWeapon = nullptr;
    return 0;
}

const char *WeaponKindLabel(int kind)
{
    static const char *const s_labels[] = {"N/A", "Fast", "Atom", "Laser", "Batt.", "All"};
    if (kind < WEAPON_NONE || kind > WEAPON_ALL)
        return "???";
    return s_labels[kind];
}
