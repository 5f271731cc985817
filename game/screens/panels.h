// panels: the windows through which the player spends resources: the resources panel, the
// information panels of a ship type and a structure type, the scrolling lists of selectable items
// with their click handler, the list dialog (building structures, saving, loading), the ship
// building dialog and the shipyard queue dialog. The planet panel's two build buttons call
// RunAddShip and RunBuildStruct here, which own the two build lists, queue what the player chose
// within the planet's limits and tell the player in the message log when something is refused.
// The save-slot dialog uses RunListDialog in its save and load modes. Nothing here changes the
// world except through the planet's queueing rules and the build queue reorders.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"
#include "game/ui/dialog.h"

struct Button;
struct Dialog;
struct EventNode;
struct Planet;
struct Scroller;
struct Structure;

enum {
    BUILD_LIST_ITEMS = 9,      // entries of the ship and structure lists; also the "none" index
    LIST_ITEM_WIDTH = 23,      // columns of a dialog list's items and content
    LIST_VIEW_WIDTH = 24,      // a dialog list's view: the items and a scroll bar
    LIST_VIEW_HEIGHT = 14,
};

// RunListDialog's modes.
enum {
    LIST_MODE_BUILD = 0,       // " BUILD " and " DONE ", a 60 x 20 body with the resources panel
    LIST_MODE_SAVE = 1,        // " SAVE " and " CANCEL ", a 26 x 20 body
    LIST_MODE_LOAD = 2,        // " LOAD " and " CANCEL "
};

// RunShipBuildDialog's results.
enum {
    SHIP_DIALOG_BUILD = 0,
    SHIP_DIALOG_QUEUE = -1,
    SHIP_DIALOG_DONE = 1,
};

// The selection of one list of sticky items. Both indices hold the item count when nothing is
// selected; the previous index is the item that is lit.
struct ListSelection {
    int32_t m_iSelected;
    int32_t m_iPrevious;
    int32_t m_bPressed;        // HandleButtons' dispatch state for the items
    Button *m_pCurrent;
};

// Called with the newly selected index and the dialog's body, which has just been shaded.
typedef void (*ListSelectCallback)(int index, Surface *pBody);

/* The lists of the two build dialogs; g_shipList.m_iSelected is the ship type index to build. */
extern ListSelection g_shipList;
extern ListSelection g_structList;

/* Information panels. */
// "Energy: %5d\n\nMatter: %5d" at (1, 16) of the target, over a shaded 24 x 3 patch. A null
// planet draws nothing.
void DrawResourcesPanel(Surface *pTarget, Planet *pPlanet);
// Redraw the whole body with the panel of catalogue entry index (0-8), then the resources panel
// of g_pSelPlanet. An index outside 0-8 only shades the body.
void ShowShipTypeInfo(int index, Surface *pBody);
void ShowStructTypeInfo(int index, Surface *pBody);

/* Lists of selectable items. */
// Makes count sticky buttons, one per text, each the text in attr wrapped to width columns, laid
// from row 0 downwards with one empty row between them; the alternate look is the inverse.
// Returns 0, or 1 when memory ran out (nothing is left allocated).
int MakeListItems(Button ***pppItems, const char *const *ppTexts, int count, int width, unsigned char attr);
void FreeListItems(Button ***pppItems, int count);
// A list view of viewWidth x viewHeight onto a content contentWidth wide and as tall as the items
// reach, filled with the list fill cell (space, 0x0B), every item drawn on it. The content
// belongs to the view: free both with DestroyListView. Returns 0, or 1 when memory ran out.
int CreateListView(Scroller **ppList, Button **ppItems, int count, int contentWidth, int viewWidth, int viewHeight);
void DestroyListView(Scroller **ppList);
// Redraws the items onto the list's content and renders the view.
void RedrawListView(Scroller *pList, Button **ppItems, int count);
// Forgets the selection (both indices become count) and puts a lit item out.
void ListSelectionReset(ListSelection *pSel, Scroller *pList, Button **ppItems, int count);

