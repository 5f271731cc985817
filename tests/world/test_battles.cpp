// Battles without screens: the computer's choices, the pass of fire with its worked numbers, the
// round-robin blocks, losses and morale, who is shown a screen, what a waiting battle does when
// its ships or structures are freed, and a battle fought through the turn that ends the game.
#include <vector>

#include "game/world/battle.h"
#include "game/world/structure.h"
#include "game/world/turn.h"
#include "tests/world/motion_world.h"

namespace motion_test {
namespace {

class Battles : public World {
protected:
    Catalogues m_catalogues;   // the end of a turn runs the computer companies, which price what they build
    void SetUp() override { World::SetUp(); BattleInit(); }
    void TearDown() override
    {
        BattleSetScreens(nullptr);
        BattleShutdown();
        TurnSetHooks(nullptr);
        World::TearDown();
    }

    static BattleUnit *Unit(Ship *pShip) { return BattleUnitFromShip(pShip); }
    static BattleUnit *Unit(Structure *pStructure) { return BattleUnitFromStructure(pStructure); }
    template <class T> static List *Units(const std::vector<T *> &objects)
    {
        List *pList = ListCreate();
        for (T *pObject : objects)
            ListAppend(pList, Unit(pObject));
        return pList;
    }
    // The ships of a new fleet in space, owned by the owner of planet p of system 0.
    std::vector<Ship *> Ships(int p, std::vector<int> types, Fleet **ppFleet = nullptr)
    {
        Fleet *pFleet = SpaceFleet(0, p, Coord{50, 50}, types);
        if (ppFleet)
            *ppFleet = pFleet;
        std::vector<Ship *> ships;
        for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
            ships.push_back((Ship *)pNode->m_pData);
        return ships;
    }
    static Battle *Waiting() { return (Battle *)g_pPendingBattles->m_pHead->m_pData; }
    static BattleUnit *UnitAt(List *pList, int i)
    {
        ListNode *pNode = pList->m_pHead;
        while (i-- > 0)
            pNode = pNode->m_pNext;
        return (BattleUnit *)pNode->m_pData;
    }
    static void Restart() { BattleShutdown(); BattleInit(); }
};

// n / 2 + 1 on side 1, n / 2 on side 2, the first in order; then resting units block the enemy
// attackers X and Y in turn: X, Y, X, the player's side without screens as the computer's.
TEST_F(Battles, TheComputersChoicesAndRoundRobinBlocks)
{
    struct Case { int side, units, attackers; } cases[] = {{1, 5, 3}, {2, 5, 2}, {2, 1, 0}, {1, 1, 1}};
    for (const Case &c : cases) {
        std::vector<Ship *> line = Ships(3, std::vector<int>(c.units, V_TYPE_SHIP_FAST));
        List *pLine = Units(line), *pOther = Units(Ships(3, {V_TYPE_SHIP_FAST}));
        ASSERT_EQ(BattleStart(c.side == 1 ? pLine : pOther, c.side == 1 ? pOther : pLine), 0);
        Battle *pBattle = Waiting();
        c.side == 1 ? ChooseAttackers1(pBattle) : ChooseAttackers2(pBattle);
        List *pAttack = c.side == 1 ? pBattle->m_pAttack1 : pBattle->m_pAttack2;
        EXPECT_EQ(pAttack->m_cItem, c.attackers) << c.side << " of " << c.units;
        EXPECT_EQ(pLine->m_cItem + pAttack->m_cItem, c.units);
        EXPECT_TRUE(c.attackers == 0 || UnitAt(pAttack, 0)->m_pObject == line[0]);
        EXPECT_EQ(c.side == 1 ? pBattle->m_bChosen1 : pBattle->m_bChosen2, 1);
        Restart();
    }
    for (int p : {3, 0}) {
        ASSERT_EQ(BattleStart(Units(Ships(3 - p, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_LASER})),
                              Units(Ships(p, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST}))), 0);
        Battle *pBattle = Waiting();
        while (!ListIsEmpty(pBattle->m_pRest1))
            ListAppend(pBattle->m_pAttack1, QueuePop(pBattle->m_pRest1));
        AssignBlocks2(pBattle);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(UnitAt(pBattle->m_pRest2, i)->m_pBlockTarget, UnitAt(pBattle->m_pAttack1, i % 2));
        Restart();
    }
}

