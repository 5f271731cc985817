// tmux_harness: runs a program of ours in a real terminal, an 80x50 tmux pane under an
// interactive shell, for the tests that check what a player would see: click and type through
// tmux, read the pane back (through libvterm for glyphs and colours) and check that the program
// leaves the terminal as it found it.
#pragma once

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

#include "platform/cp437.h"

namespace tmuxh {

// Runs a program with its arguments (no shell) and returns what it wrote to standard output.
inline std::string Run(const std::vector<std::string> &args, int *pStatus = nullptr)
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

inline bool TmuxInstalled()
{
    int status = 0;
    Run({"tmux", "-V"}, &status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline std::string ReadFile(const std::string &path)
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
        EXPECT_EQ(cell.chars[0] ? cell.chars[0] : 0x20u, g_cp437ToUnicode[(unsigned char)(ch)]) << "at " << x << "," << y;
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

    // An interactive shell in an 80x50 pane runs a command line between two readings of the
    // terminal settings and says how it ended ("probe-exit=<status>"); waits until the pane shows
    // readyText. The command runs in workDir when one is given.
    bool StartCommand(const std::string &command, const std::string &readyText, const std::string &workDir = "")
    {
        Tmux({"new-session", "-d", "-x", "80", "-y", "50", "-s", "t", "bash --norc --noprofile -i"});
        if (!WaitFor([&] { return !Trimmed(Capture()).empty(); }))
            return false;
        std::string line = "stty -g > " + m_dir + "/before; ";
        if (!workDir.empty())
            line += "cd " + workDir + " && ";
        line += command + "; echo probe-exit=$?; stty -g > " + m_dir + "/after";
        Tmux({"send-keys", "-t", "t", "-l", line});
        Tmux({"send-keys", "-t", "t", "Enter"});
        return WaitFor([&] { return Capture().find(readyText) != std::string::npos; });
    }

    // The terminal probe (tests/tmux/termprobe.cpp), ready when its button shows.
    bool Start()
    {
        std::string probe = std::string(VOSTREL_BINARY_DIR) + "/termprobe";
        return StartCommand(probe + " --pidfile " + m_dir + "/pid", "Click me");
    }

    const std::string &Dir() const { return m_dir; }

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

inline std::string Sgr(int b, int x, int y, char final)
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

// Lines of text appear in this order (each found after the one before).
inline void ExpectInOrder(const std::string &text, const std::vector<std::string> &lines)
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

}  // namespace tmuxh
