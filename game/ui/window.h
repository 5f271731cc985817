// window: the widget layer and the game screen's window manager. A Scroller is a fixed-size view
// onto a larger content surface, with scroll bars, arrows, thumb drags, the wheel and middle-button
// panning, turning clicks into events in the content's own coordinates. A Button is a sprite with
// an alternate look; HandleButtons runs a group of them. The window manager lays out the game
// screen (views, side and bottom bars, message log, bar buttons) and, once per frame, draws it,
// polls input and posts what is left as events. Modal dialogs are game/dialog.h.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"
#include "game/core/evqueue.h"

struct FrameStyle;
struct Button;

// The window manager's view modes.
enum {
    WM_MODE_NONE = 0,          // no game screen: mouse input is posted in screen coordinates
    WM_MODE_ONE_VIEW = 1,      // the main view
    WM_MODE_TWO_VIEWS = 2,     // the left and right views side by side
};

enum {
    BAR_SLOT_END_TURN = 0,
    BAR_SLOT_ZOOM_OUT = 1,
    BAR_SLOTS = 2,
};

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

/* Window-manager state the game screens read. Change groups and counts through the setters. */
extern int g_wmViewMode;                  // WM_MODE_*
extern Scroller *g_pMainView;             // mode 1, else null
extern Scroller *g_pLeftView;             // mode 2, else null
extern Scroller *g_pRightView;            // mode 2, else null
extern Scroller *g_pInfoView;             // a list a game screen shows beside the map, or null; not owned
extern Coord g_infoViewPos;               // its screen position
extern Surface *g_pSideBar;               // 15 x screen height: the information panel
extern Surface *g_pBottomBar;             // screen width - 16 x 8
extern Scroller *g_pLogView;              // the message log, 31 x 8; owns its content
extern Button *g_pBarButtons[BAR_SLOTS];  // " End Turn " and " Zoom Out "
extern int g_cBarButtons;                 // 1, or 2 while a system is zoomed into; 0 on battle screens
extern Button **g_ppSideButtons;          // the information panel's buttons; owned by the game screens
extern int g_cSideButtons;
extern Button *g_pMgmtButton;             // built with the management callback; in no group, never drawn
// Called each frame a mouse record is handled while an info view is shown, after the view has had
// it: the game screens pick items of the selected planet's hold list here.
extern void (*g_pfnInfoViewClick)(void);

/* Scroll views. */
// Creates the view and renders it once. Returns 0, or 1 when memory ran out.
int CreateScroller(Scroller **ppScroller, int width, int height, Surface *pContent, int scrollX, int scrollY);
void DestroyScroller(Scroller **ppScroller);
void RenderScroller(Scroller *pScroller);
void ScrollHorizontal(Scroller *pScroller, int delta);
void ScrollVertical(Scroller *pScroller, int delta);
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
MouseState MouseStateFromInput(void);

/* Posting events. */
void PostKeyEvent(uint32_t type, uint32_t key, Surface *pSurface, EventQueue *pQueue);
void PostMouseEvent(uint32_t type, int x, int y, int dx, int dy, Surface *pSurface, EventQueue *pQueue);

/* The game screen. */
void InitWindowManager(void);
void ShutdownWindowManager(void);
// Builds the bars, the message log and the bar buttons; the zoom-out callback belongs to the
// game screens, like the other two.
void CreateMainScreen(ButtonCallback pfnManage, ButtonCallback pfnEndTurn, ButtonCallback pfnZoomOut);
void DestroyMainScreen(void);
void SetMainView(Surface *pContent);
void SetLeftView(Surface *pContent);
void SetRightView(Surface *pContent);
// Hands the information panel a group of buttons (null and 0 for none) and forgets any press in
// progress on the old group.
void SetSideButtons(Button **ppButtons, int count);
void SetSideButtonCount(int count);
void SetBarButtonCount(int count);
// Once per game frame, after the screen was presented: draw, poll, dispatch, post.
void UpdateWindowManager(EventQueue *pQueue);
