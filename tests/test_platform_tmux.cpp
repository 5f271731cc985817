// The terminal backend in a real terminal: the probe program (tests/tmux/termprobe.cpp) runs in
// an 80x50 tmux pane under an interactive shell. The tests click and type through tmux, read the
// pane back (through libvterm, for the glyphs and colours) and check that every way out leaves
// the terminal as it was, with what the program printed visible afterwards.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include "platform/terminal_cp437.h"

namespace {

// Runs a program with its arguments (no shell) and returns what it wrote to standard output.
std::string Run(const std::vector<std::string> &args, int *pStatus = nullptr)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.append(buf, (size_t)n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (pStatus)
        *pStatus = status;
    return out;
}

bool TmuxInstalled()
{
    int status = 0;
    Run({"tmux", "-V"}, &status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The pane's screen as a terminal shows it, from "capture-pane -p -e".
struct PaneScreen {
    VTerm *vt;
    VTermScreen *screen;
    explicit PaneScreen(const std::string &capture)
    {
        vt = vterm_new(50, 80);
        vterm_set_utf8(vt, 1);
        screen = vterm_obtain_screen(vt);
        vterm_screen_reset(screen, 1);
        std::string bytes;
        std::string body = capture;
        while (!body.empty() && body.back() == '\n')
            body.pop_back();
        for (char c : body) {
            if (c == '\n')
                bytes += "\x1b[0m\r\n";
            else
                bytes += c;
        }
        vterm_input_write(vt, bytes.data(), bytes.size());
    }
    ~PaneScreen() { vterm_free(vt); }
    VTermScreenCell Cell(int x, int y) const
    {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
        return cell;
    }
    static int Index(const VTermColor &c) { return VTERM_COLOR_IS_INDEXED(&c) ? c.indexed.idx : -1; }
    // The cell shows this code page 437 byte with the ANSI colour indexes fg and bg.
    void ExpectCell(int x, int y, unsigned char ch, int fg, int bg) const
    {
        VTermScreenCell cell = Cell(x, y);
        EXPECT_EQ(cell.chars[0] ? cell.chars[0] : 0x20u, TerminalCp437ToUnicode(ch)) << "at " << x << "," << y;
        EXPECT_EQ(Index(cell.fg), fg) << "fg at " << x << "," << y;
        EXPECT_EQ(Index(cell.bg), bg) << "bg at " << x << "," << y;
    }
};

class TmuxPane {
public:
    TmuxPane()
    {
        static int s_count = 0;
        m_socket = "vostrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
        char dir[] = "/tmp/vostrel-tmux-XXXXXX";
        m_dir = mkdtemp(dir) ? dir : "/tmp";
    }
    ~TmuxPane()
    {
        Tmux({"kill-server"});
        unlink((m_dir + "/before").c_str());
        unlink((m_dir + "/after").c_str());
        unlink((m_dir + "/pid").c_str());
        rmdir(m_dir.c_str());
    }

    std::string Tmux(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"tmux", "-L", m_socket, "-f", "/dev/null"});
        return Run(args);
    }

    // An interactive shell in an 80x50 pane runs the probe between two readings of the terminal
    // settings and says how the probe ended.
    bool Start()
    {
        Tmux({"new-session", "-d", "-x", "80", "-y", "50", "-s", "t", "bash --norc --noprofile -i"});
        if (!WaitFor([&] { return !Trimmed(Capture()).empty(); }))
            return false;
        std::string probe = std::string(VOSTREL_BINARY_DIR) + "/termprobe";
        std::string line = "stty -g > " + m_dir + "/before; " + probe + " --pidfile " + m_dir +
                           "/pid; echo probe-exit=$?; stty -g > " + m_dir + "/after";
        Tmux({"send-keys", "-t", "t", "-l", line});
        Tmux({"send-keys", "-t", "t", "Enter"});
        return WaitFor([&] { return Capture().find("Click me") != std::string::npos; });
    }

    std::string Capture(bool escapes = false)
    {
        if (escapes)
            return Tmux({"capture-pane", "-p", "-e", "-t", "t"});
        return Tmux({"capture-pane", "-p", "-t", "t"});
    }

    std::string Flags()
    {
        std::string out = Tmux({"display", "-p", "-t", "t",
                                "#{alternate_on} #{cursor_flag} #{mouse_any_flag} #{mouse_sgr_flag} "
                                "#{keypad_flag} #{wrap_flag}"});
        return Trimmed(out);
    }

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

    void SendKey(const std::string &key) { Tmux({"send-keys", "-t", "t", key}); }

    // Brings the stopped probe back with the shell's fg; it reports as "resumed-exit=".
    void ResumeWithFg()
    {
        unlink((m_dir + "/after").c_str());
        Tmux({"send-keys", "-t", "t", "-l", "fg; echo resumed-exit=$?; stty -g > " + m_dir + "/after"});
        Tmux({"send-keys", "-t", "t", "Enter"});
    }

    // Waits for the shell to report how the probe ended; returns that status, or -1.
    int WaitForExit(const std::string &marker = "probe-exit=")
    {
        int status = -1;
        WaitFor([&] {
            std::string text = Capture();
            for (size_t pos = text.find(marker); pos != std::string::npos; pos = text.find(marker, pos + 1)) {
                const char *p = text.c_str() + pos + marker.size();
                if (*p >= '0' && *p <= '9') {
                    status = atoi(p);
                    return true;
                }
            }
            return false;
        });
        // The second stty has run once the file exists.
        WaitFor([&] { return !ReadFile(m_dir + "/after").empty(); });
        return status;
    }

    // The terminal is as it was before the probe: normal screen, cursor shown, no mouse reports,
    // normal keypad, autowrap on, the same termios settings.
    void ExpectSane()
    {
        EXPECT_EQ(Flags(), "0 1 0 0 0 1") << "alternate cursor mouse sgr keypad wrap";
        std::string before = ReadFile(m_dir + "/before");
        EXPECT_FALSE(before.empty());
        EXPECT_EQ(before, ReadFile(m_dir + "/after"));
    }

    pid_t ProbePid()
    {
        pid_t pid = 0;
        WaitFor([&] { return (pid = (pid_t)atoi(ReadFile(m_dir + "/pid").c_str())) > 0; });
        return pid;
    }

    static bool WaitFor(const std::function<bool()> &done, int timeoutMs = 20000)
    {
        auto start = std::chrono::steady_clock::now();
        while (!done()) {
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return true;
    }

    static std::string Trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }

private:
    std::string m_socket;
    std::string m_dir;
};

std::string Sgr(int b, int x, int y, char final)
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

// Lines of text appear in this order (each found after the one before).
void ExpectInOrder(const std::string &text, const std::vector<std::string> &lines)
{
    size_t pos = 0;
    for (const std::string &line : lines) {
        size_t found = text.find(line, pos);
        EXPECT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\nin:\n" << text;
        if (found != std::string::npos)
            pos = found + line.size();
    }
}

#define SKIP_WITHOUT_TMUX()                     \
    do {                                        \
        if (!TmuxInstalled())                   \
            GTEST_SKIP() << "tmux is not installed"; \
    } while (0)

}  // namespace

