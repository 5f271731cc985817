// The terminal backend's output read back by a real terminal emulator (libvterm): what the game
// composed must be what a terminal shows, glyphs and colours, frame after frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <vterm.h>

#include "platform/cp437.h"
#include "platform/terminal_output.h"

namespace {

// The ANSI palette index a console colour should show as: the same colour, brightness in bit 3.
int AnsiIndex(int consoleColour)
{
    return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2) | (consoleColour & 8);
}

struct Emulator {
    VTerm *vt;
    VTermScreen *screen;
    int rows, cols;
    bool altScreen = false, cursorVisible = true;
    int mouse = VTERM_PROP_MOUSE_NONE;
    std::string title;

    Emulator(int c, int r) : rows(r), cols(c)
    {
        vt = vterm_new(rows, cols);
        vterm_set_utf8(vt, 1);
        screen = vterm_obtain_screen(vt);
        vterm_screen_enable_altscreen(screen, 1);
        static const VTermScreenCallbacks s_callbacks = {nullptr, nullptr, nullptr, SetProp,
                                                         nullptr, nullptr, nullptr, nullptr};
        vterm_screen_set_callbacks(screen, &s_callbacks, this);
        vterm_screen_reset(screen, 1);
    }
    ~Emulator() { vterm_free(vt); }

    static int SetProp(VTermProp prop, VTermValue *val, void *user)
    {
        Emulator *self = (Emulator *)user;
        if (prop == VTERM_PROP_ALTSCREEN)
            self->altScreen = val->boolean != 0;
        else if (prop == VTERM_PROP_CURSORVISIBLE)
            self->cursorVisible = val->boolean != 0;
        else if (prop == VTERM_PROP_MOUSE)
            self->mouse = val->number;
        else if (prop == VTERM_PROP_TITLE)
            self->title = val->string ? val->string : "";
        return 1;
    }

    void Write(const std::string &bytes) { vterm_input_write(vt, bytes.data(), bytes.size()); }

    VTermScreenCell Cell(int x, int y)
    {
        VTermScreenCell cell;
        VTermPos pos = {y, x};
        vterm_screen_get_cell(screen, pos, &cell);
        return cell;
    }

    // Every visible cell shows the frame's glyph in the frame's colours.
    void ExpectShows(const std::vector<PlatformCell> &cells, int frameCols, const char *pWhen)
    {
        int mismatches = 0;
        for (int y = 0; y < rows && mismatches < 5; y++) {
            for (int x = 0; x < cols && x < frameCols && mismatches < 5; x++) {
                PlatformCell want = cells[(size_t)(y * frameCols + x)];
                VTermScreenCell got = Cell(x, y);
                bool ok = got.chars[0] == g_cp437ToUnicode[(unsigned char)(want.m_ch)] && got.width == 1 &&
                          VTERM_COLOR_IS_INDEXED(&got.fg) && VTERM_COLOR_IS_INDEXED(&got.bg) &&
                          got.fg.indexed.idx == AnsiIndex(want.m_attr & 0x0F) &&
                          got.bg.indexed.idx == AnsiIndex(want.m_attr >> 4);
                if (!ok) {
                    mismatches++;
                    ADD_FAILURE() << pWhen << ": cell (" << x << ", " << y << ") byte " << (int)want.m_ch
                                  << " attr " << (int)want.m_attr << " shows U+" << std::hex << got.chars[0]
                                  << " fg " << std::dec << (int)got.fg.indexed.idx << " bg "
                                  << (int)got.bg.indexed.idx;
                }
            }
        }
    }
};

// A small deterministic generator, so a failure repeats.
struct Lcg {
    uint32_t s;
    uint32_t Next() { return s = s * 1664525u + 1013904223u, s >> 8; }
};

}  // namespace

TEST(PlatformTerminalEmulator, EveryByteAndEveryColourShowsRight)
{
    Emulator term(80, 50);
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    std::vector<PlatformCell> frame(80 * 50);
    // All 256 bytes on rows 0-3, all 256 attributes on rows 10-13, in varied combinations below.
    for (int i = 0; i < 80 * 50; i++) {
        int y = i / 80;
        if (y < 4)
            frame[(size_t)i] = PlatformCell{(unsigned char)(i & 0xFF), 0x07};
        else if (y >= 10 && y < 14)
            frame[(size_t)i] = PlatformCell{0xDB, (unsigned char)((i - 800) & 0xFF)};
        else
            frame[(size_t)i] = PlatformCell{(unsigned char)(i * 7), (unsigned char)(i * 13)};
    }
    std::string out;
    TerminalRenderFrame(&screen, frame.data(), 80, 50, 80, 50, &out);
    term.Write(g_terminalEnterModes);
    term.Write(out);
    term.ExpectShows(frame, 80, "first frame");
}

