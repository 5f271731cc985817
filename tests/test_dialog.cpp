// Modal dialogs: placement, the frame loop and its pacing, choosing a button, and the screen
// put back as it was.
#include <gtest/gtest.h>

#include "game/console.h"
#include "game/dialog.h"
#include "game/uiutils.h"
#include "game/window.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

// A dialog with a body and two text buttons, " YES " at (2, 8) and " NO " at (15, 8) of its frame.
struct TestDialog {
    UiHarness ui;
    FrameStyle *pStyle = nullptr;
    Surface *pBody = CreateSurface(30, 10);
    Button *buttons[2] = {nullptr, nullptr};
    Dialog *pDialog = nullptr;
    std::string screenBefore;

    explicit TestDialog(Coord *pPos, DialogUpdate pfnUpdate = nullptr)
    {
        EXPECT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
        FillSurface(pBody, Cell{' ', 0x0B});
        Coord yes = {2, 8}, no = {15, 8};
        EXPECT_EQ(CreateButton(&buttons[0], nullptr, nullptr, 0, 0, nullptr, " YES ", 5, pStyle, &yes, nullptr), 0);
        EXPECT_EQ(CreateButton(&buttons[1], nullptr, nullptr, 0, 0, nullptr, " NO ", 4, pStyle, &no, nullptr), 0);
        EXPECT_EQ(CreateDialog(&pDialog, pStyle, pBody, nullptr, buttons, 2, pPos, pfnUpdate), 0);
        FillSurface(g_pScreen, Cell{'.', 0x07});
        screenBefore = SurfaceBytes(g_pScreen);
    }
    ~TestDialog()
    {
        DestroyDialog(&pDialog);
        DestroyButton(&buttons[0]);
        DestroyButton(&buttons[1]);
        DestroySurface(&pBody);
        DestroyFrameStyle(&pStyle);
    }
};

int s_updates = 0;
int EndWithTheFirstButton(Dialog *) { return 0; }
int EndOnTheFifthFrame(Dialog *pDialog) { return ++s_updates == 5 ? 1 : pDialog->m_cButtons; }
int RunLateOnTheFirstFrame(Dialog *pDialog)
{
    if (++s_updates == 1)
        HeadlessSetClock(HeadlessClock() + 40);
    return s_updates == 3 ? 0 : pDialog->m_cButtons;
}
int EndWithNoButton(Dialog *) { return 7; }
int WriteTheFrameNumber(Dialog *pDialog)
{
    pDialog->m_pContent->m_pCells[0] = Cell{(unsigned char)('0' + ++s_updates), 0x0E};
    return s_updates == 3 ? 0 : pDialog->m_cButtons;
}

TEST(Dialog, ANullPositionCentresTheFrame)
{
    TestDialog d(nullptr);
    EXPECT_EQ(d.pDialog->m_x, 39 - 32 / 2);
    EXPECT_EQ(d.pDialog->m_y, 24 - 12 / 2);
    Coord at = {3, 4};
    Dialog *pPlaced = nullptr;
    ASSERT_EQ(CreateDialog(&pPlaced, d.pStyle, d.pBody, nullptr, d.buttons, 2, &at, nullptr), 0);
    EXPECT_EQ(pPlaced->m_x, 3);
    EXPECT_EQ(pPlaced->m_y, 4);
    DestroyDialog(&pPlaced);
    EXPECT_EQ(pPlaced, nullptr);
}

TEST(Dialog, AnUpdateThatChoosesOnTheFirstFrameEndsItAtOnce)
{
    TestDialog d(nullptr, EndWithTheFirstButton);
    EXPECT_EQ(RunDialog(d.pDialog), d.buttons[0]);
    EXPECT_EQ(HeadlessFrameCount(), 2);  // the one frame, then the screen put back
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);
    EXPECT_EQ(HeadlessCellAt(23, 18, HeadlessGetFrame(1)).m_ch, 0xC9);
    EXPECT_EQ(HeadlessCellAt(23, 18).m_ch, '.');
}

TEST(Dialog, ClickingAButtonChoosesIt)
{
    Coord at = {10, 5};
    TestDialog d(&at);
    HeadlessMoveMouse(40, 40);
    HeadlessClick(10 + 17, 5 + 9);
    EXPECT_EQ(UiHarness::RunDialogFor(d.pDialog, 50), d.buttons[1]);
    EXPECT_EQ(UiHarness::DialogFrames(), 3);
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);
    int x, y;
    ASSERT_TRUE(HeadlessFindText(" YES ", &x, &y, HeadlessGetFrame(1)));
    EXPECT_EQ(x, 13);
    EXPECT_EQ(y, 14);
    EXPECT_FALSE(HeadlessFindText(" YES ", &x, &y));
}

