#include "game/world/ship.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/armor.h"
#include "game/world/battle.h"
#include "game/world/fleet.h"
#include "game/world/weapon.h"
#include "game/world/world.h"

enum { SHIP_TYPE_COUNT = 9 };

// One row per ship type, index type - 16.
struct ShipRow {
    const char *typeName;    // shown to the player
    const char *className;   // class word of the ship panel
    const char *modelName;   // the catalogue template's name
    int speed;               // cells per turn
    const char *speedWord;   // how the ship panel tells the speed
    int buildTurns;
    const char *spriteText;  // motherships show a word; small craft a '?'
    unsigned char spriteAttr;
};

static const ShipRow s_shipTable[SHIP_TYPE_COUNT] = {
    /* type name            class            model name                      speed speed word  build sprite   attr */
    {"Robotic Drone",       "Probe",         "Rackham Corp. EG324 Dragon",    10, "Fast",     2,  "?",      13},
    {"Fast Fighter",        "Close-Range",   "SNAP Fighter",                  4,  "Fast",     4,  "?",      13},
    {"Atomic Fighter",      "Atomic",        "A-5 Blackwood",                 4,  "Fast",     4,  "?",      13},
    {"Laser Fighter",       "Laser",         "C-B455 Fighter Class M",        4,  "Moderate", 4,  "?",      13},
    {"Heavy Fighter",       "Heavy Weapons", "Zembrokata Jimmy Class HX1000", 3,  "Slow",     5,  "?",      13},
    {"Basic Mothership",    "Basic",         "Omnia Industries R-WND 87A",    3,  "Moderate", 10, "Basic ", 8},
    {"Colony Mothership",   "Colony",        "LG/I Rabbit Model 426",         1,  "Fast",     20, "Colony", 9},
    {"Energy Mothership",   "Energy",        "ATP-3379 Transport",            3,  "Fast",     15, "Energy", 10},
    {"Siege Mothership",    "Siege",         "Solajwf Mark IV",               2,  "Slow",     30, "Siege ", 12},
};

static const ShipRow *ShipRowOf(int type)
{
    return TypeIsShip(type) ? &s_shipTable[type - V_TYPE_SHIP_DRONE] : nullptr;
}

static Surface *MakeShipSprite(const ShipRow *pRow)
{
    const char *pText = pRow ? pRow->spriteText : "?";
    unsigned char attr = pRow ? pRow->spriteAttr : 13;
    int width = (int)strlen(pText);
    Surface *pSprite = CreateSurface(width, 1);
    for (int i = 0; i < width; i++)
        pSprite->m_pCells[i] = Cell{(unsigned char)pText[i], attr};
    return pSprite;
}

// Makes a ship of a type; bTemplate leaves the object id at -1 and takes none from the counter.
static int ShipMake(Ship **ppShip, const char *pName, Company *pOwner, int type, bool bTemplate)
{
    *ppShip = nullptr;
    Ship *pShip = (Ship *)calloc(1, sizeof(Ship));
    if (!pShip)
        return 1;
    const ShipRow *pRow = ShipRowOf(type);
    pShip->m_pName = strdup(pName ? pName : "");
    pShip->m_eType = type;
    pShip->m_pOwner = pOwner;
    pShip->m_iFuel = 100;
    pShip->m_iMatterCost = 100;
    pShip->m_iEnergyUpkeep = 100;
    pShip->m_iMatterUpkeep = 100;
    pShip->m_iMorale = 100;
    pShip->m_cSpeed = (int8_t)(pRow ? pRow->speed : 0);
    if (!pShip->m_pName || WeaponCreate(&pShip->m_pWeapon, type) != 0 ||
        ArmorCreate(&pShip->m_pArmor, type) != 0) {
        ShipDestroy(&pShip);
        return 1;
    }
    pShip->m_pSprite = MakeShipSprite(pRow);
    pShip->m_iId = bTemplate ? -1 : NewObjectId();
    pShip->m_aiState = type >= V_TYPE_SHIP_DRONE && type <= V_TYPE_SHIP_HEAVY ? 1 : 0;
    *ppShip = pShip;
    return 0;
}

// The name is copied. The fleet link is made later, by FleetAddShip.
int ShipCreate(Ship **ppShip, const char *pName, Company *pOwner, int type)
{
    return ShipMake(ppShip, pName, pOwner, type, false);
}

