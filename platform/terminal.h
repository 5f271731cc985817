// terminal: the console on a text terminal, written on termios and xterm sequences. Between
// EnterScreen and LeaveScreen the game owns the alternate screen with mouse reporting, the
// application keypad, no autowrap and no cursor; whatever the program prints meanwhile goes to a
// capture file and is shown after the screen is left. The terminal is given back on every way
// out: LeaveScreen, exit(), a failed assertion, fatal signals; Ctrl-Z suspends and resumes it.
// main installs TerminalBackend() with PlatformInstall; nothing else calls this module.
#pragma once

#include "platform/platform.h"

/* The backend. */
const PlatformBackend *TerminalBackend(void);
