#include "game/world/structure.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/2dutils.h"
#include "game/world/armor.h"
#include "game/world/battle.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/core/randutils.h"
#include "game/world/ship.h"
#include "game/world/universe.h"
#include "game/world/weapon.h"
#include "game/world/world.h"

enum { STRUCT_CATALOGUE_COUNT = 9 };

// Built structures, index type - 6: name, sprite (rows of text, one attribute), yields, and the
// structure panel's kind word and description (a weapon's damage and armor follow it when the
// last column says so).
struct StructureRow {
    const char *name;
    const char *spriteRows[2];  // the Colony's sprite is drawn separately
    unsigned char spriteAttr;
    int energyYield, matterYield;
    const char *kindWord;
    const char *infoText;
    int bInfoFigures;
};

static const StructureRow s_structureTable[] = {
    /* name              sprite rows       attr  yields  kind word, description, figures */
    {"Colony",           {nullptr, nullptr}, 15, 0,   0,   "Unknown", " ", 0},
    {"Energy Harvester", {"H", nullptr},     6,  100, 0,   "Harvester",
     "Class:\n   Energy\n\n   Using cold fusion and breeder reactor technology, energy harvesters produce large "
     "quantities of clean energy.", 0},
    {"Matter Harvester", {"H", nullptr},     7,  0,   100, "Harvester",
     "Class:\n   Matter\n\n   Reducing just about any material to a plasmatic cloud, matter harvesters can produce "
     "any substance imaginable.", 0},
    {"Shipyard",         {"Y", nullptr},     14, 0,   0,   "Shipyard",
     "   Shipyards are used to construct ships. Any ship, including motherships, can be created at a shipyard, but "
     "the shipyard can only build one ship at a time.", 0},
    {"Storage",          {"/\\", "\\/"},     15, 0,   0,   "Storage Silo",
     "   Tapping into null space, a fairly small silo combined with an advanced plasma battery can easily enclose a "
     "space six times its own size.", 0},
    {"Fast Satellite",   {":", ":"},         13, 0,   0,   "Satellite", "Class:\n   Fast\n\n\n", 1},
    {"Atomic Satellite", {":", ":"},         13, 0,   0,   "Satellite", "Class:\n   Atomic\n\n\n", 1},
    {"Laser Satellite",  {":", ":"},         13, 0,   0,   "Satellite", "Class:\n   Laser\n\n\n", 1},
    {"Heavy Satellite",  {":", ":"},         13, 0,   0,   "Satellite", "Class:\n   Heavy\n\n\n", 1},
    {"Vavuvur Cannon!",  {"~~~", nullptr},   4,  0,   0,   "Satellite",
     "Class:\n   Vavuvur!\n\nIncredible power, limited space.", 1},
};

static const StructureRow s_unknownStructure = {"unknown", {"\\/", "/\\"}, 12, 0, 0, "Unknown", " ", 0};

// The buildable types' templates, index type - 7: name, price (energy and matter alike), turns.
struct CatalogueRow {
    const char *name;
    int cost;
    int buildTurns;
};

static const CatalogueRow s_catalogueTable[STRUCT_CATALOGUE_COUNT] = {
    {"Energy Harvester", 100,  3},
    {"Matter Harvester", 100,  3},
    {"Shipyard",         500,  1},
    {"Storage Silo",     800,  2},
    {"Fast Satellite",   150,  4},
    {"Atomic Satellite", 150,  4},
    {"Laser Satellite",  150,  4},
    {"Heavy Satellite",  150,  5},
    {"Vavuvur Cannon",   1000, 15},
};

