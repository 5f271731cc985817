#include "game/ui/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/evutils.h"
#include "game/core/input.h"
#include "game/core/messagelog.h"
#include "game/ui/uiutils.h"

int g_wmViewMode = WM_MODE_NONE;
Scroller *g_pMainView = nullptr;
Scroller *g_pLeftView = nullptr;
Scroller *g_pRightView = nullptr;
Scroller *g_pInfoView = nullptr;
Coord g_infoViewPos = {0, 0};
Surface *g_pSideBar = nullptr;
Surface *g_pBottomBar = nullptr;
Scroller *g_pLogView = nullptr;
Button *g_pBarButtons[BAR_SLOTS] = {nullptr, nullptr};
int g_cBarButtons = 0;
Button **g_ppSideButtons = nullptr;
int g_cSideButtons = 0;
Button *g_pMgmtButton = nullptr;
void (*g_pfnInfoViewClick)(void) = nullptr;

static const Cell SCREEN_CLEAR = {' ', 0x0B};
static const Cell LOG_FILL = {' ', 0x0B};

// Dispatch state of the bar group and of the side group.
static int s_barPressed = 0;
static Button *s_pBarCurrent = nullptr;
static int s_sidePressed = 0;
static Button *s_pSideCurrent = nullptr;

/* The message log view. */

// The spare room behind the one content surface the log has grown. It is trusted only while the
// surface and its cell array are the ones it was recorded for.
static Surface *s_pGrownContent = nullptr;
static Cell *s_pGrownCells = nullptr;
static long long s_grownCapacity = 0;  // cells

void LogViewForget(Surface *pContent)
{
    if (pContent == s_pGrownContent) {
        s_pGrownContent = nullptr;
        s_pGrownCells = nullptr;
        s_grownCapacity = 0;
    }
}

// A content the log has not grown before is first made to look as if it had been blitted onto
// the log's fill with the shared transparent cell, as every older line of a grown log has been.
static void AdoptLogContent(Surface *pContent)
{
    Surface *pCopy = CreateSurface(pContent->m_nWidth, pContent->m_nHeight);
    FillSurface(pCopy, LOG_FILL);
    BlitSurface(&g_origin, pCopy, pContent, &g_transCell);
    size_t count = (size_t)pContent->m_nWidth * (size_t)pContent->m_nHeight;
    memcpy(pContent->m_pCells, pCopy->m_pCells, count * sizeof(Cell));
    DestroySurface(&pCopy);
    s_pGrownContent = pContent;
    s_pGrownCells = pContent->m_pCells;
    s_grownCapacity = (long long)count;
}

// Surfaces keep their cells in a plain heap array (2dutils), so the log may enlarge it in place.
static void ReserveLogCells(Surface *pContent, long long cells)
{
    if (cells <= s_grownCapacity)
        return;
    long long capacity = s_grownCapacity * 2;
    if (capacity < cells)
        capacity = cells;
    Cell *pCells = (Cell *)realloc(pContent->m_pCells, (size_t)capacity * sizeof(Cell));
    V_ASSERT(pCells != NULL);
    pContent->m_pCells = pCells;
    s_pGrownCells = pCells;
    s_grownCapacity = capacity;
}