TEST(PlatformTerminalEmulator, DiffsKeepTheTerminalEqualToTheFrame)
{
    Emulator term(80, 50);
    term.Write(g_terminalEnterModes);
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    std::vector<PlatformCell> frame(80 * 50, PlatformCell{' ', 0x0B});
    Lcg rng{12345};
    for (int step = 0; step < 60; step++) {
        // Scattered cells, a run of one colour (a text), and now and then a whole row.
        int scattered = (int)(rng.Next() % 40);
        for (int i = 0; i < scattered; i++)
            frame[rng.Next() % frame.size()] = PlatformCell{(unsigned char)rng.Next(), (unsigned char)rng.Next()};
        int start = (int)(rng.Next() % frame.size());
        unsigned char attr = (unsigned char)rng.Next();
        for (int i = start; i < start + 12 && i < (int)frame.size(); i++)
            frame[(size_t)i] = PlatformCell{(unsigned char)('A' + i % 26), attr};
        if (step % 10 == 9) {
            int row = (int)(rng.Next() % 50);
            for (int x = 0; x < 80; x++)
                frame[(size_t)(row * 80 + x)] = PlatformCell{0xCD, 0x1F};
        }
        std::string out;
        TerminalRenderFrame(&screen, frame.data(), 80, 50, 80, 50, &out);
        term.Write(out);
        term.ExpectShows(frame, 80, ("step " + std::to_string(step)).c_str());
        if (HasFailure())
            break;
    }
}

TEST(PlatformTerminalEmulator, SmallerTerminalShowsTheTopLeftPartAndRepaintsWhenEnlarged)
{
    Emulator term(60, 30);
    term.Write(g_terminalEnterModes);
    TerminalScreen screen;
    TerminalScreenInit(&screen);
    std::vector<PlatformCell> frame(80 * 50);
    for (int i = 0; i < 80 * 50; i++)
        frame[(size_t)i] = PlatformCell{(unsigned char)(0x80 + i % 64), (unsigned char)(i % 251)};
    std::string out;
    TerminalRenderFrame(&screen, frame.data(), 80, 50, 60, 30, &out);
    term.Write(out);
    term.ExpectShows(frame, 80, "clipped");
    // Nothing wrapped or scrolled: the cursor-free, autowrap-free writes stay on their rows.
    EXPECT_EQ(term.Cell(59, 29).chars[0], g_cp437ToUnicode[(unsigned char)(frame[29 * 80 + 59].m_ch)]);

    vterm_set_size(term.vt, 50, 80);
    term.rows = 50;
    term.cols = 80;
    TerminalScreenInvalidate(&screen);  // what SIGWINCH does
    out.clear();
    TerminalRenderFrame(&screen, frame.data(), 80, 50, 80, 50, &out);
    term.Write(out);
    term.ExpectShows(frame, 80, "enlarged");
}

TEST(PlatformTerminalEmulator, EnterAndLeaveModesGiveTheScreenBack)
{
    Emulator term(80, 50);
    term.Write("shell line\r\n");
    term.Write(g_terminalEnterModes);
    EXPECT_TRUE(term.altScreen);
    EXPECT_FALSE(term.cursorVisible);
    EXPECT_EQ(term.mouse, VTERM_PROP_MOUSE_MOVE);

    TerminalScreen screen;
    TerminalScreenInit(&screen);
    std::vector<PlatformCell> frame(80 * 50, PlatformCell{0xB1, 0x1E});
    std::string out;
    TerminalRenderFrame(&screen, frame.data(), 80, 50, 80, 50, &out);
    // Cut the frame off in the middle of an escape sequence, as a signal might.
    size_t cut = out.find("\x1b[", 100) + 3;
    term.Write(out.substr(0, cut));
    term.Write(g_terminalLeaveModes);
    EXPECT_FALSE(term.altScreen);
    EXPECT_TRUE(term.cursorVisible);
    EXPECT_EQ(term.mouse, VTERM_PROP_MOUSE_NONE);
    EXPECT_EQ(term.Cell(0, 0).chars[0], (uint32_t)'s');
    EXPECT_EQ(term.Cell(9, 0).chars[0], (uint32_t)'e');
    // Printing after leaving is in the default colours and wraps at the edge again.
    term.Write(std::string(85, 'x'));
    VTermScreenCell cell = term.Cell(0, 2);
    EXPECT_EQ(cell.chars[0], (uint32_t)'x');
    EXPECT_TRUE(VTERM_COLOR_IS_DEFAULT_FG(&cell.fg));
    EXPECT_TRUE(VTERM_COLOR_IS_DEFAULT_BG(&cell.bg));
}
