// The terminal backend's input parser: bytes from a terminal become console-style records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal_input.h"

namespace {

struct Parser {
    TerminalInputParser p;
    Parser() { TerminalInputInit(&p); }
    void Feed(const std::string &bytes, uint32_t now) { TerminalInputFeed(&p, bytes.data(), bytes.size(), now); }
    void Tick(uint32_t now) { TerminalInputTick(&p, now); }
    std::vector<PlatformInputRecord> Take()
    {
        std::vector<PlatformInputRecord> out;
        PlatformInputRecord rec;
        while (TerminalInputPop(&p, &rec))
            out.push_back(rec);
        return out;
    }
    // Key-down codes only, releases checked and dropped.
    std::vector<uint32_t> Keys()
    {
        std::vector<uint32_t> keys;
        std::vector<PlatformInputRecord> recs = Take();
        for (size_t i = 0; i < recs.size(); i++) {
            EXPECT_EQ(recs[i].m_kind, PLATFORM_RECORD_KEY);
            keys.push_back(recs[i].m_vk);
            // Every key-down is followed by its release, as on a console.
            EXPECT_LT(i + 1, recs.size());
            if (i + 1 < recs.size()) {
                EXPECT_EQ(recs[i + 1].m_kind, PLATFORM_RECORD_OTHER);
                EXPECT_EQ(recs[i + 1].m_vk, recs[i].m_vk);
            }
            i++;
        }
        return keys;
    }
};

std::string Sgr(int b, int x, int y, char final = 'M')
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

std::string X10(int b, int x, int y)
{
    return std::string("\x1b[M") + (char)(b + 32) + (char)(x + 33) + (char)(y + 33);
}

void ExpectMouse(const PlatformInputRecord &rec, int x, int y, uint32_t buttons, uint32_t flags)
{
    EXPECT_EQ(rec.m_kind, PLATFORM_RECORD_MOUSE);
    EXPECT_EQ(rec.m_x, x);
    EXPECT_EQ(rec.m_y, y);
    EXPECT_EQ(rec.m_buttons, buttons);
    EXPECT_EQ(rec.m_flags, flags);
}

}  // namespace

TEST(PlatformInputMouse, SgrPressMotionReleaseCarryTheButtonState)
{
    Parser in;
    in.Feed(Sgr(0, 12, 5) + Sgr(32, 13, 5) + Sgr(2, 13, 5) + Sgr(34, 14, 6) + Sgr(0, 14, 6, 'm') +
                Sgr(35, 15, 6) + Sgr(2, 15, 6, 'm') + Sgr(35, 16, 7),
            100);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 8u);
    ExpectMouse(r[0], 12, 5, PLATFORM_BUTTON_LEFT, 0);                          // left press
    ExpectMouse(r[1], 13, 5, PLATFORM_BUTTON_LEFT, PLATFORM_MOUSE_MOVED);       // dragging
    ExpectMouse(r[2], 13, 5, PLATFORM_BUTTON_LEFT | PLATFORM_BUTTON_RIGHT, 0);  // right press too
    ExpectMouse(r[3], 14, 6, PLATFORM_BUTTON_LEFT | PLATFORM_BUTTON_RIGHT, PLATFORM_MOUSE_MOVED);
    ExpectMouse(r[4], 14, 6, PLATFORM_BUTTON_RIGHT, 0);                         // left up
    // Motion that reports no button: the right release was lost, so the state drops it.
    ExpectMouse(r[5], 15, 6, 0, PLATFORM_MOUSE_MOVED);
    ExpectMouse(r[6], 15, 6, 0, 0);
    ExpectMouse(r[7], 16, 7, 0, PLATFORM_MOUSE_MOVED);
}

