// evqueue: the first-in, first-out queue of event nodes. The window manager appends what the
// player did; the game loop, the battle screens and the list handler take events off the front.
// A node belongs to the queue from PushEvent until PopEvent (or TakeEvents) and to whoever took it
// afterwards. Nothing else links or unlinks nodes.
#pragma once

#include <cstdint>

struct EventNode {
    EventNode *m_pNext;     // next newer node; null for the tail and for every node outside a queue
    uint32_t m_nType;       // EV_* (game/evutils.h)
    uint32_t m_nReserved;   // always 0: every poster passes 0
    void *m_pData;          // heap record (MouseEventData or KeyEventData); owned by the node
};

struct EventQueue {
    int m_nCount;           // nodes in the queue
    EventNode *m_pHead;     // oldest, the next to be taken; null when empty
    EventNode *m_pTail;     // newest; null when empty
};

// Says whether TakeEvents takes the node; pContext is the caller's.
typedef bool (*EventTest)(const EventNode *pNode, void *pContext);

// The main event queue: initialised once by the main program and never cleared.
extern EventQueue g_eventQueue;

/* Queue operations. */
void InitEventQueue(EventQueue *q);
void ClearEventQueue(EventQueue *q);
EventQueue *PushEvent(EventQueue *q, EventNode *pNode);
EventNode *PopEvent(EventQueue *q);
// Moves the nodes that pass the test, in their order, to the back of pTaken; the others stay in q
// in their order. Returns the number moved.
int TakeEvents(EventQueue *q, EventTest pfnTest, void *pContext, EventQueue *pTaken);
