// The code page 437 table and its UTF-8 forms, which the terminal shows and picture sources use.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/cp437.h"

TEST(Cp437Table, EveryByteButZeroHasAGlyphOfItsOwn)
{
    std::set<uint32_t> glyphs;
    for (int ch = 1; ch < 256; ch++) {
        EXPECT_TRUE(glyphs.insert(g_cp437ToUnicode[ch]).second) << "byte " << ch << " shares its glyph";
        EXPECT_EQ(Cp437FromUnicode(g_cp437ToUnicode[ch]), ch);
    }
}

TEST(Cp437Table, GraphicsArrowsBoxesAndBlanksAreWhereTheConsoleHasThem)
{
    EXPECT_EQ(g_cp437ToUnicode[0x01], 0x263Au);  // smiley
    EXPECT_EQ(g_cp437ToUnicode[0x18], 0x2191u);  // up
    EXPECT_EQ(g_cp437ToUnicode[0x19], 0x2193u);  // down
    EXPECT_EQ(g_cp437ToUnicode[0x1A], 0x2192u);  // right
    EXPECT_EQ(g_cp437ToUnicode[0x1B], 0x2190u);  // left
    EXPECT_EQ(g_cp437ToUnicode[0x7F], 0x2302u);  // house
    EXPECT_EQ(g_cp437ToUnicode[0xB3], 0x2502u);  // light vertical
    EXPECT_EQ(g_cp437ToUnicode[0xC5], 0x253Cu);  // light cross, the cursor's centre
    EXPECT_EQ(g_cp437ToUnicode[0xC9], 0x2554u);  // double down and right
    EXPECT_EQ(g_cp437ToUnicode[0xDB], 0x2588u);  // full block
    EXPECT_EQ(g_cp437ToUnicode[0xDD], 0x258Cu);  // left half block
    EXPECT_EQ(g_cp437ToUnicode[0xE1], 0x00DFu);  // sharp s
    EXPECT_EQ(g_cp437ToUnicode[0x00], 0x0020u);
    EXPECT_EQ(g_cp437ToUnicode[0xFF], 0x00A0u);
    for (int ch = 0x20; ch < 0x7F; ch++)
        EXPECT_EQ(g_cp437ToUnicode[ch], (uint32_t)ch);
}

TEST(Cp437Table, ABlankDecodesToTheSpaceNotToByteZero)
{
    EXPECT_EQ(Cp437FromUnicode(0x20), 0x20);
    EXPECT_EQ(Cp437FromUnicode(0x00A0), 0xFF);
    EXPECT_EQ(Cp437FromUnicode(0x09), -1);    // a tab is no glyph
    EXPECT_EQ(Cp437FromUnicode(0x20AC), -1);  // the euro sign is not in the set
}

TEST(Cp437Utf8, EveryByteEncodesAndDecodesBack)
{
    for (int ch = 1; ch < 256; ch++) {
        char utf8[CP437_UTF8_MAX];
        int length = Cp437ToUtf8((unsigned char)ch, utf8);
        uint32_t cp = g_cp437ToUnicode[ch];
        EXPECT_EQ(length, cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3) << "byte " << ch;
        uint32_t decoded = 0;
        EXPECT_EQ(Utf8Decode(utf8, (size_t)length, &decoded), length);
        EXPECT_EQ(decoded, cp);
    }
}

TEST(Cp437Utf8, KnownFormsAreWrittenByteForByte)
{
    char utf8[CP437_UTF8_MAX];
    ASSERT_EQ(Cp437ToUtf8(0xDB, utf8), 3);
    EXPECT_EQ(memcmp(utf8, "\xE2\x96\x88", 3), 0);
    ASSERT_EQ(Cp437ToUtf8(0x82, utf8), 2);
    EXPECT_EQ(memcmp(utf8, "\xC3\xA9", 2), 0);
    ASSERT_EQ(Cp437ToUtf8('A', utf8), 1);
    EXPECT_EQ(utf8[0], 'A');
}

TEST(Cp437Utf8, MalformedSequencesAreRefused)
{
    uint32_t cp = 0;
    EXPECT_EQ(Utf8Decode("\xC0\x80", 2, &cp), 0);      // overlong
    EXPECT_EQ(Utf8Decode("\xE0\x80\x80", 3, &cp), 0);  // overlong
    EXPECT_EQ(Utf8Decode("\xED\xA0\x80", 3, &cp), 0);  // surrogate
    EXPECT_EQ(Utf8Decode("\xF4\x90\x80\x80", 4, &cp), 0);  // past U+10FFFF
    EXPECT_EQ(Utf8Decode("\xE2\x95", 2, &cp), 0);      // cut short
    EXPECT_EQ(Utf8Decode("\xE2\x95\x94", 2, &cp), 0);  // cut short by the length given
    EXPECT_EQ(Utf8Decode("\x80", 1, &cp), 0);          // a stray continuation byte
    EXPECT_EQ(Utf8Decode("\xE2" "A" "\x94", 3, &cp), 0);
    EXPECT_EQ(Utf8Decode("\xF8\x88\x80\x80\x80", 5, &cp), 0);
    EXPECT_EQ(Utf8Decode("", 0, &cp), 0);
    EXPECT_EQ(Utf8Decode("\xF0\x9F\x9A\x80", 4, &cp), 4);  // valid, beyond the set
    EXPECT_EQ(cp, 0x1F680u);
    EXPECT_EQ(Cp437FromUnicode(cp), -1);
}
