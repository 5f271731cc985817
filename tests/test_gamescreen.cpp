// The three maps as the player works them: drawing the galaxy and a system, choosing by click,
// zooming in and out, jumping through gates, the panels of systems, planets and fleets, and
// fleet orders given by dragging a line across a system map.
#include <cstring>

#include "game/files.h"
#include "game/window.h"
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

using motion_test::AddShip;
using Maps = ScreenWorld;
using MapDrags = ScreenWorld;
using Zooming = ScreenWorld;
using Panels = ScreenWorld;

bool Contains(const std::string &text, const char *pPart) { return text.find(pPart) != std::string::npos; }

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(Maps, WarpLinesAreDrawnOnlyFromTheSelectedSystemAndItsIconIsInverted)
{
    Surface *pGalaxy = g_pUniverse->m_pSurface;
    FillSurface(pGalaxy, Cell{' ', 0x0B});
    UniverseDraw(g_pUniverse);
    // (10, 20) and (50, 20) are linked; nothing is selected, so no line.
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_ch, ' ');
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 10].m_attr, 0x0E);

    SystemAt(1)->m_bFlags |= 1;
    FillSurface(pGalaxy, Cell{' ', 0x0B});
    UniverseDraw(g_pUniverse);
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_ch, '.');
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 30].m_attr, 0x0F);
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 50].m_attr, 0xE0);   // the selected icon, inverted
    EXPECT_EQ(pGalaxy->m_pCells[20 * 100 + 10].m_attr, 0x0E);
    EXPECT_EQ(SystemAt(1)->m_pIcon->m_pCells[0].m_attr, 0x0E);   // and the icon itself is as it was
}

TEST_F(Maps, TheSystemMapShowsSeenPlanetsGatesAndFleets)
{
    System *pSystem = SystemAt(0);
    SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    SystemDrawMap(pSystem);
    EXPECT_NE(MapCell(pSystem, 1, 1).m_ch, ' ');      // the player's planet, known
    EXPECT_EQ(MapCell(pSystem, 26, 1).m_ch, ' ');     // never seen: not drawn
    EXPECT_NE(MapCell(pSystem, 81, 11).m_ch, ' ');    // a gate
    EXPECT_EQ(MapCell(pSystem, 40, 40).m_ch, '*');    // the fleet
}

TEST_F(Maps, TheFrameUpdateRedrawsTheMapOfTheCurrentView)
{
    GameScreenUpdate();
    EXPECT_EQ(g_pUniverse->m_pSurface->m_pCells[20 * 100 + 10].m_ch, '*');
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    GameScreenUpdate();
    EXPECT_EQ(MapCell(SystemAt(0), 40, 40).m_ch, '*');
    pFleet->m_pos = Coord{41, 40};
    GameScreenUpdate();
    EXPECT_EQ(MapCell(SystemAt(0), 40, 40).m_ch, ' ');   // no trail
    EXPECT_EQ(MapCell(SystemAt(0), 41, 40).m_ch, '*');
}

// ---------------------------------------------------------------------------------------------
// Choosing by click

TEST_F(Maps, AClickInTheGalaxySelectsASystemAndAClickOutsideEveryIconDeselects)
{
    Click(12, 22);
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
    EXPECT_TRUE(SystemAt(0)->m_bFlags & 1);
    std::string panel = PanelText();
    EXPECT_TRUE(Contains(panel, "Name:\n  Testa")) << panel;
    EXPECT_TRUE(Contains(panel, "Star:\n  Lux")) << panel;
    EXPECT_TRUE(Contains(panel, "System Type:\n  Solar")) << panel;
    EXPECT_TRUE(Contains(panel, "Owner:\n  None")) << panel;
    EXPECT_TRUE(Contains(panel, "4 Planets:\n  Terra\n  Terra\n  Terra\n  Terra")) << panel;

    Click(54, 24);   // the last cell of the other icon
    EXPECT_EQ(g_pSelSystem, SystemAt(1));
    EXPECT_FALSE(SystemAt(0)->m_bFlags & 1);
    EXPECT_TRUE(Contains(PanelText(), "1 Planets:"));

    Click(55, 24);   // just beside it
    EXPECT_EQ(g_pSelSystem, nullptr);
    EXPECT_FALSE(SystemAt(1)->m_bFlags & 1);
    EXPECT_EQ(PanelText(), "");
}

