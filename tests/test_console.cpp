// The console: the size rules and the resize question, failures of the display's calls, the
// screen centre, and presenting with and without the software cursor.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "game/console.h"
#include "game/input.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

const char *const TOO_SMALL =
    "\nIt appears that you're trying to play a text-based game, and unfortunately your console window is "
    "less than 80x50, which is the minimum required for playing Vostrel.\n";
const char *const TOO_LARGE =
    "\nIt appears that you're trying to play a text-based game, but your console window is too large for "
    "Vostrel to handle.\n";
const char *const QUESTION = "Would you like me to resize your console to 80x50 for you? (Y/n)";

struct ConsoleRun {
    std::string output;
    int cols, rows;          // the screen surface
    int requestedCols, requestedRows;
    Coord centre;
};

// Starts the console on a cols x rows headless display with the given answer, then shuts it down.
ConsoleRun StartConsole(int cols, int rows, const char *pAnswer)
{
    HeadlessInstall(cols, rows);
    if (pAnswer)
        HeadlessSetAnswer(pAnswer);
    ConsoleRun run;
    testing::internal::CaptureStdout();
    InitConsole("Vostrel");
    fflush(stdout);
    run.output = testing::internal::GetCapturedStdout();
    run.cols = g_pScreen->m_nWidth;
    run.rows = g_pScreen->m_nHeight;
    run.centre = g_screenCentre;
    HeadlessRequestedSize(&run.requestedCols, &run.requestedRows);
    EXPECT_TRUE(HeadlessEntered());
    EXPECT_STREQ(HeadlessTitle(), "Vostrel");
    testing::internal::CaptureStdout();
    ShutdownConsole();
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Shutting down 2D utilities...done.\n");
    EXPECT_FALSE(HeadlessEntered());
    EXPECT_EQ(g_pScreen, nullptr);
    return run;
}

TEST(ConsoleSize, AConsoleOfAtLeast80x50IsKeptWithoutAQuestion)
{
    ConsoleRun run = StartConsole(80, 50, nullptr);
    EXPECT_EQ(run.output, "Initializing 2D utilities...done.\n");
    EXPECT_EQ(run.cols, 80);
    EXPECT_EQ(run.rows, 50);
    EXPECT_EQ(run.requestedCols, 0);

    run = StartConsole(120, 60, nullptr);  // 7200 cells: a larger console stays larger
    EXPECT_EQ(run.output, "Initializing 2D utilities...done.\n");
    EXPECT_EQ(run.cols, 120);
    EXPECT_EQ(run.rows, 60);
    EXPECT_EQ(run.requestedCols, 0);
}

TEST(ConsoleSize, ASmallerConsoleIsOfferedTheResizeAndYesOrEnterAcceptsIt)
{
    const int sizes[][2] = {{79, 50}, {80, 49}, {20, 10}};
    const char *answers[] = {"y", "Y", "\n"};
    for (const auto &size : sizes) {
        for (const char *pAnswer : answers) {
            ConsoleRun run = StartConsole(size[0], size[1], pAnswer);
            EXPECT_EQ(run.output, std::string("Initializing 2D utilities...") + TOO_SMALL + QUESTION + "done.\n");
            EXPECT_EQ(run.cols, 80);
            EXPECT_EQ(run.rows, 50);
            EXPECT_EQ(run.requestedCols, 80);
            EXPECT_EQ(run.requestedRows, 50);
        }
    }
}

TEST(ConsoleSize, AConsoleTooLargeForABufferIsOfferedTheResize)
{
    ConsoleRun run = StartConsole(200, 200, "y");  // 40000 cells
    EXPECT_EQ(run.output, std::string("Initializing 2D utilities...") + TOO_LARGE + QUESTION + "done.\n");
    EXPECT_EQ(run.cols, 80);
    EXPECT_EQ(run.rows, 50);
    EXPECT_EQ(run.requestedCols, 80);
}

using ConsoleSizeDeathTest = testing::Test;

