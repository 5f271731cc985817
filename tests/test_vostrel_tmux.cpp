// The real program in a real terminal: vostrel runs in an 80x50 tmux pane from a working
// directory laid out as the play command lays it out, or installed and typed by name. A player's
// clicks arrive as SGR mouse reports; what the pane shows is read back, and the terminal must be
// as it was afterwards.
#include <set>

#include "tests/game_dir.h"
#include "tests/tmux_harness.h"

using namespace tmuxh;

namespace {

// From the title screen: NEW GAME tells the story until storyShown holds, the game screen stays
// away until a key skips to it; inGame runs there; Escape and QUIT GAME end the program with 0.
void PlayNewGameAndQuit(TmuxPane &pane, const std::function<bool()> &storyShown, const std::function<void()> &inGame)
{
    pane.ClickLabel("NEW GAME");
    ASSERT_TRUE(pane.WaitFor(storyShown, 60000)) << pane.Capture();
    EXPECT_EQ(pane.Capture().find("End Turn"), std::string::npos);
    pane.SendKey("x");
    ASSERT_TRUE(pane.WaitForText("End Turn")) << pane.Capture();
    inGame();
    pane.SendKey("Escape");
    ASSERT_TRUE(pane.WaitForText("QUIT GAME")) << pane.Capture();
    pane.ClickLabel("QUIT GAME");
    EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
}

TEST(VostrelInTmux, NewGameTellsTheStoryAKeySkipsToTheGameAndQuitGivesTheTerminalBack)
{
    SKIP_WITHOUT_TMUX();
    GameDirectory dir;
    TmuxPane pane;
    ASSERT_TRUE(pane.StartCommand(std::string(VOSTREL_BINARY_DIR) + "/vostrel", "NEW GAME", dir.Run().string()))
        << pane.Capture();
    EXPECT_EQ(pane.Flags(), "1 0 1 1 1 0") << "alternate cursor mouse sgr keypad wrap";
    EXPECT_EQ(pane.Trimmed(pane.Tmux({"display", "-p", "-t", "t", "#{pane_title}"})), "Vostrel");
    // The title's block letters in their colours over the stars.
    EXPECT_NE(pane.Capture().find("██"), std::string::npos) << pane.Capture();

    // The story's first line is typed a character at a time under the planet.
    std::set<std::string> typed;  // what the story row showed, capture by capture
    auto storyRow = [&] {
        std::istringstream lines(pane.Capture());
        std::string line;
        for (int y = 0; std::getline(lines, line) && y <= 33; y++)
            if (y == 33 && line.find("THE") != std::string::npos)
                typed.insert(line.substr(line.find_first_not_of(' ')));
        return typed.count("THE FUTURE") > 0;
    };
    PlayNewGameAndQuit(pane, storyRow, [&] {
        ASSERT_TRUE(pane.WaitForText("Welcome to Vostrel!")) << pane.Capture();
        int x = 0, y = 0;
        ASSERT_TRUE(pane.Find("End Turn", &x, &y));
        PaneScreen shown(pane.Capture(true));
        shown.ExpectCell(x - 2, y - 1, 0xC9, 14, 0);  // the button's frame: light cyan on black
        shown.ExpectCell(x, y, 'E', 14, 0);
        EXPECT_NE(pane.Capture().find("Company:"), std::string::npos);
    });
    EXPECT_GT(typed.size(), 1u) << "the line appeared whole instead of being typed";
    for (const std::string &shown : typed)
        EXPECT_EQ(std::string("THE FUTURE").rfind(shown, 0), 0u) << shown;
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"Initializing 2D utilities...done.", "Initializing window manager...done.",
                                   "Initializing input manager...done.",
                                   "Shutting down window manager...done.", "Shutting down 2D utilities...done.",
                                   "Shutting down input manager...done.", "probe-exit=0"});
}

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
        PlayNewGameAndQuit(pane, [&] { return pane.Capture().find("THE F") != std::string::npos; }, [] {});
    }
    EXPECT_TRUE(fs::exists(data / "vostrel/AIDebug.txt"));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(root);
}

}  // namespace