// One attacker against structures staying back: the volley spread over them, and a blocker
// without a weapon deals nothing.
TEST_F(Battles, TheWorkedNumbersOfAPassOfFire)
{
    struct Case { int attacker; std::vector<int> structures; int lossEach, attackerLoss; } cases[] = {
        {V_TYPE_MOTHERSHIP_BASIC, {V_TYPE_COLONY, V_TYPE_SHIPYARD}, 12, 0},  // trunc(25 x 1.0 / 2)
        {V_TYPE_MOTHERSHIP_SIEGE, {V_TYPE_SHIPYARD}, 600, 0},                // trunc(100 x 6.0 / 1)
        {V_TYPE_SHIP_HEAVY, {V_TYPE_SAT_LASER}, 48, 12},  // 12 x 4.0; the blocking satellite: trunc(50 x 0.25)
    };
    for (const Case &c : cases) {
        std::vector<Structure *> structures;
        for (int type : c.structures)
            structures.push_back(AddStructure(PlanetAt(0, 3), type));
        Ship *pShip = Ships(0, {c.attacker})[0];
        int before = pShip->m_pArmor->m_iHp;
        ASSERT_EQ(BattleStart(Units(std::vector<Ship *>{pShip}), Units(structures)), 0);
        Battle *pBattle = Waiting();
        ListAppend(pBattle->m_pAttack1, QueuePop(pBattle->m_pRest1));
        AssignBlocks2(pBattle);
        ResolveBattle(pBattle);
        for (Structure *pS : structures)
            EXPECT_EQ(pS->m_pArmor->m_iBaseHp - pS->m_pArmor->m_iHp, c.lossEach) << pS->m_pName;
        EXPECT_EQ(before - pShip->m_pArmor->m_iHp, c.attackerLoss);
        Restart();
    }
}

// Side 1 is a computer fleet of drones (no weapons), side 2 the player's planet: its hold and its
// Colony. Hulls set below 1 beforehand are the losses: 5 a ship, 10 a structure.
TEST_F(Battles, LossesAreMarkedBothFleetsGoHomeAndMoraleMovesWithTheResult)
{
    struct Case { int shipsLost; int morale1, morale2; } cases[] = {{2, 100, 100}, {0, 110, 90}};
    for (const Case &c : cases) {
        Fleet *pRaider = nullptr;
        std::vector<Ship *> raiders = Ships(3, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_DRONE, V_TYPE_SHIP_DRONE}, &pRaider);
        Fleet *pHold = PlanetAt(0, 0)->m_pFleet;
        Ship *pGuard = AddShip(pHold, V_TYPE_SHIP_DRONE);
        Structure *pColony = PlanetGetColony(PlanetAt(0, 0));
        for (int i = 0; i < c.shipsLost; i++)
            raiders[i]->m_pArmor->m_iHp = 0;
        pColony->m_pArmor->m_iHp = 0;
        BattleEncounter(pRaider, pHold, PlanetAt(0, 0));
        EXPECT_TRUE(ListIsEmpty(g_pPendingBattles) && ListIsEmpty(g_pReadyBattles));
        EXPECT_EQ(raiders[2]->m_iMorale, c.morale1);
        EXPECT_EQ(pGuard->m_iMorale, c.morale2);
        EXPECT_TRUE(pRaider->m_eState == FLEET_RETURN && pHold->m_eState == FLEET_RETURN);
        EXPECT_EQ(raiders[0]->m_eState, c.shipsLost ? SHIP_DESTROYED : SHIP_ACTIVE);
        EXPECT_EQ(pColony->m_bDestroyed, 1);
        pColony->m_bDestroyed = 0;
        pColony->m_pArmor->m_iHp = 1000;
        pHold->m_eState = FLEET_IDLE;
        FleetLoseMorale(pHold, c.morale2 - 100);
    }
}

// The player's side asks the screens; a side of the computer's never does; a screen that cannot
// run leaves the choice to the computer's rule.
int g_selects, g_blocks, g_results, g_answer;
TEST_F(Battles, OnlyABattleOfThePlayersIsShownAndAScreenThatCannotRunLeavesTheComputersRule)
{
    static const BattleScreens screens = {
        [](List *, List *) { g_selects++; return g_answer; },
        [](List *, List *) { g_blocks++; return g_answer; },
        [](List *, List *, List *, List *) { g_results++; },
    };
    BattleSetScreens(&screens);
    struct Case { int p1, p2, answer, selects, blocks, results, attackers2; } cases[] = {
        {3, 3, 1, 0, 0, 0, 1},  // two computer sides: nothing shown
        {3, 0, 1, 1, 1, 1, 0},  // the player on side 2 chooses on the screens (here: nobody attacks)
        {3, 0, 0, 1, 1, 1, 1},  // the screens cannot run: the computer's rule chooses
    };
    for (const Case &c : cases) {
        g_selects = g_blocks = g_results = 0;
        g_answer = c.answer;
        ASSERT_EQ(BattleStart(Units(Ships(c.p1, {V_TYPE_SHIP_FAST})), Units(Ships(c.p2, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST}))), 0);
        Battle *pBattle = Waiting();
        List *pAttack2 = pBattle->m_pAttack2;
        ChooseAttackers1(pBattle);
        ChooseAttackers2(pBattle);
        EXPECT_EQ(pAttack2->m_cItem, c.attackers2);
        ResolveBattles();
        EXPECT_EQ(std::vector<int>({g_selects, g_blocks, g_results}),
                  std::vector<int>({c.selects, c.blocks, c.results})) << "case " << &c - cases;
    }
}

