// The game played as a person plays it, with the mouse on the headless display, for two hundred
// turns: into the home system and onto the home planet, structures and ships built through the
// dialogs, the shipyard's queue reordered, turns ended until the ships stand in the hold, fleets
// sent across the system by dragging, through a warp gate and to found a colony, and back out to
// the galaxy; the game must end with nothing leaked.
#include <cmath>

#include "game/screens/game.h"
#include "game/core/randutils.h"
#include "game/world/savefile.h"
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

double Distance(Coord a, Coord b) { return hypot(a.m_x - b.m_x, a.m_y - b.m_y); }

class Play : public ::testing::Test {
protected:
    void SetUp() override
    {
        LinkAssets();
        alarm(600);  // a scripted click that misses a modal dialog would wait for ever
    }

    void TearDown() override
    {
        if (g_pUniverse) {
            GameShutdown();
            DestroyMainScreen();
        }
        m_ui.Shutdown();
        g_gameState = GAME_STATE_START;
        alarm(0);
    }

    // A new game as the main menu starts one, played as far as the home planet's close-up, on the
    // first galaxy whose home system has an unowned planet near the home planet with an empty cell
    // short of it from which a fleet sees it, and a paired gate close enough to the home planet to
    // drag to.
    void StartOnTheHomePlanet()
    {
        for (unsigned seed = 1; seed < 2000 && !m_pNear; seed++) {
            RandSeed(seed);
            GameStart(nullptr);
            m_pHome = g_pUniverse->m_ppSystem[0];
            m_pHomePlanet = m_pHome->m_ppPlanet[0];
            Coord home = m_pHomePlanet->m_pos;
            auto empty = [&](Coord at) {  // no planet or gate on the cell or beside it
                for (int i = 0; i < m_pHome->m_cPlanet + m_pHome->m_cGate; i++) {
                    Coord p = i < m_pHome->m_cPlanet ? m_pHome->m_ppPlanet[i]->m_pos
                                                     : m_pHome->m_ppGate[i - m_pHome->m_cPlanet]->m_pos;
                    if (abs(at.m_x - p.m_x - 1) <= 3 && abs(at.m_y - p.m_y - 1) <= 3)
                        return false;
                }
                return true;
            };
            m_pGate = nullptr;
            for (int g = 0; g < m_pHome->m_cGate; g++) {
                Warpgate *pGate = m_pHome->m_ppGate[g];
                if (pGate->m_pPair && abs(pGate->m_pos.m_x - home.m_x) < 40 && abs(pGate->m_pos.m_y - home.m_y) < 24)
                    m_pGate = pGate;
            }
            for (int i = 1; i < m_pHome->m_cPlanet && m_pGate && !m_pNear; i++) {
                Planet *pPlanet = m_pHome->m_ppPlanet[i];
                Coord p = pPlanet->m_pos;
                double d = Distance(p, home);  // both ends of a drag must fit in the view at once
                m_lookout = {p.m_x + (int)lround((home.m_x - p.m_x) * 12 / d),
                             p.m_y + (int)lround((home.m_y - p.m_y) * 12 / d)};
                if (d >= 20 && d <= 32 && !pPlanet->m_pOwner && abs(p.m_y - home.m_y) <= 24 &&
                    Distance(m_lookout, home) >= 8 && empty(m_lookout))
                    m_pNear = pPlanet;
            }
        }
        ASSERT_NE(m_pNear, nullptr);
        g_gameState = GAME_STATE_PLAYING;
        m_icon = Coord{m_pHome->m_pos.m_x + 2, m_pHome->m_pos.m_y + 2};
        m_home = Coord{m_pHomePlanet->m_pos.m_x + 1, m_pHomePlanet->m_pos.m_y + 1};
        m_nearCell = Coord{m_pNear->m_pos.m_x + 1, m_pNear->m_pos.m_y + 1};
        GameFrame();
        // The home system, chosen on the galaxy map and zoomed into; the home planet and its close-up.
        ClickMap(m_icon);
        EXPECT_EQ(g_pSelSystem, m_pHome);
        ClickMap(m_icon, true);
        ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
        ClickMap(m_home);
        EXPECT_EQ(g_pSelPlanet, m_pHomePlanet);
        ClickMap(m_home, true);
        ASSERT_EQ(g_viewMode, VIEW_PLANET);
    }

    // Scrolls the main view with the arrow keys to bring the map cell to the view's middle, or as
    // near as the map's edges let it come, and returns where it is on the screen.
    static Coord Reveal(Coord at)
    {
        Scroller *pView = g_pMainView;
        int dx = at.m_x - pView->m_nScrollX - pView->m_pView->m_nWidth / 2;
        int dy = at.m_y - pView->m_nScrollY - pView->m_pView->m_nHeight / 2;
        for (int i = 0; i < abs(dx) + abs(dy); i++)
            HeadlessPressKey(i < abs(dx) ? (dx < 0 ? PLATFORM_VK_LEFT : PLATFORM_VK_RIGHT)
                                         : (dy < 0 ? PLATFORM_VK_UP : PLATFORM_VK_DOWN));
        RunScript(0);
        return Coord{at.m_x - pView->m_nScrollX, at.m_y - pView->m_nScrollY};
    }

