// The turn without a screen: the per-system step (fleets, sight, planets with their holds, gates),
// the universe step, and whole generated galaxies run for a thousand turns with fleets ordered
// around, checked for consistency every turn and torn down without leaks; the same script over a
// few seeds replayed against checked-in digests.
#include <cstdio>
#include <fstream>
#include <string>

#include "game/world/battle.h"
#include "game/world/structure.h"
#include "game/world/turn.h"
#include "tests/world/motion_world.h"
#include "tests/world/soak_world.h"

namespace motion_test {
namespace {

using Turns = World;

// The walk takes the next fleet first, so fleets leaving the list during their own update let
// every other fleet move once: the first merges into the third and is released, the second warps
// to system 1, which comes later in the turn and must not update it again, the fourth moves on.
// Then sight: a planet within a fleet's sight of 20 is known (flag 2); out of sight on a later
// turn, flag 2 becomes flag 4. Exactly 20 away is out of sight.
TEST_F(Turns, EveryFleetMovesOnceThoughSomeLeaveTheListAndThenSightIsUpdated)
{
    Fleet *pMerger = SpaceFleet(0, 0, Coord{30, 30}, {V_TYPE_SHIP_DRONE});
    Fleet *pWarper = SpaceFleet(0, 0, Coord{80, 10}, {V_TYPE_SHIP_FAST});
    Fleet *pHost = SpaceFleet(0, 0, Coord{30, 34}, {V_TYPE_SHIP_FAST});
    Fleet *pMover = SpaceFleet(0, 0, Coord{40, 70}, {V_TYPE_SHIP_FAST});
    Fleet *pScout = SpaceFleet(0, 0, Coord{60, 41}, {V_TYPE_SHIP_DRONE});  // 19 from (60, 60)
    FleetMoveToFleet(pMerger, pHost);
    Gate(0, 0)->m_bActive = 1;
    pWarper->m_pTargetGate = Gate(0, 0);
    pWarper->m_eState = FLEET_WARP;
    FleetMoveToCoord(pMover, Coord{40, 90});
    EXPECT_EQ(UniverseUpdate(g_pUniverse), 0);
    EXPECT_TRUE(pHost->m_cShip == 2 && pHost->m_iEnergy == 1 - 200);  // upkeep for the drone too
    EXPECT_TRUE(pWarper->m_pSystem == SystemAt(1) && pWarper->m_iEnergy == 1 - 100);
    EXPECT_EQ(pMover->m_pos.m_y, 74);
    EXPECT_TRUE(SystemAt(0)->m_pFleets->m_cItem == 3 && SystemAt(1)->m_pFleets->m_cItem == 1);
    EXPECT_EQ(PlanetAt(0, 2)->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_KNOWN);
    pScout->m_pos = Coord{60, 40};
    UniverseUpdate(g_pUniverse);
    EXPECT_EQ(PlanetAt(0, 2)->m_bFlags & (PLANET_KNOWN | PLANET_SHADED), PLANET_SHADED);
    EXPECT_TRUE(pWarper->m_iEnergy == 1 - 200 && g_pUniverse->m_iTurn == 2);
}

// A thousand turns of generated galaxies. Owned planets build a Shipyard, then ships there while
// they can pay; holds with ships and waiting fleets are sent now and then to a planet, a gate, the
// system's first fleet or a point; in half the runs battles are fought. After every turn the soak's
// invariants hold (soak_world.h: one holder per fleet, one fleet per ship, a hold on every owned
// planet, no pointer at a fleet out of play, colonies counted right); the teardown leaves nothing.

class ScriptedPlay : public World {
protected:
    Catalogues m_catalogues;
    void SetUp() override {}

    // Generates the seed's galaxy as the game does, for a run of the script seeded alike.
    void Generate(unsigned seed)
    {
        RandSeed(seed);
        m_player.Seed(seed);
        int companies = RandInt(4) + 2;
        ASSERT_EQ(UniverseCreate(&g_pUniverse, RandInt(10) + 5, companies), 0);
    }

