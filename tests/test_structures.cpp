// StructureEconomy and build queues: paying when queueing, the timing of both queues, income and the
// storage cap, the queue dialog's reorders, and the limits the build dialogs check.
#include "tests/econ_world.h"

#include <cstdio>

#include "game/armor.h"
#include "game/fleet.h"

namespace {

class StructureEconomy : public SmallWorld {
protected:
    // Mars (index 1): its name is padded by the messages' "%5s".
    Planet *Colonised(Company *pOwner)
    {
        Planet *pPlanet = PlanetAt(1);
        PlanetColonize(pPlanet, pOwner);
        return pPlanet;
    }
};

TEST_F(StructureEconomy, AShipyardCostsExactlyFiveHundredOfEach)
{
    Planet *pPlanet = Colonised(m_pHuman);
    Structure *pColony = PlanetGetColony(pPlanet);
    pPlanet->m_iEnergy = 499;
    pPlanet->m_iMatter = 500;
    EXPECT_EQ(QueueStructure(pColony, V_TYPE_SHIPYARD), 1);
    EXPECT_EQ(LastMessage(), "You have insufficient funds to build this structure.");
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0x9F);
    EXPECT_EQ(pPlanet->m_iEnergy, 499);
    EXPECT_EQ(pPlanet->m_iMatter, 500);
    EXPECT_EQ(pColony->m_pQueue->m_pFirst, nullptr);
    EXPECT_EQ(BuildQueueCount(pColony->m_pQueue), 0);

    pPlanet->m_iEnergy = 500;
    EXPECT_EQ(QueueStructure(pColony, V_TYPE_SHIPYARD), 0);
    EXPECT_EQ(LastMessage(), "Structure queued for construction.");
    EXPECT_EQ(pPlanet->m_iEnergy, 0);
    EXPECT_EQ(pPlanet->m_iMatter, 0);
    EXPECT_EQ(BuildQueueCount(pColony->m_pQueue), 1);
}

// Queued while the counter reads 10, finished on the update at which it reads 13, and the new
// harvester already yields on that update while the building Colony earns nothing.
TEST_F(StructureEconomy, AHarvesterIsReportedThenBuiltOnTurnNPlusBAndYieldsAtOnce)
{
    Planet *pPlanet = Colonised(m_pHuman);
    g_pUniverse->m_iTurn = 10;
    ASSERT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(PlanetGetColony(pPlanet)->m_pQueue->m_pFirst->m_iTurns, 13);
    EXPECT_EQ(pPlanet->m_iEnergy, 900);

    NextTurn();
    EXPECT_EQ(LastMessage(), "Human: 2 until Energy Harvester is built at  Mars.");
    NextTurn();
    EXPECT_EQ(LastMessage(), "Human: 1 until Energy Harvester is built at  Mars.");
    EXPECT_EQ(pPlanet->m_iEnergy, 900);
    EXPECT_EQ(pPlanet->m_cStructure, 1);

    NextTurn();
    ASSERT_EQ(g_pUniverse->m_iTurn, 13);
    EXPECT_EQ(LastMessage(), "Energy Harvester built at  Mars.");
    ASSERT_EQ(pPlanet->m_cStructure, 2);
    EXPECT_EQ(pPlanet->m_ppStructure[1]->m_eType, V_TYPE_HARVESTER_ENERGY);
    EXPECT_EQ(pPlanet->m_iEnergy, 900 + 250);
    EXPECT_EQ(pPlanet->m_iMatter, 900);
    EXPECT_EQ(m_pHuman->m_defenseScore, 1);

    NextTurn();  // the idle Colony earns again beside the harvester
    EXPECT_EQ(pPlanet->m_iEnergy, 1150 + 50 + 250);
    EXPECT_EQ(pPlanet->m_iMatter, 900 + 50);
}

