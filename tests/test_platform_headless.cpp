// The headless backend that game tests run on: scripted input, a virtual clock, captured frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/headless.h"

namespace {

std::vector<PlatformInputRecord> Drain()
{
    std::vector<PlatformInputRecord> out;
    PlatformInputRecord rec;
    while (PlatformReadInput(&rec))
        out.push_back(rec);
    return out;
}

std::vector<PlatformCell> Blank(int cols, int rows) { return std::vector<PlatformCell>((size_t)(cols * rows), PlatformCell{' ', 0x07}); }

void Write(std::vector<PlatformCell> &cells, int cols, int x, int y, const char *pText, unsigned char attr)
{
    for (; *pText; pText++, x++)
        cells[(size_t)(y * cols + x)] = PlatformCell{(unsigned char)*pText, attr};
}

}  // namespace

TEST(PlatformHeadless, ReportsItsSizeAndAnswersTheResizeQuestion)
{
    HeadlessInstall(79, 50);
    int cols = 0, rows = 0;
    const char *pCall = nullptr;
    EXPECT_EQ(PlatformGetConsoleSize(&cols, &rows, &pCall), 0);
    EXPECT_EQ(cols, 79);
    EXPECT_EQ(rows, 50);
    EXPECT_EQ(PlatformReadAnswerChar(), EOF);
    HeadlessSetAnswer("y\n");
    EXPECT_EQ(PlatformReadAnswerChar(), 'y');
    EXPECT_EQ(PlatformReadAnswerChar(), '\n');
    EXPECT_EQ(PlatformReadAnswerChar(), EOF);
    PlatformRequestConsoleSize(80, 50);
    HeadlessRequestedSize(&cols, &rows);
    EXPECT_EQ(cols, 80);
    EXPECT_EQ(rows, 50);

    EXPECT_EQ(PlatformEnterScreen(&pCall), 0);
    EXPECT_TRUE(HeadlessEntered());
    EXPECT_EQ(PlatformSetTitle("Vostrel", &pCall), 0);
    EXPECT_STREQ(HeadlessTitle(), "Vostrel");
    EXPECT_EQ(PlatformIsFullScreen(), 0);
    HeadlessSetFullScreen(1);
    EXPECT_EQ(PlatformIsFullScreen(), 1);
    PlatformLeaveScreen();
    EXPECT_FALSE(HeadlessEntered());

    // Installing again starts from scratch.
    HeadlessInstall(80, 50);
    EXPECT_EQ(PlatformIsFullScreen(), 0);
    EXPECT_STREQ(HeadlessTitle(), "");
}

TEST(PlatformHeadless, ScriptedFailuresNameTheCallOnce)
{
    HeadlessInstall(80, 50);
    HeadlessSetFailure(HEADLESS_FAIL_ENTER, "tcsetattr", EIO);
    const char *pCall = nullptr;
    EXPECT_EQ(PlatformEnterScreen(&pCall), EIO);
    EXPECT_STREQ(pCall, "tcsetattr");
    EXPECT_FALSE(HeadlessEntered());
    EXPECT_EQ(PlatformEnterScreen(&pCall), 0);

    HeadlessSetFailure(HEADLESS_FAIL_GET_SIZE, "ioctl", ENOTTY);
    int cols, rows;
    EXPECT_EQ(PlatformGetConsoleSize(&cols, &rows, &pCall), ENOTTY);
    EXPECT_STREQ(pCall, "ioctl");
    HeadlessSetFailure(HEADLESS_FAIL_TITLE, "write", EBADF);
    EXPECT_EQ(PlatformSetTitle("Vostrel", &pCall), EBADF);
    EXPECT_STREQ(HeadlessTitle(), "");
}

TEST(PlatformHeadless, InputIsHandedOutOneRecordPerPoll)
{
    HeadlessInstall(80, 50);
    HeadlessClick(52, 46);
    EXPECT_EQ(HeadlessPendingInput(), 2);
    PlatformInputRecord rec;
    ASSERT_TRUE(PlatformReadInput(&rec));
    EXPECT_EQ(rec.m_kind, PLATFORM_RECORD_MOUSE);
    EXPECT_EQ(rec.m_x, 52);
    EXPECT_EQ(rec.m_y, 46);
    EXPECT_EQ(rec.m_buttons, (uint32_t)PLATFORM_BUTTON_LEFT);
    EXPECT_EQ(HeadlessPendingInput(), 1);
    ASSERT_TRUE(PlatformReadInput(&rec));
    EXPECT_EQ(rec.m_buttons, 0u);
    EXPECT_EQ(rec.m_flags, 0u);
    EXPECT_FALSE(PlatformReadInput(&rec));
}

