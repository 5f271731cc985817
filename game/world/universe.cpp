#include "game/world/universe.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "baseutilities/baseassert.h"
#include "game/core/2dutils.h"
#include "game/world/company.h"
#include "game/world/planet.h"
#include "game/core/randutils.h"
#include "game/world/system.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

unsigned char CompanyColorForIndex(int index)
{
    return (unsigned char)(index == 0 ? (int)PLAYER_COLOR : (index + 9) * 16);
}

// Draws the counts, star type and names of a system at an accepted position and creates it. A
// system that cannot place its planets and gates is drawn afresh at the same position, so no slot
// is ever left empty. Returns 0, or 1 when memory runs out.
static int GenerateSystem(Universe *pUniverse, int index, Coord pos)
{
    for (;;) {
        int cGate = RandDraw() % 3 + 3;
        int cPlanet = RandDraw() % 10 + 5;
        int type = RandInt(4);
        char *pStarName = RandomName();
        char *pName = RandomName();
        int result = 1;
        if (pStarName && pName)
            result = SystemCreate(&pUniverse->m_ppSystem[index], pName, pStarName,
                                  pUniverse->m_size, pos, type, cPlanet, cGate);
        free(pStarName);
        free(pName);
        if (result == 0)
            return 0;
        if (result != SYSTEM_NO_ROOM)
            return 1;
    }
}

// Systems keep at least 20 columns or 20 rows apart; the distances shrink as tries fail, and a
// galaxy that cannot be placed even with them at 5 ends the program.
static int PlaceSystems(Universe *pUniverse)
{
    Coord taken[INT8_MAX];
    Placement placement = {GALAXY_SYSTEM_DISTANCE, GALAXY_SYSTEM_DISTANCE, 0};
    for (int i = 0; i < pUniverse->m_cSystem; i++) {
        int result = PlaceApart(&placement, pUniverse->m_size, taken, i, &taken[i]);
        if (result == SYSTEM_NO_ROOM)
            exit(1);
        if (result != 0 || GenerateSystem(pUniverse, i, taken[i]) != 0)
            return 1;
    }
    return 0;
}

// The player settles planet 0 of system 0; each computer company a free planet of another system.
static int SettleCompanies(Universe *pUniverse)
{
    Company **ppCompany = pUniverse->m_ppCompany;
    if (CompanyCreate(&ppCompany[0], "Human", CompanyColorForIndex(0), 0) != 0)
        return 1;
    ppCompany[0]->m_iNum = 1;
    PlanetColonize(pUniverse->m_ppSystem[0]->m_ppPlanet[0], ppCompany[0]);

    for (int i = 1; i < pUniverse->m_cCompany; i++) {
        System *pSystem = pUniverse->m_ppSystem[RandInt(pUniverse->m_cSystem - 1) + 1];
        Planet *pPlanet = pSystem->m_ppPlanet[RandDraw() % pSystem->m_cPlanet];
        if (pPlanet->m_pOwner) {
            i--;
            continue;
        }
        char *pName = RandomName();
        int result = pName ? CompanyCreate(&ppCompany[i], pName, CompanyColorForIndex(i), 1) : 1;
        free(pName);
        if (result != 0)
            return 1;
        ppCompany[i]->m_iNum = (uint8_t)(i + 1);
        PlanetColonize(pPlanet, ppCompany[i]);
    }
    return 0;
}