TEST_F(Maps, PlanetsNeverSeenCannotBeClickedAndSeenOnesShowTheirPanel)
{
    EnterSystem(0);
    Click(26, 1);
    EXPECT_EQ(g_pSelPlanet, nullptr);
    EXPECT_EQ(g_cSideButtons, 0);

    PlanetAt(0, 1)->m_bFlags = PLANET_SHADED;   // seen once, out of sight now
    Press(26, 1);
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 1));
    EXPECT_TRUE(PlanetAt(0, 1)->m_bFlags & PLANET_SELECTED);
    EXPECT_TRUE(Contains(PanelText(), "Name:\n  Terra\n\nPlanet Type:\n  Rocky"));
    EXPECT_EQ(g_cSideButtons, 0);   // nobody's planet: nothing to build
}

TEST_F(Maps, OnlyThePlayersPlanetsOfferTheBuildButtons)
{
    EnterSystem(0);
    Press(1, 41);   // the computer company's planet
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 3));
    EXPECT_EQ(g_cSideButtons, 0);
    Release();

    Press(1, 1);
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 0));
    ASSERT_EQ(g_cSideButtons, 2);
    GameFrame();
    int x = -1, y = -1;
    GameFrame();
    ASSERT_TRUE(HeadlessFindText("  Add Ship  ", &x, &y));
    EXPECT_EQ(x, 66);
    EXPECT_EQ(y, 43);
    ASSERT_TRUE(HeadlessFindText("Build Struct", &x, &y));
    EXPECT_EQ(y, 47);   // right below, one empty row between
}

TEST_F(Maps, AClickSelectsOnlyWhatLiesUnderIt)
{
    EnterSystem(0);
    Click(1, 1);
    Click(81, 11);   // the paired gate
    EXPECT_EQ(g_pSelGate, Gate(0, 0));
    EXPECT_EQ(Gate(0, 0)->m_bHighlight, 1);
    EXPECT_EQ(g_pSelPlanet, nullptr);
    EXPECT_FALSE(PlanetAt(0, 0)->m_bFlags & PLANET_SELECTED);

    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    Click(40, 40);
    EXPECT_EQ(g_pSelFleet, pFleet);
    EXPECT_EQ(pFleet->m_bSelected, 1);
    EXPECT_EQ(g_pSelGate, nullptr);
    EXPECT_EQ(Gate(0, 0)->m_bHighlight, 0);

    Click(41, 40);   // a fleet is hit only on its own cell
    EXPECT_EQ(g_pSelFleet, nullptr);
    EXPECT_EQ(pFleet->m_bSelected, 0);
}

// ---------------------------------------------------------------------------------------------
// Panels

TEST_F(Panels, ASelectedPlanetKeepsItsPanelWhileNothingSelectedLosesItOneFrameAfterRelease)
{
    EnterSystem(0);
    Press(1, 1);
    Release();
    GameScreenUpdate();
    GameScreenUpdate();
    EXPECT_TRUE(Contains(PanelText(), "Name:\n  Terra"));
    EXPECT_EQ(g_cSideButtons, 2);

    Press(50, 50);
    Release();
    EXPECT_EQ(g_pSelPlanet, nullptr);
    GameScreenUpdate();
    EXPECT_EQ(PanelText(), "");
    EXPECT_EQ(g_cSideButtons, 0);
}

TEST_F(Panels, ThePlanetViewKeepsTheBuildButtons)
{
    EnterSystem(0);
    Click(1, 1);
    MapDoubleClick();
    ASSERT_EQ(g_viewMode, VIEW_PLANET);
    for (int i = 0; i < 5; i++)
        GameScreenUpdate();
    EXPECT_EQ(g_cSideButtons, 2);
    EXPECT_TRUE(Contains(PanelText(), "Planet Type:"));
    Click(10, 10);   // a click on the close-up changes nothing
    EXPECT_EQ(g_cSideButtons, 2);
    EXPECT_TRUE(Contains(PanelText(), "Planet Type:"));
}

