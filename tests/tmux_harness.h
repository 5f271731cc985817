// tmux_harness: runs a program of ours in a real terminal, an 80x50 tmux pane under an
// interactive shell, for the tests that check what a player would see: click and type through
// tmux, read the pane back (through libvterm for glyphs and colours) and check that the program
// leaves the terminal as it found it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>
#include <vterm.h>

#include "platform/cp437.h"

namespace tmuxh {

// Runs a program with its arguments, each quoted for the shell, and returns its standard output.
inline std::string Run(const std::vector<std::string> &args)
{
    std::string command, out;
    for (const std::string &arg : args) {
        command += " '";
        for (char c : arg)
            command += c == '\'' ? std::string("'\\''") : std::string(1, c);
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

inline bool TmuxInstalled() { return system("tmux -V > /dev/null 2>&1") == 0; }

inline std::string ReadFile(const std::string &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
        std::vector<int> shown = {(int)(cell.chars[0] ? cell.chars[0] : 0x20u), Index(cell.fg), Index(cell.bg)};
        EXPECT_EQ(shown, (std::vector<int>{(int)g_cp437ToUnicode[ch], fg, bg})) << "glyph, fg, bg at " << x << "," << y;
    }
};

// An SGR mouse report of button b at the cell (x, y); final 'M' presses, 'm' releases.
inline std::string Sgr(int b, int x, int y, char final)
{
    return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + final;
}

class TmuxPane {
public:
    TmuxPane()
    {
        static int s_count = 0;
        m_socket = "vostrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
        char dir[] = "/tmp/vostrel-tmux-XXXXXX";
        if (!mkdtemp(dir))
            ADD_FAILURE() << "no scratch directory";
        m_dir = dir;
    }
    ~TmuxPane()
    {
        Tmux({"kill-server"});
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
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
        std::string cd = workDir.empty() ? "" : "cd " + workDir + " && ";
        SendLine("stty -g > " + m_dir + "/before; " + cd + command + "; echo probe-exit=$?; stty -g > " + m_dir + "/after");
        return WaitForText(readyText);
    }

    // The terminal probe (tests/tmux/termprobe.cpp), ready when its button shows.
    bool Start()
    {
        return StartCommand(std::string(VOSTREL_BINARY_DIR) + "/termprobe --pidfile " + m_dir + "/pid", "Click me");
    }

    // The pane's text; with escapes, its colours too (-q changes nothing here).
    std::string Capture(bool escapes = false) { return Tmux({"capture-pane", "-p", escapes ? "-e" : "-q", "-t", "t"}); }

    std::string Flags()
    {
        return Trimmed(Tmux({"display", "-p", "-t", "t", "#{alternate_on} #{cursor_flag} #{mouse_any_flag} #{mouse_sgr_flag} "
                                                         "#{keypad_flag} #{wrap_flag}"}));
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

    void SendLine(const std::string &line)
    {
        Tmux({"send-keys", "-t", "t", "-l", line});
        SendKey("Enter");
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

    bool WaitForText(const std::string &text, int timeoutMs = 20000)
    {
        return WaitFor([&] { return Capture().find(text) != std::string::npos; }, timeoutMs);
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
        WaitFor([&] { return !ReadFile(m_dir + "/after").empty(); });  // the second stty has run
        return status;
    }

    // The terminal is as it was before: normal screen, cursor shown, no mouse reports, normal
    // keypad, autowrap on, the same termios settings.
    void ExpectSane()
    {
        EXPECT_EQ(Flags(), "0 1 0 0 0 1") << "alternate cursor mouse sgr keypad wrap";
        std::string before = ReadFile(m_dir + "/before");
        EXPECT_FALSE(before.empty());
        EXPECT_EQ(before, ReadFile(m_dir + "/after"));
    }

    // Runs the shell's fg on a stopped program; the shell then reports "resumed-exit=".
    void ResumeWithFg()
    {
        unlink((m_dir + "/after").c_str());
        SendLine("fg; echo resumed-exit=$?; stty -g > " + m_dir + "/after");
    }

    pid_t ProbePid()
    {
        WaitFor([&] { return atoi(ReadFile(m_dir + "/pid").c_str()) > 0; });
        return (pid_t)atoi(ReadFile(m_dir + "/pid").c_str());
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

    static std::string Trimmed(std::string s) { return s.erase(s.find_last_not_of(" \n") + 1); }

private:
    std::string m_socket;
    std::string m_dir;
};

// Lines of text appear in this order (each found after the one before).
inline void ExpectInOrder(const std::string &text, const std::vector<std::string> &lines)
{
    size_t pos = 0;
    for (const std::string &line : lines) {
        size_t found = text.find(line, pos);
        EXPECT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\nin:\n" << text;
        pos = found == std::string::npos ? pos : found + line.size();
    }
}

#define SKIP_WITHOUT_TMUX() \
    if (!tmuxh::TmuxInstalled()) \
    GTEST_SKIP() << "tmux is not installed"

}  // namespace tmuxh
