// The message log grows for the whole game. Appending one message must cost the same whether the
// log holds ten messages or a hundred thousand, and drawing the log view each frame must not
// depend on its length at all. For contrast, the log is also grown by rebuilding its content
// surface on every message, which costs in proportion to the log.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "game/core/2dutils.h"
#include "game/core/console.h"
#include "game/core/messagelog.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"

namespace {

enum { LOG_WIDTH = 30 };  // the log view is 31 columns: the text and its scroll bar

const char *const MESSAGES[] = {
    "End of turn",
    "Tarsis IV has finished building a Shipyard",
    "A Colony Mothership of Human has colonized Vega Minor",
    "Fleet 412 arrived",
};

// The log view as the game screen makes it, fed by AddMessage through the listener.
struct Log {
    Scroller *pView = nullptr;
    Log()
    {
        Surface *pContent = CreateSurface(LOG_WIDTH, 1);
        FillSurface(pContent, Cell{' ', 0x0C});
        CreateScroller(&pView, LOG_WIDTH + 1, 8, pContent, 0, 0);
        s_pView = pView;
        MessageSetListener(Append);
    }
    ~Log()
    {
        MessageSetListener(nullptr);
        MessagesClear();
        LogViewForget(pView->m_pContent);
        DestroySurface(&pView->m_pContent);
        DestroyScroller(&pView);
    }
    static void Append(const char *pText, unsigned char attr) { LogViewAppend(s_pView, pText, attr); }
    static inline Scroller *s_pView = nullptr;
};

using Clock = std::chrono::steady_clock;

// Times the appends that follow the first n - 1 messages, one at a time.
void BM_AppendMessage(benchmark::State &state)
{
    Log log;
    int before = (int)state.range(0) - 1;
    for (int i = 0; i < before; i++)
        AddMessage(MESSAGES[i % 4], 0x0F);
    int i = before;
    for (auto _ : state) {
        auto start = Clock::now();
        AddMessage(MESSAGES[i++ % 4], 0x0F);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["log_rows"] = log.pView->m_pContent->m_nHeight;
}
BENCHMARK(BM_AppendMessage)->Arg(10)->Arg(1000)->Arg(100000)->Iterations(200)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The log as it would be if every message built a new content surface and copied the old one.
void AppendByRebuilding(Scroller *pView, const char *pText, unsigned char attr)
{
    Cell *pCells = MakeCellString(pText, attr);
    Surface *pWrapped = WrapText(pCells, LOG_WIDTH);
    Surface *pOld = pView->m_pContent;
    Surface *pNew = CreateSurface(LOG_WIDTH, pOld->m_nHeight + pWrapped->m_nHeight);
    FillSurface(pNew, Cell{' ', 0x0B});
    pView->m_nScrollY = pOld->m_nHeight - pView->m_pView->m_nHeight + pWrapped->m_nHeight;
    BlitSurface(&g_origin, pNew, pOld, &g_transCell);
    Coord at = {0, pOld->m_nHeight};
    BlitSurface(&at, pNew, pWrapped, &g_transCell);
    DestroySurface(&pOld);
    pView->m_pContent = pNew;
    DestroySurface(&pWrapped);
    free(pCells);
}

void BM_AppendByRebuilding(benchmark::State &state)
{
    // A log of about n messages (one and a half rows each), made in one go.
    int rows = (int)(state.range(0) * 3 / 2);
    Surface *pContent = CreateSurface(LOG_WIDTH, rows);
    FillSurface(pContent, Cell{'.', 0x0F});
    Scroller *pView = nullptr;
    CreateScroller(&pView, LOG_WIDTH + 1, 8, pContent, 0, 0);
    int i = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        AppendByRebuilding(pView, MESSAGES[i++ % 4], 0x0F);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    DestroySurface(&pView->m_pContent);
    DestroyScroller(&pView);
}
BENCHMARK(BM_AppendByRebuilding)->Arg(10)->Arg(1000)->Arg(100000)->Iterations(200)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// What the window manager does with the log every frame.
void BM_RenderLogView(benchmark::State &state)
{
    Log log;
    for (int i = 0; i < state.range(0); i++)
        AddMessage(MESSAGES[i % 4], 0x0F);
    for (auto _ : state)
        RenderScroller(log.pView);
}
BENCHMARK(BM_RenderLogView)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
