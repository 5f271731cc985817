// The maps as the player works them, beyond what the played game in test_play shows: choosing by
// click, the panels of systems, planets and fleets, fleet orders given by dragging a line across a
// system map, zooming, and the gates.
#include "game/core/files.h"
#include "game/ui/window.h"
#include "platform/terminal_input.h"
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

using Maps = ScreenWorld;

TEST_F(Maps, AGalaxyClickSelectsTheSystemUnderItAndWarpLinesLeaveOnlyTheSelectedOne)
{
    Surface *pGalaxy = g_pUniverse->m_pSurface;
    Click(12, 22);
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
    EXPECT_EQ(PanelText(), "\nName:\n  Testa\n\nStar:\n  Lux\n\nSystem Type:\n  Solar\n\nOwner:\n  None\n\n"
                           "4 Planets:\n  Terra\n  Terra\n  Terra\n  Terra");
    Click(54, 24);  // the last cell of the other icon
    EXPECT_EQ(g_pSelSystem, SystemAt(1));
    EXPECT_FALSE(SystemAt(0)->m_bFlags & SYSTEM_SELECTED);
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_ch, '.');  // the link from (10, 20) to (50, 20)
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_attr, 0x0F);
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 50].m_attr, 0xE0);  // the selected icon, inverted
    EXPECT_EQ(SystemAt(1)->m_pIcon->m_pCells[0].m_attr, 0x0E);  // and the icon itself is as it was
    g_pUniverse->m_iTurn = 4;  // four turns played: the fifth is on
    Click(55, 24);  // just beside it: the player's company and the turn
    EXPECT_EQ(g_pSelSystem, nullptr);
    EXPECT_FALSE(SystemAt(1)->m_bFlags & SYSTEM_SELECTED);
    EXPECT_EQ(PanelText(), "\nYour\nCompany:\n  Human\n  Turn 5\n\nTotal\nCompanies:\n  2");
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_ch, ' ');
    MapDoubleClick();  // nothing selected: nothing happens
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    EnterSystem(0);  // the system map carries the system's name
    GameScreenUpdate();
    EXPECT_EQ(Row(SystemAt(0)->m_pMap, 1, 0, 5), "Testa");
}

TEST_F(Maps, OnlySeenPlanetsAreClickedOnlyThePlayersOfferTheBuildButtonsAndGatesAndFleetsOnlyWhereTheyStand)
{
    EnterSystem(0);
    Click(26, 1);
    EXPECT_EQ(g_pSelPlanet, nullptr);
    PlanetAt(0, 1)->m_bFlags = PLANET_SHADED;  // seen once, out of sight now
    Click(26, 1);
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 1));
    EXPECT_TRUE(PlanetAt(0, 1)->m_bFlags & PLANET_SELECTED);
    EXPECT_EQ(PanelText(), "\nName:\n  Terra\n\nPlanet Type:\n  Rocky");
    EXPECT_EQ(g_cSideButtons, 0);  // nobody's planet
    Click(1, 41);  // the computer company's planet
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 3));
    EXPECT_EQ(g_cSideButtons, 0);
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_PLANET);
    EXPECT_EQ(g_cSideButtons, 0);
    ZoomOut();
    EXPECT_EQ(g_cSideButtons, 0);
    Click(1, 1);
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 0));
    EXPECT_FALSE(PlanetAt(0, 3)->m_bFlags & PLANET_SELECTED);
    GameScreenUpdate();
    GameScreenUpdate();
    EXPECT_EQ(g_cSideButtons, 2);  // the selected planet keeps its panel after the release
    Click(50, 50);  // nothing there: the panel goes one frame after the release
    EXPECT_EQ(g_pSelPlanet, nullptr);
    GameScreenUpdate();
    EXPECT_EQ(PanelText(), "");
    EXPECT_EQ(g_cSideButtons, 0);

    // Gates and fleets are chosen only where they stand.
    Click(1, 1);
    Click(81, 11);
    EXPECT_EQ(g_pSelGate, Gate(0, 0));
    EXPECT_EQ(Gate(0, 0)->m_bHighlight, 1);
    EXPECT_EQ(g_pSelPlanet, nullptr);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    Click(40, 40);
    EXPECT_EQ(g_pSelFleet, pFleet);
    EXPECT_EQ(pFleet->m_bSelected, 1);
    EXPECT_EQ(Gate(0, 0)->m_bHighlight, 0);
    EXPECT_NE(PanelText().find("Fleet ID:\n  " + std::to_string(pFleet->m_iId)), std::string::npos) << PanelText();
    Click(41, 40);  // beside the fleet
    EXPECT_EQ(g_pSelFleet, nullptr);
    EXPECT_EQ(pFleet->m_bSelected, 0);
}

