// terminal_input: turns the bytes a terminal sends into console-style input records. Mouse
// reports (SGR and X10) become mouse records carrying the pointer's cell, the button-state word
// kept from presses and releases, the double-click flag and wheel deltas; keys become a key-down
// record with its virtual-key code followed by a release record, as a console delivers them.
// Motion that follows motion with the same buttons is merged into the latest, and a bracketed
// paste is dropped whole, so that a flood of input never becomes a backlog. The
// terminal backend feeds it whatever it reads, stamped with the clock; tests feed it strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "platform/platform.h"

enum {
    TERMINAL_ESC_TIMEOUT_MS = 25,      // a lone ESC with nothing after it this long is the Escape key
    TERMINAL_DOUBLE_CLICK_MS = 500,    // a second left press on the same cell within this is a double click
    TERMINAL_MAX_SEQUENCE = 64,        // longer escape sequences are noise and are dropped
    TERMINAL_PASTE_BEGIN = 200,        // ESC [ 200 ~ ... ESC [ 201 ~ wraps what the player pasted
    TERMINAL_PASTE_QUIET_MS = 1000,    // a paste whose end mark was lost ends after this much quiet
};

struct TerminalInputParser {
    std::string m_pending;                     // the start of a sequence still waiting for bytes
    uint32_t m_pendingSince;                   // when the last bytes arrived
    int m_skipping;                            // an overlong sequence is dropped up to its final byte
    int m_inPaste;                             // pasted text is dropped: the game takes no text
    std::deque<PlatformInputRecord> m_records; // complete records, oldest first
    uint32_t m_buttons;                        // PLATFORM_BUTTON_* bits held down now
    int m_x, m_y;                              // the pointer's last cell
    int m_haveLeftPress;                       // a left press may still become a double click
    uint32_t m_leftPressTime;                  // when that press came
    int m_leftPressX, m_leftPressY;            // and on which cell
};

/* Lifecycle. */
void TerminalInputInit(TerminalInputParser *pParser);

/* Feeding. */
// Takes bytes read at time `now` (milliseconds). Sequences may be split across calls.
void TerminalInputFeed(TerminalInputParser *pParser, const char *pBytes, size_t count, uint32_t now);
// Lets time pass: a lone ESC (or a broken sequence) older than the timeout becomes the Escape key.
void TerminalInputTick(TerminalInputParser *pParser, uint32_t now);

/* Reading. */
// Takes the oldest complete record into *pRecord and returns 1, or returns 0 if none waits.
int TerminalInputPop(TerminalInputParser *pParser, PlatformInputRecord *pRecord);
