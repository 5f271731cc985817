// evutils: the kinds of event and the data records they carry, and making and freeing event
// nodes. Posters (the window manager's PostMouseEvent and PostKeyEvent) allocate the data on the
// heap; the node owns it from then on and FreeEvent releases both.
#pragma once

#include <cstdint>

#include "game/core/evqueue.h"

struct Surface;

// Event types: one bit value per event.
enum {
    EV_MOUSE_UP = 0,         // no button (or an unusual combination) over a view's content
    EV_LEFT_BUTTON = 1,
    EV_RIGHT_BUTTON = 2,
    EV_MIDDLE_BUTTON = 4,
    EV_DOUBLE_CLICK = 8,
    EV_KEY = 16,
};

struct MouseEventData {
    Surface *m_pSurface;     // the content surface under the pointer, or the screen surface
    int32_t m_x;             // column in that surface's own coordinates
    int32_t m_y;             // row in that surface's own coordinates
};

struct KeyEventData {
    Surface *m_pSurface;     // the screen surface
    uint32_t m_nKey;         // the virtual-key code (KEY_* in input.h)
    uint32_t m_nUnused;      // never set by posters
};

/* Nodes. */
// Makes a node holding pData (which it then owns). Returns 0, or 1 when memory ran out.
int CreateEvent(EventNode **ppNode, uint32_t type, uint32_t reserved, void *pData);
// Frees the node and its data; the node must not be linked into a queue.
void FreeEvent(EventNode *pNode);