// The Colony's picture: a green arc of '*' falling from the top left, one run per row.
static Surface *MakeColonySprite(void)
{
    static const struct { int first, last; } s_arc[12] = {
        {0, 3}, {4, 7}, {8, 11}, {12, 13}, {14, 15}, {16, 16},
        {17, 17}, {17, 17}, {18, 18}, {18, 18}, {19, 19}, {19, 19},
    };
    Surface *pSprite = CreateSurface(20, 12);
    FillSurface(pSprite, Cell{' ', 15});
    for (int row = 0; row < 12; row++) {
        for (int col = s_arc[row].first; col <= s_arc[row].last; col++)
            pSprite->m_pCells[row * 20 + col] = Cell{'*', 2};
    }
    return pSprite;
}

static Surface *MakeRowsSprite(const StructureRow *pRow)
{
    int height = pRow->spriteRows[1] ? 2 : 1;
    int width = (int)strlen(pRow->spriteRows[0]);
    Surface *pSprite = CreateSurface(width, height);
    for (int row = 0; row < height; row++) {
        for (int col = 0; col < width; col++) {
            pSprite->m_pCells[row * width + col] =
                Cell{(unsigned char)pRow->spriteRows[row][col], pRow->spriteAttr};
        }
    }
    return pSprite;
}

static const StructureRow *StructureRowOf(int type)
{
    return TypeIsStructure(type) ? &s_structureTable[type - V_TYPE_COLONY] : &s_unknownStructure;
}

const char *StructureTypeName(int type)
{
    return StructureRowOf(type)->name;
}

static int StructureMake(Structure **ppStructure, Planet *pPlanet, int type, bool bTemplate)
{
    *ppStructure = nullptr;
    Structure *pStructure = (Structure *)calloc(1, sizeof(Structure));
    if (!pStructure)
        return 1;
    const StructureRow *pRow = StructureRowOf(type);
    pStructure->m_pName = pRow->name;
    pStructure->m_pOwner = pPlanet ? pPlanet->m_pOwner : nullptr;
    pStructure->m_eType = type;
    pStructure->m_pPlanet = pPlanet;
    pStructure->m_iEnergyYield = pRow->energyYield;
    pStructure->m_iMatterYield = pRow->matterYield;
    pStructure->m_iParam = type == V_TYPE_STORAGE ? 10000 : 0;
    if (ArmorCreate(&pStructure->m_pArmor, type) != 0 ||
        WeaponCreate(&pStructure->m_pWeapon, type) != 0 ||
        ((type == V_TYPE_COLONY || type == V_TYPE_SHIPYARD) &&
         BuildQueueCreate(&pStructure->m_pQueue) != 0)) {
        StructureDestroy(&pStructure);
        return 1;
    }
    pStructure->m_pSprite = type == V_TYPE_COLONY ? MakeColonySprite() : MakeRowsSprite(pRow);
    pStructure->m_iId = bTemplate ? -1 : NewObjectId();
    *ppStructure = pStructure;
    return 0;
}

// The owner is the planet's owner at creation.
int StructureCreate(Structure **ppStructure, Planet *pPlanet, int type)
{
    return StructureMake(ppStructure, pPlanet, type, false);
}

// Frees the structure with its sprite, armor, weapon and build queue; a battle still waiting drops
// it first. Returns 1 for null.
int StructureDestroy(Structure **ppStructure)
{
    if (!ppStructure || !*ppStructure)
        return 1;
    Structure *pStructure = *ppStructure;
    BattleForgetObject(pStructure);
    DestroySurface(&pStructure->m_pSprite);
    ArmorDestroy(&pStructure->m_pArmor);
    WeaponDestroy(&pStructure->m_pWeapon);
    BuildQueueDestroy(&pStructure->m_pQueue);
    free(pStructure);
    *ppStructure = nullptr;
    return 0;
}

int StructureCreateColony(Structure **ppStructure, Planet *pPlanet)
{
    return StructureCreate(ppStructure, pPlanet, V_TYPE_COLONY);
}

int StructureCreateShipyard(Structure **ppStructure, Planet *pPlanet)
{
    return StructureCreate(ppStructure, pPlanet, V_TYPE_SHIPYARD);
}

