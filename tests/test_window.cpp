// Scroll views, buttons and the game screen's window manager.
#include <gtest/gtest.h>

#include <vector>

#include "game/console.h"
#include "game/evqueue.h"
#include "game/evutils.h"
#include "game/messagelog.h"
#include "game/uiutils.h"
#include "game/window.h"
#include "platform/headless.h"
#include "ui_harness.h"

namespace {

const Cell MARK = {'X', 0x0E};

// A content surface of blanks with a mark in its top-left cell.
Surface *MakeContent(int w, int h)
{
    Surface *pContent = CreateSurface(w, h);
    FillSurface(pContent, Cell{'.', 0x07});
    pContent->m_pCells[0] = MARK;
    return pContent;
}

Cell ViewCell(const Scroller *s, int x, int y) { return s->m_pView->m_pCells[y * s->m_pView->m_nWidth + x]; }

// Finds the mark in the view; (-1, -1) when it is not shown.
Coord FindMark(const Scroller *s)
{
    for (int y = 0; y < s->m_pView->m_nHeight; y++)
        for (int x = 0; x < s->m_pView->m_nWidth; x++)
            if (ViewCell(s, x, y).m_ch == 'X')
                return Coord{x, y};
    return Coord{-1, -1};
}

struct View {
    Surface *pContent;
    Scroller *s = nullptr;
    View(int w, int h, int cw, int ch) : pContent(MakeContent(cw, ch)) { EXPECT_EQ(CreateScroller(&s, w, h, pContent, 0, 0), 0); }
    ~View()
    {
        DestroyScroller(&s);
        DestroySurface(&pContent);
    }
};

struct Posted {
    uint32_t type;
    Surface *pSurface;
    int x, y;
};

std::vector<Posted> Drain(EventQueue *q)
{
    std::vector<Posted> out;
    EventNode *pNode;
    while ((pNode = PopEvent(q)) != nullptr) {
        Posted p = {pNode->m_nType, nullptr, 0, 0};
        if (pNode->m_nType == EV_KEY) {
            const KeyEventData *pKey = (const KeyEventData *)pNode->m_pData;
            p.pSurface = pKey->m_pSurface;
            p.x = (int)pKey->m_nKey;
        } else {
            const MouseEventData *pMouse = (const MouseEventData *)pNode->m_pData;
            p.pSurface = pMouse->m_pSurface;
            p.x = pMouse->m_x;
            p.y = pMouse->m_y;
        }
        out.push_back(p);
        FreeEvent(pNode);
    }
    return out;
}

// One mouse record through a view placed at (vx, vy) of a scratch target.
struct Mouse {
    EventQueue q;
    Surface *pTarget = CreateSurface(80, 50);
    Mouse() { InitEventQueue(&q); }
    ~Mouse()
    {
        ClearEventQueue(&q);
        DestroySurface(&pTarget);
    }
    void Send(Scroller *s, int vx, int vy, int x, int y, uint32_t buttons, uint32_t flags = 0, bool queue = true)
    {
        MouseState state = {x, y, buttons, flags};
        HandleScrollerMouse(&state, x, y, s, vx, vy, pTarget, queue ? &q : nullptr);
    }
};

TEST(ScrollView, AContentThatFitsHasNoBarsAndIsCentred)
{
    View same(64, 41, 64, 41);
    EXPECT_FALSE(same.s->m_bHorizBar);
    EXPECT_FALSE(same.s->m_bVertBar);
    EXPECT_EQ(FindMark(same.s).m_x, 0);
    EXPECT_EQ(FindMark(same.s).m_y, 0);

    View small(64, 41, 40, 20);
    EXPECT_FALSE(small.s->m_bHorizBar || small.s->m_bVertBar);
    EXPECT_EQ(FindMark(small.s).m_x, 12);
    EXPECT_EQ(FindMark(small.s).m_y, 10);
    EXPECT_EQ(ViewCell(small.s, 0, 0).m_attr, 0x0F);  // the view's own fill around it
}

TEST(ScrollView, ABarTakesALineAndMayForceTheOtherBar)
{
    View tall(31, 8, 30, 12);  // 30 < 31 - 1 is false: no horizontal bar is forced
    EXPECT_TRUE(tall.s->m_bVertBar);
    EXPECT_FALSE(tall.s->m_bHorizBar);

    View both(31, 8, 31, 12);
    EXPECT_TRUE(both.s->m_bVertBar);
    EXPECT_TRUE(both.s->m_bHorizBar);

    View wide(20, 5, 40, 4);  // the horizontal bar leaves four rows, enough for the content
    EXPECT_TRUE(wide.s->m_bHorizBar);
    EXPECT_FALSE(wide.s->m_bVertBar);
    View wideTaller(20, 5, 40, 5);
    EXPECT_TRUE(wideTaller.s->m_bVertBar);
}

TEST(ScrollView, TheVerticalBarHasArrowsAndAThumbThatFollowsTheScroll)
{
    View v(31, 8, 30, 16);
    EXPECT_EQ(v.s->m_nVertThumbStart, 1);
    EXPECT_EQ(v.s->m_nVertThumbEnd, 4);
    EXPECT_EQ(ViewCell(v.s, 30, 0).m_ch, 24);
    EXPECT_EQ(ViewCell(v.s, 30, 0).m_attr, 0xF0);
    EXPECT_EQ(ViewCell(v.s, 30, 7).m_ch, 25);
    for (int y = 1; y < 4; y++)
        EXPECT_EQ(ViewCell(v.s, 30, y).m_attr, 0xF0) << y;
    for (int y = 4; y < 7; y++)
        EXPECT_EQ(ViewCell(v.s, 30, y).m_attr, 0x80) << y;

    ScrollVertical(v.s, 100);
    EXPECT_EQ(v.s->m_nScrollY, 8);
    EXPECT_EQ(v.s->m_nVertThumbStart, 4);
    EXPECT_EQ(v.s->m_nVertThumbEnd, 7);
    EXPECT_EQ(ViewCell(v.s, 30, 3).m_attr, 0x80);
    EXPECT_EQ(ViewCell(v.s, 30, 6).m_attr, 0xF0);
    EXPECT_EQ(ViewCell(v.s, 30, 7).m_ch, 25);
}

TEST(ScrollView, TheHorizontalBarRoundsItsThumbItsOwnWay)
{
    View v(20, 5, 40, 4);
    EXPECT_EQ(v.s->m_nHorizThumbStart, 1);
    EXPECT_EQ(v.s->m_nHorizThumbEnd, 11);
    EXPECT_EQ(ViewCell(v.s, 0, 4).m_ch, 27);
    EXPECT_EQ(ViewCell(v.s, 19, 4).m_ch, 26);
    EXPECT_EQ(ViewCell(v.s, 10, 4).m_attr, 0xF0);
    EXPECT_EQ(ViewCell(v.s, 11, 4).m_attr, 0x80);
    ScrollHorizontal(v.s, 7);
    EXPECT_EQ(v.s->m_nScrollX, 7);
    EXPECT_EQ(v.s->m_nHorizThumbStart, 4);  // trunc(7 / 40 * 18 + 1.0)
    EXPECT_EQ(FindMark(v.s).m_x, -1);       // scrolled out of sight
}

TEST(ScrollView, ScrollingStopsAtBothEnds)
{
    View v(31, 8, 31, 12);  // both bars: the last row is the horizontal bar
    ScrollVertical(v.s, 3);
    EXPECT_EQ(v.s->m_nScrollY, 3);
    ScrollVertical(v.s, 5);
    EXPECT_EQ(v.s->m_nScrollY, 12 - 8 + 1);
    ScrollVertical(v.s, -2);
    EXPECT_EQ(v.s->m_nScrollY, 3);
    ScrollVertical(v.s, -5);
    EXPECT_EQ(v.s->m_nScrollY, 0);
    ScrollHorizontal(v.s, 5);
    EXPECT_EQ(v.s->m_nScrollX, 31 - 31 + 1);
    ScrollHorizontal(v.s, -5);
    EXPECT_EQ(v.s->m_nScrollX, 0);
}

TEST(ScrollViewMouse, ClicksArePostedInTheContentsCoordinates)
{
    Mouse m;
    View scrolled(20, 5, 40, 4);
    ScrollHorizontal(scrolled.s, 5);
    m.Send(scrolled.s, 10, 20, 13, 21, INPUT_BUTTON_LEFT);
    std::vector<Posted> posted = Drain(&m.q);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].type, (uint32_t)EV_LEFT_BUTTON);
    EXPECT_EQ(posted[0].pSurface, scrolled.pContent);
    EXPECT_EQ(posted[0].x, 8);
    EXPECT_EQ(posted[0].y, 1);

    View centred(20, 10, 6, 4);  // the content sits at (7, 3) of the view
    m.Send(centred.s, 0, 0, 7, 3, INPUT_BUTTON_RIGHT);
    m.Send(centred.s, 0, 0, 12, 6, INPUT_BUTTON_MIDDLE);
    posted = Drain(&m.q);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].type, (uint32_t)EV_RIGHT_BUTTON);
    EXPECT_EQ(posted[0].x, 0);
    EXPECT_EQ(posted[0].y, 0);
    EXPECT_EQ(posted[1].type, (uint32_t)EV_MIDDLE_BUTTON);
    EXPECT_EQ(posted[1].x, 5);
    EXPECT_EQ(posted[1].y, 3);
}

