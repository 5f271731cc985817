#include "game/ui/dialog.h"

#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/input.h"
#include "game/ui/uiutils.h"
#include "game/ui/widgets.h"

// Dispatch state of the modal dialog's buttons; only one dialog runs at a time.
static int s_dialogPressed = 0;
static Button *s_pDialogCurrent = nullptr;

int CreateDialog(Dialog **ppDialog, FrameStyle *pStyle, Surface *pContent, Cell *pTrans, Button **ppButtons,
                 int count, Coord *pPos, DialogUpdate pfnUpdate)
{
    V_ASSERT(ppDialog != NULL);
    *ppDialog = nullptr;
    V_ASSERT(pStyle != NULL && pContent != NULL);
    V_ASSERT(count >= 0 && (count == 0 || ppButtons != NULL));
    Dialog *pDialog = (Dialog *)calloc(1, sizeof(Dialog));
    if (pDialog == nullptr)
        return 1;
    if (count > 0) {
        pDialog->m_ppButtons = (Button **)malloc((size_t)count * sizeof(Button *));
        if (pDialog->m_ppButtons == nullptr) {
            free(pDialog);
            return 1;
        }
        memcpy(pDialog->m_ppButtons, ppButtons, (size_t)count * sizeof(Button *));
    }
    pDialog->m_pStyle = pStyle;
    pDialog->m_pContent = pContent;
    pDialog->m_pTrans = pTrans;
    pDialog->m_cButtons = count;
    pDialog->m_pfnUpdate = pfnUpdate;
    if (pPos) {
        pDialog->m_x = pPos->m_x;
        pDialog->m_y = pPos->m_y;
    } else {
        pDialog->m_x = g_screenCentre.m_x - (pContent->m_nWidth + 2) / 2;
        pDialog->m_y = g_screenCentre.m_y - (pContent->m_nHeight + 2) / 2;
    }
    *ppDialog = pDialog;
    return 0;
}

void DestroyDialog(Dialog **ppDialog)
{
    if (ppDialog == nullptr || *ppDialog == nullptr)
        return;
    free((*ppDialog)->m_ppButtons);
    free(*ppDialog);
    *ppDialog = nullptr;
}

// Un-lights a button left lit by a press the dialog never saw released, and forgets the press:
// the next dialog must not start with this one's buttons.
static void ForgetDialogPress(void)
{
    if (s_pDialogCurrent && !s_pDialogCurrent->m_bSticky && s_pDialogCurrent->m_bHighlighted)
        ToggleButton(s_pDialogCurrent);
    s_dialogPressed = 0;
    s_pDialogCurrent = nullptr;
}

// The mouse reaches the buttons only inside the frame (its left column and top row excepted),
// but once a press has begun every record goes to them, so that moving off a button and
// releasing outside the frame cancels the click instead of leaving it armed.
static int HandleDialogMouse(Dialog *pDialog, Surface *pFrame)
{
    int x = g_inputState.m_nX - pDialog->m_x;
    int y = g_inputState.m_nY - pDialog->m_y;
    bool inFrame = 1 <= x && x < pFrame->m_nWidth && 1 <= y && y < pFrame->m_nHeight;
    if (!inFrame && !s_dialogPressed)
        return pDialog->m_cButtons;
    MouseState mouse = MouseStateFromInput();
    return HandleButtons(&mouse, x, y, pDialog->m_ppButtons, pDialog->m_cButtons, pFrame, &s_dialogPressed,
                         &s_pDialogCurrent);
}

static void DrawDialog(Dialog *pDialog, Surface *pFrame)
{
    Coord bodyAt = {1, 1};
    BlitSurface(&bodyAt, pFrame, pDialog->m_pContent, pDialog->m_pTrans);
    for (int i = 0; i < pDialog->m_cButtons; i++) {
        Sprite *pSprite = pDialog->m_ppButtons[i]->m_pSprite;
        Coord at = {pSprite->m_x, pSprite->m_y};
        BlitSurface(&at, pFrame, pSprite->m_pSurface, pSprite->m_pTrans);
    }
    Coord frameAt = {pDialog->m_x, pDialog->m_y};
    BlitSurface(&frameAt, g_pScreen, pFrame, pDialog->m_pTrans);
}