// The child sends standard output to standard error, where the death test reads it.
void StartConsoleInChild(int cols, int rows, const char *pAnswer)
{
    dup2(2, 1);
    HeadlessInstall(cols, rows);
    if (pAnswer)
        HeadlessSetAnswer(pAnswer);
    InitConsole("Vostrel");
}

TEST_F(ConsoleSizeDeathTest, RefusingTheResizeEndsTheGameWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartConsoleInChild(79, 50, "n"), testing::ExitedWithCode(0), "\\(Y/n\\)");
    EXPECT_EXIT(StartConsoleInChild(200, 200, "x"), testing::ExitedWithCode(0), "too large");
    EXPECT_EXIT(StartConsoleInChild(80, 40, nullptr), testing::ExitedWithCode(0), "less than 80x50");
}

TEST_F(ConsoleSizeDeathTest, AFailedDisplayCallIsNamedAndItsNumberIsTheExitStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            HeadlessInstall(80, 50);
            HeadlessSetFailure(HEADLESS_FAIL_GET_SIZE, "ioctl", 25);
            InitConsole("Vostrel");
        },
        testing::ExitedWithCode(25), "Initializing 2D utilities...\nERROR: ioctl\\(\\) failed: 25\n");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            HeadlessInstall(80, 50);
            HeadlessSetFailure(HEADLESS_FAIL_TITLE, "SetTitle", 7);
            InitConsole("Vostrel");
        },
        testing::ExitedWithCode(7), "ERROR: SetTitle\\(\\) failed: 7");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            HeadlessInstall(80, 50);
            HeadlessSetFailure(HEADLESS_FAIL_ENTER, "tcsetattr", 5);
            InitConsole("Vostrel");
        },
        testing::ExitedWithCode(5), "ERROR: tcsetattr\\(\\) failed: 5");
}

TEST(ConsoleScreen, TheCentreIsHalfACellUpAndLeftOfTheMiddle)
{
    EXPECT_EQ(StartConsole(80, 50, nullptr).centre.m_x, 39);
    EXPECT_EQ(StartConsole(80, 50, nullptr).centre.m_y, 24);
    ConsoleRun run = StartConsole(120, 60, nullptr);
    EXPECT_EQ(run.centre.m_x, 59);
    EXPECT_EQ(run.centre.m_y, 29);
    EXPECT_EQ(ScreenCentreOf(1, 1).m_x, 0);
    EXPECT_EQ(ScreenCentreOf(81, 51).m_y, 24);
}

// A screen whose every cell differs, so a misplaced read or write shows.
void PaintScreen()
{
    for (int i = 0; i < g_pScreen->m_nWidth * g_pScreen->m_nHeight; i++)
        g_pScreen->m_pCells[i] = Cell{(unsigned char)('A' + i % 26), (unsigned char)(0x10 + i % 7)};
}

TEST(ConsolePresent, InAWindowTheFrameIsTheSurfaceAndNoCursorIsDrawn)
{
    UiHarness ui;
    PaintScreen();
    std::string before = SurfaceBytes(g_pScreen);
    PresentScreen(g_pScreen);
    const HeadlessFrame *pFrame = HeadlessGetFrame();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(pFrame->m_cols, 80);
    ASSERT_EQ(pFrame->m_rows, 50);
    EXPECT_EQ(std::string((const char *)pFrame->m_cells.data(), pFrame->m_cells.size() * 2), before);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
}

