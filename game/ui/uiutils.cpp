#include "game/ui/uiutils.h"

#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"

// Characters of the bar style, in frame style order (code page 437).
static const char BAR_CHARS[FRAME_STYLE_CELLS] = {' ', ' ', '\xCA', ' ', '\xCD', '\xBA', ' '};

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

int CreateDoubleLineStyle(FrameStyle **ppStyle, unsigned char attr, unsigned char fillChar, unsigned char fillAttr)
{
    char chars[FRAME_STYLE_CELLS];
    memcpy(chars, FRAME_DOUBLE_LINE, FRAME_FILL);
    chars[FRAME_FILL] = (char)fillChar;
    Cell *pCells = MakeCells(chars, attr, FRAME_STYLE_CELLS);
    if (pCells)
        pCells[FRAME_FILL].m_attr = fillAttr;
    return CreateFrameStyle(ppStyle, pCells);
}

int CreateBoxStyle(FrameStyle **ppStyle, unsigned char attr)
{
    return CreateDoubleLineStyle(ppStyle, attr, ' ', attr);
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
