#include "game/ui/window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/evutils.h"
#include "game/core/input.h"
#include "game/core/messagelog.h"
#include "game/ui/uiutils.h"
#include "platform/platform.h"

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

static const Cell VIEW_FILL = {' ', 0x0F};
static const Cell BAR_TRACK = {' ', 0x80};
static const Cell BAR_THUMB = {' ', 0xF0};
static const unsigned char BAR_ARROW_ATTR = 0xF0;
static const unsigned char CHAR_ARROW_UP = 24, CHAR_ARROW_DOWN = 25;
static const unsigned char CHAR_ARROW_RIGHT = 26, CHAR_ARROW_LEFT = 27;
static const Cell SCREEN_CLEAR = {' ', 0x0B};

// A thumb drag keeps following the pointer this many cells away from its bar.
static const int DRAG_REACH = 10;

// Shared by every scroll view: a thumb drag in progress, and the last middle-button record.
static int s_bVertDrag = 0, s_vertDragLastRow = 0;
static int s_bHorizDrag = 0, s_horizDragLastCol = 0;
static uint32_t s_panFrame = 0;
static int s_panX = 0, s_panY = 0;
static int s_bPanSeen = 0;

// Dispatch state of the bar group and of the side group.
static int s_barPressed = 0;
static Button *s_pBarCurrent = nullptr;
static int s_sidePressed = 0;
static Button *s_pSideCurrent = nullptr;

// The buttons held, without the wheel's delta that a wheel record carries in the high half of
// the button word: turning the wheel is neither a press nor a release.
static uint32_t HeldButtons(uint32_t buttonWord) { return buttonWord & 0xFFFF; }

/* Scroll views. */

// Where the content's top-left cell lies in the view: scrolled along an axis with a bar, centred
// along an axis without one. Rendering and click translation both use this, so an event names
// the content cell that is really under the pointer.
static int ContentLeft(const Scroller *s)
{
    if (s->m_bHorizBar)
        return -s->m_nScrollX;
    int shownWidth = s->m_pView->m_nWidth - s->m_bVertBar;
    return shownWidth / 2 - s->m_pContent->m_nWidth / 2;
}

static int ContentTop(const Scroller *s)
{
    if (s->m_bVertBar)
        return -s->m_nScrollY;
    int shownHeight = s->m_pView->m_nHeight - s->m_bHorizBar;
    return shownHeight / 2 - s->m_pContent->m_nHeight / 2;
}

static void SetBarCell(Surface *pBar, int index, Cell cell)
{
    int length = pBar->m_nWidth * pBar->m_nHeight;
    if (index >= 0 && index < length)
        pBar->m_pCells[index] = cell;
}

// A bar of `length` cells along one axis: track, the two arrows and the thumb [start, end).
static Surface *MakeScrollBar(int length, bool vertical, int thumbStart, int thumbEnd)
{
    Surface *pBar = vertical ? CreateSurface(1, length) : CreateSurface(length, 1);
    FillSurface(pBar, BAR_TRACK);
    SetBarCell(pBar, 0, Cell{vertical ? CHAR_ARROW_UP : CHAR_ARROW_LEFT, BAR_ARROW_ATTR});
    SetBarCell(pBar, length - 1, Cell{vertical ? CHAR_ARROW_DOWN : CHAR_ARROW_RIGHT, BAR_ARROW_ATTR});
    for (int i = thumbStart; i < thumbEnd; i++)
        SetBarCell(pBar, i, BAR_THUMB);
    return pBar;
}