void LogViewAppend(Scroller *pLogView, const char *pText, unsigned char attr)
{
    V_ASSERT(pLogView != NULL && pText != NULL);
    Surface *pContent = pLogView->m_pContent;
    if (pContent != s_pGrownContent || pContent->m_pCells != s_pGrownCells)
        AdoptLogContent(pContent);

    int width = pContent->m_nWidth;
    Cell *pCells = MakeCellString(pText, attr);
    Surface *pWrapped = WrapText(pCells, width);
    int oldHeight = pContent->m_nHeight;
    if (oldHeight + pWrapped->m_nHeight > LOG_VIEW_MAX_LINES) {
        // Dropped in one batch, so that the move is paid once per hundreds of messages.
        int keep = std::max(0, std::min(oldHeight, LOG_VIEW_KEPT_LINES - pWrapped->m_nHeight));
        memmove(pContent->m_pCells, &pContent->m_pCells[(size_t)(oldHeight - keep) * width],
                (size_t)keep * width * sizeof(Cell));
        oldHeight = keep;
    }
    int newHeight = oldHeight + pWrapped->m_nHeight;
    ReserveLogCells(pContent, (long long)newHeight * width);

    pContent->m_nHeight = newHeight;
    Cell *pNewRows = &pContent->m_pCells[(size_t)oldHeight * width];
    for (size_t c = 0; c < (size_t)pWrapped->m_nHeight * width; c++)
        pNewRows[c] = LOG_FILL;
    Coord at = {0, oldHeight};
    BlitSurface(&at, pContent, pWrapped, &g_transCell);
    pLogView->m_nScrollY = oldHeight - pLogView->m_pView->m_nHeight + pWrapped->m_nHeight;

    DestroySurface(&pWrapped);
    free(pCells);
}

/* The game screen. */

Coord LogViewPos(void)
{
    V_ASSERT(g_pScreen != NULL);
    return Coord{LOG_VIEW_X, g_pScreen->m_nHeight - LOG_VIEW_HEIGHT};
}

void InitWindowManager(void)
{
    printf("Initializing window manager...");
    V_ASSERT(g_pScreen != NULL);
    FillSurface(g_pScreen, SCREEN_CLEAR);
    g_wmViewMode = WM_MODE_NONE;
    s_barPressed = s_sidePressed = 0;
    s_pBarCurrent = s_pSideCurrent = nullptr;
    ResetScrollerDrags();
    printf("done.\n");
}

void ShutdownWindowManager(void)
{
    if (g_pScreen) {
        FillSurface(g_pScreen, SCREEN_CLEAR);
        PresentScreen(g_pScreen);
    }
    printf("Shutting down window manager...");
    printf("done.\n");
}

static void AppendToLogView(const char *pText, unsigned char attr)
{
    if (g_pLogView)
        LogViewAppend(g_pLogView, pText, attr);
}

// A frame of the style, blitted onto the screen, leaves the bar's border lines; the bar surface
// itself is the frame's inside less one more column.
static Surface *MakeBar(FrameStyle *pStyle, Coord frameAt, Coord frameSize, Coord barSize)
{
    Surface *pFrame = BuildFrame(pStyle, &frameSize);
    BlitSurface(&frameAt, g_pScreen, pFrame, nullptr);
    DestroySurface(&pFrame);
    Surface *pBar = CreateSurface(barSize.m_x, barSize.m_y);
    FillSurface(pBar, pStyle->m_pCells[FRAME_FILL]);
    return pBar;
}

static Button *MakeBarButton(FrameStyle *pStyle, const char *pText, ButtonCallback pfnCallback, int x, int y)
{
    Button *pButton = nullptr;
    Coord at = {x, y};
    int rc = CreateButton(&pButton, nullptr, nullptr, 0, 0, pfnCallback, pText, (int)strlen(pText), pStyle, &at,
                          nullptr);
    V_ASSERT(rc == 0);
    return pButton;
}

