// Scroll views, buttons and the game screen's layout.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "game/console.h"
#include "game/evqueue.h"
#include "game/evutils.h"
#include "game/messagelog.h"
#include "game/uiutils.h"
#include "game/window.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

// A w x h view onto a content of dots with a mark 'X' in its top-left cell.
struct View {
    Surface *pContent;
    Scroller *s = nullptr;
    View(int w, int h, int cw, int ch) : pContent(CreateSurface(cw, ch))
    {
        FillSurface(pContent, Cell{'.', 0x07});
        pContent->m_pCells[0] = Cell{'X', 0x0E};
        EXPECT_EQ(CreateScroller(&s, w, h, pContent, 0, 0), 0);
    }
    ~View()
    {
        DestroyScroller(&s);
        DestroySurface(&pContent);
    }
    Cell At(int x, int y) const { return s->m_pView->m_pCells[y * s->m_pView->m_nWidth + x]; }
    // Where the mark shows in the view; (-1, -1) when it does not.
    Coord Mark() const
    {
        for (int i = 0; i < s->m_pView->m_nWidth * s->m_pView->m_nHeight; i++)
            if (s->m_pView->m_pCells[i].m_ch == 'X')
                return Coord{i % s->m_pView->m_nWidth, i / s->m_pView->m_nWidth};
        return Coord{-1, -1};
    }
    // The right column or the bottom row as drawn: arrows "^v<>", thumb '#', track '.'.
    std::string Bar(bool bVertical) const
    {
        std::string out;
        int w = s->m_pView->m_nWidth, h = s->m_pView->m_nHeight;
        for (int i = 0; i < (bVertical ? h : w); i++) {
            Cell c = bVertical ? At(w - 1, i) : At(i, h - 1);
            out += c.m_ch == 24 ? '^' : c.m_ch == 25 ? 'v' : c.m_ch == 27 ? '<' : c.m_ch == 26 ? '>'
                 : c.m_attr == 0xF0 ? '#' : c.m_attr == 0x80 ? '.' : '?';
        }
        return out;
    }
};

// The events waiting, freed, as text: "type@x,y" for the mouse, "K<code>" for keys; *ppSurface
// gets the last one's surface.
std::string Drain(EventQueue *q, Surface **ppSurface = nullptr)
{
    std::string out;
    for (EventNode *pNode; (pNode = PopEvent(q)) != nullptr; FreeEvent(pNode)) {
        char buf[32];
        const MouseEventData *pMouse = (const MouseEventData *)pNode->m_pData;
        if (pNode->m_nType == EV_KEY)
            snprintf(buf, sizeof buf, " K%u", ((const KeyEventData *)pNode->m_pData)->m_nKey);
        else
            snprintf(buf, sizeof buf, " %u@%d,%d", pNode->m_nType, pMouse->m_x, pMouse->m_y);
        if (ppSurface)
            *ppSurface = pNode->m_nType == EV_KEY ? ((const KeyEventData *)pNode->m_pData)->m_pSurface : pMouse->m_pSurface;
        out += buf;
    }
    return out.empty() ? out : out.substr(1);
}

// Mouse records through a view placed at (vx, vy) of a scratch target.
struct Mouse {
    EventQueue q;
    Surface *pTarget = CreateSurface(80, 50);
    Mouse() { InitEventQueue(&q); }
    ~Mouse()
    {
        ClearEventQueue(&q);
        DestroySurface(&pTarget);
    }
    void Send(View &v, int vx, int vy, int x, int y, uint32_t buttons, uint32_t flags = 0, bool bQueue = true)
    {
        MouseState state = {x, y, buttons, flags};
        HandleScrollerMouse(&state, x, y, v.s, vx, vy, pTarget, bQueue ? &q : nullptr);
    }
};

