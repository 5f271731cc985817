// The save reader under libFuzzer: any bytes are either refused with a reason (leaving nothing
// allocated and no global changed) or read into a world that writes back to the very same text
// and reads again. Built by `make fuzz` with clang; never part of the ordinary build.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/world/savefile.h"
#include "game/world/universe.h"
#include "game/world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    Universe *pUniverse = nullptr;
    char why[SAVE_ERROR_MAX] = "";
    int nextId = 0;
    int before = g_nextObjectId;
    if (ReadUniverse((const char *)pData, size, &pUniverse, &nextId, why, sizeof why) != 0) {
        if (pUniverse || why[0] == '\0' || g_nextObjectId != before)
            abort();
        return 0;
    }
    // The text written again reads again and writes the same.
    int saved = g_nextObjectId;
    g_nextObjectId = nextId;
    std::string text, again;
    if (WriteUniverse(pUniverse, &text, why, sizeof why) != 0)
        abort();
    Universe *pAgain = nullptr;
    if (ReadUniverse(text.data(), text.size(), &pAgain, &nextId, why, sizeof why) != 0) {
        fprintf(stderr, "written text refused: %s\n", why);
        abort();
    }
    if (WriteUniverse(pAgain, &again, why, sizeof why) != 0 || again != text)
        abort();
    g_nextObjectId = saved;
    UniverseDestroy(&pAgain);
    UniverseDestroy(&pUniverse);
    return 0;
}
