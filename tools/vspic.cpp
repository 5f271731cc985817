// vspic: the picture tool. It turns a picture source, a UTF-8 text a person can read, review and
// edit, into the game's ".v_s" picture file, and a ".v_s" file back into a source:
//
//     vspic build NAME.vpic NAME.v_s
//     vspic text NAME.v_s NAME.vpic
//
// A source, line by line (blank lines and lines starting with ";" may stand anywhere outside
// the rows; a ";" after a keyword or palette entry starts a comment):
//
//     vspic 1                 format line
//     size 5 3                width and height in cells
//     palette                 then one "KEY HH" line per colour: a one-character key (printable
//     a 0F                    ASCII, not a blank, ";", "|" or "\") and the attribute in hex,
//     b 1E                    foreground in the low digit, background in the high
//     chars                   then one row per line: a bar, one glyph per cell, a bar. Glyphs
//     |╔═══╗|                 are code page 437 characters written as Unicode; "\xHH" is the
//     |║Hi!║|                 byte HH and "\\" a backslash. The bars keep the row's blanks.
//     |╚═══╝|
//     colours                 then the same rows of palette keys, one per cell; "\xHH" is an
//     |aaaaa|                 attribute HH without a key
//     |abbba|
//     |aaaaa|
//
// `text` writes byte 0 and byte 255 (blank glyphs both) and the backslash as escapes, and keys
// the attributes in the order they first appear, so building its output gives the same file
// back, whatever bytes the cells hold.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "game/core/2dutils.h"
#include "platform/cp437.h"
#include "game/core/files.h"