// An odd-width view with only a vertical bar centres its content in the columns left of the bar;
// the click must name the cell that is drawn under the pointer.
TEST(ScrollViewMouse, ACentredColumnBesideAVerticalBarIsNotShiftedByOne)
{
    Mouse m;
    View list(15, 10, 14, 30);
    ASSERT_TRUE(list.s->m_bVertBar);
    ASSERT_FALSE(list.s->m_bHorizBar);
    ScrollVertical(list.s, 4);
    EXPECT_EQ(FindMark(list.s).m_x, -1);
    ScrollVertical(list.s, -4);
    EXPECT_EQ(FindMark(list.s).m_x, 0);

    ScrollVertical(list.s, 4);
    m.Send(list.s, 5, 3, 5, 5, INPUT_BUTTON_LEFT);
    m.Send(list.s, 5, 3, 5 + 13, 5, INPUT_BUTTON_LEFT);
    std::vector<Posted> posted = Drain(&m.q);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].x, 0);
    EXPECT_EQ(posted[0].y, 6);
    EXPECT_EQ(posted[1].x, 13);

    // The same centring vertically beside a horizontal bar, on an odd height.
    View row(10, 7, 30, 2);
    ASSERT_TRUE(row.s->m_bHorizBar);
    ASSERT_FALSE(row.s->m_bVertBar);
    Coord mark = FindMark(row.s);
    m.Send(row.s, 0, 0, 0, mark.m_y, INPUT_BUTTON_LEFT);
    posted = Drain(&m.q);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].y, 0);
}

