// Frames, word wrapping and the message log view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/core/messagelog.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"

namespace {

using Text = std::vector<std::string>;

// A surface's glyphs, row by row.
Text Rows(const Surface *pSurface)
{
    Text rows((size_t)pSurface->m_nHeight);
    for (int i = 0; i < pSurface->m_nWidth * pSurface->m_nHeight; i++)
        rows[(size_t)(i / pSurface->m_nWidth)] += (char)pSurface->m_pCells[i].m_ch;
    return rows;
}

// Wraps a text in one attribute and returns the rows, each padded to the width.
Text Wrap(const std::string &text, int width)
{
    Cell *pCells = MakeCellString(text.c_str(), 0x0B);
    Surface *pWrapped = WrapText(pCells, width);
    Text rows = Rows(pWrapped);
    EXPECT_EQ(pWrapped->m_nWidth, width);
    DestroySurface(&pWrapped);
    free(pCells);
    return rows;
}

TEST(BuildFrame, BoxAndBarStylesAndTheSmallestFrame)
{
    FrameStyle *pBox = nullptr, *pBar = nullptr;
    ASSERT_EQ(CreateBoxStyle(&pBox, 0x0B), 0);
    ASSERT_EQ(CreateBarStyle(&pBar, 0x10), 0);
    // The style, the size, and the frame's rows.
    const struct { FrameStyle *pStyle; Coord size; Text rows; } cases[] = {
        {pBox, {4, 3}, {"\xC9\xCD\xCD\xBB", "\xBA  \xBA", "\xC8\xCD\xCD\xBC"}},
        {pBox, {2, 2}, {"\xC9\xBB", "\xC8\xBC"}},  // all corners
        {pBar, {5, 3}, {" \xCD\xCD\xCD ", "\xBA   \xBA", "\xCA\xCD\xCD\xCD "}},  // only the bottom-left branch
    };
    for (auto c : cases) {
        Surface *pFrame = BuildFrame(c.pStyle, &c.size);
        EXPECT_EQ(Rows(pFrame), c.rows);
        for (int i = 0; i < c.size.m_x * c.size.m_y; i++)
            EXPECT_EQ(pFrame->m_pCells[i].m_attr, c.pStyle == pBox ? 0x0B : 0x10) << i;
        DestroySurface(&pFrame);
    }
    DestroyFrameStyle(&pBox);
    DestroyFrameStyle(&pBar);
}

TEST(WrapText, BreaksBeforeTheWordThatDoesNotFitAndATextLongerThanTheLineLimitIsCutThere)
{
    const struct { const char *text; int width; Text rows; } cases[] = {
        {"hello world", 8, {"hello   ", "world   "}}, {"a b c d", 4, {"a b ", "c d "}}, {"fits", 8, {"fits    "}},
        {"abc defg", 8, {"abc     ", "defg    "}},  // it would end on the line's last cell
        {"abcdefghijklmnopqrst", 8, {"abcdefgh", "ijklmnop", "qrst    "}},  // too long: broken hard
        {"xyz", 1, {"x", "y", "z"}},
        {"ab\n\ncd", 8, {"ab      ", "        ", "cd      "}},  // line feeds may leave lines empty
        {"a\n   b", 8, {"a       ", "   b    "}},                // and keep the next line's indentation
        {"hello world   ", 8, {"hello   ", "world   "}},        // spaces after a wrap are skipped
        {"abcdefgh   ", 8, {"abcdefgh"}}, {"hello      there", 8, {"hello   ", "there   "}},
        // Runs of spaces longer than a line used to send the break back before the line's start.
        {"aaaa bbbb                    c", 8, {"aaaa    ", "bbbb    ", "c       "}},
        {"\n          abc", 8, {"        ", "        ", "abc     "}}, {"                  ab", 8, {"        ", "ab      "}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Wrap(c.text, c.width), c.rows) << testing::PrintToString(c.text);

    // A text longer than the line limit is cut there: the text, the width, the last row kept.
    std::string numbered;
    for (int i = 0; i < 150; i++)
        numbered += std::to_string(i) + "\n";
    const struct { std::string text; int width; const char *last; } cut[] = {
        {numbered, 4, "99  "}, {std::string(1000, 'w'), 5, "wwwww"},
        {std::string(500, 'w'), 5, "wwwww"}, {std::string(499, 'w'), 5, "wwww "}};  // just the limit
    for (const auto &c : cut) {
        Text rows = Wrap(c.text, c.width);
        EXPECT_EQ(std::make_pair(rows.size(), rows.back()), std::make_pair((size_t)WRAP_MAX_LINES, std::string(c.last))) << c.last;
    }
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
    std::string ViewRow(int y) { return Rows(pView->m_pView)[(size_t)y].substr(0, 30); }
};

TEST(MessageLog, ShortLogsAreCentredMessagesWrapInTheirColoursAndLongLogsShowTheirLastRows)
{
    LogView log;
    LogViewAppend(log.pView, "first", 0x0F);
    LogViewAppend(log.pView, "second", 0x0F);
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, 3);
    RenderScroller(log.pView);
    EXPECT_FALSE(log.pView->m_bVertBar);
    // The log's first row is blank; its three rows sit in the middle of the view's eight.
    const char *shown[] = {"", "", "", "", "first", "second", "", ""};
    for (int y = 0; y < 8; y++)
        EXPECT_EQ(log.ViewRow(y), (shown[y] + std::string(30, ' ')).substr(0, 30)) << y;

    LogViewAppend(log.pView, "The Laser Fighter of Tarsis IV was destroyed in battle", 0x0C);
    LogViewAppend(log.pView, "x", 0xFF);  // equal nibbles: the foreground on the log's background
    Surface *pContent = log.pView->m_pContent;
    Text rows = Rows(pContent);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[3], "The Laser Fighter of Tarsis   ");
    EXPECT_EQ(rows[4].substr(0, 27), "IV was destroyed in battle ");
    EXPECT_EQ(rows[5].substr(0, 2), "x ");
    EXPECT_EQ((std::vector<int>{pContent->m_pCells[4 * 30].m_attr, pContent->m_pCells[5 * 30].m_attr, pContent->m_pCells[5 * 30 + 1].m_attr}),
              (std::vector<int>{0x0C, 0x0F, 0x0F}));

