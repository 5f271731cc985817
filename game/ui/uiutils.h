// uiutils: what every window and panel is built from: frame styles and the box builder, one-line
// text surfaces, word wrapping, drawing a string at a position, appending to the message log view
// and the one-button message box. AddMessage itself lives in game/messagelog.h, which keeps the
// record; the window manager hooks the log view to it through LogViewAppend.
#pragma once

#include "game/core/2dutils.h"

struct Scroller;

// A frame style's seven cells, in this order.
enum {
    FRAME_TOP_LEFT = 0,
    FRAME_TOP_RIGHT = 1,
    FRAME_BOTTOM_LEFT = 2,
    FRAME_BOTTOM_RIGHT = 3,
    FRAME_HORIZONTAL = 4,      // top and bottom edges
    FRAME_VERTICAL = 5,        // left and right edges
    FRAME_FILL = 6,            // the interior, and what a frame is first filled with
    FRAME_STYLE_CELLS = 7,
};

enum {
    WRAP_MAX_LINES = 100,      // WrapText keeps this many lines; the rest of a longer text is cut
    LOG_VIEW_MAX_LINES = 3000, // the log view's content never grows taller than this
    LOG_VIEW_KEPT_LINES = 2500,// the newest lines kept when it would: older ones scroll out for good
};

struct FrameStyle {
    Cell *m_pCells;            // FRAME_STYLE_CELLS cells; owned (a heap cell string)
};

/* Frame styles. */
// Takes ownership of a heap array of seven cells (from MakeCells). Returns 0, or 1 on a null
// array or when memory ran out (the array is then freed).
int CreateFrameStyle(FrameStyle **ppStyle, Cell *pCells);
void DestroyFrameStyle(FrameStyle **ppStyle);
// The two styles the game builds: the double-line box of buttons and dialogs, and the bars.
int CreateBoxStyle(FrameStyle **ppStyle, unsigned char attr);
int CreateBarStyle(FrameStyle **ppStyle, unsigned char attr);

/* Pictures of boxes and text. */
Surface *BuildFrame(FrameStyle *pStyle, Coord *pSize);
Surface *MakeTextLine(Cell *pCells, int n);
void FreeTextLine(Surface **ppLine);
// Breaks at spaces and honours line feeds; width wide and as many rows as the text needs, at
// most WRAP_MAX_LINES (a longer text is cut after that line).
Surface *WrapText(Cell *pText, int width);
void DrawText(const char *pText, unsigned char attr, Surface *pTarget, Coord *pPos);

/* The message log view. */
// Appends a message, wrapped to the content's width, at the bottom of the view's content and scrolls
// so that its last line is the view's bottom row. The content keeps exactly the log's height;
// its cell storage grows geometrically underneath, so a long game's appends stay cheap. Past
// LOG_VIEW_MAX_LINES the oldest lines are dropped, so memory stays flat over a game of any length.
void LogViewAppend(Scroller *pLogView, const char *pText, unsigned char attr);
// Forgets the spare storage kept for a content surface that is about to be destroyed.
void LogViewForget(Surface *pContent);

/* Message box. */
// Shows the text in a modal dialog with one " OK " button; returns when it is pressed.
void MessageBox(const char *pText);
