// window: the game screen's window manager. It lays out the game screen (views, side and bottom
// bars, message log, bar buttons) and, once per frame, draws it, polls input and posts what is
// left as events; it also keeps the message log view, to which the log's store (messagelog.h)
// appends through a listener. The widgets it is built from are widgets.h; modal dialogs are
// dialog.h.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"
#include "game/core/evqueue.h"
#include "game/ui/widgets.h"

// The window manager's view modes.
enum {
    WM_MODE_NONE = 0,          // no game screen: mouse input is posted in screen coordinates
    WM_MODE_ONE_VIEW = 1,      // the main view
    WM_MODE_TWO_VIEWS = 2,     // the left and right views side by side
};

// The message log view sits in the bottom bar, this far from the left, filling the bar's rows.
enum {
    LOG_VIEW_X = 20,
    LOG_VIEW_HEIGHT = 8,
    LOG_VIEW_MAX_LINES = 3000, // the log view's content never grows taller than this
    LOG_VIEW_KEPT_LINES = 2500,// the newest lines kept when it would: older ones scroll out for good
};

enum {
    BAR_SLOT_END_TURN = 0,
    BAR_SLOT_ZOOM_OUT = 1,
    BAR_SLOTS = 2,
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

/* The game screen. */
void InitWindowManager(void);
void ShutdownWindowManager(void);
// Builds the bars, the message log and the bar buttons; the zoom-out callback belongs to the
// game screens, like the other two.
void CreateMainScreen(ButtonCallback pfnManage, ButtonCallback pfnEndTurn, ButtonCallback pfnZoomOut);
void DestroyMainScreen(void);
// The screen cell of the log view's top-left corner.
Coord LogViewPos(void);
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

/* The message log view. */
// Appends a message, wrapped to the content's width, at the bottom of the view's content and scrolls
// so that its last line is the view's bottom row. The content keeps exactly the log's height;
// its cell storage grows geometrically underneath, so a long game's appends stay cheap. Past
// LOG_VIEW_MAX_LINES the oldest lines are dropped, so memory stays flat over a game of any length.
void LogViewAppend(Scroller *pLogView, const char *pText, unsigned char attr);
// Forgets the spare storage kept for a content surface that is about to be destroyed.
void LogViewForget(Surface *pContent);