int StructureCreateStorage(Structure **ppStructure, Planet *pPlanet)
{
    return StructureCreate(ppStructure, pPlanet, V_TYPE_STORAGE);
}

int StructureCreateHarvester(Structure **ppStructure, Planet *pPlanet, int kind)
{
    return StructureCreate(ppStructure, pPlanet,
                           kind == 2 ? V_TYPE_HARVESTER_ENERGY : V_TYPE_HARVESTER_MATTER);
}

int BuildQueueCreate(BuildQueue **ppQueue)
{
    *ppQueue = (BuildQueue *)calloc(1, sizeof(BuildQueue));
    return *ppQueue ? 0 : 1;
}

void BuildQueueDestroy(BuildQueue **ppQueue)
{
    if (!ppQueue || !*ppQueue)
        return;
    BuildNode *pNode = (*ppQueue)->m_pFirst;
    while (pNode) {
        BuildNode *pNext = pNode->m_pNext;
        free(pNode);
        pNode = pNext;
    }
    free(*ppQueue);
    *ppQueue = nullptr;
}

int StructCatalogueCreate(void)
{
    StructCatalogueDestroy();
    g_ppStructInfo = (Structure **)calloc(STRUCT_CATALOGUE_COUNT, sizeof(Structure *));
    if (!g_ppStructInfo)
        return 1;
    for (int i = 0; i < STRUCT_CATALOGUE_COUNT; i++) {
        const CatalogueRow &row = s_catalogueTable[i];
        Structure *pInfo = nullptr;
        if (StructureMake(&pInfo, nullptr, V_TYPE_HARVESTER_ENERGY + i, true) != 0) {
            StructCatalogueDestroy();
            return 1;
        }
        pInfo->m_pName = row.name;
        pInfo->m_iEnergyCost = row.cost;
        pInfo->m_iMatterCost = row.cost;
        pInfo->m_iEnergyYield = 0;
        pInfo->m_iMatterYield = 0;
        pInfo->m_iParam = row.buildTurns;
        g_ppStructInfo[i] = pInfo;
    }
    return 0;
}

void StructCatalogueDestroy(void)
{
    if (!g_ppStructInfo)
        return;
    for (int i = 0; i < STRUCT_CATALOGUE_COUNT; i++)
        StructureDestroy(&g_ppStructInfo[i]);
    free(g_ppStructInfo);
    g_ppStructInfo = nullptr;
}

int StructureTemplateBuildTurns(const Structure *pInfo)
{
    V_ASSERT(pInfo != NULL);
    return pInfo->m_iParam;
}

const char *StructureKindWord(int type) { return StructureRowOf(type)->kindWord; }
const char *StructureInfoText(int type) { return StructureRowOf(type)->infoText; }
int StructureInfoShowsFigures(int type) { return StructureRowOf(type)->bInfoFigures; }

Structure *GetStructurePrototype(int iStructType)
{
    V_ASSERT_MSG(iStructType >= V_TYPE_COLONY && iStructType <= V_TYPE_SAT_VAVUVUR,
                 "(iStructType >= V_TYPE_COLONY && iStructType <= V_TYPE_SAT_VAVUVUR)");
    if (!g_ppStructInfo)
        return nullptr;
    for (int i = 0; i < STRUCT_CATALOGUE_COUNT; i++) {
        if (g_ppStructInfo[i] && g_ppStructInfo[i]->m_eType == iStructType)
            return g_ppStructInfo[i];
    }
    return nullptr;
}

// Stores compare unsigned: a negative store counts as a very large one.
int CanAffordStructure(Structure *pInfo, int iMatter, int iEnergy)
{
    V_ASSERT(pInfo != NULL);
    return (uint32_t)iMatter >= (uint32_t)pInfo->m_iMatterCost &&
                   (uint32_t)iEnergy >= (uint32_t)pInfo->m_iEnergyCost
               ? 1
               : 0;
}

/* ---- Build queues: counting, queueing, finishing, reordering. ---- */

