// The economy: planets (colonisation and its colours, the close-up picture, the per-turn update
// with the removal of structures destroyed in battle), structures and build queues (paying when
// queueing, the timing of both queues, income and the storage cap, reordering, the limits of a
// planet and a queue).
#include <cstdio>
#include <string>

#include "game/core/2dutils.h"
#include "game/world/structure.h"
#include "tests/world/motion_world.h"

namespace {

using motion_test::AddStructure;
using motion_test::CountMessages;

// One system of three planets (Terra, Mars, Ceres), the player "Human" and one computer company,
// both catalogues. The player's colony stands on Mars, whose name the messages' "%5s" pads; the
// system's icon is made after it, so that only later colonies tint it. Turns advance the way the
// turn cycle advances them for planets: the counter goes up, then every planet runs.
class SmallWorld : public ::testing::Test {
protected:
    System *m_pSystem = nullptr;
    Company *m_pHuman = nullptr;
    Planet *m_pMars = nullptr;
    Structure *m_pColony = nullptr;
    motion_test::Catalogues m_catalogues;

    void SetUp() override
    {
        g_pUniverse = motion_test::MakeUniverse({{{{10, 10}, {30, 10}, {50, 10}}, {}, true}}, 2);
        m_pSystem = g_pUniverse->m_ppSystem[0];
        m_pHuman = g_pUniverse->m_ppCompany[0];
        PlanetColonize(m_pMars = PlanetAt(1), m_pHuman);
        m_pColony = PlanetGetColony(m_pMars);
        m_pSystem->m_pIcon = CreateSurface(5, 5);
        FillSurface(m_pSystem->m_pIcon, Cell{'*', 14});
        MessagesClear();
    }

    void TearDown() override
    {
        UniverseDestroy(&g_pUniverse);
        MessagesClear();
    }

    Planet *PlanetAt(int i) { return m_pSystem->m_ppPlanet[i]; }

    void NextTurn()
    {
        g_pUniverse->m_iTurn++;
        for (int i = 0; i < m_pSystem->m_cPlanet; i++)
            PlanetUpdate(m_pSystem->m_ppPlanet[i]);
    }
    // The last message and Mars's stores after the next turn.
    std::string Turn()
    {
        NextTurn();
        return LastMessage() + " " + Stores(m_pMars);
    }

