// The game played as a person plays it, with the mouse on the headless display: into the home
// system and onto the home planet, structures and ships built through the dialogs, the shipyard's
// queue reordered, turns ended until the ships stand in the hold, fleets sent across the system
// by dragging, planets coming into sight and falling out of it, and back out to the galaxy. A
// second game runs two hundred turns of such play, with colonisation and a warp jump, and must
// end with nothing leaked.
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "baseutilities/baselist.h"
#include "game/company.h"
#include "game/console.h"
#include "game/fleet.h"
#include "game/game.h"
#include "game/panels.h"
#include "game/planet.h"
#include "game/randutils.h"
#include "game/system.h"
#include "game/universe.h"
#include "game/warpgate.h"
#include "game/world.h"
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

// Where the build dialogs put things on the 80 x 50 screen: a 60 x 20 body in a frame centred at
// (8, 13), its list from (10, 15) with one row per entry and one empty row between entries, and
// the queue dialog's 50 x 20 body in a frame at (13, 13).
Coord ListEntry(int index) { return Coord{12, 15 + 2 * index}; }
const Coord BUILD = {40, 31};
const Coord QUEUE = {51, 31};
const Coord DONE = {62, 31};
const Coord QUEUE_EXIT = {57, 31};
const Coord QUEUE_LAST = {54, 24};   // 'V': the second node to the end

double Distance(Coord a, Coord b)
{
    double dx = a.m_x - b.m_x, dy = a.m_y - b.m_y;
    return sqrt(dx * dx + dy * dy);
}

bool OnSomething(System *pSystem, Coord at, int margin)
{
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        Coord p = pSystem->m_ppPlanet[i]->m_pos;
        if (at.m_x >= p.m_x - margin && at.m_x < p.m_x + 3 + margin && at.m_y >= p.m_y - margin &&
            at.m_y < p.m_y + 3 + margin)
            return true;
    }
    for (int i = 0; i < pSystem->m_cGate; i++) {
        Coord g = pSystem->m_ppGate[i]->m_pos;
        if (at.m_x >= g.m_x - margin && at.m_x < g.m_x + 4 + margin && at.m_y >= g.m_y - margin &&
            at.m_y < g.m_y + 4 + margin)
            return true;
    }
    return false;
}

class Play : public ::testing::Test {
protected:
    void SetUp() override
    {
        LinkAssets();
        alarm(600);   // a scripted click that misses a modal dialog would wait for ever
        m_pUi = std::make_unique<UiHarness>();
        MessagesClear();
    }

    void TearDown() override
    {
        if (g_pUniverse) {
            GameShutdown();
            DestroyMainScreen();
        }
        GameScreenRelease();
        FreeBuildLists();
        m_pUi->Shutdown();
        m_pUi.reset();
        g_gameState = GAME_STATE_START;
        alarm(0);
    }

    // A new game on the galaxy the seed makes, as the main menu starts one.
    void StartGame(unsigned seed)
    {
        RandSeed(seed);
        int companies = RandInt(4) + 2;
        int systems = RandInt(10) + 5;
        Universe *pUniverse = nullptr;
        ASSERT_EQ(UniverseCreate(&pUniverse, systems, companies), 0);
        GameStart(pUniverse);
        GameScreenReset();
        g_gameState = GAME_STATE_PLAYING;
        Frames(2);
    }

    static void Frames(int n)
    {
        for (int i = 0; i < n && g_gameState != GAME_STATE_QUIT; i++)
            GameFrame();
    }

    // Scrolls the main view with the arrow keys until the map cell is near the view's middle, or
    // as near as the map's edges let it come, and returns where it is on the screen.
    static Coord Reveal(Coord at)
    {
        for (int guard = 0; guard < 300; guard++) {
            Scroller *pView = g_pMainView;
            int width = pView->m_pView->m_nWidth - 1, height = pView->m_pView->m_nHeight - 1;
            int x = at.m_x - pView->m_nScrollX, y = at.m_y - pView->m_nScrollY;
            uint32_t key = 0;
            if (x < width / 2 - 3 && pView->m_nScrollX > 0)
                key = PLATFORM_VK_LEFT;
            else if (x > width / 2 + 3 && pView->m_nScrollX + width < pView->m_pContent->m_nWidth)
                key = PLATFORM_VK_RIGHT;
            else if (y < height / 2 - 3 && pView->m_nScrollY > 0)
                key = PLATFORM_VK_UP;
            else if (y > height / 2 + 3 && pView->m_nScrollY + height < pView->m_pContent->m_nHeight)
                key = PLATFORM_VK_DOWN;
            if (!key)
                return Coord{x, y};
            HeadlessPressKey(key);
            RunScript(0);
        }
        ADD_FAILURE() << "could not scroll to " << at.m_x << "," << at.m_y;
        return Coord{0, 0};
    }

