#include "game/world/company.h"

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

// A fleet is listed once; listing it again changes nothing.
int CompanyAddFleet(Company *pCompany, Fleet *pFleet)
{
    if (!pCompany || !pFleet)
        return 1;
    for (int i = 0; i < pCompany->m_cFleet; i++) {
        if (pCompany->m_ppFleet[i] == pFleet)
            return 0;
    }
    Fleet **ppGrown =
        (Fleet **)realloc(pCompany->m_ppFleet, sizeof(Fleet *) * (size_t)(pCompany->m_cFleet + 1));
    if (!ppGrown)
        return 1;
    ppGrown[pCompany->m_cFleet++] = pFleet;
    pCompany->m_ppFleet = ppGrown;
    return 0;
}

// Closes the gap, keeping the order of the others; an empty index frees its array.
void CompanyRemoveFleet(Company *pCompany, Fleet *pFleet)
{
    if (!pCompany || !pFleet)
        return;
    int kept = 0;
    for (int i = 0; i < pCompany->m_cFleet; i++) {
        if (pCompany->m_ppFleet[i] != pFleet)
            pCompany->m_ppFleet[kept++] = pCompany->m_ppFleet[i];
    }
    pCompany->m_cFleet = kept;
    if (kept == 0) {
        free(pCompany->m_ppFleet);
        pCompany->m_ppFleet = nullptr;
    }
}

unsigned char CompanyMessageAttr(const Company *pCompany)
{
    return (unsigned char)((pCompany ? pCompany->m_color : 0) | 15);
}
