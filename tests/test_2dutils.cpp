// The drawing layer: blits at every edge, transparency and the background-keeping rule, the
// unclipped operations, lines and pattern lines, scaling, progress bars, cell strings, sprites.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/2dutils.h"
#include "game/console.h"

namespace {

const Cell BACKGROUND = {'.', 0x1F};

// A surface filled with one cell, released at the end of the test.
struct OwnedSurface {
    Surface *p;
    OwnedSurface(int w, int h, Cell fill = BACKGROUND) : p(CreateSurface(w, h)) { FillSurface(p, fill); }
    ~OwnedSurface() { DestroySurface(&p); }
    Cell &At(int x, int y) { return p->m_pCells[y * p->m_nWidth + x]; }
};

// Every source cell different, and none with equal colour nibbles, so that a cell drawn in the
// wrong place or with the wrong colours is seen.
void FillNumbered(OwnedSurface &s)
{
    for (int y = 0; y < s.p->m_nHeight; y++)
        for (int x = 0; x < s.p->m_nWidth; x++)
            s.At(x, y) = Cell{(unsigned char)('A' + y * s.p->m_nWidth + x), (unsigned char)((x + y) % 2 ? 0x4A : 0x5B)};
}

bool Same(Cell a, Cell b) { return a.m_ch == b.m_ch && a.m_attr == b.m_attr; }

// Where the blit should have put each source cell, by plain coordinates: destination (dx, dy)
// shows source (dx - x, dy - y) when that lies in the source, and keeps its background otherwise.
void ExpectBlitResult(OwnedSurface &dest, OwnedSurface &src, int x, int y)
{
    for (int dy = 0; dy < dest.p->m_nHeight; dy++) {
        for (int dx = 0; dx < dest.p->m_nWidth; dx++) {
            int sx = dx - x, sy = dy - y;
            bool covered = sx >= 0 && sy >= 0 && sx < src.p->m_nWidth && sy < src.p->m_nHeight;
            Cell want = covered ? src.At(sx, sy) : BACKGROUND;
            ASSERT_TRUE(Same(dest.At(dx, dy), want))
                << "blit at (" << x << ", " << y << "), destination cell (" << dx << ", " << dy << ")";
        }
    }
}

void Blit(OwnedSurface &dest, OwnedSurface &src, int x, int y, Cell *pTrans = nullptr)
{
    Coord pos = {x, y};
    BlitSurface(&pos, dest.p, src.p, pTrans);
}

}  // namespace

TEST(BlitSurfaceClipping, PartlyAboveAndLeftDrawsOnlyTheLowerRightCorner)
{
    OwnedSurface screen(80, 50), src(5, 4);
    FillNumbered(src);
    Blit(screen, src, -3, -2);
    EXPECT_TRUE(Same(screen.At(0, 0), src.At(3, 2)));
    EXPECT_TRUE(Same(screen.At(1, 1), src.At(4, 3)));
    ExpectBlitResult(screen, src, -3, -2);
}

TEST(BlitSurfaceClipping, PartlyBelowAndRightDrawsOnlyTheUpperLeftCorner)
{
    OwnedSurface screen(80, 50), src(5, 4);
    FillNumbered(src);
    Blit(screen, src, 78, 48);
    EXPECT_TRUE(Same(screen.At(78, 48), src.At(0, 0)));
    EXPECT_TRUE(Same(screen.At(79, 49), src.At(1, 1)));
    ExpectBlitResult(screen, src, 78, 48);
}

TEST(BlitSurfaceClipping, TheOtherTwoCornersDrawTheirQuarter)
{
    OwnedSurface topRight(80, 50), bottomLeft(80, 50), src(5, 4);
    FillNumbered(src);
    Blit(topRight, src, 78, -2);
    ExpectBlitResult(topRight, src, 78, -2);
    EXPECT_TRUE(Same(topRight.At(78, 0), src.At(0, 2)));
    Blit(bottomLeft, src, -3, 48);
    ExpectBlitResult(bottomLeft, src, -3, 48);
    EXPECT_TRUE(Same(bottomLeft.At(0, 48), src.At(3, 0)));
}

TEST(BlitSurfaceClipping, PositionsJustOutsideDrawNothing)
{
    OwnedSurface screen(80, 50), src(5, 4);
    FillNumbered(src);
    const int outside[][2] = {{80, 0}, {0, 50}, {-5, 0}, {0, -4}, {-5, -4}, {80, 50}, {1000, -1000}};
    for (const auto &pos : outside) {
        Blit(screen, src, pos[0], pos[1]);
        ExpectBlitResult(screen, src, 1000000, 1000000);  // all background
    }
}

