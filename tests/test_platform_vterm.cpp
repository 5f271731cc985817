// The terminal backend's output read back by a real terminal emulator (libvterm): what the game
// composed must be what a terminal shows, glyphs and colours, frame after frame.
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

// Every cell shows the frame's glyph in the frame's colours: the console's colour with blue and
// red swapped is the ANSI palette index, brightness in bit 3. Stops at the first wrong cell.
void ExpectShows(VTermScreen *pScreen, const std::vector<PlatformCell> &cells, int step)
{
    auto ansi = [](int c) { return ((c & 1) << 2) | (c & 2) | ((c & 4) >> 2) | (c & 8); };
    for (int i = 0; i < 80 * 50; i++) {
        PlatformCell want = cells[(size_t)i];
        VTermScreenCell got;
        vterm_screen_get_cell(pScreen, VTermPos{i / 80, i % 80}, &got);
        // glyph, width, fg and bg (-1 when not a palette index)
        auto index = [](const VTermColor &c) { return VTERM_COLOR_IS_INDEXED(&c) ? (int)c.indexed.idx : -1; };
        std::vector<int> shown = {(int)got.chars[0], got.width, index(got.fg), index(got.bg)};
        std::vector<int> wanted = {(int)g_cp437ToUnicode[want.m_ch], 1, ansi(want.m_attr & 0x0F), ansi(want.m_attr >> 4)};
        if (shown != wanted) {
            EXPECT_EQ(shown, wanted) << "step " << step << ": cell " << i % 80 << "," << i / 80;
            return;
        }
    }
}

}  // namespace

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
    std::vector<PlatformCell> frame(80 * 50);
    for (int i = 0; i < 80 * 50; i++) {
        int y = i / 80;
        frame[(size_t)i] = y < 4                ? PlatformCell{(unsigned char)i, 0x07}
                           : y >= 10 && y < 14 ? PlatformCell{0xDB, (unsigned char)(i - 800)}
                                               : PlatformCell{(unsigned char)(i * 7), (unsigned char)(i * 13)};
    }
    // Then frames of scattered cells, a run of one colour (a text), and now and then a whole row.
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    for (int step = 0; step < 60 && !HasFailure(); step++) {
        std::string out;
        TerminalRenderFrame(&screen, frame.data(), 80, 50, 80, 50, &out);
        vterm_input_write(pVt, out.data(), out.size());
        ExpectShows(pScreen, frame, step);
        for (int i = (int)(next() % 40); i > 0; i--)
            frame[next() % frame.size()] = PlatformCell{(unsigned char)next(), (unsigned char)next()};
        size_t start = next() % frame.size();
        unsigned char attr = (unsigned char)next();
        for (size_t i = start; i < start + 12 && i < frame.size(); i++)
            frame[i] = PlatformCell{(unsigned char)('A' + i % 26), attr};
        if (step % 10 == 9)
            std::fill_n(frame.begin() + (next() % 50) * 80, 80, PlatformCell{0xCD, 0x1F});
    }
    vterm_free(pVt);
}