TEST(PlatformInputMouse, MiddleButtonAndModifiers)
{
    Parser in;
    // Shift (4), meta (8) and control (16) do not change which button it is.
    in.Feed(Sgr(1, 3, 4) + Sgr(1 + 16, 3, 4, 'm') + Sgr(0 + 4, 0, 0) + Sgr(8, 0, 0, 'm'), 0);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 4u);
    ExpectMouse(r[0], 3, 4, PLATFORM_BUTTON_MIDDLE, 0);
    ExpectMouse(r[1], 3, 4, 0, 0);
    ExpectMouse(r[2], 0, 0, PLATFORM_BUTTON_LEFT, 0);
    ExpectMouse(r[3], 0, 0, 0, 0);
}

TEST(PlatformInputMouse, WheelCarriesTheDeltaInTheHighWord)
{
    Parser in;
    in.Feed(Sgr(64, 30, 10) + Sgr(65, 31, 11) + Sgr(0, 31, 11) + Sgr(64, 31, 11), 0);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 4u);
    ExpectMouse(r[0], 30, 10, 120u << 16, PLATFORM_MOUSE_WHEELED);
    ExpectMouse(r[1], 31, 11, 0xFF88u << 16, PLATFORM_MOUSE_WHEELED);
    EXPECT_EQ((int16_t)(r[1].m_buttons >> 16), -120);
    // The low word keeps the buttons held while the wheel turns.
    ExpectMouse(r[3], 31, 11, (120u << 16) | PLATFORM_BUTTON_LEFT, PLATFORM_MOUSE_WHEELED);
    // Sideways wheels are not the console's wheel.
    in.Feed(Sgr(66, 1, 1) + Sgr(67, 1, 1), 0);
    EXPECT_TRUE(in.Take().empty());
}

TEST(PlatformInputMouse, DoubleClickIsASecondLeftPressOnTheSameCellWithin500ms)
{
    Parser in;
    in.Feed(Sgr(0, 7, 7), 1000);
    in.Feed(Sgr(0, 7, 7, 'm'), 1050);
    in.Feed(Sgr(0, 7, 7), 1500);  // exactly 500 ms after the first press
    in.Feed(Sgr(0, 7, 7, 'm'), 1550);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 4u);
    ExpectMouse(r[0], 7, 7, PLATFORM_BUTTON_LEFT, 0);
    ExpectMouse(r[2], 7, 7, PLATFORM_BUTTON_LEFT, PLATFORM_DOUBLE_CLICK);
    ExpectMouse(r[3], 7, 7, 0, 0);

    // A third press right after is a plain click again.
    in.Feed(Sgr(0, 7, 7) + Sgr(0, 7, 7, 'm'), 1600);
    r = in.Take();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_flags, 0u);

    // Too slow: 501 ms.
    in.Feed(Sgr(0, 7, 7) + Sgr(0, 7, 7, 'm'), 5000);
    in.Feed(Sgr(0, 7, 7), 5501);
    r = in.Take();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[2].m_flags, 0u);
    in.Feed(Sgr(0, 7, 7, 'm'), 5502);
    in.Take();

    // Another cell.
    in.Feed(Sgr(0, 7, 7) + Sgr(0, 7, 7, 'm'), 9000);
    in.Feed(Sgr(0, 8, 7), 9100);
    r = in.Take();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[2].m_flags, 0u);
    in.Feed(Sgr(0, 8, 7, 'm'), 9150);
    in.Take();

    // Right presses never double click, and do not disturb a left double click.
    in.Feed(Sgr(2, 1, 1) + Sgr(2, 1, 1, 'm') + Sgr(2, 1, 1) + Sgr(2, 1, 1, 'm'), 20000);
    in.Feed(Sgr(0, 1, 1) + Sgr(0, 1, 1, 'm') + Sgr(2, 1, 1) + Sgr(2, 1, 1, 'm'), 20100);
    in.Feed(Sgr(0, 1, 1), 20200);
    r = in.Take();
    ASSERT_EQ(r.size(), 9u);
    for (size_t i = 0; i < 8; i++)
        EXPECT_EQ(r[i].m_flags, 0u) << i;
    ExpectMouse(r[8], 1, 1, PLATFORM_BUTTON_LEFT, PLATFORM_DOUBLE_CLICK);
}