TEST(ScrollViewMouse, ReleasesAndDoubleClicksArePostedAndNothingWithoutAQueue)
{
    Mouse m;
    View v(20, 10, 6, 4);
    m.Send(v.s, 0, 0, 8, 4, 0);
    m.Send(v.s, 0, 0, 8, 4, INPUT_BUTTON_LEFT, INPUT_FLAG_DOUBLE_CLICK);
    m.Send(v.s, 0, 0, 8, 4, INPUT_BUTTON_LEFT | INPUT_BUTTON_RIGHT);
    std::vector<Posted> posted = Drain(&m.q);
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_EQ(posted[0].type, (uint32_t)EV_MOUSE_UP);
    EXPECT_EQ(posted[1].type, (uint32_t)EV_LEFT_BUTTON);
    EXPECT_EQ(posted[2].type, (uint32_t)EV_DOUBLE_CLICK);
    EXPECT_EQ(posted[3].type, 3u);  // several buttons: the state itself

    m.Send(v.s, 0, 0, 8, 4, INPUT_BUTTON_LEFT, 0, false);
    m.Send(v.s, 0, 0, 30, 4, INPUT_BUTTON_LEFT);  // beside the view
    EXPECT_TRUE(Drain(&m.q).empty());

    // The view is drawn into the target where it sits.
    m.Send(v.s, 40, 30, 0, 0, 0);
    EXPECT_EQ(m.pTarget->m_pCells[(30 + 3) * 80 + 40 + 7].m_ch, 'X');
}

TEST(ScrollViewMouse, TheArrowsScrollByOneAndLightUp)
{
    Mouse m;
    View v(10, 6, 30, 20);  // both bars
    ScrollVertical(v.s, 3);
    m.Send(v.s, 2, 2, 2 + 9, 2, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 2);
    EXPECT_EQ(ViewCell(v.s, 9, 0).m_attr, 0x0F);  // inverted from 0xF0
    m.Send(v.s, 2, 2, 2 + 9, 2 + 6 - 1 - 1, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 3);
    EXPECT_EQ(ViewCell(v.s, 9, 4).m_attr, 0x0F);
    m.Send(v.s, 2, 2, 2 + 10 - 1 - 1, 2 + 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollX, 1);
    m.Send(v.s, 2, 2, 2, 2 + 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollX, 0);
    EXPECT_EQ(ViewCell(v.s, 0, 5).m_attr, 0x0F);
    EXPECT_TRUE(Drain(&m.q).empty());
    m.Send(v.s, 2, 2, 2, 2, 0);
    EXPECT_EQ(ViewCell(v.s, 9, 0).m_attr, 0xF0);  // the next render puts the arrow back
}

