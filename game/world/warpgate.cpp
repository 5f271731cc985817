#include "game/world/warpgate.h"

#include <cmath>
#include <cstdlib>

#include "game/core/2dutils.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/world/world.h"

static Surface *MakeGateSprite(void)
{
    static const char *const s_rows[4] = {"/--\\", "|WA|", "|RP|", "\\--/"};
    Surface *pSprite = CreateSurface(4, 4);
    if (!pSprite)
        return nullptr;
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++)
            pSprite->m_pCells[row * 4 + col] = Cell{(unsigned char)s_rows[row][col], 9};
    }
    return pSprite;
}

// An unpaired, inactive gate with the standard activation price. On failure *ppGate stays null.
int WarpgateCreate(Warpgate **ppGate, System *pSystem, Coord pos)
{
    *ppGate = nullptr;
    Warpgate *pGate = (Warpgate *)calloc(1, sizeof(Warpgate));
    if (!pGate)
        return 1;
    pGate->m_pSprite = MakeGateSprite();
    if (!pGate->m_pSprite) {
        free(pGate);
        return 1;
    }
    pGate->m_pSystem = pSystem;
    pGate->m_pos = pos;
    pGate->m_iEnergyCost = WARPGATE_ENERGY_COST;
    pGate->m_iMatterCost = WARPGATE_MATTER_COST;
    pGate->m_iId = NewObjectId();
    *ppGate = pGate;
    return 0;
}

// Frees the gate and its sprite. Returns 1 when the pointer is already null.
int WarpgateDestroy(Warpgate **ppGate)
{
    if (!ppGate || !*ppGate)
        return 1;
    DestroySurface(&(*ppGate)->m_pSprite);
    free(*ppGate);
    *ppGate = nullptr;
    return 0;
}

void WarpgateLink(Warpgate *pGateA, Warpgate *pGateB)
{
    if (!pGateA || !pGateB)
        return;
    pGateA->m_pPair = pGateB;
    pGateB->m_pPair = pGateA;
}

static unsigned char FleetMessageAttr(const Fleet *pFleet)
{
    return CompanyMessageAttr(pFleet ? pFleet->m_pOwner : nullptr);
}

// Supplies and prices are compared as unsigned values, so a fleet whose supplies have gone
// negative counts as rich and pays, its supplies sinking further. A fleet that cannot pay turns
// home if its range reaches that far, and is stranded otherwise.
int WarpgateActivate(Warpgate *pGate, Fleet *pFleet)
{
    if (!pGate)
        return WARPGATE_NO_GATE;
    if (!pFleet)
        return WARPGATE_NO_FLEET;
    if ((uint32_t)pFleet->m_iEnergy >= (uint32_t)pGate->m_iEnergyCost &&
        (uint32_t)pFleet->m_iMatter >= (uint32_t)pGate->m_iMatterCost) {
        FleetSpendSupplies(pFleet, pGate->m_iEnergyCost, pGate->m_iMatterCost);
        pGate->m_bActive = 1;
        return WARPGATE_ACTIVATED;
    }
    unsigned char attr = FleetMessageAttr(pFleet);
    Planet *pHome = pFleet->m_pHomePlanet;
    if (pHome) {
        double dx = pHome->m_pos.m_x - pFleet->m_dX;
        double dy = pHome->m_pos.m_y - pFleet->m_dY;
        double exact = sqrt(dx * dx + dy * dy);
        uint32_t distance = exact < 4294967295.0 ? (uint32_t)exact : 4294967295u;
        AddMessage("Insufficient resources to activate warp gate", attr);
        if (pFleet->m_iRange >= distance && FleetMoveToPlanet(pFleet, pHome) == 0)
            return WARPGATE_SENT_HOME;
    }
    AddMessage("Fleet Stranded! HELP!", attr);
    return WARPGATE_STRANDED;
}

void WarpgateRecordTransit(Warpgate *pGate, Fleet *pFleet)
{
    if (!pGate)
        return;
    pGate->m_pTransitFleet = pFleet;
    pGate->m_cTransit = 1;
}

// A passage arms the counter; the tick that brings it to 0 reports the exit, once. An idle
// counter stays at 0, so a gate no fleet came through never reports anything.
int WarpgateTick(Warpgate *pGate)
{
    if (!pGate)
        return 1;
    if (pGate->m_cTransit > 0) {
        pGate->m_cTransit--;
        if (pGate->m_cTransit == 0 && pGate->m_pTransitFleet)
            AddMessage("Fleet exited warp gate.", FleetMessageAttr(pGate->m_pTransitFleet));
    }
    return 0;
}

int WarpgateDraw(Warpgate *pGate, Surface *pTarget)
{
    if (!pGate || !pTarget)
        return 1;
    Surface *pSprite = pGate->m_pSprite;
    if (pGate->m_bHighlight)
        InvertSurfaceRect(pSprite, 0, 0, pSprite->m_nWidth - 1, pSprite->m_nHeight - 1);
    BlitSurface(&pGate->m_pos, pTarget, pSprite, nullptr);
    if (pGate->m_bHighlight)
        InvertSurfaceRect(pSprite, 0, 0, pSprite->m_nWidth - 1, pSprite->m_nHeight - 1);
    return 0;
}