TEST_F(StructureEconomy, AStructureQueuedBehindAnotherFinishesItsBuildTimeLater)
{
    Planet *pPlanet = Colonised(m_pAI);
    Structure *pColony = PlanetGetColony(pPlanet);
    ASSERT_EQ(QueueStructure(pColony, V_TYPE_HARVESTER_MATTER), 0);  // due at 3
    ASSERT_EQ(QueueStructure(pColony, V_TYPE_STORAGE), 0);           // due at 3 + 2
    EXPECT_EQ(pColony->m_pQueue->m_pLast->m_iTurns, 5);
    for (int turn = 1; turn <= 5; turn++) {
        NextTurn();
        EXPECT_EQ(pPlanet->m_cStructure, turn < 3 ? 1 : turn < 5 ? 2 : 3) << "turn " << turn;
    }
    EXPECT_EQ(PlanetHasStructure(pPlanet, V_TYPE_STORAGE), 1);
    EXPECT_EQ(BuildQueueCount(pColony->m_pQueue), 0);
    EXPECT_EQ(pColony->m_pQueue->m_pLast, nullptr);
}

// Build time 2: reported with 2 and 1, built on the third update. The price is paid at once and
// the catalogue upkeep of 5 and 5 when it is finished.
TEST_F(StructureEconomy, ADroneIsBuiltOnTheThirdUpdateAndWaitsInTheHold)
{
    Planet *pPlanet = Colonised(m_pHuman);
    Structure *pShipyard = Build(pPlanet, V_TYPE_SHIPYARD);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
    EXPECT_EQ(LastMessage(), "Ship queued for construction.");
    EXPECT_EQ(pPlanet->m_iEnergy, 900);
    EXPECT_EQ(pPlanet->m_iMatter, 900);

    NextTurn();
    EXPECT_EQ(LastMessage(), "Human: 2 until Rackham Corp. EG324 Dragon is built at  Mars.");
    NextTurn();
    EXPECT_EQ(LastMessage(), "Human: 1 until Rackham Corp. EG324 Dragon is built at  Mars.");
    EXPECT_EQ(pPlanet->m_pFleet->m_cShip, 0);
    NextTurn();
    ASSERT_EQ(pPlanet->m_pFleet->m_cShip, 1);
    Ship *pShip = (Ship *)pPlanet->m_pFleet->m_pShips->m_pHead->m_pData;
    EXPECT_EQ(pShip->m_eType, V_TYPE_SHIP_DRONE);
    EXPECT_EQ(pShip->m_pOwner, m_pHuman);
    EXPECT_EQ(pShip->m_pFleet, pPlanet->m_pFleet);
    char expected[64];
    snprintf(expected, sizeof expected, "%5s built at  Mars.", pShip->m_pName);  // short names padded
    EXPECT_EQ(LastMessage(), expected);
    EXPECT_EQ(pPlanet->m_iEnergy, 900 + 3 * 50 - 5);  // the Colony is idle all along
    EXPECT_EQ(pPlanet->m_iMatter, 900 + 3 * 50 - 5);
    EXPECT_EQ(m_pHuman->m_offenseScore, 1);
    EXPECT_EQ(BuildQueueCount(pShipyard->m_pQueue), 0);
}

TEST_F(StructureEconomy, OnlyTheFirstShipOfAQueueCountsDown)
{
    Planet *pPlanet = Colonised(m_pHuman);
    Structure *pShipyard = Build(pPlanet, V_TYPE_SHIPYARD);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_FAST), 0);
    for (int i = 0; i < 3; i++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_pFleet->m_cShip, 1);
    EXPECT_EQ(pShipyard->m_pQueue->m_pFirst->m_iTurns, 4);  // untouched while it waited
    for (int i = 0; i < 5; i++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_pFleet->m_cShip, 2);
}

// A shipyard on a planet without a hold makes one for the finished ship instead of losing it.
TEST_F(StructureEconomy, AShipFinishedWhereThereIsNoHoldGetsOne)
{
    Planet *pPlanet = PlanetAt(2);
    Structure *pShipyard = Build(pPlanet, V_TYPE_SHIPYARD);
    ASSERT_EQ(pPlanet->m_pFleet, nullptr);
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 15);  // no owner: plain white
    for (int i = 0; i < 3; i++)
        StructureUpdate(pShipyard);
    ASSERT_NE(pPlanet->m_pFleet, nullptr);
    EXPECT_EQ(pPlanet->m_pFleet->m_cShip, 1);
}

