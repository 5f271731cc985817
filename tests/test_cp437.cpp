// The code page 437 table and its UTF-8 forms, which the terminal shows and picture sources use.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/cp437.h"

TEST(Cp437, EveryByteHasAPrintableGlyphOfItsOwnWhereTheConsoleHasIt)
{
    std::set<uint32_t> glyphs;
    for (int ch = 0; ch < 256; ch++) {
        uint32_t cp = g_cp437ToUnicode[ch];
        EXPECT_TRUE(cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0)) << "byte " << ch << " is a control";
        char utf8[CP437_UTF8_MAX];
        int length = Cp437ToUtf8((unsigned char)ch, utf8);
        EXPECT_EQ(length, cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3) << "byte " << ch;
        uint32_t decoded = 0;
        EXPECT_EQ(Utf8Decode(utf8, (size_t)length, &decoded), length);
        EXPECT_EQ(decoded, cp);
        if (ch == 0)
            continue;  // shows as the space, which decodes to the space's own byte
        EXPECT_TRUE(glyphs.insert(cp).second) << "byte " << ch << " shares its glyph";
        EXPECT_EQ(Cp437FromUnicode(cp), ch);
    }

    // Graphics, arrows, boxes and blanks where the console has them.
    const uint32_t known[][2] = {{0x00, 0x20},   {0x01, 0x263A}, {0x03, 0x2665}, {0x07, 0x2022}, {0x10, 0x25BA},
                                 {0x18, 0x2191}, {0x19, 0x2193}, {0x1A, 0x2192}, {0x1B, 0x2190}, {0x7F, 0x2302},
                                 {0x80, 0x00C7}, {0x9E, 0x20A7}, {0xB0, 0x2591}, {0xB3, 0x2502}, {0xBA, 0x2551},
                                 {0xC5, 0x253C}, {0xC9, 0x2554}, {0xCA, 0x2569}, {0xCD, 0x2550}, {0xDB, 0x2588},
                                 {0xDD, 0x258C}, {0xE1, 0x00DF}, {0xFE, 0x25A0}, {0xFF, 0x00A0}};
    for (const auto &g : known)
        EXPECT_EQ(g_cp437ToUnicode[g[0]], g[1]) << "byte " << std::hex << g[0];
    for (int ch = 0x20; ch < 0x7F; ch++)
        EXPECT_EQ(g_cp437ToUnicode[ch], (uint32_t)ch);
}

TEST(Cp437, MalformedUtf8AndCharactersOutsideTheSetAreRefused)
{
    // Overlong forms, a surrogate, past U+10FFFF, cut short, a stray continuation byte, a broken
    // continuation, a five-byte form, nothing at all.
    const std::string bad[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x95",
                               "\x80",     "\xE2" "A" "\x94", "\xF8\x88\x80\x80\x80", ""};
    uint32_t cp = 0;
    for (const std::string &s : bad)
        EXPECT_EQ(Utf8Decode(s.data(), s.size(), &cp), 0) << testing::PrintToString(s);
    EXPECT_EQ(Utf8Decode("\xE2\x95\x94", 2, &cp), 0);  // cut short by the length given
    EXPECT_EQ(Utf8Decode("\xF0\x9F\x9A\x80", 4, &cp), 4);
    EXPECT_EQ(cp, 0x1F680u);
    EXPECT_EQ(Cp437FromUnicode(cp), -1);      // valid, but beyond the set
    EXPECT_EQ(Cp437FromUnicode(0x09), -1);    // a tab is no glyph
    EXPECT_EQ(Cp437FromUnicode(0x20AC), -1);
}