TEST_F(Panels, AFleetShowsItsIdItsTwoButtonsAndItsShips)
{
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{40, 40}, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST});
    free(((Ship *)pFleet->m_pShips->m_pHead->m_pData)->m_pName);
    ((Ship *)pFleet->m_pShips->m_pHead->m_pData)->m_pName = strdup("Nostromo");
    Click(40, 40);
    char expected[32];
    snprintf(expected, sizeof expected, "Fleet ID:\n  %d", pFleet->m_iId);
    EXPECT_TRUE(Contains(PanelText(), expected)) << PanelText();
    ASSERT_EQ(g_cSideButtons, 2);
    ASSERT_NE(g_pInfoView, nullptr);
    GameFrame();
    GameFrame();
    int x = -1, y = -1;
    EXPECT_TRUE(HeadlessFindText("  RECALL    ", &x, &y));
    EXPECT_TRUE(HeadlessFindText("  ASPLODE   ", &x, &y));
    ASSERT_TRUE(HeadlessFindText("Nostromo", &x, &y));
    EXPECT_GE(x, 65);
    ASSERT_TRUE(HeadlessFindText("Vessel", &x, &y));

    // A click on a ship lights it, and only it; the map never hears of the click.
    HeadlessClick(x, y);
    RunScript();
    GameFrame();
    EXPECT_EQ(HeadlessCellAt(x, y).m_attr, 0xC0);
    int nx = -1, ny = -1;
    ASSERT_TRUE(HeadlessFindText("Nostromo", &nx, &ny));
    EXPECT_EQ(HeadlessCellAt(nx, ny).m_attr, 0x0C);
    EXPECT_EQ(g_pSelFleet, pFleet);
    EXPECT_EQ(g_eventQueue.m_nCount, 0);
    HeadlessClick(nx, ny);
    RunScript();
    GameFrame();
    EXPECT_EQ(HeadlessCellAt(nx, ny).m_attr, 0xC0);
    EXPECT_EQ(HeadlessCellAt(x, y).m_attr, 0x0C);

    // "  ASPLODE   " does nothing; "  RECALL    " sends the fleet home.
    int state = pFleet->m_eState;
    HeadlessClick(70, 47);
    RunScript();
    EXPECT_EQ(pFleet->m_eState, state);
    EXPECT_EQ(g_pSelFleet, pFleet);
    EXPECT_EQ(pFleet->m_cShip, 2);
    HeadlessClick(70, 43);
    RunScript();
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
}

TEST_F(Panels, RecallIsForThePlayersFleetsThatStillHaveAHomeHere)
{
    EnterSystem(0);
    Fleet *pRival = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    Press(40, 40);
    Release();
    ASSERT_EQ(g_cSideButtons, 2);
    g_ppSideButtons[0]->m_pfnCallback(g_ppSideButtons[0]);
    EXPECT_EQ(pRival->m_eState, FLEET_IDLE);

    Fleet *pStray = SpaceFleet(0, 0, Coord{44, 40}, {V_TYPE_SHIP_DRONE});
    pStray->m_pHomePlanet = nullptr;   // it came through a gate
    Press(44, 40);
    Release();
    int before = MessageCount();
    g_ppSideButtons[0]->m_pfnCallback(g_ppSideButtons[0]);
    EXPECT_EQ(pStray->m_eState, FLEET_IDLE);
    ASSERT_EQ(MessageCount(), before + 1);
    EXPECT_STREQ(MessageText(before), "This fleet has no home planet in this system to return to.\n");
    EXPECT_EQ(MessageAttr(before), 0x9F);
}