// The count is an 8-bit field that holds up to 255 nodes: read it unsigned, so a queue of 128 or
// more nodes is not taken for an empty one.
int BuildQueueCount(const BuildQueue *pQueue)
{
    return pQueue ? (int)(uint8_t)pQueue->m_cNode : 0;
}

int BuildQueueIsFull(const BuildQueue *pQueue)
{
    return pQueue && BuildQueueCount(pQueue) >= BUILD_QUEUE_MAX ? 1 : 0;
}

static void BuildQueueAppend(BuildQueue *pQueue, BuildNode *pNode)
{
    pNode->m_pNext = nullptr;
    if (!pQueue->m_pFirst)
        pQueue->m_pFirst = pNode;
    else
        pQueue->m_pLast->m_pNext = pNode;
    pQueue->m_pLast = pNode;
    pQueue->m_cNode = (int8_t)(uint8_t)(BuildQueueCount(pQueue) + 1);
}

static BuildNode *BuildQueueTakeFirst(BuildQueue *pQueue)
{
    BuildNode *pNode = pQueue->m_pFirst;
    if (!pNode)
        return nullptr;
    pQueue->m_pFirst = pNode->m_pNext;
    if (!pQueue->m_pFirst)
        pQueue->m_pLast = nullptr;
    if (BuildQueueCount(pQueue) > 0)
        pQueue->m_cNode = (int8_t)(uint8_t)(BuildQueueCount(pQueue) - 1);
    pNode->m_pNext = nullptr;
    return pNode;
}

static int CurrentTurn(void)
{
    return g_pUniverse ? g_pUniverse->m_iTurn : 0;
}

static const char *OwnerName(const Company *pOwner)
{
    return pOwner && pOwner->m_pName ? pOwner->m_pName : "";
}

static void Report(unsigned char attr, const char *pFormat, ...) __attribute__((format(printf, 2, 3)));

static void Report(unsigned char attr, const char *pFormat, ...)
{
    char text[256];
    va_list args;
    va_start(args, pFormat);
    vsnprintf(text, sizeof text, pFormat, args);
    va_end(args);
    AddMessage(text, attr);
}

// Stores have no floor and compare unsigned when spent, so a negative store keeps paying and
// keeps falling; the arithmetic wraps like the 32-bit store it is instead of overflowing.
static void StoreAdd(int *pStore, int amount)
{
    *pStore = (int)((uint32_t)*pStore + (uint32_t)amount);
}

// Catalogue look-ups for whatever a queue node holds. A node read from a file may name any
// type; these answer null instead of stopping the game.
static Ship *ShipEntryOf(int type)
{
    return TypeIsShip(type) ? GetShipPrototype(type) : nullptr;
}

static Structure *StructureEntryOf(int type)
{
    return TypeIsStructure(type) ? GetStructurePrototype(type) : nullptr;
}

int QueueShip(Structure *pShipyard, int type)
{
    if (!pShipyard || pShipyard->m_eType != V_TYPE_SHIPYARD || !pShipyard->m_pQueue ||
        !pShipyard->m_pPlanet)
        return 1;
    Ship *pInfo = GetShipPrototype(type);
    if (!pInfo || BuildQueueIsFull(pShipyard->m_pQueue))
        return 1;
    Planet *pPlanet = pShipyard->m_pPlanet;
    unsigned char attr = CompanyMessageAttr(pShipyard->m_pOwner);
    if (!CanAffordShip(pInfo, pPlanet->m_iMatter, pPlanet->m_iEnergy)) {
        AddMessage("You have insufficient funds to construct this ship.", attr);
        return 1;
    }
    BuildNode *pNode = (BuildNode *)calloc(1, sizeof(BuildNode));
    if (!pNode)
        return 1;
    pNode->m_eType = type;
    pNode->m_iTurns = ShipTemplateBuildTurns(pInfo);  // turns still to wait; only the first node counts down
    BuildQueueAppend(pShipyard->m_pQueue, pNode);
    StoreAdd(&pPlanet->m_iEnergy, -ShipTemplateEnergyCost(pInfo));
    StoreAdd(&pPlanet->m_iMatter, -pInfo->m_iMatterCost);
    AddMessage("Ship queued for construction.", attr);
    return 0;
}

