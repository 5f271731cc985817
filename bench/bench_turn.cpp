// The end of one turn in the largest galaxy, 14 systems and 5 companies, after 500 turns of play:
// the computer companies' turns with their dump blocks, the universe update and the battles the
// turn starts. Each repetition plays the same seed to turn 500 untimed, then times 50 ends of turn.
// Goal: under 2 ms median.
#include <benchmark/benchmark.h>

#include "tests/world/soak_world.h"

namespace {

void BM_EndTurnAfter500Turns(benchmark::State &state)
{
    soak::ScratchDir dir;
    soak::StartGame(2026, 14, 5);
    for (int turn = 0; turn < 500 && !soak::GameIsOver(g_pUniverse); turn++)
        soak::PlayTurn();
    for (auto _ : state)
        EndTurn(nullptr);
    state.counters["turn"] = g_pUniverse->m_iTurn;
    soak::EndGame();
}
BENCHMARK(BM_EndTurnAfter500Turns)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