TEST(Dialog, TheFramesLeftColumnAndTopRowTakeNoClicks)
{
    Coord at = {10, 5};
    TestDialog d(&at);
    d.buttons[0]->m_pSprite->m_x = 0;  // a button over the frame's top-left corner
    d.buttons[0]->m_pSprite->m_y = 0;
    HeadlessClick(10, 6);
    HeadlessClick(11, 5);
    EXPECT_EQ(UiHarness::RunDialogFor(d.pDialog, 10), nullptr);
    HeadlessClick(11, 6);
    EXPECT_EQ(UiHarness::RunDialogFor(d.pDialog, 10), d.buttons[0]);
}

TEST(Dialog, ReleasingOutsideTheFrameCancelsThePress)
{
    Coord at = {10, 5};
    TestDialog d(&at);
    HeadlessMoveMouse(10 + 17, 5 + 9, PLATFORM_BUTTON_LEFT);  // pressed on NO
    HeadlessMoveMouse(60, 40, PLATFORM_BUTTON_LEFT);          // straight out of the frame
    HeadlessMoveMouse(60, 40);                                // released out there
    HeadlessMoveMouse(10 + 17, 5 + 9);                        // and back over NO, no button held
    EXPECT_EQ(UiHarness::RunDialogFor(d.pDialog, 200), nullptr);
    EXPECT_FALSE(d.buttons[1]->m_bHighlighted);
}

TEST(Dialog, EveryFrameLastsSixteenMillisecondsOfTheClock)
{
    s_updates = 0;
    TestDialog d(nullptr, EndOnTheFifthFrame);
    EXPECT_EQ(RunDialog(d.pDialog), d.buttons[1]);
    EXPECT_EQ(HeadlessClock(), 5u * 16);

    // A late frame drops the frames it missed and the loop keeps to the 16 ms grid.
    s_updates = 0;
    d.pDialog->m_pfnUpdate = RunLateOnTheFirstFrame;
    uint32_t start = HeadlessClock();
    EXPECT_EQ(RunDialog(d.pDialog), d.buttons[0]);
    EXPECT_EQ(HeadlessClock(), start + 48 + 2 * 16);
}

TEST(Dialog, TheBodyIsRedrawnEveryFrameSoTheUpdateMayChangeIt)
{
    s_updates = 0;
    Coord at = {10, 5};
    TestDialog d(&at, WriteTheFrameNumber);
    RunDialog(d.pDialog);
    for (int back = 1; back <= 3; back++)
        EXPECT_EQ(HeadlessCellAt(11, 6, HeadlessGetFrame(back)).m_ch, '0' + 4 - back) << back;
}

TEST(Dialog, AnIndexThatNamesNoButtonEndsItWithNone)
{
    TestDialog d(nullptr, EndWithNoButton);
    EXPECT_EQ(RunDialog(d.pDialog), nullptr);
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);
}

// A press still held when a dialog ends must not reach the next dialog, whose buttons differ
// (the first dialog's may be gone by then).
TEST(Dialog, APressHeldAtTheEndIsForgottenAndItsButtonUnlit)
{
    Coord at = {10, 5};
    s_updates = 0;
    TestDialog first(&at, EndOnTheFifthFrame);
    HeadlessMoveMouse(10 + 4, 5 + 9, PLATFORM_BUTTON_LEFT);  // held on YES
    EXPECT_EQ(RunDialog(first.pDialog), first.buttons[1]);
    EXPECT_FALSE(first.buttons[0]->m_bHighlighted);
    DestroyButton(&first.buttons[0]);

    FrameStyle *pStyle = nullptr;
    ASSERT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
    Button *pOther = nullptr;
    Coord otherAt = {20, 2};
    ASSERT_EQ(CreateButton(&pOther, nullptr, nullptr, 0, 0, nullptr, " GO ", 4, pStyle, &otherAt, nullptr), 0);
    Dialog *pSecond = nullptr;
    ASSERT_EQ(CreateDialog(&pSecond, pStyle, first.pBody, nullptr, &pOther, 1, &at, nullptr), 0);
    HeadlessMoveMouse(10 + 4, 5 + 9);  // the release, outside GO
    EXPECT_EQ(UiHarness::RunDialogFor(pSecond, 10), nullptr);
    DestroyDialog(&pSecond);
    DestroyButton(&pOther);
    DestroyFrameStyle(&pStyle);
}

}  // namespace