TEST(PlatformInputMouse, X10ReportsForTerminalsWithoutSgr)
{
    Parser in;
    in.Feed(X10(0, 12, 5) + X10(32, 13, 5) + X10(3, 13, 5) + X10(35, 20, 9) + X10(64, 20, 9) +
                X10(65, 20, 9),
            0);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 6u);
    ExpectMouse(r[0], 12, 5, PLATFORM_BUTTON_LEFT, 0);
    ExpectMouse(r[1], 13, 5, PLATFORM_BUTTON_LEFT, PLATFORM_MOUSE_MOVED);
    ExpectMouse(r[2], 13, 5, 0, 0);  // the release does not say which button: all are up
    ExpectMouse(r[3], 20, 9, 0, PLATFORM_MOUSE_MOVED);
    ExpectMouse(r[4], 20, 9, 120u << 16, PLATFORM_MOUSE_WHEELED);
    ExpectMouse(r[5], 20, 9, 0xFF88u << 16, PLATFORM_MOUSE_WHEELED);
    // Column 79 and row 49, the far corner of the screen.
    in.Feed(X10(2, 79, 49), 0);
    r = in.Take();
    ASSERT_EQ(r.size(), 1u);
    ExpectMouse(r[0], 79, 49, PLATFORM_BUTTON_RIGHT, 0);
}

TEST(PlatformInputSequences, SequencesSplitAcrossReadsAreJoined)
{
    // Every possible split point of a mouse report, an arrow and an X10 report.
    const std::string whole = Sgr(0, 40, 20) + "\x1b[A" + X10(0, 3, 3) + "\x1bOx";
    for (size_t cut = 0; cut <= whole.size(); cut++) {
        for (size_t cut2 = cut; cut2 <= whole.size(); cut2 += 3) {
            Parser in;
            in.Feed(whole.substr(0, cut), 0);
            in.Tick(10);
            in.Feed(whole.substr(cut, cut2 - cut), 10);
            in.Tick(20);
            in.Feed(whole.substr(cut2), 20);
            in.Tick(30);
            std::vector<PlatformInputRecord> r = in.Take();
            ASSERT_EQ(r.size(), 6u) << "cut at " << cut << " and " << cut2;
            ExpectMouse(r[0], 40, 20, PLATFORM_BUTTON_LEFT, 0);
            EXPECT_EQ(r[1].m_kind, PLATFORM_RECORD_KEY);
            EXPECT_EQ(r[1].m_vk, (uint32_t)PLATFORM_VK_UP);
            ExpectMouse(r[3], 3, 3, PLATFORM_BUTTON_LEFT, 0);
            EXPECT_EQ(r[4].m_vk, (uint32_t)PLATFORM_VK_NUMPAD8);
        }
    }
}

TEST(PlatformInputSequences, LoneEscapeBecomesTheEscapeKeyAfterTheTimeout)
{
    Parser in;
    in.Feed("\x1b", 100);
    in.Tick(100);
    in.Tick(124);
    EXPECT_TRUE(in.Take().empty());  // it may still be the start of a sequence
    in.Tick(125);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({PLATFORM_VK_ESCAPE}));

    // An ESC whose sequence completes in time is not the Escape key.
    in.Feed("\x1b", 200);
    in.Tick(210);
    in.Feed("[B", 215);
    in.Tick(300);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({PLATFORM_VK_DOWN}));

    // ESC then a letter at once: the Escape key and the letter.
    in.Feed("\x1bq", 400);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({PLATFORM_VK_ESCAPE, 'Q'}));

    // Two Escapes in one read: the first is the key at once, the second after the timeout.
    in.Feed("\x1b\x1b", 500);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_vk, (uint32_t)PLATFORM_VK_ESCAPE);
    in.Tick(530);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({PLATFORM_VK_ESCAPE}));

    // A sequence broken off and left unfinished: the Escape key, then the rest on its own.
    in.Feed("\x1b[", 600);
    in.Tick(700);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({PLATFORM_VK_ESCAPE}));
}

