// The computer companies: the mode rule, the planet and fleet steps at their edges, the counted
// draws of the build orders, the searches through paired gates, and the dump files byte for byte.
#include <sstream>

#include "game/world/aidump.h"
#include "game/world/compai.h"
#include "game/world/structure.h"
#include "tests/world/motion_world.h"
#include "tests/world/soak_world.h"

namespace motion_test {
namespace {

// The two-system world (gate 0 of each linked) with both catalogues. The player holds planet 0
// of system 0, the computer company planet 3.
class AI : public World {
protected:
    Catalogues m_catalogues;
    soak::ScratchDir m_dir;   // the steps write their dump blocks here
    Planet *Home() { return PlanetAt(0, 3); }
    static void Stock(Planet *pPlanet, int amount) { pPlanet->m_iEnergy = pPlanet->m_iMatter = amount; }
    static int Queued(const Structure *pAt) { return pAt ? BuildQueueCount(pAt->m_pQueue) : 0; }
};

// Comparisons are strict: a tie leaves the mode to the revert rule, which only acts when the
// last mode was IDLE. The satellites and cannons a company holds do not count towards its lead in
// defence, so DEFENSE cannot keep itself up, and DEFENSE that leads in nothing goes back to IDLE.
TEST_F(AI, TheModeRuleNeedsAStrictLeadAndRevertsOnlyFromIdleOrDefense)
{
    struct Case {
        int colonies, offense, defense, state, last, expectState, expectLast;
        std::vector<int> built;   // standing on the rival's planet, or the player's when onPlayer
        bool onPlayer;
    } cases[] = {
        // the player holds 1 colony, 3 ships and 2 structures
        {2, 0, 0, COMPANY_AI_IDLE, COMPANY_AI_IDLE, COMPANY_AI_COLONIZE, COMPANY_AI_IDLE, {}, false},
        {1, 9, 9, COMPANY_AI_DEFENSE, COMPANY_AI_IDLE, COMPANY_AI_OFFENSE, COMPANY_AI_DEFENSE, {}, false},
        {1, 3, 3, COMPANY_AI_IDLE, COMPANY_AI_IDLE, COMPANY_AI_DEFENSE, COMPANY_AI_IDLE, {V_TYPE_SAT_FAST}, true},
        {1, 3, 2, COMPANY_AI_COLONIZE, COMPANY_AI_IDLE, COMPANY_AI_IDLE, COMPANY_AI_IDLE, {}, false},
        {0, 2, 1, COMPANY_AI_OFFENSE, COMPANY_AI_COLONIZE, COMPANY_AI_OFFENSE, COMPANY_AI_COLONIZE, {}, false},
        {1, 0, 5, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE, COMPANY_AI_IDLE, COMPANY_AI_DEFENSE,
         {V_TYPE_SAT_FAST, V_TYPE_SAT_HEAVY, V_TYPE_SAT_VAVUVUR}, false},
        {1, 0, 6, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE,
         {V_TYPE_SAT_ATOMIC, V_TYPE_SAT_LASER, V_TYPE_SHIPYARD}, false},
        {1, 0, 1, COMPANY_AI_DEFENSE, COMPANY_AI_OFFENSE, COMPANY_AI_IDLE, COMPANY_AI_DEFENSE, {}, false},
    };
    Player()->m_offenseScore = 3;
    Player()->m_defenseScore = 2;
    for (const Case &c : cases) {
        Planet *pAt = PlanetAt(0, c.onPlayer ? 0 : 3);
        int first = pAt->m_cStructure;
        for (int type : c.built)
            StructureCreate(&pAt->m_ppStructure[pAt->m_cStructure++], pAt, type);
        Rival()->m_cColony = c.colonies;
        Rival()->m_offenseScore = c.offense;
        Rival()->m_defenseScore = c.defense;
        Rival()->m_aiState = c.state;
        Rival()->m_aiLastState = c.last;
        AIUpdateCompanyMode(g_pUniverse, Rival());
        EXPECT_EQ(std::make_pair(Rival()->m_aiState, Rival()->m_aiLastState),
                  std::make_pair(c.expectState, c.expectLast)) << "case " << &c - cases;
        while (pAt->m_cStructure > first)
            StructureDestroy(&pAt->m_ppStructure[--pAt->m_cStructure]);
    }
}

// A new colony builds energy harvester, matter harvester and shipyard one at a time and waits
// while it cannot pay; a building planet goes back to its earlier state when its queues empty.
TEST_F(AI, APlanetStepByState)
{
    struct Case {
        int state, last, stock;
        std::vector<int> built;
        int expectState, expectLast, expectQueued;   // queued: the type at the Colony, or 0
    } cases[] = {
        {PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 99, {}, PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 0},
        {PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 100, {}, PLANET_AI_BUILDING, PLANET_AI_NEW_COLONY, V_TYPE_HARVESTER_ENERGY},
        {PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 500, {V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER},
         PLANET_AI_BUILDING, PLANET_AI_NEW_COLONY, V_TYPE_SHIPYARD},
        {PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 0, {V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER, V_TYPE_SHIPYARD},
         PLANET_AI_IDLE, PLANET_AI_NEW_COLONY, 0},
        {PLANET_AI_BUILDING, PLANET_AI_NEW_COLONY, 0, {}, PLANET_AI_NEW_COLONY, PLANET_AI_IDLE, 0},
        {PLANET_AI_ATTACKED, PLANET_AI_IDLE, 100, {}, PLANET_AI_ATTACKED, PLANET_AI_IDLE, V_TYPE_HARVESTER_ENERGY},
    };
    for (const Case &c : cases) {
        Planet *pPlanet = PlanetAt(0, 1);
        PlanetColonize(pPlanet, Rival());
        for (int type : c.built)
            AddStructure(pPlanet, type);
        Stock(pPlanet, c.stock);
        pPlanet->m_aiState = c.state;
        pPlanet->m_aiLastState = c.last;
        AIRunPlanet(pPlanet);
        const BuildNode *pNode = PlanetGetColony(pPlanet)->m_pQueue->m_pFirst;
        EXPECT_EQ(std::make_tuple(pPlanet->m_aiState, pPlanet->m_aiLastState, pNode ? pNode->m_eType : 0),
                  std::make_tuple(c.expectState, c.expectLast, c.expectQueued)) << "case " << &c - cases;
        // The next case starts from a free planet again.
        PlanetDestroy(&SystemAt(0)->m_ppPlanet[1]);
        PlanetCreate(&SystemAt(0)->m_ppPlanet[1], SystemAt(0), "Terra", Coord{25, 0}, PLANET_ROCKY);
        Rival()->m_cColony = 1;
    }
}

// A planet that can pay for nothing gives up after its counted draws and goes IDLE: five fighter
// draws for ships (mothership draws are free), five for satellites, six for infrastructure. The
// draw after the order shows how many it took.
TEST_F(AI, AnOrderThatCannotPayGivesUpAfterItsCountedDraws)
{
    AddStructure(Home(), V_TYPE_SHIPYARD);
    Stock(Home(), 99);
    for (unsigned seed : {1u, 7u, 1234u}) {
        RandSeed(seed);
        int cShipDraws = 0, cInfraDraws = 0;
        for (int fighters = 0; fighters < 5; cShipDraws++)
            fighters += V_TYPE_SHIP_FAST + RandDraw() % 7 <= V_TYPE_SHIP_HEAVY;
        RandSeed(seed);
        for (int counted = 0; counted < 6; cInfraDraws++)   // the planet has a shipyard: those are free
            counted += V_TYPE_HARVESTER_ENERGY + RandDraw() % 3 != V_TYPE_SHIPYARD;
        struct Case { void (*pfnOrder)(Planet *); int cDraws; } cases[] = {
            {AIOrderCombatShip, cShipDraws}, {AIOrderDefensiveStructure, 5}, {AIOrderInfrastructure, cInfraDraws}};
        for (const Case &c : cases) {
            RandSeed(seed);
            for (int i = 0; i < c.cDraws; i++)
                RandDraw();
            int next = RandDraw();
            RandSeed(seed);
            Home()->m_aiState = PLANET_AI_BUILDING;
            c.pfnOrder(Home());
            EXPECT_EQ(RandDraw(), next) << "seed " << seed << ", case " << &c - cases;
            EXPECT_EQ(Home()->m_aiState, PLANET_AI_IDLE);
            EXPECT_EQ(Queued(PlanetGetShipyard(Home())) + Queued(PlanetGetColony(Home())), 0);
        }
    }
}

// Only the Heavy Fighter is affordable: drawn before the last counted attempt it is queued, drawn
// with the last one it is not. A shipyard drawn for a planet that has one costs no attempt and is
// still queued.
TEST_F(AI, AnAffordableDrawIsQueuedUnlessItCameWithTheLastAttempt)
{
    for (int type = V_TYPE_SHIP_DRONE; type <= V_TYPE_MOTHERSHIP_SIEGE; type++)
        GetShipPrototype(type)->m_iFuel = type == V_TYPE_SHIP_HEAVY ? 100 : 100000;
    AddStructure(Home(), V_TYPE_SHIPYARD);
    int outcomes[2] = {0, 0};
    for (unsigned seed = 1; seed < 150; seed++) {
        RandSeed(seed);
        int attempts = 5, type = 0;
        do {
            type = V_TYPE_SHIP_FAST + RandDraw() % 7;
            attempts -= type <= V_TYPE_SHIP_HEAVY;
        } while (type != V_TYPE_SHIP_HEAVY && attempts > 0);
        bool bExpectQueued = type == V_TYPE_SHIP_HEAVY && attempts > 0;
        if (type != V_TYPE_SHIP_HEAVY)
            continue;
        outcomes[bExpectQueued]++;
        Stock(Home(), 1000);
        int before = Queued(PlanetGetShipyard(Home()));
        RandSeed(seed);
        AIOrderCombatShip(Home());
        EXPECT_EQ(Queued(PlanetGetShipyard(Home())) - before, bExpectQueued ? 1 : 0) << "seed " << seed;
        EXPECT_EQ(Home()->m_aiState, bExpectQueued ? PLANET_AI_BUILDING : PLANET_AI_IDLE);
    }
    EXPECT_TRUE(outcomes[0] > 0 && outcomes[1] > 0);

    unsigned seed = 1;
    for (RandSeed(seed); V_TYPE_HARVESTER_ENERGY + RandDraw() % 3 != V_TYPE_SHIPYARD; RandSeed(++seed)) {
    }
    RandSeed(seed);
    Stock(Home(), 1000);
    Home()->m_aiState = PLANET_AI_IDLE;
    AIOrderInfrastructure(Home());
    EXPECT_EQ(PlanetGetColony(Home())->m_pQueue->m_pFirst->m_eType, V_TYPE_SHIPYARD);
    EXPECT_EQ(Home()->m_aiState, PLANET_AI_BUILDING);
}

// Fleet steps at their edges. Each case is a fleet in space in system 0 of the given size.
TEST_F(AI, AFleetStepByState)
{
    const int FAST = V_TYPE_SHIP_FAST, COLONY = V_TYPE_MOTHERSHIP_COLONY, IDLE = FLEET_AI_IDLE;
    const int TRANSIT = FLEET_AI_TRANSIT;
    struct Case {
        const char *what;
        int type, ships, aiSize, aiState, eState;
        bool bOtherFleet, bOtherAdopting;
        int expectState, expectTarget;   // the planet of system 0 it launches for, or -1
    } cases[] = {
        {"one ship, not alone, no adopter", FAST, 1, 7, IDLE, FLEET_IDLE, true, false, IDLE, -1},
        {"one ship, an adopter", FAST, 1, 7, IDLE, FLEET_IDLE, true, true, TRANSIT, 3},
        {"two ships, an adopter", FAST, 2, 7, IDLE, FLEET_IDLE, true, true, IDLE, -1},
        {"alone below its size", FAST, 3, 7, IDLE, FLEET_IDLE, false, false, FLEET_AI_ADOPTING, -1},
        {"size reached while idle", FAST, 7, 7, IDLE, FLEET_IDLE, false, false, FLEET_AI_ANGRY, -1},
        {"in transit, still, no route", FAST, 2, 7, TRANSIT, FLEET_IDLE, false, false, IDLE, -1},
        {"in transit, moving", FAST, 2, 7, TRANSIT, FLEET_MOVING, false, false, TRANSIT, -1},
        // A colony fleet in transit is moved on by the transit rule; out of transit it heads for
        // the nearest free planet: planet 1 of its own system.
        {"colony fleet in transit", COLONY, 1, 7, TRANSIT, FLEET_IDLE, false, false, IDLE, -1},
        {"colony fleet idle", COLONY, 1, 7, IDLE, FLEET_IDLE, false, false, TRANSIT, 1},
    };
    for (const Case &c : cases) {
        Fleet *pFleet = SpaceFleet(0, 3, Coord{40, 40}, std::vector<int>(c.ships, c.type));
        pFleet->m_aiSize = c.aiSize;
        pFleet->m_aiState = c.aiState;
        pFleet->m_eState = c.eState;
        Fleet *pOther = c.bOtherFleet ? SpaceFleet(0, 3, Coord{45, 45}, {V_TYPE_SHIP_FAST}) : nullptr;
        if (pOther && c.bOtherAdopting)
            pOther->m_aiState = FLEET_AI_ADOPTING;
        AIRunFleet(pFleet);
        EXPECT_EQ(pFleet->m_aiState, c.expectState) << c.what;
        EXPECT_EQ(pFleet->m_eState, c.expectTarget < 0 ? c.eState : FLEET_LAUNCH) << c.what;
        EXPECT_TRUE(c.expectTarget < 0 || (pFleet->m_pTargetPlanet == PlanetAt(0, c.expectTarget) &&
                                           (c.type == FAST || pFleet->m_aiLastState == TRANSIT))) << c.what;
        for (Fleet *pGone : {pFleet, pOther})
            if (pGone)
                DropFleet(0, pGone);
    }
}

// With every planet of system 0 owned, the colony search goes through the paired gate; a route
// to a system no gate path reaches is empty, and the next gate of an empty route is none. No
// search leaves a mark behind.
TEST_F(AI, SearchesGoThroughPairedGatesOnlyAndLeaveNoMark)
{
    PlanetColonize(PlanetAt(0, 1), Rival());
    PlanetColonize(PlanetAt(0, 2), Player());
    EXPECT_EQ(AIFindColonyPlanet(SystemAt(0)), PlanetAt(1, 0));
    EXPECT_EQ(AIFindAttackTarget(SystemAt(0), Rival()), SystemAt(0));
    EXPECT_EQ(AIPickTargetPlanet(SystemAt(0), Rival()), PlanetAt(0, 0));
    EXPECT_EQ(AIPickTargetPlanet(SystemAt(1), Rival()), nullptr);   // free planets are no target

    Fleet *pFleet = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_FAST});
    AIPlanRoute(pFleet, SystemAt(1));
    ASSERT_EQ(pFleet->m_pRoute->m_cItem, 1);
    EXPECT_EQ(AINextGate(pFleet), Gate(0, 0));
    EXPECT_TRUE(ListIsEmpty(pFleet->m_pRoute));
    EXPECT_EQ(AINextGate(pFleet), nullptr);

