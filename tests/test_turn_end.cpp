// The end of a turn as the player sees it: the colonies each company holds, the victory box that
// comes back every turn while no rival holds a colony, and defeat, which tears the game down in the
// middle of the turn.
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

using ColonyCount = motion_test::World;
using EndOfTurn = ScreenWorld;

TEST_F(ColonyCount, AColonyCountsOffOnceFreedOnlyWhenThePlanetHasNoOtherAndNeverBelowNothing)
{
    Planet *pHome = PlanetAt(0, 0);
    Structure *pFirst = PlanetGetColony(pHome);
    AddStructure(pHome, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    Structure *pYard = AddStructure(pHome, V_TYPE_SHIPYARD);
    AddStructure(pHome, V_TYPE_COLONY);
    pFirst->m_bDestroyed = 1;
    PlanetUpdate(pHome);
    EXPECT_EQ(Player()->m_cColony, 1);  // a second Colony keeps it a colony
    PlanetGetColony(pHome)->m_bDestroyed = 1;
    EXPECT_EQ(Player()->m_cColony, 1);  // still standing until the next update frees it
    PlanetUpdate(pHome);
    EXPECT_EQ(Player()->m_cColony, 0);
    EXPECT_EQ(PlanetGetColony(pHome), nullptr);
    EXPECT_EQ(pHome->m_pOwner, Player());
    EXPECT_EQ(pHome->m_cStructure, 1);
    EXPECT_EQ(pHome->m_ppStructure[0], pYard);
    EXPECT_EQ(Rival()->m_cColony, 1);
    PlanetUpdate(pHome);
    EXPECT_EQ(Player()->m_cColony, 0);

    Rival()->m_cColony = 0;
    PlanetGetColony(PlanetAt(0, 3))->m_bDestroyed = 1;
    PlanetUpdate(PlanetAt(0, 3));
    EXPECT_EQ(Rival()->m_cColony, 0);
}

TEST_F(EndOfTurn, VictoryIsAnnouncedEveryTurnUntilLosingTheLastColonyEndsTheGameMidTurn)
{
    Planet *pRivalHome = PlanetAt(0, 3);
    AddStructure(pRivalHome, V_TYPE_SHIPYARD);
    int frames = HeadlessFrameCount();
    EndTurn(nullptr);
    EXPECT_FALSE(ShownSince(frames, "VICTORY"));
    PlanetGetColony(pRivalHome)->m_bDestroyed = 1;
    for (int turn = 0; turn < 3; turn++) {
        frames = HeadlessFrameCount();
        ScriptOk();
        EndTurn(nullptr);
        EXPECT_EQ(HeadlessPendingInput(), 0) << "no box took the click on turn " << turn;
        EXPECT_TRUE(ShownSince(frames, "VICTORY: The galaxy is yours!"));
    }
    EXPECT_EQ(Rival()->m_cColony, 0);
    EXPECT_EQ(pRivalHome->m_pOwner, Rival());
    EXPECT_EQ(pRivalHome->m_cStructure, 1);
    EXPECT_EQ(g_gameState, GAME_STATE_PLAYING);
    EXPECT_EQ(g_pUniverse->m_iTurn, 4);

    // Then the player's last colony falls: defeat, and no victory box after it though no rival
    // holds a colony either.
    EnterSystem(0);
    Click(1, 1);  // the home planet's panel, with its buttons and its hold's list, is on show
    AddShip(PlanetAt(0, 0)->m_pFleet, V_TYPE_SHIP_DRONE);
    GameScreenUpdate();
    ASSERT_NE(g_pInfoView, nullptr);
    PlanetGetColony(PlanetAt(0, 0))->m_bDestroyed = 1;
    GameFrame();
    GameFrame();
    frames = HeadlessFrameCount();
    ClickLabel(" End Turn ", 3);
    ScriptOk();
    ScriptOk();  // a second click that a victory box would take
    for (int i = 0; i < 20 && g_gameState != GAME_STATE_QUIT; i++)
        GameFrame();
    EXPECT_TRUE(ShownSince(frames, "GAME OVER: All of your colonies have been annihilated."));
    EXPECT_FALSE(ShownSince(frames, "VICTORY"));
    EXPECT_EQ(HeadlessPendingInput(), 2);  // the second click's press and release are left
    EXPECT_EQ(g_gameState, GAME_STATE_QUIT);
    EXPECT_EQ(g_pUniverse, nullptr);
    EXPECT_EQ(g_ppShipInfo, nullptr);
    EXPECT_EQ(g_ppStructInfo, nullptr);
    EXPECT_EQ(g_wmViewMode, WM_MODE_NONE);
    EXPECT_EQ(g_pSideBar, nullptr);
    EXPECT_EQ(g_cSideButtons, 0);
    EXPECT_EQ(g_pInfoView, nullptr);
}

}  // namespace
}  // namespace screens_test