TEST(ScrollViewMouse, DraggingTheVerticalThumbScrollsAndSwallowsClicks)
{
    Mouse m;
    View v(10, 10, 9, 100);
    ASSERT_EQ(v.s->m_nVertThumbStart, 1);
    ASSERT_EQ(v.s->m_nVertThumbEnd, 2);
    m.Send(v.s, 0, 0, 9, 1, INPUT_BUTTON_LEFT);  // press on the thumb
    EXPECT_EQ(v.s->m_nScrollY, 0);
    m.Send(v.s, 0, 0, 9, 2, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 23);  // trunc(2 / 8 * 100 - 1.5)
    EXPECT_EQ(v.s->m_nVertThumbStart, 3);
    m.Send(v.s, 0, 0, 12, 3, INPUT_BUTTON_LEFT);  // a little off the bar still drags
    EXPECT_EQ(v.s->m_nScrollY, 48);
    m.Send(v.s, 0, 0, 4, 3, INPUT_BUTTON_LEFT);  // over the content, but dragging
    EXPECT_TRUE(Drain(&m.q).empty());
    m.Send(v.s, 0, 0, 9, 6, INPUT_BUTTON_LEFT);
    EXPECT_EQ(v.s->m_nScrollY, 90);  // the thumb reached the bottom: the end of the content
    m.Send(v.s, 0, 0, 4, 3, 0);      // the release ends the drag and is not posted
    EXPECT_TRUE(Drain(&m.q).empty());
    m.Send(v.s, 0, 0, 4, 3, INPUT_BUTTON_LEFT);
    EXPECT_EQ(Drain(&m.q).size(), 1u);
    m.Send(v.s, 0, 0, 4, 3, 0);
    Drain(&m.q);

    // Upwards inside a taller thumb: first by the proportion, then to the top.
    View shortList(10, 10, 9, 20);
    ScrollVertical(shortList.s, 5);
    ASSERT_EQ(shortList.s->m_nVertThumbStart, 3);
    ASSERT_EQ(shortList.s->m_nVertThumbEnd, 7);
    m.Send(shortList.s, 0, 0, 9, 6, INPUT_BUTTON_LEFT);
    m.Send(shortList.s, 0, 0, 9, 5, INPUT_BUTTON_LEFT);
    EXPECT_EQ(shortList.s->m_nScrollY, 3);  // trunc(2 / 8 * 20 - 1.5)
    m.Send(shortList.s, 0, 0, 9, 4, INPUT_BUTTON_LEFT);
    EXPECT_EQ(shortList.s->m_nScrollY, 0);
    m.Send(shortList.s, 0, 0, 9, 4, 0);
}

TEST(ScrollViewMouse, TheWheelScrollsOnlyAViewWithAVerticalBar)
{
    Mouse m;
    View flat(20, 10, 6, 4);
    m.Send(flat.s, 0, 0, 5, 5, (uint32_t)120 << 16, INPUT_FLAG_WHEELED);
    EXPECT_EQ(flat.s->m_nScrollY, 0);

    View v(10, 10, 9, 100);
    ScrollVertical(v.s, 50);
    m.Send(v.s, 0, 0, 5, 5, (uint32_t)120 << 16, INPUT_FLAG_WHEELED);
    EXPECT_EQ(v.s->m_nScrollY, 38);
    m.Send(v.s, 0, 0, 9, 9, (uint32_t)(uint16_t)-120 << 16, INPUT_FLAG_WHEELED);  // over the bar too
    EXPECT_EQ(v.s->m_nScrollY, 49);
    m.Send(v.s, 0, 0, 10, 5, (uint32_t)120 << 16, INPUT_FLAG_WHEELED);  // beside the view
    EXPECT_EQ(v.s->m_nScrollY, 49);
    // A wheel record holds no button: at most a plain pointer event comes of it.
    for (const Posted &p : Drain(&m.q))
        EXPECT_EQ(p.type, (uint32_t)EV_MOUSE_UP);
}

