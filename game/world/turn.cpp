#include "game/world/turn.h"

#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "baseutilities/baselist.h"
#include "game/world/battle.h"
#include "game/world/company.h"
#include "game/world/compai.h"
#include "game/world/fleet.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

// While the universe advances, the fleets already updated this turn. A fleet that passes a gate
// into a system whose turn comes later would otherwise be updated there a second time (a second
// upkeep, a second repair). Fleets made during a turn (new holds) enter no fleet list before the
// next turn, so the address of a fleet freed during the turn never comes up again in this set.
static std::unordered_set<const Fleet *> *s_pUpdatedThisTurn = nullptr;

static TurnHooks s_hooks = {};

void TurnSetHooks(const TurnHooks *pHooks)
{
    s_hooks = pHooks ? *pHooks : TurnHooks{};
}

void SystemUpdateSight(System *pSystem, Planet *pPlanet)
{
    if (!pSystem || !pPlanet)
        return;
    for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
        Fleet *pFleet = (Fleet *)pNode->m_pData;
        double dx = pFleet->m_pos.m_x - pPlanet->m_pos.m_x;
        double dy = pFleet->m_pos.m_y - pPlanet->m_pos.m_y;
        double distance = sqrt(dx * dx + dy * dy);
        if (pFleet->m_iSight > distance) {
            pPlanet->m_bFlags |= PLANET_KNOWN;
        } else if (pPlanet->m_bFlags & PLANET_KNOWN) {
            pPlanet->m_bFlags &= (uint8_t)~PLANET_KNOWN;
            pPlanet->m_bFlags |= PLANET_SHADED;
        }
    }
}

// Fleets in space move first, then each planet is seen and runs its turn (its hold included),
// then the gates tick. The walk over the fleets takes the next one before updating the current
// one: a fleet may leave the list (warp, dock, merge, disband) during its own update.
int SystemUpdate(System *pSystem)
{
    if (!pSystem)
        return 1;
    ListNode *pNode = pSystem->m_pFleets->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        Fleet *pFleet = (Fleet *)pNode->m_pData;
        if (!s_pUpdatedThisTurn || s_pUpdatedThisTurn->insert(pFleet).second)
            FleetUpdate(pFleet);
        pNode = pNext;
    }
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        SystemUpdateSight(pSystem, pSystem->m_ppPlanet[i]);
        PlanetUpdate(pSystem->m_ppPlanet[i]);
    }
    for (int i = 0; i < pSystem->m_cGate; i++)
        WarpgateTick(pSystem->m_ppGate[i]);
    if (s_hooks.pfnSystemDone)
        s_hooks.pfnSystemDone(pSystem);
    return 0;
}

// The player is the company not run by the computer; it is beaten when it holds no colony.
static bool PlayerIsDefeated(const Universe *pUniverse)
{
    const Company *pPlayer = UniversePlayer(pUniverse);
    return pPlayer && pPlayer->m_cColony == 0;
}

static bool NoRivalHoldsAColony(const Universe *pUniverse)
{
    for (int i = 0; i < pUniverse->m_cCompany; i++) {
        const Company *pCompany = pUniverse->m_ppCompany[i];
        if (pCompany && pCompany->m_bAI && pCompany->m_cColony > 0)
            return false;
    }
    return true;
}

int UniverseUpdate(Universe *pUniverse)
{
    if (!pUniverse)
        return 1;
    pUniverse->m_iTurn++;
    std::unordered_set<const Fleet *> updated;
    s_pUpdatedThisTurn = &updated;
    for (int i = 0; i < pUniverse->m_cSystem; i++)
        SystemUpdate(pUniverse->m_ppSystem[i]);
    s_pUpdatedThisTurn = nullptr;

    if (PlayerIsDefeated(pUniverse)) {
        // The hook may tear the world down: nothing after it may touch the universe.
        if (s_hooks.pfnDefeat)
            s_hooks.pfnDefeat();
        return 0;
    }
    if (NoRivalHoldsAColony(pUniverse) && s_hooks.pfnVictory)
        s_hooks.pfnVictory();
    if (s_hooks.pfnTurnDone)
        s_hooks.pfnTurnDone(pUniverse);
    return 0;
}

// The end-turn button: the companies run by the computer act first, so their orders are in place
// when the world moves; then the battles the turn started are fought. A defeat ends the turn at
// once: the world may be gone, and no battle follows.
void EndTurn(Button *)
{
    AddMessage("End of turn\n", 15);
    AIPlayComputerCompanies(g_pUniverse);
    UniverseUpdate(g_pUniverse);
    if (g_pUniverse && !PlayerIsDefeated(g_pUniverse))
        ResolveBattles();
}
