// game: setting up and tearing down a game. GameStart builds the catalogues, replaces any game in
// play, builds the game screen, installs the turn's hooks (maps redrawn, defeat, victory), readies
// the battles with their screens and shows the galaxy; GameShutdown frees the catalogues, the world
// and any battle still waiting; GameQuit is the one way a game ends the program. The main program,
// the intro and loading call them.
#pragma once

struct Universe;

/* Lifecycle of a game. */
// With null, generates a new world; with a universe (loaded, or from the intro), adopts it.
void GameStart(Universe *pUniverse);
void GameShutdown(void);
// The program state set to quit, the game shut down and the game screen destroyed: the in-game
// menu's QUIT GAME and defeat both end this way.
void GameQuit(void);
