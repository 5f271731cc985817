// ui_harness: runs the game's console side on the headless display for a test. UiHarness
// installs the headless backend, brings up the console, the window manager, the input manager and
// the main event queue (as the main program does), and tears them down again with nothing left
// behind. Script input with the Headless* helpers (platform/headless.h) and read the presented
// frames back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/core/console.h"
#include "game/ui/dialog.h"
#include "game/core/evqueue.h"
#include "game/core/evutils.h"
#include "game/core/input.h"
#include "game/core/messagelog.h"
#include "game/ui/window.h"
#include "platform/headless.h"

class UiHarness {
public:
    // Start-up as the main program runs it, its printed progress kept out of the test's output.
    explicit UiHarness(int cols = 80, int rows = 50)
    {
        HeadlessInstall(cols, rows);
        MessagesClear();
        testing::internal::CaptureStdout();
        InitConsole("Vostrel");
        InitWindowManager();
        InitInputManager();
        fflush(stdout);
        testing::internal::GetCapturedStdout();
        InitEventQueue(&g_eventQueue);
        g_frameCounter = 0;
    }
    ~UiHarness() { Shutdown(); }

    // The exit routine's order. Safe to call more than once.
    void Shutdown()
    {
        if (m_bDown)
            return;
        m_bDown = true;
        ClearEventQueue(&g_eventQueue);
        if (m_bMainScreen)
            DestroyMainScreen();
        testing::internal::CaptureStdout();
        ShutdownWindowManager();
        ShutdownConsole();
        ShutdownInputManager();
        fflush(stdout);
        testing::internal::GetCapturedStdout();
        MessagesClear();
    }

    // The game screen with a main view onto pContent (the caller keeps the content).
    void BuildMainScreen(Surface *pContent, ButtonCallback pfnEndTurn = nullptr, ButtonCallback pfnZoomOut = nullptr)
    {
        CreateMainScreen(nullptr, pfnEndTurn, pfnZoomOut);
        m_bMainScreen = true;
        if (pContent)
            SetMainView(pContent);
    }

private:
    bool m_bMainScreen = false;
    bool m_bDown = false;
};

// The cells of a surface, for comparing a surface before and after.
inline std::string SurfaceBytes(const Surface *pSurface)
{
    return std::string((const char *)pSurface->m_pCells, (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight * sizeof(Cell));
}