void CreateMainScreen(ButtonCallback pfnManage, ButtonCallback pfnEndTurn, ButtonCallback pfnZoomOut)
{
    V_ASSERT(g_pScreen != NULL);
    int sw = g_pScreen->m_nWidth, sh = g_pScreen->m_nHeight;
    FrameStyle *pStyle = nullptr;

    int rc = CreateBarStyle(&pStyle, 0x10);
    V_ASSERT(rc == 0);
    g_pBottomBar = MakeBar(pStyle, Coord{-1, sh - 9}, Coord{sw - 13, 10}, Coord{sw - 16, 8});
    DestroyFrameStyle(&pStyle);

    rc = CreateBarStyle(&pStyle, 0x40);
    V_ASSERT(rc == 0);
    g_pSideBar = MakeBar(pStyle, Coord{sw - 16, -1}, Coord{17, sh + 2}, Coord{15, sh});
    DestroyFrameStyle(&pStyle);

    int logViewWidth = g_pBottomBar->m_nWidth - 33;
    Surface *pLog = CreateSurface(logViewWidth - 1, 1);
    FillSurface(pLog, Cell{' ', 0x0C});
    rc = CreateScroller(&g_pLogView, logViewWidth, LOG_VIEW_HEIGHT, pLog, 0, 0);
    V_ASSERT(rc == 0);
    MessageSetListener(AppendToLogView);
    AddMessage("Welcome to Vostrel!", 0x0F);

    rc = CreateBoxStyle(&pStyle, 0x0B);
    V_ASSERT(rc == 0);
    g_pBarButtons[BAR_SLOT_END_TURN] = MakeBarButton(pStyle, " End Turn ", pfnEndTurn, sw - 28, sh - 4);
    g_pMgmtButton = MakeBarButton(pStyle, "  Mgmt.  ", pfnManage, sw - 28, sh - 4);
    g_pBarButtons[BAR_SLOT_ZOOM_OUT] = MakeBarButton(pStyle, " Zoom Out ", pfnZoomOut, sw - 28, sh - 8);
    DestroyFrameStyle(&pStyle);
    g_cBarButtons = 1;
    s_barPressed = 0;
    s_pBarCurrent = nullptr;
    SetSideButtons(nullptr, 0);
}

// The side buttons and the info view belong to the game screens: they are only forgotten here.
void DestroyMainScreen(void)
{
    DestroyScroller(&g_pMainView);
    DestroyScroller(&g_pLeftView);
    DestroyScroller(&g_pRightView);
    DestroySurface(&g_pSideBar);
    DestroySurface(&g_pBottomBar);
    MessageSetListener(nullptr);
    if (g_pLogView) {
        LogViewForget(g_pLogView->m_pContent);
        DestroySurface(&g_pLogView->m_pContent);
        DestroyScroller(&g_pLogView);
    }
    for (int i = 0; i < BAR_SLOTS; i++)
        DestroyButton(&g_pBarButtons[i]);
    DestroyButton(&g_pMgmtButton);
    g_cBarButtons = 0;
    s_barPressed = 0;
    s_pBarCurrent = nullptr;
    SetSideButtons(nullptr, 0);
    g_pInfoView = nullptr;
    g_wmViewMode = WM_MODE_NONE;
}

static void ReplaceView(Scroller **ppView, int width, int height, Surface *pContent)
{
    V_ASSERT(pContent != NULL);
    DestroyScroller(ppView);
    int rc = CreateScroller(ppView, width, height, pContent, 0, 0);
    V_ASSERT(rc == 0);
}

void SetMainView(Surface *pContent)
{
    V_ASSERT(g_pScreen != NULL);
    ReplaceView(&g_pMainView, g_pScreen->m_nWidth - 16, g_pScreen->m_nHeight - 9, pContent);
    DestroyScroller(&g_pLeftView);
    DestroyScroller(&g_pRightView);
    g_wmViewMode = WM_MODE_ONE_VIEW;
}

static void SetHalfView(Scroller **ppView, Surface *pContent)
{
    V_ASSERT(g_pScreen != NULL);
    int width = (int)((g_pScreen->m_nWidth - 16) / 2.0 + 0.5);
    int height = (int)(g_pScreen->m_nHeight - 9 + 0.5);
    ReplaceView(ppView, width, height, pContent);
    DestroyScroller(&g_pMainView);
    g_wmViewMode = WM_MODE_TWO_VIEWS;
}

void SetLeftView(Surface *pContent) { SetHalfView(&g_pLeftView, pContent); }
void SetRightView(Surface *pContent) { SetHalfView(&g_pRightView, pContent); }

// Un-lights the button a press was on, then forgets the press.
static void ForgetPress(int *pPressed, Button **ppCurrent)
{
    if (*ppCurrent && !(*ppCurrent)->m_bSticky && (*ppCurrent)->m_bHighlighted)
        ToggleButton(*ppCurrent);
    *pPressed = 0;
    *ppCurrent = nullptr;
}