// On failure *ppUniverse stays null and nothing is left allocated.
int UniverseCreate(Universe **ppUniverse, int systemCount, int companyCount)
{
    *ppUniverse = nullptr;
    // Every system holds at least 5 planets, so the computer companies always find free ones.
    V_ASSERT(systemCount >= 1 && systemCount <= INT8_MAX);
    V_ASSERT(companyCount >= 1 && companyCount - 1 <= 5 * (systemCount - 1));
    Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
    if (!pUniverse)
        return 1;
    pUniverse->m_size = Coord{GALAXY_SIZE, GALAXY_SIZE};
    pUniverse->m_cSystem = (int8_t)systemCount;
    pUniverse->m_ppSystem = (System **)calloc((size_t)systemCount, sizeof(System *));
    pUniverse->m_cCompany = (int8_t)companyCount;
    pUniverse->m_ppCompany = (Company **)calloc((size_t)companyCount, sizeof(Company *));
    bool bMade = pUniverse->m_ppSystem && pUniverse->m_ppCompany && PlaceSystems(pUniverse) == 0 &&
                 SettleCompanies(pUniverse) == 0;
    if (bMade) {
        pUniverse->m_pSurface = CreateSurface(GALAXY_SIZE, GALAXY_SIZE);
        bMade = pUniverse->m_pSurface != nullptr;
    }
    if (!bMade) {
        UniverseDestroy(&pUniverse);
        return 1;
    }
    FillSurface(pUniverse->m_pSurface, Cell{'c', 0});
    MakeWarpLinks(pUniverse);
    *ppUniverse = pUniverse;
    return 0;
}

// Two passes over every pair of systems draw links at random while both ends have free gates. A
// pair drawn twice takes a second free gate at each end but stays one link. The gates are then
// handed out in index order from both ends; since both walks go in index order, each end of a
// link names the same gate again when the link is seen from the other side.
void MakeWarpLinks(Universe *pUniverse)
{
    if (!pUniverse || !pUniverse->m_ppSystem)
        return;
    int n = pUniverse->m_cSystem;
    std::vector<char> linked((size_t)n * (size_t)n, 0);
    std::vector<int> freeGates((size_t)n);
    for (int i = 0; i < n; i++)
        freeGates[i] = pUniverse->m_ppSystem[i]->m_cGate;

    for (int pass = 0; pass < 2; pass++) {
        for (int i = 0; i < n; i++) {
            for (int j = 0; j < i; j++) {
                if (freeGates[i] > 0 && freeGates[j] > 0 && RandDraw() % 2 == 1) {
                    linked[(size_t)i * n + j] = 1;
                    linked[(size_t)j * n + i] = 1;
                    freeGates[i]--;
                    freeGates[j]--;
                }
            }
        }
    }

    for (int i = 0; i < n; i++) {
        System *pSystem = pUniverse->m_ppSystem[i];
        int k = 0;
        for (int j = 0; j < n; j++) {
            if (!linked[(size_t)i * n + j])
                continue;
            System *pOther = pUniverse->m_ppSystem[j];
            V_ASSERT(k < pSystem->m_cGate && pOther->m_iNextGate < pOther->m_cGate);
            WarpgateLink(pSystem->m_ppGate[k], pOther->m_ppGate[pOther->m_iNextGate]);
            pOther->m_iNextGate++;
            k++;
        }
    }
}


void UniverseDestroy(Universe **ppUniverse)
{
    if (!ppUniverse || !*ppUniverse)
        return;
    Universe *pUniverse = *ppUniverse;
    if (pUniverse->m_ppCompany) {
        for (int i = 0; i < pUniverse->m_cCompany; i++)
            CompanyDestroy(&pUniverse->m_ppCompany[i]);
        free(pUniverse->m_ppCompany);
    }
    if (pUniverse->m_ppSystem) {
        for (int i = 0; i < pUniverse->m_cSystem; i++)
            SystemDestroy(&pUniverse->m_ppSystem[i]);
        free(pUniverse->m_ppSystem);
    }
    DestroySurface(&pUniverse->m_pSurface);
    free(pUniverse);
    if (g_pUniverse == pUniverse)
        g_pUniverse = nullptr;
    *ppUniverse = nullptr;
}

Company *UniversePlayer(const Universe *pUniverse)
{
    if (!pUniverse || !pUniverse->m_ppCompany)
        return nullptr;
    for (int i = 0; i < pUniverse->m_cCompany; i++) {
        Company *pCompany = pUniverse->m_ppCompany[i];
        if (pCompany && !pCompany->m_bAI)
            return pCompany;
    }
    return nullptr;
}