TEST(BlitSurfaceClipping, EveryPositionAroundASmallTargetMatchesPlainCoordinates)
{
    OwnedSurface src(3, 2);
    FillNumbered(src);
    for (int y = -4; y <= 7; y++) {
        for (int x = -5; x <= 8; x++) {
            OwnedSurface dest(6, 5);
            Blit(dest, src, x, y);
            ExpectBlitResult(dest, src, x, y);
        }
    }
}

TEST(BlitSurfaceClipping, ASourceLargerThanTheTargetIsCutOnAllSides)
{
    OwnedSurface src(10, 7);
    FillNumbered(src);
    for (int y = -4; y <= 1; y++) {
        for (int x = -7; x <= 1; x++) {
            OwnedSurface dest(4, 3);
            Blit(dest, src, x, y);
            ExpectBlitResult(dest, src, x, y);
        }
    }
}

TEST(BlitSurfaceTransparency, OnlyACellEqualInBothBytesIsSkipped)
{
    OwnedSurface dest(3, 1), src(3, 1);
    Cell trans = {'t', 0x00};
    src.At(0, 0) = trans;            // skipped
    src.At(1, 0) = Cell{'t', 0x4A};  // same character, other colours: drawn
    src.At(2, 0) = Cell{'x', 0x00};  // same colours, other character: drawn (over the background)
    Blit(dest, src, 0, 0, &trans);
    EXPECT_TRUE(Same(dest.At(0, 0), BACKGROUND));
    EXPECT_TRUE(Same(dest.At(1, 0), Cell{'t', 0x4A}));
    EXPECT_EQ(dest.At(2, 0).m_ch, 'x');
}

TEST(BlitSurfaceTransparency, WithoutATransparentCellEveryCellIsDrawn)
{
    OwnedSurface dest(1, 1), src(1, 1, Cell{'t', 0x4A});
    Blit(dest, src, 0, 0, nullptr);
    EXPECT_TRUE(Same(dest.At(0, 0), Cell{'t', 0x4A}));
}

TEST(BlitSurfaceBackground, EqualNibblesKeepTheBackgroundUnderneath)
{
    OwnedSurface dest(3, 1, Cell{'.', 0x1F}), src(3, 1);
    src.At(0, 0) = Cell{'*', 0xEE};
    src.At(1, 0) = Cell{'*', 0x4E};
    src.At(2, 0) = Cell{'o', 0x00};
    Blit(dest, src, 0, 0);
    EXPECT_TRUE(Same(dest.At(0, 0), Cell{'*', 0x1E}));
    EXPECT_TRUE(Same(dest.At(1, 0), Cell{'*', 0x4E}));
    EXPECT_TRUE(Same(dest.At(2, 0), Cell{'o', 0x10}));
}

TEST(CopySurfaceRect, SavesTheAreaUnderADialogAndBlitPutsItBack)
{
    OwnedSurface screen(8, 6), saved(3, 2);
    FillNumbered(screen);
    OwnedSurface before(8, 6);
    Blit(before, screen, 0, 0);

    CopySurfaceRect(screen.p, 4, 3, saved.p);
    EXPECT_TRUE(Same(saved.At(0, 0), screen.At(4, 3)));
    EXPECT_TRUE(Same(saved.At(2, 1), screen.At(6, 4)));

    OwnedSurface dialog(3, 2, Cell{'#', 0x70});
    Blit(screen, dialog, 4, 3);
    Blit(screen, saved, 4, 3);
    ExpectBlitResult(screen, before, 0, 0);
}

TEST(CopySurfaceRect, CellsBeyondTheSourceAreNotRead)
{
    OwnedSurface screen(4, 4), saved(3, 3, Cell{'s', 0x22});
    FillNumbered(screen);
    CopySurfaceRect(screen.p, -1, -1, saved.p);  // as under a cursor at (-1, -1)
    EXPECT_TRUE(Same(saved.At(0, 0), Cell{'s', 0x22}));
    EXPECT_TRUE(Same(saved.At(2, 0), Cell{'s', 0x22}));
    EXPECT_TRUE(Same(saved.At(1, 1), screen.At(0, 0)));
    EXPECT_TRUE(Same(saved.At(2, 2), screen.At(1, 1)));
}