TEST(PlatformTmux, ClickArrivesAndQuitGivesTheTerminalBack)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    EXPECT_EQ(pane.Flags(), "1 0 1 1 1 0") << "alternate cursor mouse sgr keypad wrap";
    EXPECT_EQ(pane.Trimmed(pane.Tmux({"display", "-p", "-t", "t", "#{pane_title}"})), "Vostrel");

    {
        std::string screen = pane.Capture();
        // What the probe printed is kept off its screen.
        EXPECT_EQ(screen.find("printed while on screen"), std::string::npos);
        EXPECT_EQ(screen.find("termprobe: starting"), std::string::npos);
        PaneScreen shown(pane.Capture(true));
        shown.ExpectCell(10, 5, 0xC9, 14, 4);   // bright cyan frame on blue
        shown.ExpectCell(11, 5, 0xCD, 14, 4);
        shown.ExpectCell(23, 7, 0xBC, 14, 4);
        shown.ExpectCell(10, 6, 0xBA, 14, 4);
        shown.ExpectCell(13, 6, 'C', 11, 4);    // yellow label on blue
        static const unsigned char s_glyphs[] = {0x01, 0x03, 0x18, 0x19, 0x1A, 0x1B, 0xB0, 0xB1,
                                                 0xB2, 0xDB, 0xE1, 0xF7, 0x7F, 0x00, 0xFF, 0xFE};
        for (int i = 0; i < 16; i++)
            shown.ExpectCell(10 + i, 30, s_glyphs[i], 9, 12);  // bright red on bright blue
        // (tmux's capture does not always name a black background at the start of a line.)
        EXPECT_EQ(PaneScreen::Index(shown.Cell(10, 31).fg), 10);
    }

    // Press and release on the label.
    pane.SendBytes(Sgr(0, 14, 6, 'M'));
    pane.SendBytes(Sgr(0, 15, 6, 'm'));
    ASSERT_TRUE(pane.WaitFor([&] { return pane.Capture().find("CLICKED") != std::string::npos; }))
        << pane.Capture();
    PaneScreen clicked(pane.Capture(true));
    clicked.ExpectCell(10, 10, 'C', 15, 1);  // bright white on red
    EXPECT_NE(pane.Capture().find("last: kind=2 vk=0 x=15 y=6 buttons=00000000 flags=0"), std::string::npos);

    // Motion with the right button held, then the wheel.
    pane.SendBytes(Sgr(2, 40, 40, 'M') + Sgr(34, 41, 40, 'M'));
    EXPECT_TRUE(pane.WaitFor([&] {
        return pane.Capture().find("last: kind=2 vk=0 x=41 y=40 buttons=00000002 flags=1") != std::string::npos;
    })) << pane.Capture();
    pane.SendBytes(Sgr(2, 41, 40, 'm') + Sgr(65, 41, 40, 'M'));
    EXPECT_TRUE(pane.WaitFor([&] {
        return pane.Capture().find("buttons=ff880000 flags=4") != std::string::npos;
    })) << pane.Capture();

    // Keys as tmux sends them for the arrow keys and a lone Escape.
    pane.SendKey("Up");
    EXPECT_TRUE(pane.WaitFor([&] { return pane.Capture().find("key 38\n") != std::string::npos; }));
    pane.SendKey("Escape");
    EXPECT_TRUE(pane.WaitFor([&] { return pane.Capture().find("key 27\n") != std::string::npos; }));

    pane.SendKey("q");
    EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "termprobe: printed while on screen",
                                   "termprobe: clicked", "termprobe: done", "probe-exit=0"});
}

