#include "game/warpgate.h"

#include <cstdlib>

#include "game/2dutils.h"
#include "game/world.h"

static Surface *MakeGateSprite(void)
{
    static const char *const s_rows[4] = {"/--\\", "|WA|", "|RP|", "\\--/"};
    Surface *pSprite = CreateSurface(4, 4);
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++)
            pSprite->m_pCells[row * 4 + col] = Cell{(unsigned char)s_rows[row][col], 9};
    }
    return pSprite;
}

int WarpgateCreate(Warpgate **ppGate, System *pSystem, Coord pos)
{
    *ppGate = nullptr;
    Warpgate *pGate = (Warpgate *)calloc(1, sizeof(Warpgate));
    if (!pGate)
        return 1;
    pGate->m_pSystem = pSystem;
    pGate->m_pos = pos;
    pGate->m_pSprite = MakeGateSprite();
    pGate->m_iId = NewObjectId();
    *ppGate = pGate;
    return 0;
}

// Frees the gate and its sprite. Returns 1 when the pointer is already null.
int WarpgateDestroy(Warpgate **ppGate)
{
    if (!ppGate || !*ppGate)
        return 1;
    DestroySurface(&(*ppGate)->m_pSprite);
    free(*ppGate);
    *ppGate = nullptr;
    return 0;
}

void WarpgateLink(Warpgate *pGateA, Warpgate *pGateB)
{
    pGateA->m_pPair = pGateB;
    pGateB->m_pPair = pGateA;
}
