#include "platform/platform.h"

#include <cstddef>

#include "baseutilities/baseassert.h"

static const PlatformBackend *s_pBackend = nullptr;

void PlatformInstall(const PlatformBackend *pBackend) { s_pBackend = pBackend; }

static const PlatformBackend *Backend(void)
{
    V_ASSERT(s_pBackend != nullptr);
    return s_pBackend;
}

int PlatformGetConsoleSize(int *pCols, int *pRows, const char **ppCall)
{
    return Backend()->GetConsoleSize(pCols, pRows, ppCall);
}

void PlatformRequestConsoleSize(int cols, int rows) { Backend()->RequestConsoleSize(cols, rows); }
int PlatformReadAnswerChar(void) { return Backend()->ReadAnswerChar(); }
int PlatformEnterScreen(const char **ppCall) { return Backend()->EnterScreen(ppCall); }
int PlatformSetTitle(const char *pTitle, const char **ppCall) { return Backend()->SetTitle(pTitle, ppCall); }
int PlatformIsFullScreen(void) { return Backend()->IsFullScreen(); }

void PlatformPresent(const PlatformCell *pCells, int cols, int rows)
{
    Backend()->Present(pCells, cols, rows);
}

// Leaving is also the assertion and exit clean-up, so it tolerates a missing backend.
void PlatformLeaveScreen(void)
{
    if (s_pBackend)
        s_pBackend->LeaveScreen();
}

int PlatformReadInput(PlatformInputRecord *pRecord) { return Backend()->ReadInput(pRecord); }
uint32_t PlatformMilliseconds(void) { return Backend()->Milliseconds(); }
void PlatformSleep(uint32_t ms) { Backend()->Sleep(ms); }
