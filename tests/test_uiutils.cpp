// Frames, text lines, word wrapping, drawing text, the message log view and the message box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "game/console.h"
#include "game/messagelog.h"
#include "game/uiutils.h"
#include "game/window.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

std::string RowChars(const Surface *pSurface, int y)
{
    std::string row;
    for (int x = 0; x < pSurface->m_nWidth; x++)
        row += (char)pSurface->m_pCells[y * pSurface->m_nWidth + x].m_ch;
    return row;
}

// Wraps a text in one attribute and returns the rows, each padded to the width.
std::vector<std::string> Wrap(const char *pText, int width)
{
    Cell *pCells = MakeCellString(pText, 0x0B);
    Surface *pWrapped = WrapText(pCells, width);
    std::vector<std::string> rows;
    EXPECT_EQ(pWrapped->m_nWidth, width);
    for (int y = 0; y < pWrapped->m_nHeight; y++)
        rows.push_back(RowChars(pWrapped, y));
    DestroySurface(&pWrapped);
    free(pCells);
    return rows;
}

using Rows = std::vector<std::string>;

TEST(BuildFrame, TheDoubleLineBoxHasCornersEdgesAndFill)
{
    FrameStyle *pStyle = nullptr;
    ASSERT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
    Coord size = {4, 3};
    Surface *pFrame = BuildFrame(pStyle, &size);
    EXPECT_EQ(RowChars(pFrame, 0), "\xC9\xCD\xCD\xBB");
    EXPECT_EQ(RowChars(pFrame, 1), "\xBA  \xBA");
    EXPECT_EQ(RowChars(pFrame, 2), "\xC8\xCD\xCD\xBC");
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(pFrame->m_pCells[i].m_attr, 0x0B);
    DestroySurface(&pFrame);

    // The smallest frames are all corners.
    size = Coord{2, 2};
    pFrame = BuildFrame(pStyle, &size);
    EXPECT_EQ(RowChars(pFrame, 0), "\xC9\xBB");
    EXPECT_EQ(RowChars(pFrame, 1), "\xC8\xBC");
    DestroySurface(&pFrame);
    DestroyFrameStyle(&pStyle);
    EXPECT_EQ(pStyle, nullptr);
    DestroyFrameStyle(&pStyle);
}

TEST(BuildFrame, TheBarStyleLeavesOnlyTheBottomLeftBranchAndTheLines)
{
    FrameStyle *pStyle = nullptr;
    ASSERT_EQ(CreateBarStyle(&pStyle, 0x10), 0);
    Coord size = {5, 4};
    Surface *pFrame = BuildFrame(pStyle, &size);
    EXPECT_EQ(RowChars(pFrame, 0), " \xCD\xCD\xCD ");
    EXPECT_EQ(RowChars(pFrame, 1), "\xBA   \xBA");
    EXPECT_EQ(RowChars(pFrame, 3), "\xCA\xCD\xCD\xCD ");
    DestroySurface(&pFrame);
    DestroyFrameStyle(&pStyle);

    FrameStyle *pNone = nullptr;
    EXPECT_EQ(CreateFrameStyle(&pNone, nullptr), 1);
    EXPECT_EQ(pNone, nullptr);
}

TEST(MakeTextLine, StopsAtTheFirstZeroAndPadsWithSpaces)
{
    Cell cells[5] = {{'a', 0x1E}, {'b', 0x0C}, {0, 0x0C}, {'d', 0x0C}, {'e', 0x0C}};
    Surface *pLine = MakeTextLine(cells, 5);
    EXPECT_EQ(RowChars(pLine, 0), "ab   ");
    EXPECT_EQ(pLine->m_pCells[1].m_attr, 0x0C);
    EXPECT_EQ(pLine->m_pCells[4].m_attr, 0x1E);  // padding in the first cell's attribute
    FreeTextLine(&pLine);
    EXPECT_EQ(pLine, nullptr);

    pLine = MakeTextLine(cells, 1);
    EXPECT_EQ(RowChars(pLine, 0), "a");
    FreeTextLine(&pLine);
}

