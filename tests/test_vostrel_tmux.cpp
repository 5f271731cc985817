// The real program in a real terminal: vostrel runs in an 80x50 tmux pane from a working
// directory laid out as the play command lays it out. A player's clicks arrive as SGR mouse
// reports; what the pane shows is read back, and the terminal must be as it was afterwards.
#include <set>

#include "tests/game_dir.h"
#include "tests/tmux_harness.h"

using namespace tmuxh;

namespace {

// The cell of a label in a plain capture: its row, and its column counted in glyphs.
bool FindOnPane(const std::string &capture, const std::string &label, int *pX, int *pY)
{
    std::istringstream lines(capture);
    std::string line;
    for (int y = 0; std::getline(lines, line); y++) {
        size_t at = line.find(label);
        if (at == std::string::npos)
            continue;
        int x = 0;
        for (size_t i = 0; i < at; i++)
            x += ((unsigned char)line[i] & 0xC0) != 0x80;
        *pX = x;
        *pY = y;
        return true;
    }
    return false;
}

class VostrelInTmux : public ::testing::Test {
protected:
    // Presses and releases the left button on the middle of a label the pane shows.
    void ClickLabel(TmuxPane &pane, const std::string &label)
    {
        int x = 0, y = 0;
        std::string capture = pane.Capture();
        ASSERT_TRUE(FindOnPane(capture, label, &x, &y)) << label << "\n" << capture;
        x += (int)label.size() / 2;
        pane.SendBytes(Sgr(0, x, y, 'M'));
        pane.SendBytes(Sgr(0, x, y, 'm'));
    }

    bool WaitForText(TmuxPane &pane, const std::string &text)
    {
        return pane.WaitFor([&] { return pane.Capture().find(text) != std::string::npos; });
    }

    GameDirectory m_dir;
};

TEST_F(VostrelInTmux, NewGameTellsTheStoryAKeySkipsToTheGameAndQuitGivesTheTerminalBack)
{
    if (!TmuxInstalled())
        GTEST_SKIP() << "tmux is not installed";
    TmuxPane pane;
    std::string binary = std::string(VOSTREL_BINARY_DIR) + "/vostrel";
    ASSERT_TRUE(pane.StartCommand(binary, "NEW GAME", m_dir.Run().string())) << pane.Capture();
    EXPECT_EQ(pane.Flags(), "1 0 1 1 1 0") << "alternate cursor mouse sgr keypad wrap";
    EXPECT_EQ(pane.Trimmed(pane.Tmux({"display", "-p", "-t", "t", "#{pane_title}"})), "Vostrel");
    // The title's block letters in their colours over the stars.
    EXPECT_NE(pane.Capture().find("██"), std::string::npos) << pane.Capture();

    // NEW GAME tells the story: its first line is typed a character at a time under the planet,
    // and any key skips to the game screen.
    ClickLabel(pane, "NEW GAME");
    std::set<std::string> typed;  // what the story row showed, capture by capture
    ASSERT_TRUE(pane.WaitFor([&] {
        std::istringstream lines(pane.Capture());
        std::string line;
        for (int y = 0; std::getline(lines, line); y++) {
            if (y == 33 && line.find("THE") != std::string::npos)
                typed.insert(line.substr(line.find_first_not_of(' ')));
        }
        return typed.count("THE FUTURE") > 0;
    }, 60000)) << pane.Capture();
    EXPECT_GT(typed.size(), 1u) << "the line appeared whole instead of being typed";
    for (const std::string &shown : typed)
        EXPECT_EQ(std::string("THE FUTURE").rfind(shown, 0), 0u) << shown;
    EXPECT_EQ(pane.Capture().find("End Turn"), std::string::npos);
    pane.SendKey("x");
    ASSERT_TRUE(WaitForText(pane, "End Turn")) << pane.Capture();
    ASSERT_TRUE(WaitForText(pane, "Welcome to Vostrel!")) << pane.Capture();
    {
        int x = 0, y = 0;
        ASSERT_TRUE(FindOnPane(pane.Capture(), "End Turn", &x, &y));
        PaneScreen shown(pane.Capture(true));
        shown.ExpectCell(x - 2, y - 1, 0xC9, 14, 0);  // the button's frame: light cyan on black
        shown.ExpectCell(x, y, 'E', 14, 0);
        EXPECT_NE(pane.Capture().find("Company:"), std::string::npos);
    }

    pane.SendKey("Escape");
    ASSERT_TRUE(WaitForText(pane, "QUIT GAME")) << pane.Capture();
    ClickLabel(pane, "QUIT GAME");
    EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"Initializing 2D utilities...done.", "Initializing window manager...done.",
                                   "Initializing input manager...done.",
                                   "Shutting down window manager...done.", "Shutting down 2D utilities...done.",
                                   "Shutting down input manager...done.", "probe-exit=0"});
}

}  // namespace

// The installed game, typed by name from a directory of no concern to it: it finds its pictures
// in the installed data directory and keeps its working files in the player's data directory,
// which it makes on first start.
TEST(InstalledVostrelInTmux, RunsFromAnyDirectoryAndKeepsItsFilesInThePlayersDataDirectory)
{
    SKIP_WITHOUT_TMUX();
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/vostrel-install-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path root = pattern, prefix = root / "prefix", data = root / "data", elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    tmuxh::Run({"cmake", "--install", VOSTREL_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_TRUE(fs::exists(prefix / "bin/vostrel"));
    ASSERT_TRUE(fs::exists(prefix / "share/vostrel/fixed0.v_s"));
    {
        TmuxPane pane;
        ASSERT_TRUE(pane.StartCommand("XDG_DATA_HOME=" + data.string() + " PATH=" + (prefix / "bin").string() +
                                          ":$PATH vostrel", "NEW GAME", elsewhere.string()))
            << pane.Capture();
        int x = 0, y = 0;
        ASSERT_TRUE(FindOnPane(pane.Capture(), "NEW GAME", &x, &y));
        pane.SendBytes(Sgr(0, x + 4, y, 'M') + Sgr(0, x + 4, y, 'm'));
        // The story begins; a key skips it.
        ASSERT_TRUE(pane.WaitFor([&] { return pane.Capture().find("THE F") != std::string::npos; }, 60000))
            << pane.Capture();
        pane.SendKey("x");
        ASSERT_TRUE(pane.WaitFor([&] { return pane.Capture().find("End Turn") != std::string::npos; }))
            << pane.Capture();
        pane.SendKey("Escape");
        ASSERT_TRUE(pane.WaitFor([&] { return FindOnPane(pane.Capture(), "QUIT GAME", &x, &y); }));
        pane.SendBytes(Sgr(0, x + 4, y, 'M') + Sgr(0, x + 4, y, 'm'));
        EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
    }
    EXPECT_TRUE(fs::exists(data / "vostrel/AIDebug.txt"));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(root);
}
