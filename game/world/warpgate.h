// warpgate: the only way between star systems. Generation places gates and pairs them across
// systems; a fleet that reaches a gate passes to its pair's system, paying the first activation
// from its supplies. The fleet update calls activation, the system update ticks every gate once
// per turn after its planets, and the system map draws them.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct System;
struct Fleet;
struct Surface;

// Results of WarpgateActivate.
enum {
    WARPGATE_ACTIVATED = 0,
    WARPGATE_NO_GATE = 51,
    WARPGATE_NO_FLEET = 57,
    WARPGATE_SENT_HOME = 60,   // not activated; the fleet is ordered back to its home planet
    WARPGATE_STRANDED = 63,    // not activated; the fleet cannot get home either
};

// What opening a gate costs the first fleet through it, in supplies. About three turns of one
// ship's upkeep: a fleet notices the bill, and the gate then stays open for everyone.
enum {
    WARPGATE_ENERGY_COST = 300,
    WARPGATE_MATTER_COST = 300,
};

struct Warpgate {
    System *m_pSystem;         // the system it stands in
    Coord m_pos;               // on the system map
    Warpgate *m_pPair;         // the gate at the other end; null for an unlinked gate
    Surface *m_pSprite;        // owned 4 x 4 picture
    int8_t m_cTransit;         // ticks until a passage is reported; 0 when nothing is pending
    Fleet *m_pTransitFleet;    // last fleet that came out here; null once it leaves play
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

/* Passage: called by the fleet update. */
int WarpgateActivate(Warpgate *pGate, Fleet *pFleet);
// A fleet came out of this gate: it is recorded and its exit is reported at the gate's next tick.
void WarpgateRecordTransit(Warpgate *pGate, Fleet *pFleet);

/* Per-turn step. 1 for a null gate, else 0. */
int WarpgateTick(Warpgate *pGate);

/* Drawing. 1 if an argument is null, else 0. */
int WarpgateDraw(Warpgate *pGate, Surface *pTarget);