TEST(ConsolePresent, InFullScreenTheCursorIsDrawnForTheFrameOnly)
{
    UiHarness ui;
    HeadlessSetFullScreen(1);
    PaintScreen();
    std::string before = SurfaceBytes(g_pScreen);
    Cell under = g_pScreen->m_pCells[25 * 80 + 40];
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);

    // The cross at the centre, inverted over the cell it points at; the arms keep the background.
    PlatformCell centre = HeadlessCellAt(40, 25);
    EXPECT_EQ(centre.m_ch, 197);
    unsigned char crossAttr = (unsigned char)(0x0E | (under.m_attr & 0xF0));
    EXPECT_EQ(centre.m_attr, (unsigned char)((crossAttr >> 4) | (crossAttr << 4)));
    PlatformCell top = HeadlessCellAt(40, 24);
    EXPECT_EQ(top.m_ch, 179);
    EXPECT_EQ(top.m_attr, (unsigned char)(0x0E | (g_pScreen->m_pCells[24 * 80 + 40].m_attr & 0xF0)));
    EXPECT_EQ(HeadlessCellAt(41, 25).m_ch, 196);
    EXPECT_EQ(HeadlessCellAt(39, 24).m_ch, g_pScreen->m_pCells[24 * 80 + 39].m_ch);  // a transparent corner
}

TEST(ConsolePresent, ACursorAtTheCornerIsClippedAndTheSurfaceIsLeftAsItWas)
{
    UiHarness ui;
    HeadlessSetFullScreen(1);
    PaintScreen();
    std::string before = SurfaceBytes(g_pScreen);

    HeadlessMoveMouse(0, 0);
    PollInput();
    EXPECT_EQ(g_pCursorSprite->m_x, -1);
    EXPECT_EQ(g_pCursorSprite->m_y, -1);
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
    EXPECT_EQ(HeadlessCellAt(0, 0).m_ch, 197);
    unsigned char crossAttr = (unsigned char)(0x0E | (g_pScreen->m_pCells[0].m_attr & 0xF0));
    EXPECT_EQ(HeadlessCellAt(0, 0).m_attr, (unsigned char)((crossAttr >> 4) | (crossAttr << 4)));
    EXPECT_EQ(HeadlessCellAt(1, 0).m_ch, 196);
    EXPECT_EQ(HeadlessCellAt(0, 1).m_ch, 179);
    EXPECT_EQ(HeadlessCellAt(1, 1).m_ch, g_pScreen->m_pCells[81].m_ch);

    HeadlessMoveMouse(79, 49);
    PollInput();
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
    EXPECT_EQ(HeadlessCellAt(79, 49).m_ch, 197);
    EXPECT_EQ(HeadlessCellAt(78, 49).m_ch, 196);
    EXPECT_EQ(HeadlessCellAt(79, 48).m_ch, 179);

    // A pointer reported off the screen draws nothing and touches nothing.
    HeadlessMoveMouse(200, -40);
    PollInput();
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
}

TEST(ConsolePresent, WithoutACursorImageNothingIsDrawnEvenInFullScreen)
{
    UiHarness ui;
    HeadlessSetFullScreen(1);
    PaintScreen();
    std::string before = SurfaceBytes(g_pScreen);
    Surface *pImage = g_pCursorSprite->m_pSurface;
    g_pCursorSprite->m_pSurface = nullptr;  // as the intro does while it runs
    PresentScreen(g_pScreen);
    g_pCursorSprite->m_pSurface = pImage;
    const HeadlessFrame *pFrame = HeadlessGetFrame();
    EXPECT_EQ(std::string((const char *)pFrame->m_cells.data(), pFrame->m_cells.size() * 2), before);
}

TEST(ConsoleLifecycle, ServicesPrintTheirProgressInStartUpAndExitOrder)
{
    UiHarness ui;
    EXPECT_EQ(ui.InitOutput(),
              "Initializing 2D utilities...done.\n"
              "Initializing window manager...done.\n"
              "Initializing input manager...done.\n");
    EXPECT_EQ(ui.Shutdown(),
              "Shutting down window manager...done.\n"
              "Shutting down 2D utilities...done.\n"
              "Shutting down input manager...done.\n");
    // The window manager clears the screen to (space, 0x0B) and presents it on the way out.
    EXPECT_EQ(HeadlessCellAt(10, 10).m_attr, 0x0B);
    EXPECT_EQ(HeadlessCellAt(10, 10).m_ch, ' ');
}

}  // namespace
