#include "game/structure.h"

#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/2dutils.h"
#include "game/armor.h"
#include "game/planet.h"
#include "game/weapon.h"
#include "game/world.h"

enum { STRUCT_CATALOGUE_COUNT = 9 };

// Built structures, index type - 6: name, sprite (rows of text, one attribute), yields.
struct StructureRow {
    const char *name;
    const char *spriteRows[2];  // the Colony's sprite is drawn separately
    unsigned char spriteAttr;
    int energyYield, matterYield;
};

static const StructureRow s_structureTable[] = {
    /* name                 sprite rows       attr  yields */
    {"Colony",              {nullptr, nullptr}, 15, 0,   0},
    {"Energy Harvester",    {"H", nullptr},     6,  100, 0},
    {"Matter Harvester",    {"H", nullptr},     7,  0,   100},
    {"Shipyard",            {"Y", nullptr},     14, 0,   0},
    {"Storage",             {"/\\", "\\/"},     15, 0,   0},
    {"Fast Satellite",      {":", ":"},         13, 0,   0},
    {"Atomic Satellite",    {":", ":"},         13, 0,   0},
    {"Laser Satellite",     {":", ":"},         13, 0,   0},
    {"Heavy Satellite",     {":", ":"},         13, 0,   0},
    {"Vavuvur Cannon!",     {"~~~", nullptr},   4,  0,   0},
};

static const StructureRow s_unknownStructure = {"unknown", {"\\/", "/\\"}, 12, 0, 0};

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

// Frees the structure with its sprite, armor, weapon and build queue. Returns 1 for null.
int StructureDestroy(Structure **ppStructure)
{
    if (!ppStructure || !*ppStructure)
        return 1;
    Structure *pStructure = *ppStructure;
    DestroySurface(&pStructure->m_pSprite);
    ArmorDestroy(&pStructure->m_pArmor);
    WeaponDestroy(&pStructure->m_pWeapon);
    BuildQueueDestroy(&pStructure->m_pQueue);
    free(pStructure);
    *ppStructure = nullptr;
    return 0;
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
