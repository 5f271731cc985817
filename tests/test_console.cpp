// The console: the size rules and the resize question, the screen centre, and presenting with
// and without the software cursor.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "ui_harness.h"

namespace {

#define TOO_SMALL "\nIt appears that you're trying to play a text-based game, and unfortunately your console window is " \
                  "less than 80x50, which is the minimum required for playing Vostrel.\n"
#define TOO_LARGE "\nIt appears that you're trying to play a text-based game, but your console window is too large for " \
                  "Vostrel to handle.\n"
#define QUESTION "Would you like me to resize your console to 80x50 for you? (Y/n)"

TEST(ConsoleSize, ConsolesOutsideTheSizeRulesAreOfferedTheResizeAndYesOrEnterAcceptsIt)
{
    // The display's size and the answer typed; what start-up says before "done."; the screen
    // surface's size and centre; the size asked of the display (0 when none was asked).
    struct { int cols, rows; const char *answer, *said; int screenCols, screenRows, centreX, centreY, asked; } cases[] = {
        {80, 50, "", "", 80, 50, 39, 24, 0},
        {120, 60, "", "", 120, 60, 59, 29, 0},  // 7200 cells: a larger console stays larger
        {79, 50, "y", TOO_SMALL QUESTION, 80, 50, 39, 24, 80},
        {80, 49, "Y", TOO_SMALL QUESTION, 80, 50, 39, 24, 80},
        {20, 10, "\n", TOO_SMALL QUESTION, 80, 50, 39, 24, 80},
        {200, 200, "y", TOO_LARGE QUESTION, 80, 50, 39, 24, 80},  // 40000 cells: too many for a buffer
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.cols) + "x" + std::to_string(c.rows));
        HeadlessInstall(c.cols, c.rows);
        HeadlessSetAnswer(c.answer);
        testing::internal::CaptureStdout();
        InitConsole("Vostrel");
        fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("Initializing 2D utilities...") + c.said + "done.\n");
        int cols = 0, rows = 0;
        HeadlessRequestedSize(&cols, &rows);
        EXPECT_EQ((std::vector<int>{g_pScreen->m_nWidth, g_pScreen->m_nHeight, g_screenCentre.m_x, g_screenCentre.m_y, cols, rows}),
                  (std::vector<int>{c.screenCols, c.screenRows, c.centreX, c.centreY, c.asked, c.asked ? 50 : 0}));
        testing::internal::CaptureStdout();
        ShutdownConsole();
        testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(ScreenCentreOf(1, 1).m_x, 0);
    EXPECT_EQ(ScreenCentreOf(81, 51).m_y, 24);
}

// Refusing the resize ends the game with status zero; a display call that fails is named with its
// error number, which becomes the exit status. The child sends standard output to standard
// error, where the death test reads it.
TEST(ConsoleSizeDeathTest, RefusingTheResizeOrAFailedDisplayCallEndsTheGame)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct { int cols, rows; const char *answer; int which; const char *call; int status; const char *said; } cases[] = {
        {79, 50, "n", 0, nullptr, 0, "\\(Y/n\\)"},
        {200, 200, "x", 0, nullptr, 0, "too large"},
        {80, 40, "", 0, nullptr, 0, "less than 80x50"},
        {80, 50, "", HEADLESS_FAIL_GET_SIZE, "isatty", 25, "\nERROR: isatty\\(\\) failed: 25\n"},
        {80, 50, "", HEADLESS_FAIL_ENTER, "tcsetattr", 5, "\nERROR: tcsetattr\\(\\) failed: 5\n"},
        {80, 50, "", HEADLESS_FAIL_TITLE, "write", 9, "\nERROR: write\\(\\) failed: 9\n"},
    };
    for (const auto &c : cases) {
        auto start = [&] {
            dup2(2, 1);
            HeadlessInstall(c.cols, c.rows);
            HeadlessSetAnswer(c.answer);
            if (c.call)
                HeadlessSetFailure(c.which, c.call, c.status);
            InitConsole("Vostrel");
        };
        EXPECT_EXIT(start(), testing::ExitedWithCode(c.status), c.said) << c.cols << "x" << c.rows << " " << c.said;
    }
}

// The frame presented last, as the bytes of its cells.
std::string FrameBytes()
{
    return std::string((const char *)HeadlessGetFrame()->m_cells.data(), HeadlessGetFrame()->m_cells.size() * sizeof(PlatformCell));
}

TEST(ConsolePresent, TheCursorIsDrawnOnlyInFullScreenClippedAtTheEdgesAndNeverIntoTheSurface)
{
    UiHarness ui;
    // A screen whose every cell differs, so a misplaced read or write shows.
    for (int i = 0; i < 80 * 50; i++)
        g_pScreen->m_pCells[i] = Cell{(unsigned char)('A' + i % 26), (unsigned char)(0x10 + i % 7)};
    std::string before = SurfaceBytes(g_pScreen);
    PresentScreen(g_pScreen);  // in a window the frame is the surface
    EXPECT_EQ(FrameBytes(), before);

    HeadlessSetFullScreen(1);
    HeadlessMoveMouse(0, 0);
    PollInput();
    EXPECT_EQ(std::make_pair(g_pCursorSprite->m_x, g_pCursorSprite->m_y), std::make_pair(-1, -1));
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
    // The cross inverted over the cell it points at; the arms keep the background; corners clear.
    EXPECT_EQ(HeadlessCellAt(0, 0).m_ch, 197);
    EXPECT_EQ(HeadlessCellAt(0, 0).m_attr, 0xE1);  // yellow on the cell's blue (0x1E), inverted
    EXPECT_EQ(HeadlessCellAt(1, 0).m_ch, 196);
    EXPECT_EQ(HeadlessCellAt(0, 1).m_ch, 179);
    EXPECT_EQ(HeadlessCellAt(0, 1).m_attr, (unsigned char)(0x0E | (g_pScreen->m_pCells[80].m_attr & 0xF0)));
    EXPECT_EQ(HeadlessCellAt(1, 1).m_ch, g_pScreen->m_pCells[81].m_ch);

    HeadlessMoveMouse(200, -40);  // a pointer reported off the screen draws nothing
    PollInput();
    PresentScreen(g_pScreen);
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
    EXPECT_EQ(FrameBytes(), before);
}

}  // namespace