/* List input. */
// One frame of list input in a dialog whose frame is at *pPos and whose body is pBody, with the
// list's view at (1, 1) of the body: the scroll view's mouse handling, then every event of the
// main queue: the list's own go to the items (the others are stale ones from before the dialog
// and are freed). A new selection shades the body, calls onSelect (if any) and, with
// bResourcesPanel, redraws the resources panel of g_pSelPlanet. A press released outside the list
// still ends there. Acts only when the last input record was a mouse record.
void HandleListClick(Surface *pBody, Coord *pPos, Scroller *pList, Button **ppItems, int count, int *pPressed,
                     Button **ppCurrent, int *pSelected, int *pPrevious, ListSelectCallback onSelect,
                     int bResourcesPanel);
// The items' part of the above for one event already taken off a queue, for lists that are not
// in a dialog (the hold list of the game screen): when the event's surface is the list's content,
// runs the items with the live button state and renders the view, and returns 1 when this made a
// new selection, else 0. The caller keeps and frees the event.
int ListHandleEvent(EventNode *pEvent, Scroller *pList, Button **ppItems, int count, int *pPressed,
                    Button **ppCurrent, int *pSelected, int *pPrevious);
// A press on the items let go off the list posts no event there: when the list holds a press and
// the live button is up, ends it as a release off the list (a sticky item is still chosen).
// Returns 1 when this made a new selection, 0 when it made none, -1 when there was no such press.
int ListEndPressOffList(Scroller *pList, Button **ppItems, int count, int *pPressed, Button **ppCurrent,
                        int *pSelected, int *pPrevious);

/* Dialogs. */
// The update of the ship building dialog: the clicks of the list the Run function hands it as the
// dialog's user pointer, with ShowShipTypeInfo. Returns the dialog's button count: it never ends
// the dialog.
int ShipListUpdate(Dialog *pDialog);
// The update of the structure list dialog: the structure list's clicks with ShowStructTypeInfo.
int StructListUpdate(Dialog *pDialog);
// Runs the list dialog over the items; the update gets the list as the dialog's user pointer
// (LIST_MODE_BUILD's with the resources panel). The list view is made into *ppList when that is empty and
// kept there for the caller (free it with DestroyListView). Returns 0 when the first button
// (BUILD, SAVE, LOAD) was pressed, 1 otherwise. In build mode the dialog stays built for the next
// call until it returns 1; in the other modes it is freed every time.
int RunListDialog(Button **ppItems, int count, Scroller **ppList, int mode, DialogUpdate pfnUpdate);
// The ship building dialog: SHIP_DIALOG_BUILD (kept for the next call), SHIP_DIALOG_QUEUE (the
// shipyard's queue was shown when it held anything, and then the selection was reset; kept) or
// SHIP_DIALOG_DONE (freed). pShipyard may be null.
int RunShipBuildDialog(Button **ppItems, int count, Scroller **ppList, DialogUpdate pfnUpdate, Structure *pShipyard);
// Shows the shipyard's queue with progress bars; its four arrows move the second node (the one
// after the ship in production) first, up, down or last. A null or empty queue shows nothing.
void ShowBuildQueueDialog(Structure *pShipyard);
// Frees the dialogs kept between calls (the list dialog's and the ship dialog's).
void CloseBuildDialogs(void);

/* The planet panel's build entry points, acting on g_pSelPlanet. */
// "  Add Ship  ": the ship building dialog again and again until DONE; after each BUILD or QUEUE
// with a ship selected, PlanetQueueShips. The selection is reset afterwards.
void RunAddShip(void);
// "Build Struct": on a planet without a standing Colony tells the player and opens nothing;
// otherwise the list dialog in build mode while it returns BUILD, each with a structure selected
// queued by PlanetQueueStructure. The selection is reset afterwards.
void RunBuildStruct(void);
// Frees the two build lists and their views (made on first use) and the kept dialogs; for the
// end of the program or of a test. They are made again when next needed.
void FreeBuildLists(void);
