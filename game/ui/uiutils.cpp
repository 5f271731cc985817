#include "game/ui/uiutils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/ui/dialog.h"
#include "game/ui/window.h"

// Characters of the two built-in styles, in frame style order (code page 437).
static const char BOX_CHARS[FRAME_STYLE_CELLS] = {'\xC9', '\xBB', '\xC8', '\xBC', '\xCD', '\xBA', ' '};
static const char BAR_CHARS[FRAME_STYLE_CELLS] = {' ', ' ', '\xCA', ' ', '\xCD', '\xBA', ' '};

static const Cell LOG_FILL = {' ', 0x0B};

/* Frame styles. */

int CreateFrameStyle(FrameStyle **ppStyle, Cell *pCells)
{
    V_ASSERT(ppStyle != NULL);
    *ppStyle = nullptr;
    if (pCells == nullptr)
        return 1;
    FrameStyle *pStyle = (FrameStyle *)malloc(sizeof(FrameStyle));
    if (pStyle == nullptr) {
        free(pCells);
        return 1;
    }
    pStyle->m_pCells = pCells;
    *ppStyle = pStyle;
    return 0;
}

void DestroyFrameStyle(FrameStyle **ppStyle)
{
    if (ppStyle == nullptr || *ppStyle == nullptr)
        return;
    free((*ppStyle)->m_pCells);
    free(*ppStyle);
    *ppStyle = nullptr;
}

int CreateBoxStyle(FrameStyle **ppStyle, unsigned char attr)
{
    return CreateFrameStyle(ppStyle, MakeCells(BOX_CHARS, attr, FRAME_STYLE_CELLS));
}

int CreateBarStyle(FrameStyle **ppStyle, unsigned char attr)
{
    return CreateFrameStyle(ppStyle, MakeCells(BAR_CHARS, attr, FRAME_STYLE_CELLS));
}

/* Pictures of boxes and text. */

// Each cell is tested in the order corners, horizontal edges, vertical edges: the first that
// matches wins, so a frame one cell wide or high still gets its corners.
Surface *BuildFrame(FrameStyle *pStyle, Coord *pSize)
{
    V_ASSERT(pStyle != NULL && pSize != NULL);
    int w = pSize->m_x, h = pSize->m_y;
    Surface *pFrame = CreateSurface(w, h);
    const Cell *pStyleCells = pStyle->m_pCells;
    long long last = (long long)w * h - 1;
    long long bottomLeft = last + 1 - w;
    for (long long i = 0; i <= last; i++) {
        Cell cell = pStyleCells[FRAME_FILL];
        if (i == 0)
            cell = pStyleCells[FRAME_TOP_LEFT];
        else if (i == w - 1)
            cell = pStyleCells[FRAME_TOP_RIGHT];
        else if (i == bottomLeft)
            cell = pStyleCells[FRAME_BOTTOM_LEFT];
        else if (i == last)
            cell = pStyleCells[FRAME_BOTTOM_RIGHT];
        else if ((i > 0 && i < w - 1) || (i > bottomLeft && i < last))
            cell = pStyleCells[FRAME_HORIZONTAL];
        else if ((i > 0 && i < (long long)(h - 1) * w && i % w == 0) ||
                 (i > w - 1 && i < last && (i + 1) % w == 0))
            cell = pStyleCells[FRAME_VERTICAL];
        pFrame->m_pCells[i] = cell;
    }
    return pFrame;
}

Surface *MakeTextLine(Cell *pCells, int n)
{
    V_ASSERT(pCells != NULL);
    Surface *pLine = CreateSurface(n, 1);
    FillSurface(pLine, Cell{' ', pCells[0].m_attr});
    for (int i = 0; i < n && pCells[i].m_ch != 0; i++)
        pLine->m_pCells[i] = pCells[i];
    return pLine;
}

void FreeTextLine(Surface **ppLine) { DestroySurface(ppLine); }

