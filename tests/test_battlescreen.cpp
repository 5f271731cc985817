// The battle screens on the headless display: the unit table byte for byte and within its 29
// cells, Select Attackers with its click guard and Reset, the blocking screen's cancelled choice,
// and one battle played from a fleet dragged onto the rival's colony to the results and victory.
#include "game/screens/battlescreen.h"
#include "game/world/battle.h"
#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

// Screen cells of the two views and the main view at 80 x 50: a table of h rows is centred in a
// view 41 rows high, 29 cells wide in the 32-cell halves; the blocking dialogs fill the 64 cells.
int TableTop(int height) { return 41 / 2 - height / 2; }
const int LEFT_X = 5, RIGHT_X = 32 + 5;

// Frames pass with the pointer resting on the side bar, where no view and no button is; then a
// click.
void Idle(int frames)
{
    for (int i = 0; i < frames; i++)
        HeadlessMoveMouse(70, 2);
}
void ClickAfter(int frames, int x, int y)
{
    Idle(frames);
    HeadlessClick(x, y);
}
const int PAST_CLICK_GUARD = 20, PAST_START_GUARD = 70;  // frames of 16 ms

std::string RowOf(const char *pName, int hp, int damage, const char *pKind)
{
    char row[64];
    snprintf(row, sizeof row, "\xB3 %s \xB3%4d \xB3%3d \xB3 %s \xB3", pName, hp, damage, pKind);
    return row;
}

class BattleScreen : public ScreenWorld {
protected:
    void SetUp() override
    {
        ScreenWorld::SetUp();
        BattleInit();
        BattleScreensInstall();
        g_battleHelpShown = BATTLE_HELP_SELECT | BATTLE_HELP_TARGETS | BATTLE_HELP_BLOCKING | BATTLE_HELP_RESULTS;
    }
    void TearDown() override
    {
        BattleScreensUninstall();
        BattleShutdown();
        ScreenWorld::TearDown();
    }

    // A waiting battle between two fleets in space of system 0, owned by planets p1 and p2's owners;
    // the battle owns its lists, the screens are run on them.
    Battle *Waiting(int p1, std::vector<int> side1, int p2, std::vector<int> side2)
    {
        List *pSides[2] = {ListCreate(), ListCreate()};
        for (int s = 0; s < 2; s++)
            for (ListNode *pNode = SpaceFleet(0, s ? p2 : p1, Coord{5, 5}, s ? side2 : side1)->m_pShips->m_pHead; pNode;
                 pNode = pNode->m_pNext)
                ListAppend(pSides[s], BattleUnitFromShip((Ship *)pNode->m_pData));
        EXPECT_EQ(BattleStart(pSides[0], pSides[1]), 0);
        return (Battle *)g_pPendingBattles->m_pHead->m_pData;
    }
    static std::vector<void *> Objects(List *pList)
    {
        std::vector<void *> objects;
        for (ListNode *pNode = pList->m_pHead; pNode; pNode = pNode->m_pNext)
            objects.push_back(((BattleUnit *)pNode->m_pData)->m_pObject);
        return objects;
    }
};

TEST_F(BattleScreen, TheUnitTableIsByteForByteAndNeverWiderThanItsPanel)
{
    List *pUnits = Waiting(0, {V_TYPE_MOTHERSHIP_SIEGE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY}, 3, {V_TYPE_SHIP_FAST})->m_pRest1;
    Ship *pLong = (Ship *)Objects(pUnits)[1];
    free(pLong->m_pName);
    pLong->m_pName = strdup("Constantinople\xFF\x01");
    pLong->m_pArmor->m_iHp = -40;
    ((Ship *)Objects(pUnits)[2])->m_pArmor->m_iHp = 2000000000;  // repair has no ceiling
    ListAppend(pUnits, BattleUnitFromStructure(PlanetGetColony(PlanetAt(0, 0))));
    const std::string rows[] = {RowOf("Vessel", 696, 100, "Batt."), RowOf("Consta", 0, 12, "Fast "),  // below 1 hp: 0
                                RowOf("Vessel", 9999, 12, "Batt."), RowOf("Colony", 1000, 0, "N/A  ")};
    Surface *pPanel = UnitTablePanel(pUnits, "Defenders", "OK");
    ASSERT_EQ(pPanel->m_nWidth, UNIT_TABLE_WIDTH);
    ASSERT_EQ(pPanel->m_nHeight, 4 + 3);
    EXPECT_EQ(Row(pPanel, 0, 0, 29), "\xD5\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD< Defenders >\xCD\xCD\xCD\xCD\xCD\xCD\xB8");
    EXPECT_EQ(Row(pPanel, 0, 1, 29), "\xB3 name   \xB3 hp  \xB3" "dmg \xB3 type  \xB3");
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(Row(pPanel, 0, 2 + i, 29), rows[i]);
    EXPECT_EQ(Row(pPanel, 0, 6, 29),
              "\xD4\xCD\xCD\xCD\xCD[ OK ]\xCD\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBE");
    DestroySurface(&pPanel);
}

