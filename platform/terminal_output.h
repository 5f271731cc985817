// terminal_output: turns game frames into the bytes an xterm-compatible terminal needs. The
// terminal backend keeps one TerminalScreen, the picture the terminal shows now, and asks for the
// bytes that bring it to the next frame: only changed cells, with cursor moves and colour changes
// only where needed. Pure string work, so it is tested without a terminal.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// What the terminal shows, as far as the backend knows.
struct TerminalScreen {
    int m_cols, m_rows;                  // size of the picture last sent (the part that fits)
    std::vector<PlatformCell> m_cells;   // that picture, row-major
    int m_valid;                         // 0: the next frame clears and repaints everything
    int m_cursorX, m_cursorY;            // where the cursor stands; -1 when unknown
    int m_attr;                          // the attribute the terminal draws with; -1 when unknown
    int m_notice;                        // the terminal shows the too-small notice, not a frame
    int m_needCols, m_needRows;          // the frame size that notice asks for
};

/* Terminal modes. */
// Entering: alternate screen, cursor hidden, autowrap off, mouse reports on any motion with SGR
// coordinates (1000 and 1002 first, for terminals that stop short of 1003), bracketed paste (so a
// paste can be told from typing), application keypad.
extern const char g_terminalEnterModes[];
// Leaving: the same undone in reverse, colours reset first. It begins with CAN, which ends any
// escape sequence a frame write was cut off in (a signal can arrive in the middle of one). The
// screen is cleared before the alternate screen is left: a terminal that ignores the switch (GNU
// screen with altscreen off) would otherwise keep the last frame under the shell.
extern const char g_terminalLeaveModes[];

/* Colours. */
// The SGR codes of a console attribute: foreground 30-37 or 90-97 (intensity), background 40-47
// or 100-107. Console bits are blue 1, green 2, red 4; ANSI numbers red 1, green 2, blue 4.
void TerminalAttrToSgr(unsigned char attr, int *pFg, int *pBg);

// Appends the SGR sequence that switches from attribute `from` (-1: unknown) to `to`, naming only
// the half that changed.
void TerminalAppendAttrChange(std::string *pOut, int from, unsigned char to);

/* Frames. */
void TerminalScreenInit(TerminalScreen *pScreen);
// The terminal's contents are unknown (resized, resumed, first frame): repaint everything next.
void TerminalScreenInvalidate(TerminalScreen *pScreen);

// Appends to *pOut the bytes that show the frame (cols x rows cells, row-major) on a terminal of
// termCols x termRows and records it as shown. An unchanged frame appends nothing. A terminal
// smaller than the frame gets, in its place, a centred notice of the size it has and the size it
// needs, written within its own edges; the first frame that fits again repaints everything.
void TerminalRenderFrame(TerminalScreen *pScreen, const PlatformCell *pCells, int cols, int rows,
                         int termCols, int termRows, std::string *pOut);
