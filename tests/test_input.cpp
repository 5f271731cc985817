// The input manager: one record per poll, the last one kept, the cursor following the pointer,
// and the frame pacing every loop uses.
#include <gtest/gtest.h>

#include "game/console.h"
#include "game/input.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

TEST(PollInput, WithNothingWaitingOnlyTheFlagsAreCleared)
{
    UiHarness ui;
    PlatformInputRecord rec = {};
    rec.m_kind = PLATFORM_RECORD_MOUSE;
    rec.m_x = 12;
    rec.m_y = 7;
    rec.m_buttons = PLATFORM_BUTTON_RIGHT;
    rec.m_flags = PLATFORM_DOUBLE_CLICK;
    HeadlessPushInput(rec);
    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_MOUSE);
    EXPECT_EQ(g_inputState.m_nFlags, (uint32_t)INPUT_FLAG_DOUBLE_CLICK);

    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_MOUSE);  // the last record is seen again
    EXPECT_EQ(g_inputState.m_nX, 12);
    EXPECT_EQ(g_inputState.m_nY, 7);
    EXPECT_EQ(g_inputState.m_nButtons, (uint32_t)PLATFORM_BUTTON_RIGHT);
    EXPECT_EQ(g_inputState.m_nFlags, 0u);
}

TEST(PollInput, OneRecordIsTakenPerPoll)
{
    UiHarness ui;
    HeadlessClick(3, 4);
    PollInput();
    EXPECT_EQ(g_inputState.m_nButtons, (uint32_t)PLATFORM_BUTTON_LEFT);
    EXPECT_EQ(HeadlessPendingInput(), 1);
    PollInput();
    EXPECT_EQ(g_inputState.m_nButtons, 0u);
}

TEST(PollInput, AWheelRecordKeepsThePositionAndTheCursor)
{
    UiHarness ui;
    HeadlessMoveMouse(20, 30);
    PollInput();
    HeadlessWheel(50, 5, -120);
    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_MOUSE);
    EXPECT_EQ(g_inputState.m_nFlags, (uint32_t)INPUT_FLAG_WHEELED);
    EXPECT_EQ((int16_t)(g_inputState.m_nButtons >> 16), -120);
    EXPECT_EQ(g_inputState.m_nX, 20);
    EXPECT_EQ(g_inputState.m_nY, 30);
    EXPECT_EQ(g_pCursorSprite->m_x, 19);
    EXPECT_EQ(g_pCursorSprite->m_y, 29);
}

TEST(PollInput, AKeyReleaseKeepsTheKeyCodeButIsNoLongerAKey)
{
    UiHarness ui;
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_KEY);
    EXPECT_EQ(g_inputState.m_nButtons, (uint32_t)PLATFORM_VK_ESCAPE);
    PollInput();
    EXPECT_EQ(g_inputState.m_nKind, INPUT_KIND_OTHER);
    EXPECT_EQ(g_inputState.m_nButtons, (uint32_t)PLATFORM_VK_ESCAPE);
}

TEST(PollInput, TheCursorIsCentredOnThePointer)
{
    UiHarness ui;
    HeadlessMoveMouse(0, 0);
    PollInput();
    EXPECT_EQ(g_pCursorSprite->m_x, -1);
    EXPECT_EQ(g_pCursorSprite->m_y, -1);
    HeadlessMoveMouse(79, 49);
    PollInput();
    EXPECT_EQ(g_pCursorSprite->m_x, 78);
    EXPECT_EQ(g_pCursorSprite->m_y, 48);
}

TEST(FramePacing, AFrameLastsSixteenMillisecondsAndALateOneSkipsToTheNextBoundary)
{
    UiHarness ui;
    HeadlessSetClock(1000);
    uint32_t deadline = FrameDeadline();
    EXPECT_EQ(deadline, 1016u);
    FrameWait(deadline);
    EXPECT_EQ(HeadlessClock(), 1016u);

    // Work that overran the frame by 25 ms: the frames it missed are dropped, not made up.
    deadline = FrameDeadline();
    HeadlessSetClock(1016 + 41);
    FrameWait(deadline);
    EXPECT_EQ(HeadlessClock(), 1016u + 48);

    // A deadline met exactly needs no sleep.
    deadline = FrameDeadline();
    HeadlessSetClock(deadline);
    FrameWait(deadline);
    EXPECT_EQ(HeadlessClock(), deadline);

    // The clock may wrap around.
    HeadlessSetClock(0xFFFFFFF8u);
    deadline = FrameDeadline();
    FrameWait(deadline);
    EXPECT_EQ(HeadlessClock(), 8u);
}

}  // namespace
