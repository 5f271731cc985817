#include "game/console.h"

uint32_t g_frameCounter = 0;
Cell g_transCell = {'t', 0x00};
