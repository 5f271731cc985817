// platform: the one door from the game to the machine. The console (a grid of code page 437 cells
// in the sixteen console colours), console-style input records, the millisecond clock and sleep
// are reached only through these functions. A backend (the terminal, or the headless one that
// tests script) is installed once at start-up; the game never knows which one runs.
#pragma once

#include <cstdint>

// One screen cell as the game composes it: a code page 437 byte and a console attribute
// (foreground in the low nibble, background in the high; blue 1, green 2, red 4, intensity 8).
struct PlatformCell {
    unsigned char m_ch;
    unsigned char m_attr;
};

// Kinds of input record, as the console reports them.
enum {
    PLATFORM_RECORD_OTHER = 0,  // key release, focus, size: anything the game ignores
    PLATFORM_RECORD_KEY = 1,    // a key went down
    PLATFORM_RECORD_MOUSE = 2,  // the pointer moved, a button changed or the wheel turned
};

// Mouse button-state bits and event flags, with the console's values.
enum {
    PLATFORM_BUTTON_LEFT = 1,
    PLATFORM_BUTTON_RIGHT = 2,
    PLATFORM_BUTTON_MIDDLE = 4,
    PLATFORM_MOUSE_MOVED = 1,
    PLATFORM_DOUBLE_CLICK = 2,
    PLATFORM_MOUSE_WHEELED = 4,
};

// Virtual-key codes the game reads.
enum {
    PLATFORM_VK_RETURN = 13,
    PLATFORM_VK_ESCAPE = 27,
    PLATFORM_VK_LEFT = 37,
    PLATFORM_VK_UP = 38,
    PLATFORM_VK_RIGHT = 39,
    PLATFORM_VK_DOWN = 40,
    PLATFORM_VK_NUMPAD2 = 98,
    PLATFORM_VK_NUMPAD4 = 100,
    PLATFORM_VK_NUMPAD6 = 102,
    PLATFORM_VK_NUMPAD8 = 104,
    PLATFORM_VK_F10 = 121,     // opens the in-game menu too: no terminal holds it back as it may Escape
    PLATFORM_VK_HOME = 36,
};

struct PlatformInputRecord {
    int m_kind;           // PLATFORM_RECORD_*
    uint32_t m_vk;        // key: the virtual-key code
    int m_x, m_y;         // mouse: the pointer's cell, (0, 0) top left
    uint32_t m_buttons;   // mouse: button-state word; a wheel record holds +120/-120 in the high 16 bits
    uint32_t m_flags;     // mouse: PLATFORM_MOUSE_MOVED, PLATFORM_DOUBLE_CLICK, PLATFORM_MOUSE_WHEELED
};

// A backend is a table of functions. Calls that can fail return 0 on success; on failure they
// return the system error number and name the failed call in *ppCall (for the game's message
// "ERROR: <call>() failed: <n>").
struct PlatformBackend {
    // The console's size in cells as the session starts.
    int (*GetConsoleSize)(int *pCols, int *pRows, const char **ppCall);
    // Asks the display to become cols x rows (the player agreed to a resize); best effort.
    void (*RequestConsoleSize)(int cols, int rows);
    // Reads one character of the player's answer from standard input; EOF at the end.
    int (*ReadAnswerChar)(void);
    // Takes over the display for the game's screen; from here to LeaveScreen whatever the program
    // prints to standard output is kept off the game's screen and shown after it.
    int (*EnterScreen)(const char **ppCall);
    int (*SetTitle)(const char *pTitle, const char **ppCall);
    // Nonzero when the display shows no pointer of its own (the game then draws one).
    int (*IsFullScreen)(void);
    // Shows a whole frame, cols x rows cells in row-major order.
    void (*Present)(const PlatformCell *pCells, int cols, int rows);
    // Gives the display back as it was before EnterScreen. Safe to call more than once.
    void (*LeaveScreen)(void);
    // Takes one waiting input record into *pRecord and returns 1, or returns 0 at once if none waits.
    int (*ReadInput)(PlatformInputRecord *pRecord);
    // The millisecond clock and sleep.
    uint32_t (*Milliseconds)(void);
    void (*Sleep)(uint32_t ms);
};

/* Installing a backend. */
void PlatformInstall(const PlatformBackend *pBackend);

/* The calls the game makes; each goes to the installed backend (asserted present). */
int PlatformGetConsoleSize(int *pCols, int *pRows, const char **ppCall);
void PlatformRequestConsoleSize(int cols, int rows);
int PlatformReadAnswerChar(void);
int PlatformEnterScreen(const char **ppCall);
int PlatformSetTitle(const char *pTitle, const char **ppCall);
int PlatformIsFullScreen(void);
void PlatformPresent(const PlatformCell *pCells, int cols, int rows);
void PlatformLeaveScreen(void);
int PlatformReadInput(PlatformInputRecord *pRecord);
uint32_t PlatformMilliseconds(void);
void PlatformSleep(uint32_t ms);
