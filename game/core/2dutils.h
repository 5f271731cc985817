// 2dutils: the drawing layer. Every picture is composed in memory as a grid of cells (a code page
// 437 byte and a console attribute) and reaches the screen surface through BlitSurface. Nothing
// here touches the console; the screen surface, the frame counter and the shared transparent cell
// belong to the console module.
#pragma once

#include "game/core/coord.h"

struct Cell {
    unsigned char m_ch;    // code page 437 character
    unsigned char m_attr;  // bits 0-3 foreground, 4-7 background (blue 1, green 2, red 4, intensity 8)
};

struct Surface {
    int m_nWidth;     // columns, at least 1
    int m_nHeight;    // rows, at least 1
    Cell *m_pCells;   // row-major: column x, row y at y * width + x; owned
};

struct Sprite {
    Surface *m_pSurface;  // owned by the sprite
    int m_x, m_y;         // top-left cell on its target
    Cell *m_pTrans;       // transparent cell; owned unless it is the shared one (or null)
};

/* Surfaces. CopySurfaceRect and InvertSurfaceRect expect their rectangle inside the surface;
   cells that fall outside are skipped, never read or written. */
Surface *CreateSurface(int x, int y);
void DestroySurface(Surface **ppSurface);
void FillSurface(Surface *pSurface, Cell cell);
void CopySurfaceRect(Surface *pSrc, int x, int y, Surface *pDest);
void InvertSurfaceRect(Surface *pSurface, int x1, int y1, int x2, int y2);
Surface *ScaleSurface(Surface *pSrc, double scaleX, double scaleY);

/* The one general drawing operation: clipped, with an optional transparent cell. */
void BlitSurface(Coord *pPos, Surface *pDest, Surface *pSrc, Cell *pTrans);

/* Lines. Callers keep both end points inside the surface; a cell that falls outside is skipped
   (the pattern still advances over it), never written elsewhere. */
void DrawLine(Surface *pSurface, int x1, int y1, int x2, int y2, Cell cell);
void DrawPatternLine(Surface *pSurface, int x1, int y1, int x2, int y2, Surface *pPattern);

/* Cell strings: plain heap arrays released with free(). */
Cell *MakeCells(const char *pText, unsigned char attr, int size);
Cell *MakeCellString(const char *pText, unsigned char attr);

/* Ready-made pictures. */
Surface *MakeProgressBar(double fraction, unsigned char attr, int width);

/* Sprites. */
Sprite *CreateSprite(Surface *pSurface, int x, int y, Cell *pTrans);
void DestroySprite(Sprite **ppSprite);