// Units A B C D: a double click on D moves it alone (a second click would land on OK); A and B
// follow; Reset puts D A B back behind C, which never moved; OK leaves them all staying back.
// The game screen is as it was.
TEST_F(BattleScreen, SelectAttackersTakesOneClickPer250MsAndResetRestoresTheOrder)
{
    EnterSystem(0);
    GameFrame();
    Surface *pMap = g_pMainView->m_pContent;
    int cBar = g_cBarButtons;
    Battle *pBattle = Waiting(0, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}, 3, {V_TYPE_SHIP_FAST});
    List *pRest = pBattle->m_pRest1, *pAttack = pBattle->m_pAttack1;
    std::vector<void *> units = Objects(pRest);

    Idle(1);
    HeadlessDoubleClick(LEFT_X, TableTop(7) + 5);
    ClickAfter(PAST_CLICK_GUARD, LEFT_X, TableTop(6) + 2);
    ClickAfter(PAST_CLICK_GUARD, LEFT_X, TableTop(5) + 2);
    ClickAfter(PAST_CLICK_GUARD, RIGHT_X, TableTop(6) + 5);  // Reset
    ClickAfter(PAST_CLICK_GUARD, LEFT_X, TableTop(7) + 6);   // OK
    EXPECT_EQ(SelectAttackersScreen(pRest, pAttack), 1);
    EXPECT_EQ(HeadlessPendingInput(), 0);
    EXPECT_EQ(Objects(pRest), (std::vector<void *>{units[2], units[3], units[0], units[1]}));
    EXPECT_TRUE(ListIsEmpty(pAttack));
    EXPECT_EQ(g_wmViewMode, WM_MODE_ONE_VIEW);
    EXPECT_EQ(g_pMainView->m_pContent, pMap);
    EXPECT_EQ(g_cBarButtons, cBar);
}

// A chooses Y, then chooses again and cancels: it blocks nothing and the screen asks again; B
// chooses X and shows it.
TEST_F(BattleScreen, ACancelledBlockChoiceClearsTheTargetAndAsksAgain)
{
    Battle *pBattle = Waiting(0, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_DRONE}, 3, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER});
    List *pRest = pBattle->m_pRest1, *pEnemy = pBattle->m_pRest2;
    const int dialogTop = TableTop(4), targetsTop = TableTop(5);
    struct Choice { int unit, targetRow; } choices[] = {{0, 3}, {0, 4}, {1, 2}};  // Y, Cancel, X
    for (const Choice &c : choices) {
        ClickAfter(PAST_START_GUARD, 40, dialogTop + 1 + c.unit);
        ClickAfter(PAST_START_GUARD, 40, targetsTop + c.targetRow);
    }
    ClickAfter(PAST_CLICK_GUARD, 5, dialogTop + 3);  // Finished
    EXPECT_EQ(BlockingScreen(pRest, pEnemy), 1);
    EXPECT_EQ(HeadlessPendingInput(), 0);
    EXPECT_EQ(((BattleUnit *)pRest->m_pHead->m_pData)->m_pBlockTarget, nullptr);
    EXPECT_EQ(((BattleUnit *)pRest->m_pTail->m_pData)->m_pBlockTarget, pEnemy->m_pHead->m_pData);
    std::string drone = RowOf("Vessel", 24, 0, "N/A  ");
    EXPECT_EQ(Row(nullptr, 0, dialogTop + 1, 58), drone + "\xB3 choose a ship to block    \xB3");
    EXPECT_EQ(Row(nullptr, 0, dialogTop + 2, 58), drone + RowOf("Vessel", 24, 12, "Fast "));
}

// A line-up taller than the view: the player scrolls to its last unit and chooses its target;
// the screen comes back scrolled where it was, so the choice shows and Finished is where it was.
TEST_F(BattleScreen, TheBlockingScreenKeepsItsScrollAcrossATargetChoice)
{
    Battle *pBattle = Waiting(0, std::vector<int>(45, V_TYPE_SHIP_DRONE), 3, {V_TYPE_SHIP_FAST});
    List *pRest = pBattle->m_pRest1, *pEnemy = pBattle->m_pRest2;
    const int scrolled = 47 - 40;  // the dialog's rows less the view's, above its horizontal bar
    Idle(PAST_START_GUARD);
    for (int i = 0; i < 10; i++)
        HeadlessPressKey(PLATFORM_VK_DOWN);
    ClickAfter(1, 40, 45 - scrolled);  // the last unit's row
    ClickAfter(PAST_START_GUARD, 40, TableTop(4) + 2);
    ClickAfter(PAST_CLICK_GUARD, 5, 46 - scrolled);  // Finished
    // Only if the view went back to the top: scroll down again and finish.
    for (int i = 0; i < 10; i++)
        HeadlessPressKey(PLATFORM_VK_DOWN);
    ClickAfter(PAST_CLICK_GUARD, 5, 46 - scrolled);
    EXPECT_EQ(BlockingScreen(pRest, pEnemy), 1);
    EXPECT_GT(HeadlessPendingInput(), 0);  // the first Finished ended it
    EXPECT_EQ(((BattleUnit *)pRest->m_pTail->m_pData)->m_pBlockTarget, pEnemy->m_pHead->m_pData);
    EXPECT_EQ(Row(nullptr, 0, 45 - scrolled, 58), RowOf("Vessel", 24, 0, "N/A  ") + RowOf("Vessel", 24, 12, "Fast "));
}

