// console: the screen surface and the values every drawing module shares with it (the frame
// counter that animates pattern lines, the shared transparent cell, the screen centre, the origin
// and the software mouse cursor). InitConsole brings the display up at start-up, PresentScreen
// shows the screen surface once per frame and ShutdownConsole gives the display back at exit. The
// display itself is reached only through platform/platform.h.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"

// The display the game needs, and the largest one it can keep (a console buffer's cell limit).
enum {
    CONSOLE_MIN_COLS = 80,
    CONSOLE_MIN_ROWS = 50,
    CONSOLE_MAX_CELLS = 32767,
    CURSOR_SIZE = 3,             // the software cursor is a 3 x 3 plus sign
};

extern uint32_t g_frameCounter;   // advanced once per drawn game frame; 0 when a game starts
extern Cell g_transCell;          // ('t', 0x00): the transparent cell of blits that have none of their own
extern Surface *g_pScreen;        // what every picture ends in; presented each frame; null outside the console's life
extern Coord g_screenCentre;      // (39, 24) at 80 x 50: where dialogs and front-end screens centre
extern Coord g_origin;            // (0, 0): blits to the top-left corner
extern Sprite *g_pCursorSprite;   // the software cursor; its surface may be taken away while the intro runs

/* Start-up and shut-down. */
// Prints its progress, applies the size rules (asking the player before a resize) and takes over
// the display. A failed platform call prints "ERROR: <call>() failed: <n>" and ends the process
// with <n>; a refused resize ends it with status 0.
void InitConsole(const char *pTitle);
void ShutdownConsole(void);

/* Presenting. */
// Shows the surface (the screen surface); in full screen the software cursor is drawn for the
// frame and the surface is left exactly as it was.
void PresentScreen(Surface *pSurface);

/* Helpers shared with tests and front-end screens. */
// The centre of a cols x rows screen: halves in integers, then half a cell back, truncated.
Coord ScreenCentreOf(int cols, int rows);
