// The event queue: first in, first out; nodes carry their data and are freed only when unlinked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/core/evqueue.h"
#include "game/core/evutils.h"

namespace {

EventNode *MakeKeyNode(uint32_t key)
{
    KeyEventData *pData = (KeyEventData *)calloc(1, sizeof(KeyEventData));
    pData->m_nKey = key;
    EventNode *pNode = nullptr;
    EXPECT_EQ(CreateEvent(&pNode, EV_KEY, 0, pData), 0);
    return pNode;
}

// Pops every node, which must carry these keys in order and come off unlinked, and frees it; the
// queue is then empty at both ends.
void ExpectPops(EventQueue *q, const std::vector<uint32_t> &keys)
{
    EXPECT_EQ(q->m_nCount, (int)keys.size());
    for (uint32_t key : keys) {
        EventNode *pNode = PopEvent(q);
        ASSERT_NE(pNode, nullptr);
        EXPECT_EQ(((const KeyEventData *)pNode->m_pData)->m_nKey, key);
        EXPECT_EQ(pNode->m_pNext, nullptr);  // free to be freed or pushed again at once
        FreeEvent(pNode);
    }
    EXPECT_EQ(PopEvent(q), nullptr);
    EXPECT_TRUE(q->m_nCount == 0 && q->m_pHead == nullptr && q->m_pTail == nullptr);
}

TEST(EventQueue, EventsComeOffInOrderTakingKeepsTheRestLinkedAndClearingFreesAll)
{
    EventQueue q, taken;
    InitEventQueue(&q);
    InitEventQueue(&taken);
    EXPECT_EQ(PopEvent(&q), nullptr);
    for (uint32_t key = 1; key <= 3; key++)
        EXPECT_EQ(PushEvent(&q, MakeKeyNode(key)), &q);
    PushEvent(&q, PopEvent(&q));  // a popped node can go on again, behind the others
    ExpectPops(&q, {2, 3, 1});
    // After the last node went, the next one is both ends; clearing frees every node and its data.
    EventNode *pNode = MakeKeyNode(4);
    PushEvent(&q, pNode);
    EXPECT_TRUE(q.m_nCount == 1 && q.m_pHead == pNode && q.m_pTail == pNode);
    PushEvent(&q, MakeKeyNode(5));
    ClearEventQueue(&q);
    ExpectPops(&q, {});

    for (uint32_t key = 1; key <= 6; key++)
        PushEvent(&q, MakeKeyNode(key));
    auto even = [](const EventNode *pEvent, void *) { return ((const KeyEventData *)pEvent->m_pData)->m_nKey % 2 == 0; };
    EXPECT_EQ(TakeEvents(&q, even, nullptr, &taken), 3);
    PushEvent(&q, MakeKeyNode(7));  // the kept tail is the last kept node
    ExpectPops(&q, {1, 3, 5, 7});
    ExpectPops(&taken, {2, 4, 6});
}

TEST(EventQueueDeathTest, ANodeStillInAQueueCannotBeFreed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EventQueue q;
    InitEventQueue(&q);
    EventNode *pFirst = MakeKeyNode(1);
    PushEvent(&q, pFirst);
    PushEvent(&q, MakeKeyNode(2));
    EXPECT_DEATH(FreeEvent(pFirst), "Assertion failed: pNode->m_pNext == NULL, module evutils");
    ClearEventQueue(&q);
}

}  // namespace
