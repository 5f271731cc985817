// The terminal backend's pure output side: colour changes and the frame diff, checked on strings
// and read back by a real terminal emulator (libvterm): what the game composed must be what a
// terminal shows, glyphs and colours, frame after frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <vterm.h>

#include "platform/cp437.h"
#include "platform/terminal_output.h"

namespace {

struct Frame {
    int cols, rows;
    std::vector<PlatformCell> cells;
    Frame(int c, int r) : cols(c), rows(r), cells((size_t)(c * r), PlatformCell{' ', 0x07}) {}
    PlatformCell &at(int x, int y) { return cells[(size_t)(y * cols + x)]; }
};

// The bytes that bring a terminal (80 x 50 unless told) from what it shows to the frame.
std::string Render(TerminalScreen &screen, const Frame &frame, int termCols = 80, int termRows = 50)
{
    std::string out;
    TerminalRenderFrame(&screen, frame.cells.data(), frame.cols, frame.rows, termCols, termRows, &out);
    return out;
}

const char *const CLEAR = "\x1b[0m\x1b[2J";

}  // namespace

TEST(PlatformOutput, ColourChangesAndFramesWriteOnlyWhatChanged)
{
    // The first frame draws everything, an unchanged one nothing, a change the least it can: of a
    // colour, only the half that differs. (Which colour each attribute becomes is read back through
    // a terminal emulator for all 256 of them, below.)
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame small(4, 2);
    small.at(1, 0) = {0xC9, 0x1E};
    std::string out = Render(screen, small);
    EXPECT_EQ(out.rfind(CLEAR, 0), 0u);
    for (const char *pMove : {"\x1b[1;1H", "\x1b[2;1H"})  // a move to each row, once
        EXPECT_TRUE(out.find(pMove) != std::string::npos && out.find(pMove) == out.rfind(pMove)) << out;
    // Rows are drawn left to right without further moves; colours change only where they differ.
    EXPECT_NE(out.find("\x1b[37;40m \x1b[93;44m\u2554\x1b[37;40m  "), std::string::npos) << out;

    Frame frame(80, 50);
    frame.at(5, 5) = {'X', 0x4F};
    Render(screen, frame);
    EXPECT_EQ(Render(screen, frame), "");
    EXPECT_EQ(Render(screen, frame), "");
    TerminalScreenInvalidate(&screen);
    out = Render(screen, frame);
    EXPECT_EQ(out.rfind(CLEAR, 0), 0u);
    EXPECT_EQ(std::count(out.begin(), out.end(), ' '), 80 * 50 - 1);
    EXPECT_EQ(Render(screen, frame), "");

    // A changed cell is a move, a colour and a glyph, each only where needed.
    frame.at(10, 20) = {0xDB, 0x0C};
    EXPECT_EQ(Render(screen, frame), "\x1b[21;11H\x1b[91m\u2588");
    frame.at(40, 2) = {'a', 0x0C};  // the colour the terminal draws with now: no change
    EXPECT_EQ(Render(screen, frame), "\x1b[3;41Ha");
    frame.at(41, 2) = {'b', 0x0C};  // the cursor already stands there
    EXPECT_EQ(Render(screen, frame), "b");
    frame.at(42, 2) = {'c', 0x0C};
    frame.at(43, 2) = {'d', 0x0C};
    frame.at(45, 2) = {'e', 0x4C};  // only the background changes
    EXPECT_EQ(Render(screen, frame), "cd\x1b[3;46H\x1b[41me");
    // With autowrap off the cursor stays on the last column: the next row needs its own move.
    frame.at(79, 3) = {'x', 0x4C};
    frame.at(0, 4) = {'y', 0x4C};
    EXPECT_EQ(Render(screen, frame), "\x1b[4;80Hx\x1b[5;1Hy");
}

