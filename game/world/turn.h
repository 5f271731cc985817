// turn: the turn cycle. EndTurn is the " End Turn " button's action; UniverseUpdate raises the
// turn counter, runs SystemUpdate for every system (fleets in space, sight, planets with their
// holds, gates), then tests for defeat and victory. The turn never draws: what the screens must
// hear of (a system's turn done, the turn done, defeat, victory) goes through the hooks they
// install. Without hooks (a test or a tool running a world) the turn runs alike, unseen.
#pragma once

struct Universe;
struct System;
struct Planet;
struct Button;

// What the turn tells the screens. Any member may be null.
struct TurnHooks {
    void (*pfnSystemDone)(System *pSystem);      // a system's turn is over: its map is redrawn
    void (*pfnTurnDone)(Universe *pUniverse);    // the whole turn is over: the galaxy is redrawn
    // The player holds no colony. The hook may end the game and free the world: UniverseUpdate
    // touches nothing after calling it.
    void (*pfnDefeat)(void);
    void (*pfnVictory)(void);                    // no computer company holds a colony
};

/* The screens' seam. */
// Copies the hooks; null removes them all.
void TurnSetHooks(const TurnHooks *pHooks);

/* Per-turn steps. 1 for a null argument, else 0 (also after a defeat, when the world is gone). */
int SystemUpdate(System *pSystem);
int UniverseUpdate(Universe *pUniverse);

// Sight of the fleets in space on one planet: bit 1 while a fleet sees it; a fleet that does not
// see it turns a set bit 1 into bit 2 (seen before), even after an earlier fleet saw it.
void SystemUpdateSight(System *pSystem, Planet *pPlanet);

/* The end of a turn, as the " End Turn " button runs it: "End of turn" in the log, the computer
   companies' turns, the world's update, then the battles the turn started (ResolveBattles) unless
   the player was defeated. */
void EndTurn(Button *pButton);
