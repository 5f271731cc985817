// console: the screen surface and the values every drawing module shares with it (the frame
// counter that animates pattern lines, the shared transparent cell). Setting up, presenting and
// shutting down the console come with the console module's functions.
#pragma once

#include <cstdint>

#include "game/2dutils.h"

extern uint32_t g_frameCounter;   // advanced once per drawn game frame; 0 when a game starts
extern Cell g_transCell;          // ('t', 0x00): the transparent cell of blits that have none of their own