void RenderScroller(Scroller *s)
{
    V_ASSERT(s != NULL && s->m_pContent != NULL);
    Surface *pView = s->m_pView, *pContent = s->m_pContent;
    int vw = pView->m_nWidth, vh = pView->m_nHeight;
    int cw = pContent->m_nWidth, ch = pContent->m_nHeight;
    FillSurface(pView, VIEW_FILL);

    s->m_bHorizBar = vw < cw;
    s->m_bVertBar = vh < ch;
    if (s->m_bVertBar && vw - 1 < cw)
        s->m_bHorizBar = 1;
    if (s->m_bHorizBar && vh - 1 < ch)
        s->m_bVertBar = 1;

    Surface *pShown = CreateSurface(vw - s->m_bVertBar, vh - s->m_bHorizBar);
    FillSurface(pShown, VIEW_FILL);
    Coord at = {ContentLeft(s), ContentTop(s)};
    BlitSurface(&at, pShown, pContent, nullptr);
    BlitSurface(&g_origin, pView, pShown, nullptr);
    DestroySurface(&pShown);

    if (s->m_bVertBar) {
        int length = vh - s->m_bHorizBar;
        s->m_nVertThumbStart = (int)((double)s->m_nScrollY / ch * (length - 2) + 1.5);
        s->m_nVertThumbEnd = (int)((double)length / ch * (length - 2) + 0.5) + s->m_nVertThumbStart;
        Surface *pBar = MakeScrollBar(length, true, s->m_nVertThumbStart, s->m_nVertThumbEnd);
        Coord barAt = {vw - 1, 0};
        BlitSurface(&barAt, pView, pBar, nullptr);
        DestroySurface(&pBar);
    }
    if (s->m_bHorizBar) {
        int length = vw - s->m_bVertBar;
        s->m_nHorizThumbStart = (int)((double)s->m_nScrollX / cw * (length - 2) + 1.0);
        s->m_nHorizThumbEnd = (int)((double)length / cw * (length - 2) + 1.0) + s->m_nHorizThumbStart;
        Surface *pBar = MakeScrollBar(length, false, s->m_nHorizThumbStart, s->m_nHorizThumbEnd);
        Coord barAt = {0, vh - 1};
        BlitSurface(&barAt, pView, pBar, nullptr);
        DestroySurface(&pBar);
    }
}

// A view needs a cell of content beside each bar it may grow.
int CreateScroller(Scroller **ppScroller, int width, int height, Surface *pContent, int scrollX, int scrollY)
{
    V_ASSERT(ppScroller != NULL);
    *ppScroller = nullptr;
    V_ASSERT(width > 1 && height > 1);
    V_ASSERT(pContent != NULL);
    Scroller *s = (Scroller *)calloc(1, sizeof(Scroller));
    if (s == nullptr)
        return 1;
    s->m_pContent = pContent;
    s->m_pView = CreateSurface(width, height);
    s->m_nScrollX = scrollX;
    s->m_nScrollY = scrollY;
    RenderScroller(s);
    *ppScroller = s;
    return 0;
}

void DestroyScroller(Scroller **ppScroller)
{
    if (ppScroller == nullptr || *ppScroller == nullptr)
        return;
    DestroySurface(&(*ppScroller)->m_pView);
    free(*ppScroller);
    *ppScroller = nullptr;
}

// Out of range moves stop at the nearer end; the ends come from the bars of the last render.
static int ClampScroll(int scroll, int delta, int maximum)
{
    if (0 <= scroll + delta && scroll + delta <= maximum)
        return scroll + delta;
    return delta >= 1 ? maximum : 0;
}

static int MaxScrollX(const Scroller *s)
{
    return s->m_pContent->m_nWidth - s->m_pView->m_nWidth + s->m_bVertBar;
}

static int MaxScrollY(const Scroller *s)
{
    return s->m_pContent->m_nHeight - s->m_pView->m_nHeight + s->m_bHorizBar;
}

void ScrollHorizontal(Scroller *s, int delta)
{
    V_ASSERT(s != NULL);
    s->m_nScrollX = ClampScroll(s->m_nScrollX, delta, MaxScrollX(s));
    RenderScroller(s);
}

void ScrollVertical(Scroller *s, int delta)
{
    V_ASSERT(s != NULL);
    s->m_nScrollY = ClampScroll(s->m_nScrollY, delta, MaxScrollY(s));
    RenderScroller(s);
}