TEST(ScrollViewMouse, HoldingTheMiddleButtonDragsTheContentFrameByFrame)
{
    Mouse m;
    View v(10, 10, 100, 100);
    ScrollVertical(v.s, 20);
    ScrollHorizontal(v.s, 20);
    g_frameCounter = 5;
    m.Send(v.s, 0, 0, 5, 5, INPUT_BUTTON_MIDDLE);
    EXPECT_EQ(v.s->m_nScrollY, 20);
    g_frameCounter = 6;
    m.Send(v.s, 0, 0, 3, 2, INPUT_BUTTON_MIDDLE);
    EXPECT_EQ(v.s->m_nScrollY, 23);
    EXPECT_EQ(v.s->m_nScrollX, 22);
    g_frameCounter = 9;  // not the next frame: a new pan starts from here
    m.Send(v.s, 0, 0, 6, 6, INPUT_BUTTON_MIDDLE);
    EXPECT_EQ(v.s->m_nScrollY, 23);
    EXPECT_EQ(Drain(&m.q).size(), 3u);
    g_frameCounter = 0;
}

/* Buttons. */

int s_clicks = 0;
Button *s_pLastClicked = nullptr;
void CountClick(Button *pButton)
{
    s_clicks++;
    s_pLastClicked = pButton;
}

