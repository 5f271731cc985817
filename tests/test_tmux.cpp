// Programs of ours in a real terminal: an 80x50 tmux pane under an interactive shell runs the
// terminal probe (tests/tmux/termprobe.cpp) or the game itself. The tests click and type through
// tmux, read the pane back (through libvterm, for the glyphs and colours) and check that every way
// out leaves the terminal as it was, with what the program printed visible afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>
#include <vterm.h>

#include "platform/cp437.h"
#include "tests/game_dir.h"

namespace {

namespace fs = std::filesystem;

bool NoTmux() { return system("tmux -V > /dev/null 2>&1") != 0; }

// Runs a program with its arguments, each quoted for the shell, and returns its standard output.
std::string RunProgram(const std::vector<std::string> &args)
{
    std::string command, out;
    for (const std::string &arg : args) {
        command += " '";
        for (char c : arg)
            command += c == '\'' ? "'\\''" : std::string(1, c);
        command += "'";
    }
    if (FILE *pPipe = popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, pPipe)) > 0;)
            out.append(buf, n);
        pclose(pPipe);
    }
    return out;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WaitFor(const std::function<bool()> &done, int timeoutMs = 20000)
{
    for (auto start = std::chrono::steady_clock::now(); !done(); std::this_thread::sleep_for(std::chrono::milliseconds(40)))
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs))
            return false;
    return true;
}

std::string Trimmed(std::string s) { return s.erase(s.find_last_not_of(" \n") + 1); }

// An SGR mouse report of button b at the cell (x, y); final 'M' presses, 'm' releases.
std::string Sgr(int b, int x, int y, char final)
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

// The pane's screen as a terminal shows it, from "capture-pane -p -e".
struct PaneScreen {
    VTerm *vt = vterm_new(50, 80);
    VTermScreen *screen = vterm_obtain_screen(vt);
    explicit PaneScreen(std::string capture)
    {
        vterm_set_utf8(vt, 1);
        vterm_screen_reset(screen, 1);
        capture.erase(capture.find_last_not_of('\n') + 1);
        std::string bytes;
        for (char c : capture)
            bytes += c == '\n' ? std::string("\x1b[0m\r\n") : std::string(1, c);
        vterm_input_write(vt, bytes.data(), bytes.size());
    }
    ~PaneScreen() { vterm_free(vt); }
    // The glyph a cell shows, and its ANSI colour indexes fg and bg (-1: not a palette index).
    std::vector<int> At(int x, int y) const
    {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
        auto index = [](const VTermColor &c) { return VTERM_COLOR_IS_INDEXED(&c) ? c.indexed.idx : -1; };
        return {(int)(cell.chars[0] ? cell.chars[0] : 0x20u), index(cell.fg), index(cell.bg)};
    }
    // The cell shows this code page 437 byte with the ANSI colour indexes fg and bg.
    void ExpectCell(int x, int y, unsigned char ch, int fg, int bg) const
    {
        EXPECT_EQ(At(x, y), (std::vector<int>{(int)g_cp437ToUnicode[ch], fg, bg})) << "glyph, fg, bg at " << x << "," << y;
    }
};

// The modes a program takes over: alternate screen, cursor shown, mouse reports, SGR mouse
// reports, application keypad, autowrap.
const char *const MODES = "#{alternate_on} #{cursor_flag} #{mouse_any_flag} #{mouse_sgr_flag} #{keypad_flag} #{wrap_flag}";