    WarpgateLink(Gate(0, 0), Gate(0, 1));   // system 1 is cut off now
    Gate(1, 0)->m_pPair = nullptr;
    AIPlanRoute(pFleet, SystemAt(1));
    EXPECT_TRUE(ListIsEmpty(pFleet->m_pRoute));
    EXPECT_EQ(AIFindColonyPlanet(SystemAt(0)), nullptr);
    for (int s = 0; s < 2; s++)
        EXPECT_TRUE(!SystemAt(s)->m_bSearched && !SystemAt(s)->m_pSearchParent);
}

// An angry fleet whose target lies beyond a gate path that closed drops the target instead of
// flying on; one whose home is gone (it passed a gate) chooses from the system it is in.
TEST_F(AI, AnAngryFleetWithoutAWayDropsItsTargetAndAHomelessOneSearchesWhereItIs)
{
    PlanetColonize(PlanetAt(1, 0), Player());
    PlanetColonize(PlanetAt(0, 1), Rival());
    PlanetColonize(PlanetAt(0, 2), Rival());
    PlanetAt(0, 0)->m_pOwner = Rival();   // system 0 is all the company's for a while
    Fleet *pFleet = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_FAST});
    pFleet->m_aiState = FLEET_AI_ANGRY;
    pFleet->m_pAttackTarget = PlanetAt(1, 0);
    Gate(0, 0)->m_pPair = Gate(1, 0)->m_pPair = nullptr;
    AIRunFleet(pFleet);
    EXPECT_TRUE(pFleet->m_pAttackTarget == nullptr && pFleet->m_eState == FLEET_IDLE);

    PlanetAt(0, 0)->m_pOwner = Player();
    pFleet->m_pHomePlanet = nullptr;
    AIRunFleet(pFleet);   // finds the player's planet 0 in its own system and flies at it
    EXPECT_EQ(pFleet->m_pAttackTarget, PlanetAt(0, 0));
    EXPECT_EQ(pFleet->m_pTargetPlanet, PlanetAt(0, 0));
}