struct Group {
    FrameStyle *pStyle = nullptr;
    Button *buttons[2] = {nullptr, nullptr};
    Surface *pTarget = CreateSurface(40, 10);
    int pressed = 0;
    Button *pCurrent = nullptr;
    Group(int bSticky)
    {
        EXPECT_EQ(CreateBoxStyle(&pStyle, 0x0B), 0);
        Coord a = {2, 2}, b = {20, 2};
        EXPECT_EQ(CreateButton(&buttons[0], nullptr, nullptr, bSticky, 0, CountClick, " OK ", 4, pStyle, &a, nullptr), 0);
        EXPECT_EQ(CreateButton(&buttons[1], nullptr, nullptr, bSticky, 0, CountClick, " NO ", 4, pStyle, &b, nullptr), 0);
        FillSurface(pTarget, Cell{' ', 0x00});
        s_clicks = 0;
        s_pLastClicked = nullptr;
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

TEST(Buttons, ATextButtonIsItsLabelInADoubleLineBox)
{
    Group g(0);
    Surface *pImage = g.buttons[0]->m_pSprite->m_pSurface;
    ASSERT_EQ(pImage->m_nWidth, 6);
    ASSERT_EQ(pImage->m_nHeight, 3);
    EXPECT_EQ(pImage->m_pCells[0].m_ch, 0xC9);
    EXPECT_EQ(pImage->m_pCells[7].m_ch, ' ');
    EXPECT_EQ(pImage->m_pCells[8].m_ch, 'O');
    EXPECT_EQ(pImage->m_pCells[9].m_ch, 'K');
    EXPECT_EQ(pImage->m_pCells[9].m_attr, 0x0B);
    EXPECT_EQ(pImage->m_pCells[11].m_ch, 0xBA);
    EXPECT_EQ(g.buttons[0]->m_pAltSurface->m_pCells[9].m_attr, 0xB0);
    EXPECT_EQ(g.buttons[0]->m_pAltSurface->m_pCells[9].m_ch, 'K');

    ToggleButton(g.buttons[0]);
    EXPECT_TRUE(g.buttons[0]->m_bHighlighted);
    EXPECT_EQ(g.buttons[0]->m_pSprite->m_pSurface->m_pCells[8].m_attr, 0xB0);
    ToggleButton(g.buttons[0]);
    EXPECT_EQ(g.buttons[0]->m_pSprite->m_pSurface, pImage);

    Button *pNone = nullptr;
    EXPECT_EQ(CreateButton(&pNone, nullptr, nullptr, 0, 0, nullptr, "x", 1, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(pNone, nullptr);
}

TEST(Buttons, PressingAndReleasingOverAButtonClicksItOnce)
{
    Group g(0);
    EXPECT_EQ(g.Send(4, 3, INPUT_BUTTON_LEFT), 2);
    EXPECT_TRUE(g.buttons[0]->m_bHighlighted);  // lit at once
    EXPECT_EQ(g.pTarget->m_pCells[3 * 40 + 4].m_attr, 0xB0);
    EXPECT_EQ(g.Send(4, 3, INPUT_BUTTON_LEFT), 2);  // held: still lit, no click yet
    EXPECT_EQ(s_clicks, 0);
    EXPECT_EQ(g.Send(5, 3, 0), 0);
    EXPECT_EQ(s_clicks, 1);
    EXPECT_EQ(s_pLastClicked, g.buttons[0]);
    EXPECT_FALSE(g.buttons[0]->m_bHighlighted);
    EXPECT_EQ(g.pTarget->m_pCells[3 * 40 + 4].m_attr, 0x0B);
    EXPECT_EQ(g.Send(5, 3, 0), 2);  // the pointer resting there clicks nothing more
    EXPECT_EQ(s_clicks, 1);
}

TEST(Buttons, MovingOffBeforeTheReleaseCancelsTheClick)
{
    Group g(0);
    g.Send(4, 3, INPUT_BUTTON_LEFT);
    g.Send(15, 3, INPUT_BUTTON_LEFT);
    EXPECT_FALSE(g.buttons[0]->m_bHighlighted);
    g.Send(22, 3, INPUT_BUTTON_LEFT);  // onto the other button: a press belongs to one button
    EXPECT_FALSE(g.buttons[1]->m_bHighlighted);
    g.Send(4, 3, INPUT_BUTTON_LEFT);  // back on: lit again
    EXPECT_TRUE(g.buttons[0]->m_bHighlighted);
    g.Send(15, 3, INPUT_BUTTON_LEFT);
    EXPECT_EQ(g.Send(15, 3, 0), 2);
    EXPECT_EQ(s_clicks, 0);
    EXPECT_FALSE(g.buttons[0]->m_bHighlighted);

    // A press that began on nothing clicks nothing, wherever it is released.
    g.Send(30, 8, INPUT_BUTTON_LEFT);
    g.Send(4, 3, INPUT_BUTTON_LEFT);
    EXPECT_EQ(g.Send(4, 3, 0), 2);
    EXPECT_EQ(s_clicks, 0);
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

int s_endTurns = 0, s_zoomOuts = 0;
void EndTurnClicked(Button *) { s_endTurns++; }
void ZoomOutClicked(Button *) { s_zoomOuts++; }

struct GameScreen {
    UiHarness ui;
    Surface *pMap = MakeContent(100, 80);
    GameScreen()
    {
        s_endTurns = s_zoomOuts = 0;
        ui.BuildMainScreen(pMap, EndTurnClicked, ZoomOutClicked);
    }
    ~GameScreen()
    {
        ui.Shutdown();
        DestroySurface(&pMap);
    }
};

TEST(GameScreen, TheBarsAndTheViewAreLaidOutFromTheScreenSize)
{
    GameScreen gs;
    ASSERT_EQ(g_wmViewMode, WM_MODE_ONE_VIEW);
    EXPECT_EQ(g_pMainView->m_pView->m_nWidth, 64);
    EXPECT_EQ(g_pMainView->m_pView->m_nHeight, 41);
    EXPECT_EQ(g_pSideBar->m_nWidth, 15);
    EXPECT_EQ(g_pSideBar->m_nHeight, 50);
    EXPECT_EQ(g_pBottomBar->m_nWidth, 64);
    EXPECT_EQ(g_pBottomBar->m_nHeight, 8);
    EXPECT_EQ(g_pLogView->m_pView->m_nWidth, 31);
    EXPECT_EQ(g_pLogView->m_pContent->m_nWidth, 30);
    EXPECT_EQ(g_cBarButtons, 1);
    EXPECT_EQ(g_cSideButtons, 0);

    gs.ui.RunFrames(2);
    for (int x = 0; x < 64; x++) {
        EXPECT_EQ(HeadlessCellAt(x, 41).m_ch, 0xCD) << x;
        EXPECT_EQ(HeadlessCellAt(x, 41).m_attr, 0x10) << x;
    }
    for (int y = 0; y < 50; y++) {
        EXPECT_EQ(HeadlessCellAt(64, y).m_ch, 0xBA) << y;
        EXPECT_EQ(HeadlessCellAt(64, y).m_attr, 0x40) << y;
    }
    EXPECT_EQ(HeadlessCellAt(0, 0).m_ch, 'X');  // the map's corner
    EXPECT_EQ(HeadlessCellAt(70, 10).m_attr, 0x40);
    EXPECT_EQ(HeadlessCellAt(5, 45).m_attr, 0x10);
    int x, y;
    ASSERT_TRUE(HeadlessFindText(" End Turn ", &x, &y));
    EXPECT_EQ(x, 53);
    EXPECT_EQ(y, 47);
    EXPECT_FALSE(HeadlessFindText("Zoom Out", &x, &y));
    EXPECT_FALSE(HeadlessFindText("Mgmt.", &x, &y));
}

TEST(GameScreen, ALargerConsoleGetsLargerViewsAndAWiderLog)
{
    UiHarness ui(120, 60);
    Surface *pMap = MakeContent(100, 80);
    ui.BuildMainScreen(pMap);
    EXPECT_EQ(g_pMainView->m_pView->m_nWidth, 104);
    EXPECT_EQ(g_pMainView->m_pView->m_nHeight, 51);
    EXPECT_EQ(g_pLogView->m_pContent->m_nWidth, 70);
    AddMessage("A message long enough to need more than thirty columns of the log", 0x0F);
    ui.RunFrames(2);
    int x, y;
    // One row of the 70-column log: rows 3 to 5 of its view hold the blank row, the welcome and this.
    ASSERT_TRUE(HeadlessFindText("A message long enough to need more than thirty columns of the log", &x, &y));
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 57);
    ASSERT_TRUE(HeadlessFindText(" End Turn ", &x, &y));
    EXPECT_EQ(x, 93);
    EXPECT_EQ(y, 57);
    ui.Shutdown();
    DestroySurface(&pMap);
}

TEST(GameScreen, EndTurnIsClickedOnceAndZoomOutOnlyWhileShown)
{
    GameScreen gs;
    HeadlessClick(55, 47);
    gs.ui.RunFrames(4);
    EXPECT_EQ(s_endTurns, 1);

    HeadlessClick(55, 43);
    gs.ui.RunFrames(3);
    EXPECT_EQ(s_zoomOuts, 0);
    SetBarButtonCount(2);
    HeadlessClick(55, 43);
    gs.ui.RunFrames(3);
    EXPECT_EQ(s_zoomOuts, 1);
    int x, y;
    EXPECT_TRUE(HeadlessFindText(" Zoom Out ", &x, &y));
    SetBarButtonCount(1);
}

TEST(GameScreen, TheMainViewTurnsHeldButtonsIntoEventsEveryFrame)
{
    GameScreen gs;
    ScrollHorizontal(g_pMainView, 10);
    HeadlessMoveMouse(5, 6, PLATFORM_BUTTON_LEFT);
    gs.ui.RunFrames(3);
    std::vector<Posted> posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 3u);
    for (const Posted &p : posted) {
        EXPECT_EQ(p.type, (uint32_t)EV_LEFT_BUTTON);
        EXPECT_EQ(p.pSurface, gs.pMap);
        EXPECT_EQ(p.x, 15);
        EXPECT_EQ(p.y, 6);
    }
    // A pointer resting over the map with no button held posts a plain event every frame;
    // over the bars it posts nothing.
    HeadlessMoveMouse(5, 6);
    gs.ui.RunFrames(2);
    posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].type, (uint32_t)EV_MOUSE_UP);
    HeadlessMoveMouse(70, 20, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(30, 45);
    gs.ui.RunFrames(2);
    EXPECT_TRUE(Drain(&g_eventQueue).empty());
}

TEST(GameScreen, ArrowsScrollTheMainViewAndOtherKeysArePosted)
{
    GameScreen gs;
    HeadlessPressKey(PLATFORM_VK_DOWN);
    HeadlessPressKey(PLATFORM_VK_RIGHT);
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    HeadlessPressKey(PLATFORM_VK_UP);
    gs.ui.RunFrames(8);
    EXPECT_EQ(g_pMainView->m_nScrollY, 0);
    EXPECT_EQ(g_pMainView->m_nScrollX, 1);
    std::vector<Posted> posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].type, (uint32_t)EV_KEY);
    EXPECT_EQ(posted[0].x, PLATFORM_VK_ESCAPE);
    EXPECT_EQ(posted[0].pSurface, g_pScreen);

