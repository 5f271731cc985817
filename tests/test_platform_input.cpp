// Input as both backends deliver it: the terminal's parser turns bytes into console-style records,
// the headless backend scripts them for the game tests, with a virtual clock and captured frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "platform/terminal_input.h"

namespace {

// Records as text: a key with its release is its code ("38"), a key-down alone "K38", a release
// alone "R38"; a mouse record "x,y:buttons/flags" with the buttons in hex.
std::string Describe(const std::vector<PlatformInputRecord> &records)
{
    std::string out;
    char buf[64];
    for (size_t i = 0; i < records.size(); i++, out += buf) {
        const PlatformInputRecord &r = records[i];
        const PlatformInputRecord *pNext = i + 1 < records.size() ? &records[i + 1] : nullptr;
        if (r.m_kind == PLATFORM_RECORD_MOUSE)
            snprintf(buf, sizeof buf, " %d,%d:%x/%u", r.m_x, r.m_y, r.m_buttons, r.m_flags);
        else if (r.m_kind == PLATFORM_RECORD_KEY && pNext && pNext->m_kind == PLATFORM_RECORD_OTHER && pNext->m_vk == r.m_vk)
            snprintf(buf, sizeof buf, " %u", records[i++].m_vk);  // and its release
        else
            snprintf(buf, sizeof buf, " %c%u", r.m_kind == PLATFORM_RECORD_KEY ? 'K' : 'R', r.m_vk);
    }
    return out.empty() ? out : out.substr(1);
}

// Every record waiting, described.
template <class Pop> std::string Drain(Pop pop)
{
    std::vector<PlatformInputRecord> records;
    for (PlatformInputRecord r; pop(&r);)
        records.push_back(r);
    return Describe(records);
}

// Feeds the parser bytes (none: only takes what waits) and describes the records that come of them.
std::string Feed(TerminalInputParser *p, const std::string &bytes = "", uint32_t now = 0)
{
    if (!bytes.empty())
        TerminalInputFeed(p, bytes.data(), bytes.size(), now);
    return Drain([p](PlatformInputRecord *pRecord) { return TerminalInputPop(p, pRecord); });
}

std::string Sgr(int b, int x, int y, char final = 'M')
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

std::string X10(int b, int x, int y) { return std::string("\x1b[M") + (char)(b + 32) + (char)(x + 33) + (char)(y + 33); }

}  // namespace

