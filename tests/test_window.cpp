// Scroll views, buttons and the game screen's layout.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "game/ui/uiutils.h"
#include "ui_harness.h"

namespace {

// A content of dots with a mark 'X' in its top-left cell.
Surface *MarkedContent(int w, int h)
{
    Surface *pContent = CreateSurface(w, h);
    FillSurface(pContent, Cell{'.', 0x07});
    pContent->m_pCells[0] = Cell{'X', 0x0E};
    return pContent;
}

// A w x h view onto a marked content.
struct View {
    Surface *pContent;
    Scroller *s = nullptr;
    View(int w, int h, int cw, int ch) : pContent(MarkedContent(cw, ch)) { EXPECT_EQ(CreateScroller(&s, w, h, pContent, 0, 0), 0); }
    ~View()
    {
        DestroyScroller(&s);
        DestroySurface(&pContent);
    }
    Cell At(int x, int y) const { return s->m_pView->m_pCells[y * s->m_pView->m_nWidth + x]; }
    // Where the mark shows in the view; (-1, -1) when it does not.
    std::pair<int, int> Mark() const
    {
        for (int i = 0; i < s->m_pView->m_nWidth * s->m_pView->m_nHeight; i++)
            if (s->m_pView->m_pCells[i].m_ch == 'X')
                return {i % s->m_pView->m_nWidth, i / s->m_pView->m_nWidth};
        return {-1, -1};
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

// Mouse records through views placed on the screen, and the events they post.
struct Mouse : UiHarness {
    // The pointer at (x, y) with the view placed at (vx, vy).
    void Send(View &v, int vx, int vy, int x, int y, uint32_t buttons)
    {
        MouseState state = {x, y, buttons, 0};
        HandleScrollerMouse(&state, x, y, v.s, vx, vy, g_pScreen, &g_eventQueue);
    }
    // The events posted since, freed, as text "type@x,y".
    std::string Events()
    {
        std::string out;
        for (EventNode *pNode; (pNode = PopEvent(&g_eventQueue)) != nullptr; FreeEvent(pNode)) {
            const MouseEventData *pMouse = (const MouseEventData *)pNode->m_pData;
            out += (out.empty() ? "" : " ") + std::to_string(pNode->m_nType) + "@" + std::to_string(pMouse->m_x) + "," +
                   std::to_string(pMouse->m_y);
        }
        return out;
    }
};

TEST(ScrollView, BarsComeWhereTheContentDoesNotFitThumbsFollowTheScrollWhichStopsAtBothEnds)
{
    // View and content sizes, whether there is a horizontal and a vertical bar, where the
    // content's top-left cell shows (a content that fits is centred).
    const int cases[][8] = {
        {64, 41, 64, 41, 0, 0, 0, 0}, {64, 41, 40, 20, 0, 0, 12, 10},
        {31, 8, 30, 12, 0, 1, 0, 0},  // 30 < 31 - 1 is false: no horizontal bar is forced
        {31, 8, 31, 12, 1, 1, 0, 0},  // the vertical bar takes a column and forces the other
        {20, 5, 40, 4, 1, 0, 0, 0},   // the horizontal bar leaves four rows, enough for the content
        {20, 5, 40, 5, 1, 1, 0, 0}};
    for (const auto &c : cases) {
        View v(c[0], c[1], c[2], c[3]);
        EXPECT_EQ((std::vector<int>{v.s->m_bHorizBar, v.s->m_bVertBar, v.Mark().first, v.Mark().second}), std::vector<int>(c + 4, c + 8))
            << c[0] << "x" << c[1] << " onto " << c[2] << "x" << c[3];
    }
    EXPECT_EQ(View(64, 41, 40, 20).At(0, 0).m_attr, 0x0F);  // the view's own fill around the content

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
    EXPECT_EQ(h.Mark().first, -1);          // scrolled out of sight

    // Both bars: the last row is the horizontal bar. Axis (0 vertical), delta, the scroll after.
    View both(31, 8, 31, 12);
    const int steps[][3] = {{0, 3, 3}, {0, 5, 12 - 8 + 1}, {0, -2, 3}, {0, -5, 0}, {1, 5, 31 - 31 + 1}, {1, -5, 0}};
    for (const auto &s : steps) {
        s[0] ? ScrollHorizontal(both.s, s[1]) : ScrollVertical(both.s, s[1]);
        EXPECT_EQ(s[0] ? both.s->m_nScrollX : both.s->m_nScrollY, s[2]) << s[0] << " by " << s[1];
    }
}

// An odd-width view with only a vertical bar centres its content in the columns left of the bar;
// the click must name the cell that is drawn under the pointer.
TEST(ScrollViewMouse, ACentredColumnBesideAVerticalBarIsNotShiftedByOne)
{
    Mouse m;
    View list(15, 10, 14, 30);
    ASSERT_TRUE(list.s->m_bVertBar && !list.s->m_bHorizBar);
    EXPECT_EQ(list.Mark(), std::make_pair(0, 0));
    ScrollVertical(list.s, 4);
    EXPECT_EQ(list.Mark().first, -1);
    m.Send(list, 5, 3, 5, 5, INPUT_BUTTON_LEFT);
    m.Send(list, 5, 3, 5 + 13, 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(m.Events(), "1@0,6 1@13,6");
    // The same centring vertically beside a horizontal bar, on an odd height.
    View row(10, 7, 30, 2);
    ASSERT_TRUE(row.s->m_bHorizBar && !row.s->m_bVertBar);
    m.Send(row, 0, 0, 0, row.Mark().second, INPUT_BUTTON_LEFT);
    EXPECT_EQ(m.Events(), "1@0,0");
}

TEST(ScrollViewMouse, TheArrowsScrollByOneAndLightUpAndDraggingTheThumbSwallowsClicks)
{
    Mouse m;
    View v(10, 6, 30, 20);  // both bars
    ScrollVertical(v.s, 3);
    // A press on each arrow (its cell in the view), the scroll after it; the arrow lights up.
    const int presses[][4] = {{9, 0, 2, 0}, {9, 4, 3, 0}, {8, 5, 3, 1}, {0, 5, 3, 0}};
    for (const auto &p : presses) {
        m.Send(v, 2, 2, 2 + p[0], 2 + p[1], INPUT_BUTTON_LEFT);
        EXPECT_EQ(std::make_pair(v.s->m_nScrollY, v.s->m_nScrollX), std::make_pair(p[2], p[3])) << p[0] << "," << p[1];
        EXPECT_EQ(v.At(p[0], p[1]).m_attr, 0x0F) << "inverted from 0xF0";
    }
    EXPECT_EQ(m.Events(), "");
    m.Send(v, 2, 2, 2, 2, 0);
    EXPECT_EQ(v.At(9, 0).m_attr, 0xF0);  // the next render puts the arrow back
    m.Events();

    // The left button held on a thumb from its first row; the pointer, and the scroll after it.
    View tall(10, 10, 9, 100), shorter(10, 10, 9, 20);
    ASSERT_EQ(tall.Bar(true), "^#.......v");
    ScrollVertical(shorter.s, 5);
    ASSERT_EQ(shorter.Bar(true), "^..####..v");
    const struct { View *pView; int x, y, scroll; } drags[] = {
        {&tall, 9, 1, 0}, {&tall, 9, 2, 23},  // trunc(2 / 8 * 100 - 1.5)
        {&tall, 12, 3, 48},                   // a little off the bar still drags
        {&tall, 4, 3, 48},                    // over the content, but dragging
        {&tall, 9, 6, 90},                    // the thumb at the bottom: the end of the content
        {&tall, 4, 3, -1}, {&tall, 4, 3, -2}, {&tall, 4, 3, -1},  // a release, then a press and release
        {&shorter, 9, 6, 5}, {&shorter, 9, 5, 3},  // upwards inside a taller thumb: by the proportion
        {&shorter, 9, 4, 0}, {&shorter, 9, 4, -1}};
    for (const auto &d : drags) {
        m.Send(*d.pView, 0, 0, d.x, d.y, d.scroll == -1 ? 0 : INPUT_BUTTON_LEFT);
        EXPECT_TRUE(d.scroll < 0 || d.pView->s->m_nScrollY == d.scroll) << d.x << "," << d.y << ": " << d.pView->s->m_nScrollY;
    }
    EXPECT_EQ(m.Events(), "1@4,93 0@4,93");  // only the press after the drag reached the content
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
        s_clicks = 0;
    }
    ~Group()
    {
        DestroyButton(&buttons[0]);
        DestroyButton(&buttons[1]);
        DestroyFrameStyle(&pStyle);
        DestroySurface(&pTarget);
    }
    // Steps of the pointer's cell and buttons held, the index clicked (2: none), whether each
    // button is lit; the first button is drawn in the target as lit or not.
    void Walk(const std::vector<std::array<int, 6>> &steps)
    {
        for (size_t i = 0; i < steps.size(); i++) {
            const std::array<int, 6> &s = steps[i];
            MouseState state = {s[0], s[1], (uint32_t)s[2], 0};
            int clicked = HandleButtons(&state, s[0], s[1], buttons, 2, pTarget, &pressed, &pCurrent);
            EXPECT_EQ((std::vector<int>{clicked, buttons[0]->m_bHighlighted, buttons[1]->m_bHighlighted, pTarget->m_pCells[3 * 40 + 4].m_attr}),
                      (std::vector<int>{s[3], s[4], s[5], s[4] ? 0xB0 : 0x0B})) << "step " << i;
        }
    }
};

TEST(Buttons, APressAndReleaseClicksOnceMovingOffCancelsAndAStickyItemTogglesAtThePress)
{
    Group plain(0);
    plain.Walk({{4, 3, 1, 2, 1, 0},                                               // lit at once
                {4, 3, 1, 2, 1, 0},                                               // held: no click yet
                {4, 3, 0x780001, 2, 1, 0},                                        // the wheel turned while held
                {5, 3, 0, 0, 0, 0},                                               // released on it: clicked
                {5, 3, 0, 2, 0, 0},                                               // resting there: nothing more
                {4, 3, 1, 2, 1, 0}, {15, 3, 1, 2, 0, 0},                          // moving off unlights it
                {22, 3, 1, 2, 0, 0},                                              // a press belongs to one button
                {4, 3, 1, 2, 1, 0}, {15, 3, 1, 2, 0, 0}, {15, 3, 0, 2, 0, 0},     // released off it: no click
                {30, 8, 1, 2, 0, 0}, {4, 3, 1, 2, 0, 0}, {4, 3, 0, 2, 0, 0}});    // a press begun on nothing
    EXPECT_EQ(s_clicks, 1);
    Group sticky(1);
    sticky.Walk({{22, 3, 1, 2, 0, 1},  // toggled at the press
                 {35, 9, 0, 1, 0, 1},  // released elsewhere: still its click, and it stays selected
                 {22, 3, 1, 2, 0, 0}, {22, 3, 0, 1, 0, 0}});
    EXPECT_EQ(s_clicks, 2);
}

TEST(GameScreen, TheBarsAndTheViewsAreLaidOutFromTheScreenSizeALargerLogIsWiderAndTheKeypadScrolls)
{
    const char *const pLong = "A message long enough to need more than thirty columns of the log";
    // The keypad scrolls the map as the arrows do: a key and the scroll its press makes.
    const struct { uint32_t key; int dx, dy; } keys[] = {
        {PLATFORM_VK_RIGHT, 1, 0}, {PLATFORM_VK_NUMPAD6, 1, 0}, {PLATFORM_VK_NUMPAD2, 0, 1},
        {PLATFORM_VK_DOWN, 0, 1},  {PLATFORM_VK_NUMPAD4, -1, 0}, {PLATFORM_VK_NUMPAD8, 0, -1}};
    for (int large = 0; large < 2; large++) {
        int w = large ? 120 : 80, h = large ? 60 : 50;
        UiHarness ui(w, h);
        Surface *pMap = MarkedContent(100, 80);
        ui.BuildMainScreen(pMap);
        EXPECT_EQ(std::make_pair(g_pMainView->m_pView->m_nWidth, g_pMainView->m_pView->m_nHeight), std::make_pair(w - 16, h - 9));
        EXPECT_EQ(g_pLogView->m_pContent->m_nWidth, w - 50);
        AddMessage(pLong, 0x0F);
        UpdateWindowManager(&g_eventQueue);
        PresentScreen(g_pScreen);
        EXPECT_TRUE(large || HeadlessCellAt(0, 0).m_ch == 'X');  // the map's corner
        // The bottom bar's top edge and the side bar's left one, as glyph << 8 | colour.
        EXPECT_EQ(HeadlessCellAt(w - 17, h - 9).m_ch << 8 | HeadlessCellAt(w - 17, h - 9).m_attr, 0xCD10);
        EXPECT_EQ(HeadlessCellAt(w - 16, h - 1).m_ch << 8 | HeadlessCellAt(w - 16, h - 1).m_attr, 0xBA40);
        int x, y;
        ASSERT_TRUE(HeadlessFindText(" End Turn ", &x, &y));
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(w - 27, h - 3));
        // The whole message on one row of the 70-column log, below the blank row and the welcome.
        EXPECT_EQ(HeadlessFindText(pLong, &x, &y), large);
        EXPECT_TRUE(!large || std::make_pair(x, y) == std::make_pair(20, 57)) << x << "," << y;
        for (const auto &k : keys) {
            if (large)
                break;  // the map fits across the larger view
            int sx = g_pMainView->m_nScrollX, sy = g_pMainView->m_nScrollY;
            HeadlessPressKey(k.key);
            UpdateWindowManager(&g_eventQueue);  // the key goes down
            UpdateWindowManager(&g_eventQueue);  // and up
            EXPECT_EQ(std::make_pair(g_pMainView->m_nScrollX - sx, g_pMainView->m_nScrollY - sy), std::make_pair(k.dx, k.dy))
                << k.key;
        }
        ui.Shutdown();
        DestroySurface(&pMap);
    }
}

}  // namespace