TEST(PlatformTmux, SigtermLeavesTheTerminalSane)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    pid_t pid = pane.ProbePid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(pane.WaitForExit(), 128 + SIGTERM) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "termprobe: printed while on screen",
                                   "probe-exit="});
}

TEST(PlatformTmux, ExitAssertionAndFaultLeaveTheTerminalSane)
{
    SKIP_WITHOUT_TMUX();
    struct { const char *key; const char *shown; } cases[] = {
        {"x", nullptr},                                                       // exit(3)
        {"a", "Assertion failed: rec.m_vk != 'A', module termprobe, line"},  // then abort()
        {"s", nullptr},                                                       // a segmentation fault
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        TmuxPane pane;
        ASSERT_TRUE(pane.Start()) << pane.Capture();
        pane.SendKey(c.key);
        int status = pane.WaitForExit();
        if (c.key[0] == 'x') {
            EXPECT_EQ(status, 3);
        } else if (c.key[0] == 'a') {
            EXPECT_EQ(status, 128 + SIGABRT);
        } else {
            EXPECT_GT(status, 0);  // 139, or 1 when the address sanitizer reports the fault
        }
        pane.ExpectSane();
        std::string text = pane.Capture();
        ExpectInOrder(text, {"termprobe: printed while on screen", "probe-exit="});
        if (c.shown) {
            EXPECT_NE(text.find(c.shown), std::string::npos) << text;
        }
    }
}

TEST(PlatformTmux, CtrlZSuspendsAndFgResumesWithAWholeRepaint)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    pane.SendKey("C-z");
    // The shell sees the probe stop, with the terminal as it was.
    EXPECT_EQ(pane.WaitForExit(), 128 + SIGTSTP) << pane.Capture();
    EXPECT_NE(pane.Capture().find("Stopped"), std::string::npos);
    pane.ExpectSane();
    pane.ResumeWithFg();
    ASSERT_TRUE(pane.WaitFor([&] {
        return pane.Flags() == "1 0 1 1 1 0" && pane.Capture().find("Click me") != std::string::npos;
    })) << pane.Capture();
    EXPECT_NE(pane.Capture().find("glyphs above"), std::string::npos);
    // Input still arrives after the resume.
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 14, 6, 'm'));
    EXPECT_TRUE(pane.WaitFor([&] { return pane.Capture().find("CLICKED") != std::string::npos; }));
    pane.SendKey("q");
    EXPECT_EQ(pane.WaitForExit("resumed-exit="), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "Stopped", "resumed-exit=", "termprobe: printed while on screen",
                                   "termprobe: clicked", "termprobe: done"});
}

TEST(PlatformTmux, SmallerTerminalShowsWhatFitsAndEnlargingRepaints)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    pane.Tmux({"resize-window", "-t", "t", "-x", "60", "-y", "30"});
    // Row 30 and below are gone; the button still shows and still works.
    ASSERT_TRUE(pane.WaitFor([&] {
        std::string text = pane.Capture();
        return text.find("Click me") != std::string::npos && text.find("glyphs above") == std::string::npos;
    })) << pane.Capture();
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 14, 6, 'm'));
    ASSERT_TRUE(pane.WaitFor([&] { return pane.Capture().find("CLICKED") != std::string::npos; }));
    pane.Tmux({"resize-window", "-t", "t", "-x", "80", "-y", "50"});
    ASSERT_TRUE(pane.WaitFor([&] {
        std::string text = pane.Capture();
        return text.find("glyphs above") != std::string::npos && text.find("CLICKED") != std::string::npos &&
               text.find("Click me") != std::string::npos;
    })) << pane.Capture();
    PaneScreen shown(pane.Capture(true));
    shown.ExpectCell(25, 30, 0xFE, 9, 12);
    pane.SendKey("q");
    EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
    pane.ExpectSane();
}
