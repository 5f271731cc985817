// The picture tool, run as the program it is: every picture survives the trip to text and back,
// faulty sources are refused with their line, and the committed pictures under assets/ are what
// their sources build (which also reads hand-written sources of every feature).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "game/files.h"

namespace {

const std::string VSPIC = VOSTREL_BINARY_DIR "/vspic";
const std::string ASSETS = VOSTREL_SOURCE_DIR "/assets/";

struct ToolRun {
    int status;          // exit status, or -1 when the tool did not exit normally
    std::string output;  // standard output and standard error together
};

// The arguments are the tests' own file names, free of blanks and quotes.
ToolRun Vspic(const std::string &args)
{
    ToolRun run = {-1, ""};
    FILE *pPipe = popen((VSPIC + " " + args + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
        run.output.append(buffer, n);
    int status = pclose(pPipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string TestFile(const std::string &suffix)
{
    return std::string("vspic_") + testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

std::string ReadBytes(const std::string &name)
{
    std::ostringstream bytes;
    bytes << std::ifstream(name, std::ios::binary).rdbuf();
    return bytes.str();
}

bool Exists(const std::string &name) { return std::filesystem::exists(name); }

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

TEST(Vspic, EveryByteSurvivesTheTripToTextAndBack)
{
    std::string picture = TestFile(".v_s"), source = TestFile(".vpic"), rebuilt = TestFile("_rebuilt.v_s"),
                retold = TestFile("_retold.vpic");
    Surface *pSurface = CreateSurface(32, 16);  // every character with every attribute somewhere
    for (int i = 0; i < 512; i++)
        pSurface->m_pCells[i] = Cell{(unsigned char)(i % 256), (unsigned char)(i < 256 ? 255 - i : (i * 7) % 256)};
    ASSERT_EQ(SaveSurfaceFile(picture.c_str(), pSurface), 0);
    DestroySurface(&pSurface);
    ToolRun toText = Vspic("text " + picture + " " + source);
    ASSERT_EQ(toText.status, 0) << toText.output;
    ToolRun build = Vspic("build " + source + " " + rebuilt);
    ASSERT_EQ(build.status, 0) << build.output;
    EXPECT_EQ(ReadBytes(rebuilt), ReadBytes(picture));
    ASSERT_EQ(Vspic("text " + rebuilt + " " + retold).status, 0);
    EXPECT_EQ(ReadBytes(retold), ReadBytes(source));
}

TEST(Vspic, FaultySourcesAndPicturesAreRefusedWithTheirLineAndLeaveNothing)
{
    const std::string head = "vspic 1\nsize 3 2\npalette\na 0F\nchars\n", chars = "|abc|\n|def|\n",
                      colours = "colours\n|aaa|\n|aaa|\n";
    std::string source = TestFile(".vpic"), picture = TestFile(".v_s");
    std::ofstream(source, std::ios::binary) << head + chars + colours;
    EXPECT_EQ(Vspic("build " + source + " " + picture).status, 0);  // the good source the faults spoil
    const struct {
        std::string text;
        int line;
        const char *pWords;
    } cases[] = {
        {"vspic 2\n" + head.substr(8) + chars + colours, 1, "starts with \"vspic 1\""},
        {"vspic 1\nsize 70000 70000\n", 2, "size WIDTH HEIGHT"},
        {"vspic 1\nsize 3 2\npalette\na 0F\na 1F\n", 5, "given twice"},
        {head + "|a\n|def|\n" + colours, 6, "column 3: a row is a bar, 3 cells and a bar"},
        {head + "|abc| x\n|def|\n" + colours, 6, "after the row's closing bar"},
        {head + "|a\u20ACc|\n|def|\n" + colours, 6, "U+20AC is not a code page 437 character"},
        {head + "|a\xFF" "c|\n|def|\n" + colours, 6, "not UTF-8"},
        {head + "|a\\x4|\n|def|\n" + colours, 6, "backslash"},
        {head + chars + "colours\n|aba|\n|aaa|\n", 9, "'b' is not a palette key"},
        {head + chars + "colours\n|aaa|\n", 9, "ends inside a block"},
        {head + chars + colours + "|aaa|\n", 11, "after the last row"},
        {"", 0, "the format line"},
    };
    for (const auto &c : cases) {
        remove(picture.c_str());
        std::ofstream(source, std::ios::binary) << c.text;
        ToolRun run = Vspic("build " + source + " " + picture);
        EXPECT_EQ(run.status, 1) << c.text;
        EXPECT_EQ(run.output.rfind("vspic: " + source + ":" + std::to_string(c.line) + ": ", 0), 0u) << run.output;
        EXPECT_NE(run.output.find(c.pWords), std::string::npos) << c.text << run.output;
        EXPECT_FALSE(Exists(picture)) << c.text;
    }
    std::ofstream(picture, std::ios::binary) << "[Vostrel]\n2\n[Surface]\n1\n1\nab";
    remove(source.c_str());
    ToolRun text = Vspic("text " + picture + " " + source);
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.output, "ERROR: The format of this file is too new\n");
    EXPECT_FALSE(Exists(source));
    for (const char *pArgs : {"", "draw a b", "build only-one"})
        EXPECT_EQ(Vspic(pArgs).status, 2) << pArgs;
    EXPECT_NE(Vspic("").output.find("usage: vspic build"), std::string::npos);
    ToolRun missing = Vspic("build vspic_no_such_source.vpic " + picture);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos) << missing.output;
}

TEST(Vspic, EveryPictureInAssetsIsWhatItsCommittedSourceBuilds)
{
    std::set<std::string> sources = AssetNames(".vpic");
    ASSERT_FALSE(sources.empty()) << "no picture sources in " << ASSETS;
    for (const std::string &name : sources) {
        std::string built = TestFile("_" + name + ".v_s");
        ToolRun run = Vspic("build " + ASSETS + name + ".vpic " + built);
        ASSERT_EQ(run.status, 0) << name << ".vpic: " << run.output;
        EXPECT_TRUE(Exists(ASSETS + name + ".v_s") && ReadBytes(built) == ReadBytes(ASSETS + name + ".v_s"))
            << "assets/" << name << ".v_s is not what assets/" << name << ".vpic builds; rebuild it with vspic";
    }
    for (const std::string &name : AssetNames(".v_s"))
        EXPECT_TRUE(sources.count(name)) << "assets/" << name << ".v_s has no source";
}
