#include "game/ui/widgets.h"

#include <cstdlib>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/evutils.h"
#include "game/core/input.h"
#include "game/ui/uiutils.h"

static const Cell VIEW_FILL = {' ', 0x0F};
static const Cell BAR_TRACK = {' ', 0x80};
static const Cell BAR_THUMB = {' ', 0xF0};
static const unsigned char BAR_ARROW_ATTR = 0xF0;
static const unsigned char CHAR_ARROW_UP = 24, CHAR_ARROW_DOWN = 25;
static const unsigned char CHAR_ARROW_RIGHT = 26, CHAR_ARROW_LEFT = 27;

// A thumb drag keeps following the pointer this many cells away from its bar.
static const int DRAG_REACH = 10;

// Shared by every scroll view: a thumb drag in progress, and the last middle-button record.
static int s_bVertDrag = 0, s_vertDragLastRow = 0;
static int s_bHorizDrag = 0, s_horizDragLastCol = 0;
static uint32_t s_panFrame = 0;
static int s_panX = 0, s_panY = 0;
static int s_bPanSeen = 0;

// The buttons held, without the wheel's delta that a wheel record carries in the high half of
// the button word: turning the wheel is neither a press nor a release.
static uint32_t HeldButtons(uint32_t buttonWord) { return buttonWord & INPUT_BUTTONS_MASK; }

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

void ResetScrollerDrags(void)
{
    s_bVertDrag = s_bHorizDrag = 0;
    s_bPanSeen = 0;
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

void DrawButton(Button *pButton, Surface *pTarget)
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
