// input: the input manager. PollInput takes at most one console input record per call, never
// waiting, and leaves the latest one in g_inputState, which the window manager's frame update,
// the modal dialog loop, the list handler and the intro read right after polling. It also keeps
// the software cursor under the pointer and paces every frame loop. Turning input into events is
// the window manager's job, not this module's.
#pragma once

#include <cstdint>

// Kinds of the last record read.
enum {
    INPUT_KIND_OTHER = 0,    // key release, window or focus record
    INPUT_KIND_MOUSE = 2,
    INPUT_KIND_KEY = 16,     // a key went down
};

// Mouse event flags and button bits, as the console reports them.
enum {
    INPUT_BUTTON_LEFT = 1,
    INPUT_BUTTON_RIGHT = 2,
    INPUT_BUTTON_MIDDLE = 4,
    INPUT_FLAG_MOVED = 1,
    INPUT_FLAG_DOUBLE_CLICK = 2,
    INPUT_FLAG_WHEELED = 4,
};

// Held buttons in the button word; a wheel record carries its delta above them.
enum { INPUT_BUTTONS_MASK = 0xFFFF };

// Virtual-key codes of the keys the game reads, as a key record's m_nButtons holds them.
enum {
    KEY_RETURN = 13,
    KEY_ESCAPE = 27,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_NUMPAD2 = 98,
    KEY_NUMPAD4 = 100,
    KEY_NUMPAD6 = 102,
    KEY_NUMPAD8 = 104,
    KEY_HOME = 36,
    KEY_F10 = 121,             // opens the in-game menu too: no terminal holds it back as it may Escape
};

// Every interactive loop runs in frames of this many milliseconds.
enum { FRAME_MS = 16 };

struct InputState {
    uint8_t m_nKind;         // INPUT_KIND_* of the last record read
    int32_t m_nX;            // mouse column on the screen
    int32_t m_nY;            // mouse row on the screen
    uint32_t m_nButtons;     // mouse: button bits, a wheel record's signed delta in the high 16 bits; key: the virtual-key code
    uint32_t m_nFlags;       // mouse event flags; cleared by every poll that finds nothing waiting
};

extern InputState g_inputState;

/* Start-up and shut-down. */
void InitInputManager(void);
void ShutdownInputManager(void);

/* Reading input. */
// Reads at most one record. With none waiting only m_nFlags changes (to 0), so a reader acts on
// the last record again until a new one arrives.
void PollInput(void);

/* Time. */
void SleepMs(uint32_t ms);
// The frame loop's pacing: a frame's deadline is the clock plus FRAME_MS; FrameWait moves a late
// deadline on by whole frames until it lies ahead (missed frames are dropped, not made up), then
// sleeps once until the clock reaches it.
uint32_t FrameDeadline(void);
void FrameWait(uint32_t deadline);
