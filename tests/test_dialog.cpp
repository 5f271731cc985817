// Modal dialogs: placement, ending on the update's result, presses that end outside a button or
// outlive their dialog, and the screen put back as it was.
#include "game/ui/uiutils.h"
#include "ui_harness.h"

namespace {

int s_updates = 0;
int s_framesLeft = 0;
// Keeps a dialog open for at most s_framesLeft frames, then ends it with no button.
int StopAfterFrames(Dialog *pDialog) { return --s_framesLeft <= 0 ? -1 : pDialog->m_cButtons; }
int EndWithTheFirstButton(Dialog *) { return 0; }
int EndWithNoButton(Dialog *) { return 7; }
int EndWithNoOnTheFifthFrame(Dialog *pDialog) { return ++s_updates == 5 ? 1 : pDialog->m_cButtons; }

// A dialog with a body and two text buttons, " YES " at (2, 8) and " NO " at (15, 8) of its frame,
// over a screen of dots.
struct TestDialog {
    UiHarness ui;
    FrameStyle *pStyle = nullptr;
    Surface *pBody = CreateSurface(30, 10);
    Button *buttons[2] = {nullptr, nullptr};
    Dialog *pDialog = nullptr;
    std::string screenBefore;

    explicit TestDialog(Coord *pPos, DialogUpdate pfnUpdate = StopAfterFrames, int frames = 50)
    {
        EXPECT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
        FillSurface(pBody, Cell{' ', 0x0B});
        Coord yes = {2, 8}, no = {15, 8};
        EXPECT_EQ(CreateButton(&buttons[0], nullptr, nullptr, 0, 0, nullptr, " YES ", 5, pStyle, &yes, nullptr), 0);
        EXPECT_EQ(CreateButton(&buttons[1], nullptr, nullptr, 0, 0, nullptr, " NO ", 4, pStyle, &no, nullptr), 0);
        EXPECT_EQ(CreateDialog(&pDialog, pStyle, pBody, nullptr, buttons, 2, pPos, pfnUpdate), 0);
        FillSurface(g_pScreen, Cell{'.', 0x07});
        screenBefore = SurfaceBytes(g_pScreen);
        s_updates = 0;
        s_framesLeft = frames;
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

Coord s_at = {10, 5};

}  // namespace

// A null position centres the frame and the update's result ends the dialog. Escape closes it
// with no button, as its DONE, CANCEL or EXIT would; the Escape that opened it (still the last
// record when it starts) does not.
TEST(Dialog, ANullPositionCentresTheFrameTheUpdatesResultEndsItAndAFreshEscapeClosesIt)
{
    TestDialog d(nullptr, EndWithTheFirstButton);
    EXPECT_EQ(d.pDialog->m_x, 39 - 32 / 2);
    EXPECT_EQ(d.pDialog->m_y, 24 - 12 / 2);
    EXPECT_EQ(RunDialog(d.pDialog), d.buttons[0]);
    EXPECT_EQ(HeadlessClock(), 16u);
    EXPECT_EQ(HeadlessFrameCount(), 2);  // the one frame, then the screen put back
    EXPECT_EQ(HeadlessCellAt(23, 18, HeadlessGetFrame(1)).m_ch, 0xC9);
    EXPECT_EQ(HeadlessCellAt(23, 18).m_ch, '.');
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);
    SetDialogUpdate(d.pDialog, EndWithNoButton, nullptr);  // an index that names no button ends it with none
    EXPECT_EQ(RunDialog(d.pDialog), nullptr);
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);

    SetDialogUpdate(d.pDialog, StopAfterFrames, nullptr);
    s_framesLeft = 100;
    g_inputState = InputState{INPUT_KIND_KEY, 0, 0, PLATFORM_VK_ESCAPE, 0};
    EXPECT_EQ(RunDialog(d.pDialog), nullptr);
    EXPECT_EQ(s_framesLeft, 0);  // it ran until its update ended it
    s_framesLeft = 100;
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    EXPECT_EQ(RunDialog(d.pDialog), nullptr);
    EXPECT_GT(s_framesLeft, 90);  // closed by the second press at once
    EXPECT_EQ(SurfaceBytes(g_pScreen), d.screenBefore);

    // Enter answers a dialog of one button, as a message box's OK; one of two buttons it leaves be.
    Dialog *pOne = nullptr;
    ASSERT_EQ(CreateDialog(&pOne, d.pStyle, d.pBody, nullptr, d.buttons, 1, &s_at, StopAfterFrames), 0);
    for (Dialog *pDialog : {d.pDialog, pOne}) {
        s_framesLeft = 100;
        HeadlessPressKey(PLATFORM_VK_RETURN);
        EXPECT_EQ(RunDialog(pDialog), pDialog == pOne ? d.buttons[0] : nullptr);
        EXPECT_EQ(s_framesLeft > 90, pDialog == pOne);
    }
    DestroyDialog(&pOne);
}

// A press released outside the frame is cancelled. A press still held when a dialog ends must not
// reach the next dialog, whose buttons differ (the first dialog's may be gone by then).
TEST(Dialog, APressReleasedOutsideTheFrameIsCancelledAndOneHeldAtTheEndIsForgotten)
{
    TestDialog first(&s_at, StopAfterFrames, 200);
    HeadlessMoveMouse(10 + 17, 5 + 9, PLATFORM_BUTTON_LEFT);  // pressed on NO
    HeadlessMoveMouse(60, 40, PLATFORM_BUTTON_LEFT);          // straight out of the frame
    HeadlessMoveMouse(60, 40);                                // released out there
    HeadlessMoveMouse(10 + 17, 5 + 9);                        // and back over NO, no button held
    EXPECT_EQ(RunDialog(first.pDialog), nullptr);
    EXPECT_FALSE(first.buttons[1]->m_bHighlighted);

    SetDialogUpdate(first.pDialog, EndWithNoOnTheFifthFrame, nullptr);
    HeadlessMoveMouse(10 + 4, 5 + 9, PLATFORM_BUTTON_LEFT);  // held on YES
    EXPECT_EQ(RunDialog(first.pDialog), first.buttons[1]);
    EXPECT_FALSE(first.buttons[0]->m_bHighlighted);
    DestroyButton(&first.buttons[0]);

    Button *pOther = nullptr;
    Coord otherAt = {20, 2};
    ASSERT_EQ(CreateButton(&pOther, nullptr, nullptr, 0, 0, nullptr, " GO ", 4, first.pStyle, &otherAt, nullptr), 0);
    Dialog *pSecond = nullptr;
    ASSERT_EQ(CreateDialog(&pSecond, first.pStyle, first.pBody, nullptr, &pOther, 1, &s_at, StopAfterFrames), 0);
    HeadlessMoveMouse(10 + 4, 5 + 9);  // the release, outside GO
    s_framesLeft = 10;
    EXPECT_EQ(RunDialog(pSecond), nullptr);
    DestroyDialog(&pSecond);
    DestroyButton(&pOther);
}