// The dump blocks, byte for byte; blocks are appended and the file is complete after each.
TEST_F(AI, TheDumpBlocksAreAppendedByteForByte)
{
    SystemAt(0)->m_pName[0] = 'V';
    Rival()->m_pName[0] = 'K';
    Home()->m_iMatter = -5;
    Home()->m_aiState = 9;
    AIDumpPlanet(Home());
    AIDumpPlanet(Home());
    const std::string planet =
        "PLANET Terra (System: Vesta)\nOwner: Korg\nMatter: -5\nEnergy: 1000\n"
        "Active State: \nLast State: IDLE\nEND PLANET\n\n";
    EXPECT_EQ(FileText("AIPlanetDump.txt"), planet + planet);

    Fleet *pFleet = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST, V_TYPE_MOTHERSHIP_COLONY});
    pFleet->m_aiSize = 8;
    pFleet->m_aiState = FLEET_AI_TRANSIT;
    pFleet->m_aiLastState = 3;
    AIDumpFleet(pFleet);
    pFleet->m_pHomePlanet = nullptr;
    pFleet->m_pSystem = nullptr;
    pFleet->m_pTargetGate = Gate(0, 0);
    pFleet->m_pTargetPlanet = PlanetAt(1, 0);
    pFleet->m_pAttackTarget = PlanetAt(0, 0);
    AIDumpFleet(pFleet);
    pFleet->m_pTargetGate = nullptr;
    pFleet->m_pTargetPlanet = nullptr;
    pFleet->m_aiState = FLEET_AI_ANGRY;
    AIDumpFleet(pFleet);
    const std::string ships = "Ship: Fast\nShip: Fast\nShip: Colony Mothership\nEND FLEET\n\n";
    EXPECT_EQ(FileText("AIFleetDump.txt"),
              "FLEET - Owner: Korg\nActive State: TRANSIT\nLast State: \nAttack Target: NO\nAI Size: 8\n"
              "Location: Planet\n" + ships +
              "FLEET - Owner: Korg\nActive State: TRANSIT\nLast State: \nAttack Target: YES - Terra in Vesta\n"
              "AI Size: 8\nLocation: Warpgate\nTravelling To: Terra in Testa\n" + ships +
              "FLEET - Owner: Korg\nActive State: ANGRY\nLast State: \nAttack Target: YES - Terra in Vesta\n"
              "AI Size: 8\nLocation: " + ships);
    DropFleet(0, pFleet);
}

