// The input manager: one record per poll, the last one kept, the cursor following the pointer,
// and the frame pacing every loop uses.
#include <gtest/gtest.h>

#include <utility>

#include "game/core/console.h"
#include "game/core/input.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

TEST(PollInput, OneRecordPerPollAKeyReleaseIsNoLongerAKeyAndAWheelKeepsThePosition)
{
    UiHarness ui;
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    // The release keeps the key's code; with nothing waiting, the last record is seen again.
    const int kinds[] = {INPUT_KIND_KEY, INPUT_KIND_OTHER, INPUT_KIND_OTHER};
    for (int i = 0; i < 3; i++) {
        PollInput();
        EXPECT_EQ(HeadlessPendingInput(), i == 0 ? 1 : 0);
        EXPECT_EQ(g_inputState.m_nKind, kinds[i]);
        EXPECT_EQ(g_inputState.m_nButtons, (uint32_t)PLATFORM_VK_ESCAPE);
    }

    HeadlessMoveMouse(20, 30);
    PollInput();
    HeadlessWheel(50, 5, -120);
    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_MOUSE);
    EXPECT_EQ(g_inputState.m_nFlags, (uint32_t)INPUT_FLAG_WHEELED);
    EXPECT_EQ((int16_t)(g_inputState.m_nButtons >> 16), -120);
    EXPECT_EQ(std::make_pair(g_inputState.m_nX, g_inputState.m_nY), std::make_pair(20, 30));
    EXPECT_EQ(std::make_pair(g_pCursorSprite->m_x, g_pCursorSprite->m_y), std::make_pair(19, 29));  // centred on it
    PollInput();  // nothing waiting: only the flags are cleared
    EXPECT_EQ(std::make_pair(g_inputState.m_nX, g_inputState.m_nY), std::make_pair(20, 30));
    EXPECT_EQ((int16_t)(g_inputState.m_nButtons >> 16), -120);
    EXPECT_EQ(g_inputState.m_nFlags, 0u);
}

TEST(FramePacing, AFrameLastsSixteenMillisecondsInOneSleepAndALateOneSkipsToTheNextBoundary)
{
    UiHarness ui;
    // The clock at the frame's start, where it is when the work is done, after the wait, and the
    // sleeps taken: one at most, so an idle game wakes once a frame.
    const uint32_t steps[][4] = {{1000, 1000, 1016, 1},
                                 {1016, 1016 + 41, 1016 + 48, 1},  // the frames missed are dropped
                                 {2000, 2016, 2016, 0},            // a deadline met exactly needs no sleep
                                 {0xFFFFFFF8u, 0xFFFFFFF8u, 8, 1}};  // the clock may wrap around
    for (const auto &s : steps) {
        HeadlessSetClock(s[0]);
        uint32_t deadline = FrameDeadline();
        HeadlessSetClock(s[1]);
        int sleeps = HeadlessSleepCount();
        FrameWait(deadline);
        EXPECT_EQ(HeadlessClock(), s[2]) << s[0];
        EXPECT_EQ((uint32_t)(HeadlessSleepCount() - sleeps), s[3]) << s[0];
    }
}

}  // namespace
