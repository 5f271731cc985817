// intro: the front end's pictures and moving backdrop. The main program loads the pictures once at
// start-up (the star tile behind the menus, the title background tiled from it and the six title
// pictures); the title-screen animation draws the scrolling stars, the title that follows the
// pointer's row and the copyright line behind the main menu, the save slots and the credits.
#pragma once

#include "game/core/2dutils.h"

struct Dialog;

enum { FIXED_PICTURES = 6 };

// The makers' line at the bottom of the title screen: 68 characters, centred on the screen.
extern const char g_copyrightLine[];

/* Pictures, loaded at start-up and freed when the main menu is done with them. */
extern Surface *g_pDialogBg;                   // "dialogbg.v_s": the star tile
extern Surface *g_pTitleBg;                    // a large surface tiled with the star tile
extern Surface *g_ppFixed[FIXED_PICTURES];     // the title and its five light-sweep variants
// Loads them (a missing or faulty picture ends the program) and tiles the title background for
// the current screen surface.
void LoadFrontEndPictures(void);
void FreeFrontEndPictures(void);

/* The title screen. */
// Draws one frame of the backdrop onto the screen surface; returns the dialog's button count so
// that a dialog using it as its update goes on.
int TitleScreenAnimation(Dialog *pDialog);
// The title picture shown for a pointer on screen row y.
int TitlePictureForRow(int y);
