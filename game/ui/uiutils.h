// uiutils: what every window and panel is built from: frame styles and the box builder, one-line
// text surfaces, word wrapping and drawing a string at a position. It includes no other ui module;
// the widgets, the window manager and the dialogs all build on it.
#pragma once

#include "game/core/2dutils.h"

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

// The double-line box's border in frame style order (code page 437): the six cells before the fill.
inline constexpr char FRAME_DOUBLE_LINE[] = "\xC9\xBB\xC8\xBC\xCD\xBA";

enum {
    WRAP_MAX_LINES = 100,      // WrapText keeps this many lines; the rest of a longer text is cut
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
// The double-line border in attr around a fill of fillChar in fillAttr (the box style is the
// border around blanks of the same attribute).
int CreateDoubleLineStyle(FrameStyle **ppStyle, unsigned char attr, unsigned char fillChar, unsigned char fillAttr);

/* Pictures of boxes and text. */
Surface *BuildFrame(FrameStyle *pStyle, Coord *pSize);
Surface *MakeTextLine(Cell *pCells, int n);
void FreeTextLine(Surface **ppLine);
// Breaks at spaces and honours line feeds; width wide and as many rows as the text needs, at
// most WRAP_MAX_LINES (a longer text is cut after that line).
Surface *WrapText(Cell *pText, int width);
void DrawText(const char *pText, unsigned char attr, Surface *pTarget, Coord *pPos);
