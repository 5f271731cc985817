// terminal: the console on a text terminal, written on termios and xterm sequences. Between
// EnterScreen and LeaveScreen the game owns the alternate screen with mouse reporting, the
// application keypad, no autowrap and no cursor; whatever the program prints meanwhile goes to a
// capture file and is shown after the screen is left. The terminal is given back on every way
// out: LeaveScreen, exit(), a failed assertion, fatal signals; Ctrl-Z suspends and resumes it.
// While the terminal is smaller than the frame it shows a notice of both sizes instead, and the
// input that arrives meanwhile is dropped.
// main installs TerminalBackend() with PlatformInstall; nothing else calls this module.
#pragma once

#include "platform/platform.h"

/* The backend. */
const PlatformBackend *TerminalBackend(void);

/* What the terminal can do. */
// Null when a terminal of this TERM can play; else what it lacks, as a phrase ("no mouse reports").
// Only terminals known to lack something are refused: an unknown TERM (or none) is taken to be
// xterm-like. A TERM is matched by its name or its name and a "-variant".
const char *TerminalLacks(const char *pTerm);