TEST_F(Maps, TheHoldOfThePlayersPlanetIsListedAgainWhenItsShipsChange)
{
    EnterSystem(0);
    Click(1, 1);
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, nullptr);  // an empty hold: no list
    AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_DRONE);
    GameScreenUpdate();
    ASSERT_NE(g_pInfoView, nullptr);
    Scroller *pShown = g_pInfoView;
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, pShown);  // the same ships keep the same list
    AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_FAST);
    GameScreenUpdate();
    ASSERT_NE(g_pInfoView, nullptr);
    EXPECT_EQ(g_pInfoView->m_pContent->m_nHeight, 3);  // two one-row names, one empty row between

    // A press on the first name let go over the panel's text, then a click on the second name:
    // the second is the one lit.
    RunScript();
    int x = 0, y = 0;
    ASSERT_TRUE(HeadlessFindText("Vessel", &x, &y));
    HeadlessDrag(x, y, x, 3);
    HeadlessClick(x, y + 2);
    RunScript();
    const Cell *pNames = g_pInfoView->m_pContent->m_pCells;
    int width = g_pInfoView->m_pContent->m_nWidth;
    EXPECT_EQ(pNames[0].m_attr, 12);
    EXPECT_EQ(pNames[2 * width].m_attr, 0xC0);

    AddShip(PlanetAt(0, 3)->m_pFleet, V_TYPE_SHIP_DRONE);
    Click(1, 41);  // another company's hold is not for the player to see
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, nullptr);
}

TEST_F(Maps, DraggingFromTheHomePlanetSendsItsHoldButNotAnEmptyHoldARivalOrANewPress)
{
    EnterSystem(0);
    PlanetAt(0, 1)->m_bFlags = PLANET_KNOWN;
    Fleet *pHold = PlanetAt(0, 0)->m_pFleet;
    Fleet *pRival = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    for (Coord from : {Coord{1, 1}, Coord{40, 40}}) {  // an empty hold, a rival's fleet
        Press(from.m_x, from.m_y);
        Press(26, 1);
        Release();
        GameScreenUpdate();
    }
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    EXPECT_EQ(pRival->m_eState, FLEET_IDLE);
    AddShip(pHold, V_TYPE_SHIP_DRONE);
    Click(1, 1);
    GameScreenUpdate();
    Press(26, 1);  // a press that begins on a planet after a pause is a new drag
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    EXPECT_EQ(g_pDragPlanet, PlanetAt(0, 1));
    Release();
    GameScreenUpdate();
    Press(1, 1);
    Press(1, 1);  // held on the planet itself: no order
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    Press(26, 1);
    Release();
    EXPECT_EQ(pHold->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pHold->m_pTargetPlanet, PlanetAt(0, 1));
    // The order that stands is told once, as the button comes up.
    int before = MessageCount();
    GameScreenUpdate();
    GameScreenUpdate();
    ASSERT_EQ(MessageCount(), before + 1);
    EXPECT_EQ(LastMessage(), "Fleet " + std::to_string(pHold->m_iId) + " is on its way to " + PlanetAt(0, 1)->m_pName + ".");
    Press(1, 1);
    Press(40, 40);  // onto the rival's fleet: an attack, not a merge
    Release();
    GameScreenUpdate();
    GameScreenUpdate();
    EXPECT_EQ(LastMessage(), "Fleet " + std::to_string(pHold->m_iId) + " is on its way to attack fleet " + std::to_string(pRival->m_iId) + ".");
}

