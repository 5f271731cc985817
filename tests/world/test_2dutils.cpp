// The drawing layer: blits at every edge, transparency and the background-keeping rule, the
// unclipped operations kept inside their surface, lines and pattern lines, scaling, progress bars,
// sprites.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/core/2dutils.h"
#include "game/core/console.h"

namespace {

const Cell BACKGROUND = {'.', 0x1F};

bool Same(Cell a, Cell b) { return a.m_ch == b.m_ch && a.m_attr == b.m_attr; }

// A surface filled with one cell, released at the end of the test.
struct OwnedSurface {
    Surface *p;
    OwnedSurface(int w, int h, Cell fill = BACKGROUND) : p(CreateSurface(w, h)) { FillSurface(p, fill); }
    explicit OwnedSurface(Surface *pMade) : p(pMade) {}
    ~OwnedSurface() { DestroySurface(&p); }
    Cell &At(int x, int y) { return p->m_pCells[y * p->m_nWidth + x]; }
    // Every cell different, and none with equal colour nibbles, so a cell drawn in the wrong
    // place or with the wrong colours is seen. Characters run 'A', 'B', ... in index order.
    OwnedSurface &Numbered()
    {
        for (int i = 0; i < p->m_nWidth * p->m_nHeight; i++)
            p->m_pCells[i] = Cell{(unsigned char)('A' + i), (unsigned char)(i % 2 ? 0x4A : 0x5B)};
        return *this;
    }
    // The cells as the given function shows each, rows joined by '/'.
    template <typename Show> std::string Shown(Show show)
    {
        std::string text;
        for (int i = 0; i < p->m_nWidth * p->m_nHeight; i++)
            text += (i && i % p->m_nWidth == 0 ? "/" : "") + std::string(1, show(p->m_pCells[i]));
        return text;
    }
    std::string Chars() { return Shown([](Cell c) { return (char)c.m_ch; }); }
};

// Destination (dx, dy) shows source (dx - x, dy - y) when that lies in the source, else keeps its
// background: the blit's result by plain coordinates.
void BlitAndCheck(int dw, int dh, OwnedSurface &src, int x, int y)
{
    OwnedSurface dest(dw, dh);
    Coord pos = {x, y};
    BlitSurface(&pos, dest.p, src.p, nullptr);
    for (int dy = 0; dy < dh; dy++)
        for (int dx = 0; dx < dw; dx++) {
            int sx = dx - x, sy = dy - y;
            bool covered = sx >= 0 && sy >= 0 && sx < src.p->m_nWidth && sy < src.p->m_nHeight;
            ASSERT_TRUE(Same(dest.At(dx, dy), covered ? src.At(sx, sy) : BACKGROUND))
                << "blit at (" << x << ", " << y << "), cell (" << dx << ", " << dy << ")";
        }
}

}  // namespace

TEST(BlitSurface, EveryPositionAtAndBeyondEachEdgeAndCornerDrawsWhatPlainCoordinatesSay)
{
    OwnedSurface small(3, 2), large(10, 7);
    small.Numbered(), large.Numbered();
    for (int y = -4; y <= 7; y++)
        for (int x = -5; x <= 8; x++)
            BlitAndCheck(6, 5, small, x, y);
    for (int y = -9; y <= 4; y++)  // larger than its target: cut on every side
        for (int x = -12; x <= 5; x++)
            BlitAndCheck(4, 3, large, x, y);
    BlitAndCheck(80, 50, small, 1000, -1000);
}

TEST(BlitSurface, TransparencyNeedsBothBytesAndEqualNibblesKeepTheBackground)
{
    OwnedSurface dest(6, 1), src(6, 1);
    Cell trans = {'t', 0x00};
    const Cell in[] = {trans, {'t', 0x4A}, {'x', 0x00}, {'*', 0xEE}, {'*', 0x4E}, {'o', 0x44}};
    const Cell want[] = {BACKGROUND, {'t', 0x4A}, {'x', 0x10}, {'*', 0x1E}, {'*', 0x4E}, {'o', 0x14}};
    for (int i = 0; i < 6; i++)
        src.At(i, 0) = in[i];
    Coord origin = {0, 0};
    BlitSurface(&origin, dest.p, src.p, &trans);
    for (int i = 0; i < 6; i++)
        EXPECT_TRUE(Same(dest.At(i, 0), want[i])) << i;
    BlitSurface(&origin, dest.p, src.p, nullptr);  // without one, the 't' cell is drawn too
    EXPECT_TRUE(Same(dest.At(0, 0), Cell{'t', 0x10}));
}

TEST(CopyAndInvertSurfaceRect, CellsOutsideTheSurfaceAreNeitherReadNorWritten)
{
    OwnedSurface screen(4, 4), under(3, 3, Cell{'s', 0x22}), s(5, 4, Cell{'a', 0x1E});
    screen.Numbered();
    CopySurfaceRect(screen.p, -1, -1, under.p);  // as under a cursor at (-1, -1)
    EXPECT_EQ(under.Chars(), "sss/sAB/sEF");
    EXPECT_TRUE(Same(under.At(2, 2), screen.At(1, 1)));
    InvertSurfaceRect(s.p, 1, 1, 3, 2);  // both corners included
    InvertSurfaceRect(s.p, 3, 2, 3, 2);  // twice restores
    InvertSurfaceRect(s.p, -1, -1, 0, 0);
    auto show = [](Cell c) { return c.m_ch != 'a' ? '?' : c.m_attr == 0xE1 ? 'E' : c.m_attr == 0x1E ? '.' : '?'; };
    EXPECT_EQ(s.Shown(show), "E..../.EEE./.EE../.....");
}

