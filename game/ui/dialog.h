// dialog: the modal dialog. RunDialog saves the screen under the frame, runs its own 16 ms frame
// loop (poll, buttons, the dialog's update, draw, present) until a button is chosen, puts the
// screen back and returns the button. Menus, build dialogs, save slots, message boxes and battle
// screens are all dialogs; the game loop is simply suspended while one runs. The one-button
// message box is here too.
#pragma once

#include <cstdint>

#include "game/core/2dutils.h"

struct FrameStyle;
struct Button;
struct Dialog;

// Called every frame; a result other than the dialog's button count ends it with that button.
typedef int (*DialogUpdate)(Dialog *pDialog);

struct Dialog {
    FrameStyle *m_pStyle;      // border and fill of the frame; not owned
    Surface *m_pContent;       // the body, drawn inside the frame at (1, 1); not owned
    Cell *m_pTrans;            // transparent cell for the body and the frame, or null; not owned
    Button **m_ppButtons;      // the buttons, positioned in frame coordinates; the array is the
                               // dialog's own copy, the buttons stay the caller's
    int32_t m_cButtons;
    int32_t m_x, m_y;          // screen position of the frame's top-left cell
    DialogUpdate m_pfnUpdate;  // or null
    void *m_pUser;             // what the update works on; null from CreateDialog; not owned
};

/* Lifecycle. */
// With a null position the frame is centred on the screen centre. Returns 0, or 1 when memory
// ran out.
int CreateDialog(Dialog **ppDialog, FrameStyle *pStyle, Surface *pContent, Cell *pTrans, Button **ppButtons,
                 int count, Coord *pPos, DialogUpdate pfnUpdate);
// Frees the record; body, buttons and style stay with the caller.
void DestroyDialog(Dialog **ppDialog);

// Gives the dialog another update and what that update works on, for a dialog kept between runs.
void SetDialogUpdate(Dialog *pDialog, DialogUpdate pfnUpdate, void *pUser);

/* Running. */
// Runs the modal loop and returns the chosen button (null if the update function ended the
// dialog with an index that names no button, or a fresh press of Escape closed it).
Button *RunDialog(Dialog *pDialog);

/* Message box. */
// Shows the text in a modal dialog with one " OK " button; returns when it is pressed.
void MessageBox(const char *pText);