// The driver visits, system by system, each owned planet's hold before the planet, then the fleets
// coming out of the system's gates, then its fleets in space; other companies' fleets and empty
// holds get no step. The AI sizes tell the fleet blocks apart.
TEST_F(AI, AnAITurnVisitsHoldsThenGatesThenFleetsInSpaceSystemBySystem)
{
    Fleet *pInSpace1 = SpaceFleet(1, 0, Coord{20, 20}, {V_TYPE_SHIP_FAST});
    pInSpace1->m_pOwner = Rival();
    pInSpace1->m_iOwnerNum = Rival()->m_iNum;
    pInSpace1->m_pHomePlanet = nullptr;
    Fleet *pInSpace0 = SpaceFleet(0, 3, Coord{40, 40}, {V_TYPE_SHIP_FAST});
    Fleet *pPlayers = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_FAST});
    AddShip(Home()->m_pFleet, V_TYPE_SHIP_FAST);
    Gate(1, 0)->m_pTransitFleet = pInSpace1;
    Home()->m_pFleet->m_aiSize = 11;
    pInSpace0->m_aiSize = 12;
    pInSpace1->m_aiSize = 13;
    pPlayers->m_aiSize = 14;
    AITurn(g_pUniverse, Rival());
    std::istringstream in(FileText("AIFleetDump.txt"));
    std::string line, sizes;
    while (std::getline(in, line))
        if (line.rfind("AI Size: ", 0) == 0)
            sizes += line.substr(9) + " ";
    EXPECT_EQ(sizes, "11 12 13 13 ");
    EXPECT_EQ(FileText("AIPlanetDump.txt").rfind("PLANET Terra (System: Testa)\n", 0), 0u);
}

// Whole games: every invariant holds after every turn, the computer companies colonise and build,
// and a seed plays the same game twice.
TEST(AISoak, ShortGamesKeepEveryInvariantColoniseAndReplay)
{
    soak::ScratchDir dir;
    for (unsigned seed : {11u, 12u, 13u}) {
        soak::Game game = soak::Play(seed, 200);
        EXPECT_EQ(game.failure, "") << "seed " << seed;
        EXPECT_TRUE(game.figures.colonies > (int)game.alive.size() && game.figures.ships > 0) << "seed " << seed;
    }
    soak::Game first = soak::Play(5, 100), second = soak::Play(5, 100);
    EXPECT_EQ(first.turnReached, 100);
    EXPECT_TRUE(first.digests == second.digests && first.digests.front() != first.digests.back());
}

}  // namespace
}  // namespace motion_test