static int ClampToRange(int value, int low, int high)
{
    if (value > high)
        value = high;
    if (value < low)
        value = low;
    return value;
}

// Dragging the vertical thumb: the thumb follows the pointer and the content follows the thumb.
static void DragVerticalThumb(Scroller *s, int y, int H)
{
    int hb = s->m_bHorizBar, ch = s->m_pContent->m_nHeight;
    int moved = y - s_vertDragLastRow;
    int track = H - hb - 2;
    if (!s_bVertDrag || moved == 0 || track <= 0)
        return;
    int scroll;
    if (moved > 0 && s->m_nVertThumbEnd + moved >= H - hb - 1)
        scroll = ch - H + hb;
    else if (moved < 0 && s->m_nVertThumbStart + moved - 1 <= 0)
        scroll = 0;
    else
        scroll = (int)((double)(s->m_nVertThumbStart + moved) / track * ch - 1.5);
    // The proportion counts the arrow cell too, so near the end it would overshoot the content.
    s->m_nScrollY = ClampToRange(scroll, 0, MaxScrollY(s));
    RenderScroller(s);
}

static void DragHorizontalThumb(Scroller *s, int x, int W)
{
    int vb = s->m_bVertBar, cw = s->m_pContent->m_nWidth;
    int moved = x - s_horizDragLastCol;
    int track = W - vb - 2;
    if (!s_bHorizDrag || moved == 0 || track <= 0)
        return;
    int scroll;
    if (moved > 0 && moved + s->m_nHorizThumbEnd >= W - vb - 1)
        scroll = cw - W + vb;
    else if (moved < 0 && s->m_nHorizThumbStart + moved <= 0)
        scroll = 0;
    else
        scroll = (int)((double)(s->m_nHorizThumbStart + moved) / track * cw - 0.5);
    s->m_nScrollX = ClampToRange(scroll, 0, MaxScrollX(s));
    RenderScroller(s);
}

static void InvertViewCell(Scroller *s, int x, int y)
{
    if (x >= 0 && y >= 0 && x < s->m_pView->m_nWidth && y < s->m_pView->m_nHeight)
        InvertSurfaceRect(s->m_pView, x, y, x, y);
}

// The left button on the bars: arrows scroll by one, the thumbs drag.
static void HandleBarsPress(Scroller *s, int x, int y, int vx, int vy)
{
    int W = s->m_pView->m_nWidth, H = s->m_pView->m_nHeight;
    int hb = s->m_bHorizBar, vb = s->m_bVertBar;
    if (vb) {
        int barX = vx + W - 1;
        if (x == barX && y == vy) {
            ScrollVertical(s, -1);
            InvertViewCell(s, W - 1, 0);
        } else if (x == barX && y == vy + H - hb - 1) {
            ScrollVertical(s, 1);
            InvertViewCell(s, W - 1, H - hb - 1);
        } else if ((x == barX || (s_bVertDrag && abs(x - barX) < DRAG_REACH)) &&
                   vy + s->m_nVertThumbStart <= y && y <= vy + s->m_nVertThumbEnd) {
            DragVerticalThumb(s, y, H);
            if (!s_bHorizDrag)
                s_bVertDrag = 1;
            s_vertDragLastRow = y;
        }
    }
    if (hb) {
        int barY = vy + H - 1;
        if (x == vx && y == barY) {
            ScrollHorizontal(s, -1);
            InvertViewCell(s, 0, H - 1);
        } else if (x == vx + W - vb - 1 && y == barY) {
            ScrollHorizontal(s, 1);
            InvertViewCell(s, W - vb - 1, H - 1);
        } else if (vx + s->m_nHorizThumbStart <= x && x <= vx + s->m_nHorizThumbEnd &&
                   (y == barY || (s_bHorizDrag && abs(y - barY) < DRAG_REACH))) {
            DragHorizontalThumb(s, x, W);
            if (!s_bVertDrag)
                s_bHorizDrag = 1;
            s_horizDragLastCol = x;
        }
    }
}