    // A held key (no release yet) acts every frame.
    PlatformInputRecord down = {};
    down.m_kind = PLATFORM_RECORD_KEY;
    down.m_vk = PLATFORM_VK_DOWN;
    HeadlessPushInput(down);
    gs.ui.RunFrames(4);
    EXPECT_EQ(g_pMainView->m_nScrollY, 4);
}

TEST(GameScreen, TwoViewsShareTheArrowsAndTheKeypad)
{
    GameScreen gs;
    Surface *pRight = MakeContent(50, 60);
    SetLeftView(gs.pMap);
    EXPECT_EQ(g_pMainView, nullptr);
    SetRightView(pRight);
    ASSERT_EQ(g_wmViewMode, WM_MODE_TWO_VIEWS);
    EXPECT_EQ(g_pLeftView->m_pView->m_nWidth, 32);
    EXPECT_EQ(g_pLeftView->m_pView->m_nHeight, 41);
    EXPECT_EQ(g_pRightView->m_pView->m_nWidth, 32);

    HeadlessPressKey(PLATFORM_VK_DOWN);
    HeadlessPressKey(PLATFORM_VK_NUMPAD2);
    HeadlessPressKey(PLATFORM_VK_NUMPAD6);
    HeadlessPressKey('A');
    gs.ui.RunFrames(8);
    EXPECT_EQ(g_pLeftView->m_nScrollY, 1);
    EXPECT_EQ(g_pRightView->m_nScrollY, 1);
    EXPECT_EQ(g_pRightView->m_nScrollX, 1);
    std::vector<Posted> posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].x, 'A');

    // Clicks in the right view come in its content's coordinates.
    HeadlessClick(32 + 3, 4);
    gs.ui.RunFrames(1);
    posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].pSurface, pRight);
    EXPECT_EQ(posted[0].x, 4);
    EXPECT_EQ(posted[0].y, 5);
    gs.ui.RunFrames(1);
    Drain(&g_eventQueue);

    SetMainView(gs.pMap);
    EXPECT_EQ(g_pLeftView, nullptr);
    EXPECT_EQ(g_pRightView, nullptr);
    EXPECT_EQ(g_wmViewMode, WM_MODE_ONE_VIEW);
    DestroySurface(&pRight);
}