// A terminal smaller than the frame shows a centred notice of the size it has and the size it
// needs, never a cell beyond its edges, and the game comes back whole once it is large enough.
TEST(PlatformOutput, ATerminalTooSmallForTheFrameShowsANoticeUntilItIsLargeEnough)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    frame.at(79, 49) = {'Z', 0x0C};
    const struct { int cols, rows; const char *text; } sizes[] = {
        {60, 30, "This terminal is 60x30."}, {80, 49, "Vostrel needs 80x50."}, {12, 2, "Vostrel need"}};
    for (const auto &size : sizes) {
        std::string out = Render(screen, frame, size.cols, size.rows);
        EXPECT_EQ(out.rfind(CLEAR, 0), 0u) << out;
        EXPECT_NE(out.find(size.text), std::string::npos) << out;
        EXPECT_EQ(out.find('Z'), std::string::npos) << out;
        // Every cursor move lands inside, and no line runs past the right edge.
        int row = 0, col = 0, moves = 0;
        for (size_t pos = out.find("\x1b[", 8); pos != std::string::npos; pos = out.find("\x1b[", pos + 1)) {
            ASSERT_EQ(sscanf(out.c_str() + pos, "\x1b[%d;%dH", &row, &col), 2) << out;
            size_t end = out.find('H', pos) + 1, next = out.find("\x1b[", end);
            size_t len = (next == std::string::npos ? out.size() : next) - end;
            EXPECT_TRUE(row >= 1 && row <= size.rows && col >= 1 && col - 1 + (int)len <= size.cols) << out;
            moves++;
        }
        EXPECT_EQ(moves, std::min(size.rows, 3));
        EXPECT_EQ(Render(screen, frame, size.cols, size.rows), "");  // the same notice is not sent twice
    }
    std::string out = Render(screen, frame);
    EXPECT_EQ(out.rfind(CLEAR, 0), 0u);
    EXPECT_EQ(std::count(out.begin(), out.end(), ' '), 80 * 50 - 1);
    EXPECT_EQ(out.substr(out.size() - 6), "\x1b[91mZ");
}

TEST(PlatformTerminalEmulator, EveryByteAndEveryColourShowsRightFrameAfterFrame)
{
    VTerm *pVt = vterm_new(50, 80);
    vterm_set_utf8(pVt, 1);
    VTermScreen *pScreen = vterm_obtain_screen(pVt);
    vterm_screen_enable_altscreen(pScreen, 1);
    vterm_screen_reset(pScreen, 1);
    vterm_input_write(pVt, g_terminalEnterModes, strlen(g_terminalEnterModes));
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    // All 256 bytes on rows 0-3, all 256 attributes on rows 10-13, varied combinations elsewhere.
    Frame frame(80, 50);
    std::vector<PlatformCell> &cells = frame.cells;
    for (int i = 0; i < 80 * 50; i++)
        cells[(size_t)i] = i < 320                ? PlatformCell{(unsigned char)i, 0x07}
                           : i >= 800 && i < 1120 ? PlatformCell{0xDB, (unsigned char)(i - 800)}
                                                  : PlatformCell{(unsigned char)(i * 7), (unsigned char)(i * 13)};
    // Then frames of scattered cells, a run of one colour (a text), and now and then a whole row.
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    // The console's colour with blue and red swapped is the ANSI palette index, brightness in bit 3.
    auto ansi = [](int c) { return ((c & 1) << 2) | (c & 2) | ((c & 4) >> 2) | (c & 8); };
    auto index = [](const VTermColor &c) { return VTERM_COLOR_IS_INDEXED(&c) ? (int)c.indexed.idx : -1; };
    for (int step = 0; step < 60 && !HasFailure(); step++) {
        std::string out = Render(screen, frame);
        vterm_input_write(pVt, out.data(), out.size());
        // Every cell shows the frame's glyph, one column wide, in the frame's colours (-1: not a
        // palette index). Stops at the first wrong cell.
        for (int i = 0; i < 80 * 50 && !HasFailure(); i++) {
            PlatformCell want = cells[(size_t)i];
            VTermScreenCell got;
            vterm_screen_get_cell(pScreen, VTermPos{i / 80, i % 80}, &got);
            EXPECT_EQ((std::vector<int>{(int)got.chars[0], got.width, index(got.fg), index(got.bg)}),
                      (std::vector<int>{(int)g_cp437ToUnicode[want.m_ch], 1, ansi(want.m_attr & 0x0F), ansi(want.m_attr >> 4)}))
                << "step " << step << ": cell " << i % 80 << "," << i / 80;
        }
        for (int i = (int)(next() % 40); i > 0; i--)
            cells[next() % cells.size()] = PlatformCell{(unsigned char)next(), (unsigned char)next()};
        size_t start = next() % cells.size();
        unsigned char attr = (unsigned char)next();
        for (size_t i = start; i < start + 12 && i < cells.size(); i++)
            cells[i] = PlatformCell{(unsigned char)('A' + i % 26), attr};
        if (step % 10 == 9)
            std::fill_n(cells.begin() + (next() % 50) * 80, 80, PlatformCell{0xCD, 0x1F});
    }
    vterm_free(pVt);
}