// The player's Siege Motherships and a Laser Fighter, dragged onto the rival's colony, guarded by
// one Fast Fighter in its hold. The Sieges attack, the Laser Fighter blocks the Fast Fighter; the
// colony falls, the rival holds none, and victory is announced. Every help text shows once.
TEST_F(BattleScreen, ABattlePlayedFromADragToTheResultsAndVictory)
{
    g_battleHelpShown = 0;
    AddShip(PlanetAt(0, 3)->m_pFleet, V_TYPE_SHIP_FAST);
    Fleet *pFleet = SpaceFleet(0, 0, Coord{1, 37}, {V_TYPE_MOTHERSHIP_SIEGE, V_TYPE_MOTHERSHIP_SIEGE, V_TYPE_SHIP_LASER});
    PlanetAt(0, 3)->m_bFlags = PLANET_KNOWN;
    EnterSystem(0);
    for (int i = 0; i < 5; i++)
        HeadlessPressKey(PLATFORM_VK_DOWN);
    RunScript();
    ASSERT_EQ(g_pMainView->m_nScrollY, 5);
    HeadlessDrag(1, 32, 1, 36);
    RunScript();
    ASSERT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 3));
    ASSERT_TRUE(EndTurnsUntil([&] { return pFleet->m_eState == FLEET_ENCOUNTER; }, 5)) << pFleet->m_eState;
    int frames = HeadlessFrameCount();
    ClickLabel(" End Turn ");
    // Select Attackers: the help, then both Sieges, then OK.
    Idle(1);
    ScriptOk();
    HeadlessClick(LEFT_X, TableTop(6) + 2);
    ClickAfter(PAST_CLICK_GUARD, LEFT_X, TableTop(5) + 2);
    ClickAfter(PAST_CLICK_GUARD, LEFT_X, TableTop(4) + 3);
    // Blocking: its help, the Laser Fighter's target list with its help, the Fast Fighter, Finished.
    ScriptOk();
    ClickAfter(PAST_START_GUARD, 40, TableTop(3) + 1);
    Idle(PAST_START_GUARD);
    HeadlessDoubleClick(39, 30);  // read at leisure: the second click falls on the list, not a Cancel
    ClickAfter(PAST_START_GUARD, 40, TableTop(4) + 2);
    ClickAfter(PAST_CLICK_GUARD, 5, TableTop(3) + 2);
    // The results: the help, then OK; then the victory box.
    Idle(1);
    ScriptOk();
    ClickAfter(PAST_START_GUARD, LEFT_X, TableTop(6) + 5);
    ScriptOk();
    RunScript();
    EXPECT_EQ(HeadlessPendingInput(), 0);

    EXPECT_EQ(g_battleHelpShown, 15);  // each box took its OK: every click after it landed
    EXPECT_TRUE(ShownSince(frames, "\xD5\xCD\xCD\xCD\xCD\xCD\xCD\xCD< Human >"));
    EXPECT_TRUE(ShownSince(frames, "\xD5\xCD\xCD\xCD\xCD\xCD\xCD\xCD< Zorg >"));
    for (const std::string &row : {RowOf("Vessel", 690, 100, "Batt."), RowOf("Vessel", 12, 12, "Laser"),
                                   RowOf("Vessel", 0, 12, "Fast "), RowOf("Colony", 0, 0, "N/A  ")})
        EXPECT_TRUE(ShownSince(frames, row)) << row;
    EXPECT_TRUE(ShownSince(frames, "VICTORY: The galaxy is yours!"));

    // The losses applied: the rival's fighter and colony are gone, the fleet is whole and on its
    // way home in better spirits; the map is back as it was.
    EXPECT_EQ(PlanetAt(0, 3)->m_pFleet->m_cShip, 0);
    EXPECT_EQ(PlanetGetColony(PlanetAt(0, 3)), nullptr);
    EXPECT_EQ(Rival()->m_cColony, 0);
    EXPECT_EQ(pFleet->m_cShip, 3);
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
    EXPECT_EQ(((Ship *)pFleet->m_pShips->m_pHead->m_pData)->m_iMorale, 100 + 15);
    EXPECT_EQ(g_wmViewMode, WM_MODE_ONE_VIEW);
    EXPECT_EQ(g_pMainView->m_pContent, SystemAt(0)->m_pMap);
    EXPECT_EQ(g_pMainView->m_nScrollY, 5);
    EXPECT_EQ(g_cBarButtons, 2);
}

}  // namespace
}  // namespace screens_test