TEST(DrawLine, TheMinorCoordinateLagsAndALinePastTheEdgeNeitherWrapsNorWritesOutside)
{
    const Cell INK = {'*', 0x0C};
    const struct {
        int w, h, x1, y1, x2, y2;
        const char *pShown;  // '*' where the line is
    } cases[] = {
        {5, 3, 2, 1, 2, 1, "...../..*../....."},
        {6, 2, 0, 0, 4, 1, "*****./......"},
        {6, 2, 4, 1, 0, 0, "....../*****."},
        {2, 5, 0, 0, 1, 4, "*./*./*./*./*."},
        {4, 4, 0, 0, 3, 3, "*.../.*../..*./...*"},
        {4, 4, 3, 0, 0, 3, "...*/..*./.*../*..."},
        {3, 2, 0, 0, 5, 0, "***/..."},
        {3, 2, 2, 1, 2, 4, ".../..*"},
    };
    for (const auto &c : cases) {
        OwnedSurface s(c.w, c.h);
        DrawLine(s.p, c.x1, c.y1, c.x2, c.y2, INK);
        auto show = [&](Cell cell) { return Same(cell, INK) ? '*' : Same(cell, BACKGROUND) ? '.' : '?'; };
        EXPECT_EQ(s.Shown(show), c.pShown)
            << "(" << c.x1 << "," << c.y1 << ") to (" << c.x2 << "," << c.y2 << ")";
    }
}

TEST(DrawPatternLine, TheKthCellIsPatternCellFrameMinusKUnsignedAndMovesOneCellAFrame)
{
    uint32_t savedFrame = g_frameCounter;
    OwnedSurface four(2, 2), three(3, 1), five(5, 1);  // patterns
    OwnedSurface line(6, 2), shortLine(3, 1), edge(3, 2), before(1, 7), after(1, 7);
    four.Numbered(), three.Numbered(), five.Numbered();
    g_frameCounter = 10;
    DrawPatternLine(line.p, 0, 0, 5, 0, four.p);
    EXPECT_EQ(line.Chars(), "CBADCB/......");  // 10, 9, 8, ... modulo 4
    EXPECT_EQ(line.At(0, 0).m_attr, four.At(0, 1).m_attr);
    g_frameCounter = 0;
    DrawPatternLine(shortLine.p, 0, 0, 2, 0, three.p);
    EXPECT_EQ(shortLine.Chars(), "AAC");  // 0, 0xFFFFFFFF, 0xFFFFFFFE modulo 3
    g_frameCounter = 3;
    DrawPatternLine(edge.p, -2, 1, 2, 1, four.p);  // cells 0 and 1 are counted but fall outside
    EXPECT_EQ(edge.Chars(), ".../BAD");            // and do not wrap into the row above
    g_frameCounter = 1234;
    DrawPatternLine(before.p, 0, 6, 0, 0, five.p);  // drawn upwards: its start is the bottom
    g_frameCounter = 1235;
    DrawPatternLine(after.p, 0, 6, 0, 0, five.p);
    EXPECT_EQ(after.Chars().substr(0, 11), before.Chars().substr(2));
    g_frameCounter = savedFrame;
}

TEST(ScaleSurface, CellsAreRepeatedOrSkippedTowardsTheOrigin)
{
    OwnedSurface src(4, 2);
    src.Numbered();
    OwnedSurface big(ScaleSurface(src.p, 2.0, 2.0)), small(ScaleSurface(src.p, 0.5, 1.5));  // steps 2.0 and 0.667
    EXPECT_EQ(big.Chars(), "AABBCCDD/AABBCCDD/EEFFGGHH/EEFFGGHH");
    EXPECT_EQ(big.At(1, 1).m_attr, src.At(0, 0).m_attr);
    EXPECT_EQ(small.Chars(), "AC/AC/EG");
}

TEST(MakeProgressBar, HalfABlockShowsFromHalfACellAndFractionsAreClamped)
{
    const struct {
        double fraction;
        const char *pBar;  // '#' full block, '|' half block
    } cases[] = {
        {0.45, "####|     "}, {0.44, "####      "}, {1.0, "##########"}, {1.7, "##########"}, {-0.2, "          "},
    };
    for (const auto &c : cases) {
        OwnedSurface bar(MakeProgressBar(c.fraction, 0x2A, 10));
        auto show = [](Cell cell) {
            return cell.m_attr != 0x2A ? '?' : cell.m_ch == 219 ? '#' : cell.m_ch == 221 ? '|' : (char)cell.m_ch;
        };
        EXPECT_EQ(bar.Shown(show), c.pBar) << c.fraction;
    }
}

TEST(Sprites, ASpriteReleasesItsImageAndItsOwnCellButNeverTheSharedOne)
{
    Sprite *pSprite = CreateSprite(CreateSurface(3, 3), -1, 7, (Cell *)malloc(sizeof(Cell)));
    DestroySprite(&pSprite);  // the leak checker sees the image or the cell left behind
    EXPECT_EQ(pSprite, nullptr);
    DestroySprite(&pSprite);
    pSprite = CreateSprite(CreateSurface(1, 1), 0, 0, &g_transCell);
    DestroySprite(&pSprite);  // the shared transparent cell is not the sprite's to free
    EXPECT_EQ(g_transCell.m_ch, 't');
    DestroySurface(nullptr);
}

TEST(DrawingDeathTest, SizesBelowOneStopAtTheirChecks)
{
    OwnedSurface src(4, 2);
    EXPECT_DEATH(CreateSurface(5, -1), "Assertion failed: x > 0 && y > 0, module 2dutils");
    EXPECT_DEATH(ScaleSurface(src.p, 0.2, 1.0), "x > 0 && y > 0");
}