TEST_F(Panels, TheHoldOfThePlayersPlanetIsListedWithTheNewShipsInIt)
{
    EnterSystem(0);
    Click(1, 1);
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, nullptr);   // an empty hold: no list
    AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_DRONE);
    GameScreenUpdate();
    ASSERT_NE(g_pInfoView, nullptr);
    EXPECT_EQ(g_infoViewPos.m_x, 65);
    EXPECT_EQ(g_infoViewPos.m_y, 7);
    EXPECT_EQ(g_pInfoView->m_pView->m_nWidth, 15);
    EXPECT_EQ(g_pInfoView->m_pView->m_nHeight, 33);
    Scroller *pShown = g_pInfoView;
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, pShown);   // the same ships keep the same list
    AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_FAST);
    GameScreenUpdate();
    ASSERT_NE(g_pInfoView, nullptr);
    EXPECT_EQ(g_pInfoView->m_pContent->m_nHeight, 3);   // two one-row names, one empty row between

    // Another company's hold is not for the player to see.
    AddShip(PlanetAt(0, 3)->m_pFleet, V_TYPE_SHIP_DRONE);
    Click(1, 41);
    GameScreenUpdate();
    EXPECT_EQ(g_pInfoView, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Orders by dragging

TEST_F(MapDrags, DraggingFromTheHomePlanetOntoAnotherPlanetSendsItsHoldThere)
{
    EnterSystem(0);
    PlanetAt(0, 1)->m_bFlags = PLANET_KNOWN;
    Fleet *pHold = PlanetAt(0, 0)->m_pFleet;
    AddShip(pHold, V_TYPE_SHIP_DRONE);
    Press(1, 1);
    EXPECT_EQ(g_bDragging, 1);
    EXPECT_EQ(g_pDragPlanet, PlanetAt(0, 0));
    Press(1, 1);   // held on the planet itself: no order
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    Press(10, 1);
    Press(26, 1);
    EXPECT_EQ(pHold->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pHold->m_pTargetPlanet, PlanetAt(0, 1));
    EXPECT_EQ(g_pSelPlanet, PlanetAt(0, 1));
    Release();
    EXPECT_EQ(pHold->m_pTargetPlanet, PlanetAt(0, 1));
}

TEST_F(MapDrags, AnEmptyHoldAnotherCompanysFleetOrANewPressGiveNoOrder)
{
    EnterSystem(0);
    PlanetAt(0, 1)->m_bFlags = PLANET_KNOWN;
    Fleet *pHold = PlanetAt(0, 0)->m_pFleet;
    Press(1, 1);
    Press(26, 1);
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    Release();
    GameScreenUpdate();

    Fleet *pRival = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_DRONE});
    Press(40, 40);
    Press(26, 1);
    EXPECT_EQ(pRival->m_eState, FLEET_IDLE);
    Release();
    GameScreenUpdate();

    // A press that begins on a planet after a pause is a new drag, not the end of the old one.
    AddShip(pHold, V_TYPE_SHIP_DRONE);
    Press(1, 1);
    Release();
    GameScreenUpdate();
    Press(26, 1);
    EXPECT_EQ(pHold->m_eState, FLEET_IDLE);
    EXPECT_EQ(g_pDragPlanet, PlanetAt(0, 1));
}

