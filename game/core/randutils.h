// randutils: the game's one pseudo-random sequence and the shapes drawn from it: a value below n,
// a value in a closed range, a position inside a margin, and a pronounceable name for systems,
// stars, planets and computer companies. Generation, fleets and the AI draw from it; every caller,
// including those that take raw draws, shares the single sequence. Start-up seeds it once from the
// calendar clock; tests seed it with a number of their choosing.
#pragma once

#include "game/core/coord.h"

// Raw draws lie from 0 to RAND_DRAW_MAX.
enum { RAND_DRAW_MAX = 32767 };

/* Seeding. */
void RandInit(void);              // from the calendar clock, in whole seconds
void RandSeed(unsigned seed);     // a known sequence, for tests and replays

/* Draws. */
int RandDraw(void);               // the generator itself: 0 to RAND_DRAW_MAX
int RandInt(int n);               // 0 to n - 1; n above 0
int RandRange(int low, int high); // low to high inclusive; never reseeds

/* Positions and names, on the heap and owned by the caller (release with free()). */
Coord *RandomCoord(int width, int height, int margin);  // null when memory runs out
char *RandomName(void);                                 // 2 to 10 letters; null when memory runs out