// The old group may already be gone, so its current button is only forgotten, never touched.
void SetSideButtons(Button **ppButtons, int count)
{
    V_ASSERT(count >= 0 && (count == 0 || ppButtons != NULL));
    g_ppSideButtons = ppButtons;
    g_cSideButtons = count;
    s_sidePressed = 0;
    s_pSideCurrent = nullptr;
}

void SetSideButtonCount(int count)
{
    V_ASSERT(count >= 0 && (count == 0 || g_ppSideButtons != NULL));
    if (count != g_cSideButtons)
        ForgetPress(&s_sidePressed, &s_pSideCurrent);
    g_cSideButtons = count;
}

void SetBarButtonCount(int count)
{
    V_ASSERT(count >= 0 && count <= BAR_SLOTS);
    if (count != g_cBarButtons)
        ForgetPress(&s_barPressed, &s_pBarCurrent);
    g_cBarButtons = count;
}

static void BlitAt(Surface *pSurface, int x, int y)
{
    Coord at = {x, y};
    BlitSurface(&at, g_pScreen, pSurface, nullptr);
}

// Every view and bar is redrawn from scratch; the log is rendered every frame so that a new
// message shows at once.
static void DrawGameScreen(void)
{
    int sideX = 0, bottomY = 0;
    if (g_wmViewMode == WM_MODE_ONE_VIEW && g_pMainView) {
        RenderScroller(g_pMainView);
        BlitAt(g_pMainView->m_pView, 0, 0);
        sideX = g_pMainView->m_pView->m_nWidth + 1;
        bottomY = g_pMainView->m_pView->m_nHeight + 1;
    } else if (g_wmViewMode == WM_MODE_TWO_VIEWS) {
        int leftW = 0, rightW = 0, leftH = 0;
        if (g_pLeftView) {
            RenderScroller(g_pLeftView);
            BlitAt(g_pLeftView->m_pView, 0, 0);
            leftW = g_pLeftView->m_pView->m_nWidth;
            leftH = g_pLeftView->m_pView->m_nHeight;
        }
        if (g_pRightView) {
            RenderScroller(g_pRightView);
            BlitAt(g_pRightView->m_pView, leftW, 0);
            rightW = g_pRightView->m_pView->m_nWidth;
            leftH = leftH ? leftH : g_pRightView->m_pView->m_nHeight;
        }
        sideX = leftW + rightW + 1;
        bottomY = leftH + 1;
    }
    if (g_pSideBar)
        BlitAt(g_pSideBar, sideX, 0);
    if (g_pBottomBar)
        BlitAt(g_pBottomBar, 0, bottomY);
    if (g_pLogView) {
        RenderScroller(g_pLogView);
        Coord at = LogViewPos();
        BlitAt(g_pLogView->m_pView, at.m_x, at.m_y);
    }
    if (g_pInfoView)
        BlitAt(g_pInfoView->m_pView, g_infoViewPos.m_x, g_infoViewPos.m_y);
    for (int i = 0; i < g_cSideButtons; i++)
        DrawButton(g_ppSideButtons[i], g_pScreen);
    for (int i = 0; i < g_cBarButtons; i++)
        DrawButton(g_pBarButtons[i], g_pScreen);
}

static void HandleGameScreenMouse(EventQueue *pQueue)
{
    MouseState mouse = MouseStateFromInput();
    int x = mouse.m_nX, y = mouse.m_nY;
    if (g_pInfoView) {
        HandleScrollerMouse(&mouse, x, y, g_pInfoView, g_infoViewPos.m_x, g_infoViewPos.m_y, g_pScreen, pQueue);
        if (g_pfnInfoViewClick)
            g_pfnInfoViewClick();
    }
    if (g_wmViewMode == WM_MODE_ONE_VIEW) {
        if (g_pMainView)
            HandleScrollerMouse(&mouse, x, y, g_pMainView, 0, 0, g_pScreen, pQueue);
        if (g_pLogView) {
            Coord at = LogViewPos();
            HandleScrollerMouse(&mouse, x, y, g_pLogView, at.m_x, at.m_y, g_pScreen, nullptr);
        }
    } else {
        if (g_pLeftView)
            HandleScrollerMouse(&mouse, x, y, g_pLeftView, 0, 0, g_pScreen, pQueue);
        if (g_pRightView) {
            int leftW = g_pLeftView ? g_pLeftView->m_pView->m_nWidth : 0;
            HandleScrollerMouse(&mouse, x, y, g_pRightView, leftW, 0, g_pScreen, pQueue);
        }
    }
    HandleButtons(&mouse, x, y, g_pBarButtons, g_cBarButtons, g_pScreen, &s_barPressed, &s_pBarCurrent);
    if (g_cSideButtons != 0)
        HandleButtons(&mouse, x, y, g_ppSideButtons, g_cSideButtons, g_pScreen, &s_sidePressed, &s_pSideCurrent);
}