void HandleScrollerMouse(MouseState *pState, int x, int y, Scroller *s, int vx, int vy, Surface *pTarget,
                         EventQueue *pQueue)
{
    V_ASSERT(pState != NULL && s != NULL && pTarget != NULL);
    int W = s->m_pView->m_nWidth, H = s->m_pView->m_nHeight;
    // Inside the shown content, with no thumb being dragged; the bars are not content.
    auto inside = [&]() {
        return vx <= x && x < vx + W - s->m_bVertBar && vy <= y && y < vy + H - s->m_bHorizBar &&
               !s_bVertDrag && !s_bHorizDrag;
    };
    auto post = [&](uint32_t type) {
        if (pQueue)
            PostMouseEvent(type, x, y, -ContentLeft(s) - vx, -ContentTop(s) - vy, s->m_pContent, pQueue);
    };

    uint32_t buttons = HeldButtons(pState->m_nButtons);
    if (buttons == INPUT_BUTTON_LEFT) {
        HandleBarsPress(s, x, y, vx, vy);
        if (inside()) {
            post(EV_LEFT_BUTTON);
            RenderScroller(s);
        }
    } else if (buttons == INPUT_BUTTON_RIGHT) {
        if (inside()) {
            post(EV_RIGHT_BUTTON);
            RenderScroller(s);
        }
    } else if (buttons == INPUT_BUTTON_MIDDLE) {
        if (inside()) {
            // Holding the middle button drags the content along with the pointer.
            if (s_bPanSeen && s_panFrame == g_frameCounter - 1) {
                ScrollVertical(s, s_panY - y);
                ScrollHorizontal(s, s_panX - x);
            }
            s_bPanSeen = 1;
            s_panFrame = g_frameCounter;
            s_panX = x;
            s_panY = y;
            post(EV_MIDDLE_BUTTON);
            RenderScroller(s);
        }
    } else {
        if (inside())
            post(buttons);
        s_bVertDrag = 0;
        s_bHorizDrag = 0;
        RenderScroller(s);
    }

    if (pState->m_nFlags == INPUT_FLAG_DOUBLE_CLICK && inside()) {
        post(EV_DOUBLE_CLICK);
    } else if (pState->m_nFlags == INPUT_FLAG_WHEELED && s->m_bVertBar &&
               vx <= x && x < vx + W && vy <= y && y < vy + H) {
        int delta = (int16_t)(pState->m_nButtons >> 16);
        ScrollVertical(s, (~delta) / 10);
    }

    Coord at = {vx, vy};
    BlitSurface(&at, pTarget, s->m_pView, nullptr);
}

/* Buttons. */

int CreateButton(Button **ppButton, Sprite *pSprite, Surface *pAltSurface, int bSticky, int bHighlighted,
                 ButtonCallback pfnCallback, const char *pText, int textLen, FrameStyle *pStyle,
                 Coord *pPos, Cell *pTrans)
{
    V_ASSERT(ppButton != NULL);
    *ppButton = nullptr;
    if (pSprite == nullptr && (pStyle == nullptr || pText == nullptr || textLen <= 0 || pPos == nullptr))
        return 1;
    Button *pButton = (Button *)calloc(1, sizeof(Button));
    if (pButton == nullptr)
        return 1;

    if (pSprite == nullptr) {
        Coord size = {textLen + 2, 3};
        Surface *pImage = BuildFrame(pStyle, &size);
        Cell *pCells = MakeCells(pText, pStyle->m_pCells[FRAME_FILL].m_attr, textLen);
        Surface *pLabel = MakeTextLine(pCells, textLen);
        Coord labelAt = {1, 1};
        BlitSurface(&labelAt, pImage, pLabel, nullptr);
        FreeTextLine(&pLabel);
        free(pCells);
        // The sprite owns its transparent cell, so it gets its own copy of the caller's.
        Cell *pOwnTrans = pTrans;
        if (pTrans && pTrans != &g_transCell) {
            pOwnTrans = (Cell *)malloc(sizeof(Cell));
            *pOwnTrans = *pTrans;
        }
        pSprite = CreateSprite(pImage, pPos->m_x, pPos->m_y, pOwnTrans);
    }
    if (pAltSurface == nullptr) {
        Surface *pImage = pSprite->m_pSurface;
        pAltSurface = CreateSurface(pImage->m_nWidth, pImage->m_nHeight);
        CopySurfaceRect(pImage, 0, 0, pAltSurface);
        InvertSurfaceRect(pAltSurface, 0, 0, pImage->m_nWidth - 1, pImage->m_nHeight - 1);
    }
    pButton->m_pSprite = pSprite;
    pButton->m_pAltSurface = pAltSurface;
    pButton->m_bSticky = bSticky;
    pButton->m_bHighlighted = bHighlighted;
    pButton->m_pfnCallback = pfnCallback;
    *ppButton = pButton;
    return 0;
}

