#include "baseutilities/baselist.h"

#include <cstdlib>

#include "baseutilities/baseassert.h"

static ListNode *NodeCreate(void *pData, ListNode *pPrev, ListNode *pNext)
{
    ListNode *pNode = (ListNode *)malloc(sizeof(ListNode));
    if (!pNode)
        return nullptr;
    pNode->m_pData = pData;
    pNode->m_pPrev = pPrev;
    pNode->m_pNext = pNext;
    return pNode;
}

List *ListCreate(void)
{
    List *list = (List *)malloc(sizeof(List));
    if (!list)
        return nullptr;
    list->m_cItem = 0;
    list->m_pHead = nullptr;
    list->m_pTail = nullptr;
    return list;
}

ListNode *ListAppend(List *list, void *pData)
{
    V_ASSERT(list);
    ListNode *pNode = NodeCreate(pData, list->m_pTail, nullptr);
    if (!pNode)
        return nullptr;
    if (!list->m_pHead && !list->m_pTail)
        list->m_pHead = pNode;
    else
        list->m_pTail->m_pNext = pNode;
    list->m_pTail = pNode;
    list->m_cItem++;
    return pNode;
}

ListNode *ListPrepend(List *list, void *pData)
{
    V_ASSERT(list);
    ListNode *pNode = NodeCreate(pData, nullptr, list->m_pHead);
    if (!pNode)
        return nullptr;
    if (!list->m_pHead && !list->m_pTail)
        list->m_pTail = pNode;
    else
        list->m_pHead->m_pPrev = pNode;
    list->m_pHead = pNode;
    list->m_cItem++;
    return pNode;
}

// The caller vouches that the node belongs to this list; nothing checks it.
void *ListRemoveNode(List *list, ListNode *pNode)
{
    V_ASSERT(list);
    if (!pNode)
        return nullptr;
    if (pNode->m_pPrev)
        pNode->m_pPrev->m_pNext = pNode->m_pNext;
    else
        list->m_pHead = pNode->m_pNext;
    if (pNode->m_pNext)
        pNode->m_pNext->m_pPrev = pNode->m_pPrev;
    else
        list->m_pTail = pNode->m_pPrev;
    list->m_cItem--;
    void *pData = pNode->m_pData;
    free(pNode);
    return pData;
}

void *ListRemove(List *list, void *pData)
{
    V_ASSERT(list);
    ListNode *pNode = list->m_pHead;
    for (int i = 0; i < list->m_cItem && pNode; i++, pNode = pNode->m_pNext) {
        if (pNode->m_pData == pData)
            return ListRemoveNode(list, pNode);
    }
    return nullptr;
}

void *ListRemoveAt(List *list, int index)
{
    V_ASSERT(list);
    if (index < 0 || index >= list->m_cItem)
        return nullptr;
    ListNode *pNode = list->m_pHead;
    for (int i = 0; i < index; i++)
        pNode = pNode->m_pNext;
    return ListRemoveNode(list, pNode);
}

int ListIsEmpty(List *list)
{
    V_ASSERT(list);
    return list->m_cItem == 0 ? 1 : 0;
}

void ListDestroy(List *list)
{
    V_ASSERT(list);
    ListNode *pNode = list->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        free(pNode);
        pNode = pNext;
    }
    free(list);
}

ListIter *IterCreate(List *list)
{
    V_ASSERT(list);
    ListIter *iter = (ListIter *)malloc(sizeof(ListIter));
    if (!iter)
        return nullptr;
    iter->m_pList = list;
    iter->m_pCur = list->m_pHead;
    iter->m_iPos = 0;
    return iter;
}

int IterHasNext(ListIter *iter)
{
    V_ASSERT(iter);
    return iter->m_pCur ? 1 : 0;
}

void *IterNext(ListIter *iter)
{
    V_ASSERT(iter);
    if (!iter->m_pCur)
        return nullptr;
    void *pData = iter->m_pCur->m_pData;
    iter->m_pCur = iter->m_pCur->m_pNext;
    iter->m_iPos++;
    return pData;
}

// Removes the element IterNext would return next; the walk goes on from its successor.
void *IterRemove(ListIter *iter)
{
    V_ASSERT(iter);
    ListNode *pNode = iter->m_pCur;
    if (!pNode)
        return nullptr;
    iter->m_pCur = pNode->m_pNext;
    return ListRemoveNode(iter->m_pList, pNode);
}

void IterReset(ListIter *iter)
{
    V_ASSERT(iter);
    iter->m_pCur = iter->m_pList->m_pHead;
    iter->m_iPos = 0;
}

void IterDestroy(ListIter *iter)
{
    V_ASSERT(iter);
    free(iter);
}

List *QueueCreate(void) { return ListCreate(); }
ListNode *QueuePush(List *queue, void *pData) { return ListAppend(queue, pData); }
void QueueDestroy(List *queue) { ListDestroy(queue); }

void *QueuePop(List *list)
{
    V_ASSERT(list);
    return ListRemoveNode(list, list->m_pHead);
}

int QueueClear(List *queue)
{
    while (!ListIsEmpty(queue))
        QueuePop(queue);
    return 1;
}

List *StackCreate(void) { return ListCreate(); }
ListNode *StackPush(List *stack, void *pData) { return ListPrepend(stack, pData); }
void *StackPop(List *stack) { return QueuePop(stack); }
void StackDestroy(List *stack) { ListDestroy(stack); }
