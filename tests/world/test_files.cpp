// Picture files: what loads, every way a faulty file ends the program (message on standard
// output, status 1, file closed), and the writer; and the picture tool, run as the program it is:
// every picture survives the trip to text and back, faulty sources are refused with their line,
// and the committed pictures under assets/ are what their sources build.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "game/core/files.h"
#include "tests/world/motion_world.h"

using namespace std::string_literals;

namespace {

using motion_test::FileText;

const std::string VSPIC = VOSTREL_BINARY_DIR "/vspic", ASSETS = VOSTREL_SOURCE_DIR "/assets/";

// A file name of this test's own, in the scratch directory the tests run in.
std::string TestFile(const std::string &suffix)
{
    return "files_"s + testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

std::string WriteTestFile(const std::string &bytes, const std::string &suffix = ".v_s")
{
    std::ofstream(TestFile(suffix), std::ios::binary) << bytes;
    return TestFile(suffix);
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

struct ToolRun {
    int status;          // exit status, or -1 when the tool did not exit normally
    std::string output;  // standard output and standard error together
};

// The arguments are the tests' own file names, free of blanks and quotes.
ToolRun Vspic(const std::string &args)
{
    std::string output = TestFile(".out");
    int status = std::system((VSPIC + " " + args + " >" + output + " 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(output)};
}

// The names in assets/ with the given extension, without it.
std::set<std::string> AssetNames(const char *pExtension)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(ASSETS))
        if (entry.path().extension() == pExtension)
            names.insert(entry.path().stem().string());
    return names;
}

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
    std::vector<std::pair<std::string, const char *>> cases = {
        {" [Vostrel]\n1\n[Surface]\n1\n1\nab", NOT_VOSTREL},
        {"[Vostrel]\0\n1\n[Surface]\n1\n1\nab"s, NOT_VOSTREL},
        {"[Vostrel]\n0\n[Surface]\n1\n1\nab", TOO_OLD},
        {"[Vostrel]\nnew\n[Surface]\n1\n1\nab", TOO_OLD},  // no digits read as 0
        {"[Vostrel]\n2\n[Surface]\n1\n1\nab", TOO_NEW},
        {"[Vostrel]\n99999999999999999999999\n[Surface]\n1\n1\nab", TOO_NEW},
        {"[Vostrel]\n1\n[Surfaces]\n1\n1\nab", BAD_TAG},
        {HEADER_3X2 + CELLS_3X2.substr(0, 11), EARLY_END},
        {"[Vostrel]\n1\n[Surface]\n3", EARLY_END},
        {"", EARLY_END},
        {"[Vostrel]\n1\n[Surface]\n3\n; the height is missing\n", EARLY_END},
        // A large size on a short file ends early without taking the memory.
        {"[Vostrel]\n1\n[Surface]\n1024\n1024\nabcd", EARLY_END},
    };
    // Sizes below one, unreadable, or of more cells than any picture: not a picture at all, and the
    // size check of the cell buffer is never reached.
    for (const char *pSize : {"0\n2", "2\n-1", "wide\n1", "65536\n65536", "2147483648\n1", "1\n99999999999999999999999",
                              "1025\n1024"})
        cases.push_back({"[Vostrel]\n1\n[Surface]\n"s + pSize + "\nabcd", NOT_VOSTREL});
    for (const auto &c : cases)
        EXPECT_EXIT(LoadInChild(WriteTestFile(c.first)), testing::ExitedWithCode(1), "^ERROR: "s + c.second + "\n$")
            << c.first;
    // From a pipe, whose length cannot be told before reading, the size is bounded all the same.
    for (const auto &c : {std::make_pair("[Vostrel]\n1\n[Surface]\n2147483647\n1\nabcd"s, NOT_VOSTREL),
                          std::make_pair(HEADER_3X2 + CELLS_3X2.substr(0, 11), EARLY_END)}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        ASSERT_EQ(write(fds[1], c.first.data(), c.first.size()), (ssize_t)c.first.size());
        close(fds[1]);
        EXPECT_EXIT(LoadInChild("/dev/fd/" + std::to_string(fds[0])), testing::ExitedWithCode(1),
                    "^ERROR: "s + c.second + "\n$") << c.first;
        close(fds[0]);
    }
    for (const char *pMissing : {"files_no_such_picture.v_s", "."})
        EXPECT_EXIT(LoadInChild(pMissing), testing::ExitedWithCode(1), "^ERROR: "s + OPENED + "\n$");
}

TEST(SaveSurfaceFile, WritesTheHeaderAndTheRawCellsAndReportsAFileItCannotWrite)
{
    Surface *pSurface = CreateSurface(2, 1);
    pSurface->m_pCells[0] = Cell{'\n', 0x00};
    pSurface->m_pCells[1] = Cell{0xDB, 0xFF};
    ASSERT_EQ(SaveSurfaceFile(TestFile(".v_s").c_str(), pSurface), 0);
    EXPECT_EQ(FileText(TestFile(".v_s")), "[Vostrel]\n1\n[Surface]\n2\n1\n\n\x00\xDB\xFF"s);
    EXPECT_EQ(SaveSurfaceFile("files_no_such_directory/picture.v_s", pSurface), 1);
    EXPECT_EQ(SaveSurfaceFile("/dev/full", pSurface), 1);
    DestroySurface(&pSurface);
}

TEST(Vspic, EveryByteSurvivesTheTripToTextAndBack)
{
    std::string picture = TestFile(".v_s"), source = TestFile(".vpic"), rebuilt = TestFile("_rebuilt.v_s"),
                retold = TestFile("_retold.vpic");
    Surface *pSurface = CreateSurface(32, 16);  // every character with every attribute somewhere
    for (int i = 0; i < 512; i++)
        pSurface->m_pCells[i] = Cell{(unsigned char)(i % 256), (unsigned char)(i < 256 ? 255 - i : (i * 7) % 256)};
    ASSERT_EQ(SaveSurfaceFile(picture.c_str(), pSurface), 0);
    ToolRun toText = Vspic("text " + picture + " " + source), build = Vspic("build " + source + " " + rebuilt);
    ASSERT_EQ(toText.status, 0) << toText.output;
    ASSERT_EQ(build.status, 0) << build.output;
    EXPECT_EQ(FileText(rebuilt), FileText(picture));
    ASSERT_EQ(Vspic("text " + rebuilt + " " + retold).status, 0);
    EXPECT_EQ(FileText(retold), FileText(source));
    Surface *pLoaded = LoadSurfaceFile(rebuilt.c_str());
    EXPECT_EQ(std::string((const char *)pLoaded->m_pCells, 1024), std::string((const char *)pSurface->m_pCells, 1024));
    DestroySurface(&pSurface);
    DestroySurface(&pLoaded);
}

TEST(Vspic, FaultySourcesAreRefusedWithTheirLineAndLeaveNothing)
{
    const std::string head = "vspic 1\nsize 3 2\npalette\na 0F\nchars\n", chars = "|abc|\n|def|\n",
                      colours = "colours\n|aaa|\n|aaa|\n", picture = TestFile(".v_s");
    // The good source that the faults spoil builds.
    EXPECT_EQ(Vspic("build " + WriteTestFile(head + chars + colours, ".vpic") + " " + picture).status, 0);
    const struct {
        std::string text;
        int line;
        const char *pWords;
    } cases[] = {
        {"vspic 2\n" + head.substr(8) + chars + colours, 1, "starts with \"vspic 1\""},
        {"vspic 1\nsize 70000 70000\n", 2, "size WIDTH HEIGHT"},
        {head + "|a\u20ACc|\n|def|\n" + colours, 6, "U+20AC is not a code page 437 character"},
        {head + chars + "colours\n|aba|\n|aaa|\n", 9, "'b' is not a palette key"},
        {head + chars + "colours\n|aaa|\n", 9, "ends inside a block"},
    };
    for (const auto &c : cases) {
        remove(picture.c_str());
        std::string source = WriteTestFile(c.text, ".vpic");
        ToolRun run = Vspic("build " + source + " " + picture);
        EXPECT_EQ(run.status, 1) << c.text;
        EXPECT_EQ(run.output.rfind("vspic: " + source + ":" + std::to_string(c.line) + ": ", 0), 0u) << run.output;
        EXPECT_NE(run.output.find(c.pWords), std::string::npos) << c.text << run.output;
        EXPECT_FALSE(std::filesystem::exists(picture)) << c.text;
    }
    for (const char *pArgs : {"", "draw a b", "build only-one"})
        EXPECT_EQ(Vspic(pArgs).status, 2) << pArgs;
}

TEST(Vspic, EveryPictureInAssetsIsWhatItsCommittedSourceBuilds)
{
    std::set<std::string> sources = AssetNames(".vpic");
    ASSERT_FALSE(sources.empty()) << "no picture sources in " << ASSETS;
    for (const std::string &name : sources) {
        std::string built = TestFile("_" + name + ".v_s"), committed = ASSETS + name + ".v_s";
        ToolRun run = Vspic("build " + ASSETS + name + ".vpic " + built);
        ASSERT_EQ(run.status, 0) << name << ".vpic: " << run.output;
        EXPECT_TRUE(std::filesystem::exists(committed) && FileText(built) == FileText(committed))
            << "assets/" << name << ".v_s is not what assets/" << name << ".vpic builds; rebuild it with vspic";
    }
    for (const std::string &name : AssetNames(".v_s"))
        EXPECT_TRUE(sources.count(name)) << "assets/" << name << ".v_s has no source";
}
