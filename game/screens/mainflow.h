// mainflow: the program's life. VostrelMain brings the services up in their fixed order, runs the
// main menu until a game starts or the player quits, then runs the game loop at 16 ms frames with
// the in-game menu on Escape. The exit routine, registered to run at program exit, takes the
// services down again. main() installs the terminal; tests install the headless display.
#pragma once

/* The program. */
// Runs until the player quits (or loses); returns the exit status, 0.
int VostrelMain(void);

// Shuts the window manager, the console and the input manager down, in that order. Runs at exit;
// running it again does nothing.
void ExitRoutine(void);

/* The game loop, one frame at a time (the loop itself is VostrelMain's). */
// Present, the window manager's update, the game screen's update, then at most one event from the
// main queue; does not wait.
void GameLoopFrame(void);
// The in-game menu's latch: set when the menu was closed without a choice.
extern int g_bMenuLatch;
