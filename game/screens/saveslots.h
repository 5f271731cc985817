// saveslots: the save-slot dialog both menus open. Ten slots, each shown as "Save Slot N" with a
// line under it telling whether the slot is empty or which turn was saved there and when; the
// slot chosen last is kept between openings. Saving and loading go through the world's save file
// module; what fails is told in a message box that names the slot, and the game in play (or the
// menu) goes on as it was.
#pragma once

struct Universe;

enum {
    SAVE_SLOT_NONE = 10,       // no slot chosen yet
};

/* The dialog. */
// With a universe, offers saving it and returns null; with null, offers loading and returns the
// universe read (the caller starts it), or null when nothing was loaded.
Universe *SaveSlotDialog(Universe *pUniverse);

/* For tests: the slot chosen last (SAVE_SLOT_NONE before any), and forgetting it. */
int SaveSlotChosen(void);
void SaveSlotForget(void);
