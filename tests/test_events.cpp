// The event queue: first in, first out; nodes carry their data and are freed only when unlinked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/evqueue.h"
#include "game/evutils.h"
#include "game/window.h"

namespace {

EventNode *MakeKeyNode(uint32_t key)
{
    KeyEventData *pData = (KeyEventData *)calloc(1, sizeof(KeyEventData));
    pData->m_nKey = key;
    EventNode *pNode = nullptr;
    EXPECT_EQ(CreateEvent(&pNode, EV_KEY, 0, pData), 0);
    return pNode;
}

uint32_t KeyOf(const EventNode *pNode) { return ((const KeyEventData *)pNode->m_pData)->m_nKey; }

TEST(EventQueue, EventsComeOffInTheOrderTheyWentOn)
{
    EventQueue q;
    InitEventQueue(&q);
    EXPECT_EQ(q.m_nCount, 0);
    EXPECT_EQ(PopEvent(&q), nullptr);

    EventNode *e1 = MakeKeyNode(1), *e2 = MakeKeyNode(2), *e3 = MakeKeyNode(3);
    EXPECT_EQ(PushEvent(&q, e1), &q);
    PushEvent(&q, e2);
    PushEvent(&q, e3);
    EXPECT_EQ(q.m_nCount, 3);
    EXPECT_EQ(q.m_pHead, e1);
    EXPECT_EQ(q.m_pTail, e3);

    const int counts[] = {2, 1, 0};
    EventNode *expected[] = {e1, e2, e3};
    for (int i = 0; i < 3; i++) {
        EventNode *pNode = PopEvent(&q);
        ASSERT_EQ(pNode, expected[i]);
        EXPECT_EQ(pNode->m_pNext, nullptr);  // free to be freed or pushed again at once
        EXPECT_EQ(q.m_nCount, counts[i]);
        FreeEvent(pNode);
    }
    EXPECT_EQ(PopEvent(&q), nullptr);
    EXPECT_EQ(q.m_nCount, 0);
    EXPECT_EQ(q.m_pHead, nullptr);
    EXPECT_EQ(q.m_pTail, nullptr);

    // After the last node went, the next one is both ends.
    EventNode *d = MakeKeyNode(4);
    PushEvent(&q, d);
    EXPECT_EQ(q.m_pHead, d);
    EXPECT_EQ(q.m_pTail, d);
    EXPECT_EQ(q.m_nCount, 1);
    ClearEventQueue(&q);
}

TEST(EventQueue, APoppedNodeCanBePushedAgainBehindTheOthers)
{
    EventQueue q;
    InitEventQueue(&q);
    PushEvent(&q, MakeKeyNode(1));
    PushEvent(&q, MakeKeyNode(2));
    PushEvent(&q, PopEvent(&q));
    EventNode *pFirst = PopEvent(&q);
    EventNode *pSecond = PopEvent(&q);
    EXPECT_EQ(KeyOf(pFirst), 2u);
    EXPECT_EQ(KeyOf(pSecond), 1u);
    FreeEvent(pFirst);
    FreeEvent(pSecond);
}

TEST(EventQueue, ClearingFreesEveryNodeAndItsData)
{
    EventQueue q;
    InitEventQueue(&q);
    for (int i = 0; i < 5; i++)
        PushEvent(&q, MakeKeyNode((uint32_t)i));
    ClearEventQueue(&q);
    EXPECT_EQ(q.m_nCount, 0);
    EXPECT_EQ(q.m_pHead, nullptr);
    EXPECT_EQ(q.m_pTail, nullptr);
    ClearEventQueue(&q);  // an empty queue clears too
}

TEST(EventPosting, MouseEventsAreTranslatedIntoTheSurfacesCoordinates)
{
    EventQueue q;
    InitEventQueue(&q);
    Surface *pContent = CreateSurface(10, 10);
    PostMouseEvent(EV_RIGHT_BUTTON, 30, 12, -20, 5, pContent, &q);
    PostKeyEvent(EV_KEY, 27, pContent, &q);
    EventNode *pNode = PopEvent(&q);
    EXPECT_EQ(pNode->m_nType, (uint32_t)EV_RIGHT_BUTTON);
    EXPECT_EQ(pNode->m_nReserved, 0u);
    const MouseEventData *pMouse = (const MouseEventData *)pNode->m_pData;
    EXPECT_EQ(pMouse->m_pSurface, pContent);
    EXPECT_EQ(pMouse->m_x, 10);
    EXPECT_EQ(pMouse->m_y, 17);
    FreeEvent(pNode);
    pNode = PopEvent(&q);
    EXPECT_EQ(pNode->m_nType, (uint32_t)EV_KEY);
    EXPECT_EQ(KeyOf(pNode), 27u);
    EXPECT_EQ(((const KeyEventData *)pNode->m_pData)->m_pSurface, pContent);
    FreeEvent(pNode);
    DestroySurface(&pContent);
}

using EventQueueDeathTest = testing::Test;

TEST_F(EventQueueDeathTest, ANodeStillInAQueueCannotBeFreed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            EventQueue q;
            InitEventQueue(&q);
            EventNode *pFirst = MakeKeyNode(1);
            PushEvent(&q, pFirst);
            PushEvent(&q, MakeKeyNode(2));
            FreeEvent(pFirst);
        },
        "Assertion failed: pNode->m_pNext == NULL, module evutils");
    EXPECT_DEATH(FreeEvent(nullptr), "pNode != NULL");
    EXPECT_DEATH(
        {
            EventNode *pNode = nullptr;
            CreateEvent(&pNode, EV_KEY, 0, nullptr);
        },
        "pData != NULL");
    EXPECT_DEATH(PushEvent(nullptr, nullptr), "pNode && q");
    EXPECT_DEATH(PopEvent(nullptr), "q != NULL");
}

}  // namespace
