// The list, its iterator and its queue and stack views.
#include <gtest/gtest.h>

#include <string>

#include "baseutilities/baselist.h"

namespace {

int a = 1, b = 2, c = 3;

// The list's data as letters, read along the forward links and then back along the backward
// ones, with the count: a broken link or a wrong count shows.
std::string Walk(List *list)
{
    std::string text;
    for (ListNode *p = list->m_pHead; p; p = p->m_pNext)
        text += (char)('a' - 1 + *(int *)p->m_pData);
    text += '|';
    for (ListNode *p = list->m_pTail; p; p = p->m_pPrev)
        text += (char)('a' - 1 + *(int *)p->m_pData);
    return text + std::to_string(list->m_cItem);
}

TEST(List, RemovalsAtEveryPlaceKeepTheLinksAndTheIteratorRemovesWhatNextWouldReturn)
{
    List *list = ListCreate();
    for (int *p : {&b, &c, &a})
        ListAppend(list, p);
    ListPrepend(list, &a);
    EXPECT_EQ(Walk(list), "abca|acba4");
    // Past either end, or nothing at all, nothing is removed.
    EXPECT_TRUE(!ListRemoveAt(list, 4) && !ListRemoveAt(list, -1) && !ListRemoveNode(list, nullptr));
    EXPECT_EQ(ListRemove(list, &list), nullptr);
    EXPECT_EQ(ListRemove(list, &a), &a);  // only the occurrence nearest the head
    EXPECT_EQ(Walk(list), "bca|acb3");
    EXPECT_EQ(ListRemoveAt(list, 1), &c);  // the middle
    EXPECT_EQ(ListRemoveAt(list, 1), &a);  // the tail
    EXPECT_EQ(Walk(list), "b|b1");
    EXPECT_EQ(ListRemoveAt(list, 0), &b);  // the last one
    EXPECT_EQ(Walk(list), "|0");

    for (int *p : {&a, &b, &c})
        QueuePush(list, p);
    ListIter *iter = IterCreate(list);
    EXPECT_EQ(IterRemove(iter), &a);  // right after creation: the head
    EXPECT_EQ(IterNext(iter), &b);
    EXPECT_EQ(IterRemove(iter), &c);  // the tail, while the walk stands behind it
    EXPECT_TRUE(IterNext(iter) == nullptr && IterRemove(iter) == nullptr);
    EXPECT_EQ(Walk(list), "b|b1");
    IterDestroy(iter);
    QueuePush(list, &c);
    EXPECT_EQ(QueuePop(list), &b);  // the queue view takes from the head
    EXPECT_TRUE(QueueClear(list) == 1 && QueuePop(list) == nullptr);
    for (int i = 0; i < 100; i++)
        ListAppend(list, &a);
    ListDestroy(list);  // LeakSanitizer fails the run if a node is left
}

}  // namespace
