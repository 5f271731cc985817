// The terminal backend's pure output side: colours, glyphs and the frame diff, checked on strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp437.h"
#include "platform/terminal_output.h"

namespace {

std::string Utf8(unsigned char ch)
{
    char buf[4];
    int n = Cp437ToUtf8(ch, buf);
    return std::string(buf, (size_t)n);
}

struct Frame {
    int cols, rows;
    std::vector<PlatformCell> cells;
    Frame(int c, int r, PlatformCell fill = {' ', 0x07}) : cols(c), rows(r), cells((size_t)(c * r), fill) {}
    PlatformCell &at(int x, int y) { return cells[(size_t)(y * cols + x)]; }
};

std::string Render(TerminalScreen &screen, const Frame &frame, int termCols = 80, int termRows = 50)
{
    std::string out;
    TerminalRenderFrame(&screen, frame.cells.data(), frame.cols, frame.rows, termCols, termRows, &out);
    return out;
}

size_t Count(const std::string &haystack, const std::string &needle)
{
    size_t n = 0;
    for (size_t pos = haystack.find(needle); pos != std::string::npos; pos = haystack.find(needle, pos + 1))
        n++;
    return n;
}

}  // namespace

TEST(PlatformColours, ConsoleBitsBecomeAnsiColours)
{
    struct { unsigned char attr; int fg, bg; } cases[] = {
        {0x07, 37, 40},    // light grey on black
        {0x01, 34, 40},    // blue
        {0x02, 32, 40},    // green
        {0x04, 31, 40},    // red
        {0x06, 33, 40},    // brown (red + green)
        {0x05, 35, 40},    // magenta (red + blue)
        {0x03, 36, 40},    // cyan (green + blue)
        {0x0F, 97, 40},    // white
        {0x08, 90, 40},    // dark grey
        {0x0E, 93, 40},    // yellow
        {0x0C, 91, 40},    // bright red
        {0x10, 30, 44},    // black on blue
        {0x40, 30, 41},    // black on red
        {0x9C, 91, 104},   // bright red on bright blue: bright backgrounds are kept
        {0xEE, 93, 103},   // the cursor's yellow on yellow
        {0xF0, 30, 107},
    };
    for (const auto &c : cases) {
        int fg = 0, bg = 0;
        TerminalAttrToSgr(c.attr, &fg, &bg);
        EXPECT_EQ(fg, c.fg) << "attribute " << std::hex << (int)c.attr;
        EXPECT_EQ(bg, c.bg) << "attribute " << std::hex << (int)c.attr;
    }
}

TEST(PlatformColours, ChangesNameOnlyTheHalfThatChanged)
{
    std::string out;
    TerminalAppendAttrChange(&out, -1, 0x1E);
    EXPECT_EQ(out, "\x1b[93;44m");
    out.clear();
    TerminalAppendAttrChange(&out, 0x1E, 0x1B);
    EXPECT_EQ(out, "\x1b[96m");
    out.clear();
    TerminalAppendAttrChange(&out, 0x1B, 0x4B);
    EXPECT_EQ(out, "\x1b[41m");
    out.clear();
    TerminalAppendAttrChange(&out, 0x4B, 0x4B);
    EXPECT_EQ(out, "");
}

TEST(PlatformGlyphs, CodePage437BytesShowAsTheirUnicodeGlyphs)
{
    EXPECT_EQ(Utf8('A'), "A");
    EXPECT_EQ(Utf8(0x00), " ");
    EXPECT_EQ(Utf8(0xFF), "\u00A0");  // the no-break space: a blank
    EXPECT_EQ(Utf8(0x01), "\u263A");
    EXPECT_EQ(Utf8(0x03), "\u2665");
    EXPECT_EQ(Utf8(0x07), "\u2022");
    EXPECT_EQ(Utf8(0x10), "\u25BA");
    EXPECT_EQ(Utf8(0x18), "\u2191");
    EXPECT_EQ(Utf8(0x19), "\u2193");
    EXPECT_EQ(Utf8(0x1A), "\u2192");
    EXPECT_EQ(Utf8(0x1B), "\u2190");
    EXPECT_EQ(Utf8(0x1F), "\u25BC");
    EXPECT_EQ(Utf8(0x7F), "\u2302");
    EXPECT_EQ(Utf8(0x80), "\u00C7");
    EXPECT_EQ(Utf8(0x9E), "\u20A7");
    EXPECT_EQ(Utf8(0xA9), "\u2310");
    EXPECT_EQ(Utf8(0xB0), "\u2591");
    EXPECT_EQ(Utf8(0xB2), "\u2593");
    EXPECT_EQ(Utf8(0xB3), "\u2502");
    EXPECT_EQ(Utf8(0xC4), "\u2500");
    EXPECT_EQ(Utf8(0xC5), "\u253C");
    EXPECT_EQ(Utf8(0xC9), "\u2554");
    EXPECT_EQ(Utf8(0xCA), "\u2569");
    EXPECT_EQ(Utf8(0xCD), "\u2550");
    EXPECT_EQ(Utf8(0xBA), "\u2551");
    EXPECT_EQ(Utf8(0xDB), "\u2588");
    EXPECT_EQ(Utf8(0xDF), "\u2580");
    EXPECT_EQ(Utf8(0xE1), "\u00DF");
    EXPECT_EQ(Utf8(0xE3), "\u03C0");
    EXPECT_EQ(Utf8(0xF9), "\u2219");
    EXPECT_EQ(Utf8(0xFE), "\u25A0");
}