struct TmuxPane {
    TmuxPane()
    {
        char dir[] = "/tmp/vostrel-tmux-XXXXXX";  // the server's socket, and the shell's notes
        EXPECT_NE(mkdtemp(dir), nullptr) << "no scratch directory";
        m_dir = dir;
    }
    ~TmuxPane()
    {
        Tmux({"kill-server"});
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string Tmux(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"tmux", "-S", m_dir + "/socket", "-f", "/dev/null"});
        return RunProgram(args);
    }

    // An interactive shell in an 80x50 pane runs a command line in workDir between two readings
    // of the terminal settings and says how it ended ("probe-exit=<status>"); waits until the pane
    // shows readyText.
    bool Start(const std::string &command, const std::string &readyText, const std::string &workDir = "/")
    {
        Tmux({"new-session", "-d", "-x", "80", "-y", "50", "-s", "t", "bash --norc --noprofile -i"});
        if (!WaitFor([&] { return !Trimmed(Capture()).empty(); }))
            return false;
        SendBytes("stty -g > " + m_dir + "/before; cd " + workDir + " && " + command + "; echo probe-exit=$?; stty -g > " +
                  m_dir + "/after\r");
        return WaitFor([&] { return Shows(readyText); });
    }

    // The terminal probe, ready when its button shows.
    bool StartProbe() { return Start(std::string(VOSTREL_BINARY_DIR) + "/termprobe --pidfile " + m_dir + "/pid", "Click me"); }

    // The pane's text; with escapes, its colours too (-q changes nothing here).
    std::string Capture(bool escapes = false) { return Tmux({"capture-pane", "-p", escapes ? "-e" : "-q", "-t", "t"}); }
    bool Shows(const std::string &text) { return Capture().find(text) != std::string::npos; }
    std::string Display(const std::string &format) { return Trimmed(Tmux({"display", "-p", "-t", "t", format})); }

    // Types bytes into the pane as the terminal would pass them on ("\x1a" is Ctrl-Z).
    void SendBytes(const std::string &bytes)
    {
        std::vector<std::string> args = {"send-keys", "-t", "t", "-H"};
        char hex[3];
        for (unsigned char c : bytes) {
            snprintf(hex, sizeof hex, "%02x", c);
            args.push_back(hex);
        }
        Tmux(args);
    }

    // The cell of a label on the pane: its row, and its column counted in glyphs.
    bool Find(const std::string &label, int *pX, int *pY)
    {
        std::istringstream lines(Capture());
        std::string line;
        for (*pY = 0; std::getline(lines, line); ++*pY)
            if (size_t at = line.find(label); at != std::string::npos) {
                *pX = 0;
                for (size_t i = 0; i < at; i++)
                    *pX += ((unsigned char)line[i] & 0xC0) != 0x80;
                return true;
            }
        return false;
    }

    // Presses and releases the left button on the middle of a label the pane shows.
    void ClickLabel(const std::string &label)
    {
        int x = 0, y = 0;
        ASSERT_TRUE(Find(label, &x, &y)) << label << "\n" << Capture();
        x += (int)label.size() / 2;
        SendBytes(Sgr(0, x, y, 'M') + Sgr(0, x, y, 'm'));
    }

    // Waits for the shell to report how the program ended (after marker); returns that status, or -1.
    int WaitForExit(const std::string &marker = "probe-exit=")
    {
        int status = -1;
        WaitFor([&] {  // the echoed command line shows the marker too, followed by "$?"
            std::string text = Capture();
            for (size_t pos = text.find(marker); pos != std::string::npos; pos = text.find(marker, pos + 1))
                if (sscanf(text.c_str() + pos + marker.size(), "%d", &status) == 1)
                    return true;
            return false;
        });
        WaitFor([&] { return !Note("after").empty(); });  // the second stty has run
        return status;
    }

    // The program has the screen, the modes it needs and its title.
    void ExpectTaken() { EXPECT_EQ(Display(std::string(MODES) + " #{pane_title}"), "1 0 1 1 1 0 Vostrel") << MODES; }

    // The terminal is as it was before: the modes as a shell has them, the same termios settings.
    void ExpectSane()
    {
        EXPECT_EQ(Display(MODES), "0 1 0 0 0 1") << MODES;
        EXPECT_FALSE(Note("before").empty());
        EXPECT_EQ(Note("before"), Note("after"));
    }

    // The shell's notes: the terminal settings before and after, the probe's process id.
    std::string Note(const std::string &name) { return ReadFile(m_dir + "/" + name); }

    std::string m_dir;
};