// Line k runs from cell start[k] to cell end[k] of the text; an empty line has end < start.
// Spaces that follow a wrap are skipped and do not count against the next line's width, and a
// break never goes back before the line's start (a line of nothing but spaces breaks hard), so
// every line takes at least one cell and the walk always moves forward.
Surface *WrapText(Cell *pText, int width)
{
    V_ASSERT(pText != NULL);
    V_ASSERT(width > 0);
    int start[WRAP_MAX_LINES], end[WRAP_MAX_LINES];
    int i = 0, k = 0, lastSpace = -1, wordEnd = 0;
    bool started = true, cut = false;
    start[0] = 0;

    while (pText[i].m_ch != 0) {
        unsigned char ch = pText[i].m_ch;
        if (ch == ' ' && !started) {
            start[k] = ++i;
            continue;
        }
        if (ch == ' ') {
            if (lastSpace != i - 1)
                wordEnd = i - 1;
            lastSpace = i;
        } else if (!started) {
            start[k] = i;
            started = true;
        }

        bool newLine = false;
        if (ch == '\n') {
            end[k] = i - 1;
            i++;
            newLine = true;
        } else if (i - start[k] < width - 1) {
            i++;
        } else {
            bool noWordBreak = lastSpace < start[k] || wordEnd < start[k];
            end[k] = noWordBreak ? i : wordEnd;
            i = end[k] + 1;
            newLine = true;
        }
        if (newLine) {
            if (k + 1 == WRAP_MAX_LINES) {
                cut = true;
                break;
            }
            started = ch == '\n';
            k++;
            start[k] = i;
        }
    }

    int count;
    if (cut) {
        count = WRAP_MAX_LINES;
    } else if (started) {
        end[k] = i - 1;
        count = k + 1;
    } else {
        count = k;
    }

    Surface *pWrapped = CreateSurface(width, count);
    FillSurface(pWrapped, Cell{' ', pText[0].m_attr});
    for (int line = 0; line < count && line <= k; line++) {
        int n = end[line] - start[line] + 1;
        if (n > width)
            n = width;
        if (n > 0)
            memcpy(&pWrapped->m_pCells[(size_t)line * width], &pText[start[line]], (size_t)n * sizeof(Cell));
    }
    return pWrapped;
}

void DrawText(const char *pText, unsigned char attr, Surface *pTarget, Coord *pPos)
{
    V_ASSERT(pText != NULL && pTarget != NULL && pPos != NULL);
    int n = (int)strlen(pText);
    if (n == 0)
        return;  // nothing to draw, and a surface needs at least one column
    Cell *pCells = MakeCellString(pText, attr);
    Surface *pLine = MakeTextLine(pCells, n);
    BlitSurface(pPos, pTarget, pLine, nullptr);
    FreeTextLine(&pLine);
    free(pCells);
}

/* The message log view. */

// The spare room behind the one content surface the log has grown. It is trusted only while the
// surface and its cell array are the ones it was recorded for.
static Surface *s_pGrownContent = nullptr;
static Cell *s_pGrownCells = nullptr;
static long long s_grownCapacity = 0;  // cells

void LogViewForget(Surface *pContent)
{
    if (pContent == s_pGrownContent) {
        s_pGrownContent = nullptr;
        s_pGrownCells = nullptr;
        s_grownCapacity = 0;
    }
}

// A content the log has not grown before is first made to look as if it had been blitted onto
// the log's fill with the shared transparent cell, as every older line of a grown log has been.
static void AdoptLogContent(Surface *pContent)
{
    Surface *pCopy = CreateSurface(pContent->m_nWidth, pContent->m_nHeight);
    FillSurface(pCopy, LOG_FILL);
    BlitSurface(&g_origin, pCopy, pContent, &g_transCell);
    size_t count = (size_t)pContent->m_nWidth * (size_t)pContent->m_nHeight;
    memcpy(pContent->m_pCells, pCopy->m_pCells, count * sizeof(Cell));
    DestroySurface(&pCopy);
    s_pGrownContent = pContent;
    s_pGrownCells = pContent->m_pCells;
    s_grownCapacity = (long long)count;
}

