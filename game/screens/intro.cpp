#include "game/screens/intro.h"

#include <cstdio>
#include <cstring>

#include "game/core/console.h"
#include "game/ui/dialog.h"
#include "game/core/files.h"
#include "game/core/input.h"
#include "game/ui/uiutils.h"

const char g_copyrightLine[] = "Vostrel (c) 2026 The Vostrel founding engineers. All rights reserved";
static_assert(sizeof g_copyrightLine - 1 == 68, "the copyright line is 68 characters long");

Surface *g_pDialogBg = nullptr;
Surface *g_pTitleBg = nullptr;
Surface *g_ppFixed[FIXED_PICTURES] = {};

// Vertical offset of the title background; it climbs one row a frame and wraps after one tile.
static int s_scrollRow = 0;

static int Larger(int a, int b) { return a > b ? a : b; }

// Large enough to scroll behind the whole screen: twice the tile's larger side plus twice the
// screen's larger side, each way; one row of tiles along the top, then that band copied down.
static Surface *MakeTitleBackground(Surface *pTile)
{
    int side = 2 * Larger(pTile->m_nWidth, pTile->m_nHeight) +
               2 * Larger(g_pScreen->m_nWidth, g_pScreen->m_nHeight);
    Surface *pBackground = CreateSurface(side, side);
    for (int x = 0; x < side; x += pTile->m_nWidth) {
        Coord pos = {x, 0};
        BlitSurface(&pos, pBackground, pTile, nullptr);
    }
    Surface *pBand = CreateSurface(side, pTile->m_nHeight);
    CopySurfaceRect(pBackground, 0, 0, pBand);
    for (int y = pTile->m_nHeight; y < side; y += pTile->m_nHeight) {
        Coord pos = {0, y};
        BlitSurface(&pos, pBackground, pBand, nullptr);
    }
    DestroySurface(&pBand);
    return pBackground;
}

void LoadFrontEndPictures(void)
{
    g_pDialogBg = LoadSurfaceFile("dialogbg.v_s");
    for (int i = 0; i < FIXED_PICTURES; i++) {
        char name[32];
        snprintf(name, sizeof name, "../assets/fixed%d.v_s", i);
        g_ppFixed[i] = LoadSurfaceFile(name);
    }
    g_pTitleBg = MakeTitleBackground(g_pDialogBg);
}

void FreeFrontEndPictures(void)
{
    DestroySurface(&g_pTitleBg);
    DestroySurface(&g_pDialogBg);
    for (Surface *&pFixed : g_ppFixed)
        DestroySurface(&pFixed);
}

// Rows of the title picture step through the five variants as the pointer moves down; above and
// below them the plain title shows.
int TitlePictureForRow(int y)
{
    int k = (y * 7) / g_ppFixed[0]->m_nHeight - 1;
    return k >= 0 && k <= 4 ? k + 1 : 0;
}

int TitleScreenAnimation(Dialog *pDialog)
{
    s_scrollRow--;
    if (s_scrollRow == -g_pDialogBg->m_nHeight)
        s_scrollRow = 0;
    int tileWidth = g_pDialogBg->m_nWidth;
    Coord bgPos = {g_screenCentre.m_x - (g_screenCentre.m_x / tileWidth + 1) * tileWidth, s_scrollRow};
    BlitSurface(&bgPos, g_pScreen, g_pTitleBg, nullptr);

    Surface *pTitle = g_ppFixed[TitlePictureForRow(g_inputState.m_nY)];
    Coord titlePos = {g_screenCentre.m_x - pTitle->m_nWidth / 2, 0};
    BlitSurface(&titlePos, g_pScreen, pTitle, &pTitle->m_pCells[0]);

    Coord linePos = {g_screenCentre.m_x - 34, g_pScreen->m_nHeight - 1};
    DrawText(g_copyrightLine, 0x0B, g_pScreen, &linePos);
    return pDialog ? pDialog->m_cButtons : 0;
}