    // "energy/matter" of a planet.
    static std::string Stores(const Planet *p)
    {
        return std::to_string(p->m_iEnergy) + "/" + std::to_string(p->m_iMatter);
    }
    static std::string LastMessage() { return MessageCount() ? MessageText(MessageCount() - 1) : ""; }
};

using PlanetEconomy = SmallWorld;

// Colonising paints the planet's icon and its system's in the owner's colour. The close-up shows
// every structure at (5,5), the last drawn on top, and an 'F' per ship in the hold.
TEST_F(PlanetEconomy, ColonisingPaintsTheOwnersColourTheCloseUpShowsTheHoldAndWrecksLeaveTheArray)
{
    Planet *pPlanet = PlanetAt(0);
    ASSERT_EQ(PlanetColonize(pPlanet, m_pHuman), 0);
    for (int i = 0; i < 25; i++) {
        EXPECT_EQ(m_pSystem->m_pIcon->m_pCells[i].m_attr, 0x94) << "system icon cell " << i;
        EXPECT_TRUE(i >= 9 || pPlanet->m_pIcon->m_pCells[i].m_attr == 0x92) << "icon cell " << i;
    }
    AddStructure(pPlanet, V_TYPE_SHIPYARD);
    for (int i = 0; i < 2; i++)
        motion_test::AddShip(pPlanet->m_pFleet, V_TYPE_SHIP_FAST);
    PlanetDrawSurface(pPlanet);
    Surface *pSurface = pPlanet->m_pSurface;
    auto at = [pSurface](int x, int y) { return pSurface->m_pCells[y * pSurface->m_nWidth + x]; };
    EXPECT_TRUE(at(5, 5).m_ch == 'Y' && at(9, 6).m_ch == '*');  // over the Colony, beside its arc
    EXPECT_TRUE(at(1, 1).m_ch == 'F' && at(2, 2).m_ch == 'F' && at(3, 3).m_ch == ' ');
    EXPECT_EQ(at(1, 1).m_attr, 0x90);
    // Ships that left leave no mark behind.
    while (!ListIsEmpty(pPlanet->m_pFleet->m_pShips)) {
        Ship *pShip = (Ship *)QueuePop(pPlanet->m_pFleet->m_pShips);
        ShipDestroy(&pShip);
    }
    pPlanet->m_pFleet->m_cShip = 0;
    PlanetDrawSurface(pPlanet);
    EXPECT_EQ(at(1, 1).m_ch, ' ');

    // A structure destroyed in battle is freed by its own update; the one behind it moves into its
    // index and is still updated in the same turn. The player's planets become known on their update.
    pPlanet->m_bFlags = 0;
    AddStructure(pPlanet, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    AddStructure(pPlanet, V_TYPE_SAT_FAST)->m_bDestroyed = 1;
    Structure *pMatter = AddStructure(pPlanet, V_TYPE_HARVESTER_MATTER);
    NextTurn();
    ASSERT_EQ(pPlanet->m_cStructure, 3);
    EXPECT_TRUE(pPlanet->m_ppStructure[2] == pMatter && !pPlanet->m_ppStructure[3]);
    EXPECT_EQ(Stores(pPlanet), "1050/1300");
    EXPECT_EQ(pPlanet->m_bFlags, PLANET_KNOWN);
    pMatter->m_bDestroyed = 1;  // the last one of the array
    NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 2);
    EXPECT_EQ(Stores(pPlanet), "1100/1350");
}

using StructureEconomy = SmallWorld;

TEST_F(StructureEconomy, AShipyardCostsExactlyFiveHundredOfEachAndColoniesQueueOnlyStructures)
{
    m_pMars->m_iEnergy = 499;
    m_pMars->m_iMatter = 500;
    EXPECT_EQ(QueueStructure(m_pColony, V_TYPE_SHIPYARD), 1);
    EXPECT_EQ(LastMessage() + " " + Stores(m_pMars), "You have insufficient funds to build this structure. 499/500");
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0x9F);
    m_pMars->m_iEnergy = 500;
    EXPECT_EQ(QueueStructure(m_pColony, V_TYPE_SHIPYARD), 0);
    EXPECT_EQ(LastMessage() + " " + Stores(m_pMars), "Structure queued for construction. 0/0");
    // Ships come from shipyards only, and colonies are founded, not built.
    m_pMars->m_iEnergy = m_pMars->m_iMatter = 1000;
    EXPECT_TRUE(QueueShip(nullptr, V_TYPE_SHIP_DRONE) == 1 && QueueShip(m_pColony, V_TYPE_SHIP_DRONE) == 1);
    EXPECT_EQ(QueueStructure(m_pColony, V_TYPE_COLONY), 1);
    EXPECT_EQ(Stores(m_pMars), "1000/1000");
    EXPECT_EQ(BuildQueueCount(m_pColony->m_pQueue), 1);
}

