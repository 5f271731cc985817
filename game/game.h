// game: setting up and tearing down a game. GameStart builds the catalogues, replaces any game in
// play, builds the game screen and shows the galaxy; GameShutdown frees the catalogues and the
// world. The main program, the intro and loading call them.
#pragma once

struct Universe;

/* Lifecycle of a game. */
// With null, generates a new world; with a universe (loaded, or from the intro), adopts it.
void GameStart(Universe *pUniverse);
void GameShutdown(void);