TEST(ScrollView, BarsComeWhereTheContentDoesNotFitAndAContentThatFitsIsCentred)
{
    // View and content sizes, then whether there is a horizontal and a vertical bar.
    const int cases[][6] = {
        {64, 41, 64, 41, 0, 0}, {64, 41, 40, 20, 0, 0},
        {31, 8, 30, 12, 0, 1},  // 30 < 31 - 1 is false: no horizontal bar is forced
        {31, 8, 31, 12, 1, 1},  // the vertical bar takes a column and forces the other
        {20, 5, 40, 4, 1, 0},   // the horizontal bar leaves four rows, enough for the content
        {20, 5, 40, 5, 1, 1}};
    for (const auto &c : cases) {
        View v(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(v.s->m_bHorizBar, c[4]) << c[0] << "x" << c[1] << " onto " << c[2] << "x" << c[3];
        EXPECT_EQ(v.s->m_bVertBar, c[5]) << c[0] << "x" << c[1] << " onto " << c[2] << "x" << c[3];
    }
    View same(64, 41, 64, 41), small(64, 41, 40, 20);
    EXPECT_EQ(same.Mark().m_x + same.Mark().m_y, 0);
    EXPECT_EQ(small.Mark().m_x, 12);
    EXPECT_EQ(small.Mark().m_y, 10);
    EXPECT_EQ(small.At(0, 0).m_attr, 0x0F);  // the view's own fill around it
}

TEST(ScrollView, ThumbsFollowTheScrollAndScrollingStopsAtBothEnds)
{
    View v(31, 8, 30, 16);
    EXPECT_EQ(v.Bar(true), "^###...v");
    EXPECT_EQ(v.At(30, 0).m_attr, 0xF0);
    ScrollVertical(v.s, 100);
    EXPECT_EQ(v.s->m_nScrollY, 8);
    EXPECT_EQ(v.Bar(true), "^...###v");

    View h(20, 5, 40, 4);  // the horizontal thumb rounds its own way
    EXPECT_EQ(h.Bar(false), "<##########........>");
    ScrollHorizontal(h.s, 7);
    EXPECT_EQ(h.s->m_nHorizThumbStart, 4);  // trunc(7 / 40 * 18 + 1.0)
    EXPECT_EQ(h.Mark().m_x, -1);            // scrolled out of sight

    // Both bars: the last row is the horizontal bar. Axis (0 vertical), delta, the scroll after.
    View both(31, 8, 31, 12);
    const int steps[][3] = {{0, 3, 3}, {0, 5, 12 - 8 + 1}, {0, -2, 3}, {0, -5, 0}, {1, 5, 31 - 31 + 1}, {1, -5, 0}};
    for (const auto &s : steps) {
        s[0] ? ScrollHorizontal(both.s, s[1]) : ScrollVertical(both.s, s[1]);
        EXPECT_EQ(s[0] ? both.s->m_nScrollX : both.s->m_nScrollY, s[2]) << s[0] << " by " << s[1];
    }
}

TEST(ScrollViewMouse, ClicksArePostedInTheContentsCoordinatesAndNothingWithoutAQueue)
{
    Mouse m;
    View scrolled(20, 5, 40, 4);
    ScrollHorizontal(scrolled.s, 5);
    m.Send(scrolled, 10, 20, 13, 21, INPUT_BUTTON_LEFT);
    Surface *pSurface = nullptr;
    EXPECT_EQ(Drain(&m.q, &pSurface), "1@8,1");
    EXPECT_EQ(pSurface, scrolled.pContent);

    View v(20, 10, 6, 4);  // the content sits at (7, 3) of the view
    m.Send(v, 0, 0, 7, 3, INPUT_BUTTON_RIGHT);
    m.Send(v, 0, 0, 12, 6, INPUT_BUTTON_MIDDLE);
    m.Send(v, 0, 0, 8, 4, 0);
    m.Send(v, 0, 0, 8, 4, INPUT_BUTTON_LEFT, INPUT_FLAG_DOUBLE_CLICK);
    m.Send(v, 0, 0, 8, 4, INPUT_BUTTON_LEFT | INPUT_BUTTON_RIGHT);  // several buttons: the state itself
    EXPECT_EQ(Drain(&m.q), "2@0,0 4@5,3 0@1,1 1@1,1 8@1,1 3@1,1");
    m.Send(v, 0, 0, 8, 4, INPUT_BUTTON_LEFT, 0, false);
    m.Send(v, 0, 0, 30, 4, INPUT_BUTTON_LEFT);  // beside the view
    EXPECT_EQ(Drain(&m.q), "");
    m.Send(v, 40, 30, 0, 0, 0);  // the view is drawn into the target where it sits
    EXPECT_EQ(m.pTarget->m_pCells[(30 + 3) * 80 + 40 + 7].m_ch, 'X');
}

// An odd-width view with only a vertical bar centres its content in the columns left of the bar;
// the click must name the cell that is drawn under the pointer.
TEST(ScrollViewMouse, ACentredColumnBesideAVerticalBarIsNotShiftedByOne)
{
    Mouse m;
    View list(15, 10, 14, 30);
    ASSERT_TRUE(list.s->m_bVertBar && !list.s->m_bHorizBar);
    ScrollVertical(list.s, 4);
    EXPECT_EQ(list.Mark().m_x, -1);
    ScrollVertical(list.s, -4);
    EXPECT_EQ(list.Mark().m_x, 0);
    ScrollVertical(list.s, 4);
    m.Send(list, 5, 3, 5, 5, INPUT_BUTTON_LEFT);
    m.Send(list, 5, 3, 5 + 13, 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(Drain(&m.q), "1@0,6 1@13,6");
    // The same centring vertically beside a horizontal bar, on an odd height.
    View row(10, 7, 30, 2);
    ASSERT_TRUE(row.s->m_bHorizBar && !row.s->m_bVertBar);
    m.Send(row, 0, 0, 0, row.Mark().m_y, INPUT_BUTTON_LEFT);
    EXPECT_EQ(Drain(&m.q), "1@0,0");
}

TEST(ScrollViewMouse, TheArrowsScrollByOneAndLightUp)
{
    Mouse m;
    View v(10, 6, 30, 20);  // both bars
    ScrollVertical(v.s, 3);
    m.Send(v, 2, 2, 2 + 9, 2, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 2);
    EXPECT_EQ(v.At(9, 0).m_attr, 0x0F);  // inverted from 0xF0
    m.Send(v, 2, 2, 2 + 9, 2 + 4, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 3);
    EXPECT_EQ(v.At(9, 4).m_attr, 0x0F);
    m.Send(v, 2, 2, 2 + 8, 2 + 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollX, 1);
    m.Send(v, 2, 2, 2, 2 + 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollX, 0);
    EXPECT_EQ(v.At(0, 5).m_attr, 0x0F);
    EXPECT_EQ(Drain(&m.q), "");
    m.Send(v, 2, 2, 2, 2, 0);
    EXPECT_EQ(v.At(9, 0).m_attr, 0xF0);  // the next render puts the arrow back
}

TEST(ScrollViewMouse, DraggingTheVerticalThumbScrollsAndSwallowsClicks)
{
    Mouse m;
    View v(10, 10, 9, 100);
    ASSERT_EQ(v.Bar(true), "^#.......v");
    // Pointer row, and the scroll after it, with the left button held on the thumb from row 1.
    const int drag[][3] = {{9, 1, 0}, {9, 2, 23},  // trunc(2 / 8 * 100 - 1.5)
                           {12, 3, 48},            // a little off the bar still drags
                           {4, 3, 48},             // over the content, but dragging
                           {9, 6, 90}};            // the thumb at the bottom: the end of the content
    for (const auto &d : drag) {
        m.Send(v, 0, 0, d[0], d[1], INPUT_BUTTON_LEFT);
        EXPECT_EQ(v.s->m_nScrollY, d[2]) << d[0] << "," << d[1];
    }
    EXPECT_EQ(v.s->m_nVertThumbStart, 8);
    m.Send(v, 0, 0, 4, 3, 0);  // the release ends the drag and is not posted
    EXPECT_EQ(Drain(&m.q), "");
    m.Send(v, 0, 0, 4, 3, INPUT_BUTTON_LEFT);
    m.Send(v, 0, 0, 4, 3, 0);
    EXPECT_EQ(Drain(&m.q), "1@4,93 0@4,93");

    // Upwards inside a taller thumb: first by the proportion, then to the top.
    View shortList(10, 10, 9, 20);
    ScrollVertical(shortList.s, 5);
    ASSERT_EQ(shortList.Bar(true), "^..####..v");
    m.Send(shortList, 0, 0, 9, 6, INPUT_BUTTON_LEFT);
    m.Send(shortList, 0, 0, 9, 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(shortList.s->m_nScrollY, 3);  // trunc(2 / 8 * 20 - 1.5)
    m.Send(shortList, 0, 0, 9, 4, INPUT_BUTTON_LEFT);
    EXPECT_EQ(shortList.s->m_nScrollY, 0);
    m.Send(shortList, 0, 0, 9, 4, 0);
}

TEST(ScrollViewMouse, TheWheelScrollsOnlyAViewWithAVerticalBarAndTheMiddleButtonPans)
{
    Mouse m;
    View flat(20, 10, 6, 4), v(10, 10, 9, 100);
    m.Send(flat, 0, 0, 5, 5, 120u << 16, INPUT_FLAG_WHEELED);
    EXPECT_EQ(flat.s->m_nScrollY, 0);
    ScrollVertical(v.s, 50);
    m.Send(v, 0, 0, 5, 5, 120u << 16, INPUT_FLAG_WHEELED);
    EXPECT_EQ(v.s->m_nScrollY, 38);
    m.Send(v, 0, 0, 9, 9, (uint32_t)(uint16_t)-120 << 16, INPUT_FLAG_WHEELED);  // over the bar too
    EXPECT_EQ(v.s->m_nScrollY, 49);
    m.Send(v, 0, 0, 10, 5, 120u << 16, INPUT_FLAG_WHEELED);  // beside the view
    EXPECT_EQ(v.s->m_nScrollY, 49);
    // A wheel record holds no button: at most a plain pointer event comes of it.
    std::string wheel = Drain(&m.q);
    for (size_t at = 0; !wheel.empty() && at != std::string::npos; at = wheel.find(' ', at + 1))
        EXPECT_EQ(wheel.substr(at ? at + 1 : 0, 2), "0@") << wheel;

    // The middle button held drags the content along, frame by frame.
    View big(10, 10, 100, 100);
    ScrollVertical(big.s, 20);
    ScrollHorizontal(big.s, 20);
    const int frames[][5] = {{5, 5, 5, 20, 20}, {6, 3, 2, 23, 22},
                             {9, 6, 6, 23, 22}};  // not the next frame: a new pan starts from here
    for (const auto &f : frames) {
        g_frameCounter = (uint32_t)f[0];
        m.Send(big, 0, 0, f[1], f[2], INPUT_BUTTON_MIDDLE);
        EXPECT_EQ(big.s->m_nScrollY, f[3]) << "frame " << f[0];
        EXPECT_EQ(big.s->m_nScrollX, f[4]) << "frame " << f[0];
    }
    EXPECT_EQ(Drain(&m.q), "4@25,25 4@25,25 4@28,29");
    g_frameCounter = 0;
}

/* Buttons. */

int s_clicks = 0;
void CountClick(Button *) { s_clicks++; }

// Two text buttons, " OK " at (2, 2) and " NO " at (20, 2) of a 40 x 10 target.
struct Group {
    FrameStyle *pStyle = nullptr;
    Button *buttons[2] = {nullptr, nullptr};
    Surface *pTarget = CreateSurface(40, 10);
    int pressed = 0;
    Button *pCurrent = nullptr;
    explicit Group(int bSticky)
    {
        EXPECT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
        Coord a = {2, 2}, b = {20, 2};
        EXPECT_EQ(CreateButton(&buttons[0], nullptr, nullptr, bSticky, 0, CountClick, " OK ", 4, pStyle, &a, nullptr), 0);
        EXPECT_EQ(CreateButton(&buttons[1], nullptr, nullptr, bSticky, 0, CountClick, " NO ", 4, pStyle, &b, nullptr), 0);
        FillSurface(pTarget, Cell{' ', 0x00});
        s_clicks = 0;
    }
    ~Group()
    {
        DestroyButton(&buttons[0]);
        DestroyButton(&buttons[1]);
        DestroyFrameStyle(&pStyle);
        DestroySurface(&pTarget);
    }
    int Send(int x, int y, uint32_t buttonBits)
    {
        MouseState state = {x, y, buttonBits, 0};
        return HandleButtons(&state, x, y, buttons, 2, pTarget, &pressed, &pCurrent);
    }
};

TEST(Buttons, ATextButtonIsItsLabelInABoxWithAnInverseLook)
{
    Group g(0);
    Surface *pImage = g.buttons[0]->m_pSprite->m_pSurface;
    ASSERT_EQ(std::make_pair(pImage->m_nWidth, pImage->m_nHeight), std::make_pair(6, 3));
    EXPECT_EQ(pImage->m_pCells[9].m_ch, 'K');
    EXPECT_EQ(pImage->m_pCells[9].m_attr, 0x0B);
    EXPECT_EQ(g.buttons[0]->m_pAltSurface->m_pCells[9].m_attr, 0xB0);
    ToggleButton(g.buttons[0]);
    EXPECT_TRUE(g.buttons[0]->m_bHighlighted);
    EXPECT_EQ(g.buttons[0]->m_pSprite->m_pSurface->m_pCells[8].m_attr, 0xB0);
    ToggleButton(g.buttons[0]);
    EXPECT_EQ(g.buttons[0]->m_pSprite->m_pSurface, pImage);
    Button *pNone = nullptr;
    EXPECT_EQ(CreateButton(&pNone, nullptr, nullptr, 0, 0, nullptr, "x", 1, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(pNone, nullptr);
}

TEST(Buttons, APressAndReleaseOverAButtonClicksItOnceAndMovingOffCancels)
{
    Group g(0);
    EXPECT_EQ(g.Send(4, 3, INPUT_BUTTON_LEFT), 2);
    EXPECT_TRUE(g.buttons[0]->m_bHighlighted);  // lit at once
    EXPECT_EQ(g.pTarget->m_pCells[3 * 40 + 4].m_attr, 0xB0);
    EXPECT_EQ(g.Send(4, 3, INPUT_BUTTON_LEFT), 2);  // held: still lit, no click yet
    EXPECT_EQ(s_clicks, 0);
    EXPECT_EQ(g.Send(5, 3, 0), 0);
    EXPECT_EQ(s_clicks, 1);
    EXPECT_FALSE(g.buttons[0]->m_bHighlighted);
    EXPECT_EQ(g.pTarget->m_pCells[3 * 40 + 4].m_attr, 0x0B);
    EXPECT_EQ(g.Send(5, 3, 0), 2);  // the pointer resting there clicks nothing more
    EXPECT_EQ(s_clicks, 1);

    // Off, onto the other button (a press belongs to one button), back on, off and released.
    const int moves[][3] = {{4, 3, 1}, {15, 3, 0}, {22, 3, 0}, {4, 3, 1}, {15, 3, 0}};
    for (const auto &mv : moves) {
        g.Send(mv[0], mv[1], INPUT_BUTTON_LEFT);
        EXPECT_EQ(g.buttons[0]->m_bHighlighted, mv[2]) << mv[0];
        EXPECT_FALSE(g.buttons[1]->m_bHighlighted) << mv[0];
    }
    EXPECT_EQ(g.Send(15, 3, 0), 2);
    // A press that began on nothing clicks nothing, wherever it is released.
    g.Send(30, 8, INPUT_BUTTON_LEFT);
    g.Send(4, 3, INPUT_BUTTON_LEFT);
    EXPECT_EQ(g.Send(4, 3, 0), 2);
    EXPECT_EQ(s_clicks, 1);
}

TEST(Buttons, AStickyButtonTogglesAtThePressAndReportsAtTheRelease)
{
    Group g(1);
    g.Send(22, 3, INPUT_BUTTON_LEFT);
    EXPECT_TRUE(g.buttons[1]->m_bHighlighted);
    EXPECT_EQ(s_clicks, 0);
    EXPECT_EQ(g.Send(35, 9, 0), 1);  // released elsewhere: still its click
    EXPECT_EQ(s_clicks, 1);
    EXPECT_TRUE(g.buttons[1]->m_bHighlighted);  // and it stays selected
    g.Send(22, 3, INPUT_BUTTON_LEFT);
    EXPECT_FALSE(g.buttons[1]->m_bHighlighted);
    EXPECT_EQ(g.Send(22, 3, 0), 1);
    EXPECT_EQ(s_clicks, 2);
}

/* The game screen. */

TEST(GameScreen, TheBarsAndTheViewsAreLaidOutFromTheScreenSizeAndALargerLogIsWider)
{
    for (int large = 0; large < 2; large++) {
        UiHarness ui(large ? 120 : 80, large ? 60 : 50);
        Surface *pMap = CreateSurface(100, 80);
        FillSurface(pMap, Cell{'.', 0x07});
        pMap->m_pCells[0] = Cell{'X', 0x0E};
        ui.BuildMainScreen(pMap);
        int w = large ? 120 : 80, h = large ? 60 : 50;
        EXPECT_EQ(g_pMainView->m_pView->m_nWidth, w - 16);
        EXPECT_EQ(g_pMainView->m_pView->m_nHeight, h - 9);
        EXPECT_EQ(g_pLogView->m_pContent->m_nWidth, w - 50);
        AddMessage("A message long enough to need more than thirty columns of the log", 0x0F);
        ui.RunFrames(2);
        EXPECT_TRUE(large || HeadlessCellAt(0, 0).m_ch == 'X');  // the map's corner
        auto cell = [](int cx, int cy) { return std::make_pair((int)HeadlessCellAt(cx, cy).m_ch, (int)HeadlessCellAt(cx, cy).m_attr); };
        for (int cx = 0; cx < w - 16; cx++)  // the bottom bar's top edge, then the side bar's left one
            EXPECT_EQ(cell(cx, h - 9), std::make_pair(0xCD, 0x10)) << cx;
        for (int cy = 0; cy < h; cy++)
            EXPECT_EQ(cell(w - 16, cy), std::make_pair(0xBA, 0x40)) << cy;
        int x, y;
        ASSERT_TRUE(HeadlessFindText(" End Turn ", &x, &y));
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(w - 27, h - 3));
        EXPECT_FALSE(HeadlessFindText("Zoom Out", &x, &y));
        // The whole message on one row of the 70-column log, below the blank row and the welcome.
        EXPECT_EQ(HeadlessFindText("A message long enough to need more than thirty columns of the log", &x, &y), large);
        EXPECT_TRUE(!large || std::make_pair(x, y) == std::make_pair(20, 57)) << x << "," << y;
        ui.Shutdown();
        DestroySurface(&pMap);
    }
}

}  // namespace