// Energy 10500 and matter 0: 250 steps bring the total to 10000, so matter ends at -250, and that
// negative store still pays for anything afterwards because stores compare unsigned.
TEST_F(StructureEconomy, TheStorageSiloCapsBothStoresOneUnitAStep)
{
    Planet *pPlanet = PlanetAt(2);
    pPlanet->m_pOwner = m_pAI;
    Structure *pSilo = Build(pPlanet, V_TYPE_STORAGE);
    pPlanet->m_iEnergy = 10500;
    pPlanet->m_iMatter = 0;
    StructureUpdate(pSilo);
    EXPECT_EQ(pPlanet->m_iEnergy, 10250);
    EXPECT_EQ(pPlanet->m_iMatter, -250);
    EXPECT_EQ(CountMessages("Stored resources exceed the maximum, decreasing"), 250);
    EXPECT_EQ(MessageCount(), 250);
    EXPECT_EQ(MessageAttr(0), 0xAF);

    Structure *pColony = Build(pPlanet, V_TYPE_COLONY);
    EXPECT_EQ(QueueStructure(pColony, V_TYPE_SHIPYARD), 0);
    EXPECT_EQ(pPlanet->m_iMatter, -750);
}

// Stores that have gone below zero together are not an overflow of the silo: no step, no message
// (an unsigned total would read them as four billion and step for hours).
TEST_F(StructureEconomy, NegativeStoresAreNotCappedBySilos)
{
    Planet *pPlanet = PlanetAt(2);
    Structure *pSilo = Build(pPlanet, V_TYPE_STORAGE);
    pPlanet->m_iEnergy = -5;
    pPlanet->m_iMatter = 0;
    StructureUpdate(pSilo);
    EXPECT_EQ(pPlanet->m_iEnergy, -5);
    EXPECT_EQ(pPlanet->m_iMatter, 0);
    EXPECT_EQ(MessageCount(), 0);
}

class Reorders : public StructureEconomy {
protected:
    BuildQueue *m_pQueue = nullptr;
    BuildNode *m_pNode[4] = {};

    void SetUp() override
    {
        StructureEconomy::SetUp();
        Structure *pColony = PlanetGetColony(Colonised(m_pHuman));
        pColony->m_pPlanet->m_iEnergy = pColony->m_pPlanet->m_iMatter = 5000;
        const int types[4] = {V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER, V_TYPE_SHIPYARD,
                              V_TYPE_STORAGE};  // due at 3, 6, 7, 9
        for (int type : types)
            ASSERT_EQ(QueueStructure(pColony, type), 0);
        m_pQueue = pColony->m_pQueue;
        BuildNode *pNode = m_pQueue->m_pFirst;
        for (int i = 0; i < 4; i++, pNode = pNode->m_pNext)
            m_pNode[i] = pNode;
    }

