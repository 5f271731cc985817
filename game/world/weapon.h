// weapon: the weapon record that every ship and structure carries, made for its object type.
// Battles read its kind and damage; nothing else changes it after creation.
#pragma once

#include <cstdint>

enum {
    WEAPON_NONE = 0,
    WEAPON_FAST = 1,
    WEAPON_ATOMIC = 2,
    WEAPON_LASER = 3,
    WEAPON_HEAVY = 4,
    WEAPON_ALL = 5,
};

struct Weapon {
    int m_eKind;         // WEAPON_*
    uint8_t m_iDamage;
    int m_iReach;        // 1000 for the Vavuvur Cannon, else 0
    int m_iSpare;        // always 0; carried for the save file
};

/* Lifecycle. */
int WeaponCreate(Weapon **ppWeapon, int type);
int WeaponDestroy(Weapon **ppWeapon);

// Short label of a weapon kind on the battle screens ("???" for an unknown kind).
const char *WeaponKindLabel(int kind);