TEST(PlatformGlyphs, EveryByteHasOneDistinctPrintableGlyph)
{
    // Apart from the blanks (0, 32, 255) no two bytes look alike, and no byte shows as a control.
    std::vector<uint32_t> seen;
    for (int ch = 0; ch < 256; ch++) {
        uint32_t cp = g_cp437ToUnicode[(unsigned char)ch];
        EXPECT_GE(cp, 0x20u) << ch;
        EXPECT_NE(cp, 0x7Fu) << ch;
        EXPECT_FALSE(cp >= 0x80 && cp < 0xA0) << ch;
        if (ch == 0 || ch == 255) {
            EXPECT_EQ(cp, ch == 0 ? 0x20u : 0xA0u);
            continue;
        }
        for (uint32_t other : seen)
            EXPECT_NE(cp, other) << "byte " << ch;
        seen.push_back(cp);
        // UTF-8 round trip of the encoder.
        char buf[4];
        int n = Cp437ToUtf8((unsigned char)ch, buf);
        uint32_t decoded = n == 1 ? (unsigned char)buf[0]
                         : n == 2 ? ((buf[0] & 0x1Fu) << 6) | (buf[1] & 0x3Fu)
                                  : ((buf[0] & 0x0Fu) << 12) | ((buf[1] & 0x3Fu) << 6) | (buf[2] & 0x3Fu);
        EXPECT_EQ(decoded, cp) << ch;
    }
}

TEST(PlatformFrameDiff, FirstFrameClearsAndDrawsEverything)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(4, 2);
    frame.at(1, 0) = {0xC9, 0x1E};
    std::string out = Render(screen, frame);
    EXPECT_EQ(out.rfind("\x1b[0m\x1b[2J", 0), 0u);
    EXPECT_EQ(Count(out, "\x1b[1;1H"), 1u);
    EXPECT_EQ(Count(out, "\x1b[2;1H"), 1u);
    // Rows are drawn left to right without further moves; colours change only where they differ.
    EXPECT_NE(out.find("\x1b[37;40m \x1b[93;44m\u2554\x1b[37;40m  "), std::string::npos) << out;
}

TEST(PlatformFrameDiff, UnchangedFrameWritesNothing)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    frame.at(5, 5) = {'X', 0x4F};
    Render(screen, frame);
    EXPECT_EQ(Render(screen, frame), "");
    EXPECT_EQ(Render(screen, frame), "");
}

TEST(PlatformFrameDiff, OneChangedCellIsAMoveAColourAndAGlyph)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    Render(screen, frame);
    frame.at(10, 20) = {0xDB, 0x0C};
    EXPECT_EQ(Render(screen, frame), "\x1b[21;11H\x1b[91m\u2588");
    // Same colour as the terminal is drawing with now: no colour change.
    frame.at(40, 2) = {'a', 0x0C};
    EXPECT_EQ(Render(screen, frame), "\x1b[3;41Ha");
    // The next cell, in the next frame: the cursor already stands there.
    frame.at(41, 2) = {'b', 0x0C};
    EXPECT_EQ(Render(screen, frame), "b");
    frame.at(42, 2) = {'c', 0x0C};
    frame.at(43, 2) = {'d', 0x0C};
    frame.at(45, 2) = {'e', 0x0C};
    EXPECT_EQ(Render(screen, frame), "cd\x1b[3;46He");
}

TEST(PlatformFrameDiff, LastColumnLeavesTheCursorUnknown)
{
    // With autowrap off the cursor does not advance past the last column, so the next cell in
    // the following row needs its own move.
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    Render(screen, frame);
    frame.at(79, 3) = {'x', 0x07};
    frame.at(0, 4) = {'y', 0x07};
    EXPECT_EQ(Render(screen, frame), "\x1b[4;80Hx\x1b[5;1Hy");
}

TEST(PlatformFrameDiff, SmallerTerminalShowsThePartThatFits)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    frame.at(79, 49) = {'Z', 0x07};
    frame.at(59, 29) = {'Q', 0x07};
    std::string out = Render(screen, frame, 60, 30);
    EXPECT_EQ(Count(out, "\x1b[30;1H"), 1u);
    EXPECT_EQ(Count(out, "\x1b[31;"), 0u);   // nothing below the terminal
    EXPECT_EQ(out.find('Z'), std::string::npos);
    EXPECT_NE(out.find('Q'), std::string::npos);
    // Changes outside the visible part write nothing.
    frame.at(70, 10) = {'W', 0x07};
    EXPECT_EQ(Render(screen, frame, 60, 30), "");
    // The terminal grows back: everything is repainted, the hidden change included.
    out = Render(screen, frame, 80, 50);
    EXPECT_EQ(out.rfind("\x1b[0m\x1b[2J", 0), 0u);
    EXPECT_NE(out.find('W'), std::string::npos);
    EXPECT_NE(out.find('Z'), std::string::npos);
}

TEST(PlatformFrameDiff, InvalidatedScreenIsRepaintedWhole)
{
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    Frame frame(80, 50);
    Render(screen, frame);
    TerminalScreenInvalidate(&screen);
    std::string out = Render(screen, frame);
    EXPECT_EQ(out.rfind("\x1b[0m\x1b[2J", 0), 0u);
    EXPECT_EQ(Count(out, " "), 80u * 50u);
    EXPECT_EQ(Render(screen, frame), "");
}
