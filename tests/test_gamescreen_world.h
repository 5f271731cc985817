// A game screen over the small hand-made world of the fleet and turn tests: the console and the
// window manager on the headless display, the catalogues, maps and icons for every system, the
// galaxy in the main view, the map state reset as a new game resets it. A test either calls the
// map handlers as the game loop calls them or scripts the mouse and runs frames of the game loop.
// The screen, panel, turn-end and played-game tests share it, with the readers of frames and build
// queues below.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/screens/gamescreen.h"
#include "game/screens/mainflow.h"
#include "game/screens/panels.h"
#include "game/world/structure.h"
#include "game/world/turn.h"
#include "tests/world/motion_world.h"
#include "tests/ui_harness.h"

namespace screens_test {

// The game finds its pictures at "../assets/" from its working directory; the tests run in the
// build's testrun directory, so the build directory gets a link to the sources' pictures.
inline void LinkAssets()
{
    std::error_code alreadyThere;
    std::filesystem::create_directory_symlink(VOSTREL_SOURCE_DIR "/assets", VOSTREL_BINARY_DIR "/assets", alreadyThere);
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

// Scripts a click on a label as the last frame shows it (dx cells into it), or on the " OK " of a
// message box.
inline void ClickLabel(const char *pLabel, int dx = 1)
{
    int x = -1, y = -1;
    ASSERT_TRUE(HeadlessFindText(pLabel, &x, &y)) << pLabel;
    HeadlessClick(x + dx, y);
}
inline void ScriptOk() { HeadlessClick(39, 30); }

// The build dialogs on the 80 x 50 screen: list entry k on row 15 + 2k from column 12, the buttons
// on row 31; the queue dialog's frame sits at (13, 13) with its arrows in column 54.
inline Coord ListEntry(int k) { return Coord{12, 15 + 2 * k}; }
inline const Coord BUILD_AT = {41, 31}, QUEUE_AT = {52, 31}, EXIT_AT = {58, 31}, LIST_DONE_AT = {62, 31};
inline const Coord SHIP_DONE_AT = {63, 31}, FIRST_AT = {54, 18}, UP_AT = {54, 20}, DOWN_AT = {54, 22}, LAST_AT = {54, 24};

// Scripts a click on each point in turn.
inline void Push(const std::vector<Coord> &points)
{
    for (Coord at : points)
        HeadlessClick(at.m_x, at.m_y);
}

// Clicks a label as the screen shows it now, then the given points, and runs the script.
inline void Use(const char *pLabel, const std::vector<Coord> &then = {})
{
    GameFrame();
    ClickLabel(pLabel);
    Push(then);
    RunScript();
}

// Ends turns with the button until the condition holds, at most limit turns; whether it holds.
inline bool EndTurnsUntil(const std::function<bool()> &done, int limit)
{
    for (int turn = 0; turn < limit && !done() && g_gameState == GAME_STATE_PLAYING; turn++)
        Use(" End Turn ");
    return done();
}

// A row of a surface, or of a presented frame (the last one when none is given), trailing blanks
// cut; the shade that shows through the blanks of a text on a dialog reads as blanks.
inline std::string Row(const Surface *pSurface, int x, int y, int n, const HeadlessFrame *pFrame = nullptr)
{
    std::string text;
    for (int i = x; i < x + n; i++) {
        unsigned char ch =
            pSurface ? pSurface->m_pCells[y * pSurface->m_nWidth + i].m_ch : HeadlessCellAt(i, y, pFrame).m_ch;
        text += ch == 0xB2 ? ' ' : (char)ch;
    }
    return text.erase(text.find_last_not_of(' ') + 1);
}

// Whether one of the frames presented since the given count (and still kept) shows the text.
inline bool ShownSince(int frameCount, const std::string &text)
{
    const HeadlessFrame *pFrame;
    for (int back = 0; back < HeadlessFrameCount() - frameCount && (pFrame = HeadlessGetFrame(back)); back++)
        for (int y = 0; y < pFrame->m_rows; y++)
            if (Row(nullptr, 0, y, pFrame->m_cols, pFrame).find(text) != std::string::npos)
                return true;
    return false;
}

// The types waiting in a structure's build queue, first first.
inline std::vector<int> Queued(const Structure *pStructure)
{
    std::vector<int> types;
    for (const BuildNode *pNode = pStructure->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
        types.push_back(pNode->m_eType);
    return types;
}

using motion_test::AddShip;
using motion_test::AddStructure;

class ScreenWorld : public motion_test::World {
protected:
    void SetUp() override
    {
        alarm(300);  // a scripted click that misses a modal dialog would wait for ever
        LinkAssets();
        m_pUi = std::make_unique<UiHarness>();
        World::SetUp();
        g_pUniverse->m_pSurface = CreateSurface(100, 100);
        for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
            SystemAt(s)->m_pMap = CreateSurface(100, 100);
            FillSurface(SystemAt(s)->m_pMap, Cell{' ', 0x0B});
            SystemAt(s)->m_pIcon = CreateSurface(SYSTEM_ICON_SIZE, SYSTEM_ICON_SIZE);
            FillSurface(SystemAt(s)->m_pIcon, Cell{'*', 0x0E});
            SystemAt(s)->m_pos = Coord{10 + 40 * s, 20};
        }
        g_gameState = GAME_STATE_PLAYING;
        g_viewMode = VIEW_GALAXY;
        GameScreenReset();
        m_pUi->BuildMainScreen(g_pUniverse->m_pSurface, EndTurn, ZoomOutButton);
    }

    void TearDown() override
    {
        FreeBuildLists();
        GameScreenRelease();
        m_pUi.reset();
        World::TearDown();
        g_gameState = GAME_STATE_START;
        g_viewMode = VIEW_GALAXY;
        g_pSelSystem = nullptr;
        g_pSelPlanet = nullptr;
        alarm(0);
    }

    // A press on a map cell held for one frame, as the loop hands it over; the frame after the
    // button came up; and both.
    static void Press(int x, int y)
    {
        GameScreenUpdate();
        g_lastClickFrame = g_frameCounter;
        MapClick(x, y, &g_bDragging);
    }
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

    static std::string LastMessage() { return MessageCount() ? MessageText(MessageCount() - 1) : ""; }

    // Zooms into system s from the galaxy, as a double click on its icon does.
    void EnterSystem(int s)
    {
        Click(SystemAt(s)->m_pos.m_x, SystemAt(s)->m_pos.m_y);
        MapDoubleClick();
    }

    // The information panel's text from its second column, rows joined by line feeds, trailing
    // blanks cut.
    static std::string PanelText()
    {
        std::string text;
        for (int y = 0; y < g_pSideBar->m_nHeight; y++)
            text += (y ? "\n" : "") + Row(g_pSideBar, 1, y, g_pSideBar->m_nWidth - 1);
        return text.erase(text.find_last_not_of(" \n") + 1);
    }

    motion_test::Catalogues m_catalogues;
    std::unique_ptr<UiHarness> m_pUi;
};

}  // namespace screens_test
