// The picture tool, run as the program it is: sources build into the cells they show, every
// picture survives the trip to text and back, faulty sources are refused with their line, and
// the committed pictures under assets/ are what their sources build.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/files.h"

using namespace std::string_literals;

namespace {

const std::string VSPIC = VOSTREL_BINARY_DIR "/vspic";

struct ToolRun {
    int status;          // exit status, or -1 when the tool did not exit normally
    std::string output;  // standard output and standard error together
};

ToolRun RunVspic(const std::vector<std::string> &args)
{
    ToolRun run = {-1, ""};
    int fds[2];
    if (pipe(fds) != 0)
        return run;
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(VSPIC.c_str()));
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv(VSPIC.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, (size_t)n);
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

std::string TestFile(const char *pSuffix)
{
    const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("vspic_") + pInfo->test_suite_name() + "_" + pInfo->name() + pSuffix;
}

std::string ReadBytes(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string &name, const std::string &bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

bool FileExists(const std::string &name)
{
    struct stat info;
    return stat(name.c_str(), &info) == 0;
}

class VspicTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FileExists(VSPIC)) << VSPIC << " is not built"; }
};

// Every character byte with every attribute byte somewhere, in a picture wider than tall.
Surface *EveryByte(void)
{
    Surface *pSurface = CreateSurface(32, 16);
    for (int i = 0; i < 512; i++)
        pSurface->m_pCells[i] = Cell{(unsigned char)(i % 256), (unsigned char)(i < 256 ? 255 - i : (i * 7) % 256)};
    return pSurface;
}

}  // namespace

TEST_F(VspicTest, EveryByteSurvivesTheTripToTextAndBack)
{
    std::string picture = TestFile(".v_s"), source = TestFile(".vpic"), rebuilt = TestFile("_rebuilt.v_s"),
                retold = TestFile("_retold.vpic");
    Surface *pSurface = EveryByte();
    ASSERT_EQ(SaveSurfaceFile(picture.c_str(), pSurface), 0);
    DestroySurface(&pSurface);

    ToolRun toText = RunVspic({"text", picture, source});
    ASSERT_EQ(toText.status, 0) << toText.output;
    ToolRun build = RunVspic({"build", source, rebuilt});
    ASSERT_EQ(build.status, 0) << build.output;
    EXPECT_EQ(ReadBytes(rebuilt), ReadBytes(picture));

    ToolRun again = RunVspic({"text", rebuilt, retold});
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(ReadBytes(retold), ReadBytes(source));
}