    static void ClickMap(Coord at, bool twice = false)
    {
        Coord screen = Reveal(at);
        twice ? HeadlessDoubleClick(screen.m_x, screen.m_y) : HeadlessClick(screen.m_x, screen.m_y);
        RunScript();
    }

    // A drag between two map cells, both shown at once, well away from the view's edges.
    static void DragMap(Coord from, Coord to)
    {
        Coord middle = Reveal(Coord{(from.m_x + to.m_x) / 2, (from.m_y + to.m_y) / 2});
        Coord a = {from.m_x - (from.m_x + to.m_x) / 2 + middle.m_x, from.m_y - (from.m_y + to.m_y) / 2 + middle.m_y};
        Coord b = {to.m_x - from.m_x + a.m_x, to.m_y - from.m_y + a.m_y};
        for (Coord end : {a, b})
            ASSERT_TRUE(end.m_x >= 5 && end.m_x < 58 && end.m_y >= 5 && end.m_y < 35) << "a drag end off the view";
        HeadlessDrag(a.m_x, a.m_y, b.m_x, b.m_y);
        RunScript();
    }

    // The "Energy:" figure of the last build dialog shown, or -1; the blanks of the text let the
    // dialog's shading through.
    static int ShownEnergy()
    {
        int x = 0, y = 0, back = 0;
        while (HeadlessGetFrame(back) && !HeadlessFindText("Energy:", &x, &y, HeadlessGetFrame(back)))
            back++;
        return HeadlessGetFrame(back) ? atoi(Row(nullptr, x + 7, y, 7, HeadlessGetFrame(back)).c_str()) : -1;
    }

    UiHarness m_ui;
    System *m_pHome = nullptr;
    Planet *m_pHomePlanet = nullptr, *m_pNear = nullptr;
    Warpgate *m_pGate = nullptr;
    Coord m_lookout, m_icon, m_home, m_nearCell;
};