// A structure's node holds the universe turn at which it is finished: the current turn plus the
// build time in an empty queue, else the last node's turn plus the build time. A planet whose
// standing and queued structures fill its array takes no more.
int QueueStructure(Structure *pColony, int type)
{
    V_ASSERT(pColony != NULL);
    if (pColony->m_eType != V_TYPE_COLONY || !pColony->m_pQueue || !pColony->m_pPlanet)
        return 1;
    Structure *pInfo = GetStructurePrototype(type);
    BuildQueue *pQueue = pColony->m_pQueue;
    Planet *pPlanet = pColony->m_pPlanet;
    if (!pInfo || BuildQueueIsFull(pQueue) || !PlanetCanAddStructure(pPlanet))
        return 1;
    unsigned char attr = CompanyMessageAttr(pColony->m_pOwner);
    if (!CanAffordStructure(pInfo, pPlanet->m_iMatter, pPlanet->m_iEnergy)) {
        AddMessage("You have insufficient funds to build this structure.", attr);
        return 1;
    }
    BuildNode *pNode = (BuildNode *)calloc(1, sizeof(BuildNode));
    if (!pNode)
        return 1;
    pNode->m_eType = type;
    pNode->m_iTurns = (pQueue->m_pLast ? pQueue->m_pLast->m_iTurns : CurrentTurn()) + StructureTemplateBuildTurns(pInfo);
    BuildQueueAppend(pQueue, pNode);
    StoreAdd(&pPlanet->m_iEnergy, -pInfo->m_iEnergyCost);
    StoreAdd(&pPlanet->m_iMatter, -pInfo->m_iMatterCost);
    AddMessage("Structure queued for construction.", attr);
    return 0;
}

static int PlanetQueuesHoldWork(const Planet *pPlanet)
{
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        const Structure *pStructure = pPlanet->m_ppStructure[i];
        if (pStructure && pStructure->m_pQueue && pStructure->m_pQueue->m_pFirst &&
            (pStructure->m_eType == V_TYPE_COLONY || pStructure->m_eType == V_TYPE_SHIPYARD))
            return 1;
    }
    return 0;
}

// Tells the planet's AI that building has finished once nothing is queued at the planet any more:
// a planet that was BUILDING returns to the state it had before, with IDLE as its last state.
static void TellPlanetBuildingFinished(Planet *pPlanet)
{
    if (!pPlanet || PlanetQueuesHoldWork(pPlanet) || pPlanet->m_aiState != PLANET_AI_BUILDING)
        return;
    pPlanet->m_aiState = pPlanet->m_aiLastState;
    pPlanet->m_aiLastState = PLANET_AI_IDLE;
}

// The finished ship's catalogue upkeep is taken from the planet's stores once, on top of the price
// paid at queueing. The caller puts the ship into a fleet.
int CompleteShip(Ship **ppShip, Structure *pShipyard)
{
    if (!ppShip)
        return 1;
    *ppShip = nullptr;
    if (!pShipyard || !pShipyard->m_pQueue || !pShipyard->m_pQueue->m_pFirst)
        return 1;
    BuildQueue *pQueue = pShipyard->m_pQueue;
    Ship *pInfo = ShipEntryOf(pQueue->m_pFirst->m_eType);
    if (!pInfo)
        return 1;
    char *pName = RandomName();
    Ship *pShip = nullptr;
    int result = ShipCreate(&pShip, pName ? pName : "", pShipyard->m_pOwner, pQueue->m_pFirst->m_eType);
    free(pName);
    if (result != 0)
        return 1;
    Planet *pPlanet = pShipyard->m_pPlanet;
    if (pPlanet) {
        StoreAdd(&pPlanet->m_iEnergy, -pInfo->m_iEnergyUpkeep);
        StoreAdd(&pPlanet->m_iMatter, -pInfo->m_iMatterUpkeep);
    }
    free(BuildQueueTakeFirst(pQueue));
    if (pShipyard->m_pOwner)
        pShipyard->m_pOwner->m_offenseScore++;
    TellPlanetBuildingFinished(pPlanet);
    *ppShip = pShip;
    return 0;
}