static bool IsKeyDown(uint32_t key)
{
    return g_inputState.m_nKind == INPUT_KIND_KEY && g_inputState.m_nButtons == key;
}

Button *RunDialog(Dialog *pDialog)
{
    V_ASSERT(pDialog != NULL);
    V_ASSERT(g_pScreen != NULL);
    int count = pDialog->m_cButtons;
    int result = count;
    ForgetDialogPress();

    Coord size = {pDialog->m_pContent->m_nWidth + 2, pDialog->m_pContent->m_nHeight + 2};
    Surface *pFrame = BuildFrame(pDialog->m_pStyle, &size);
    // What lies under the frame; a frame hanging off the screen saves only what is on it.
    Surface *pBackup = CreateSurface(size.m_x, size.m_y);
    FillSurface(pBackup, Cell{' ', 0x00});
    CopySurfaceRect(g_pScreen, pDialog->m_x, pDialog->m_y, pBackup);
    Coord frameAt = {pDialog->m_x, pDialog->m_y};
    BlitSurface(&frameAt, g_pScreen, pFrame, pDialog->m_pTrans);

    // Escape closes the dialog with no button, as its DONE, CANCEL or EXIT would, and Enter
    // answers a dialog of one button (a message box) with that button: each a fresh press, not
    // the one that may have opened it.
    bool bEscapeReleased = !IsKeyDown(KEY_ESCAPE);
    bool bEnterReleased = !IsKeyDown(KEY_RETURN);
    while (result == count) {
        uint32_t deadline = FrameDeadline();
        PollInput();
        if (g_inputState.m_nKind == INPUT_KIND_MOUSE)
            result = HandleDialogMouse(pDialog, pFrame);
        if (!IsKeyDown(KEY_ESCAPE))
            bEscapeReleased = true;
        else if (bEscapeReleased)
            result = -1;
        if (!IsKeyDown(KEY_RETURN))
            bEnterReleased = true;
        else if (bEnterReleased && count == 1)
            result = 0;
        if (pDialog->m_pfnUpdate) {
            int chosen = pDialog->m_pfnUpdate(pDialog);
            if (chosen != count)
                result = chosen;
        }
        DrawDialog(pDialog, pFrame);
        PresentScreen(g_pScreen);
        BlitSurface(&frameAt, g_pScreen, pBackup, nullptr);
        FrameWait(deadline);
    }

    PresentScreen(g_pScreen);
    DestroySurface(&pBackup);
    DestroySurface(&pFrame);
    ForgetDialogPress();
    return result >= 0 && result < count ? pDialog->m_ppButtons[result] : nullptr;
}

void SetDialogUpdate(Dialog *pDialog, DialogUpdate pfnUpdate, void *pUser)
{
    V_ASSERT(pDialog != NULL);
    pDialog->m_pfnUpdate = pfnUpdate;
    pDialog->m_pUser = pUser;
}

/* Message box. */

void MessageBox(const char *pText)
{
    V_ASSERT(pText != NULL);
    FrameStyle *pStyle = nullptr;
    int rc = CreateBoxStyle(&pStyle, 0x0B);
    V_ASSERT(rc == 0);
    Surface *pBody = CreateSurface(60, 20);
    FillSurface(pBody, pStyle->m_pCells[FRAME_FILL]);

    Button *pOk = nullptr;
    Coord okAt = {28, 16};
    rc = CreateButton(&pOk, nullptr, nullptr, 0, 0, nullptr, " OK ", 4, pStyle, &okAt, &g_transCell);
    V_ASSERT(rc == 0);

    Cell *pCells = MakeCellString(pText, 0x0B);
    Surface *pWrapped = WrapText(pCells, 58);
    Coord textAt = {1, 1};
    BlitSurface(&textAt, pBody, pWrapped, &g_transCell);
    DestroySurface(&pWrapped);
    free(pCells);

    Dialog *pDialog = nullptr;
    rc = CreateDialog(&pDialog, pStyle, pBody, &g_transCell, &pOk, 1, nullptr, nullptr);
    V_ASSERT(rc == 0);
    RunDialog(pDialog);
    DestroyDialog(&pDialog);
    DestroyButton(&pOk);
    DestroySurface(&pBody);
    DestroyFrameStyle(&pStyle);
}
