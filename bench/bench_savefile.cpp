// Saving and loading the largest galaxy there is: 14 systems, 5 companies, 500 turns played
// with fleets ordered around and queues full. Both must stay well under 100 ms: the player waits
// on them. Saving is measured whole (text, write, sync, rename) and as the text alone.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "game/core/messagelog.h"
#include "game/core/randutils.h"
#include "game/world/savefile.h"
#include "tests/world/save_world.h"

namespace {

struct LargestGame {
    Universe *pUniverse = nullptr;
    std::string fileName;
    LargestGame()
    {
        RandSeed(500);
        ShipCatalogueCreate();
        StructCatalogueCreate();
        UniverseCreate(&pUniverse, 14, 5);
        g_pUniverse = pUniverse;
        motion_test::ScriptedPlayer player = save_test::BusyPlayer(500);
        for (int turn = 0; turn < 500; turn += 50) {
            player.PlayTurns(pUniverse, 50);
            MessagesClear();
        }
        char pattern[] = "/tmp/vostrel-bench-XXXXXX";
        fileName = std::string(mkdtemp(pattern)) + "/vostrel_0.sauce";
        char why[SAVE_ERROR_MAX];
        SaveUniverse(fileName.c_str(), pUniverse, why, sizeof why);
    }
};

LargestGame &Game()
{
    static LargestGame s_game;
    return s_game;
}

void BM_SaveLargestGalaxy(benchmark::State &state)
{
    LargestGame &game = Game();
    char why[SAVE_ERROR_MAX];
    for (auto _ : state) {
        if (SaveUniverse(game.fileName.c_str(), game.pUniverse, why, sizeof why) != 0)
            state.SkipWithError(why);
    }
    std::string text;
    WriteUniverse(game.pUniverse, &text, why, sizeof why);
    state.counters["file_bytes"] = (double)text.size();
}
BENCHMARK(BM_SaveLargestGalaxy)->Unit(benchmark::kMillisecond);

void BM_WriteLargestGalaxyText(benchmark::State &state)
{
    LargestGame &game = Game();
    char why[SAVE_ERROR_MAX];
    std::string text;
    for (auto _ : state)
        WriteUniverse(game.pUniverse, &text, why, sizeof why);
}
BENCHMARK(BM_WriteLargestGalaxyText)->Unit(benchmark::kMillisecond);

void BM_LoadLargestGalaxy(benchmark::State &state)
{
    LargestGame &game = Game();
    char why[SAVE_ERROR_MAX];
    int nextId = g_nextObjectId;
    for (auto _ : state) {
        Universe *pLoaded = nullptr;
        if (LoadUniverse(game.fileName.c_str(), &pLoaded, why, sizeof why) != 0)
            state.SkipWithError(why);
        UniverseDestroy(&pLoaded);
    }
    g_nextObjectId = nextId;
}
BENCHMARK(BM_LoadLargestGalaxy)->Unit(benchmark::kMillisecond);

}  // namespace
