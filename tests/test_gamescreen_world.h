// A game screen over the small hand-made world of the fleet and turn tests: the console and the
// window manager on the headless display, the catalogues, maps and icons for every system, the
// galaxy in the main view, the map state reset as a new game resets it. The frame helpers run
// what the game loop runs in a frame, so a test can either call the map handlers as the loop
// calls them or script the mouse and let the frames dispatch it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "game/evutils.h"
#include "game/gamescreen.h"
#include "game/ship.h"
#include "game/structure.h"
#include "game/turn.h"
#include "tests/motion_world.h"
#include "tests/ui_harness.h"

namespace screens_test {

// The game finds its pictures at "../assets/" from its working directory; the tests run in the
// build's testrun directory, so the build directory gets a link to the sources' pictures.
inline void LinkAssets()
{
    std::string link = std::string(VOSTREL_BINARY_DIR) + "/assets";
    struct stat st;
    if (lstat(link.c_str(), &st) != 0)
        (void)!symlink(VOSTREL_SOURCE_DIR "/assets", link.c_str());
}

// What the game loop does with one event: clicks in the main view go to the map, double clicks
// zoom, anything that is not a button held or a key ends a drag.
inline void DispatchEvent(EventNode *pEvent)
{
    MouseEventData *pMouse = (MouseEventData *)pEvent->m_pData;
    switch (pEvent->m_nType) {
    case EV_LEFT_BUTTON:
        g_lastClickFrame = g_frameCounter;
        if (g_pMainView && pMouse->m_pSurface == g_pMainView->m_pContent)
            MapClick(pMouse->m_x, pMouse->m_y, &g_bDragging);
        break;
    case EV_MIDDLE_BUTTON:
    case EV_KEY:
        break;
    case EV_DOUBLE_CLICK:
        MapDoubleClick();
        break;
    default:
        g_bDragging = 0;
        break;
    }
}

// One frame of the game loop: present, the window manager, the game screen, one event.
inline void GameFrame()
{
    uint32_t deadline = FrameDeadline();
    PresentScreen(g_pScreen);
    UpdateWindowManager(&g_eventQueue);
    if (g_gameState == GAME_STATE_QUIT)
        return;
    GameScreenUpdate();
    if (g_wmViewMode == WM_MODE_ONE_VIEW && g_eventQueue.m_pHead && g_eventQueue.m_pHead->m_nReserved == 0) {
        EventNode *pEvent = PopEvent(&g_eventQueue);
        DispatchEvent(pEvent);
        FreeEvent(pEvent);
    }
    FrameWait(deadline);
}

// Frames until the scripted input has all been read, and a few more for it to take effect.
inline void RunScript(int extraFrames = 3)
{
    for (int guard = 0; HeadlessPendingInput() > 0 && guard < 10000; guard++)
        GameFrame();
    for (int i = 0; i < extraFrames && g_gameState != GAME_STATE_QUIT; i++)
        GameFrame();
}

class ScreenWorld : public motion_test::World {
protected:
    void SetUp() override
    {
        LinkAssets();
        m_pUi = std::make_unique<UiHarness>();
        World::SetUp();
        ASSERT_EQ(ShipCatalogueCreate(), 0);
        ASSERT_EQ(StructCatalogueCreate(), 0);
        g_pUniverse->m_pSurface = CreateSurface(100, 100);
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            System *pSystem = SystemAt(s);
            pSystem->m_pMap = CreateSurface(100, 100);
            FillSurface(pSystem->m_pMap, Cell{' ', 0x0B});
            pSystem->m_pIcon = CreateSurface(SYSTEM_ICON_SIZE, SYSTEM_ICON_SIZE);
            FillSurface(pSystem->m_pIcon, Cell{'*', 0x0E});
            pSystem->m_pos = Coord{10 + 40 * s, 20};
        }
        g_gameState = GAME_STATE_PLAYING;
        g_viewMode = VIEW_GALAXY;
        g_pSelSystem = nullptr;
        g_pSelPlanet = nullptr;
        GameScreenReset();
        m_pUi->BuildMainScreen(g_pUniverse->m_pSurface, EndTurn, ZoomOutButton);
    }

    void TearDown() override
    {
        GameScreenRelease();
        m_pUi->Shutdown();
        World::TearDown();
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
        m_pUi.reset();
        g_gameState = GAME_STATE_START;
        g_viewMode = VIEW_GALAXY;
        g_pSelSystem = nullptr;
        g_pSelPlanet = nullptr;
    }

    // A press on a map cell held for one frame, as the loop hands it over.
    static void Press(int x, int y)
    {
        GameScreenUpdate();
        g_lastClickFrame = g_frameCounter;
        MapClick(x, y, &g_bDragging);
    }
    // The frame after the button came up.
    static void Release()
    {
        GameScreenUpdate();
        g_bDragging = 0;
    }
    static void Click(int x, int y)
    {
        Press(x, y);
        Release();
    }

    // Zooms into system s from the galaxy, as a double click on its icon does.
    void EnterSystem(int s)
    {
        Click(SystemAt(s)->m_pos.m_x, SystemAt(s)->m_pos.m_y);
        MapDoubleClick();
    }

    // The information panel's text from its second column, rows joined by line feeds, trailing blanks cut.
    static std::string PanelText()
    {
        std::string text;
        for (int y = 0; y < g_pSideBar->m_nHeight; y++) {
            std::string row;
            for (int x = 1; x < g_pSideBar->m_nWidth; x++)
                row += (char)g_pSideBar->m_pCells[y * g_pSideBar->m_nWidth + x].m_ch;
            row.erase(row.find_last_not_of(' ') + 1);
            text += row + "\n";
        }
        text.erase(text.find_last_not_of('\n') + 1);
        return text;
    }

    static Cell MapCell(System *pSystem, int x, int y) { return pSystem->m_pMap->m_pCells[y * 100 + x]; }

    std::unique_ptr<UiHarness> m_pUi;
};

}  // namespace screens_test