TEST(InvertSurfaceRect, OneCellSwapsItsNibblesAndTwiceRestoresIt)
{
    OwnedSurface s(3, 3, Cell{'a', 0x1E});
    InvertSurfaceRect(s.p, 1, 1, 1, 1);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++)
            EXPECT_EQ(s.At(x, y).m_attr, (x == 1 && y == 1) ? 0xE1 : 0x1E) << x << "," << y;
    EXPECT_EQ(s.At(1, 1).m_ch, 'a');
    InvertSurfaceRect(s.p, 1, 1, 1, 1);
    EXPECT_EQ(s.At(1, 1).m_attr, 0x1E);
}

TEST(InvertSurfaceRect, TheRectangleIncludesBothCorners)
{
    OwnedSurface s(5, 4, Cell{' ', 0x07});
    InvertSurfaceRect(s.p, 1, 1, 3, 2);
    int inverted = 0;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++)
            inverted += s.At(x, y).m_attr == 0x70;
    EXPECT_EQ(inverted, 6);
    EXPECT_EQ(s.At(3, 2).m_attr, 0x70);
    EXPECT_EQ(s.At(4, 2).m_attr, 0x07);
}

TEST(InvertSurfaceRect, CellsOutsideTheSurfaceAreSkipped)
{
    OwnedSurface s(2, 2, Cell{' ', 0x07});
    InvertSurfaceRect(s.p, -1, -1, 0, 0);
    EXPECT_EQ(s.At(0, 0).m_attr, 0x70);
    EXPECT_EQ(s.At(1, 0).m_attr, 0x07);
    EXPECT_EQ(s.At(0, 1).m_attr, 0x07);
}

namespace {

const Cell INK = {'*', 0x0C};

// The cells a line changed, as "x,y" in row-major order.
std::vector<std::pair<int, int>> InkedCells(OwnedSurface &s)
{
    std::vector<std::pair<int, int>> cells;
    for (int y = 0; y < s.p->m_nHeight; y++)
        for (int x = 0; x < s.p->m_nWidth; x++)
            if (Same(s.At(x, y), INK))
                cells.push_back({x, y});
    return cells;
}

using Cells = std::vector<std::pair<int, int>>;

}  // namespace

TEST(DrawLine, APointLineWritesOneCell)
{
    OwnedSurface s(5, 5);
    DrawLine(s.p, 2, 2, 2, 2, INK);
    EXPECT_EQ(InkedCells(s), (Cells{{2, 2}}));
}

