#include "game/core/2dutils.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"

static const unsigned char CHAR_FULL_BLOCK = 219;
static const unsigned char CHAR_LEFT_HALF_BLOCK = 221;

static bool CellsEqual(const Cell &a, const Cell &b)
{
    return a.m_ch == b.m_ch && a.m_attr == b.m_attr;
}

// 64-bit coordinates: callers add offsets that may leave the int range.
static bool SurfaceHasCell(const Surface *pSurface, long long x, long long y)
{
    return x >= 0 && y >= 0 && x < pSurface->m_nWidth && y < pSurface->m_nHeight;
}

static Cell *SurfaceCellAt(Surface *pSurface, int x, int y)
{
    return &pSurface->m_pCells[(size_t)y * (size_t)pSurface->m_nWidth + (size_t)x];
}

/* Surfaces. */

// The cells are left uninitialised: nearly every caller fills or blits over them at once. Memory
// that runs out stops the program through the assertion, never a write through null.
Surface *CreateSurface(int x, int y)
{
    V_ASSERT(x > 0 && y > 0);
    Surface *pSurface = (Surface *)malloc(sizeof(Surface));
    V_ASSERT(pSurface != NULL);
    pSurface->m_nWidth = x;
    pSurface->m_nHeight = y;
    pSurface->m_pCells = (Cell *)malloc((size_t)x * (size_t)y * sizeof(Cell));
    V_ASSERT(pSurface->m_pCells != NULL);
    return pSurface;
}

void DestroySurface(Surface **ppSurface)
{
    if (ppSurface == NULL || *ppSurface == NULL)
        return;
    free((*ppSurface)->m_pCells);
    free(*ppSurface);
    *ppSurface = NULL;
}