// Queued while the counter reads 10, finished on the update at which it reads 13; the new
// harvester already yields on that update while the building Colony earns nothing. A turn later
// the idle Colony earns again beside it.
TEST_F(StructureEconomy, AHarvesterIsReportedThenBuiltOnTurnNPlusBAndYieldsAtOnce)
{
    g_pUniverse->m_iTurn = 10;
    ASSERT_EQ(QueueStructure(m_pColony, V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(Turn(), "Human: 2 until Energy Harvester is built at  Mars. 900/900");
    EXPECT_EQ(Turn(), "Human: 1 until Energy Harvester is built at  Mars. 900/900");
    EXPECT_EQ(Turn(), "Energy Harvester built at  Mars. 1150/900");
    EXPECT_EQ(Turn(), "Energy Harvester built at  Mars. 1450/950");
    EXPECT_TRUE(m_pMars->m_cStructure == 2 && m_pHuman->m_defenseScore == 1);
}

// Build time 2: reported with 2 and 1, built into the hold on the third update. The price is paid
// at once and the catalogue upkeep of 5 and 5 when it is finished; the Colony is idle all along.
// Only the first ship of a queue counts down: the Fast Fighter (4) comes five updates later.
TEST_F(StructureEconomy, ADroneIsBuiltOnTheThirdUpdateAndTheNextShipWaitsItsTurn)
{
    Structure *pShipyard = AddStructure(m_pMars, V_TYPE_SHIPYARD);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
    EXPECT_EQ(LastMessage(), "Ship queued for construction.");
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_FAST), 0);
    EXPECT_EQ(Turn(), "Human: 2 until Rackham Corp. EG324 Dragon is built at  Mars. 850/850");
    EXPECT_EQ(Turn(), "Human: 1 until Rackham Corp. EG324 Dragon is built at  Mars. 900/900");
    EXPECT_EQ(m_pMars->m_pFleet->m_cShip, 0);
    Turn();
    ASSERT_EQ(m_pMars->m_pFleet->m_cShip, 1);
    Ship *pShip = (Ship *)m_pMars->m_pFleet->m_pShips->m_pHead->m_pData;
    EXPECT_TRUE(pShip->m_eType == V_TYPE_SHIP_DRONE && pShip->m_pOwner == m_pHuman);
    char expected[64];
    snprintf(expected, sizeof expected, "%5s built at  Mars. 945/945", pShip->m_pName);  // names padded
    EXPECT_EQ(LastMessage() + " " + Stores(m_pMars), expected);
    EXPECT_EQ(m_pHuman->m_offenseScore, 1);
    for (int turn = 4; turn <= 8; turn++) {
        NextTurn();
        EXPECT_EQ(m_pMars->m_pFleet->m_cShip, turn < 8 ? 1 : 2) << "turn " << turn;
    }
}

// A shipyard on a planet without a hold makes one for the finished ship instead of losing it.
TEST_F(StructureEconomy, AShipFinishedWhereThereIsNoHoldGetsOne)
{
    Planet *pPlanet = PlanetAt(2);
    Structure *pShipyard = AddStructure(pPlanet, V_TYPE_SHIPYARD);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 15);  // no owner: plain white
    for (int i = 0; i < 3; i++)
        StructureUpdate(pShipyard);
    EXPECT_TRUE(pPlanet->m_pFleet && pPlanet->m_pFleet->m_cShip == 1);
}

// Energy 10500 and matter 0: 250 steps bring the total to 10000, so matter ends at -250, and that
// negative store still pays for anything afterwards because stores compare unsigned. Stores that
// have gone below zero together are not an overflow of the silo: an unsigned total would read them
// as four billion and step for hours.
TEST_F(StructureEconomy, TheStorageSiloCapsBothStoresOneUnitAStepButNotNegativeOnes)
{
    Planet *pPlanet = PlanetAt(2);
    pPlanet->m_pOwner = g_pUniverse->m_ppCompany[1];  // the computer company
    Structure *pSilo = AddStructure(pPlanet, V_TYPE_STORAGE);
    pPlanet->m_iEnergy = 10500;
    pPlanet->m_iMatter = 0;
    StructureUpdate(pSilo);
    EXPECT_EQ(Stores(pPlanet), "10250/-250");
    EXPECT_TRUE(MessageCount() == 250 && CountMessages("Stored resources exceed the maximum, decreasing") == 250);
    EXPECT_EQ(MessageAttr(0), 0xAF);
    EXPECT_EQ(QueueStructure(AddStructure(pPlanet, V_TYPE_COLONY), V_TYPE_SHIPYARD), 0);
    EXPECT_EQ(pPlanet->m_iMatter, -750);
    MessagesClear();
    pPlanet->m_iEnergy = -5;
    pPlanet->m_iMatter = 0;
    StructureUpdate(pSilo);
    EXPECT_EQ(Stores(pPlanet), "-5/0");
    EXPECT_EQ(MessageCount(), 0);
}