// A waiting battle never reads what was freed: a freed ship or structure leaves it, with the blocks
// aimed at it; a side left empty drops the battle; ships merged into another fleet fight on, and
// that fleet is the one sent home.
TEST_F(Battles, AWaitingBattleForgetsWhatWasFreedAndFightsWithWhatIsLeft)
{
    Fleet *pRaider = nullptr;
    std::vector<Ship *> raiders = Ships(3, {V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_HEAVY}, &pRaider);
    Structure *pYard = AddStructure(PlanetAt(0, 0), V_TYPE_SHIPYARD);
    Structure *pColony = PlanetGetColony(PlanetAt(0, 0));
    ASSERT_EQ(BattleStart(Units(raiders), Units(std::vector<Structure *>{pYard, pColony})), 0);
    Battle *pBattle = Waiting();
    UnitAt(pBattle->m_pRest2, 0)->m_pBlockTarget = UnitAt(pBattle->m_pRest1, 0);
    UnitAt(pBattle->m_pRest2, 1)->m_pBlockTarget = UnitAt(pBattle->m_pRest1, 0);
    raiders[0]->m_eState = SHIP_DESTROYED;
    ShipCheckRemoval(raiders[0]);  // freed
    EXPECT_EQ(pBattle->m_pRest1->m_cItem, 1);
    EXPECT_EQ(UnitAt(pBattle->m_pRest2, 0)->m_pBlockTarget, nullptr);
    pColony->m_bDestroyed = 1;
    PlanetUpdate(PlanetAt(0, 0));  // frees it
    EXPECT_EQ(pBattle->m_pRest2->m_cItem, 1);
    Fleet *pOther = SpaceFleet(0, 3, Coord{10, 10}, {V_TYPE_SHIP_FAST});
    FleetMergeInto(pRaider, pOther);
    ListRemove(SystemAt(0)->m_pFleets, pRaider);
    FleetRelease(&pRaider);
    ResolveBattles();
    EXPECT_EQ(pYard->m_pArmor->m_iHp, 1000 - 12 * 6);  // one Heavy Fighter left, at full morale
    EXPECT_EQ(pOther->m_eState, FLEET_RETURN);
    EXPECT_EQ(raiders[1]->m_iMorale, 100);

    ASSERT_EQ(BattleStart(Units(Ships(3, {V_TYPE_SHIP_FAST})), Units(std::vector<Structure *>{pYard})), 0);
    Structure *pGone = pYard;
    PlanetRemoveStructure(PlanetAt(0, 0), pYard);
    StructureDestroy(&pYard);
    EXPECT_TRUE(ListIsEmpty(g_pPendingBattles)) << "a side without units still waits for " << pGone;
    ResolveBattles();
}

// The rival's Siege Motherships on the player's only colony: it falls in the battle of the turn
// they arrive, and the turn ends in defeat. (Victory is played on the battle screens' tests.)
int g_defeats;
TEST_F(Battles, ABattleFoughtThroughTheTurnBringsDefeat)
{
    static const TurnHooks hooks = {nullptr, nullptr, [] { g_defeats++; }, nullptr};
    TurnSetHooks(&hooks);
    g_defeats = 0;
    Fleet *pSiege = SpaceFleet(0, 3, Coord{0, 4}, {V_TYPE_MOTHERSHIP_SIEGE, V_TYPE_MOTHERSHIP_SIEGE});
    FleetMoveToPlanet(pSiege, PlanetAt(0, 0));
    for (int turn = 0; turn < 5 && g_defeats == 0; turn++)
        EndTurn(nullptr);
    EXPECT_EQ(g_defeats, 1);
    EXPECT_EQ(Player()->m_cColony, 0);
    EXPECT_EQ(CountMessages("You have encountered an enemy fleet!"), 1);
    EXPECT_EQ(pSiege->m_pTargetPlanet, PlanetAt(0, 3));  // on its way home
}

}  // namespace
}  // namespace motion_test
