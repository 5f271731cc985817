// Picture files: what loads, every way a faulty file ends the program (message on standard
// output, status 1, file closed), and the writer the picture tool uses.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "game/files.h"

using namespace std::string_literals;

namespace {

// A file name of this test's own, in the scratch directory the tests run in.
std::string TestFile(const char *pSuffix)
{
    const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("files_") + pInfo->test_suite_name() + "_" + pInfo->name() + pSuffix;
}

std::string WriteTestFile(const std::string &bytes, const char *pSuffix = ".v_s")
{
    std::string name = TestFile(pSuffix);
    std::ofstream(name, std::ios::binary) << bytes;
    return name;
}

std::string ReadBytes(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const std::string HEADER_3X2 = "[Vostrel]\n1\n[Surface]\n3\n2\n";
const std::string CELLS_3X2 = "a\x01" "b\x02" "c\x03" "d\x04" "e\x05" "f\x06"s;

void ExpectCells(const Surface *pSurface, const std::string &cells)
{
    ASSERT_EQ((size_t)pSurface->m_nWidth * pSurface->m_nHeight * 2, cells.size());
    EXPECT_EQ(0, memcmp(pSurface->m_pCells, cells.data(), cells.size()));
}

// Set in the child of a death test: the picture being loaded, which must be closed by the time
// the exit handlers run (the standard streams are flushed and closed only after them).
std::string s_watchedFile;

void ReportWatchedFileStillOpen(void)
{
    char target[PATH_MAX];
    if (realpath(s_watchedFile.c_str(), target) == NULL)
        return;
    DIR *pDir = opendir("/proc/self/fd");
    if (pDir == NULL)
        return;
    while (struct dirent *pEntry = readdir(pDir)) {
        char link[PATH_MAX];
        std::string fd = std::string("/proc/self/fd/") + pEntry->d_name;
        ssize_t n = readlink(fd.c_str(), link, sizeof link - 1);
        if (n > 0) {
            link[n] = '\0';
            if (strcmp(link, target) == 0)
                fprintf(stderr, "picture still open at exit\n");
        }
    }
    closedir(pDir);
}

bool WatchedFileIsOpen(const std::string &name)
{
    char target[PATH_MAX];
    if (realpath(name.c_str(), target) == NULL)
        return false;
    bool open = false;
    DIR *pDir = opendir("/proc/self/fd");
    while (struct dirent *pEntry = readdir(pDir)) {
        char link[PATH_MAX];
        std::string fd = std::string("/proc/self/fd/") + pEntry->d_name;
        ssize_t n = readlink(fd.c_str(), link, sizeof link - 1);
        if (n > 0) {
            link[n] = '\0';
            open = open || strcmp(link, target) == 0;
        }
    }
    closedir(pDir);
    return open;
}

// Runs in the death test's child: standard output joins standard error, which the death test
// matches, so the check sees the loader's message byte for byte and nothing else.
void LoadInChild(const std::string &name)
{
    fflush(stdout);
    dup2(2, 1);
    s_watchedFile = name;
    atexit(ReportWatchedFileStillOpen);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    DestroySurface(&pSurface);
}

const char *const OPENED = "^ERROR: File could not be opened\n$";
const char *const NOT_VOSTREL = "^ERROR: File is not a valid Vostrel data file\n$";
const char *const TOO_OLD = "^ERROR: The format of this file is too old\n$";
const char *const TOO_NEW = "^ERROR: The format of this file is too new\n$";
const char *const BAD_TAG = "^ERROR: Bad tag encountered in file\n$";
const char *const EARLY_END = "^ERROR: Prematurely reached the end of file\n$";

#define EXPECT_LOAD_FAILS(bytes, message) \
    EXPECT_EXIT(LoadInChild(WriteTestFile(bytes)), ::testing::ExitedWithCode(1), message)

}  // namespace

TEST(LoadSurfaceFile, APlainFileGivesItsCellsRowByRow)
{
    std::string name = WriteTestFile(HEADER_3X2 + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ASSERT_EQ(pSurface->m_nWidth, 3);
    ASSERT_EQ(pSurface->m_nHeight, 2);
    EXPECT_EQ(pSurface->m_pCells[0].m_ch, 'a');
    EXPECT_EQ(pSurface->m_pCells[0].m_attr, 1);
    EXPECT_EQ(pSurface->m_pCells[1 * 3 + 2].m_ch, 'f');  // column 2, row 1
    EXPECT_EQ(pSurface->m_pCells[1 * 3 + 2].m_attr, 6);
    EXPECT_FALSE(WatchedFileIsOpen(name));
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, CommentsAndEmptyLinesMayStandBeforeAndBetweenTheLines)
{
    std::string name = WriteTestFile("; a picture\n\n\r\n;another\n[Vostrel]\n;\n1\n\n[Surface]\n; size\n3\n\n2\n" + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ExpectCells(pSurface, CELLS_3X2);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, TrailingBlanksTabsAndCarriageReturnsAreIgnored)
{
    std::string name = WriteTestFile("[Vostrel]  \t\r\n1\r\n[Surface] \r\n3\t\r\n2 \r\n" + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ExpectCells(pSurface, CELLS_3X2);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, TextAfterTheDigitsOfASizeIsIgnored)
{
    std::string name = WriteTestFile("[Vostrel]\n1 (the format)\n[Surface]\n3 columns\n2 rows\n" + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    EXPECT_EQ(pSurface->m_nWidth, 3);
    EXPECT_EQ(pSurface->m_nHeight, 2);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, TheCellBlockIsRawBytesEvenWhereTheyLookLikeLineEndsOrComments)
{
    // Starts right after the height's line feed with ";", a line feed and a carriage return.
    std::string cells = "\x3B\x0A\x0D\x3B\x0A\x0D\x00\xFF\x0A\x0A\x3B\x00"s;
    std::string name = WriteTestFile(HEADER_3X2 + cells + "bytes after the block are ignored");
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ExpectCells(pSurface, cells);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, AnOverlongCommentStaysOneComment)
{
    std::string name = WriteTestFile(";" + std::string(400, '=') + "\n" + HEADER_3X2 + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ExpectCells(pSurface, CELLS_3X2);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFile, ACellBlockStartsAfterAnOverlongHeightLine)
{
    std::string name = WriteTestFile("[Vostrel]\n1\n[Surface]\n3\n2" + std::string(300, ' ') + "\n" + CELLS_3X2);
    Surface *pSurface = LoadSurfaceFile(name.c_str());
    ExpectCells(pSurface, CELLS_3X2);
    DestroySurface(&pSurface);
}

TEST(LoadSurfaceFileDeathTest, AMissingFileCannotBeOpened)
{
    EXPECT_EXIT(LoadInChild("files_no_such_picture.v_s"), ::testing::ExitedWithCode(1), OPENED);
    EXPECT_EXIT(LoadInChild("."), ::testing::ExitedWithCode(1), OPENED);
}

TEST(LoadSurfaceFileDeathTest, TheHeaderMustBeExactlyVostrel)
{
    EXPECT_LOAD_FAILS(" [Vostrel]\n1\n[Surface]\n1\n1\nab", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[vostrel]\n1\n[Surface]\n1\n1\nab", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]x\n1\n[Surface]\n1\n1\nab", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]\0\n1\n[Surface]\n1\n1\nab"s, NOT_VOSTREL);
}

TEST(LoadSurfaceFileDeathTest, OnlyVersionOneIsRead)
{
    EXPECT_LOAD_FAILS("[Vostrel]\n0\n[Surface]\n1\n1\nab", TOO_OLD);
    EXPECT_LOAD_FAILS("[Vostrel]\nnew\n[Surface]\n1\n1\nab", TOO_OLD);
    EXPECT_LOAD_FAILS("[Vostrel]\n-7\n[Surface]\n1\n1\nab", TOO_OLD);
    EXPECT_LOAD_FAILS("[Vostrel]\n2\n[Surface]\n1\n1\nab", TOO_NEW);
    EXPECT_LOAD_FAILS("[Vostrel]\n99999999999999999999999\n[Surface]\n1\n1\nab", TOO_NEW);
}

TEST(LoadSurfaceFileDeathTest, TheRecordTagMustBeSurface)
{
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surfaces]\n1\n1\nab", BAD_TAG);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n 1\n1\nab", BAD_TAG);
}

TEST(LoadSurfaceFileDeathTest, AFileEndingBeforeItsLastCellByteEndsEarly)
{
    EXPECT_LOAD_FAILS(HEADER_3X2 + CELLS_3X2.substr(0, 11), EARLY_END);
    EXPECT_LOAD_FAILS(HEADER_3X2, EARLY_END);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n3", EARLY_END);
}

TEST(LoadSurfaceFileDeathTest, AFileEndingWhereALineShouldBeEndsEarly)
{
    EXPECT_LOAD_FAILS("", EARLY_END);
    EXPECT_LOAD_FAILS("; only a comment\n\n", EARLY_END);
    EXPECT_LOAD_FAILS("[Vostrel]\n", EARLY_END);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n3\n; the height is missing\n", EARLY_END);
}

// Not a picture at all: the size check of the cell buffer is never reached.
TEST(LoadSurfaceFileDeathTest, ASizeBelowOneIsNotAVostrelFile)
{
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n0\n2\nabcd", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n2\n-1\nabcd", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\nwide\n1\nabcd", NOT_VOSTREL);
}

TEST(LoadSurfaceFileDeathTest, ASizeWhoseCellsCannotBeCountedIsNotAVostrelFile)
{
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n65536\n65536\nabcd", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n2147483648\n1\nabcd", NOT_VOSTREL);
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n1\n99999999999999999999999\nabcd", NOT_VOSTREL);
}

TEST(LoadSurfaceFileDeathTest, AHugeSizeOnAShortFileEndsEarlyWithoutTakingTheMemory)
{
    EXPECT_LOAD_FAILS("[Vostrel]\n1\n[Surface]\n46340\n46340\nabcd", EARLY_END);
}

TEST(SaveSurfaceFile, WritesTheHeaderAndTheRawCells)
{
    Surface *pSurface = CreateSurface(2, 1);
    pSurface->m_pCells[0] = Cell{'\n', 0x00};
    pSurface->m_pCells[1] = Cell{0xDB, 0xFF};
    std::string name = TestFile(".v_s");
    ASSERT_EQ(SaveSurfaceFile(name.c_str(), pSurface), 0);
    EXPECT_EQ(ReadBytes(name), "[Vostrel]\n1\n[Surface]\n2\n1\n\n\x00\xDB\xFF"s);
    DestroySurface(&pSurface);
}

TEST(SaveSurfaceFile, WhatItWritesLoadsBackCellForCell)
{
    Surface *pSurface = CreateSurface(16, 16);
    for (int i = 0; i < 256; i++)
        pSurface->m_pCells[i] = Cell{(unsigned char)i, (unsigned char)(255 - i)};
    std::string name = TestFile(".v_s");
    ASSERT_EQ(SaveSurfaceFile(name.c_str(), pSurface), 0);
    Surface *pLoaded = LoadSurfaceFile(name.c_str());
    ASSERT_EQ(pLoaded->m_nWidth, 16);
    ASSERT_EQ(pLoaded->m_nHeight, 16);
    EXPECT_EQ(0, memcmp(pLoaded->m_pCells, pSurface->m_pCells, 512));
    DestroySurface(&pSurface);
    DestroySurface(&pLoaded);
}

TEST(SaveSurfaceFile, AFileThatCannotBeWrittenIsReported)
{
    Surface *pSurface = CreateSurface(1, 1);
    pSurface->m_pCells[0] = Cell{' ', 0x07};
    EXPECT_EQ(SaveSurfaceFile("files_no_such_directory/picture.v_s", pSurface), 1);
    EXPECT_EQ(SaveSurfaceFile("/dev/full", pSurface), 1);
    DestroySurface(&pSurface);
}