TEST(GameScreen, WithoutAGameScreenHeldButtonsArePostedInScreenCoordinates)
{
    UiHarness ui;
    HeadlessMoveMouse(7, 9, PLATFORM_BUTTON_RIGHT);
    HeadlessPressKey(PLATFORM_VK_ESCAPE);
    ui.RunFrames(4);
    std::vector<Posted> posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 1u);  // the key is not the window manager's business here
    EXPECT_EQ(posted[0].type, (uint32_t)EV_RIGHT_BUTTON);
    EXPECT_EQ(posted[0].pSurface, g_pScreen);
    EXPECT_EQ(posted[0].x, 7);
    EXPECT_EQ(posted[0].y, 9);

    HeadlessDoubleClick(3, 4);
    ui.RunFrames(6);
    posted = Drain(&g_eventQueue);
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].type, (uint32_t)EV_LEFT_BUTTON);
    EXPECT_EQ(posted[1].type, (uint32_t)EV_LEFT_BUTTON);
    EXPECT_EQ(posted[2].type, (uint32_t)EV_DOUBLE_CLICK);

    HeadlessMoveMouse(3, 4, PLATFORM_BUTTON_LEFT);
    ui.RunFrames(3);
    EXPECT_EQ(Drain(&g_eventQueue).size(), 3u);
}

int s_infoClicks = 0;
void InfoClicked(void) { s_infoClicks++; }

TEST(GameScreen, AnInfoViewIsDrawnAndTakesTheMouseFirst)
{
    GameScreen gs;
    Surface *pList = MakeContent(14, 30);
    Scroller *pInfo = nullptr;
    ASSERT_EQ(CreateScroller(&pInfo, 15, 10, pList, 0, 0), 0);
    g_pInfoView = pInfo;
    g_infoViewPos = Coord{65, 20};
    g_pfnInfoViewClick = InfoClicked;
    s_infoClicks = 0;
    HeadlessClick(66, 21);
    gs.ui.RunFrames(3);
    EXPECT_EQ(HeadlessCellAt(65, 20).m_ch, 'X');
    EXPECT_EQ(s_infoClicks, 3);  // every frame that handles a mouse record
    std::vector<Posted> posted = Drain(&g_eventQueue);
    ASSERT_GE(posted.size(), 1u);
    EXPECT_EQ(posted[0].pSurface, pList);
    EXPECT_EQ(posted[0].x, 1);
    EXPECT_EQ(posted[0].y, 1);
    g_pfnInfoViewClick = nullptr;
    gs.ui.Shutdown();
    EXPECT_EQ(g_pInfoView, nullptr);
    DestroyScroller(&pInfo);
    DestroySurface(&pList);
}

}  // namespace
