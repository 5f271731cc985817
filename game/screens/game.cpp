#include "game/screens/game.h"

#include <cstdio>

#include "baseutilities/baseassert.h"
#include "game/world/aidump.h"
#include "game/world/battle.h"
#include "game/world/company.h"
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
