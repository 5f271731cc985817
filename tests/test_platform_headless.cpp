// The headless backend that game tests run on: scripted input, a virtual clock, captured frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless.h"

namespace {

// A record as text: "K27"/"R27" a key down/released, "x,y:buttons/flags" (hex buttons) the mouse.
std::string Describe(const PlatformInputRecord &r)
{
    char buf[64];
    if (r.m_kind == PLATFORM_RECORD_MOUSE)
        snprintf(buf, sizeof buf, "%d,%d:%x/%u", r.m_x, r.m_y, r.m_buttons, r.m_flags);
    else
        snprintf(buf, sizeof buf, "%c%u", r.m_kind == PLATFORM_RECORD_KEY ? 'K' : 'R', r.m_vk);
    return buf;
}

// Every record waiting, described, a space between.
std::string Drain()
{
    std::string out;
    for (PlatformInputRecord rec; PlatformReadInput(&rec);)
        out += (out.empty() ? "" : " ") + Describe(rec);
    return out;
}

}  // namespace

TEST(PlatformHeadless, HelpersScriptWhatAConsoleWouldDeliverAndTheClockMovesOnlyWhenTheGameSleeps)
{
    HeadlessInstall(80, 50);
    HeadlessClick(52, 46);
    EXPECT_EQ(HeadlessPendingInput(), 2);
    PlatformInputRecord rec;
    ASSERT_TRUE(PlatformReadInput(&rec));
    EXPECT_EQ(Describe(rec), "52,46:1/0");
    EXPECT_EQ(HeadlessPendingInput(), 1);
    EXPECT_EQ(Drain(), "52,46:0/0");
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    HeadlessDoubleClick(3, 4);
    HeadlessClick(9, 9, PLATFORM_BUTTON_RIGHT);
    HeadlessWheel(10, 11, -120);
    EXPECT_EQ(Drain(), "K27 R27 3,4:1/0 3,4:0/0 3,4:1/2 3,4:0/0 9,9:2/0 9,9:0/0 10,11:ff880000/4");

    // A drag walks every cell between its ends with the button held.
    HeadlessDrag(5, 5, 5, 2, PLATFORM_BUTTON_MIDDLE);
    EXPECT_EQ(Drain(), "5,5:4/0 5,4:4/1 5,3:4/1 5,2:4/1 5,2:0/0");

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
