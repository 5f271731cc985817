#include "game/world/moon.h"

#include <cstdlib>

#include "game/world/world.h"

int MoonCreate(Moon **ppMoon)
{
    *ppMoon = (Moon *)calloc(1, sizeof(Moon));
    if (!*ppMoon)
        return 1;
    (*ppMoon)->m_iId = NewObjectId();
    return 0;
}

int MoonDestroy(Moon **ppMoon)
{
    if (!ppMoon || !*ppMoon)
        return 1;
    free(*ppMoon);
    *ppMoon = nullptr;
    return 0;
}

int MoonUpdate(Moon *pMoon)
{
    return pMoon ? 0 : 1;
}
