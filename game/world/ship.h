// ship: the nine ship types and the combat rules every unit follows. A ship is built by a
// Shipyard, lives in exactly one fleet, fights in battles and is removed by its fleet's update
// once destroyed. Ship catalogue templates are Ship records too: in a template the cost, upkeep
// and morale fields hold the type's prices. Battles call the firepower, damage and destruction
// rules here; fleets call repair and removal.
#pragma once

#include <cstdint>

struct Company;
struct Fleet;
struct Surface;
struct Weapon;
struct Armor;

// Ship::m_eState.
enum {
    SHIP_ACTIVE = 0,
    SHIP_DESTROYED = 1,   // set by battle; the fleet's next idle or returning update removes it
};

// Firepower of one side's attackers summed per weapon kind, as battles spread it over a group.
struct Volley {
    float m_fFast;
    float m_fAtomic;
    float m_fLaser;
    float m_fHeavy;
};

struct Ship {
    char *m_pName;          // owned copy; a built ship's random name, a template's model name
    int m_eType;            // V_TYPE_SHIP_DRONE .. V_TYPE_MOTHERSHIP_SIEGE
    Company *m_pOwner;
    Fleet *m_pFleet;        // the fleet listing the ship; set by FleetAddShip
    Surface *m_pSprite;     // owned
    int m_iFuel;            // template: energy cost; built: fuel (100), giving the fleet's range
    int m_iMatterCost;      // template: matter cost; built: 100, read by nothing
    int m_iEnergyUpkeep;    // taken from the fleet's supplies per turn (template: once, at completion)
    int m_iMatterUpkeep;
    int m_iMorale;          // template: build time in turns; built: damage percentage, 100 at start
    int8_t m_cSpeed;        // cells per turn
    Weapon *m_pWeapon;      // owned
    Armor *m_pArmor;        // owned
    int8_t m_bMark;         // 0; carried by the save file
    int m_eState;           // SHIP_ACTIVE, or SHIP_DESTROYED once its hit points fell in battle
    int m_iId;              // object id; -1 in a template
    int m_aiState;          // 1 for the drone and fighters, 0 for motherships; never changed
    int m_aiLastState;
};

/* Lifecycle. */
int ShipCreate(Ship **ppShip, const char *pName, Company *pOwner, int type);
int ShipDestroy(Ship **ppShip);
void ShipSetOwner(Ship *pShip, Company *pOwner);

/* Catalogue: the nine ship templates in g_ppShipInfo. */
int ShipCatalogueCreate(void);
void ShipCatalogueDestroy(void);
Ship *GetShipPrototype(int iShipType);
int CanAffordShip(Ship *pInfo, int iMatter, int iEnergy);

/* Names shown to the player. */
const char *ShipTypeName(int type);    // "Robotic Drone" ... ; "Undocumented Ship" otherwise
const char *ShipClassName(int type);   // class word of the ship panel ("Probe", "Close-Range", ...)
const char *ShipSpeedWord(int type);   // "Fast", "Moderate" or "Slow"; "Unknown" otherwise

/* A template's prices, kept in fields that mean something else in a built ship. */
int ShipTemplateEnergyCost(const Ship *pInfo);   // m_iFuel
int ShipTemplateBuildTurns(const Ship *pInfo);   // m_iMorale

/* Battle rules, for ships and structures alike. */
int ShipFirepower(const Ship *pShip);        // weapon damage scaled by morale; 0 for kinds 0 and 5
void VolleyAddFire(Volley *pVolley, int weaponKind, int firepower);
// Hit points each of cUnits units with this armor loses to a volley spread evenly over them.
int VolleyDamage(const Volley *pVolley, const Armor *pArmor, int cUnits);
float ArmorMultiplier(const Armor *pArmor, int weaponKind);  // 0 for kinds that do not fire
int BlockDamage(int firepower, int weaponKind, const Armor *pTarget);
int ShipCheckDestroyed(Ship *pShip);         // hit points below 1 mark it destroyed; 1 if so

/* Upkeep between battles, run by the fleet update. */
void ShipRepair(Ship *pShip);                // an idle turn restores a tenth of the base hit points
// A ship marked destroyed leaves its fleet and is freed: returns 1, and the pointer is dead.
int ShipCheckRemoval(Ship *pShip);
