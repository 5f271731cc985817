// credits: the credits screen, opened by the main menu's CREDITS. Over the moving title backdrop
// five entries pass one after another, each a portrait sliding in from the left while its text
// slides in from the right, a pause, and on out of view; after the fifth the dialog closes by
// itself. Its " OK " button, any key and any mouse button close it sooner.
#pragma once

struct Dialog;

enum {
    CREDIT_ENTRIES = 5,
    CREDIT_QUOTES_MAX = 4,       // entry 2 has four quotes, the others two
    CREDIT_TEXT_WIDTH = 30,      // columns the entry's text is wrapped to
    CREDIT_BODY_WIDTH = 82,
    CREDIT_BODY_HEIGHT = 56,
    CREDIT_SLIDE_START = -81,    // slide position of an entry coming in
    CREDIT_SLIDE_END = 81,       // the entry has passed out of view
    CREDIT_PAUSE_FRAMES = 400,   // the entry stands still this long, in frames
};

// One entry: its portrait file, who made which parts of the game, and the quotes it chooses from
// (a quoted sentence, a line feed and " - " with its occasion).
struct CreditEntry {
    const char *m_pPortrait;
    const char *m_pTitle;
    const char *m_ppQuotes[CREDIT_QUOTES_MAX];
    int m_cQuote;
};
extern const CreditEntry g_credits[CREDIT_ENTRIES];

/* The screen. */
// Runs the credits until they close; returns the chosen button's index, 0: the " OK " button,
// which the self-closing, a key and a click choose too. The quotes are drawn afresh every time.
int ShowCredits(void);
// The dialog's update for each frame: the backdrop, then the entry's slide or pause. 0 ends the
// dialog; the button count goes on.
int CreditsUpdate(Dialog *pDialog);