TEST(WrapText, BreaksBeforeTheWordThatDoesNotFit)
{
    EXPECT_EQ(Wrap("hello world", 8), (Rows{"hello   ", "world   "}));
    EXPECT_EQ(Wrap("a b c d", 4), (Rows{"a b ", "c d "}));
    // A word that would end on the line's last cell goes to the next line.
    EXPECT_EQ(Wrap("abc defg", 8), (Rows{"abc     ", "defg    "}));
    EXPECT_EQ(Wrap("fits", 8), (Rows{"fits    "}));
}

TEST(WrapText, AWordLongerThanTheLineIsBrokenHard)
{
    EXPECT_EQ(Wrap("abcdefghijklmnopqrst", 8), (Rows{"abcdefgh", "ijklmnop", "qrst    "}));
    EXPECT_EQ(Wrap("xyz", 1), (Rows{"x", "y", "z"}));
}

TEST(WrapText, LineFeedsEndLinesAndMayLeaveThemEmpty)
{
    EXPECT_EQ(Wrap("ab\n\ncd", 8), (Rows{"ab      ", "        ", "cd      "}));
    // Spaces after a line feed are the next line's indentation and stay.
    EXPECT_EQ(Wrap("a\n   b", 8), (Rows{"a       ", "   b    "}));
}

TEST(WrapText, SpacesAfterAWrapAreSkippedAndAddNoRow)
{
    EXPECT_EQ(Wrap("hello world   ", 8), (Rows{"hello   ", "world   "}));
    EXPECT_EQ(Wrap("abcdefgh   ", 8), (Rows{"abcdefgh"}));
    EXPECT_EQ(Wrap("hello      there", 8), (Rows{"hello   ", "there   "}));
}

// Runs of spaces longer than a line used to send the break back before the line's start.
TEST(WrapText, LongRunsOfSpacesStillMoveForward)
{
    EXPECT_EQ(Wrap("aaaa bbbb                    c", 8), (Rows{"aaaa    ", "bbbb    ", "c       "}));
    EXPECT_EQ(Wrap("\n          abc", 8), (Rows{"        ", "        ", "abc     "}));
    EXPECT_EQ(Wrap("                  ab", 8), (Rows{"        ", "ab      "}));
}

TEST(WrapText, EachCellKeepsItsOwnAttribute)
{
    Cell *pCells = MakeCellString("red blue", 0x0C);
    for (int i = 4; i < 8; i++)
        pCells[i].m_attr = 0x09;
    Surface *pWrapped = WrapText(pCells, 5);
    ASSERT_EQ(pWrapped->m_nHeight, 2);
    EXPECT_EQ(pWrapped->m_pCells[0].m_attr, 0x0C);
    EXPECT_EQ(pWrapped->m_pCells[5].m_attr, 0x09);
    EXPECT_EQ(pWrapped->m_pCells[9].m_attr, 0x0C);  // padding: the text's first attribute
    DestroySurface(&pWrapped);
    free(pCells);
}

TEST(WrapText, ATextLongerThanTheLineLimitIsCutThere)
{
    std::string lines;
    for (int i = 0; i < 150; i++)
        lines += std::to_string(i) + "\n";
    Rows rows = Wrap(lines.c_str(), 4);
    ASSERT_EQ(rows.size(), (size_t)WRAP_MAX_LINES);
    EXPECT_EQ(rows[0], "0   ");
    EXPECT_EQ(rows[99], "99  ");

    std::string word(1000, 'w');
    rows = Wrap(word.c_str(), 5);
    ASSERT_EQ(rows.size(), (size_t)WRAP_MAX_LINES);
    EXPECT_EQ(rows[99], "wwwww");

    // Exactly the limit is not cut.
    rows = Wrap(std::string(500, 'w').c_str(), 5);
    EXPECT_EQ(rows.size(), (size_t)WRAP_MAX_LINES);
    rows = Wrap(std::string(499, 'w').c_str(), 5);
    EXPECT_EQ(rows.back(), "wwww ");
}

