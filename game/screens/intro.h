// intro: the front end's pictures, its moving backdrop and the intro story. The main program loads
// the pictures once at start-up (the star tile behind the menus, the title background tiled from
// it and the six title pictures); the title-screen animation draws the scrolling stars, the title
// that follows the pointer's row and the copyright line behind the main menu, the save slots and
// the credits. The main menu's NEW GAME runs the intro: the title dissolves, a rotating planet
// shrinks while the story is typed beneath it, drifts away, and the new galaxy is generated and
// slides in; the caller starts the game with that galaxy.
#pragma once

#include "game/core/2dutils.h"

struct Dialog;
struct Universe;

enum { FIXED_PICTURES = 6 };

// The intro's phases: the story takes two phases per line, its typing and its hold.
enum {
    INTRO_PHASE_END = 0,
    INTRO_PHASE_DISSOLVE = 1,
    INTRO_PHASE_ZOOM = 2,
    INTRO_PHASE_STORY = 3,       // line k (from 1) types in phase 2k + 1 and holds in 2k + 2
    INTRO_PHASE_DRIFT = 73,
    INTRO_PHASE_GENERATE = 74,
    INTRO_PHASE_GALAXY = 75,
    INTRO_LINES = 35,
    INTRO_GROUPS = 20,
    INTRO_TEXT_ATTR = 0x0B,
};

// One line of the story: its text, the frames it stays once typed (65, or 1 when the second line
// of its group follows at once) and the group it shows in, from 1; a group is one or two lines.
struct IntroLine {
    const char *m_pText;
    int m_hold;
    int m_group;
};
extern const IntroLine g_introStory[INTRO_LINES];

// The makers' line at the bottom of the title screen: 68 characters, centred on the screen.
extern const char g_copyrightLine[];

/* Pictures, loaded at start-up and freed when the main menu is done with them. */
extern Surface *g_pDialogBg;                   // "dialogbg.v_s": the star tile
extern Surface *g_pTitleBg;                    // a large surface tiled with the star tile
extern Surface *g_ppFixed[FIXED_PICTURES];     // the title and its five light-sweep variants
// Loads them (a missing or faulty picture ends the program) and tiles the title background for
// the current screen surface. The intro's state starts afresh with them: its dissolve works on
// the loaded title itself, so both belong to one run of the program.
void LoadFrontEndPictures(void);
void FreeFrontEndPictures(void);

/* The title screen. */
// Draws one frame of the backdrop onto the screen surface; returns the dialog's button count so
// that a dialog using it as its update goes on.
int TitleScreenAnimation(Dialog *pDialog);
// The title picture shown for a pointer on screen row y.
int TitlePictureForRow(int y);

/* Leaving the front-end screens. */
// The intro and the credits end on a key or a mouse button; a pointer moving with no button
// held does not end them.
bool FrontEndSkipPressed(void);
// Takes the press that ended a front-end screen, so that it acts on nothing after it: the
// button state and the in-game menu's latch are cleared.
void FrontEndTakeSkip(void);

/* The intro. */
// Runs the intro until it ends or a key or mouse button skips it. On reaching its generation
// phase it fills *ppUniverse with a new galaxy (owned by the caller); a skip before that leaves
// *ppUniverse as it was. Runs once per run of the program: later calls return at once.
void RunIntro(Universe **ppUniverse);
// Draws the first count characters of a story line on the given screen row, placed where the
// whole line is centred, so that a line being typed grows from its final left edge.
void DrawIntroLine(const char *pText, int count, int row);