    std::string Order()
    {
        std::string order;
        for (BuildNode *pNode = m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
            order += std::to_string(pNode->m_eType) + "@" + std::to_string(pNode->m_iTurns) + " ";
        return order;
    }
};

TEST_F(Reorders, MovesRelinkNodesWithTheirTurns)
{
    EXPECT_EQ(Order(), "7@3 8@6 9@7 10@9 ");
    EXPECT_EQ(BuildQueueMoveLast(m_pNode[0], m_pQueue), 0);
    EXPECT_EQ(Order(), "8@6 9@7 10@9 7@3 ");
    EXPECT_EQ(m_pQueue->m_pLast, m_pNode[0]);
    EXPECT_EQ(BuildQueueMoveFirst(m_pNode[0], m_pQueue), 0);
    EXPECT_EQ(Order(), "7@3 8@6 9@7 10@9 ");
    EXPECT_EQ(m_pQueue->m_pLast, m_pNode[3]);
    EXPECT_EQ(BuildQueueMoveFirst(m_pNode[3], m_pQueue), 0);
    EXPECT_EQ(Order(), "10@9 7@3 8@6 9@7 ");
    EXPECT_EQ(m_pQueue->m_pLast, m_pNode[2]);
    EXPECT_EQ(BuildQueueMoveLast(m_pNode[2], m_pQueue), 0);  // already last
    EXPECT_EQ(BuildQueueMoveFirst(m_pNode[3], m_pQueue), 0); // already first
    EXPECT_EQ(Order(), "10@9 7@3 8@6 9@7 ");
    EXPECT_EQ(BuildQueueCount(m_pQueue), 4);
}

TEST_F(Reorders, ExchangesSwapValuesBetweenFixedNodes)
{
    EXPECT_EQ(BuildQueueMoveUp(m_pNode[1], m_pQueue), 0);
    EXPECT_EQ(Order(), "8@6 7@3 9@7 10@9 ");
    EXPECT_EQ(m_pQueue->m_pFirst, m_pNode[0]);
    EXPECT_EQ(BuildQueueMoveDown(m_pNode[2], m_pQueue), 0);
    EXPECT_EQ(Order(), "8@6 7@3 10@9 9@7 ");
    EXPECT_EQ(m_pQueue->m_pLast, m_pNode[3]);
}

TEST_F(Reorders, NodesOutsideTheQueueOrWithoutANeighbourGiveFifteen)
{
    BuildNode stranger = {nullptr, V_TYPE_SHIPYARD, 1};
    EXPECT_EQ(BuildQueueMoveFirst(&stranger, m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveLast(&stranger, m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveUp(&stranger, m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveDown(&stranger, m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveFirst(nullptr, m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveUp(m_pNode[0], m_pQueue), 15);
    EXPECT_EQ(BuildQueueMoveDown(m_pNode[3], m_pQueue), 15);
    EXPECT_EQ(Order(), "7@3 8@6 9@7 10@9 ");
}

// Moving the Storage Silo (due at 9) to the front leaves three nodes whose turns will have passed
// when they come up. They are built one per update after it instead of stopping the colony.
TEST_F(Reorders, ANodeWhoseTurnHasPassedIsBuiltInsteadOfBlockingTheColony)
{
    BuildQueueMoveFirst(m_pNode[3], m_pQueue);
    Planet *pPlanet = PlanetAt(1);
    for (int turn = 1; turn <= 8; turn++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 1);
    EXPECT_EQ(LastMessage(), "Human: 1 until Storage Silo is built at  Mars.");
    for (int turn = 9; turn <= 12; turn++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 5);
    EXPECT_EQ(pPlanet->m_ppStructure[1]->m_eType, V_TYPE_STORAGE);
    EXPECT_EQ(pPlanet->m_ppStructure[4]->m_eType, V_TYPE_SHIPYARD);
    EXPECT_EQ(m_pQueue->m_pFirst, nullptr);
}

TEST_F(StructureEconomy, AQueueHoldsAtMost255NodesAndCountsThemUnsigned)
{
    Planet *pPlanet = Colonised(m_pHuman);
    Structure *pShipyard = Build(pPlanet, V_TYPE_SHIPYARD);
    pPlanet->m_iEnergy = pPlanet->m_iMatter = 1000000;
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_FAST), 0);
    BuildNode *pFirst = pShipyard->m_pQueue->m_pFirst;
    for (int i = 1; i < 255; i++) {
        ASSERT_EQ(BuildQueueIsFull(pShipyard->m_pQueue), 0);
        ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);
        // Past 127 the signed count reads negative: the queue must not take that for empty.
        ASSERT_EQ(pShipyard->m_pQueue->m_pFirst, pFirst);
    }
    EXPECT_EQ(BuildQueueCount(pShipyard->m_pQueue), 255);
    EXPECT_EQ(BuildQueueIsFull(pShipyard->m_pQueue), 1);
    int energy = pPlanet->m_iEnergy;
    EXPECT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 1);
    EXPECT_EQ(pPlanet->m_iEnergy, energy);
    int nodes = 0;
    for (BuildNode *pNode = pShipyard->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
        nodes++;
    EXPECT_EQ(nodes, 255);
}

// Standing structures and those queued at the colony share the planet's 100 slots.
TEST_F(StructureEconomy, APlanetTakesNoStructureBeyondItsHundredSlots)
{
    Planet *pPlanet = Colonised(m_pHuman);
    while (pPlanet->m_cStructure < 98)
        Build(pPlanet, V_TYPE_SAT_FAST);
    EXPECT_EQ(PlanetCanAddStructure(pPlanet), 1);
    ASSERT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(PlanetCanAddStructure(pPlanet), 1);
    ASSERT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_ENERGY), 0);
    EXPECT_EQ(PlanetCanAddStructure(pPlanet), 0);
    int energy = pPlanet->m_iEnergy;
    EXPECT_EQ(QueueStructure(PlanetGetColony(pPlanet), V_TYPE_HARVESTER_ENERGY), 1);
    EXPECT_EQ(pPlanet->m_iEnergy, energy);
    for (int i = 0; i < 6; i++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 100);
}

// Building finished sends a BUILDING planet back to the state it had before; a planet still
// building elsewhere, or not in BUILDING, keeps its state.
TEST_F(StructureEconomy, FinishingTheLastQueuedItemEndsThePlanetsBuildingState)
{
    Planet *pPlanet = Colonised(m_pAI);
    Structure *pColony = PlanetGetColony(pPlanet);
    Structure *pShipyard = Build(pPlanet, V_TYPE_SHIPYARD);
    pPlanet->m_aiLastState = PLANET_AI_NEW_COLONY;
    pPlanet->m_aiState = PLANET_AI_BUILDING;
    ASSERT_EQ(QueueStructure(pColony, V_TYPE_SHIPYARD), 0);    // due at 1
    ASSERT_EQ(QueueShip(pShipyard, V_TYPE_SHIP_DRONE), 0);     // built on the third update
    NextTurn();
    EXPECT_EQ(pPlanet->m_aiState, PLANET_AI_BUILDING);
    NextTurn();
    NextTurn();
    EXPECT_EQ(pPlanet->m_aiState, PLANET_AI_NEW_COLONY);
    EXPECT_EQ(pPlanet->m_aiLastState, PLANET_AI_IDLE);

    ASSERT_EQ(QueueStructure(pColony, V_TYPE_HARVESTER_MATTER), 0);
    for (int i = 0; i < 3; i++)
        NextTurn();
    EXPECT_EQ(pPlanet->m_cStructure, 4);
    EXPECT_EQ(pPlanet->m_aiState, PLANET_AI_NEW_COLONY);
}

TEST_F(StructureEconomy, ConvenienceCreatorsAndWhatEachStructureFires)
{
    Planet *pPlanet = PlanetAt(0);
    Structure *pStructure = nullptr;
    StructureCreateHarvester(&pStructure, pPlanet, 2);
    EXPECT_EQ(pStructure->m_eType, V_TYPE_HARVESTER_ENERGY);
    StructureDestroy(&pStructure);
    StructureCreateHarvester(&pStructure, pPlanet, 1);
    EXPECT_EQ(pStructure->m_eType, V_TYPE_HARVESTER_MATTER);
    StructureDestroy(&pStructure);
    StructureCreateStorage(&pStructure, pPlanet);
    EXPECT_EQ(pStructure->m_iParam, 10000);
    EXPECT_EQ(StructureFirepower(pStructure), 0);
    StructureDestroy(&pStructure);
    StructureCreate(&pStructure, pPlanet, V_TYPE_SAT_HEAVY);
    EXPECT_EQ(StructureFirepower(pStructure), 50);
    StructureDestroy(&pStructure);
    StructureCreate(&pStructure, pPlanet, V_TYPE_SAT_VAVUVUR);
    EXPECT_EQ(StructureFirepower(pStructure), 0);  // "All" deals nothing in battle
    pStructure->m_pArmor->m_iHp = 1;
    EXPECT_EQ(StructureCheckDestroyed(pStructure), 0);
    pStructure->m_pArmor->m_iHp = 0;
    EXPECT_EQ(StructureCheckDestroyed(pStructure), 1);
    EXPECT_EQ(pStructure->m_bDestroyed, 1);
    StructureDestroy(&pStructure);
}

TEST_F(StructureEconomy, QueueingRefusesWhatEachQueueCannotBuild)
{
    Planet *pPlanet = Colonised(m_pHuman);
    Structure *pColony = PlanetGetColony(pPlanet);
    EXPECT_EQ(QueueShip(nullptr, V_TYPE_SHIP_DRONE), 1);
    EXPECT_EQ(QueueShip(pColony, V_TYPE_SHIP_DRONE), 1);  // ships come from shipyards only
    EXPECT_EQ(QueueStructure(pColony, V_TYPE_COLONY), 1); // colonies are founded, not built
    EXPECT_EQ(pPlanet->m_iEnergy, 1000);
    EXPECT_EQ(MessageCount(), 0);
}

TEST(StructureEconomyDeathTest, QueueingAtANullColonyStops)
{
    EXPECT_DEATH(QueueStructure(nullptr, V_TYPE_SHIPYARD), "pColony != NULL");
}

}  // namespace
