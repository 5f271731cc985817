// armor: the armor record of every ship and structure: hit points and the damage multipliers
// against the four weapon kinds. Made for an object type; battles lower the hit points.
#pragma once

struct Armor {
    float m_fVsFast;     // damage multipliers against weapon kinds 1..4
    float m_fVsAtomic;
    float m_fVsLaser;
    float m_fVsHeavy;
    int m_iHp;           // destroyed when below 1 after a battle
    int m_iBaseHp;       // what repair is based on
};

/* Lifecycle. */
int ArmorCreate(Armor **ppArmor, int type);
int ArmorDestroy(Armor **ppArmor);