// Lines of text appear in this order (each found after the one before).
void ExpectInOrder(const std::string &text, const std::vector<std::string> &lines)
{
    size_t pos = 0;
    for (const std::string &line : lines) {
        size_t found = text.find(line, pos);
        EXPECT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\nin:\n" << text;
        pos = found == std::string::npos ? pos : found + line.size();
    }
}

// The probe's whole screen: its framed button and label, and every byte in colour over rows 30-33.
void ExpectProbeScreen(TmuxPane &pane)
{
    ASSERT_TRUE(WaitFor([&] { return pane.Shows("glyphs above"); })) << pane.Capture();
    PaneScreen shown(pane.Capture(true));
    shown.ExpectCell(10, 5, 0xC9, 14, 4);  // bright cyan frame on blue
    shown.ExpectCell(23, 7, 0xBC, 14, 4);
    shown.ExpectCell(13, 6, 'C', 11, 4);   // yellow label on blue
    for (int i = 0; i < 256; i++)
        shown.ExpectCell(8 + i % 64, 30 + i / 64, (unsigned char)i, 9, 12);  // bright red on bright blue
    // (tmux's capture does not always name a black background at the start of a line.)
    EXPECT_EQ(shown.At(8, 34)[1], 10);
}

TEST(PlatformTmux, TheProbeDrawsTakesClicksSurvivesShrinkingCtrlZFgAndEnlargingAndGivesTheTerminalBack)
{
    if (NoTmux())
        GTEST_SKIP() << "tmux is not installed";
    TmuxPane pane;
    ASSERT_TRUE(pane.StartProbe()) << pane.Capture();
    pane.ExpectTaken();
    EXPECT_FALSE(pane.Shows("termprobe: "));  // what the probe prints is kept off its screen
    ExpectProbeScreen(pane);
    // Press on the label, release beside it but still on the button.
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 15, 6, 'm'));
    ASSERT_TRUE(WaitFor([&] { return pane.Shows("CLICKED"); })) << pane.Capture();
    PaneScreen(pane.Capture(true)).ExpectCell(10, 10, 'C', 15, 1);  // bright white on red
    EXPECT_TRUE(pane.Shows("last: kind=2 vk=0 x=15 y=6 buttons=00000000 flags=0")) << pane.Capture();

    pane.Tmux({"resize-window", "-t", "t", "-x", "60", "-y", "30"});
    // Too small for the frame: the notice in its place, nothing of the frame.
    ASSERT_TRUE(WaitFor([&] {
        return pane.Shows("This terminal is 60x30.") && pane.Shows("Vostrel needs 80x50.") && !pane.Shows("Click me");
    })) << pane.Capture();
    pane.SendBytes("\x1a");
    // The shell sees the probe stop, with the terminal as it was.
    EXPECT_EQ(pane.WaitForExit(), 128 + SIGTSTP) << pane.Capture();
    EXPECT_TRUE(pane.Shows("Stopped"));
    pane.ExpectSane();
    unlink((pane.m_dir + "/after").c_str());  // fg resumes it; the shell reports its end again
    pane.SendBytes("fg; echo resumed-exit=$?; stty -g > " + pane.m_dir + "/after\r");
    ASSERT_TRUE(WaitFor([&] { return pane.Display(MODES) == "1 0 1 1 1 0" && pane.Shows("Vostrel needs 80x50."); }))
        << pane.Capture();
    pane.Tmux({"resize-window", "-t", "t", "-x", "80", "-y", "50"});
    ASSERT_TRUE(WaitFor([&] { return pane.Shows("Click me") && !pane.Shows("Vostrel needs"); })) << pane.Capture();
    ExpectProbeScreen(pane);
    // Input still arrives after the resume.
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 14, 6, 'm'));
    ASSERT_TRUE(WaitFor([&] { return pane.Shows("x=14 y=6 buttons=00000000"); })) << pane.Capture();
    pane.SendBytes("q");
    EXPECT_EQ(pane.WaitForExit("resumed-exit="), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "Stopped", "resumed-exit=", "termprobe: printed while on screen",
                                   "termprobe: clicked", "termprobe: clicked", "termprobe: done"});
}