TEST_F(VspicTest, TheTextShowsBoxesAsGlyphsAndEscapesOnlyWhatHasNone)
{
    std::string picture = TestFile(".v_s"), source = TestFile(".vpic");
    Surface *pSurface = CreateSurface(5, 1);
    const unsigned char chars[] = {0xC9, 0xCD, 0x00, '\\', 0xFF};
    for (int i = 0; i < 5; i++)
        pSurface->m_pCells[i] = Cell{chars[i], 0x1E};
    ASSERT_EQ(SaveSurfaceFile(picture.c_str(), pSurface), 0);
    DestroySurface(&pSurface);
    ASSERT_EQ(RunVspic({"text", picture, source}).status, 0);
    std::string text = ReadBytes(source);
    EXPECT_NE(text.find("size 5 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("a 1E  ; yellow on blue\n"), std::string::npos) << text;
    EXPECT_NE(text.find("chars\n|\u2554\u2550\\x00\\\\\\xFF|\ncolours\n|aaaaa|\n"), std::string::npos) << text;
}

TEST_F(VspicTest, AHandWrittenSourceBuildsTheCellsItShows)
{
    std::string source = TestFile(".vpic"), picture = TestFile(".v_s");
    WriteBytes(source,
               "; a comment before everything\r\n"
               "vspic 1   ; the format\r\n"
               "size 6 2\r\n"
               "\r\n"
               "palette\r\n"
               "  w 0F\r\n"
               "  y 1e   ; yellow on blue, in small hex digits\r\n"
               "chars\r\n"
               "  |\u2554\u2550 a\\\\\u00A0|   \r\n"  // leading and trailing blanks around the bars
               "; a comment between the rows\r\n"
               "|\\x00\u00A0\u2588|\u263A\\xfe|\r\n"
               "colours\r\n"
               "|wwyy\\x4Ew|\r\n"
               "|yyyyyy|\r\n");
    ToolRun run = RunVspic({"build", source, picture});
    ASSERT_EQ(run.status, 0) << run.output;

    Surface *pSurface = LoadSurfaceFile(picture.c_str());
    ASSERT_EQ(pSurface->m_nWidth, 6);
    ASSERT_EQ(pSurface->m_nHeight, 2);
    const unsigned char chars[] = {0xC9, 0xCD, ' ', 'a', '\\', 0xFF, 0x00, 0xFF, 0xDB, '|', 0x01, 0xFE};
    const unsigned char attrs[] = {0x0F, 0x0F, 0x1E, 0x1E, 0x4E, 0x0F, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E};
    for (int i = 0; i < 12; i++) {
        EXPECT_EQ(pSurface->m_pCells[i].m_ch, chars[i]) << "cell " << i;
        EXPECT_EQ(pSurface->m_pCells[i].m_attr, attrs[i]) << "cell " << i;
    }
    DestroySurface(&pSurface);
}

namespace {

const std::string GOOD_HEAD = "vspic 1\nsize 3 2\npalette\na 0F\nchars\n";
const std::string GOOD_CHARS = "|abc|\n|def|\n";
const std::string GOOD_COLOURS = "colours\n|aaa|\n|aaa|\n";

}  // namespace

TEST_F(VspicTest, TheGoodSourceOfTheFaultCasesBuilds)
{
    std::string source = TestFile(".vpic"), picture = TestFile(".v_s");
    WriteBytes(source, GOOD_HEAD + GOOD_CHARS + GOOD_COLOURS);
    ToolRun run = RunVspic({"build", source, picture});
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST_F(VspicTest, FaultySourcesAreRefusedWithTheirLineAndNoPicture)
{
    struct Case {
        std::string text;
        int line;
        const char *pWords;
    };
    const Case cases[] = {
        {"vspic 2\n" + GOOD_HEAD.substr(8) + GOOD_CHARS + GOOD_COLOURS, 1, "starts with \"vspic 1\""},
        {"vspic 1\nsize 0 2\n", 2, "size WIDTH HEIGHT"},
        {"vspic 1\nsize 70000 70000\n", 2, "size WIDTH HEIGHT"},
        {"vspic 1\nsize 3 2\npalette\nab 0F\n", 4, "palette entry"},
        {"vspic 1\nsize 3 2\npalette\na 0F\na 1F\n", 5, "given twice"},
        {GOOD_HEAD + "|ab|\n|def|\n" + GOOD_COLOURS, 6, "column 5: a row is a bar, 3 cells and a bar"},
        {GOOD_HEAD + "|a\n|def|\n" + GOOD_COLOURS, 6, "column 3: a row is a bar, 3 cells and a bar"},
        {GOOD_HEAD + "|abcd|\n|def|\n" + GOOD_COLOURS, 6, "column 5: a row is a bar, 3 cells and a bar"},
        {GOOD_HEAD + "abc\n|def|\n" + GOOD_COLOURS, 6, "starts with a bar"},
        {GOOD_HEAD + "|abc| x\n|def|\n" + GOOD_COLOURS, 6, "after the row's closing bar"},
        {GOOD_HEAD + "|a\u20ACc|\n|def|\n" + GOOD_COLOURS, 6, "U+20AC is not a code page 437 character"},
        {GOOD_HEAD + "|a\tc|\n|def|\n" + GOOD_COLOURS, 6, "U+0009"},
        {GOOD_HEAD + "|a\xFF" "c|\n|def|\n" + GOOD_COLOURS, 6, "not UTF-8"},
        {GOOD_HEAD + "|a\\qc|\n|def|\n" + GOOD_COLOURS, 6, "backslash"},
        {GOOD_HEAD + "|a\\x4|\n|def|\n" + GOOD_COLOURS, 6, "backslash"},
        {GOOD_HEAD + GOOD_CHARS + "colours\n|aba|\n|aaa|\n", 9, "'b' is not a palette key"},
        {GOOD_HEAD + GOOD_CHARS + "colours\n|a\\\\a|\n|aaa|\n", 9, "backslash"},
        {GOOD_HEAD + GOOD_CHARS + "|ghi|\n" + GOOD_COLOURS, 8, "expected \"colours\""},
        {GOOD_HEAD + GOOD_CHARS + "colours\n|aaa|\n", 9, "ends inside a block"},
        {GOOD_HEAD + GOOD_CHARS + GOOD_COLOURS + "|aaa|\n", 11, "after the last row"},
        {"", 0, "the format line"},
    };
    std::string source = TestFile(".vpic"), picture = TestFile(".v_s");
    for (const Case &c : cases) {
        remove(picture.c_str());
        WriteBytes(source, c.text);
        ToolRun run = RunVspic({"build", source, picture});
        EXPECT_EQ(run.status, 1) << c.text;
        std::string where = "vspic: " + source + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(run.output.rfind(where, 0), 0u) << run.output;
        EXPECT_NE(run.output.find(c.pWords), std::string::npos) << c.text << run.output;
        EXPECT_FALSE(FileExists(picture)) << c.text;
    }
}

TEST_F(VspicTest, AFaultyPictureStopsTheTextCommandWithTheLoadersMessage)
{
    std::string picture = TestFile(".v_s"), source = TestFile(".vpic");
    WriteBytes(picture, "[Vostrel]\n2\n[Surface]\n1\n1\nab");
    ToolRun run = RunVspic({"text", picture, source});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "ERROR: The format of this file is too new\n");
    EXPECT_FALSE(FileExists(source));
}

TEST_F(VspicTest, AWrongCommandLineShowsTheUsage)
{
    ToolRun none = RunVspic({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.output.find("usage: vspic build"), std::string::npos) << none.output;
    EXPECT_EQ(RunVspic({"draw", "a", "b"}).status, 2);
    EXPECT_EQ(RunVspic({"build", "only-one"}).status, 2);
    ToolRun missing = RunVspic({"build", "vspic_no_such_source.vpic", TestFile(".v_s")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos) << missing.output;
}

namespace {

// The names in a directory with the given extension, without it.
std::set<std::string> NamesWithExtension(const std::string &directory, const std::string &extension)
{
    std::set<std::string> names;
    DIR *pDir = opendir(directory.c_str());
    if (pDir == NULL)
        return names;
    while (struct dirent *pEntry = readdir(pDir)) {
        std::string name = pEntry->d_name;
        if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            names.insert(name.substr(0, name.size() - extension.size()));
    }
    closedir(pDir);
    return names;
}

const std::string ASSETS = VOSTREL_SOURCE_DIR "/assets/";

}  // namespace

TEST_F(VspicTest, EveryPictureSourceInAssetsBuildsItsCommittedPicture)
{
    std::set<std::string> sources = NamesWithExtension(ASSETS, ".vpic");
    ASSERT_FALSE(sources.empty()) << "no picture sources in " << ASSETS;
    for (const std::string &name : sources) {
        std::string built = TestFile(("_" + name + ".v_s").c_str());
        ToolRun run = RunVspic({"build", ASSETS + name + ".vpic", built});
        ASSERT_EQ(run.status, 0) << name << ".vpic: " << run.output;
        ASSERT_TRUE(FileExists(ASSETS + name + ".v_s")) << name << ".vpic has no committed " << name << ".v_s";
        EXPECT_TRUE(ReadBytes(built) == ReadBytes(ASSETS + name + ".v_s"))
            << "assets/" << name << ".v_s is not what assets/" << name << ".vpic builds; rebuild it with vspic";
    }
}

TEST_F(VspicTest, EveryPictureInAssetsHasItsSource)
{
    for (const std::string &name : NamesWithExtension(ASSETS, ".v_s"))
        EXPECT_TRUE(FileExists(ASSETS + name + ".vpic")) << "assets/" << name << ".v_s has no source";
}