TEST_F(MapDrags, OverEmptySpaceTheLineIsRedAndLengthenedAndTheFleetIsSentToItsEnd)
{
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    pFleet->m_pOwner = Player();
    Press(30, 30);
    EXPECT_EQ(g_pDragFleet, pFleet);
    Press(40, 33);
    // The column difference is the larger: the end row moves one further from the start.
    EXPECT_EQ(g_dragTo.m_x, 40);
    EXPECT_EQ(g_dragTo.m_y, 34);
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(pFleet->m_dest.m_x, 40);
    EXPECT_EQ(pFleet->m_dest.m_y, 34);
    Surface *pRed = LoadSurfaceFile("../assets/redgradient.v_s");
    Surface *pGreen = LoadSurfaceFile("../assets/greengradient.v_s");
    // The line's cells come from the red picture (the fleet's own cell is drawn over it).
    Cell mid = MapCell(SystemAt(0), 32, 30);
    bool fromRed = false, fromGreen = false;
    for (int i = 0; i < pRed->m_nWidth; i++) {
        fromRed |= mid.m_ch == pRed->m_pCells[i].m_ch && mid.m_attr == pRed->m_pCells[i].m_attr;
        fromGreen |= mid.m_ch == pGreen->m_pCells[i].m_ch && mid.m_attr == pGreen->m_pCells[i].m_attr;
    }
    EXPECT_TRUE(fromRed) << (int)mid.m_ch << " " << (int)mid.m_attr;
    EXPECT_FALSE(fromGreen);

    // Straight lines are not bent; a steep one moves its end column away from the start.
    Press(30, 40);
    EXPECT_EQ(g_dragTo.m_x, 30);
    EXPECT_EQ(g_dragTo.m_y, 40);
    Press(28, 40);
    EXPECT_EQ(g_dragTo.m_x, 27);
    EXPECT_EQ(g_dragTo.m_y, 40);

    // Over a planet the line turns green.
    PlanetAt(0, 2)->m_bFlags = PLANET_KNOWN;   // at (60, 60)
    Press(61, 61);
    mid = MapCell(SystemAt(0), 45, 45);
    fromRed = fromGreen = false;
    for (int i = 0; i < pRed->m_nWidth; i++) {
        fromRed |= mid.m_ch == pRed->m_pCells[i].m_ch && mid.m_attr == pRed->m_pCells[i].m_attr;
        fromGreen |= mid.m_ch == pGreen->m_pCells[i].m_ch && mid.m_attr == pGreen->m_pCells[i].m_attr;
    }
    EXPECT_TRUE(fromGreen);
    EXPECT_FALSE(fromRed);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 2));
    DestroySurface(&pRed);
    DestroySurface(&pGreen);
}

TEST_F(MapDrags, OrdersAreGivenAgainEveryFrameAndTheLastStands)
{
    EnterSystem(0);
    PlanetAt(0, 1)->m_bFlags = PLANET_KNOWN;
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    Fleet *pOther = SpaceFleet(0, 0, Coord{50, 30}, {V_TYPE_SHIP_DRONE});
    Press(30, 30);
    Press(26, 1);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 1));
    Press(50, 30);
    EXPECT_EQ(pFleet->m_pTargetFleet, pOther);
    EXPECT_EQ(pFleet->m_pTargetPlanet, nullptr);
    Press(81, 11);
    EXPECT_EQ(pFleet->m_pTargetGate, Gate(0, 0));
    Press(81, 81);   // a gate without a pair is no target: the last order stands
    EXPECT_EQ(pFleet->m_pTargetGate, Gate(0, 0));
    Press(60, 20);
    EXPECT_EQ(pFleet->m_pTargetGate, nullptr);
    Release();
    GameScreenUpdate();
    EXPECT_EQ(pFleet->m_dest.m_x, 60);
    EXPECT_EQ(pFleet->m_eState, FLEET_LAUNCH);
    EXPECT_EQ(g_dragTo.m_x, g_dragFrom.m_x);   // the line is gone
    EXPECT_EQ(g_pDragFleet, nullptr);
}

TEST_F(MapDrags, AFleetThatCameThroughAGateIsOrderedFromTheGate)
{
    EnterSystem(0);
    PlanetAt(0, 1)->m_bFlags = PLANET_KNOWN;
    Fleet *pFleet = SpaceFleet(0, 0, Coord{79, 12}, {V_TYPE_SHIP_DRONE});
    WarpgateRecordTransit(Gate(0, 0), pFleet);
    Press(82, 12);
    EXPECT_EQ(g_pDragGate, Gate(0, 0));
    Press(26, 1);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 1));
}