// With no game screen a held button is posted in screen coordinates, the left before the middle
// before the right, and a double click besides.
static void PostScreenMouse(EventQueue *pQueue)
{
    const InputState &in = g_inputState;
    if (in.m_nButtons == INPUT_BUTTON_LEFT)
        PostMouseEvent(EV_LEFT_BUTTON, in.m_nX, in.m_nY, 0, 0, g_pScreen, pQueue);
    else if (in.m_nButtons == INPUT_BUTTON_MIDDLE)
        PostMouseEvent(EV_MIDDLE_BUTTON, in.m_nX, in.m_nY, 0, 0, g_pScreen, pQueue);
    else if (in.m_nButtons == INPUT_BUTTON_RIGHT)
        PostMouseEvent(EV_RIGHT_BUTTON, in.m_nX, in.m_nY, 0, 0, g_pScreen, pQueue);
    if (in.m_nFlags == INPUT_FLAG_DOUBLE_CLICK)
        PostMouseEvent(EV_DOUBLE_CLICK, in.m_nX, in.m_nY, 0, 0, g_pScreen, pQueue);
}

// The arrows scroll the main (or left) view; the keypad scrolls the right one in two-view mode
// and the main one otherwise. Any other key is the game's.
static void HandleGameScreenKey(EventQueue *pQueue)
{
    uint32_t key = g_inputState.m_nButtons;
    Scroller *pArrowView = g_wmViewMode == WM_MODE_ONE_VIEW ? g_pMainView : g_pLeftView;
    Scroller *pPadView = g_wmViewMode == WM_MODE_TWO_VIEWS ? g_pRightView : pArrowView;
    bool arrow = key >= KEY_LEFT && key <= KEY_DOWN;
    bool pad = key == KEY_NUMPAD4 || key == KEY_NUMPAD8 || key == KEY_NUMPAD6 || key == KEY_NUMPAD2;
    if (!arrow && !pad) {
        PostKeyEvent(EV_KEY, key, g_pScreen, pQueue);
        return;
    }
    Scroller *pView = arrow ? pArrowView : pPadView;
    if (pView == nullptr)
        return;
    if (key == KEY_LEFT || key == KEY_NUMPAD4)
        ScrollHorizontal(pView, -1);
    else if (key == KEY_RIGHT || key == KEY_NUMPAD6)
        ScrollHorizontal(pView, 1);
    else if (key == KEY_UP || key == KEY_NUMPAD8)
        ScrollVertical(pView, -1);
    else
        ScrollVertical(pView, 1);
}

// The input state is acted on whether or not the poll found a new record: a held key or button
// keeps acting every frame until the next record arrives.
void UpdateWindowManager(EventQueue *pQueue)
{
    V_ASSERT(pQueue != NULL);
    V_ASSERT(g_pScreen != NULL);
    if (g_wmViewMode != WM_MODE_NONE)
        DrawGameScreen();
    PollInput();
    if (g_inputState.m_nKind == INPUT_KIND_MOUSE) {
        if (g_wmViewMode != WM_MODE_NONE)
            HandleGameScreenMouse(pQueue);
        else
            PostScreenMouse(pQueue);
    } else if (g_inputState.m_nKind == INPUT_KIND_KEY && g_wmViewMode != WM_MODE_NONE) {
        HandleGameScreenKey(pQueue);
    }
}