TEST_F(Play, APersonBuildsSendsFleetsAcrossAndOutOfTheHomeSystemAndFoundsAColony)
{
    StartOnTheHomePlanet();
    Planet *pHomePlanet = m_pHomePlanet, *pNear = m_pNear;  // for the conditions below

    // A Shipyard and an Energy Harvester through "Build Struct".
    int energy = pHomePlanet->m_iEnergy;
    Use("Build Struct", {ListEntry(2), BUILD_AT, ListEntry(0), BUILD_AT, LIST_DONE_AT});
    EXPECT_EQ(Queued(PlanetGetColony(pHomePlanet)), (std::vector<int>{V_TYPE_SHIPYARD, V_TYPE_HARVESTER_ENERGY}));
    EXPECT_EQ(pHomePlanet->m_iEnergy, energy - 600);
    EXPECT_EQ(ShownEnergy(), pHomePlanet->m_iEnergy);
    ASSERT_TRUE(EndTurnsUntil([&] { return PlanetGetShipyard(pHomePlanet) != nullptr; }, 5));
    Structure *pYard = PlanetGetShipyard(pHomePlanet);

    // "  Add Ship  ": a Robotic Drone, a Fast and a Heavy Fighter; in the queue the Fast Fighter,
    // the ship after the one in production, is sent to the end.
    Use("  Add Ship  ", {ListEntry(0), BUILD_AT, ListEntry(1), BUILD_AT, ListEntry(4), BUILD_AT, QUEUE_AT, LAST_AT, LIST_DONE_AT});
    EXPECT_EQ(Queued(pYard), (std::vector<int>{V_TYPE_SHIP_DRONE, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_FAST}));
    EXPECT_EQ(HeadlessPendingInput(), 0);

    // Turns until the drone waits in the hold, listed in the panel.
    ASSERT_TRUE(EndTurnsUntil([&] { return pHomePlanet->m_pFleet && pHomePlanet->m_pFleet->m_cShip > 0; }, 5));
    ASSERT_EQ(pHomePlanet->m_pFleet->m_cShip, 1);

    // The resources panel grows with the harvester standing.
    ASSERT_TRUE(EndTurnsUntil([&] { return PlanetHasStructure(pHomePlanet, V_TYPE_HARVESTER_ENERGY); }, 5));
    Use("Build Struct", {LIST_DONE_AT});
    int energyShown = ShownEnergy();
    EXPECT_EQ(energyShown, pHomePlanet->m_iEnergy);
    Use(" End Turn ");
    Use(" End Turn ");
    Use("Build Struct", {LIST_DONE_AT});
    EXPECT_GE(ShownEnergy(), energyShown + 2 * 250);

    // Back to the system; the drone is dragged to a point short of the near planet, never seen so
    // far, sees it from there, and is dragged onto it; it closes in turn by turn.
    Use(" Zoom Out ");
    ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(pNear->m_bFlags, 0);
    Fleet *pScout = pHomePlanet->m_pFleet;
    DragMap(m_home, m_lookout);
    EXPECT_EQ(pScout->m_eState, FLEET_LAUNCH);
    // The line's end, lengthened by a cell along its shorter axis, is where the fleet goes.
    EXPECT_LE(abs(pScout->m_dest.m_x - m_lookout.m_x) + abs(pScout->m_dest.m_y - m_lookout.m_y), 1);
    ASSERT_TRUE(EndTurnsUntil([&] { return pScout->m_eState == FLEET_IDLE; }, 16));
    EXPECT_TRUE(pNear->m_bFlags & PLANET_KNOWN);
    DragMap(pScout->m_pos, m_nearCell);
    EXPECT_EQ(pScout->m_pTargetPlanet, pNear);
    double last = Distance(pScout->m_pos, pNear->m_pos);
    for (int turns = 0; pScout->m_eState == FLEET_LAUNCH || pScout->m_eState == FLEET_MOVING; turns++) {
        ASSERT_LT(turns, 20);
        Use(" End Turn ");
        ASSERT_TRUE(motion_test::ListHolds(m_pHome->m_pFleets, pScout)) << "the fleet left play";
        EXPECT_LT(Distance(pScout->m_pos, pNear->m_pos), last);
        last = Distance(pScout->m_pos, pNear->m_pos);
    }
    EXPECT_LT(last, 1.5);

    // The fighters, all built and in the hold, are dragged onto the gate and come out beyond it.
    auto holdWaits = [&] { return Queued(pYard).empty() && pHomePlanet->m_pFleet &&
                                  pHomePlanet->m_pFleet->m_cShip > 0 && pHomePlanet->m_pFleet->m_eState == FLEET_IDLE; };
    ASSERT_TRUE(EndTurnsUntil(holdWaits, 10));
    Fleet *pWarper = pHomePlanet->m_pFleet;
    DragMap(m_home, Coord{m_pGate->m_pos.m_x + 1, m_pGate->m_pos.m_y + 1});
    EXPECT_EQ(pWarper->m_pTargetGate, m_pGate);
    auto warped = [&] { return motion_test::ListHolds(m_pGate->m_pPair->m_pSystem->m_pFleets, pWarper); };
    EXPECT_TRUE(EndTurnsUntil(warped, 30)) << "the fighters never came out in the system beyond the gate";

    // A Colony Mothership, ordered with the home planet chosen on the system map, settles the near
    // planet.
    ClickMap(m_home);
    Use("  Add Ship  ", {ListEntry(6), BUILD_AT, LIST_DONE_AT});
    ASSERT_TRUE(EndTurnsUntil(holdWaits, 30));
    Fleet *pSettler = pHomePlanet->m_pFleet;
    DragMap(m_home, m_nearCell);
    EXPECT_EQ(pSettler->m_pTargetPlanet, pNear);
    EXPECT_TRUE(EndTurnsUntil([&] { return pNear->m_pOwner != nullptr; }, 30));
    EXPECT_EQ(pNear->m_pOwner, g_pUniverse->m_ppCompany[0]);
    EXPECT_EQ(g_pUniverse->m_ppCompany[0]->m_cColony, 2);

    // On to the two hundredth turn, and out to the galaxy, where " Zoom Out " is gone.
    EndTurnsUntil([&] { return g_pUniverse->m_iTurn == 200; }, 200);
    ASSERT_EQ(g_gameState, GAME_STATE_PLAYING);
    EXPECT_EQ(g_pUniverse->m_iTurn, 200);
    Use(" Zoom Out ");
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    EXPECT_EQ(g_pMainView->m_pContent, g_pUniverse->m_pSurface);
    GameFrame();
    int x, y;
    EXPECT_FALSE(HeadlessFindText(" Zoom Out ", &x, &y));

    // Saved with the home system chosen (its warp lines drawn) and loaded over the game, nothing
    // shows chosen, as nothing is selected in the game started on it.
    ASSERT_TRUE(m_pHome->m_bFlags & SYSTEM_SELECTED);
    std::string text;
    char why[SAVE_ERROR_MAX] = "";
    int nextId = 0;
    Universe *pLoaded = nullptr;
    ASSERT_EQ(WriteUniverse(g_pUniverse, &text, why, sizeof why), 0) << why;
    ASSERT_EQ(ReadUniverse(text.data(), text.size(), &pLoaded, &nextId, why, sizeof why), 0) << why;
    GameStart(pLoaded);
    EXPECT_FALSE(g_pUniverse->m_ppSystem[0]->m_bFlags & SYSTEM_SELECTED);
}

}  // namespace
}  // namespace screens_test