// Surfaces keep their cells in a plain heap array (2dutils), so the log may enlarge it in place.
static void ReserveLogCells(Surface *pContent, long long cells)
{
    if (cells <= s_grownCapacity)
        return;
    long long capacity = s_grownCapacity * 2;
    if (capacity < cells)
        capacity = cells;
    Cell *pCells = (Cell *)realloc(pContent->m_pCells, (size_t)capacity * sizeof(Cell));
    V_ASSERT(pCells != NULL);
    pContent->m_pCells = pCells;
    s_pGrownCells = pCells;
    s_grownCapacity = capacity;
}

void LogViewAppend(Scroller *pLogView, const char *pText, unsigned char attr)
{
    V_ASSERT(pLogView != NULL && pText != NULL);
    Surface *pContent = pLogView->m_pContent;
    if (pContent != s_pGrownContent || pContent->m_pCells != s_pGrownCells)
        AdoptLogContent(pContent);

    int width = pContent->m_nWidth;
    Cell *pCells = MakeCellString(pText, attr);
    Surface *pWrapped = WrapText(pCells, width);
    int oldHeight = pContent->m_nHeight;
    if (oldHeight + pWrapped->m_nHeight > LOG_VIEW_MAX_LINES) {
        // Dropped in one batch, so that the move is paid once per hundreds of messages.
        int keep = std::max(0, std::min(oldHeight, LOG_VIEW_KEPT_LINES - pWrapped->m_nHeight));
        memmove(pContent->m_pCells, &pContent->m_pCells[(size_t)(oldHeight - keep) * width],
                (size_t)keep * width * sizeof(Cell));
        oldHeight = keep;
    }
    int newHeight = oldHeight + pWrapped->m_nHeight;
    ReserveLogCells(pContent, (long long)newHeight * width);

    pContent->m_nHeight = newHeight;
    Cell *pNewRows = &pContent->m_pCells[(size_t)oldHeight * width];
    for (size_t c = 0; c < (size_t)pWrapped->m_nHeight * width; c++)
        pNewRows[c] = LOG_FILL;
    Coord at = {0, oldHeight};
    BlitSurface(&at, pContent, pWrapped, &g_transCell);
    pLogView->m_nScrollY = oldHeight - pLogView->m_pView->m_nHeight + pWrapped->m_nHeight;

    DestroySurface(&pWrapped);
    free(pCells);
}

/* Message box. */

void MessageBox(const char *pText)
{
    V_ASSERT(pText != NULL);
    FrameStyle *pStyle = nullptr;
    int rc = CreateBoxStyle(&pStyle, 0x0B);
    V_ASSERT(rc == 0);
    Surface *pBody = CreateSurface(60, 20);
    FillSurface(pBody, pStyle->m_pCells[FRAME_FILL]);

    Button *pOk = nullptr;
    Coord okAt = {28, 16};
    rc = CreateButton(&pOk, nullptr, nullptr, 0, 0, nullptr, " OK ", 4, pStyle, &okAt, &g_transCell);
    V_ASSERT(rc == 0);

    Cell *pCells = MakeCellString(pText, 0x0B);
    Surface *pWrapped = WrapText(pCells, 58);
    Coord textAt = {1, 1};
    BlitSurface(&textAt, pBody, pWrapped, &g_transCell);
    DestroySurface(&pWrapped);
    free(pCells);

    Dialog *pDialog = nullptr;
    rc = CreateDialog(&pDialog, pStyle, pBody, &g_transCell, &pOk, 1, nullptr, nullptr);
    V_ASSERT(rc == 0);
    RunDialog(pDialog);
    DestroyDialog(&pDialog);
    DestroyButton(&pOk);
    DestroySurface(&pBody);
    DestroyFrameStyle(&pStyle);
}
