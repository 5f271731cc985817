// Picture files: what loads, every way a faulty file ends the program (message on standard
// output, status 1, file closed), and the writer the picture tool uses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/files.h"

using namespace std::string_literals;

namespace {

// A file of this test's own, in the scratch directory the tests run in.
std::string WriteTestFile(const std::string &bytes)
{
    std::string name = std::string("files_") + testing::UnitTest::GetInstance()->current_test_info()->name() + ".v_s";
    std::ofstream(name, std::ios::binary) << bytes;
    return name;
}

bool FileIsOpen(const std::string &name)
{
    std::error_code missing, gone;
    std::filesystem::path target = std::filesystem::canonical(name, missing);
    for (const auto &fd : std::filesystem::directory_iterator("/proc/self/fd"))
        if (!missing && std::filesystem::read_symlink(fd, gone) == target)
            return true;
    return false;
}

// Set in the child of a death test: the picture being loaded, which must be closed by the time
// the exit handlers run (the standard streams are flushed and closed only after them).
std::string s_watchedFile;

// Runs in the death test's child: standard output joins standard error, which the death test
// matches, so the check sees the loader's message byte for byte and nothing else.
void LoadInChild(const std::string &name)
{
    fflush(stdout);
    dup2(2, 1);
    s_watchedFile = name;
    atexit([] {
        if (FileIsOpen(s_watchedFile))
            fprintf(stderr, "picture still open at exit\n");
    });
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    DestroySurface(&pSurface);
}

const std::string HEADER_3X2 = "[Vostrel]\n1\n[Surface]\n3\n2\n";
const std::string CELLS_3X2 = "a\x01" "b\x02" "c\x03" "d\x04" "e\x05" "f\x06"s;

}  // namespace

TEST(LoadSurfaceFile, TheTextLinesAllowCommentsBlanksAndOverlongLinesAndTheCellsAreRawBytes)
{
    const std::string raw = "\x3B\x0A\x0D\x3B\x0A\x0D\x00\xFF\x0A\x0A\x3B\x00"s;  // ";", line feeds, returns
    const std::string files[][2] = {
        {HEADER_3X2 + CELLS_3X2, CELLS_3X2},
        {"; a picture\n\n\r\n;another\n[Vostrel]\n;\n1\n\n[Surface]\n; size\n3\n\n2\n" + CELLS_3X2, CELLS_3X2},
        {"[Vostrel]  \t\r\n1\r\n[Surface] \r\n3\t\r\n2 \r\n" + CELLS_3X2, CELLS_3X2},
        {"[Vostrel]\n1 (the format)\n[Surface]\n3 columns\n2 rows\n" + CELLS_3X2, CELLS_3X2},
        {HEADER_3X2 + raw + "bytes after the block are ignored", raw},
        {";" + std::string(400, '=') + "\n" + HEADER_3X2 + CELLS_3X2, CELLS_3X2},
        {"[Vostrel]\n1\n[Surface]\n3\n2" + std::string(300, ' ') + "\n" + CELLS_3X2, CELLS_3X2},
    };
    for (const auto &file : files) {
        std::string name = WriteTestFile(file[0]);
        Surface *pSurface = LoadSurfaceFile(name.c_str());
        EXPECT_FALSE(FileIsOpen(name));
        ASSERT_EQ(pSurface->m_nWidth, 3) << file[0];
        ASSERT_EQ(pSurface->m_nHeight, 2);
        EXPECT_EQ(std::string((const char *)pSurface->m_pCells, 12), file[1]) << file[0];
        DestroySurface(&pSurface);
    }
}