// Fleets gather where planets and gates stand: a fleet out of a gate waits on its corner, a
// rival's fleet may share the cell. A click there selects the player's fleet and orders nothing;
// a drag from there sends it.
TEST_F(Maps, AClickOnACellSharedWithAGateOrARivalSelectsThePlayersFleetAndADragSendsIt)
{
    EnterSystem(0);
    PlanetAt(0, 2)->m_bFlags = PLANET_KNOWN;
    PlanetAt(0, 3)->m_bFlags = PLANET_KNOWN;
    AddShip(PlanetAt(0, 3)->m_pFleet, V_TYPE_SHIP_DRONE);
    // open space, a rival's planet with its hold, the corner of a paired gate
    for (Coord at : {Coord{70, 70}, Coord{0, 40}, Coord{80, 10}}) {
        Fleet *pMine = SpaceFleet(0, 0, at, {V_TYPE_SHIP_DRONE});
        Fleet *pTheirs = SpaceFleet(0, 3, at, {V_TYPE_SHIP_DRONE});
        Press(at.m_x, at.m_y);
        Press(at.m_x, at.m_y);  // a click lasts a few frames
        EXPECT_EQ(pMine->m_eState, FLEET_IDLE) << at.m_x;
        EXPECT_EQ(g_pSelFleet, pMine) << at.m_x;  // its panel, with a RECALL that works
        Press(61, 61);
        Release();
        GameScreenUpdate();
        EXPECT_EQ(pMine->m_pTargetPlanet, PlanetAt(0, 2)) << at.m_x;
        EXPECT_EQ(pTheirs->m_eState, FLEET_IDLE);
    }
}

TEST_F(Maps, OverSpaceTheLineIsLengthenedEveryFrameOfTheDragGivesTheOrderAgainAndAFleetLeavingPlayEndsIt)
{
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    Fleet *pOther = SpaceFleet(0, 0, Coord{50, 30}, {V_TYPE_SHIP_DRONE});
    Press(30, 30);
    const struct {
        int x, y, endX, endY;  // the pointer, and the line's end once lengthened
    } ends[] = {{40, 33, 40, 34}, {30, 40, 30, 40}, {28, 40, 27, 40}};
    for (const auto &e : ends) {
        Press(e.x, e.y);
        EXPECT_EQ(std::make_pair(g_dragTo.m_x, g_dragTo.m_y), std::make_pair(e.endX, e.endY)) << e.x << "," << e.y;
    }
    EXPECT_EQ(std::make_pair(pFleet->m_dest.m_x, pFleet->m_dest.m_y), std::make_pair(27, 40));
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    PlanetAt(0, 2)->m_bFlags = PLANET_KNOWN;  // at (60, 60)
    Press(61, 61);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 2));
    Press(50, 30);
    EXPECT_EQ(pFleet->m_pTargetFleet, pOther);
    EXPECT_EQ(pFleet->m_pTargetPlanet, nullptr);
    Press(81, 11);
    EXPECT_EQ(pFleet->m_pTargetGate, Gate(0, 0));
    Press(81, 81);  // a gate without a pair is no target: the last order stands
    EXPECT_EQ(pFleet->m_pTargetGate, Gate(0, 0));
    Press(60, 20);
    Release();
    GameScreenUpdate();
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);
    EXPECT_EQ(pFleet->m_dest.m_x, 60);
    EXPECT_EQ(g_dragTo.m_x, g_dragFrom.m_x);  // the line is gone
    EXPECT_EQ(g_pDragFleet, nullptr);

    Fleet *pArrived = SpaceFleet(0, 0, Coord{79, 12}, {V_TYPE_SHIP_DRONE});
    WarpgateRecordTransit(Gate(0, 0), pArrived);  // a fleet that came through is ordered from its gate
    Press(82, 12);
    Press(60, 60);
    EXPECT_EQ(pArrived->m_pTargetPlanet, PlanetAt(0, 2));
    Release();
    GameScreenUpdate();

    // A fleet leaving play mid-drag takes its selection and the drag with it; the drag goes on.
    Press(30, 30);
    ASSERT_EQ(g_pDragFleet, pFleet);
    ASSERT_EQ(g_pSelFleet, pFleet);
    ListRemove(SystemAt(0)->m_pFleets, pFleet);
    FleetRelease(&pFleet);
    EXPECT_EQ(g_pSelFleet, nullptr);
    EXPECT_EQ(g_pDragFleet, nullptr);
    Press(31, 30);
    Release();
}