TEST(PlatformInput, ReportsAndKeysBecomeConsoleRecords)
{
    struct { std::string bytes; const char *records; } cases[] = {
        // SGR: left press, drag, right press too, drag with both, left up; motion that reports no
        // button says the right release was lost, so the state drops it.
        {Sgr(0, 12, 5) + Sgr(32, 13, 5) + Sgr(2, 13, 5) + Sgr(34, 14, 6) + Sgr(0, 14, 6, 'm') + Sgr(35, 15, 6) +
             Sgr(2, 15, 6, 'm'),
         "12,5:1/0 13,5:1/1 13,5:3/0 14,6:3/1 14,6:2/0 15,6:0/1 15,6:0/0"},
        // The middle button; shift (4), meta (8) and control (16) do not change which button it is.
        {Sgr(1, 3, 4) + Sgr(17, 3, 4, 'm') + Sgr(4, 0, 0) + Sgr(8, 0, 0, 'm'), "3,4:4/0 3,4:0/0 0,0:1/0 0,0:0/0"},
        // The wheel's delta in the high word, the buttons held in the low; sideways wheels are not it.
        {Sgr(64, 30, 10) + Sgr(0, 31, 11) + Sgr(65, 31, 11) + Sgr(66, 1, 1) + Sgr(67, 1, 1),
         "30,10:780000/4 31,11:1/0 31,11:ff880001/4"},
        // X10: a release does not say which button, so all are up; the far corner is (79, 49).
        {X10(0, 12, 5) + X10(32, 13, 5) + X10(3, 13, 5) + X10(35, 20, 9) + X10(64, 20, 9) + X10(65, 20, 9) +
             X10(2, 79, 49),
         "12,5:1/0 13,5:1/1 13,5:0/0 20,9:0/1 20,9:780000/4 20,9:ff880000/4 79,49:2/0"},
        // From column or row 223 on X10 sends a zero byte: still a report, so the release counts.
        {X10(0, 79, 5) + X10(32, -33, 5) + X10(3, -33, -33) + X10(0, 5, -5), "79,5:1/0 223,5:1/1 223,223:0/0"},
        // Arrows in both forms and with a modifier; application keypad 2 4 6 8 and the plain digits
        // the keypad sends without it; other keypad keys keep their codes, keypad Enter is Enter.
        {"\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOB\x1bOC\x1bOD\x1b[1;5A", "38 40 39 37 38 40 39 37 38"},
        {"\x1bOr\x1bOt\x1bOv\x1bOx" "2468", "98 100 102 104 98 100 102 104"},
        {"\x1bOp\x1bOu\x1bOM" "013579", "96 101 13 48 49 51 53 55 57"},
        {"aZq\r", "65 90 81 13"}, {"\n", "13"},
        // A held key repeats as key-downs with one release at the end; another key keeps both.
        {"\x1b[A\x1b[A\x1b[A", "K38 K38 38"}, {"ab", "65 66"},
        // Punctuation, control and non-ASCII bytes give nothing; unknown sequences go whole.
        {"!,.\x01\x02\xc3\xa9", ""}, {"\x1b[?25h\x1b[99~x\x1b[16~", "88"},
        // An overlong sequence is noise up to and with its final byte, however it is split.
        {"\x1b[" + std::string(1000, '2') + "Ax", "88"},
        {"\x1b[<0;5M\x1b[<;1;1M\x1b[<0;1;1;1M\x1b[<1:1;1M", ""},  // malformed SGR reports
        // rxvt-unicode's button-less motion: before any click as "no button" (31), after the wheel
        // with the wheel's bits left on (97). The motion bit decides: neither is the wheel.
        {Sgr(31, 2, 2) + Sgr(65, 3, 3) + Sgr(97, 4, 3) + Sgr(0, 4, 3), "2,2:0/1 3,3:ff880000/4 4,3:0/1 4,3:1/0"},
        // Motion after motion with the same buttons only moves the pointer on: no backlog.
        {Sgr(35, 1, 1) + Sgr(35, 2, 1) + Sgr(35, 3, 1) + Sgr(0, 3, 1) + Sgr(32, 4, 1) + Sgr(32, 5, 1) + Sgr(35, 6, 1),
         "3,1:0/1 3,1:1/0 5,1:1/1 6,1:0/1"},
        // Function keys; F10 in the numbering xterm, rxvt-unicode, st, tmux and screen share.
        {"\x1b[21~\x1b[11~\x1b[24~", "121 112 123"},
        // A bracketed paste is dropped whole, whatever it holds.
        {"a\x1b[200~hello\x1b[A\x1b\x1b[<0;1;1M\x1b[20\x1b[201~b", "65 66"},
    };
    for (const auto &c : cases) {
        TerminalInputParser whole, split;  // all in one read, and a byte a read
        TerminalInputInit(&whole);
        TerminalInputInit(&split);
        EXPECT_EQ(Feed(&whole, c.bytes, 100), c.records) << testing::PrintToString(c.bytes);
        for (char b : c.bytes)
            TerminalInputFeed(&split, &b, 1, 100);
        EXPECT_EQ(Feed(&split), c.records) << testing::PrintToString(c.bytes) << " a byte a read";
    }
}

TEST(PlatformInput, OverTimeALoneEscapeBecomesTheEscapeKeyAndASecondClickADoubleClick)
{
    auto click = [](int button, int x) { return Sgr(button, x, 7) + Sgr(button, x, 7, 'm'); };
    // Bytes read at a time (none: only the clock moves) and the records they complete.
    const struct { std::string bytes; uint32_t at; const char *records; } steps[] = {
        {"\x1b", 100, ""}, {"", 124, ""},  // it may still be the start of a sequence
        {"", 125, "27"},
        {"\x1b", 200, ""}, {"", 210, ""}, {"[B", 215, "40"},  // completed in time: no Escape
        {"\x1bq", 400, "27 81"},                                // ESC then a letter at once
        {"\x1b\x1b", 500, "27"}, {"", 530, "27"},              // two in one read
        {"\x1b[", 600, ""}, {"", 700, "27"},                   // broken off and left unfinished
        // Overlong noise that stops coming: after the timeout a digit is a key again.
        {"\x1b[" + std::string(70, '1'), 720, ""}, {"2", 740, ""}, {"2", 765, "98"},
        // Once a key's release has been read, the same key again is a new press with its release.
        {"x", 800, "88"}, {"x", 800, "88"},
        // A second left press on the same cell within 500 ms is a double click; a third is not.
        {click(0, 7), 1000, "7,7:1/0 7,7:0/0"}, {click(0, 7), 1500, "7,7:1/2 7,7:0/0"},
        {click(0, 7), 1600, "7,7:1/0 7,7:0/0"}, {click(0, 7), 5000, "7,7:1/0 7,7:0/0"},
        {click(0, 7), 5501, "7,7:1/0 7,7:0/0"},  // 501 ms: too slow
        {click(0, 7), 9000, "7,7:1/0 7,7:0/0"}, {click(0, 8), 9100, "8,7:1/0 8,7:0/0"},  // another cell
        // Right presses never double click, and do not disturb a left double click.
        {click(2, 1), 20000, "1,7:2/0 1,7:0/0"}, {click(2, 1), 20050, "1,7:2/0 1,7:0/0"},
        {click(0, 1), 20100, "1,7:1/0 1,7:0/0"}, {click(2, 1), 20150, "1,7:2/0 1,7:0/0"},
        {click(0, 1), 20200, "1,7:1/2 1,7:0/0"},
    };
    TerminalInputParser p;
    TerminalInputInit(&p);
    for (const auto &s : steps) {
        if (s.bytes.empty())
            TerminalInputTick(&p, s.at);
        EXPECT_EQ(Feed(&p, s.bytes, s.at), s.records) << "at " << s.at;
    }
}