    static void ClickMap(Coord at)
    {
        Coord screen = Reveal(at);
        HeadlessClick(screen.m_x, screen.m_y);
        RunScript();
    }

    static void DoubleClickMap(Coord at)
    {
        Coord screen = Reveal(at);
        HeadlessDoubleClick(screen.m_x, screen.m_y);
        RunScript();
    }

    // A drag between two map cells, both shown at once, well away from the view's edges.
    static void DragMap(Coord from, Coord to)
    {
        Coord middle = {(from.m_x + to.m_x) / 2, (from.m_y + to.m_y) / 2};
        Coord screenMiddle = Reveal(middle);
        Coord a = {from.m_x - middle.m_x + screenMiddle.m_x, from.m_y - middle.m_y + screenMiddle.m_y};
        Coord b = {to.m_x - middle.m_x + screenMiddle.m_x, to.m_y - middle.m_y + screenMiddle.m_y};
        ASSERT_TRUE(a.m_x >= 5 && a.m_x < 58 && a.m_y >= 5 && a.m_y < 35) << "drag start off the view";
        ASSERT_TRUE(b.m_x >= 5 && b.m_x < 58 && b.m_y >= 5 && b.m_y < 35) << "drag end off the view";
        HeadlessDrag(a.m_x, a.m_y, b.m_x, b.m_y);
        RunScript();
    }

    // Clicks a label on the screen as it shows now.
    static void ClickLabel(const char *pLabel)
    {
        int x = -1, y = -1;
        GameFrame();
        ASSERT_TRUE(HeadlessFindText(pLabel, &x, &y)) << pLabel;
        HeadlessClick(x + 1, y);
    }

    static void Push(Coord at) { HeadlessClick(at.m_x, at.m_y); }

    static void EndTurns(int n)
    {
        for (int i = 0; i < n && g_gameState != GAME_STATE_QUIT; i++) {
            ClickLabel(" End Turn ");
            RunScript();
        }
    }

    // The "Energy:" figure of the last build dialog shown, or -1. The blanks of the text let the
    // dialog's shading through.
    static int ShownEnergy()
    {
        for (int back = 0; back < HEADLESS_FRAMES_KEPT; back++) {
            const HeadlessFrame *pFrame = HeadlessGetFrame(back);
            int x, y;
            if (pFrame && HeadlessFindText("Energy:", &x, &y, pFrame)) {
                std::string digits;
                for (int i = x + 7; i < x + 14; i++) {
                    unsigned char ch = (unsigned char)HeadlessCellAt(i, y, pFrame).m_ch;
                    if (ch >= '0' && ch <= '9')
                        digits += (char)ch;
                }
                return digits.empty() ? -1 : atoi(digits.c_str());
            }
        }
        return -1;
    }

    static Fleet *PlayerFleetIn(System *pSystem, Fleet *pExcept = nullptr)
    {
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
            Fleet *pFleet = (Fleet *)pNode->m_pData;
            if (pFleet != pExcept && pFleet->m_pOwner == g_pUniverse->m_ppCompany[0])
                return pFleet;
        }
        return nullptr;
    }

    std::unique_ptr<UiHarness> m_pUi;
};