// Frees the ship with its name, sprite, weapon and armor; a battle still waiting drops it first.
// Returns 1 for a null ship.
int ShipDestroy(Ship **ppShip)
{
    if (!ppShip || !*ppShip)
        return 1;
    Ship *pShip = *ppShip;
    BattleForgetObject(pShip);
    free(pShip->m_pName);
    DestroySurface(&pShip->m_pSprite);
    WeaponDestroy(&pShip->m_pWeapon);
    ArmorDestroy(&pShip->m_pArmor);
    free(pShip);
    *ppShip = nullptr;
    return 0;
}

void ShipSetOwner(Ship *pShip, Company *pOwner)
{
    V_ASSERT(pShip != NULL);
    pShip->m_pOwner = pOwner;
}

int ShipCatalogueCreate(void)
{
    ShipCatalogueDestroy();
    g_ppShipInfo = (Ship **)calloc(SHIP_TYPE_COUNT, sizeof(Ship *));
    if (!g_ppShipInfo)
        return 1;
    for (int i = 0; i < SHIP_TYPE_COUNT; i++) {
        const ShipRow &row = s_shipTable[i];
        Ship *pInfo = nullptr;
        if (ShipMake(&pInfo, row.modelName, nullptr, V_TYPE_SHIP_DRONE + i, true) != 0) {
            ShipCatalogueDestroy();
            return 1;
        }
        pInfo->m_iFuel = 100;          // energy cost
        pInfo->m_iMatterCost = 100;
        pInfo->m_iEnergyUpkeep = 5;    // taken from the planet once, when the ship is finished
        pInfo->m_iMatterUpkeep = 5;
        pInfo->m_iMorale = row.buildTurns;
        g_ppShipInfo[i] = pInfo;
    }
    return 0;
}

void ShipCatalogueDestroy(void)
{
    if (!g_ppShipInfo)
        return;
    for (int i = 0; i < SHIP_TYPE_COUNT; i++)
        ShipDestroy(&g_ppShipInfo[i]);
    free(g_ppShipInfo);
    g_ppShipInfo = nullptr;
}

Ship *GetShipPrototype(int iShipType)
{
    V_ASSERT(iShipType >= V_TYPE_SHIP_DRONE && iShipType <= V_TYPE_MOTHERSHIP_SIEGE);
    if (!g_ppShipInfo)
        return nullptr;
    for (int i = 0; i < SHIP_TYPE_COUNT; i++) {
        if (g_ppShipInfo[i] && g_ppShipInfo[i]->m_eType == iShipType)
            return g_ppShipInfo[i];
    }
    return nullptr;
}

// Stores compare unsigned: a negative store counts as a very large one.
int CanAffordShip(Ship *pInfo, int iMatter, int iEnergy)
{
    V_ASSERT(pInfo != NULL);
    return (uint32_t)iMatter >= (uint32_t)pInfo->m_iMatterCost &&
                   (uint32_t)iEnergy >= (uint32_t)ShipTemplateEnergyCost(pInfo)
               ? 1
               : 0;
}

const char *ShipTypeName(int type)
{
    const ShipRow *pRow = ShipRowOf(type);
    return pRow ? pRow->typeName : "Undocumented Ship";
}

const char *ShipClassName(int type)
{
    const ShipRow *pRow = ShipRowOf(type);
    return pRow ? pRow->className : "Unknown";
}

const char *ShipSpeedWord(int type)
{
    const ShipRow *pRow = ShipRowOf(type);
    return pRow ? pRow->speedWord : "Unknown";
}

int ShipTemplateEnergyCost(const Ship *pInfo)
{
    V_ASSERT(pInfo != NULL);
    return pInfo->m_iFuel;
}

int ShipTemplateBuildTurns(const Ship *pInfo)
{
    V_ASSERT(pInfo != NULL);
    return pInfo->m_iMorale;
}

// Only the four aimed kinds fire: no weapon and the Vavuvur Cannon's "All" deal nothing in battle.
static bool WeaponKindFires(int kind)
{
    return kind >= WEAPON_FAST && kind <= WEAPON_HEAVY;
}