// Builds into the slot the caller gives (the planet's next free one), on the colony's planet.
int CompleteStructure(Structure **ppSlot, Structure *pColony)
{
    if (!ppSlot)
        return 1;
    *ppSlot = nullptr;
    if (!pColony || !pColony->m_pQueue || !pColony->m_pQueue->m_pFirst)
        return 1;
    BuildQueue *pQueue = pColony->m_pQueue;
    Structure *pInfo = StructureEntryOf(pQueue->m_pFirst->m_eType);
    if (!pInfo)
        return 1;
    Planet *pPlanet = pColony->m_pPlanet;
    if (StructureCreate(ppSlot, pPlanet, pQueue->m_pFirst->m_eType) != 0)
        return 1;
    if (pPlanet) {
        StoreAdd(&pPlanet->m_iEnergy, -pInfo->m_iEnergyYield);
        StoreAdd(&pPlanet->m_iMatter, -pInfo->m_iMatterYield);
    }
    free(BuildQueueTakeFirst(pQueue));
    if (pColony->m_pOwner)
        pColony->m_pOwner->m_defenseScore++;
    TellPlanetBuildingFinished(pPlanet);
    return 0;
}

// Finds the node and the one before it (null for the first). 1 when the node is in the queue.
static int BuildQueueFind(BuildQueue *pQueue, BuildNode *pNode, BuildNode **ppPrev)
{
    *ppPrev = nullptr;
    if (!pQueue || !pNode)
        return 0;
    for (BuildNode *pCur = pQueue->m_pFirst; pCur; pCur = pCur->m_pNext) {
        if (pCur == pNode)
            return 1;
        *ppPrev = pCur;
    }
    return 0;
}

static void BuildQueueUnlink(BuildQueue *pQueue, BuildNode *pNode, BuildNode *pPrev)
{
    if (pPrev)
        pPrev->m_pNext = pNode->m_pNext;
    else
        pQueue->m_pFirst = pNode->m_pNext;
    if (pQueue->m_pLast == pNode)
        pQueue->m_pLast = pPrev;
    pNode->m_pNext = nullptr;
}

int BuildQueueMoveFirst(BuildNode *pNode, BuildQueue *pQueue)
{
    BuildNode *pPrev;
    if (!BuildQueueFind(pQueue, pNode, &pPrev))
        return BUILD_NODE_NOT_IN_QUEUE;
    if (!pPrev)
        return 0;
    BuildQueueUnlink(pQueue, pNode, pPrev);
    pNode->m_pNext = pQueue->m_pFirst;
    pQueue->m_pFirst = pNode;
    if (!pQueue->m_pLast)
        pQueue->m_pLast = pNode;
    return 0;
}

int BuildQueueMoveLast(BuildNode *pNode, BuildQueue *pQueue)
{
    BuildNode *pPrev;
    if (!BuildQueueFind(pQueue, pNode, &pPrev))
        return BUILD_NODE_NOT_IN_QUEUE;
    if (pQueue->m_pLast == pNode)
        return 0;
    BuildQueueUnlink(pQueue, pNode, pPrev);
    pQueue->m_pLast->m_pNext = pNode;
    pQueue->m_pLast = pNode;
    return 0;
}

static void BuildNodeExchange(BuildNode *pA, BuildNode *pB)
{
    int type = pA->m_eType, turns = pA->m_iTurns;
    pA->m_eType = pB->m_eType;
    pA->m_iTurns = pB->m_iTurns;
    pB->m_eType = type;
    pB->m_iTurns = turns;
}

