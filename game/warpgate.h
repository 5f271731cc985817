// warpgate: the only way between star systems. Generation places gates and pairs them across
// systems; a fleet that reaches a gate passes to its pair's system, paying the first activation.
#pragma once

#include <cstdint>

#include "game/coord.h"

struct System;
struct Fleet;
struct Surface;

struct Warpgate {
    System *m_pSystem;         // the system it stands in
    Coord m_pos;               // on the system map
    Warpgate *m_pPair;         // the gate at the other end; null for an unlinked gate
    Surface *m_pSprite;        // owned 4 x 4 picture
    int8_t m_cTransit;         // transit counter
    Fleet *m_pTransitFleet;    // last fleet that came out here
    int8_t m_bHighlight;       // drawn inverted
    int8_t m_bActive;          // 1 once activated; stays active
    int m_iMatterCost;         // activation price, paid from the fleet's supplies
    int m_iEnergyCost;
    int m_iId;
};

/* Lifecycle. */
int WarpgateCreate(Warpgate **ppGate, System *pSystem, Coord pos);
int WarpgateDestroy(Warpgate **ppGate);

/* Pairing. */
void WarpgateLink(Warpgate *pGateA, Warpgate *pGateB);