    for (int i = 0; i < 10; i++)
        LogViewAppend(log.pView, ("message " + std::to_string(i)).c_str(), 0x0F);
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, 16);
    RenderScroller(log.pView);
    EXPECT_TRUE(log.pView->m_bVertBar && !log.pView->m_bHorizBar);
    EXPECT_EQ(log.ViewRow(0).substr(0, 10), "message 2 ");
    EXPECT_EQ(log.ViewRow(7).substr(0, 10), "message 9 ");
}

TEST(MessageLog, ALongGameKeepsTheNewestLinesAndMessagesAndMemoryStaysFlat)
{
    LogView log;
    for (int i = 0; i < 1000; i++)
        LogViewAppend(log.pView, i % 7 == 0 ? "a message that needs two rows of the log view" : "short", 0x0E);
    int expected = 1 + 1000 + (1000 + 6) / 7;
    EXPECT_EQ(log.pView->m_pContent->m_nHeight, expected);  // below the limit, every row is kept
    EXPECT_EQ(log.pView->m_nScrollY, expected - 8);
    EXPECT_EQ(Rows(log.pView->m_pContent)[1].substr(0, 14), "a message that");
    // Far past the limit the log holds only its newest lines, and they are the newest messages.
    for (int i = 0; i < 40000; i++)
        LogViewAppend(log.pView, ("message " + std::to_string(i)).c_str(), 0x0E);
    int height = log.pView->m_pContent->m_nHeight;
    EXPECT_TRUE(height > LOG_VIEW_KEPT_LINES && height <= LOG_VIEW_MAX_LINES) << height;
    EXPECT_EQ(log.pView->m_nScrollY, height - 8);
    Text rows = Rows(log.pView->m_pContent);
    EXPECT_EQ(rows.back().substr(0, 14), "message 39999 ");
    EXPECT_EQ(rows.front().substr(0, 14), "message " + std::to_string(40000 - height) + " ");

    for (int i = 0; i < MESSAGES_KEPT + 500; i++)
        AddMessage(("report " + std::to_string(i)).c_str(), 0x0F);
    EXPECT_EQ(MessageCount(), MESSAGES_KEPT);
    EXPECT_STREQ(MessageText(0), "report 500");
    EXPECT_STREQ(MessageText(MESSAGES_KEPT - 1), ("report " + std::to_string(MESSAGES_KEPT + 499)).c_str());
    MessagesClear();
}

}  // namespace