// Queued items are due at 3, 6, 7 and 9. Moving the Storage Silo (due at 9) to the front leaves
// three nodes whose turns will have passed when they come up: they are built one per update
// after it instead of stopping the colony.
TEST_F(StructureEconomy, ANodeWhoseTurnHasPassedIsBuiltInsteadOfBlockingTheColony)
{
    m_pMars->m_iEnergy = m_pMars->m_iMatter = 5000;
    for (int type : {V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER, V_TYPE_SHIPYARD, V_TYPE_STORAGE})
        ASSERT_EQ(QueueStructure(m_pColony, type), 0);
    BuildQueue *pQueue = m_pColony->m_pQueue;
    BuildNode *pSilo = pQueue->m_pLast, *pYard = pQueue->m_pFirst->m_pNext->m_pNext;
    EXPECT_EQ(pSilo->m_iTurns, 9);
    EXPECT_EQ(BuildQueueMoveFirst(pSilo, pQueue), 0);
    EXPECT_TRUE(pQueue->m_pFirst == pSilo && pQueue->m_pLast == pYard && !pYard->m_pNext);
    for (int turn = 1; turn <= 8; turn++)
        NextTurn();
    EXPECT_EQ(Turn(), "Storage built at  Mars. 3500/3500");
    for (int turn = 10; turn <= 12; turn++)
        NextTurn();
    EXPECT_EQ(m_pMars->m_cStructure, 5);
    EXPECT_EQ(m_pMars->m_ppStructure[4]->m_eType, V_TYPE_SHIPYARD);
    EXPECT_TRUE(pQueue->m_pFirst == nullptr && pQueue->m_pLast == nullptr);
}

// A queue holds at most 255 nodes, counted unsigned: past 127 a signed count reads negative and
// must not be taken for empty. Standing structures and those queued at the colony share the
// planet's 100 slots. Nothing refused is paid for.
TEST_F(StructureEconomy, AQueueHoldsAtMost255NodesAndAPlanetAHundredStructures)
{
    Structure *pShipyard = AddStructure(m_pMars, V_TYPE_SHIPYARD);
    m_pMars->m_iEnergy = m_pMars->m_iMatter = 1000000;
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_FAST), 0);
    BuildNode *pFirst = pShipyard->m_pQueue->m_pFirst;
    for (int i = 1; i < 255; i++) {
        ASSERT_EQ(BuildQueueIsFull(pShipyard->m_pQueue), 0);
        ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
        ASSERT_EQ(pShipyard->m_pQueue->m_pFirst, pFirst);
    }
    EXPECT_TRUE(BuildQueueCount(pShipyard->m_pQueue) == 255 && BuildQueueIsFull(pShipyard->m_pQueue));
    int energy = m_pMars->m_iEnergy, nodes = 0;
    EXPECT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 1);
    EXPECT_EQ(PlanetQueueShips(m_pMars, V_TYPE_SHIP_DRONE), 0);
    EXPECT_EQ(LastMessage(), "The Shipyard queue at Mars is full.");
    for (BuildNode *pNode = pShipyard->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
        nodes++;
    EXPECT_EQ(nodes, 255);

    while (m_pMars->m_cStructure < 98)
        AddStructure(m_pMars, V_TYPE_SAT_FAST);
    ASSERT_EQ(QueueStructure(m_pColony, V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(PlanetCanAddStructure(m_pMars), 1);
    ASSERT_EQ(QueueStructure(m_pColony, V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(PlanetCanAddStructure(m_pMars), 0);
    EXPECT_EQ(QueueStructure(m_pColony, V_TYPE_HARVESTER_ENERGY), 1);
    EXPECT_EQ(PlanetQueueStructure(m_pMars, V_TYPE_HARVESTER_ENERGY), 1);
    EXPECT_EQ(LastMessage(), "There is no room for more structures on Mars.");
    EXPECT_EQ(m_pMars->m_iEnergy, energy - 200);
    for (int i = 0; i < 6; i++)
        NextTurn();
    EXPECT_EQ(m_pMars->m_cStructure, 100);
}

}  // namespace