TEST(PlatformInput, GarbageIsBoundedAndDoesNotStallInput)
{
    TerminalInputParser p;
    TerminalInputInit(&p);
    // An endless CSI parameter string is dropped instead of growing without end; once it ends,
    // input goes on, and huge coordinates stay bounded.
    Feed(&p, "\x1b[" + std::string(1000, '1'), 0);
    EXPECT_LE(p.m_pending.size(), (size_t)TERMINAL_MAX_SEQUENCE + 2);
    int x = -1;
    EXPECT_EQ(sscanf(Feed(&p, "~\x1b[<0;99999999999;1M", 1).c_str(), "%d,0:1/0", &x), 1);
    EXPECT_TRUE(x >= 0 && x < 2000000) << x;
}

TEST(PlatformHeadless, HelpersScriptWhatAConsoleWouldDeliverAndTheClockMovesOnlyWhenTheGameSleeps)
{
    HeadlessInstall(80, 50);
    HeadlessClick(52, 46);
    PlatformInputRecord rec = {};
    EXPECT_EQ(HeadlessPendingInput(), 2);
    EXPECT_TRUE(PlatformReadInput(&rec) && HeadlessPendingInput() == 1);
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    HeadlessDoubleClick(3, 4);
    HeadlessClick(9, 9, PLATFORM_BUTTON_RIGHT);
    HeadlessWheel(10, 11, -120);
    HeadlessDrag(5, 5, 5, 2, PLATFORM_BUTTON_MIDDLE);  // every cell between its ends with the button held
    EXPECT_EQ(Describe({rec}) + " " + Drain(PlatformReadInput),
              "52,46:1/0 52,46:0/0 27 3,4:1/0 3,4:0/0 3,4:1/2 3,4:0/0 9,9:2/0 9,9:0/0 10,11:ff880000/4 "
              "5,5:4/0 5,4:4/1 5,3:4/1 5,2:4/1 5,2:0/0");

    // The clock stands still, whatever was scripted, until the game sleeps.
    EXPECT_EQ(PlatformMilliseconds(), 0u);
    EXPECT_EQ(PlatformMilliseconds(), 0u);
    PlatformSleep(16);
    PlatformSleep(1);
    EXPECT_EQ(PlatformMilliseconds(), 17u);
    HeadlessSetClock(0xFFFFFFF0u);
    PlatformSleep(32);
    EXPECT_EQ(PlatformMilliseconds(), 16u);  // wraps like the real clock
}

TEST(PlatformHeadless, FramesAreCapturedAndReadableAsText)
{
    HeadlessInstall(80, 50);
    EXPECT_EQ(HeadlessGetFrame(), nullptr);
    std::vector<PlatformCell> cells(80 * 50, PlatformCell{' ', 0x07});
    cells[45 * 80 + 51] = PlatformCell{0xC9, 0x0B};
    for (const char *pText : {" End Turn ", " Zoom Out "}) {
        for (int x = 52; *pText; pText++, x++)
            cells[(size_t)(46 * 80 + x)] = PlatformCell{(unsigned char)*pText, 0x0B};
        PlatformPresent(cells.data(), 80, 50);
    }
    int x = -1, y = -1;
    EXPECT_TRUE(HeadlessFindText(" Zoom Out ", &x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(52, 46));
    EXPECT_FALSE(HeadlessFindText(" End Turn ", &x, &y));
    ASSERT_NE(HeadlessGetFrame(1), nullptr);
    EXPECT_TRUE(HeadlessFindText(" End Turn ", &x, &y, HeadlessGetFrame(1)));  // in the frame before
    EXPECT_EQ(HeadlessCellAt(52, 46).m_attr, 0x0B);
    EXPECT_EQ(HeadlessCellAt(80, 0).m_ch, 0);  // outside
    EXPECT_EQ(HeadlessRowText(45), std::string(51, ' ') + "\u2554" + std::string(28, ' '));
    // Only the most recent frames are kept, so long runs stay small.
    for (int i = 0; i < HEADLESS_FRAMES_KEPT; i++)
        PlatformPresent(cells.data(), 80, 50);
    EXPECT_EQ(HeadlessFrameCount(), HEADLESS_FRAMES_KEPT + 2);
    EXPECT_EQ(HeadlessGetFrame(HEADLESS_FRAMES_KEPT), nullptr);
}
