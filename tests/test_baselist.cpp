// The list, its iterator and its queue and stack views.
#include <gtest/gtest.h>

#include "baseutilities/baselist.h"

namespace {

int a = 1, b = 2, c = 3;

// Walks the list both ways and checks the links agree with the count.
void ExpectConsistent(List *list)
{
    int forward = 0;
    ListNode *pPrev = nullptr;
    for (ListNode *p = list->m_pHead; p; p = p->m_pNext, forward++) {
        EXPECT_EQ(p->m_pPrev, pPrev);
        pPrev = p;
    }
    EXPECT_EQ(pPrev, list->m_pTail);
    EXPECT_EQ(forward, list->m_cItem);
    EXPECT_EQ(list->m_pHead == nullptr, list->m_pTail == nullptr);
}

TEST(List, SingleElementIsHeadAndTailAndRemovingItEmptiesTheList)
{
    List *list = ListCreate();
    ListAppend(list, &a);
    EXPECT_EQ(list->m_pHead, list->m_pTail);
    EXPECT_EQ(list->m_pHead->m_pData, &a);
    EXPECT_EQ(ListRemove(list, &a), &a);
    EXPECT_EQ(list->m_pHead, nullptr);
    EXPECT_EQ(list->m_pTail, nullptr);
    EXPECT_EQ(list->m_cItem, 0);
    EXPECT_EQ(ListIsEmpty(list), 1);
    ListDestroy(list);
}

TEST(List, AppendPrependAndRemoveKeepTheLinksConsistent)
{
    List *list = ListCreate();
    ListAppend(list, &b);
    ListPrepend(list, &a);
    ListAppend(list, &c);
    ExpectConsistent(list);
    EXPECT_EQ(list->m_pHead->m_pData, &a);
    EXPECT_EQ(list->m_pTail->m_pData, &c);

    EXPECT_EQ(ListRemoveAt(list, 1), &b);  // the middle
    ExpectConsistent(list);
    EXPECT_EQ(ListRemoveAt(list, 1), &c);  // the tail
    ExpectConsistent(list);
    EXPECT_EQ(list->m_pTail->m_pData, &a);
    EXPECT_EQ(ListRemoveAt(list, 0), &a);  // the last one
    ExpectConsistent(list);
    ListDestroy(list);
}

TEST(List, RemoveAtPastTheEndRemovesNothing)
{
    List *list = ListCreate();
    ListAppend(list, &a);
    ListAppend(list, &b);
    EXPECT_EQ(ListRemoveAt(list, 2), nullptr);
    EXPECT_EQ(ListRemoveAt(list, -1), nullptr);
    EXPECT_EQ(list->m_cItem, 2);
    EXPECT_EQ(ListRemoveNode(list, nullptr), nullptr);
    EXPECT_EQ(list->m_cItem, 2);
    ListDestroy(list);
}

TEST(List, RemoveTakesOnlyTheOccurrenceNearestTheHead)
{
    List *list = ListCreate();
    ListAppend(list, &a);
    ListAppend(list, &b);
    ListAppend(list, &a);
    EXPECT_EQ(ListRemove(list, &a), &a);
    EXPECT_EQ(list->m_cItem, 2);
    EXPECT_EQ(list->m_pHead->m_pData, &b);
    EXPECT_EQ(list->m_pTail->m_pData, &a);
    EXPECT_EQ(ListRemove(list, &c), nullptr);
    EXPECT_EQ(list->m_cItem, 2);
    ListDestroy(list);
}

TEST(List, DestroyFreesEveryNodeAndLeavesTheDataAlone)
{
    List *list = ListCreate();
    int values[100];
    for (int i = 0; i < 100; i++) {
        values[i] = i;
        ListAppend(list, &values[i]);
    }
    ListDestroy(list);  // LeakSanitizer fails the run if a node is left
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(values[i], i);
}

TEST(ListIter, WalksInOrderAndStopsAtTheEnd)
{
    List *list = ListCreate();
    ListAppend(list, &a);
    ListAppend(list, &b);
    ListIter *iter = IterCreate(list);
    EXPECT_EQ(IterNext(iter), &a);
    EXPECT_EQ(IterNext(iter), &b);
    EXPECT_EQ(iter->m_iPos, 2);
    EXPECT_EQ(IterHasNext(iter), 0);
    EXPECT_EQ(IterNext(iter), nullptr);
    EXPECT_EQ(iter->m_iPos, 2);
    EXPECT_EQ(IterRemove(iter), nullptr);
    IterReset(iter);
    EXPECT_EQ(iter->m_iPos, 0);
    EXPECT_EQ(IterNext(iter), &a);
    IterDestroy(iter);
    ListDestroy(list);
}

TEST(ListIter, RemoveTakesTheElementNextWouldReturn)
{
    List *list = ListCreate();
    ListAppend(list, &a);
    ListAppend(list, &b);
    ListAppend(list, &c);
    ListIter *iter = IterCreate(list);
    EXPECT_EQ(IterRemove(iter), &a);  // right after creation: the head
    EXPECT_EQ(list->m_pHead->m_pData, &b);
    EXPECT_EQ(iter->m_pCur, list->m_pHead);
    EXPECT_EQ(IterNext(iter), &b);
    EXPECT_EQ(IterRemove(iter), &c);  // the tail, while the walk stands behind it
    EXPECT_EQ(IterHasNext(iter), 0);
    ExpectConsistent(list);
    EXPECT_EQ(list->m_cItem, 1);
    IterDestroy(iter);
    ListDestroy(list);
}

TEST(ListViews, QueueIsFirstInFirstOutAndStackLastInFirstOut)
{
    List *queue = QueueCreate();
    List *stack = StackCreate();
    for (int *p : {&a, &b, &c}) {
        QueuePush(queue, p);
        StackPush(stack, p);
    }
    EXPECT_EQ(QueuePop(queue), &a);
    EXPECT_EQ(QueuePop(queue), &b);
    EXPECT_EQ(StackPop(stack), &c);
    EXPECT_EQ(StackPop(stack), &b);
    EXPECT_EQ(QueueClear(queue), 1);
    EXPECT_EQ(ListIsEmpty(queue), 1);
    EXPECT_EQ(QueuePop(queue), nullptr);
    EXPECT_EQ(StackPop(stack), &a);
    EXPECT_EQ(StackPop(stack), nullptr);
    QueueDestroy(queue);
    StackDestroy(stack);
}

TEST(ListDeathTest, NullListOrIteratorStopsWithItsName)
{
    EXPECT_DEATH(ListAppend(nullptr, &a), "Assertion failed: list, module baselist");
    EXPECT_DEATH(IterNext(nullptr), "Assertion failed: iter, module baselist");
}

}  // namespace