TEST(PlatformHeadless, HelpersScriptWhatAConsoleWouldDeliver)
{
    HeadlessInstall(80, 50);
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    std::vector<PlatformInputRecord> r = Drain();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_kind, PLATFORM_RECORD_KEY);
    EXPECT_EQ(r[0].m_vk, (uint32_t)PLATFORM_VK_ESCAPE);
    EXPECT_EQ(r[1].m_kind, PLATFORM_RECORD_OTHER);

    HeadlessDoubleClick(3, 4);
    r = Drain();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[2].m_buttons, (uint32_t)PLATFORM_BUTTON_LEFT);
    EXPECT_EQ(r[2].m_flags, (uint32_t)PLATFORM_DOUBLE_CLICK);
    EXPECT_EQ(r[0].m_flags | r[1].m_flags | r[3].m_flags, 0u);

    HeadlessClick(9, 9, PLATFORM_BUTTON_RIGHT);
    r = Drain();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_buttons, (uint32_t)PLATFORM_BUTTON_RIGHT);

    HeadlessWheel(10, 11, -120);
    r = Drain();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_flags, (uint32_t)PLATFORM_MOUSE_WHEELED);
    EXPECT_EQ((int16_t)(r[0].m_buttons >> 16), -120);

    // A drag walks every cell between its ends with the button held.
    HeadlessDrag(10, 10, 14, 12, PLATFORM_BUTTON_MIDDLE);
    r = Drain();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[0].m_flags, 0u);
    EXPECT_EQ(r[0].m_buttons, (uint32_t)PLATFORM_BUTTON_MIDDLE);
    for (size_t i = 1; i < 5; i++) {
        EXPECT_EQ(r[i].m_flags, (uint32_t)PLATFORM_MOUSE_MOVED);
        EXPECT_EQ(r[i].m_buttons, (uint32_t)PLATFORM_BUTTON_MIDDLE);
        EXPECT_EQ(r[i].m_x, 10 + (int)i);
        EXPECT_LE(std::abs(r[i].m_y - r[i - 1].m_y), 1);
    }
    EXPECT_EQ(r[4].m_y, 12);
    EXPECT_EQ(r[5].m_x, 14);
    EXPECT_EQ(r[5].m_y, 12);
    EXPECT_EQ(r[5].m_buttons, 0u);

    HeadlessDrag(5, 5, 5, 2);
    r = Drain();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[3].m_y, 2);
    EXPECT_EQ(r[3].m_x, 5);
}

TEST(PlatformHeadless, ClockMovesOnlyWhenTheGameSleeps)
{
    HeadlessInstall(80, 50);
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
    EXPECT_EQ(HeadlessRowText(0), "");
    std::vector<PlatformCell> cells = Blank(80, 50);
    Write(cells, 80, 52, 46, " End Turn ", 0x0B);
    cells[45 * 80 + 51] = PlatformCell{0xC9, 0x0B};
    PlatformPresent(cells.data(), 80, 50);
    Write(cells, 80, 52, 46, " Zoom Out ", 0x0B);
    PlatformPresent(cells.data(), 80, 50);
    EXPECT_EQ(HeadlessFrameCount(), 2);

    int x = -1, y = -1;
    EXPECT_TRUE(HeadlessFindText(" Zoom Out ", &x, &y));
    EXPECT_EQ(x, 52);
    EXPECT_EQ(y, 46);
    EXPECT_FALSE(HeadlessFindText(" End Turn ", &x, &y));
    const HeadlessFrame *pBefore = HeadlessGetFrame(1);
    ASSERT_NE(pBefore, nullptr);
    EXPECT_TRUE(HeadlessFindText(" End Turn ", &x, &y, pBefore));
    EXPECT_EQ(HeadlessGetFrame(2), nullptr);

    EXPECT_EQ(HeadlessCellAt(52, 46).m_attr, 0x0B);
    EXPECT_EQ(HeadlessCellAt(80, 0).m_ch, 0);  // outside
    std::string row = HeadlessRowText(45);
    EXPECT_EQ(row, std::string(51, ' ') + "\u2554" + std::string(28, ' '));
    std::string text = HeadlessScreenText();
    EXPECT_NE(text.find(" Zoom Out "), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 50);

    // Only the most recent frames are kept, so long runs stay small.
    for (int i = 0; i < HEADLESS_FRAMES_KEPT + 10; i++)
        PlatformPresent(cells.data(), 80, 50);
    EXPECT_EQ(HeadlessFrameCount(), HEADLESS_FRAMES_KEPT + 12);
    EXPECT_NE(HeadlessGetFrame(HEADLESS_FRAMES_KEPT - 1), nullptr);
    EXPECT_EQ(HeadlessGetFrame(HEADLESS_FRAMES_KEPT), nullptr);
}