TEST(DrawText, WritesTheTextInItsAttributeAtThePosition)
{
    Surface *pTarget = CreateSurface(10, 3);
    FillSurface(pTarget, Cell{'.', 0x70});
    Coord at = {7, 1};
    DrawText("abcde", 0x0E, pTarget, &at);
    EXPECT_EQ(RowChars(pTarget, 1), ".......abc");
    EXPECT_EQ(pTarget->m_pCells[17].m_attr, 0x0E);
    EXPECT_EQ(pTarget->m_pCells[16].m_attr, 0x70);
    DrawText("", 0x0E, pTarget, &at);  // nothing to draw
    EXPECT_EQ(RowChars(pTarget, 1), ".......abc");
    DestroySurface(&pTarget);
}

// A log view as the game screen builds it, without the screen around it.
struct LogView {
    Scroller *pView = nullptr;
    LogView()
    {
        Surface *pContent = CreateSurface(30, 1);
        FillSurface(pContent, Cell{' ', 0x0C});
        EXPECT_EQ(CreateScroller(&pView, 31, 8, pContent, 0, 0), 0);
    }
    ~LogView()
    {
        LogViewForget(pView->m_pContent);
        DestroySurface(&pView->m_pContent);
        DestroyScroller(&pView);
    }
    std::string ViewRow(int y) { return RowChars(pView->m_pView, y).substr(0, 30); }
};

TEST(MessageLog, ShortLogsAreCentredAndLongOnesShowTheirLastRows)
{
    LogView log;
    LogViewAppend(log.pView, "first", 0x0F);
    LogViewAppend(log.pView, "second", 0x0F);
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, 3);
    RenderScroller(log.pView);
    EXPECT_FALSE(log.pView->m_bVertBar);
    EXPECT_EQ(log.ViewRow(2), std::string(30, ' '));
    EXPECT_EQ(log.ViewRow(3), std::string(30, ' '));  // the log's first, blank row
    EXPECT_EQ(log.ViewRow(4).substr(0, 6), "first ");
    EXPECT_EQ(log.ViewRow(5).substr(0, 7), "second ");
    EXPECT_EQ(log.ViewRow(6), std::string(30, ' '));

    for (int i = 0; i < 10; i++)
        LogViewAppend(log.pView, ("message " + std::to_string(i)).c_str(), 0x0F);
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, 13);
    RenderScroller(log.pView);
    EXPECT_TRUE(log.pView->m_bVertBar);
    EXPECT_FALSE(log.pView->m_bHorizBar);
    EXPECT_EQ(log.ViewRow(0).substr(0, 10), "message 2 ");
    EXPECT_EQ(log.ViewRow(7).substr(0, 10), "message 9 ");
}

TEST(MessageLog, AWrappedMessageTakesSeveralRowsAndItsColours)
{
    LogView log;
    LogViewAppend(log.pView, "The Laser Fighter of Tarsis IV was destroyed in battle", 0x0C);
    Surface *pContent = log.pView->m_pContent;
    ASSERT_EQ(pContent->m_nHeight, 3);
    EXPECT_EQ(RowChars(pContent, 1), "The Laser Fighter of Tarsis   ");
    EXPECT_EQ(RowChars(pContent, 2).substr(0, 27), "IV was destroyed in battle ");
    EXPECT_EQ(pContent->m_pCells[30].m_attr, 0x0C);
    EXPECT_EQ(pContent->m_pCells[0].m_attr, 0x0C);  // the first row as the log was made

    // A colour with equal nibbles shows its foreground on the log's background.
    LogViewAppend(log.pView, "x", 0xFF);
    EXPECT_EQ(pContent->m_pCells[3 * 30].m_ch, 'x');
    EXPECT_EQ(pContent->m_pCells[3 * 30].m_attr, 0x0F);
    EXPECT_EQ(pContent->m_pCells[3 * 30 + 1].m_attr, 0x0F);
}

