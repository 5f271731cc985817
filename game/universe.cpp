#include "game/universe.h"

#include <cstdlib>

#include "game/2dutils.h"
#include "game/company.h"
#include "game/system.h"
#include "game/world.h"

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
