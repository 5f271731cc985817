// cp437: the console's character set, code page 437, as Unicode. The terminal backend shows cells
// on a UTF-8 terminal through it, and the picture tool writes and reads pictures as UTF-8 text
// with it. It depends on nothing in the game, so either side may include it alone.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
    CP437_UTF8_MAX = 3,  // bytes of the longest glyph's UTF-8 form (every glyph lies in the BMP)
};

// The glyph of every byte. 0x01-0x1F and 0x7F are the IBM graphics (smileys, card suits,
// arrows), 0x80-0xFF the Unicode consortium's mapping; byte 0 shows as a blank (U+0020) and
// byte 255 as the no-break space, so every byte but 0 has a glyph of its own.
extern const uint32_t g_cp437ToUnicode[256];

/* Encoding. */
// Writes the UTF-8 form of the byte's glyph to pOut (no terminator); returns its length, 1 to 3.
int Cp437ToUtf8(unsigned char ch, char *pOut);

/* Decoding. */
// Reads one UTF-8 sequence from the len bytes at pText into *pCodePoint; returns the bytes it
// took, or 0 when they do not start with a complete, shortest-form sequence of a code point.
int Utf8Decode(const char *pText, size_t len, uint32_t *pCodePoint);

// The byte whose glyph is the code point, or -1. A blank gives 0x20: byte 0 has no glyph of its
// own and is never the answer.
int Cp437FromUnicode(uint32_t codePoint);