TEST(PlatformInputKeys, ArrowsInBothFormsAndTheKeypad)
{
    Parser in;
    in.Feed("\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOB\x1bOC\x1bOD\x1b[1;5A", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({38, 40, 39, 37, 38, 40, 39, 37, 38}));
    // Application keypad 2, 4, 6, 8 and the plain digits the keypad sends without it.
    in.Feed("\x1bOr\x1bOt\x1bOv\x1bOx" "2468", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({98, 100, 102, 104, 98, 100, 102, 104}));
    // Other keypad keys and digits keep their usual codes; keypad Enter is Enter.
    in.Feed("\x1bOp\x1bOu\x1bOM" "013579", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({96, 101, 13, '0', '1', '3', '5', '7', '9'}));
}

TEST(PlatformInputKeys, AHeldKeyRepeatsAsKeyDownsWithOneReleaseAtTheEnd)
{
    Parser in;
    in.Feed("\x1b[A\x1b[A\x1b[A", 0);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 4u);
    for (size_t i = 0; i < 3; i++) {
        EXPECT_EQ(r[i].m_kind, PLATFORM_RECORD_KEY);
        EXPECT_EQ(r[i].m_vk, (uint32_t)PLATFORM_VK_UP);
    }
    EXPECT_EQ(r[3].m_kind, PLATFORM_RECORD_OTHER);
    // Once the release has been read, the same key again is a new press with its own release.
    in.Feed("x", 0);
    PlatformInputRecord rec;
    ASSERT_TRUE(TerminalInputPop(&in.p, &rec));
    EXPECT_EQ(rec.m_kind, PLATFORM_RECORD_KEY);
    ASSERT_TRUE(TerminalInputPop(&in.p, &rec));
    EXPECT_EQ(rec.m_kind, PLATFORM_RECORD_OTHER);
    in.Feed("x", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({'X'}));
    // A different key in between keeps both releases.
    in.Feed("ab", 0);
    EXPECT_EQ(in.Take().size(), 4u);
}

TEST(PlatformInputKeys, LettersEnterAndIgnoredBytes)
{
    Parser in;
    in.Feed("aZq\r", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({'A', 'Z', 'Q', 13}));
    in.Feed("\n", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({13}));
    // Punctuation, control bytes and non-ASCII bytes give no records.
    in.Feed("!,.\x01\x02\xc3\xa9", 0);
    EXPECT_TRUE(in.Take().empty());
    // Unknown sequences are swallowed whole and do not leak letters.
    in.Feed("\x1b[?25h\x1b[200~x\x1b[15~", 0);
    EXPECT_EQ(in.Keys(), std::vector<uint32_t>({'X'}));
}

TEST(PlatformInputSequences, GarbageIsBoundedAndDoesNotStallInput)
{
    Parser in;
    // An endless CSI parameter string is dropped instead of growing without end.
    std::string noise = "\x1b[" + std::string(1000, '1');
    in.Feed(noise, 0);
    EXPECT_LE(in.p.m_pending.size(), (size_t)TERMINAL_MAX_SEQUENCE + 2);
    in.Feed("~a", 1);
    std::vector<uint32_t> keys = in.Keys();
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), (uint32_t)'A');
    // Malformed SGR reports give nothing.
    in.Feed("\x1b[<0;5M\x1b[<;1;1M\x1b[<0;1;1;1M\x1b[<1:1;1M", 0);
    EXPECT_TRUE(in.Take().empty());
    // Huge coordinates stay bounded.
    in.Feed("\x1b[<0;99999999999;1M", 0);
    std::vector<PlatformInputRecord> r = in.Take();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_GE(r[0].m_x, 0);
    EXPECT_LT(r[0].m_x, 2000000);
}