TEST(LoadSurfaceFileDeathTest, EveryFaultPrintsItsMessageClosesTheFileAndExitsWithStatusOne)
{
    const char *OPENED = "File could not be opened", *NOT_VOSTREL = "File is not a valid Vostrel data file",
               *TOO_OLD = "The format of this file is too old", *TOO_NEW = "The format of this file is too new",
               *BAD_TAG = "Bad tag encountered in file", *EARLY_END = "Prematurely reached the end of file";
    const std::pair<std::string, const char *> cases[] = {
        {" [Vostrel]\n1\n[Surface]\n1\n1\nab", NOT_VOSTREL},
        {"[Vostrel]\0\n1\n[Surface]\n1\n1\nab"s, NOT_VOSTREL},
        {"[Vostrel]\n0\n[Surface]\n1\n1\nab", TOO_OLD},
        {"[Vostrel]\nnew\n[Surface]\n1\n1\nab", TOO_OLD},
        {"[Vostrel]\n2\n[Surface]\n1\n1\nab", TOO_NEW},
        {"[Vostrel]\n99999999999999999999999\n[Surface]\n1\n1\nab", TOO_NEW},
        {"[Vostrel]\n1\n[Surfaces]\n1\n1\nab", BAD_TAG},
        {HEADER_3X2 + CELLS_3X2.substr(0, 11), EARLY_END},
        {"[Vostrel]\n1\n[Surface]\n3", EARLY_END},
        {"", EARLY_END},
        {"; only a comment\n\n", EARLY_END},
        {"[Vostrel]\n1\n[Surface]\n3\n; the height is missing\n", EARLY_END},
        // Sizes below one, or whose cells cannot be counted: not a picture at all, and the size
        // check of the cell buffer is never reached.
        {"[Vostrel]\n1\n[Surface]\n0\n2\nabcd", NOT_VOSTREL},
        {"[Vostrel]\n1\n[Surface]\n2\n-1\nabcd", NOT_VOSTREL},
        {"[Vostrel]\n1\n[Surface]\nwide\n1\nabcd", NOT_VOSTREL},
        {"[Vostrel]\n1\n[Surface]\n65536\n65536\nabcd", NOT_VOSTREL},
        {"[Vostrel]\n1\n[Surface]\n2147483648\n1\nabcd", NOT_VOSTREL},
        {"[Vostrel]\n1\n[Surface]\n1\n99999999999999999999999\nabcd", NOT_VOSTREL},
        // A huge size on a short file ends early without taking the memory.
        {"[Vostrel]\n1\n[Surface]\n46340\n46340\nabcd", EARLY_END},
    };
    for (const auto &c : cases)
        EXPECT_EXIT(LoadInChild(WriteTestFile(c.first)), testing::ExitedWithCode(1), "^ERROR: "s + c.second + "\n$")
            << c.first;
    for (const char *pMissing : {"files_no_such_picture.v_s", "."})
        EXPECT_EXIT(LoadInChild(pMissing), testing::ExitedWithCode(1), "^ERROR: "s + OPENED + "\n$");
}

TEST(SaveSurfaceFile, WritesTheHeaderAndTheRawCellsThatLoadBackAndReportsAFileItCannotWrite)
{
    Surface *pSurface = CreateSurface(2, 1);
    pSurface->m_pCells[0] = Cell{'\n', 0x00};
    pSurface->m_pCells[1] = Cell{0xDB, 0xFF};
    std::string name = WriteTestFile("");
    ASSERT_EQ(SaveSurfaceFile(name.c_str(), pSurface), 0);
    std::ostringstream bytes;
    bytes << std::ifstream(name, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "[Vostrel]\n1\n[Surface]\n2\n1\n\n\x00\xDB\xFF"s);
    Surface *pLoaded = LoadSurfaceFile(name.c_str());
    EXPECT_EQ(0, memcmp(pLoaded->m_pCells, pSurface->m_pCells, 4));
    EXPECT_EQ(SaveSurfaceFile("files_no_such_directory/picture.v_s", pSurface), 1);
    EXPECT_EQ(SaveSurfaceFile("/dev/full", pSurface), 1);
    DestroySurface(&pSurface);
    DestroySurface(&pLoaded);
}