// Every frame fills whole maps: the cells are copied in doubling runs rather than one by one.
void FillSurface(Surface *pSurface, Cell cell)
{
    size_t count = (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight;
    Cell *pCells = pSurface->m_pCells;
    pCells[0] = cell;
    for (size_t done = 1; done < count;) {
        size_t n = done < count - done ? done : count - done;
        memcpy(pCells + done, pCells, n * sizeof(Cell));
        done += n;
    }
}

// Destination cells whose source cell would lie outside the source keep what they hold: a
// rectangle hanging over the source's edge must not read beyond its cells.
void CopySurfaceRect(Surface *pSrc, int x, int y, Surface *pDest)
{
    for (int j = 0; j < pDest->m_nHeight; j++) {
        for (int i = 0; i < pDest->m_nWidth; i++) {
            long long srcX = (long long)x + i, srcY = (long long)y + j;
            if (SurfaceHasCell(pSrc, srcX, srcY))
                *SurfaceCellAt(pDest, i, j) = *SurfaceCellAt(pSrc, (int)srcX, (int)srcY);
        }
    }
}

// Cells of the rectangle outside the surface are skipped rather than written.
void InvertSurfaceRect(Surface *pSurface, int x1, int y1, int x2, int y2)
{
    int left = x1 > 0 ? x1 : 0;
    int top = y1 > 0 ? y1 : 0;
    int right = x2 < pSurface->m_nWidth - 1 ? x2 : pSurface->m_nWidth - 1;
    int bottom = y2 < pSurface->m_nHeight - 1 ? y2 : pSurface->m_nHeight - 1;
    for (int y = top; y <= bottom; y++) {
        for (int x = left; x <= right; x++) {
            Cell *pCell = SurfaceCellAt(pSurface, x, y);
            pCell->m_attr = (unsigned char)((pCell->m_attr >> 4) | (pCell->m_attr << 4));
        }
    }
}

// A scaled size outside 1..INT_MAX (or not a number) becomes 0, so that CreateSurface's size
// check stops it instead of an undefined conversion.
static int ScaledSize(int size, double scale)
{
    double scaled = std::trunc((double)size * scale);
    if (!(scaled >= 1.0 && scaled <= (double)INT_MAX))
        return 0;
    return (int)scaled;
}

Surface *ScaleSurface(Surface *pSrc, double scaleX, double scaleY)
{
    Surface *pDest = CreateSurface(ScaledSize(pSrc->m_nWidth, scaleX), ScaledSize(pSrc->m_nHeight, scaleY));
    double stepX = 1.0 / scaleX;
    double stepY = 1.0 / scaleY;
    double r = 0.0;
    for (int j = 0; j < pDest->m_nHeight; j++) {
        // The accumulated steps stay below the source size in exact arithmetic; the bound keeps
        // a rounding error in the last column or row from reading past the source.
        int srcY = (int)r < pSrc->m_nHeight ? (int)r : pSrc->m_nHeight - 1;
        double c = 0.0;
        for (int i = 0; i < pDest->m_nWidth; i++) {
            int srcX = (int)c < pSrc->m_nWidth ? (int)c : pSrc->m_nWidth - 1;
            *SurfaceCellAt(pDest, i, j) = *SurfaceCellAt(pSrc, srcX, srcY);
            c += stepX;
        }
        r += stepY;
    }
    return pDest;
}

/* Blitting. */

void BlitSurface(Coord *pPos, Surface *pDest, Surface *pSrc, Cell *pTrans)
{
    int x = pPos->m_x;
    int y = pPos->m_y;
    int sw = pSrc->m_nWidth, sh = pSrc->m_nHeight;
    int dw = pDest->m_nWidth, dh = pDest->m_nHeight;

    if (x >= dw || y >= dh || y < -sh || x < -sw)
        return;

    // 64-bit sums: a source near INT_MAX wide placed far right must not overflow the test.
    long long cw = sw;
    if ((long long)x + sw > dw)
        cw -= (long long)x + sw - dw;
    if (x < 0)
        cw += x;
    long long ch = sh;
    if ((long long)y + sh > dh)
        ch -= (long long)y + sh - dh;
    if (y < 0)
        ch += y;

    size_t srcIndex = (y < 0 ? (size_t)-(long long)y * (size_t)sw : 0) + (x < 0 ? (size_t)-(long long)x : 0);
    size_t destIndex = (y < 0 ? 0 : (size_t)y * (size_t)dw) + (x < 0 ? 0 : (size_t)x);

    for (long long row = 0; row < ch; row++) {
        const Cell *pS = &pSrc->m_pCells[srcIndex];
        Cell *pD = &pDest->m_pCells[destIndex];
        // Equal nibbles mean "no box behind me": the glyph takes the background it lands on.
        // Written without branches where it can be: the game blits whole maps every frame.
        auto put = [](Cell s, Cell *pCell) {
            unsigned char keepBack = (unsigned char)(((s.m_attr >> 4) == (s.m_attr & 0x0F)) ? 0xF0 : 0x00);
            pCell->m_attr = (unsigned char)((s.m_attr & ~keepBack) | (pCell->m_attr & keepBack));
            pCell->m_ch = s.m_ch;
        };
        if (pTrans == NULL) {
            for (long long col = 0; col < cw; col++)
                put(pS[col], &pD[col]);
        } else {
            for (long long col = 0; col < cw; col++) {
                if (!CellsEqual(pS[col], *pTrans))
                    put(pS[col], &pD[col]);
            }
        }
        srcIndex += (size_t)sw;
        destIndex += (size_t)dw;
    }
}

/* Lines. */

// Walks the cells of a line from (x1, y1) to (x2, y2) and calls plot(k, x, y) for the k-th.
// The minor coordinate steps only once the accumulator exceeds the major length, so it lags:
// (0, 0) to (4, 1) stays on row 0. Steps that leave the surface are counted but not plotted,
// so a line poking past an edge neither writes outside the cells nor wraps to another row.
template <typename Plot>
static void WalkLine(int x1, int y1, int x2, int y2, Plot plot)
{
    long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
    long long ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    int sx = (dx > 0) - (dx < 0), sy = (dy > 0) - (dy < 0);
    long long x = x1, y = y1, e = 0;

    if (ax > ay) {
        for (long long k = 0; k <= ax; k++) {
            plot(k, x, y);
            x += sx;
            e += ay;
            if (e > ax) {
                e -= ax;
                y += sy;
            }
        }
    } else if (ax < ay) {
        for (long long k = 0; k <= ay; k++) {
            plot(k, x, y);
            y += sy;
            e += ax;
            if (e > ay) {
                e -= ay;
                x += sx;
            }
        }
    } else {
        for (long long k = 0; k <= ax; k++) {
            plot(k, x, y);
            x += sx;
            y += sy;
        }
    }
}

void DrawLine(Surface *pSurface, int x1, int y1, int x2, int y2, Cell cell)
{
    WalkLine(x1, y1, x2, y2, [&](long long, long long x, long long y) {
        if (SurfaceHasCell(pSurface, x, y))
            *SurfaceCellAt(pSurface, (int)x, (int)y) = cell;
    });
}

// The k-th cell shows pattern cell (frame counter - k) in unsigned 32-bit arithmetic, so as the
// counter grows the pattern runs from the line's start towards its end, one cell per frame.
void DrawPatternLine(Surface *pSurface, int x1, int y1, int x2, int y2, Surface *pPattern)
{
    uint32_t patternSize = (uint32_t)pPattern->m_nWidth * (uint32_t)pPattern->m_nHeight;
    uint32_t frame = g_frameCounter;
    WalkLine(x1, y1, x2, y2, [&](long long k, long long x, long long y) {
        if (SurfaceHasCell(pSurface, x, y))
            *SurfaceCellAt(pSurface, (int)x, (int)y) = pPattern->m_pCells[(frame - (uint32_t)k) % patternSize];
    });
}

/* Cell strings. */

// Copies exactly size bytes: a zero byte inside the text is a cell like any other.
Cell *MakeCells(const char *pText, unsigned char attr, int size)
{
    V_ASSERT(size > 0);
    Cell *pCells = (Cell *)malloc((size_t)size * sizeof(Cell));
    for (int i = 0; i < size; i++) {
        pCells[i].m_ch = (unsigned char)pText[i];
        pCells[i].m_attr = attr;
    }
    return pCells;
}

// The terminating zero becomes a last cell of its own, which is how text lines find the end.
Cell *MakeCellString(const char *pText, unsigned char attr)
{
    size_t length = strlen(pText);
    int x = length < (size_t)INT_MAX ? (int)length + 1 : 0;
    V_ASSERT(x > 0);
    return MakeCells(pText, attr, x);
}

/* Ready-made pictures. */

Surface *MakeProgressBar(double fraction, unsigned char attr, int width)
{
    Surface *pBar = CreateSurface(width, 1);
    FillSurface(pBar, Cell{' ', attr});
    if (fraction > 1.0)
        fraction = 1.0;
    if (fraction < 0.0)
        fraction = 0.0;
    if (std::isnan(fraction))  // an undefined fraction shows an empty bar
        fraction = 0.0;
    double filled = (double)width * fraction;
    int n = (int)filled;
    for (int i = 0; i < n; i++)
        pBar->m_pCells[i].m_ch = CHAR_FULL_BLOCK;
    if (filled - n >= 0.5 && n < width)
        pBar->m_pCells[n].m_ch = CHAR_LEFT_HALF_BLOCK;
    return pBar;
}

/* Sprites. */

Sprite *CreateSprite(Surface *pSurface, int x, int y, Cell *pTrans)
{
    Sprite *pSprite = (Sprite *)malloc(sizeof(Sprite));
    pSprite->m_pSurface = pSurface;
    pSprite->m_x = x;
    pSprite->m_y = y;
    pSprite->m_pTrans = pTrans;
    return pSprite;
}

// The transparent cell is the sprite's own heap cell, except the shared one, which is never
// released here even if a caller hands over a sprite that points at it.
void DestroySprite(Sprite **ppSprite)
{
    if (ppSprite == NULL || *ppSprite == NULL)
        return;
    Sprite *pSprite = *ppSprite;
    DestroySurface(&pSprite->m_pSurface);
    if (pSprite->m_pTrans != &g_transCell)
        free(pSprite->m_pTrans);
    free(pSprite);
    *ppSprite = NULL;
}