    ScriptedPlayer m_player;
};

class Soak : public ScriptedPlay, public ::testing::WithParamInterface<unsigned> {};

TEST_P(Soak, AThousandTurnsOfOrdersKeepTheWorldWholeAndTearDownClean)
{
    ASSERT_NO_FATAL_FAILURE(Generate(GetParam()));
    static int s_released;
    s_released = 0;
    FleetSetReleaseListener([](Fleet *) { s_released++; });
    // Odd seeds fight real battles, the player's side chosen by the computer's rule as no screen
    // is there; even seeds run without battles.
    if (GetParam() % 2)
        BattleInit();
    int battles = 0;
    for (int turn = 0; turn < 1000; turn++) {
        ASSERT_EQ(m_player.PlayTurns(g_pUniverse, 1), 0) << "turn " << turn;
        ResolveBattles();
        ASSERT_EQ(soak::CheckInvariants(g_pUniverse), "") << "turn " << turn;
        battles += CountMessages("You have encountered an enemy fleet!");
        MessagesClear();
    }
    BattleShutdown();
    EXPECT_TRUE(GetParam() % 2 == 0 || battles > 0);
    // The orders did make things happen: fleets merged, docked or disbanded, colonies were
    // founded, shipyards delivered ships.
    int colonies = 0, offense = 0;
    for (int c = 0; c < g_pUniverse->m_cCompany; c++) {
        colonies += g_pUniverse->m_ppCompany[c]->m_cColony;
        offense += g_pUniverse->m_ppCompany[c]->m_offenseScore;
    }
    EXPECT_TRUE(g_pUniverse->m_iTurn == 1000 && s_released > 0 && colonies > g_pUniverse->m_cCompany && offense > 0)
        << s_released << " released, " << colonies << " colonies, " << offense << " ships built";
}

const unsigned SEEDS[] = {1, 2, 3, 1234, 99999};
INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::ValuesIn(SEEDS));

// Seeded replays: the soak's script and seeds for 120 turns, each run summed up in one line (turn,
// colonies per company, all planets' stores, fleets with a hash of where they are and what they
// hold, the messages told) and compared with tests/world/replays.txt. A change to generation or to
// the turn shows up there as a diff. When it is intended, review the new lines the failure prints
// and write them with: VOSTREL_UPDATE_REPLAYS=1 ./vostrel_world_tests --gtest_filter='Replays.*'

std::string Digest(unsigned seed, int messages)
{
    const Universe *pUniverse = g_pUniverse;
    std::string colonies;
    for (int c = 0; c < pUniverse->m_cCompany; c++)
        colonies += (c ? " " : "") + std::to_string(pUniverse->m_ppCompany[c]->m_cColony);
    long long energy = 0, matter = 0;
    int fleets = 0;
    uint32_t hash = 2166136261u;  // 32-bit FNV-1a over each value's eight bytes, lowest first
    auto add = [&](const Fleet *pFleet, int where) {
        fleets++;
        for (long long value : {(long long)where, (long long)pFleet->m_pos.m_x, (long long)pFleet->m_pos.m_y,
                                (long long)pFleet->m_cShip, (long long)pFleet->m_eState})
            for (int i = 0; i < 8; i++, value >>= 8)
                hash = (hash ^ (uint32_t)(value & 0xFF)) * 16777619u;
    };
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (const ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            add((const Fleet *)pNode->m_pData, s);
        for (int p = 0; p < pSystem->m_cPlanet; p++) {
            const Planet *pPlanet = pSystem->m_ppPlanet[p];
            energy += pPlanet->m_iEnergy;
            matter += pPlanet->m_iMatter;
            if (pPlanet->m_pFleet)
                add(pPlanet->m_pFleet, 1000 * (s + 1) + p);
        }
    }
    char line[256];
    snprintf(line, sizeof line, "seed %u: turn %d, colonies %s, stores %lld/%lld, fleets %d %08x, messages %d", seed,
             pUniverse->m_iTurn, colonies.c_str(), energy, matter, fleets, hash, messages);
    return line;
}

using Replays = ScriptedPlay;

TEST_F(Replays, SeededGamesEndAsTheCheckedInDigestsSay)
{
    FleetSetEncounterHandler(LoseFirstShipsAndReturn);
    std::string digests;
    for (unsigned seed : SEEDS) {
        ASSERT_NO_FATAL_FAILURE(Generate(seed));
        int messages = 0;
        for (int turn = 0; turn < 120; turn++) {
            ASSERT_EQ(m_player.PlayTurns(g_pUniverse, 1), 0) << "seed " << seed << ", turn " << turn;
            messages += MessageCount();
            MessagesClear();
        }
        digests += Digest(seed, messages) + "\n";
        UniverseDestroy(&g_pUniverse);
    }
    const std::string path = VOSTREL_SOURCE_DIR "/tests/world/replays.txt";
    if (getenv("VOSTREL_UPDATE_REPLAYS"))
        std::ofstream(path) << digests;
    EXPECT_EQ(FileText(path), digests) << "the replays changed; if that is intended, review the lines above and "
                                    "rerun with VOSTREL_UPDATE_REPLAYS=1 to write them to " << path;
}

}  // namespace
}  // namespace motion_test