int BuildQueueMoveUp(BuildNode *pNode, BuildQueue *pQueue)
{
    BuildNode *pPrev;
    if (!BuildQueueFind(pQueue, pNode, &pPrev) || !pPrev)
        return BUILD_NODE_NOT_IN_QUEUE;
    BuildNodeExchange(pNode, pPrev);
    return 0;
}

int BuildQueueMoveDown(BuildNode *pNode, BuildQueue *pQueue)
{
    BuildNode *pPrev;
    if (!BuildQueueFind(pQueue, pNode, &pPrev) || !pNode->m_pNext)
        return BUILD_NODE_NOT_IN_QUEUE;
    BuildNodeExchange(pNode, pNode->m_pNext);
    return 0;
}

/* ---- The per-turn step. ---- */

static const char *QueuedStructureName(int type)
{
    Structure *pInfo = StructureEntryOf(type);
    return pInfo ? pInfo->m_pName : "unknown";
}

static const char *QueuedShipName(int type)
{
    Ship *pInfo = ShipEntryOf(type);
    return pInfo ? pInfo->m_pName : ShipTypeName(type);
}

// An idle Colony earns; a building one earns nothing and reports its first item until the turn
// it is due. A node whose turn has already passed (reordering can leave one behind) is built at
// once rather than waiting for a turn that never comes again, which would stop the colony for good.
static void ColonyUpdate(Structure *pColony, Planet *pPlanet)
{
    BuildQueue *pQueue = pColony->m_pQueue;
    if (!pQueue || !pQueue->m_pFirst) {
        StoreAdd(&pPlanet->m_iEnergy, 50);
        StoreAdd(&pPlanet->m_iMatter, 50);
        return;
    }
    unsigned char attr = CompanyMessageAttr(pColony->m_pOwner);
    BuildNode *pNode = pQueue->m_pFirst;
    int turn = CurrentTurn();
    if (pNode->m_iTurns > turn) {
        Report(attr, "%s: %d until %5s is built at %5s.", OwnerName(pColony->m_pOwner),
               pNode->m_iTurns - turn, QueuedStructureName(pNode->m_eType), pPlanet->m_pName);
        return;
    }
    // A full array (possible only in a world read from a file) keeps the item waiting.
    if (pPlanet->m_cStructure >= pPlanet->m_nStructureMax)
        return;
    Structure **ppSlot = &pPlanet->m_ppStructure[pPlanet->m_cStructure];
    if (CompleteStructure(ppSlot, pColony) != 0)
        return;
    pPlanet->m_cStructure++;
    Report(attr, "%5s built at %5s.", (*ppSlot)->m_pName, pPlanet->m_pName);
}

// Only the first ship counts down; at 0 it is built and waits in the planet's hold, which is
// made on the spot if the planet has none.
static void ShipyardUpdate(Structure *pShipyard, Planet *pPlanet)
{
    BuildQueue *pQueue = pShipyard->m_pQueue;
    if (!pQueue || !pQueue->m_pFirst)
        return;
    unsigned char attr = CompanyMessageAttr(pShipyard->m_pOwner);
    BuildNode *pNode = pQueue->m_pFirst;
    if (pNode->m_iTurns > 0) {
        Report(attr, "%s: %d until %5s is built at %5s.", OwnerName(pShipyard->m_pOwner),
               pNode->m_iTurns, QueuedShipName(pNode->m_eType), pPlanet->m_pName);
        pNode->m_iTurns--;
        return;
    }
    Ship *pShip = nullptr;
    if (CompleteShip(&pShip, pShipyard) != 0)
        return;
    if (!pPlanet->m_pFleet)
        FleetCreate(&pPlanet->m_pFleet, pPlanet);
    if (!pPlanet->m_pFleet || FleetAddShip(pPlanet->m_pFleet, pShip) != 0) {
        ShipDestroy(&pShip);
        return;
    }
    Report(attr, "%5s built at %5s.", pShip->m_pName, pPlanet->m_pName);
}