// A galaxy where the home system has another planet near the home planet, with an empty cell
// short of it from which a fleet sees it, and a gate paired with another system.
unsigned FindSeed(Planet **ppNear, Coord *pLookout)
{
    for (unsigned seed = 1; seed < 500; seed++) {
        RandSeed(seed);
        int companies = RandInt(4) + 2;
        int systems = RandInt(10) + 5;
        Universe *pUniverse = nullptr;
        if (UniverseCreate(&pUniverse, systems, companies) != 0)
            continue;
        System *pHome = pUniverse->m_ppSystem[0];
        Planet *pHomePlanet = pHome->m_ppPlanet[0];
        bool found = false;
        for (int i = 1; i < pHome->m_cPlanet && !found; i++) {
            Planet *pNear = pHome->m_ppPlanet[i];
            double d = Distance(pNear->m_pos, pHomePlanet->m_pos);
            // Both ends of a drag must fit in the view at once.
            if (d < 20 || d > 32 || pNear->m_pOwner || abs(pNear->m_pos.m_y - pHomePlanet->m_pos.m_y) > 24)
                continue;
            // Twelve cells short of the planet, on the way from home: it is seen from there.
            Coord lookout = {pNear->m_pos.m_x + (int)lround((pHomePlanet->m_pos.m_x - pNear->m_pos.m_x) * 12 / d),
                             pNear->m_pos.m_y + (int)lround((pHomePlanet->m_pos.m_y - pNear->m_pos.m_y) * 12 / d)};
            if (Distance(lookout, pHomePlanet->m_pos) < 8 || OnSomething(pHome, lookout, 1))
                continue;
            bool otherInSight = false;
            for (int j = 1; j < pHome->m_cPlanet; j++)
                otherInSight |= j != i && Distance(pHome->m_ppPlanet[j]->m_pos, lookout) < 21;
            if (otherInSight)
                continue;
            *ppNear = (Planet *)(intptr_t)i;   // an index until the game is started again
            *pLookout = lookout;
            found = true;
        }
        UniverseDestroy(&pUniverse);
        if (found)
            return seed;
    }
    return 0;
}

