#include "game/world/armor.h"

#include <cstdlib>

#include "game/world/world.h"

// Armor of each object type. Types not listed get the drone's: 24 hit points, all multipliers 1.
struct ArmorRow {
    int typeFirst, typeLast;
    int hp, baseHp;
    float vsFast, vsAtomic, vsLaser, vsHeavy;
};

static const ArmorRow s_armorTable[] = {
    /* types                                               hp   base  Fast  Atomic Laser Heavy */
    {V_TYPE_COLONY,            V_TYPE_SHIPYARD,            1000, 1000, 1.0f, 1.0f, 1.0f, 6.0f},
    {V_TYPE_STORAGE,           V_TYPE_STORAGE,             500,  500,  1.0f, 1.0f, 1.0f, 6.0f},
    {V_TYPE_SAT_FAST,          V_TYPE_SAT_HEAVY,           500,  500,  1.0f, 1.0f, 1.0f, 4.0f},
    {V_TYPE_SAT_VAVUVUR,       V_TYPE_SAT_VAVUVUR,         800,  800,  1.0f, 1.0f, 1.0f, 2.0f},
    {V_TYPE_SHIP_DRONE,        V_TYPE_SHIP_DRONE,          24,   24,   1.0f, 1.0f, 1.0f, 1.0f},
    {V_TYPE_SHIP_FAST,         V_TYPE_SHIP_FAST,           24,   24,   1.0f, 1.0f, 2.0f, 0.5f},
    {V_TYPE_SHIP_ATOMIC,       V_TYPE_SHIP_ATOMIC,         24,   24,   2.0f, 1.0f, 1.0f, 0.5f},
    {V_TYPE_SHIP_LASER,        V_TYPE_SHIP_LASER,          24,   24,   1.0f, 2.0f, 1.0f, 0.5f},
    {V_TYPE_SHIP_HEAVY,        V_TYPE_SHIP_HEAVY,          48,   24,   0.25f, 0.25f, 0.25f, 1.0f},
    {V_TYPE_MOTHERSHIP_BASIC,  V_TYPE_MOTHERSHIP_BASIC,    496,  496,  1.0f, 1.0f, 1.0f, 4.0f},
    {V_TYPE_MOTHERSHIP_COLONY, V_TYPE_MOTHERSHIP_ENERGY,   600,  600,  1.0f, 1.0f, 1.0f, 4.0f},
    {V_TYPE_MOTHERSHIP_SIEGE,  V_TYPE_MOTHERSHIP_SIEGE,    696,  696,  1.0f, 1.0f, 1.0f, 4.0f},
};

static const ArmorRow s_defaultArmor = {0, 0, 24, 24, 1.0f, 1.0f, 1.0f, 1.0f};

int ArmorCreate(Armor **ppArmor, int type)
{
    *ppArmor = nullptr;
    Armor *pArmor = (Armor *)calloc(1, sizeof(Armor));
    if (!pArmor)
        return 1;
    const ArmorRow *pRow = &s_defaultArmor;
    for (const ArmorRow &row : s_armorTable) {
        if (type >= row.typeFirst && type <= row.typeLast)
            pRow = &row;
    }
    pArmor->m_iHp = pRow->hp;
    pArmor->m_iBaseHp = pRow->baseHp;
    pArmor->m_fVsFast = pRow->vsFast;
    pArmor->m_fVsAtomic = pRow->vsAtomic;
    pArmor->m_fVsLaser = pRow->vsLaser;
    pArmor->m_fVsHeavy = pRow->vsHeavy;
    *ppArmor = pArmor;
    return 0;
}

int ArmorDestroy(Armor **ppArmor)
{
    if (!ppArmor || !*ppArmor)
        return 1;
    free(*ppArmor);
    *ppArmor = nullptr;
    return 0;
}