// Stopped, a job that bg continues leaves the terminal alone until fg (which sends no signal to a
// running job) brings it back; stopped again, the shell's kill %1 (a SIGTERM, then a SIGCONT) ends it.
TEST(PlatformTmux, AStoppedProbeRunsOnInTheBackgroundComesBackWithFgAndDiesOfKill)
{
    if (NoTmux())
        GTEST_SKIP() << "tmux is not installed";
    TmuxPane pane;
    ASSERT_TRUE(pane.StartProbe()) << pane.Capture();
    pane.SendBytes("\x1a");
    EXPECT_EQ(pane.WaitForExit(), 128 + SIGTSTP) << pane.Capture();
    pane.SendBytes("bg; sleep 1; jobs\r");
    ASSERT_TRUE(WaitFor([&] { return pane.Shows("Running"); })) << pane.Capture();
    EXPECT_EQ(pane.Display(MODES), "0 1 0 0 0 1");
    pane.SendBytes("fg\r");
    ASSERT_TRUE(WaitFor([&] { return pane.Display(MODES) == "1 0 1 1 1 0" && pane.Shows("Click me"); })) << pane.Capture();
    pane.SendBytes("\x1a");
    ASSERT_TRUE(WaitFor([&] { return pane.Display(MODES) == "0 1 0 0 0 1"; })) << pane.Capture();
    pane.SendBytes("kill %1\r");
    int pid = atoi(pane.Note("pid").c_str());
    // Dead, whether or not the shell has reaped it yet: a busy shell may leave it a zombie until
    // its next command.
    std::string stat = "/proc/" + std::to_string(pid) + "/stat";
    auto dead = [&] {
        std::string line = ReadFile(stat);
        size_t end = line.rfind(") ");
        return end == std::string::npos || line[end + 2] == 'Z' || line[end + 2] == 'X';
    };
    EXPECT_TRUE(pid > 0 && WaitFor(dead)) << ReadFile(stat) << pane.Capture();
    pane.ExpectSane();
}

TEST(PlatformTmux, SigtermExitAssertionAndFaultLeaveTheTerminalSane)
{
    if (NoTmux())
        GTEST_SKIP() << "tmux is not installed";
    struct { const char *key; int status; const char *shown; } cases[] = {
        {nullptr, 128 + SIGTERM, nullptr},  // the signal, sent to the probe
        {"x", 3, nullptr},                  // exit(3) with the screen still up
        {"a", 128 + SIGABRT, "Assertion failed: rec.m_vk != 'A', module termprobe, line"},
        {"s", -1, nullptr},                 // a fault: 139, or 1 when the address sanitizer reports it
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        TmuxPane pane;
        ASSERT_TRUE(pane.StartProbe()) << pane.Capture();
        if (c.key) {
            pane.SendBytes(c.key);
        } else {
            ASSERT_TRUE(WaitFor([&] { return atoi(pane.Note("pid").c_str()) > 0; }));
            ASSERT_EQ(kill(atoi(pane.Note("pid").c_str()), SIGTERM), 0);
        }
        int status = pane.WaitForExit();
        EXPECT_TRUE(c.status < 0 ? status > 0 : status == c.status) << status;
        pane.ExpectSane();
        std::string text = pane.Capture();
        ExpectInOrder(text, {"termprobe: printed while on screen", "probe-exit="});
        EXPECT_TRUE(!c.shown || text.find(c.shown) != std::string::npos) << text;
    }
}

