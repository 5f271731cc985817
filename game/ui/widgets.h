// widgets: the scroll view and the button, the toolkit every screen and dialog is built from. A
// Scroller is a fixed-size view onto a larger content surface, with scroll bars, arrows, thumb
// drags, the wheel and middle-button panning, turning clicks into events in the content's own
// coordinates. A Button is a sprite with an alternate look; HandleButtons runs a group of them.
// The window manager (window.h) and the dialogs (dialog.h) feed them the mouse.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"
#include "game/core/evqueue.h"

struct FrameStyle;
struct Button;

struct Scroller {
    Surface *m_pContent;       // what is shown; not owned (the creator keeps it and may replace it)
    Surface *m_pView;          // the view's image, of the view's fixed size; owned
    int32_t m_nScrollX;        // content column at the view's left edge
    int32_t m_nScrollY;        // content row at the view's top edge
    uint8_t m_bHorizBar;       // the bottom row is a horizontal scroll bar; recomputed by every render
    int32_t m_nHorizThumbStart, m_nHorizThumbEnd;  // thumb cells [start, end) within that bar
    uint8_t m_bVertBar;        // the right column is a vertical scroll bar; recomputed by every render
    int32_t m_nVertThumbStart, m_nVertThumbEnd;    // thumb cells [start, end) within that bar
};

typedef void (*ButtonCallback)(Button *pButton);

struct Button {
    Sprite *m_pSprite;         // image and position in the surface it is drawn into; owned
    Surface *m_pAltSurface;    // the other look (normally the inverse); swapped on every toggle; owned
    int32_t m_bSticky;         // a selectable list item: a press toggles it and it stays toggled
    int32_t m_bHighlighted;    // 1 while the alternate look is shown
    ButtonCallback m_pfnCallback;  // called when the button is clicked; may be null
};

// The mouse as the widgets see it, copied from the input state.
struct MouseState {
    int32_t m_nX, m_nY;        // the pointer's screen cell
    uint32_t m_nButtons;       // button bits; a wheel record's signed delta in the high 16 bits
    uint32_t m_nFlags;         // event flags: 1 moved, 2 double click, 4 wheel
};

/* Scroll views. */
// Creates the view and renders it once. Returns 0, or 1 when memory ran out.
int CreateScroller(Scroller **ppScroller, int width, int height, Surface *pContent, int scrollX, int scrollY);
void DestroyScroller(Scroller **ppScroller);
void RenderScroller(Scroller *pScroller);
void ScrollHorizontal(Scroller *pScroller, int delta);
void ScrollVertical(Scroller *pScroller, int delta);
// Forgets a thumb drag or middle-button pan in progress; every view shares that state.
void ResetScrollerDrags(void);
// Reacts to one mouse record at screen cell (x, y) for the view placed at (vx, vy), posting
// events in the content's coordinates to pQueue (none when null), then blits the view into pTarget.
void HandleScrollerMouse(MouseState *pState, int x, int y, Scroller *pScroller, int vx, int vy,
                         Surface *pTarget, EventQueue *pQueue);

/* Buttons. */
// With a null sprite the button is a text button: a (textLen + 2) x 3 frame of the style around
// the text, at *pPos, with a copy of *pTrans as its transparent cell (the shared transparent cell
// is kept as it is). With a null alternate surface the alternate look is the inverse image.
// Returns 0, or 1 when memory ran out or neither a sprite nor a style was given.
int CreateButton(Button **ppButton, Sprite *pSprite, Surface *pAltSurface, int bSticky, int bHighlighted,
                 ButtonCallback pfnCallback, const char *pText, int textLen, FrameStyle *pStyle,
                 Coord *pPos, Cell *pTrans);
void DestroyButton(Button **ppButton);
void ToggleButton(Button *pButton);
// Runs one mouse record at (x, y) of pTarget through a group: lights, toggles, draws every button
// into pTarget and calls a clicked button's callback. Returns the clicked index, or count.
int HandleButtons(MouseState *pState, int x, int y, Button **ppButtons, int count, Surface *pTarget,
                  int *pPressed, Button **ppCurrent);
// Draws the button's current look at its position.
void DrawButton(Button *pButton, Surface *pTarget);
MouseState MouseStateFromInput(void);

/* Posting events. */
void PostKeyEvent(uint32_t type, uint32_t key, Surface *pSurface, EventQueue *pQueue);
void PostMouseEvent(uint32_t type, int x, int y, int dx, int dy, Surface *pSurface, EventQueue *pQueue);
