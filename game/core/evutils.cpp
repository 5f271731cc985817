#include "game/core/evutils.h"

#include <cstdlib>

#include "baseutilities/baseassert.h"

// *ppNode is null on failure, and pData then still belongs to the caller.
int CreateEvent(EventNode **ppNode, uint32_t type, uint32_t reserved, void *pData)
{
    V_ASSERT(ppNode != NULL);
    *ppNode = nullptr;
    V_ASSERT(pData != NULL);
    EventNode *pNode = (EventNode *)malloc(sizeof(EventNode));
    if (pNode == nullptr)
        return 1;
    pNode->m_pNext = nullptr;
    pNode->m_nType = type;
    pNode->m_nReserved = reserved;
    pNode->m_pData = pData;
    *ppNode = pNode;
    return 0;
}

void FreeEvent(EventNode *pNode)
{
    V_ASSERT(pNode != NULL);
    V_ASSERT(pNode->m_pNext == NULL);
    free(pNode->m_pData);
    free(pNode);
}