// The line moves along with the frame counter, red over space and green over something to aim
// at; near the view's edge the drag scrolls the map. RECALL sends the fleet on show home.
TEST_F(Maps, TheLineRunsInItsGradientTheViewScrollsAtTheEdgeAndRecallSendsTheFleetHome)
{
    Surface *pRed = LoadSurfaceFile("../assets/redgradient.v_s");
    Surface *pGreen = LoadSurfaceFile("../assets/greengradient.v_s");
    EnterSystem(0);
    Surface *pMap = SystemAt(0)->m_pMap;
    PlanetAt(0, 2)->m_bFlags = PLANET_KNOWN;  // at (60, 60)
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    auto expectPattern = [&](Surface *pPattern, int x, int y, uint32_t k) {
        Cell expected = pPattern->m_pCells[(g_frameCounter - k) % (uint32_t)pPattern->m_nWidth];
        Cell shown = pMap->m_pCells[y * pMap->m_nWidth + x];
        EXPECT_EQ(std::make_pair(shown.m_ch, shown.m_attr), std::make_pair(expected.m_ch, expected.m_attr));
    };
    Press(30, 30);
    for (int frame = 0; frame < 3; frame++) {  // the same cell shows the pattern's next cell each frame
        Press(40, 30);
        expectPattern(pRed, 35, 30, 5);
    }
    Press(61, 61);
    expectPattern(pGreen, 35, 35, 5);
    // The pointer's screen cell decides; the view stands at the screen's top left.
    auto pressOnScreen = [&](int x, int y) {
        g_inputState.m_nX = x;
        g_inputState.m_nY = y;
        Press(x + g_pMainView->m_nScrollX, y + g_pMainView->m_nScrollY);
    };
    pressOnScreen(40, 20);
    EXPECT_EQ(g_pMainView->m_nScrollX, 0);  // mid-view: no scrolling
    pressOnScreen(60, 20);
    pressOnScreen(60, 20);
    EXPECT_EQ(g_pMainView->m_nScrollX, 2);
    pressOnScreen(40, 2);
    EXPECT_EQ(g_pMainView->m_nScrollY, 0);  // already at the top
    Release();
    GameScreenUpdate();

    Click(30, 30);
    ASSERT_EQ(g_pSelFleet, pFleet);
    ASSERT_GE(g_cSideButtons, 1);
    g_ppSideButtons[0]->m_pfnCallback(g_ppSideButtons[0]);  // "  RECALL    "
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(LastMessage(), "Fleet " + std::to_string(pFleet->m_iId) + " is returning home to " + PlanetAt(0, 0)->m_pName + ".");
    pFleet->m_pHomePlanet = PlanetAt(1, 0);
    g_ppSideButtons[0]->m_pfnCallback(g_ppSideButtons[0]);
    EXPECT_EQ(LastMessage(), "This fleet has no home planet in this system to return to.\n");
    pFleet->m_pOwner = Rival();  // a rival's fleet shows the button too
    g_ppSideButtons[0]->m_pfnCallback(g_ppSideButtons[0]);
    EXPECT_EQ(LastMessage(), "Only your own fleets can be recalled.");
    pFleet->m_pOwner = Player();
    // Crews that perished take no order, and the player is told once.
    pFleet->m_eState = FLEET_DEAD;
    MessagesClear();
    Press(30, 30);
    Press(61, 61);
    Release();
    GameScreenUpdate();
    EXPECT_EQ(MessageCount(), 1);
    EXPECT_EQ(LastMessage(), "Fleet " + std::to_string(pFleet->m_iId) + " has no crew left to take orders.");
    DestroySurface(&pRed);
    DestroySurface(&pGreen);
}

// A planet, gate or fleet chosen in a system left behind (or a fleet docked since) is unmarked by
// the next click elsewhere: back there it does not show chosen with no panel.
TEST_F(Maps, AChoiceLeftInAnotherSystemLosesItsMarkAtTheNextClick)
{
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    auto marked = [&] {
        return (PlanetAt(0, 0)->m_bFlags & PLANET_SELECTED) || Gate(0, 0)->m_bHighlight || pFleet->m_bSelected;
    };
    for (Coord at : {Coord{1, 1}, Coord{81, 11}, Coord{40, 40}}) {
        EnterSystem(0);
        Click(at.m_x, at.m_y);
        ASSERT_TRUE(marked()) << at.m_x;
        ZoomOut();
        EnterSystem(1);
        Click(30, 30);
        EXPECT_FALSE(marked()) << at.m_x;
        ZoomOut();
    }
}

