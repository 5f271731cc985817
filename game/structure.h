// structure: the ten kinds of planetary structure and the two build queues. A Colony queues
// structures for its planet, a Shipyard queues ships; planets run StructureUpdate once per turn.
// Structure catalogue templates are Structure records holding the buildable types' prices.
#pragma once

#include <cstdint>

struct Company;
struct Planet;
struct Surface;
struct Weapon;
struct Armor;

// The most structures a planet holds and the most nodes a build queue holds.
enum {
    STRUCTURE_MAX = 100,
    BUILD_QUEUE_MAX = 255,
};

struct BuildNode {
    BuildNode *m_pNext;   // null at the last node
    int m_eType;          // object type to build
    int m_iTurns;         // ships: turns still to wait; structures: the universe turn of completion
};

struct BuildQueue {
    int8_t m_cNode;       // number of nodes, counted modulo 256
    BuildNode *m_pFirst;
    BuildNode *m_pLast;
};

struct Structure {
    const char *m_pName;  // constant type name, never freed
    Company *m_pOwner;
    int m_eType;          // V_TYPE_COLONY .. V_TYPE_SAT_VAVUVUR
    Surface *m_pSprite;   // owned; drawn on the planet close-up
    Planet *m_pPlanet;    // null in a template
    int m_bDestroyed;     // 1 once destroyed in battle; freed at the next update
    int m_iEnergyCost;    // template only
    int m_iMatterCost;    // template only
    int m_iEnergyYield;   // 100 for an Energy Harvester, shown by the panels
    int m_iMatterYield;   // 100 for a Matter Harvester
    Armor *m_pArmor;      // owned
    Weapon *m_pWeapon;    // owned
    BuildQueue *m_pQueue; // owned; Colony and Shipyard only
    int m_iStoreA;        // 0; saved with a Storage Silo
    int m_iStoreB;
    int m_iParam;         // template: build time in turns; Storage Silo: capacity 10000
    int m_iId;            // object id; -1 in a template
};

/* Lifecycle. */
int StructureCreate(Structure **ppStructure, Planet *pPlanet, int type);
int StructureDestroy(Structure **ppStructure);

/* Build queues. */
int BuildQueueCreate(BuildQueue **ppQueue);
void BuildQueueDestroy(BuildQueue **ppQueue);

/* Catalogue: the nine buildable structure templates in g_ppStructInfo. */
int StructCatalogueCreate(void);
void StructCatalogueDestroy(void);
Structure *GetStructurePrototype(int iStructType);
int CanAffordStructure(Structure *pInfo, int iMatter, int iEnergy);
