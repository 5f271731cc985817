// ui_harness: runs the game's console side on the headless display for a test. UiHarness
// installs the headless backend, brings up the console, the window manager, the input manager and
// the main event queue (as the main program does), and tears them down again with nothing left
// behind. Script input with the Headless* helpers (platform/headless.h), then run frames of the
// window manager or a dialog and read the presented frames back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/console.h"
#include "game/dialog.h"
#include "game/evqueue.h"
#include "game/evutils.h"
#include "game/input.h"
#include "game/messagelog.h"
#include "game/window.h"
#include "platform/headless.h"

class UiHarness {
public:
    // Start-up as the main program runs it; its printed progress is kept in InitOutput().
    explicit UiHarness(int cols = 80, int rows = 50)
    {
        HeadlessInstall(cols, rows);
        MessagesClear();
        testing::internal::CaptureStdout();
        InitConsole("Vostrel");
        InitWindowManager();
        InitInputManager();
        fflush(stdout);
        m_initOutput = testing::internal::GetCapturedStdout();
        InitEventQueue(&g_eventQueue);
        g_frameCounter = 0;
    }

    ~UiHarness() { Shutdown(); }

    // The exit routine's order; returns what it printed. Safe to call more than once.
    std::string Shutdown()
    {
        if (m_bDown)
            return "";
        m_bDown = true;
        ClearEventQueue(&g_eventQueue);
        if (m_bMainScreen)
            DestroyMainScreen();
        testing::internal::CaptureStdout();
        ShutdownWindowManager();
        ShutdownConsole();
        ShutdownInputManager();
        fflush(stdout);
        MessagesClear();
        return testing::internal::GetCapturedStdout();
    }

    const std::string &InitOutput() const { return m_initOutput; }

    // The game screen with a main view onto pContent (the caller keeps the content).
    void BuildMainScreen(Surface *pContent, ButtonCallback pfnEndTurn = nullptr, ButtonCallback pfnZoomOut = nullptr)
    {
        CreateMainScreen(nullptr, pfnEndTurn, pfnZoomOut);
        m_bMainScreen = true;
        if (pContent)
            SetMainView(pContent);
    }

    // n frames of the game loop's console side: present, then the window manager's update, then
    // the pacing. The frame counter advances as the game screen's update would advance it.
    void RunFrames(int n, EventQueue *pQueue = &g_eventQueue)
    {
        for (int i = 0; i < n; i++) {
            uint32_t deadline = FrameDeadline();
            g_frameCounter++;
            PresentScreen(g_pScreen);
            UpdateWindowManager(pQueue);
            FrameWait(deadline);
        }
    }

    // Runs a dialog for at most maxFrames frames: null when it had not ended by then (or ended
    // with no button), else the chosen button. The dialog's own update still runs every frame.
    static Button *RunDialogFor(Dialog *pDialog, int maxFrames)
    {
        s_pfnInner = pDialog->m_pfnUpdate;
        s_framesLeft = maxFrames;
        s_framesRun = 0;
        pDialog->m_pfnUpdate = LimitedUpdate;
        Button *pChosen = RunDialog(pDialog);
        pDialog->m_pfnUpdate = s_pfnInner;
        return pChosen;
    }
    // Frames the last RunDialogFor ran.
    static int DialogFrames() { return s_framesRun; }

private:
    static int LimitedUpdate(Dialog *pDialog)
    {
        s_framesRun++;
        int result = s_pfnInner ? s_pfnInner(pDialog) : pDialog->m_cButtons;
        if (result == pDialog->m_cButtons && --s_framesLeft <= 0)
            return -1;
        return result;
    }

    std::string m_initOutput;
    bool m_bMainScreen = false;
    bool m_bDown = false;
    static inline DialogUpdate s_pfnInner = nullptr;
    static inline int s_framesLeft = 0;
    static inline int s_framesRun = 0;
};

// The cells of a surface, for comparing a surface before and after.
inline std::string SurfaceBytes(const Surface *pSurface)
{
    return std::string((const char *)pSurface->m_pCells,
                       (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight * sizeof(Cell));
}