void DestroyButton(Button **ppButton)
{
    if (ppButton == nullptr || *ppButton == nullptr)
        return;
    Button *pButton = *ppButton;
    DestroySurface(&pButton->m_pAltSurface);
    DestroySprite(&pButton->m_pSprite);
    free(pButton);
    *ppButton = nullptr;
}

void ToggleButton(Button *pButton)
{
    V_ASSERT(pButton != NULL);
    Surface *pShown = pButton->m_pSprite->m_pSurface;
    pButton->m_pSprite->m_pSurface = pButton->m_pAltSurface;
    pButton->m_pAltSurface = pShown;
    pButton->m_bHighlighted = !pButton->m_bHighlighted;
}

static bool ButtonContains(const Button *pButton, int x, int y)
{
    const Sprite *pSprite = pButton->m_pSprite;
    return pSprite->m_x <= x && x < pSprite->m_x + pSprite->m_pSurface->m_nWidth &&
           pSprite->m_y <= y && y < pSprite->m_y + pSprite->m_pSurface->m_nHeight;
}

static void DrawButton(Button *pButton, Surface *pTarget)
{
    Coord at = {pButton->m_pSprite->m_x, pButton->m_pSprite->m_y};
    BlitSurface(&at, pTarget, pButton->m_pSprite->m_pSurface, pButton->m_pSprite->m_pTrans);
}

// A press lights a normal button while the pointer stays on it and clicks it at a release over
// it; moving off unlights it and cancels. A sticky button toggles at the press and reports its
// click at the release wherever the pointer is then. The press is followed at once, in the same
// call, so a press and release in consecutive records still clicks.
int HandleButtons(MouseState *pState, int x, int y, Button **ppButtons, int count, Surface *pTarget,
                  int *pPressed, Button **ppCurrent)
{
    V_ASSERT(pState != NULL && pPressed != NULL && ppCurrent != NULL);
    V_ASSERT(count == 0 || ppButtons != NULL);
    Button *pClicked = nullptr;
    if (HeldButtons(pState->m_nButtons) == INPUT_BUTTON_LEFT) {
        if (!*pPressed) {
            *ppCurrent = nullptr;
            for (int i = 0; i < count; i++) {
                if (ButtonContains(ppButtons[i], x, y)) {
                    *ppCurrent = ppButtons[i];
                    break;
                }
            }
            if (*ppCurrent && (*ppCurrent)->m_bSticky)
                ToggleButton(*ppCurrent);
            *pPressed = 1;
        }
        Button *pCurrent = *ppCurrent;
        if (pCurrent && !pCurrent->m_bSticky) {
            bool over = ButtonContains(pCurrent, x, y);
            if (pCurrent->m_bHighlighted != 0 && !over)
                ToggleButton(pCurrent);
            else if (pCurrent->m_bHighlighted == 0 && over)
                ToggleButton(pCurrent);
        }
    } else {
        *pPressed = 0;
        Button *pCurrent = *ppCurrent;
        if (pCurrent && (pCurrent->m_bSticky || pCurrent->m_bHighlighted)) {
            pClicked = pCurrent;
            if (!pCurrent->m_bSticky)
                ToggleButton(pCurrent);
        }
        *ppCurrent = nullptr;
    }

    if (pTarget) {
        for (int i = 0; i < count; i++)
            DrawButton(ppButtons[i], pTarget);
    }
    int index = count;
    for (int i = 0; i < count; i++) {
        if (ppButtons[i] == pClicked) {
            index = i;
            break;
        }
    }
    if (pClicked && pClicked->m_pfnCallback)
        pClicked->m_pfnCallback(pClicked);
    return index;
}

