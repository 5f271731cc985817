#include "game/company.h"

#include <cstdlib>
#include <cstring>

// The name is copied, so the player's literal "Human" and generated names are handled alike.
// The company number is set by the universe generator.
int CompanyCreate(Company **ppCompany, const char *pName, uint8_t color, int bAI)
{
    *ppCompany = nullptr;
    Company *pCompany = (Company *)calloc(1, sizeof(Company));
    if (!pCompany)
        return 1;
    pCompany->m_pName = strdup(pName ? pName : "");
    if (!pCompany->m_pName) {
        free(pCompany);
        return 1;
    }
    pCompany->m_color = color;
    pCompany->m_bAI = bAI;
    pCompany->m_iEnergy = 10000;
    pCompany->m_iMatter = 10000;
    pCompany->m_aiState = COMPANY_AI_IDLE;
    pCompany->m_aiLastState = COMPANY_AI_IDLE;
    *ppCompany = pCompany;
    return 0;
}

// Frees the name and the fleet array; the fleets themselves belong to their systems and planets.
int CompanyDestroy(Company **ppCompany)
{
    if (!ppCompany || !*ppCompany)
        return 1;
    free((*ppCompany)->m_pName);
    free((*ppCompany)->m_ppFleet);
    free(*ppCompany);
    *ppCompany = nullptr;
    return 0;
}
