// terminal_cp437: the Unicode glyph of every code page 437 byte, for the terminal backend and the
// headless backend's text view. Cells hold code page 437 bytes; terminals show Unicode.
#pragma once

#include <cstdint>

/* Glyphs. */
// The code point shown for a cell byte: 0 and 255 are blanks, 1 to 31 and 127 the IBM graphics
// (the arrows 24 to 27 are up, down, right, left), 128 to 254 the standard code page 437 letters,
// box drawings and symbols.
uint32_t TerminalCp437ToUnicode(unsigned char ch);

// Writes the glyph of a cell byte as UTF-8 into pOut (at least 3 bytes) and returns its length.
int TerminalCp437ToUtf8(unsigned char ch, char *pOut);