MouseState MouseStateFromInput(void)
{
    return MouseState{g_inputState.m_nX, g_inputState.m_nY, g_inputState.m_nButtons, g_inputState.m_nFlags};
}

/* Posting events. */

void PostKeyEvent(uint32_t type, uint32_t key, Surface *pSurface, EventQueue *pQueue)
{
    KeyEventData *pData = (KeyEventData *)calloc(1, sizeof(KeyEventData));
    V_ASSERT(pData != NULL);
    pData->m_pSurface = pSurface;
    pData->m_nKey = key;
    EventNode *pNode = nullptr;
    if (CreateEvent(&pNode, type, 0, pData) != 0)
        free(pData);
    PushEvent(pQueue, pNode);
}

void PostMouseEvent(uint32_t type, int x, int y, int dx, int dy, Surface *pSurface, EventQueue *pQueue)
{
    MouseEventData *pData = (MouseEventData *)malloc(sizeof(MouseEventData));
    V_ASSERT(pData != NULL);
    pData->m_pSurface = pSurface;
    pData->m_x = x + dx;
    pData->m_y = y + dy;
    EventNode *pNode = nullptr;
    if (CreateEvent(&pNode, type, 0, pData) != 0)
        free(pData);
    PushEvent(pQueue, pNode);
}

/* The game screen. */

void InitWindowManager(void)
{
    printf("Initializing window manager...");
    V_ASSERT(g_pScreen != NULL);
    FillSurface(g_pScreen, SCREEN_CLEAR);
    g_wmViewMode = WM_MODE_NONE;
    s_barPressed = s_sidePressed = 0;
    s_pBarCurrent = s_pSideCurrent = nullptr;
    s_bVertDrag = s_bHorizDrag = 0;
    s_bPanSeen = 0;
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
    rc = CreateScroller(&g_pLogView, logViewWidth, 8, pLog, 0, 0);
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
        BlitAt(g_pLogView->m_pView, 20, g_pScreen->m_nHeight - 8);
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
        if (g_pLogView)
            HandleScrollerMouse(&mouse, x, y, g_pLogView, 20, g_pScreen->m_nHeight - 8, g_pScreen, nullptr);
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
    bool arrow = key >= PLATFORM_VK_LEFT && key <= PLATFORM_VK_DOWN;
    bool pad = key == PLATFORM_VK_NUMPAD4 || key == PLATFORM_VK_NUMPAD8 || key == PLATFORM_VK_NUMPAD6 ||
               key == PLATFORM_VK_NUMPAD2;
    if (!arrow && !pad) {
        PostKeyEvent(EV_KEY, key, g_pScreen, pQueue);
        return;
    }
    Scroller *pView = arrow ? pArrowView : pPadView;
    if (pView == nullptr)
        return;
    if (key == PLATFORM_VK_LEFT || key == PLATFORM_VK_NUMPAD4)
        ScrollHorizontal(pView, -1);
    else if (key == PLATFORM_VK_RIGHT || key == PLATFORM_VK_NUMPAD6)
        ScrollHorizontal(pView, 1);
    else if (key == PLATFORM_VK_UP || key == PLATFORM_VK_NUMPAD8)
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