TEST_F(Play, APersonBuildsQueuesLaunchesAndMovesFleetsInTheHomeSystem)
{
    Planet *pNearIndex = nullptr;
    Coord lookout = {0, 0};
    unsigned seed = FindSeed(&pNearIndex, &lookout);
    ASSERT_NE(seed, 0u);
    StartGame(seed);
    ASSERT_NE(g_pUniverse, nullptr);
    System *pHome = g_pUniverse->m_ppSystem[0];
    Planet *pHomePlanet = pHome->m_ppPlanet[0];
    Planet *pNear = pHome->m_ppPlanet[(intptr_t)pNearIndex];
    Company *pPlayer = g_pUniverse->m_ppCompany[0];
    int x, y;
    ASSERT_TRUE(HeadlessFindText("Company:", &x, &y));

    // The home system, chosen on the galaxy map and zoomed into.
    Coord icon = {pHome->m_pos.m_x + 2, pHome->m_pos.m_y + 2};
    ClickMap(icon);
    EXPECT_EQ(g_pSelSystem, pHome);
    GameFrame();
    EXPECT_TRUE(HeadlessFindText(pHome->m_pName, &x, &y));
    EXPECT_GE(x, 65);
    DoubleClickMap(icon);
    ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(g_pMainView->m_pContent, pHome->m_pMap);

    // The home planet, and its close-up.
    Coord home = {pHomePlanet->m_pos.m_x + 1, pHomePlanet->m_pos.m_y + 1};
    ClickMap(home);
    EXPECT_EQ(g_pSelPlanet, pHomePlanet);
    DoubleClickMap(home);
    ASSERT_EQ(g_viewMode, VIEW_PLANET);
    GameFrame();
    ASSERT_TRUE(HeadlessFindText("Build Struct", &x, &y));

    // A Shipyard and an Energy Harvester through "Build Struct".
    int energyBefore = pHomePlanet->m_iEnergy;
    ClickLabel("Build Struct");
    Push(ListEntry(2));
    Push(BUILD);
    Push(ListEntry(0));
    Push(BUILD);
    Push(DONE);
    RunScript();
    Structure *pColony = PlanetGetColony(pHomePlanet);
    ASSERT_EQ(BuildQueueCount(pColony->m_pQueue), 2);
    EXPECT_EQ(pColony->m_pQueue->m_pFirst->m_eType, V_TYPE_SHIPYARD);
    EXPECT_EQ(pColony->m_pQueue->m_pLast->m_eType, V_TYPE_HARVESTER_ENERGY);
    EXPECT_EQ(pHomePlanet->m_iEnergy, energyBefore - 600);
    EXPECT_EQ(ShownEnergy(), pHomePlanet->m_iEnergy);

    for (int turn = 0; turn < 5 && !PlanetGetShipyard(pHomePlanet); turn++)
        EndTurns(1);
    Structure *pYard = PlanetGetShipyard(pHomePlanet);
    ASSERT_NE(pYard, nullptr);

    // Ships through "  Add Ship  ": two Robotic Drones, a Fast and a Heavy Fighter; then the
    // queue, where the second drone is sent to the end.
    ClickLabel("  Add Ship  ");
    Push(ListEntry(0));
    Push(BUILD);
    Push(BUILD);
    Push(ListEntry(1));
    Push(BUILD);
    Push(ListEntry(4));
    Push(BUILD);
    Push(QUEUE);
    Push(QUEUE_LAST);
    Push(DONE);
    RunScript();
    std::vector<int> queued;
    for (BuildNode *pNode = pYard->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
        queued.push_back(pNode->m_eType);
    EXPECT_EQ(queued, (std::vector<int>{V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}));
    EXPECT_EQ(HeadlessPendingInput(), 0);

    // Turns until the first drone waits in the hold, listed in the panel.
    for (int turn = 0; turn < 5 && (!pHomePlanet->m_pFleet || pHomePlanet->m_pFleet->m_cShip == 0); turn++)
        EndTurns(1);
    ASSERT_NE(pHomePlanet->m_pFleet, nullptr);
    ASSERT_EQ(pHomePlanet->m_pFleet->m_cShip, 1);
    GameFrame();
    EXPECT_NE(g_pInfoView, nullptr);
    const char *pShipName = ((Ship *)pHomePlanet->m_pFleet->m_pShips->m_pHead->m_pData)->m_pName;
    char shown[15] = {0};
    strncpy(shown, pShipName, 10);
    EXPECT_TRUE(HeadlessFindText(shown, &x, &y)) << shown;

    // The resources panel grows with the harvester standing.
    for (int turn = 0; turn < 5 && !PlanetHasStructure(pHomePlanet, V_TYPE_HARVESTER_ENERGY); turn++)
        EndTurns(1);
    ASSERT_TRUE(PlanetHasStructure(pHomePlanet, V_TYPE_HARVESTER_ENERGY));
    ClickLabel("Build Struct");
    Push(DONE);
    RunScript();
    int energyShown = ShownEnergy();
    EXPECT_EQ(energyShown, pHomePlanet->m_iEnergy);
    EndTurns(2);
    ClickLabel("Build Struct");
    Push(DONE);
    RunScript();
    EXPECT_GE(ShownEnergy(), energyShown + 2 * 250);

    // Back to the system; the drone is dragged from the home planet to a point short of the near
    // planet, never seen so far.
    ClickLabel(" Zoom Out ");
    RunScript();
    ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
    EXPECT_EQ(pNear->m_bFlags, 0);
    Fleet *pHold = pHomePlanet->m_pFleet;
    DragMap(home, lookout);
    EXPECT_EQ(pHold->m_eState, FLEET_LAUNCH);
    // The line's end, lengthened by a cell along its shorter axis, is where the fleet goes.
    EXPECT_LE(abs(pHold->m_dest.m_x - lookout.m_x) + abs(pHold->m_dest.m_y - lookout.m_y), 1);
    EndTurns(1);
    Fleet *pScout = PlayerFleetIn(pHome);
    ASSERT_EQ(pScout, pHold);
    for (int turn = 0; turn < 8 && !(pNear->m_bFlags & PLANET_KNOWN); turn++)
        EndTurns(1);
    EXPECT_EQ(pNear->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_KNOWN);
    for (int turn = 0; turn < 8 && pScout->m_eState != FLEET_IDLE; turn++)
        EndTurns(1);
    ASSERT_EQ(pScout->m_eState, FLEET_IDLE);

    // Called home, the scout leaves the planet behind: seen before, out of sight now.
    DragMap(pScout->m_pos, home);
    EXPECT_EQ(pScout->m_pTargetPlanet, pHomePlanet);
    for (int turn = 0; turn < 8 && (pNear->m_bFlags & PLANET_KNOWN); turn++)
        EndTurns(1);
    EXPECT_EQ(pNear->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_SHADED);

    // Whatever waits in the hold now goes to the near planet, seen before and so a target; it
    // closes in turn by turn.
    for (int turn = 0; turn < 12 && pHomePlanet->m_pFleet->m_cShip == 0; turn++)
        EndTurns(1);
    Fleet *pSent = pHomePlanet->m_pFleet;
    ASSERT_GT(pSent->m_cShip, 0);
    Coord nearCell = {pNear->m_pos.m_x + 1, pNear->m_pos.m_y + 1};
    DragMap(home, nearCell);
    EXPECT_EQ(pSent->m_pTargetPlanet, pNear);
    double last = Distance(pHomePlanet->m_pos, pNear->m_pos);
    int turns = 0;
    while (pSent->m_eState == FLEET_LAUNCH || pSent->m_eState == FLEET_MOVING) {
        ASSERT_LT(++turns, 20);
        EndTurns(1);
        ASSERT_NE(PlayerFleetIn(pHome, pScout), nullptr) << "the fleet left play";
        double now = Distance(pSent->m_pos, pNear->m_pos);
        EXPECT_LT(now, last);
        last = now;
    }
    EXPECT_LT(Distance(pSent->m_pos, pNear->m_pos), 1.5);
    EXPECT_TRUE(pNear->m_bFlags & PLANET_KNOWN);

    // Onto the home planet again, and out twice to the galaxy.
    DoubleClickMap(home);
    ASSERT_EQ(g_viewMode, VIEW_PLANET);
    ClickLabel(" Zoom Out ");
    RunScript();
    EXPECT_EQ(g_viewMode, VIEW_SYSTEM);
    ClickLabel(" Zoom Out ");
    RunScript();
    EXPECT_EQ(g_viewMode, VIEW_GALAXY);
    EXPECT_EQ(g_pMainView->m_pContent, g_pUniverse->m_pSurface);
    GameFrame();
    EXPECT_FALSE(HeadlessFindText(" Zoom Out ", &x, &y));
    EXPECT_EQ(pPlayer->m_cColony, 1);
}

// A galaxy for the long game: the near planet and its lookout as above, and a paired gate of the
// home system close enough to the home planet to drag to.
unsigned FindLongGameSeed(unsigned from, int *pNearIndex, Coord *pLookout, int *pGateIndex)
{
    for (unsigned seed = from; seed < from + 2000; seed++) {
        RandSeed(seed);
        int companies = RandInt(4) + 2;
        int systems = RandInt(10) + 5;
        Universe *pUniverse = nullptr;
        if (UniverseCreate(&pUniverse, systems, companies) != 0)
            continue;
        System *pHome = pUniverse->m_ppSystem[0];
        Planet *pHomePlanet = pHome->m_ppPlanet[0];
        int near = -1, gate = -1;
        for (int i = 1; i < pHome->m_cPlanet && near < 0; i++) {
            Planet *pNear = pHome->m_ppPlanet[i];
            double d = Distance(pNear->m_pos, pHomePlanet->m_pos);
            if (d < 20 || d > 32 || pNear->m_pOwner || abs(pNear->m_pos.m_y - pHomePlanet->m_pos.m_y) > 24)
                continue;
            Coord lookout = {pNear->m_pos.m_x + (int)lround((pHomePlanet->m_pos.m_x - pNear->m_pos.m_x) * 12 / d),
                             pNear->m_pos.m_y + (int)lround((pHomePlanet->m_pos.m_y - pNear->m_pos.m_y) * 12 / d)};
            if (Distance(lookout, pHomePlanet->m_pos) < 8 || OnSomething(pHome, lookout, 1))
                continue;
            near = i;
            *pLookout = lookout;
        }
        for (int g = 0; g < pHome->m_cGate && gate < 0; g++) {
            Warpgate *pGate = pHome->m_ppGate[g];
            if (pGate->m_pPair && abs(pGate->m_pos.m_x - pHomePlanet->m_pos.m_x) < 40 &&
                abs(pGate->m_pos.m_y - pHomePlanet->m_pos.m_y) < 24)
                gate = g;
        }
        UniverseDestroy(&pUniverse);
        if (near >= 0 && gate >= 0) {
            *pNearIndex = near;
            *pGateIndex = gate;
            return seed;
        }
    }
    return 0;
}

TEST_F(Play, TwoHundredTurnsOfBuildingColonisingAndWarpingEndCleanly)
{
    int nearIndex = -1, gateIndex = -1;
    Coord lookout = {0, 0};
    unsigned seed = FindLongGameSeed(1, &nearIndex, &lookout, &gateIndex);
    ASSERT_NE(seed, 0u);
    StartGame(seed);
    ASSERT_NE(g_pUniverse, nullptr);
    System *pHome = g_pUniverse->m_ppSystem[0];
    Planet *pHomePlanet = pHome->m_ppPlanet[0];
    Planet *pNear = pHome->m_ppPlanet[nearIndex];
    Warpgate *pGate = pHome->m_ppGate[gateIndex];
    System *pBeyond = pGate->m_pPair->m_pSystem;
    Company *pPlayer = g_pUniverse->m_ppCompany[0];
    Coord home = {pHomePlanet->m_pos.m_x + 1, pHomePlanet->m_pos.m_y + 1};
    Coord gateCell = {pGate->m_pos.m_x + 1, pGate->m_pos.m_y + 1};
    Coord nearCell = {pNear->m_pos.m_x + 1, pNear->m_pos.m_y + 1};

    Coord icon = {pHome->m_pos.m_x + 2, pHome->m_pos.m_y + 2};
    ClickMap(icon);
    DoubleClickMap(icon);
    ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
    ClickMap(home);
    DoubleClickMap(home);
    ASSERT_EQ(g_viewMode, VIEW_PLANET);
    ClickLabel("Build Struct");
    Push(ListEntry(2));   // Shipyard
    Push(BUILD);
    Push(ListEntry(1));   // Matter Harvester
    Push(BUILD);
    Push(DONE);
    RunScript();

    bool shipsQueued = false, warpSent = false, scoutSent = false, colonySent = false;
    Fleet *pWarper = nullptr;
    bool warped = false;
    int ordersGiven = 0;
    for (int turn = 0; turn < 200; turn++) {
        ASSERT_EQ(g_gameState, GAME_STATE_PLAYING);
        Fleet *pHold = pHomePlanet->m_pFleet;
        if (!shipsQueued && PlanetGetShipyard(pHomePlanet)) {
            // From the planet view: two drones first, then the colony ship.
            ClickLabel("  Add Ship  ");
            Push(ListEntry(0));
            Push(BUILD);
            Push(BUILD);
            Push(ListEntry(6));
            Push(BUILD);
            Push(DONE);
            RunScript();
            ASSERT_EQ(BuildQueueCount(PlanetGetShipyard(pHomePlanet)->m_pQueue), 3);
            ClickLabel(" Zoom Out ");
            RunScript();
            ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
            shipsQueued = true;
        } else if (g_viewMode == VIEW_SYSTEM && pHold && pHold->m_cShip > 0 && pHold->m_eState == FLEET_IDLE) {
            if (!warpSent) {
                DragMap(home, gateCell);
                EXPECT_EQ(pHold->m_pTargetGate, pGate);
                pWarper = pHold;
                warpSent = true;
            } else if (!scoutSent) {
                DragMap(home, lookout);
                scoutSent = true;
            } else if (!colonySent && FleetContainsShipType(pHold, V_TYPE_MOTHERSHIP_COLONY) && pNear->m_bFlags) {
                DragMap(home, nearCell);
                EXPECT_EQ(pHold->m_pTargetPlanet, pNear);
                colonySent = true;
            } else if (colonySent && turn % 7 == 0) {
                // Later ships go out to points around the home planet and come back again.
                Coord to = {home.m_x + (turn % 3 - 1) * 9, home.m_y + (turn % 2 ? 9 : -9)};
                if (!OnSomething(pHome, to, 1) && to.m_x > 5 && to.m_y > 5 && to.m_x < 95 && to.m_y < 95) {
                    DragMap(home, to);
                    ordersGiven++;
                }
            }
        }
        if (colonySent && turn % 20 == 0) {
            // A drone for the last of the turns, queued from the system view's panel.
            ClickMap(home);
            ClickLabel("  Add Ship  ");
            Push(ListEntry(0));
            Push(BUILD);
            Push(DONE);
            RunScript();
        }
        if (turn % 25 == 24) {
            // The galaxy and back, now and then.
            ClickLabel(" Zoom Out ");
            RunScript();
            ASSERT_EQ(g_viewMode, VIEW_GALAXY);
            DoubleClickMap(icon);
            ASSERT_EQ(g_viewMode, VIEW_SYSTEM);
        }
        EndTurns(1);
        if (pWarper && !warped && pBeyond->m_pFleets && motion_test::ListHolds(pBeyond->m_pFleets, pWarper))
            warped = true;
    }
    EXPECT_EQ(g_pUniverse->m_iTurn, 200);
    EXPECT_TRUE(warped) << "the drone never came out in the system beyond the gate";
    EXPECT_EQ(pNear->m_pOwner, pPlayer);
    EXPECT_EQ(pPlayer->m_cColony, 2);
    EXPECT_GT(ordersGiven, 3);
    EXPECT_EQ(g_gameState, GAME_STATE_PLAYING);
}

}  // namespace
}  // namespace screens_test
