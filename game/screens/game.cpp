#include "game/screens/game.h"

#include <cstdio>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/world/aidump.h"
#include "game/world/battle.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/system.h"
#include "game/world/warpgate.h"
#include "game/core/console.h"
#include "game/screens/battlescreen.h"
#include "game/screens/gamescreen.h"
#include "game/screens/panels.h"
#include "game/core/randutils.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/turn.h"
#include "game/world/universe.h"
#include "game/ui/window.h"
#include "game/world/world.h"

// The world is about to go: nothing the screens show or select may point into it any more.
static void ForgetWorld(void)
{
    g_pSelPlanet = nullptr;
    g_pSelSystem = nullptr;
    GameScreenRelease();
}

// A saved world keeps the marks of what was selected when it was saved, but a game starts with
// nothing selected: marks left on would show a system, planet, gate or fleet as chosen (warp lines
// on the galaxy, inverted icons) while no panel shows it and no order can reach it.
static void ClearSelectionMarks(Universe *pUniverse)
{
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        pSystem->m_bFlags &= (uint8_t)~SYSTEM_SELECTED;
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            Planet *pPlanet = pSystem->m_ppPlanet[i];
            pPlanet->m_bFlags &= (uint8_t)~PLANET_SELECTED;
            if (pPlanet->m_pFleet)
                pPlanet->m_pFleet->m_bSelected = 0;
        }
        for (int i = 0; i < pSystem->m_cGate; i++)
            pSystem->m_ppGate[i]->m_bHighlight = 0;
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            ((Fleet *)pNode->m_pData)->m_bSelected = 0;
    }
}

void GameStart(Universe *pUniverse)
{
    int rc = ShipCatalogueCreate();
    V_ASSERT(rc == 0);
    rc = StructCatalogueCreate();
    V_ASSERT(rc == 0);

    if (g_pUniverse) {
        ForgetWorld();
        DestroyMainScreen();
        UniverseDestroy(&g_pUniverse);
    }
    g_viewMode = VIEW_GALAXY;

    // The management action does nothing; its button is never shown.
    CreateMainScreen(nullptr, EndTurn, ZoomOutButton);
    GameScreenReset();

    if (pUniverse) {
        g_pUniverse = pUniverse;
    } else {
        int companyCount = RandInt(4) + 2;  // the company count is drawn first
        int systemCount = RandInt(10) + 5;
        UniverseCreate(&g_pUniverse, systemCount, companyCount);
    }
    V_ASSERT(g_pUniverse != NULL);
    ClearSelectionMarks(g_pUniverse);
    g_frameCounter = 0;
    BattleInit();
    BattleScreensInstall();

    UniverseDraw(g_pUniverse);
    for (int i = 0; i < g_pUniverse->m_cSystem; i++)
        SystemDrawMap(g_pUniverse->m_ppSystem[i]);

    ShowCompanyPanel();

    ShowGalaxy();
}

void GameShutdown(void)
{
    FreeBuildLists();  // the build dialogs and their lists show the catalogues
    AIDumpClose();
    ShipCatalogueDestroy();
    StructCatalogueDestroy();
    if (g_pUniverse) {
        ForgetWorld();
        UniverseDestroy(&g_pUniverse);
    }
    BattleScreensUninstall();
    BattleShutdown();
}

void GameQuit(void)
{
    g_gameState = GAME_STATE_QUIT;
    GameShutdown();
    DestroyMainScreen();
}