TEST(DrawLine, TheMinorCoordinateLagsBehind)
{
    OwnedSurface shallow(6, 3), backwards(6, 3), steep(3, 6), mixed(6, 5);
    DrawLine(shallow.p, 0, 0, 4, 1, INK);
    EXPECT_EQ(InkedCells(shallow), (Cells{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
    DrawLine(backwards.p, 4, 1, 0, 0, INK);
    EXPECT_EQ(InkedCells(backwards), (Cells{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    DrawLine(steep.p, 0, 0, 1, 4, INK);
    EXPECT_EQ(InkedCells(steep), (Cells{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}));
    DrawLine(mixed.p, 0, 0, 4, 3, INK);
    EXPECT_EQ(InkedCells(mixed), (Cells{{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}}));
}

TEST(DrawLine, DiagonalsStepBothWays)
{
    OwnedSurface down(4, 4), up(4, 4);
    DrawLine(down.p, 0, 0, 3, 3, INK);
    EXPECT_EQ(InkedCells(down), (Cells{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    DrawLine(up.p, 3, 0, 0, 3, INK);
    EXPECT_EQ(InkedCells(up), (Cells{{3, 0}, {2, 1}, {1, 2}, {0, 3}}));
}

TEST(DrawLine, ALinePastTheEdgeNeitherWrapsNorWritesOutside)
{
    OwnedSurface s(3, 2);
    DrawLine(s.p, 0, 0, 5, 0, INK);
    DrawLine(s.p, 2, 1, 2, 4, INK);
    EXPECT_EQ(InkedCells(s), (Cells{{0, 0}, {1, 0}, {2, 0}, {2, 1}}));
}

namespace {

// Restores the frame counter whatever a test set it to.
struct FrameCounterGuard {
    uint32_t saved = g_frameCounter;
    ~FrameCounterGuard() { g_frameCounter = saved; }
};

}  // namespace

TEST(DrawPatternLine, TheKthCellTakesPatternCellFrameMinusK)
{
    FrameCounterGuard guard;
    OwnedSurface pattern(2, 2), line(6, 1);
    FillNumbered(pattern);  // cells 0..3 are A, B, C, D
    g_frameCounter = 10;
    DrawPatternLine(line.p, 0, 0, 5, 0, pattern.p);
    const char want[] = "CBADCB";  // 10, 9, 8, 7, 6, 5 modulo 4
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(line.At(k, 0).m_ch, want[k]) << "cell " << k;
    EXPECT_EQ(line.At(0, 0).m_attr, pattern.p->m_pCells[2].m_attr);
}

TEST(DrawPatternLine, ThePatternMovesOneCellTowardsTheEndEachFrame)
{
    FrameCounterGuard guard;
    OwnedSurface pattern(5, 1), before(1, 7), after(1, 7);
    FillNumbered(pattern);
    g_frameCounter = 1234;
    DrawPatternLine(before.p, 0, 6, 0, 0, pattern.p);  // drawn upwards: its start is the bottom
    g_frameCounter = 1235;
    DrawPatternLine(after.p, 0, 6, 0, 0, pattern.p);
    for (int y = 0; y < 6; y++)
        EXPECT_TRUE(Same(after.At(0, y), before.At(0, y + 1))) << "row " << y;
}

TEST(DrawPatternLine, TheIndexIsTakenInUnsigned32BitArithmetic)
{
    FrameCounterGuard guard;
    OwnedSurface pattern(3, 1), line(3, 1);
    FillNumbered(pattern);  // A, B, C
    g_frameCounter = 0;
    DrawPatternLine(line.p, 0, 0, 2, 0, pattern.p);
    // 0, 0xFFFFFFFF, 0xFFFFFFFE modulo 3 are 0, 0, 2.
    EXPECT_EQ(line.At(0, 0).m_ch, 'A');
    EXPECT_EQ(line.At(1, 0).m_ch, 'A');
    EXPECT_EQ(line.At(2, 0).m_ch, 'C');
}

TEST(DrawPatternLine, CellsPastTheEdgeAreCountedButNotWritten)
{
    FrameCounterGuard guard;
    OwnedSurface pattern(4, 1), line(3, 2);
    FillNumbered(pattern);
    g_frameCounter = 3;
    DrawPatternLine(line.p, -2, 0, 2, 0, pattern.p);  // cells 0 and 1 fall outside
    EXPECT_EQ(line.At(0, 0).m_ch, 'B');  // k = 2
    EXPECT_EQ(line.At(1, 0).m_ch, 'A');
    EXPECT_EQ(line.At(2, 0).m_ch, 'D');  // 3 - 4 wraps to 0xFFFFFFFF, 3 modulo 4
    EXPECT_TRUE(Same(line.At(0, 1), BACKGROUND));
}

TEST(ScaleSurface, DoublingRepeatsEveryCellInATwoByTwoBlock)
{
    OwnedSurface src(4, 2);
    FillNumbered(src);
    Surface *pBig = ScaleSurface(src.p, 2.0, 2.0);
    ASSERT_EQ(pBig->m_nWidth, 8);
    ASSERT_EQ(pBig->m_nHeight, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++)
            EXPECT_TRUE(Same(pBig->m_pCells[y * 8 + x], src.At(x / 2, y / 2))) << x << "," << y;
    DestroySurface(&pBig);
}

TEST(ScaleSurface, ShrinkingTakesTheNearestCellTowardsTheOrigin)
{
    OwnedSurface src(5, 4);
    FillNumbered(src);
    Surface *pSmall = ScaleSurface(src.p, 0.5, 0.75);  // 2 x 3; steps 2.0 and 1.333
    ASSERT_EQ(pSmall->m_nWidth, 2);
    ASSERT_EQ(pSmall->m_nHeight, 3);
    const int rows[] = {0, 1, 2};
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 2; i++)
            EXPECT_TRUE(Same(pSmall->m_pCells[j * 2 + i], src.At(i * 2, rows[j]))) << i << "," << j;
    DestroySurface(&pSmall);
}

TEST(ScaleSurfaceDeathTest, ASizeThatTruncatesToZeroStopsAtTheSizeCheck)
{
    OwnedSurface src(4, 2);
    EXPECT_DEATH(ScaleSurface(src.p, 0.2, 1.0), "x > 0 && y > 0");
}

TEST(CreateSurfaceDeathTest, SizesBelowOneStop)
{
    EXPECT_DEATH(CreateSurface(0, 5), "Assertion failed: x > 0 && y > 0, module 2dutils");
    EXPECT_DEATH(CreateSurface(5, -1), "x > 0 && y > 0");
}

TEST(MakeProgressBar, HalfABlockShowsFromHalfACell)
{
    Surface *pAt45 = MakeProgressBar(0.45, 0x2A, 10);
    Surface *pAt44 = MakeProgressBar(0.44, 0x2A, 10);
    for (int i = 0; i < 10; i++) {
        unsigned char want45 = i < 4 ? 219 : i == 4 ? 221 : ' ';
        unsigned char want44 = i < 4 ? 219 : ' ';
        EXPECT_EQ(pAt45->m_pCells[i].m_ch, want45) << i;
        EXPECT_EQ(pAt44->m_pCells[i].m_ch, want44) << i;
        EXPECT_EQ(pAt45->m_pCells[i].m_attr, 0x2A);
    }
    DestroySurface(&pAt45);
    DestroySurface(&pAt44);
}

TEST(MakeProgressBar, FractionsOutsideZeroToOneAreClamped)
{
    Surface *pOver = MakeProgressBar(1.7, 0x2A, 10);
    Surface *pFull = MakeProgressBar(1.0, 0x2A, 10);
    Surface *pUnder = MakeProgressBar(-0.2, 0x2A, 10);
    ASSERT_EQ(pOver->m_nWidth, 10);
    ASSERT_EQ(pOver->m_nHeight, 1);
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(pOver->m_pCells[i].m_ch, 219);
        EXPECT_EQ(pFull->m_pCells[i].m_ch, 219);
        EXPECT_EQ(pUnder->m_pCells[i].m_ch, ' ');
    }
    DestroySurface(&pOver);
    DestroySurface(&pFull);
    DestroySurface(&pUnder);
}

TEST(CellStrings, MakeCellStringEndsWithAZeroCellInTheSameAttribute)
{
    Cell *pCells = MakeCellString("OK", 0x0B);
    EXPECT_TRUE(Same(pCells[0], Cell{'O', 0x0B}));
    EXPECT_TRUE(Same(pCells[1], Cell{'K', 0x0B}));
    EXPECT_TRUE(Same(pCells[2], Cell{0, 0x0B}));
    free(pCells);
}

TEST(CellStrings, MakeCellsReadsPastAZeroByte)
{
    const char text[] = {'A', 0, 'B', '\xDB'};
    Cell *pCells = MakeCells(text, 0x70, 4);
    EXPECT_TRUE(Same(pCells[0], Cell{'A', 0x70}));
    EXPECT_TRUE(Same(pCells[1], Cell{0, 0x70}));
    EXPECT_TRUE(Same(pCells[2], Cell{'B', 0x70}));
    EXPECT_TRUE(Same(pCells[3], Cell{219, 0x70}));
    free(pCells);
}

TEST(CellStringsDeathTest, AnEmptyCountStops)
{
    EXPECT_DEATH(MakeCells("abc", 0x0F, 0), "size > 0");
}

TEST(Sprites, ASpriteHoldsItsFourValuesAndReleasesItsOwnCells)
{
    Surface *pImage = CreateSurface(3, 3);
    Cell *pTrans = (Cell *)malloc(sizeof(Cell));
    *pTrans = Cell{'t', 0x00};
    Sprite *pSprite = CreateSprite(pImage, -1, 7, pTrans);
    EXPECT_EQ(pSprite->m_pSurface, pImage);
    EXPECT_EQ(pSprite->m_x, -1);
    EXPECT_EQ(pSprite->m_y, 7);
    EXPECT_EQ(pSprite->m_pTrans, pTrans);
    DestroySprite(&pSprite);  // the leak checker sees the image or the cell left behind
    EXPECT_EQ(pSprite, nullptr);
    DestroySprite(&pSprite);
}

TEST(Sprites, TheSharedTransparentCellIsNeverReleased)
{
    Sprite *pSprite = CreateSprite(CreateSurface(1, 1), 0, 0, &g_transCell);
    DestroySprite(&pSprite);
    EXPECT_EQ(pSprite, nullptr);
    EXPECT_EQ(g_transCell.m_ch, 't');
}

TEST(Surfaces, DestroyingNullsThePointerAndAcceptsNull)
{
    Surface *pSurface = CreateSurface(2, 3);
    EXPECT_EQ(pSurface->m_nWidth, 2);
    EXPECT_EQ(pSurface->m_nHeight, 3);
    DestroySurface(&pSurface);
    EXPECT_EQ(pSurface, nullptr);
    DestroySurface(&pSurface);
    DestroySurface(nullptr);
}
