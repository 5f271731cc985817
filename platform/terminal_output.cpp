#include "platform/terminal_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/cp437.h"

const char g_terminalEnterModes[] =
    "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1006h\x1b[?2004h\x1b=";
const char g_terminalLeaveModes[] =
    "\x18\x1b[0m\x1b>\x1b[?2004l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l\x1b[?7h\x1b[?25h"
    "\x1b[H\x1b[2J\x1b[?1049l";

// Console colour bits (blue 1, green 2, red 4) to the ANSI order (red 1, green 2, blue 4).
static int ConsoleToAnsi(int colour)
{
    return ((colour & 1) << 2) | (colour & 2) | ((colour & 4) >> 2);
}

void TerminalAttrToSgr(unsigned char attr, int *pFg, int *pBg)
{
    int fg = attr & 0x0F;
    int bg = attr >> 4;
    *pFg = ((fg & 8) ? 90 : 30) + ConsoleToAnsi(fg);
    *pBg = ((bg & 8) ? 100 : 40) + ConsoleToAnsi(bg);
}

void TerminalAppendAttrChange(std::string *pOut, int from, unsigned char to)
{
    if (from == to)
        return;
    int fg, bg;
    TerminalAttrToSgr(to, &fg, &bg);
    char buf[32];
    bool fgChanged = from < 0 || ((from ^ to) & 0x0F) != 0;
    bool bgChanged = from < 0 || ((from ^ to) & 0xF0) != 0;
    if (fgChanged && bgChanged)
        snprintf(buf, sizeof buf, "\x1b[%d;%dm", fg, bg);
    else if (fgChanged)
        snprintf(buf, sizeof buf, "\x1b[%dm", fg);
    else
        snprintf(buf, sizeof buf, "\x1b[%dm", bg);
    pOut->append(buf);
}

void TerminalScreenInit(TerminalScreen *pScreen)
{
    pScreen->m_cols = 0;
    pScreen->m_rows = 0;
    pScreen->m_cells.clear();
    pScreen->m_notice = 0;
    pScreen->m_needCols = 0;
    pScreen->m_needRows = 0;
    TerminalScreenInvalidate(pScreen);
}

void TerminalScreenInvalidate(TerminalScreen *pScreen)
{
    pScreen->m_valid = 0;
    pScreen->m_cursorX = -1;
    pScreen->m_cursorY = -1;
    pScreen->m_attr = -1;
}

static void MoveCursor(TerminalScreen *pScreen, int x, int y, std::string *pOut)
{
    if (pScreen->m_cursorX == x && pScreen->m_cursorY == y)
        return;
    char buf[32];
    snprintf(buf, sizeof buf, "\x1b[%d;%dH", y + 1, x + 1);
    pOut->append(buf);
    pScreen->m_cursorX = x;
    pScreen->m_cursorY = y;
}

static void DrawCell(TerminalScreen *pScreen, int x, int y, PlatformCell cell, std::string *pOut)
{
    MoveCursor(pScreen, x, y, pOut);
    TerminalAppendAttrChange(pOut, pScreen->m_attr, cell.m_attr);
    pScreen->m_attr = cell.m_attr;
    char glyph[4];
    pOut->append(glyph, (size_t)Cp437ToUtf8(cell.m_ch, glyph));
    // With autowrap off the cursor stays on the last column after drawing there.
    if (x + 1 < pScreen->m_cols)
        pScreen->m_cursorX = x + 1;
    else
        pScreen->m_cursorX = -1;
}

// One line of the notice, centred on its row and cut to the terminal's width.
static void AppendNoticeLine(const char *pText, int row, int termCols, std::string *pOut)
{
    int len = (int)strlen(pText);
    int shown = std::min(len, termCols);
    char buf[32];
    snprintf(buf, sizeof buf, "\x1b[%d;%dH", row + 1, (termCols - shown) / 2 + 1);
    pOut->append(buf);
    pOut->append(pText, (size_t)shown);
}

// In place of a frame that does not fit: the size the terminal has and the size the game needs,
// centred, and not one cell beyond the terminal's edge.
static void RenderNotice(TerminalScreen *pScreen, int cols, int rows, int termCols, int termRows, std::string *pOut)
{
    if (pScreen->m_notice && pScreen->m_valid && pScreen->m_cols == termCols && pScreen->m_rows == termRows &&
        pScreen->m_needCols == cols && pScreen->m_needRows == rows)
        return;
    char lines[3][64];
    snprintf(lines[0], sizeof lines[0], "This terminal is %dx%d.", termCols, termRows);
    snprintf(lines[1], sizeof lines[1], "Vostrel needs %dx%d.", cols, rows);
    snprintf(lines[2], sizeof lines[2], "Please enlarge it.");
    pOut->append("\x1b[0m\x1b[2J");
    int first = (termRows - 3) / 2;
    for (int i = 0; i < 3; i++) {
        if (first + i >= 0 && first + i < termRows)
            AppendNoticeLine(lines[i], first + i, termCols, pOut);
    }
    TerminalScreenInvalidate(pScreen);
    pScreen->m_valid = 1;  // as a notice: the next frame that fits repaints everything
    pScreen->m_notice = 1;
    pScreen->m_cols = termCols;
    pScreen->m_rows = termRows;
    pScreen->m_needCols = cols;
    pScreen->m_needRows = rows;
}

void TerminalRenderFrame(TerminalScreen *pScreen, const PlatformCell *pCells, int cols, int rows,
                         int termCols, int termRows, std::string *pOut)
{
    if (termCols < cols || termRows < rows) {
        if (termCols > 0 && termRows > 0)
            RenderNotice(pScreen, cols, rows, termCols, termRows, pOut);
        return;
    }
    if (pScreen->m_notice) {
        pScreen->m_notice = 0;
        pScreen->m_valid = 0;
    }
    int w = std::max(0, std::min(cols, termCols));
    int h = std::max(0, std::min(rows, termRows));
    if (w != pScreen->m_cols || h != pScreen->m_rows) {
        pScreen->m_cols = w;
        pScreen->m_rows = h;
        pScreen->m_cells.assign((size_t)w * (size_t)h, PlatformCell{0, 0});
        pScreen->m_valid = 0;
    }
    bool repaintAll = !pScreen->m_valid;
    // An idle game presents the same frame sixty times a second: one comparison says so.
    if (!repaintAll && w == cols && memcmp(pScreen->m_cells.data(), pCells, (size_t)w * (size_t)h * sizeof(PlatformCell)) == 0)
        return;
    if (repaintAll) {
        // Clear in the default colours so that a larger terminal shows nothing beside the frame.
        pOut->append("\x1b[0m\x1b[2J");
        pScreen->m_attr = -1;
        pScreen->m_cursorX = -1;
        pScreen->m_cursorY = -1;
    }
    for (int y = 0; y < h; y++) {
        const PlatformCell *pRow = pCells + (size_t)y * (size_t)cols;
        PlatformCell *pShown = &pScreen->m_cells[(size_t)y * (size_t)w];
        for (int x = 0; x < w; x++) {
            PlatformCell cell = pRow[x];
            if (!repaintAll && pShown[x].m_ch == cell.m_ch && pShown[x].m_attr == cell.m_attr)
                continue;
            DrawCell(pScreen, x, y, cell, pOut);
            pShown[x] = cell;
        }
    }
    pScreen->m_valid = 1;
}
