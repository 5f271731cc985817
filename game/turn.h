// turn: the turn cycle. EndTurn is the " End Turn " button's action; UniverseUpdate raises the
// turn counter, runs SystemUpdate for every system (fleets in space, sight, planets with their
// holds, gates, the system map redrawn), then tests for defeat and victory and redraws the
// galaxy. Defeat tears the game down in the middle of the update: the box, the program state
// set to quit, GameShutdown and the game screen destroyed. Without a console (a test or a tool
// running a world) the boxes are not shown; everything else happens alike.
#pragma once

struct Universe;
struct System;
struct Planet;
struct Button;

/* Per-turn steps. 1 for a null argument, else 0 (also after a defeat, when the world is gone). */
int SystemUpdate(System *pSystem);
int UniverseUpdate(Universe *pUniverse);

// Sight of the fleets in space on one planet: bit 1 while a fleet sees it; a fleet that does not
// see it turns a set bit 1 into bit 2 (seen before), even after an earlier fleet saw it.
void SystemUpdateSight(System *pSystem, Planet *pPlanet);

/* The end of a turn, as the " End Turn " button runs it: "End of turn" in the log, then the world's
   update. The computer companies' turns come before the update and the battles after it, once
   they exist. */
void EndTurn(Button *pButton);
