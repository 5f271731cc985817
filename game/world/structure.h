// structure: the ten kinds of planetary structure and the two build queues. A Colony queues
// structures for its planet, a Shipyard queues ships; costs are paid from the planet's stores when
// an item is queued. Planets run StructureUpdate once per turn (income, the storage cap, building);
// the build dialogs and the AI queue through QueueShip and QueueStructure. Structure catalogue
// templates are Structure records holding the buildable types' prices.
#pragma once

#include <cstdint>

struct Company;
struct Planet;
struct Ship;
struct Surface;
struct Weapon;
struct Armor;

// The most structures a planet holds and the most nodes a build queue holds.
enum {
    STRUCTURE_MAX = 100,
    BUILD_QUEUE_MAX = 255,
};

// Results beyond 0 and 1.
enum {
    STRUCTURE_REMOVED = 2,        // StructureUpdate: destroyed in battle, dropped and freed
    BUILD_NODE_NOT_IN_QUEUE = 15, // the reorder operations: no such node (or no neighbour)
};

struct BuildNode {
    BuildNode *m_pNext;   // null at the last node
    int m_eType;          // object type to build
    int m_iTurns;         // ships: turns still to wait; structures: the universe turn of completion
};

struct BuildQueue {
    int8_t m_cNode;       // number of nodes, up to 255; read it through BuildQueueCount
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
int StructureCreateColony(Structure **ppStructure, Planet *pPlanet);
int StructureCreateShipyard(Structure **ppStructure, Planet *pPlanet);
int StructureCreateStorage(Structure **ppStructure, Planet *pPlanet);
int StructureCreateHarvester(Structure **ppStructure, Planet *pPlanet, int kind); // 2: energy, else matter

// The constant name a built structure of the type carries ("unknown" for no structure type).
const char *StructureTypeName(int type);

/* Per-turn step: 0; 1 for null; STRUCTURE_REMOVED when it was destroyed and is now freed. */
int StructureUpdate(Structure *pStructure);

/* Build queues. */
int BuildQueueCreate(BuildQueue **ppQueue);
void BuildQueueDestroy(BuildQueue **ppQueue);
int BuildQueueCount(const BuildQueue *pQueue);    // 0 to BUILD_QUEUE_MAX
int BuildQueueIsFull(const BuildQueue *pQueue);   // the dialogs queue nothing more when 1

/* Queueing pays at once from the planet's stores: 0 when queued, 1 otherwise. */
int QueueShip(Structure *pShipyard, int type);
int QueueStructure(Structure *pColony, int type);

/* Finishing the first item of a queue: 0, or 1 when there is nothing to finish. */
int CompleteShip(Ship **ppShip, Structure *pShipyard);
int CompleteStructure(Structure **ppSlot, Structure *pColony);

/* Reordering, for the queue dialog: 0, or BUILD_NODE_NOT_IN_QUEUE. Moves relink the node with its
   turn value; Up and Down exchange the type and turn values with the neighbour. */
int BuildQueueMoveFirst(BuildNode *pNode, BuildQueue *pQueue);
int BuildQueueMoveLast(BuildNode *pNode, BuildQueue *pQueue);
int BuildQueueMoveUp(BuildNode *pNode, BuildQueue *pQueue);
int BuildQueueMoveDown(BuildNode *pNode, BuildQueue *pQueue);

/* Catalogue: the nine buildable structure templates in g_ppStructInfo. */
int StructCatalogueCreate(void);
void StructCatalogueDestroy(void);
Structure *GetStructurePrototype(int iStructType);
int CanAffordStructure(Structure *pInfo, int iMatter, int iEnergy);
// A template's build time in turns, kept in m_iParam (a Storage Silo's capacity when built).
int StructureTemplateBuildTurns(const Structure *pInfo);

/* What the structure panel tells of a type ("Unknown" and " " for a type it does not describe). */
const char *StructureKindWord(int type);       // "Harvester", "Shipyard", "Storage Silo", "Satellite"
const char *StructureInfoText(int type);
int StructureInfoShowsFigures(int type);       // 1: the weapon's damage and armor follow the text

/* Battle. */
int StructureFirepower(const Structure *pStructure);  // its weapon's damage; 0 for kinds 0 and 5
int StructureCheckDestroyed(Structure *pStructure);   // hit points below 1 mark it; 1 if so

/* Drawing: the sprite at column 5, row 5 of the planet close-up. */
void StructureDraw(Structure *pStructure, Surface *pTarget);
