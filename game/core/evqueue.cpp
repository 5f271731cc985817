#include "game/core/evqueue.h"

#include "baseutilities/baseassert.h"
#include "game/core/evutils.h"

EventQueue g_eventQueue = {0, nullptr, nullptr};

void InitEventQueue(EventQueue *q)
{
    V_ASSERT(q != NULL);
    q->m_nCount = 0;
    q->m_pHead = nullptr;
    q->m_pTail = nullptr;
}

void ClearEventQueue(EventQueue *q)
{
    V_ASSERT(q != NULL);
    EventNode *pNode;
    while ((pNode = PopEvent(q)) != nullptr)
        FreeEvent(pNode);
    q->m_pTail = nullptr;
}

EventQueue *PushEvent(EventQueue *q, EventNode *pNode)
{
    V_ASSERT(pNode && q);
    if (q->m_pTail)
        q->m_pTail->m_pNext = pNode;
    else
        q->m_pHead = pNode;
    q->m_pTail = pNode;
    q->m_nCount++;
    return q;
}

// The popped node leaves with a null m_pNext, so it can be freed at once or pushed again.
EventNode *PopEvent(EventQueue *q)
{
    V_ASSERT(q != NULL);
    if (q->m_nCount == 0)
        return nullptr;
    EventNode *pNode = q->m_pHead;
    q->m_pHead = pNode->m_pNext;
    pNode->m_pNext = nullptr;
    if (q->m_pHead == nullptr)
        q->m_pTail = nullptr;
    q->m_nCount--;
    return pNode;
}

// One pass over the queue, rebuilding it from the nodes that stay.
int TakeEvents(EventQueue *q, EventTest pfnTest, void *pContext, EventQueue *pTaken)
{
    V_ASSERT(q != NULL && pfnTest != NULL && pTaken != NULL && pTaken != q);
    int taken = 0;
    int count = q->m_nCount;
    EventNode *pNode = q->m_pHead;
    InitEventQueue(q);
    for (int i = 0; i < count; i++) {
        EventNode *pNext = pNode->m_pNext;
        pNode->m_pNext = nullptr;
        if (pfnTest(pNode, pContext)) {
            PushEvent(pTaken, pNode);
            taken++;
        } else {
            PushEvent(q, pNode);
        }
        pNode = pNext;
    }
    return taken;
}