TEST_F(MapDrags, ADragNearAnEdgeOfTheViewScrollsIt)
{
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    (void)pFleet;
    HeadlessMoveMouse(30, 30, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(50, 30, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(61, 30, PLATFORM_BUTTON_LEFT);   // the view is 64 wide with its scroll bar
    for (int i = 0; i < 8; i++)
        GameFrame();
    EXPECT_GT(g_pMainView->m_nScrollX, 0);
    EXPECT_EQ(g_pMainView->m_nScrollY, 0);
    int scrolled = g_pMainView->m_nScrollX;
    HeadlessMoveMouse(61, 30, 0);
    RunScript();
    EXPECT_EQ(g_pMainView->m_nScrollX, scrolled);   // letting go stops it
}

TEST_F(MapDrags, AFleetLeavingPlayTakesItsSelectionAndDragWithIt)
{
    EnterSystem(0);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    Press(30, 30);
    ASSERT_EQ(g_pSelFleet, pFleet);
    ASSERT_EQ(g_pDragFleet, pFleet);
    ListRemove(SystemAt(0)->m_pFleets, pFleet);
    pFleet->m_pSystem = SystemAt(0);
    FleetRelease(&pFleet);
    EXPECT_EQ(g_pSelFleet, nullptr);
    EXPECT_EQ(g_pDragFleet, nullptr);
    Press(31, 30);   // and the drag goes on without it
    Release();
}

// ---------------------------------------------------------------------------------------------
// Zooming and gates

TEST_F(Zooming, DoubleClicksZoomInAndZoomOutStepsBack)
{
    MapDoubleClick();   // nothing selected: nothing happens
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);

    EnterSystem(0);
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    EXPECT_EQ(g_cBarButtons, 2);

    Click(1, 1);
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_PLANET);
    EXPECT_EQ(g_pMainView->m_pContent, PlanetAt(0, 0)->m_pSurface);
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_PLANET);

    ZoomOut();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    EXPECT_EQ(g_cSideButtons, 2);
    EXPECT_EQ(g_cBarButtons, 2);

    ZoomOut();
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    EXPECT_EQ(g_pMainView->m_pContent, g_pUniverse->m_pSurface);
    EXPECT_EQ(g_cBarButtons, 1);
    EXPECT_EQ(g_cSideButtons, 0);
    EXPECT_TRUE(Contains(PanelText(), "Name:\n  Testa"));
    ZoomOut();
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
}

TEST_F(Zooming, ZoomingOutOfAnotherCompanysPlanetOffersNoBuildButtons)
{
    EnterSystem(0);
    Click(1, 41);
    MapDoubleClick();
    ASSERT_EQ(g_viewMode, VIEW_PLANET);
    ZoomOut();
    EXPECT_EQ(g_cSideButtons, 0);
}

TEST_F(Zooming, DoubleClickingAPairedGateShowsTheSystemAtTheOtherEnd)
{
    EnterSystem(0);
    Click(81, 11);
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pSelSystem, SystemAt(1));
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(1)->m_pMap);
    EXPECT_EQ(g_pInfoView, nullptr);
    EXPECT_EQ(g_pSelGate, nullptr);
    EXPECT_TRUE(SystemAt(1)->m_bFlags & 1);
    EXPECT_FALSE(SystemAt(0)->m_bFlags & 1);

    // And back through the gate at this end.
    Click(11, 11);
    MapDoubleClick();
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
}

TEST_F(Zooming, AGateWithoutAPairLeadsNowhereAndSaysSo)
{
    EnterSystem(0);
    Click(81, 81);
    ASSERT_EQ(g_pSelGate, Gate(0, 1));
    int before = MessageCount();
    MapDoubleClick();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pSelSystem, SystemAt(0));
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    ASSERT_EQ(MessageCount(), before + 1);
    EXPECT_STREQ(MessageText(before), "This warp gate is not linked to another system.\n");
}

TEST_F(Zooming, TheZoomButtonShowsOnlyWhileASystemOrPlanetIsOnShow)
{
    GameFrame();
    int x = -1, y = -1;
    GameFrame();
    EXPECT_FALSE(HeadlessFindText(" Zoom Out ", &x, &y));
    EnterSystem(0);
    GameFrame();
    GameFrame();
    ASSERT_TRUE(HeadlessFindText(" Zoom Out ", &x, &y));
    HeadlessClick(x + 2, y);
    RunScript();
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    GameFrame();
    EXPECT_FALSE(HeadlessFindText(" Zoom Out ", &x, &y));
}

using ZoomingDeathTest = ScreenWorld;

TEST_F(ZoomingDeathTest, AViewModeOutsideTheMapsEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    g_viewMode = 9;
    EXPECT_EXIT(MapDoubleClick(), testing::ExitedWithCode(7), "");
    EXPECT_EXIT(ZoomOut(), testing::ExitedWithCode(6), "");
    g_viewMode = VIEW_GALAXY;
}

}  // namespace
}  // namespace screens_test