TEST_F(Maps, APairedGateLeadsToTheSystemAtItsOtherEnd)
{
    EnterSystem(0);
    EXPECT_EQ(g_cBarButtons, 2);
    Click(81, 11);
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pSelSystem, SystemAt(1));
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(1)->m_pMap);
    EXPECT_LE(g_pMainView->m_nScrollY, Gate(1, 0)->m_pos.m_y);  // the view opens on the gate there
    EXPECT_EQ(g_pSelGate, nullptr);
    EXPECT_TRUE(SystemAt(1)->m_bFlags & SYSTEM_SELECTED);
    EXPECT_FALSE(SystemAt(0)->m_bFlags & SYSTEM_SELECTED);
    Click(11, 11);  // and back through the gate at this end
    MapDoubleClick();
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
    ZoomOut();
    ZoomOut();  // in the galaxy: nothing
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    EXPECT_EQ(g_cBarButtons, 1);
}

TEST_F(Maps, TheGalaxyOpensOnHomeEachMapKeepsItsPlaceAndHomeLeadsToTheHomePlanet)
{
    SystemAt(0)->m_pos = Coord{90, 90};  // the player's home, far from the corner
    ShowGalaxy();
    auto inView = [](Coord at) {
        return g_pMainView->m_nScrollX <= at.m_x && at.m_x < g_pMainView->m_nScrollX + g_pMainView->m_pView->m_nWidth &&
               g_pMainView->m_nScrollY <= at.m_y && at.m_y < g_pMainView->m_nScrollY + g_pMainView->m_pView->m_nHeight;
    };
    EXPECT_TRUE(inView(SystemAt(0)->m_pos)) << g_pMainView->m_nScrollX << "," << g_pMainView->m_nScrollY;
    EnterSystem(0);
    EXPECT_TRUE(inView(PlanetAt(0, 0)->m_pos));
    ScrollHorizontal(g_pMainView, 5 - g_pMainView->m_nScrollX);
    ScrollVertical(g_pMainView, 7 - g_pMainView->m_nScrollY);
    ZoomOut();
    EXPECT_TRUE(inView(SystemAt(0)->m_pos));
    ScrollHorizontal(g_pMainView, -100);
    EnterSystem(1);  // another system: its own place
    ZoomOut();
    EXPECT_EQ(g_pMainView->m_nScrollX, 0);  // the galaxy where it was left
    GoHome();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    EXPECT_TRUE(inView(PlanetAt(0, 0)->m_pos));
    EXPECT_EQ(g_cBarButtons, 2);
}

// Clicks on an unpaired gate as the terminal sends them, read by the terminal's parser at the
// times given (each press let go 50 ms later) and played through the game loop: every double
// click, and nothing else, says once that the gate leads nowhere, and the map stays.
TEST_F(Maps, ClicksAndDoubleClicksOnAnUnpairedGateSayOnceEachThatItLeadsNowhere)
{
    EnterSystem(0);
    g_pMainView->m_nScrollX = 40;  // the unpaired gate at (81, 81) comes into view at (41, 31)
    g_pMainView->m_nScrollY = 50;
    const struct {
        const char *pWhat;
        std::vector<uint32_t> presses;
        int messages;
    } cases[] = {
        {"a click", {0}, 0},
        {"a click, then a double click", {0, 800, 950}, 1},
        {"a click, then a double click begun within the time", {0, 250, 400}, 1},
        {"a click and a double click in one burst", {0, 100, 200}, 1},
        {"two double clicks", {0, 150, 1000, 1150}, 2},
    };
    uint32_t start = 10000;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pWhat);
        TerminalInputParser parser;
        TerminalInputInit(&parser);
        for (uint32_t at : c.presses) {
            TerminalInputFeed(&parser, "\x1b[<0;42;32M", 12, start + at);
            TerminalInputFeed(&parser, "\x1b[<0;42;32m", 12, start + at + 50);
        }
        start += 10000;
        PlatformInputRecord record;
        while (TerminalInputPop(&parser, &record))
            HeadlessPushInput(record);
        int before = MessageCount();
        RunScript(30);
        EXPECT_EQ(MessageCount() - before, c.messages);
        for (int i = before; i < MessageCount(); i++)
            EXPECT_STREQ(MessageText(i), "This warp gate is not linked to another system.\n");
        EXPECT_EQ(g_pSelSystem, SystemAt(0));
        EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    }
}

}  // namespace
}  // namespace screens_test