// Both stores fall together, one unit a step, while their total exceeds the silo's capacity.
// The total is the true sum: stores that have gone below zero hold nothing to cap, where an
// unsigned 32-bit total would read them as four billion and step the planet for hours.
static void StorageUpdate(Structure *pSilo, Planet *pPlanet)
{
    long long capacity = (long long)(uint32_t)pSilo->m_iParam;
    unsigned char attr = CompanyMessageAttr(pSilo->m_pOwner);
    while ((long long)pPlanet->m_iEnergy + pPlanet->m_iMatter > capacity) {
        AddMessage("Stored resources exceed the maximum, decreasing", attr);
        pPlanet->m_iEnergy--;
        pPlanet->m_iMatter--;
    }
}

// Whether the planet still lists a structure of the type, standing or destroyed and awaiting
// its own update.
static bool PlanetListsStructureOfType(const Planet *pPlanet, int type)
{
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        if (pPlanet->m_ppStructure[i] && pPlanet->m_ppStructure[i]->m_eType == type)
            return true;
    }
    return false;
}

// A structure destroyed in battle is dropped from its planet and freed, and does nothing else.
// One that no planet lists belongs to whoever holds it and is left alone.
int StructureUpdate(Structure *pStructure)
{
    if (!pStructure)
        return 1;
    Planet *pPlanet = pStructure->m_pPlanet;
    if (pStructure->m_bDestroyed) {
        if (!pPlanet || PlanetRemoveStructure(pPlanet, pStructure) != 0)
            return 0;
        bool bColony = pStructure->m_eType == V_TYPE_COLONY;
        StructureDestroy(&pStructure);
        // With its last Colony gone the planet is no colony of its company any more, though the
        // company still owns it: the count the end-of-game tests read goes down. A second Colony
        // destroyed in the same battle is still listed until its own update: it takes the count
        // down then, so two destroyed Colonies count off once.
        Company *pOwner = pPlanet->m_pOwner;
        if (bColony && pOwner && pOwner->m_cColony > 0 && !PlanetListsStructureOfType(pPlanet, V_TYPE_COLONY))
            pOwner->m_cColony--;
        return STRUCTURE_REMOVED;
    }
    if (!pPlanet)
        return 0;
    switch (pStructure->m_eType) {
    case V_TYPE_COLONY: ColonyUpdate(pStructure, pPlanet); break;
    case V_TYPE_HARVESTER_ENERGY: StoreAdd(&pPlanet->m_iEnergy, 250); break;
    case V_TYPE_HARVESTER_MATTER: StoreAdd(&pPlanet->m_iMatter, 250); break;
    case V_TYPE_SHIPYARD: ShipyardUpdate(pStructure, pPlanet); break;
    case V_TYPE_STORAGE: StorageUpdate(pStructure, pPlanet); break;
    default: break;  // satellites and the cannon act only in battle
    }
    return 0;
}

/* ---- Battle and drawing. ---- */

int StructureFirepower(const Structure *pStructure)
{
    if (!pStructure || !pStructure->m_pWeapon)
        return 0;
    int kind = pStructure->m_pWeapon->m_eKind;
    return kind >= WEAPON_FAST && kind <= WEAPON_HEAVY ? pStructure->m_pWeapon->m_iDamage : 0;
}

int StructureCheckDestroyed(Structure *pStructure)
{
    if (!pStructure || !pStructure->m_pArmor || pStructure->m_pArmor->m_iHp >= 1)
        return 0;
    pStructure->m_bDestroyed = 1;
    return 1;
}

void StructureDraw(Structure *pStructure, Surface *pTarget)
{
    if (!pStructure || !pStructure->m_pSprite || !pTarget)
        return;
    Coord pos = {5, 5};
    BlitSurface(&pos, pTarget, pStructure->m_pSprite, nullptr);
}