TEST(MessageLog, TheContentIsExactlyAsTallAsTheLogAfterManyMessages)
{
    LogView log;
    for (int i = 0; i < 5000; i++)
        LogViewAppend(log.pView, i % 7 == 0 ? "a message that needs two rows of the log view" : "short", 0x0E);
    int expected = 1 + 5000 + (5000 + 6) / 7;
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, expected);
    EXPECT_EQ(log.pView->m_nScrollY, expected - 8);
    EXPECT_EQ(RowChars(log.pView->m_pContent, expected - 1).substr(0, 6), "short ");
    EXPECT_EQ(RowChars(log.pView->m_pContent, 1).substr(0, 14), "a message that");
}

TEST(MessageLog, MessagesReachTheGameScreenAtTheNextFrame)
{
    UiHarness ui;
    Surface *pMap = CreateSurface(100, 100);
    FillSurface(pMap, Cell{' ', 0x0B});
    ui.BuildMainScreen(pMap);
    ASSERT_EQ(MessageCount(), 1);
    EXPECT_STREQ(MessageText(0), "Welcome to Vostrel!");
    EXPECT_EQ(MessageAttr(0), 0x0F);
    ui.RunFrames(1);
    ui.RunFrames(1);
    int x = -1, y = -1;
    ASSERT_TRUE(HeadlessFindText("Welcome to Vostrel!", &x, &y));
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 46);  // two rows centred in the eight of the log

    AddMessage("End of turn\n", 0x0F);
    ui.RunFrames(2);
    ASSERT_TRUE(HeadlessFindText("End of turn", &x, &y));
    EXPECT_EQ(y, 46);  // its line feed ends it with an empty row below
    EXPECT_EQ(MessageCount(), 2);

    for (int i = 0; i < 20; i++)
        AddMessage(("Turn " + std::to_string(i)).c_str(), 0x0F);
    ui.RunFrames(2);
    ASSERT_TRUE(HeadlessFindText("Turn 19", &x, &y));
    EXPECT_EQ(y, 49);
    EXPECT_EQ(HeadlessCellAt(50, 42).m_ch, 24);  // the log's scroll bar
    EXPECT_FALSE(HeadlessFindText("Welcome", &x, &y));

    ui.Shutdown();
    DestroySurface(&pMap);
    AddMessage("after the game screen", 0x0F);  // recorded, with no view to show it
}

TEST(MessageBox, ShowsTheTextCentredAndReturnsWhenOkIsPressed)
{
    UiHarness ui;
    FillSurface(g_pScreen, Cell{'.', 0x07});
    std::string before = SurfaceBytes(g_pScreen);
    HeadlessMoveMouse(0, 0);
    HeadlessClick(39, 30);  // inside " OK ": the frame at (8, 13), the button at (28, 16) of the frame
    MessageBox("Game saved.");
    EXPECT_EQ(HeadlessPendingInput(), 0);

    const HeadlessFrame *pShown = HeadlessGetFrame(1);  // the last frame with the box on it
    ASSERT_NE(pShown, nullptr);
    EXPECT_EQ(HeadlessCellAt(8, 13, pShown).m_ch, 0xC9);
    EXPECT_EQ(HeadlessCellAt(69, 34, pShown).m_ch, 0xBC);
    int x = -1, y = -1;
    ASSERT_TRUE(HeadlessFindText("Game saved.", &x, &y, pShown));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 15);
    ASSERT_TRUE(HeadlessFindText(" OK ", &x, &y, pShown));
    EXPECT_EQ(x, 37);
    EXPECT_EQ(y, 30);
    // The last frame shows the screen as it was, and so does the surface.
    EXPECT_EQ(HeadlessCellAt(8, 13).m_ch, '.');
    EXPECT_EQ(SurfaceBytes(g_pScreen), before);
}

}  // namespace