namespace {

const char *const FORMAT_LINE = "vspic 1";

// Keys the text command hands out, in order; attributes beyond them are written as escapes.
const char KEY_ORDER[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!\"#$%&'()*+,-./:<=>?@[]^_`{}~";

const char *const COLOUR_NAMES[16] = {
    "black",     "blue",       "green",       "cyan",       "red",       "magenta",
    "brown",     "light grey", "dark grey",   "light blue", "light green", "light cyan",
    "light red", "light magenta", "yellow",   "white",
};

bool IsKeyChar(char ch)
{
    return ch > ' ' && ch < 0x7F && ch != ';' && ch != '|' && ch != '\\';
}

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

/* Reading a source. */

// A fault in the source: the tool names the file and line and stops.
[[noreturn]] void SourceError(const std::string &fileName, int lineNumber, const std::string &message)
{
    fprintf(stderr, "vspic: %s:%d: %s\n", fileName.c_str(), lineNumber, message.c_str());
    exit(1);
}

struct SourceReader {
    std::string m_fileName;
    std::vector<std::string> m_lines;  // without their line ends
    size_t m_next = 0;                 // index of the next line to look at

    int LineNumber() const { return (int)m_next; }  // of the line last taken

    [[noreturn]] void Fail(const std::string &message) const { SourceError(m_fileName, LineNumber(), message); }

    static std::string TrimRight(const std::string &text)
    {
        size_t end = text.size();
        while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
            end--;
        return text.substr(0, end);
    }

    static size_t FirstNonBlank(const std::string &text)
    {
        size_t i = 0;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            i++;
        return i;
    }

    static bool IsSkipped(const std::string &text)
    {
        size_t i = FirstNonBlank(text);
        return i == text.size() || text[i] == ';' || text[i] == '\r';
    }

    // The next line that is not blank or a comment, trimmed on the right; false at the end.
    bool NextLine(std::string *pLine)
    {
        while (m_next < m_lines.size()) {
            const std::string &line = m_lines[m_next++];
            if (!IsSkipped(line)) {
                *pLine = TrimRight(line);
                return true;
            }
        }
        return false;
    }

    // The next keyword or palette line without its comment and outer blanks.
    bool NextStatement(std::string *pLine)
    {
        if (!NextLine(pLine))
            return false;
        size_t comment = pLine->find(';');
        if (comment != std::string::npos)
            *pLine = TrimRight(pLine->substr(0, comment));
        pLine->erase(0, FirstNonBlank(*pLine));
        return true;
    }

    std::string ExpectStatement(const char *pWhat)
    {
        std::string line;
        if (!NextStatement(&line))
            SourceError(m_fileName, (int)m_lines.size(), std::string("the source ends where ") + pWhat + " should follow");
        return line;
    }
};

// Reads "\xHH" or "\\" at pos (which holds the backslash); returns the byte and moves pos past it.
int ReadEscape(const SourceReader &reader, const std::string &line, size_t *pPos, bool allowBackslash)
{
    size_t pos = *pPos;
    if (allowBackslash && pos + 1 < line.size() && line[pos + 1] == '\\') {
        *pPos = pos + 2;
        return '\\';
    }
    if (pos + 3 < line.size() && line[pos + 1] == 'x' && HexValue(line[pos + 2]) >= 0 && HexValue(line[pos + 3]) >= 0) {
        *pPos = pos + 4;
        return HexValue(line[pos + 2]) * 16 + HexValue(line[pos + 3]);
    }
    reader.Fail("column " + std::to_string(pos + 1) + ": a backslash starts \\xHH" + (allowBackslash ? " or \\\\" : ""));
}

// A bar is a glyph too, so a short row may only show at its end: both faults get one message.
std::string RowShape(int width)
{
    return "a row is a bar, " + std::to_string(width) + " cells and a bar";
}

// Reads one row of cells between bars: glyphs (chars) or palette keys (colours).
void ReadRow(SourceReader &reader, int width, bool isChars, const std::map<char, unsigned char> &palette,
             std::vector<unsigned char> *pOut)
{
    std::string line;
    if (!reader.NextLine(&line))
        SourceError(reader.m_fileName, (int)reader.m_lines.size(), "the source ends inside a block of rows");
    size_t pos = SourceReader::FirstNonBlank(line);
    if (pos >= line.size() || line[pos] != '|')
        reader.Fail("a row starts with a bar");
    pos++;
    for (int x = 0; x < width; x++) {
        std::string column = "column " + std::to_string(pos + 1) + ": ";
        if (pos >= line.size())
            reader.Fail(column + RowShape(width));
        if (line[pos] == '\\') {
            pOut->push_back((unsigned char)ReadEscape(reader, line, &pos, isChars));
        } else if (isChars) {
            uint32_t codePoint = 0;
            int length = Utf8Decode(line.data() + pos, line.size() - pos, &codePoint);
            if (length == 0)
                reader.Fail(column + "not UTF-8 text");
            int ch = Cp437FromUnicode(codePoint);
            if (ch < 0) {
                char hex[16];
                snprintf(hex, sizeof hex, "U+%04X", (unsigned)codePoint);
                reader.Fail(column + hex + " is not a code page 437 character");
            }
            pOut->push_back((unsigned char)ch);
            pos += (size_t)length;
        } else {
            auto it = palette.find(line[pos]);
            if (it == palette.end())
                reader.Fail(column + "'" + std::string(1, line[pos]) + "' is not a palette key");
            pOut->push_back(it->second);
            pos++;
        }
    }
    if (pos >= line.size() || line[pos] != '|')
        reader.Fail("column " + std::to_string(pos + 1) + ": " + RowShape(width));
    if (pos + 1 != line.size())
        reader.Fail("column " + std::to_string(pos + 2) + ": text after the row's closing bar");
}

bool ReadSize(const std::string &line, int *pWidth, int *pHeight)
{
    const char *p = line.c_str();
    if (strncmp(p, "size ", 5) != 0)
        return false;
    p += 5;
    long long values[2];
    for (long long &value : values) {
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p < '0' || *p > '9')
            return false;
        char *pEnd;
        errno = 0;
        value = strtoll(p, &pEnd, 10);
        if (errno != 0)
            return false;
        p = pEnd;
    }
    if (*p != '\0' || values[0] < 1 || values[1] < 1 || values[0] > INT_MAX / values[1])
        return false;
    *pWidth = (int)values[0];
    *pHeight = (int)values[1];
    return true;
}

Surface *ReadSource(const char *pFileName)
{
    std::ifstream in(pFileName, std::ios::binary);
    if (!in) {
        fprintf(stderr, "vspic: cannot open %s\n", pFileName);
        exit(1);
    }
    SourceReader reader;
    reader.m_fileName = pFileName;
    std::string line;
    while (std::getline(in, line))
        reader.m_lines.push_back(line);

    if (reader.ExpectStatement("the format line") != FORMAT_LINE)
        reader.Fail(std::string("the source starts with \"") + FORMAT_LINE + "\"");
    int width, height;
    if (!ReadSize(reader.ExpectStatement("the size"), &width, &height))
        reader.Fail("expected \"size WIDTH HEIGHT\", both at least 1");
    if (reader.ExpectStatement("the palette") != "palette")
        reader.Fail("expected \"palette\"");

    std::map<char, unsigned char> palette;
    for (;;) {
        line = reader.ExpectStatement("\"chars\"");
        if (line == "chars")
            break;
        if (line.size() != 4 || !IsKeyChar(line[0]) || (line[1] != ' ' && line[1] != '\t') ||
            HexValue(line[2]) < 0 || HexValue(line[3]) < 0)
            reader.Fail("expected a palette entry \"KEY HH\" or \"chars\"");
        if (palette.count(line[0]))
            reader.Fail(std::string("the key '") + line[0] + "' is given twice");
        palette[line[0]] = (unsigned char)(HexValue(line[2]) * 16 + HexValue(line[3]));
    }

    std::vector<unsigned char> chars, attrs;
    for (int y = 0; y < height; y++)
        ReadRow(reader, width, true, palette, &chars);
    if (reader.ExpectStatement("\"colours\"") != "colours")
        reader.Fail("expected \"colours\" after " + std::to_string(height) + " rows");
    for (int y = 0; y < height; y++)
        ReadRow(reader, width, false, palette, &attrs);
    if (reader.NextLine(&line))
        reader.Fail("text after the last row");

    Surface *pSurface = CreateSurface(width, height);
    for (size_t i = 0; i < chars.size(); i++) {
        pSurface->m_pCells[i].m_ch = chars[i];
        pSurface->m_pCells[i].m_attr = attrs[i];
    }
    return pSurface;
}

/* Writing a source. */

void WriteGlyph(std::string *pOut, unsigned char ch)
{
    if (ch == 0 || ch == 0xFF) {
        char escape[8];
        snprintf(escape, sizeof escape, "\\x%02X", ch);
        *pOut += escape;
    } else if (ch == '\\') {
        *pOut += "\\\\";
    } else {
        char utf8[CP437_UTF8_MAX];
        *pOut += std::string(utf8, (size_t)Cp437ToUtf8(ch, utf8));
    }
}

std::string SourceText(const Surface *pSurface)
{
    int width = pSurface->m_nWidth, height = pSurface->m_nHeight;
    size_t count = (size_t)width * (size_t)height;

    std::vector<int> keyOf(256, -1);  // index into KEY_ORDER, or -1 for an escape
    std::vector<unsigned char> keyed;
    for (size_t i = 0; i < count; i++) {
        unsigned char attr = pSurface->m_pCells[i].m_attr;
        if (keyOf[attr] < 0 && keyed.size() < sizeof KEY_ORDER - 1) {
            keyOf[attr] = (int)keyed.size();
            keyed.push_back(attr);
        }
    }

    std::string out;
    out += "; Vostrel picture source. Build it with: vspic build NAME.vpic NAME.v_s\n";
    out += "; chars: one code page 437 glyph per cell between the bars; \\xHH is any byte, \\\\ a backslash.\n";
    out += "; colours: one palette key per cell; \\xHH is an attribute without a key.\n";
    out += std::string(FORMAT_LINE) + "\n";
    out += "size " + std::to_string(width) + " " + std::to_string(height) + "\n";
    out += "palette\n";
    for (size_t k = 0; k < keyed.size(); k++) {
        char entry[80];
        snprintf(entry, sizeof entry, "%c %02X  ; %s on %s\n", KEY_ORDER[k], keyed[k], COLOUR_NAMES[keyed[k] & 0x0F],
                 COLOUR_NAMES[keyed[k] >> 4]);
        out += entry;
    }
    out += "chars\n";
    for (int y = 0; y < height; y++) {
        out += '|';
        for (int x = 0; x < width; x++)
            WriteGlyph(&out, pSurface->m_pCells[(size_t)y * width + x].m_ch);
        out += "|\n";
    }
    out += "colours\n";
    for (int y = 0; y < height; y++) {
        out += '|';
        for (int x = 0; x < width; x++) {
            unsigned char attr = pSurface->m_pCells[(size_t)y * width + x].m_attr;
            if (keyOf[attr] >= 0) {
                out += KEY_ORDER[keyOf[attr]];
            } else {
                char escape[8];
                snprintf(escape, sizeof escape, "\\x%02X", attr);
                out += escape;
            }
        }
        out += "|\n";
    }
    return out;
}

int Usage(void)
{
    fprintf(stderr,
            "usage: vspic build SOURCE.vpic PICTURE.v_s   make a picture file from its source\n"
            "       vspic text PICTURE.v_s SOURCE.vpic    write a picture file back as a source\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return Usage();
    std::string command = argv[1];
    if (command == "build") {
        Surface *pSurface = ReadSource(argv[2]);
        int result = SaveSurfaceFile(argv[3], pSurface);
        DestroySurface(&pSurface);
        if (result != 0) {
            fprintf(stderr, "vspic: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (command == "text") {
        Surface *pSurface = LoadSurfaceFile(argv[2]);  // a faulty picture ends the tool with its message
        std::string text = SourceText(pSurface);
        DestroySurface(&pSurface);
        std::ofstream out(argv[3], std::ios::binary);
        out << text;
        out.close();
        if (!out) {
            fprintf(stderr, "vspic: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
