// A game screen over the small hand-made world of the fleet and turn tests: the console and the
// window manager on the headless display, the catalogues, maps and icons for every system, the
// galaxy in the main view, the map state reset as a new game resets it. A test either calls the
// map handlers as the game loop calls them or scripts the mouse and runs frames of the game loop.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "game/evutils.h"
#include "game/gamescreen.h"
#include "game/mainflow.h"
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

// One frame of the game loop, paced as the program paces it.
inline void GameFrame()
{
    uint32_t deadline = FrameDeadline();
    GameLoopFrame();
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