// Integer arithmetic, truncated. Morale has no floor, and a demoralised crew that has sunk below
// zero must not mend the enemy's hulls, so firepower never goes below 0.
int ShipFirepower(const Ship *pShip)
{
    if (!pShip || !pShip->m_pWeapon || !WeaponKindFires(pShip->m_pWeapon->m_eKind))
        return 0;
    long long firepower = (long long)pShip->m_pWeapon->m_iDamage * pShip->m_iMorale / 100;
    if (firepower < 0)
        return 0;
    return firepower > INT_MAX ? INT_MAX : (int)firepower;
}

void VolleyAddFire(Volley *pVolley, int weaponKind, int firepower)
{
    V_ASSERT(pVolley != NULL);
    switch (weaponKind) {
    case WEAPON_FAST: pVolley->m_fFast += (float)firepower; break;
    case WEAPON_ATOMIC: pVolley->m_fAtomic += (float)firepower; break;
    case WEAPON_LASER: pVolley->m_fLaser += (float)firepower; break;
    case WEAPON_HEAVY: pVolley->m_fHeavy += (float)firepower; break;
    default: break;
    }
}

// Hit points as the battle subtracts them: truncated toward zero, and kept inside an int.
static int TruncateDamage(float damage)
{
    if (!(damage > 0.0f))
        return 0;
    return damage >= (float)INT_MAX ? INT_MAX : (int)damage;
}

// The sum runs in floats in a fixed order (atomic, fast, heavy, laser), each product added and
// stored before the next, so results match to the last truncated point. No units take no fire.
int VolleyDamage(const Volley *pVolley, const Armor *pArmor, int cUnits)
{
    if (!pVolley || !pArmor || cUnits < 1)
        return 0;
    float sum = pVolley->m_fAtomic * pArmor->m_fVsAtomic;
    sum += pVolley->m_fFast * pArmor->m_fVsFast;
    sum += pVolley->m_fHeavy * pArmor->m_fVsHeavy;
    sum += pVolley->m_fLaser * pArmor->m_fVsLaser;
    return TruncateDamage(sum / (float)cUnits);
}

float ArmorMultiplier(const Armor *pArmor, int weaponKind)
{
    if (!pArmor)
        return 0.0f;
    switch (weaponKind) {
    case WEAPON_FAST: return pArmor->m_fVsFast;
    case WEAPON_ATOMIC: return pArmor->m_fVsAtomic;
    case WEAPON_LASER: return pArmor->m_fVsLaser;
    case WEAPON_HEAVY: return pArmor->m_fVsHeavy;
    default: return 0.0f;
    }
}

// What a blocker deals to the attacker it blocks.
int BlockDamage(int firepower, int weaponKind, const Armor *pTarget)
{
    return TruncateDamage((float)firepower * ArmorMultiplier(pTarget, weaponKind));
}

int ShipCheckDestroyed(Ship *pShip)
{
    if (!pShip || !pShip->m_pArmor || pShip->m_pArmor->m_iHp >= 1)
        return 0;
    pShip->m_eState = SHIP_DESTROYED;
    return 1;
}

// There is no upper limit: a fleet left idle keeps growing its hulls (held inside an int).
void ShipRepair(Ship *pShip)
{
    if (!pShip || !pShip->m_pArmor)
        return;
    Armor *pArmor = pShip->m_pArmor;
    int repair = (int)((float)pArmor->m_iBaseHp * 0.1f);
    if (repair > 0 && pArmor->m_iHp > INT_MAX - repair)
        pArmor->m_iHp = INT_MAX;
    else
        pArmor->m_iHp += repair;
}

// A fleet walking its ship list takes the next ship before checking this one, since the ship's
// node leaves the list. The fleet owns the ships of its list and only those: a destroyed ship
// that its fleet does not list belongs to whoever holds it and is left alone.
int ShipCheckRemoval(Ship *pShip)
{
    if (!pShip || pShip->m_eState != SHIP_DESTROYED || !pShip->m_pFleet)
        return 0;
    Fleet *pFleet = pShip->m_pFleet;
    if (!pFleet->m_pShips || !ListRemove(pFleet->m_pShips, pShip))
        return 0;
    if (pFleet->m_cShip > 0)
        pFleet->m_cShip--;
    ShipDestroy(&pShip);
    return 1;
}
