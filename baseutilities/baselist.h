// baselist: the game's one container, a doubly linked list of untyped pointers with a separate
// iterator and queue and stack views. The list owns its nodes, never the data: fleets, ships,
// battle line-ups and AI routes are listed here and owned elsewhere.
#pragma once

struct ListNode {
    void *m_pData;      // the element; never dereferenced by the list
    ListNode *m_pPrev;  // null at the head
    ListNode *m_pNext;  // null at the tail
};

struct List {
    int m_cItem;        // number of nodes, maintained, never recounted
    ListNode *m_pHead;  // null when empty
    ListNode *m_pTail;  // null when empty
};

struct ListIter {
    List *m_pList;      // the list walked
    ListNode *m_pCur;   // node the next IterNext returns; null at the end
    int m_iPos;         // elements returned since creation or the last reset
};

/* Lists. Operations returning a node or a list give null when memory runs out. */
List *ListCreate(void);
ListNode *ListAppend(List *list, void *pData);
ListNode *ListPrepend(List *list, void *pData);
void *ListRemoveNode(List *list, ListNode *pNode);
void *ListRemove(List *list, void *pData);
void *ListRemoveAt(List *list, int index);
int ListIsEmpty(List *list);
void ListDestroy(List *list);

/* Iterators over a live list. */
ListIter *IterCreate(List *list);
int IterHasNext(ListIter *iter);
void *IterNext(ListIter *iter);
void *IterRemove(ListIter *iter);
void IterReset(ListIter *iter);
void IterDestroy(ListIter *iter);

/* Queue view: in at the tail, out at the head. */
List *QueueCreate(void);
ListNode *QueuePush(List *queue, void *pData);
void *QueuePop(List *queue);
int QueueClear(List *queue);
void QueueDestroy(List *queue);

/* Stack view: in and out at the head. */
List *StackCreate(void);
ListNode *StackPush(List *stack, void *pData);
void *StackPop(List *stack);
void StackDestroy(List *stack);