// The game from a working directory laid out as the play command lays it out, then installed and
// typed by name from a directory of no concern to it: there it finds its pictures in the installed
// data directory and keeps its working files in the player's data directory, which it makes on
// first start. Either way NEW GAME tells the story a character at a time until a key skips to the
// game, and Escape and QUIT GAME end the program and give the terminal back.
TEST(VostrelInTmux, FromThePlayDirectoryAndInstalledTheGameTellsTheStoryPlaysAndGivesTheTerminalBack)
{
    if (NoTmux())
        GTEST_SKIP() << "tmux is not installed";
    GameDirectory dir;
    fs::path root = dir.Run().parent_path(), prefix = root / "prefix", data = root / "data", elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    RunProgram({"cmake", "--install", VOSTREL_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_TRUE(fs::exists(prefix / "bin/vostrel"));
    ASSERT_TRUE(fs::exists(prefix / "share/vostrel/fixed0.v_s"));
    const struct { std::string command, workDir; } runs[] = {
        {std::string(VOSTREL_BINARY_DIR) + "/vostrel", dir.Run().string()},
        {"XDG_DATA_HOME=" + data.string() + " PATH=" + (prefix / "bin").string() + ":$PATH vostrel", elsewhere.string()}};
    for (const auto &run : runs) {
        SCOPED_TRACE(run.command);
        TmuxPane pane;
        ASSERT_TRUE(pane.Start(run.command, "NEW GAME", run.workDir)) << pane.Capture();
        pane.ExpectTaken();
        EXPECT_TRUE(pane.Shows("██")) << pane.Capture();  // the title's block letters over the stars
        // The story's first line is typed a character at a time under the planet.
        std::set<std::string> typed;  // what the story row showed, capture by capture
        auto storyTyped = [&] {
            std::istringstream lines(pane.Capture());
            std::string line;
            for (int y = 0; std::getline(lines, line) && y <= 33; y++)
                if (y == 33 && line.find("THE") != std::string::npos)
                    typed.insert(line.substr(line.find_first_not_of(' ')));
            return typed.count("THE FUTURE") > 0;
        };
        pane.ClickLabel("NEW GAME");
        ASSERT_TRUE(WaitFor(storyTyped, 60000)) << pane.Capture();
        EXPECT_GT(typed.size(), 1u) << "the line appeared whole instead of being typed";
        for (const std::string &shown : typed)
            EXPECT_EQ(std::string("THE FUTURE").rfind(shown, 0), 0u) << shown;
        EXPECT_FALSE(pane.Shows("End Turn"));
        pane.SendBytes("x");
        ASSERT_TRUE(WaitFor([&] { return pane.Shows("End Turn") && pane.Shows("Welcome to Vostrel!"); })) << pane.Capture();
        int x = 0, y = 0;
        ASSERT_TRUE(pane.Find("End Turn", &x, &y));
        PaneScreen shown(pane.Capture(true));
        shown.ExpectCell(x - 2, y - 1, 0xC9, 14, 0);  // the button's frame: light cyan on black
        shown.ExpectCell(x, y, 'E', 14, 0);
        EXPECT_TRUE(pane.Shows("Company:"));
        pane.SendBytes("\x1b");
        ASSERT_TRUE(WaitFor([&] { return pane.Shows("QUIT GAME"); })) << pane.Capture();
        pane.ClickLabel("QUIT GAME");
        EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
        pane.ExpectSane();
        ExpectInOrder(pane.Capture(), {"Initializing 2D utilities...done.", "Initializing window manager...done.",
                                       "Initializing input manager...done.", "Shutting down window manager...done.",
                                       "Shutting down 2D utilities...done.", "Shutting down input manager...done.",
                                       "probe-exit=0"});
    }
    EXPECT_TRUE(fs::exists(data / "vostrel/AIDebug.txt"));
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

}  // namespace
