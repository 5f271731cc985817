// The terminal backend on a pseudo-terminal: a forked child runs the backend on the pty's slave
// side while the test plays the terminal on the master side, reading what the backend writes
// through libvterm and typing mouse reports and keys. Also the failures the game reports.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vterm.h>

#include "platform/terminal.h"
#include "platform/terminal_output.h"

namespace {

const PlatformBackend *Backend() { return TerminalBackend(); }

// Runs fn in a child whose standard streams are the given descriptors; returns the pid.
pid_t Spawn(int in, int out, int err, const std::function<int()> &fn)
{
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        _exit(fn());
    }
    return pid;
}

int WaitStatus(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The test's side of a pseudo-terminal, with a terminal emulator reading what arrives.
struct Pty {
    int master = -1, slave = -1;
    std::string received;
    VTerm *vt = nullptr;
    VTermScreen *screen = nullptr;
    bool altScreen = false;
    std::string title;

    Pty(int cols, int rows)
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        struct winsize ws = {};
        ws.ws_col = (unsigned short)cols;
        ws.ws_row = (unsigned short)rows;
        ioctl(master, TIOCSWINSZ, &ws);
        vt = vterm_new(rows, cols);
        vterm_set_utf8(vt, 1);
        screen = vterm_obtain_screen(vt);
        vterm_screen_enable_altscreen(screen, 1);
        static const VTermScreenCallbacks s_callbacks = {nullptr, nullptr, nullptr, SetProp,
                                                         nullptr, nullptr, nullptr, nullptr};
        vterm_screen_set_callbacks(screen, &s_callbacks, this);
        vterm_screen_reset(screen, 1);
    }
    ~Pty()
    {
        close(master);
        close(slave);
        vterm_free(vt);
    }
    static int SetProp(VTermProp prop, VTermValue *val, void *user)
    {
        Pty *self = (Pty *)user;
        if (prop == VTERM_PROP_ALTSCREEN)
            self->altScreen = val->boolean != 0;
        else if (prop == VTERM_PROP_TITLE)
            self->title = val->string ? val->string : "";
        return 1;
    }
    void Type(const std::string &bytes) { EXPECT_EQ(write(master, bytes.data(), bytes.size()), (ssize_t)bytes.size()); }
    // Reads what the program writes until done() holds or the time runs out.
    bool ReadUntil(const std::function<bool()> &done, int timeoutMs = 10000)
    {
        auto start = std::chrono::steady_clock::now();
        while (!done()) {
            auto waited = std::chrono::steady_clock::now() - start;
            if (waited > std::chrono::milliseconds(timeoutMs))
                return false;
            struct pollfd pfd = {master, POLLIN, 0};
            if (poll(&pfd, 1, 20) > 0 && (pfd.revents & POLLIN)) {
                char buf[8192];
                ssize_t n = read(master, buf, sizeof buf);
                if (n > 0) {
                    received.append(buf, (size_t)n);
                    vterm_input_write(vt, buf, (size_t)n);
                }
            }
        }
        return true;
    }
    bool ReadUntilText(const std::string &text, int timeoutMs = 10000)
    {
        return ReadUntil([&] { return received.find(text) != std::string::npos; }, timeoutMs);
    }
    std::string Row(int y)
    {
        std::string out;
        for (int x = 0; x < 80; x++) {
            VTermScreenCell cell;
            vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
            out += cell.chars[0] > 0 && cell.chars[0] < 0x80 ? (char)cell.chars[0] : ' ';
        }
        return out;
    }
    bool SameTermios(const struct termios &a)
    {
        struct termios now;
        tcgetattr(slave, &now);
        return now.c_iflag == a.c_iflag && now.c_oflag == a.c_oflag && now.c_lflag == a.c_lflag &&
               now.c_cflag == a.c_cflag && memcmp(now.c_cc, a.c_cc, sizeof a.c_cc) == 0;
    }
};

// The child's game: a label, and the last input record shown on row 2; 'Q' leaves.
int ScreenChild(bool leave)
{
    const char *pCall = nullptr;
    int err = Backend()->EnterScreen(&pCall);
    if (err == 0)
        err = Backend()->SetTitle("Vostrel", &pCall);
    if (err != 0) {
        printf("\nERROR: %s() failed: %d\n", pCall, err);
        fflush(stdout);
        return err;
    }
    // Flushed as a line-buffered terminal stdout would be; the child inherits a fully buffered one.
    printf("captured while on screen\n");
    fflush(stdout);
    std::vector<PlatformCell> cells(80 * 24, PlatformCell{' ', 0x07});
    auto text = [&](int x, int y, const char *p) {
        for (; *p; p++, x++)
            cells[(size_t)(y * 80 + x)] = PlatformCell{(unsigned char)*p, 0x1E};
    };
    text(5, 1, "READY");
    Backend()->Present(cells.data(), 80, 24);
    for (int frame = 0; frame < 1000; frame++) {
        PlatformInputRecord rec;
        while (Backend()->ReadInput(&rec)) {
            char line[80];
            snprintf(line, sizeof line, "rec %d %u %d %d %x %u          ", rec.m_kind, rec.m_vk, rec.m_x, rec.m_y,
                     rec.m_buttons, rec.m_flags);
            text(0, 2, line);
            if (rec.m_kind == PLATFORM_RECORD_KEY && rec.m_vk == 'Q') {
                if (leave)
                    Backend()->LeaveScreen();
                printf("after leaving\n");
                fflush(stdout);
                return 0;
            }
        }
        Backend()->Present(cells.data(), 80, 24);
        Backend()->Sleep(10);
    }
    return 99;
}

}  // namespace

TEST(PlatformTerminalFailures, StandardOutputThatIsNoTerminalIsAFailedCall)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int devnull = open("/dev/null", O_RDWR);
    pid_t pid = Spawn(devnull, fds[1], devnull, [] {
        const char *pCall = "";
        int cols = -1, rows = -1;
        int sizeErr = Backend()->GetConsoleSize(&cols, &rows, &pCall);
        std::string sizeCall = pCall;
        int enterErr = Backend()->EnterScreen(&pCall);
        fprintf(stdout, "%d %s %d %s %d %d", sizeErr, sizeCall.c_str(), enterErr, pCall, cols, rows);
        fflush(stdout);
        return 0;
    });
    close(fds[1]);
    char buf[256] = {};
    ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    close(devnull);
    WaitStatus(pid);
    ASSERT_GT(n, 0);
    char expected[64];
    snprintf(expected, sizeof expected, "%d isatty %d isatty 0 0", ENOTTY, ENOTTY);
    EXPECT_STREQ(buf, expected);
}

TEST(PlatformTerminalFailures, InputThatIsNoTerminalFailsTcgetattr)
{
    Pty pty(80, 24);
    int devnull = open("/dev/null", O_RDWR);
    pid_t pid = Spawn(devnull, pty.slave, pty.slave, [] { return ScreenChild(true); });
    close(devnull);
    char expected[64];
    snprintf(expected, sizeof expected, "ERROR: tcgetattr() failed: %d", ENOTTY);
    EXPECT_TRUE(pty.ReadUntilText(expected)) << pty.received;
    int status = WaitStatus(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == ENOTTY);
    EXPECT_EQ(pty.received.find("\x1b[?1049h"), std::string::npos);  // the screen was never taken
}

TEST(PlatformTerminalSize, SizeResizeRequestAndTheAnswer)
{
    struct { int cols, rows; const char *request; } cases[] = {
        {70, 40, "\x1b[8;50;80t"},
        {100, 30, "\x1b[8;50;100t"},   // a wider terminal keeps its width
        {120, 60, nullptr},            // large enough: nothing to ask
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cols);
        Pty pty(c.cols, c.rows);
        pid_t pid = Spawn(pty.slave, pty.slave, pty.slave, [] {
            const char *pCall = "";
            int cols = 0, rows = 0;
            int err = Backend()->GetConsoleSize(&cols, &rows, &pCall);
            printf("size %d %dx%d\n", err, cols, rows);
            fflush(stdout);
            Backend()->RequestConsoleSize(80, 50);
            printf("(Y/n)");
            int first = Backend()->ReadAnswerChar();
            int second = Backend()->ReadAnswerChar();
            printf("answers %c %c\n", first, second);
            fflush(stdout);
            return 0;
        });
        char size[32];
        snprintf(size, sizeof size, "size 0 %dx%d", c.cols, c.rows);
        EXPECT_TRUE(pty.ReadUntilText("(Y/n)")) << pty.received;
        EXPECT_NE(pty.received.find(size), std::string::npos) << pty.received;
        if (c.request)
            EXPECT_NE(pty.received.find(c.request), std::string::npos) << pty.received;
        else
            EXPECT_EQ(pty.received.find("\x1b[8;"), std::string::npos) << pty.received;
        // The rest of the first line goes with its first character.
        pty.Type("yes\nn\n");
        EXPECT_TRUE(pty.ReadUntilText("answers y n")) << pty.received;
        WaitStatus(pid);
    }
}

TEST(PlatformTerminalScreen, ScreenInputAndCapturedOutputThroughAPty)
{
    Pty pty(80, 24);
    struct termios before;
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    pty.Type("typed ahead");  // dropped when the screen is taken, never read as keys
    usleep(20000);
    pid_t pid = Spawn(pty.slave, pty.slave, pty.slave, [] { return ScreenChild(true); });
    ASSERT_TRUE(pty.ReadUntil([&] { return pty.Row(1).find("READY") != std::string::npos; })) << pty.received;
    EXPECT_TRUE(pty.altScreen);
    EXPECT_EQ(pty.title, "Vostrel");
    EXPECT_NE(pty.received.find(g_terminalEnterModes), std::string::npos);
    EXPECT_FALSE(pty.SameTermios(before));  // raw now
    // The typed-ahead bytes never arrive as input records.
    EXPECT_FALSE(pty.ReadUntil([&] { return pty.Row(2).find("rec") != std::string::npos; }, 200)) << pty.Row(2);

    struct { const char *bytes; const char *shown; } steps[] = {
        {"\x1b[<0;10;5M", "rec 2 0 9 4 1 0 "},
        {"\x1b[<32;11;5M", "rec 2 0 10 4 1 1 "},
        {"\x1b[<0;11;5m", "rec 2 0 10 4 0 0 "},
        {"\x1b[<65;3;3M", "rec 2 0 2 2 ff880000 4 "},
        {"\x1b[M !!", "rec 2 0 0 0 1 0 "},           // X10 press at the corner
        {"\x1b[<0;1;1M", "rec 2 0 0 0 1 2 "},       // a second press there: a double click
        {"\x1bOx", "rec 0 104 0 0 0 0 "},           // keypad 8, its release shown last
        {"\x1b[D", "rec 0 37 0 0 0 0 "},
        {"\x1b", "rec 0 27 0 0 0 0 "},              // a lone Escape, after its timeout
    };
    for (const auto &step : steps) {
        pty.Type(step.bytes);
        EXPECT_TRUE(pty.ReadUntil([&] { return pty.Row(2).find(step.shown) == 0; }))
            << "after " << step.bytes + 1 << " row 2 is: " << pty.Row(2);
    }
    EXPECT_EQ(pty.received.find("captured while on screen"), std::string::npos);

    size_t leaveAt = pty.received.size();
    pty.Type("q");
    EXPECT_TRUE(pty.ReadUntilText("after leaving")) << pty.received;
    int status = WaitStatus(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Left in order: modes undone, then what was printed meanwhile, then what came after.
    std::string tail = pty.received.substr(leaveAt);
    size_t modes = tail.find(g_terminalLeaveModes);
    size_t captured = tail.find("captured while on screen");
    size_t after = tail.find("after leaving");
    EXPECT_NE(modes, std::string::npos);
    EXPECT_LT(modes, captured);
    EXPECT_LT(captured, after);
    EXPECT_FALSE(pty.altScreen);
    EXPECT_TRUE(pty.SameTermios(before));
}

TEST(PlatformTerminalScreen, ExitWithoutLeavingAndFatalSignalsRestoreTheTerminal)
{
    // exit() with the screen still up, then the signals that end a program.
    const int signals[] = {0, SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV};
    for (int sig : signals) {
        SCOPED_TRACE(sig);
        Pty pty(80, 24);
        struct termios before;
        ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
        pid_t pid = Spawn(pty.slave, pty.slave, pty.slave, [sig] {
            if (sig == 0) {
                // Keep the sanitizer's exit-time leak check out of the child; the terminal's
                // own exit handler is what runs.
                ScreenChild(false);
                fflush(stdout);
                exit(7);
            }
            return ScreenChild(true);
        });
        ASSERT_TRUE(pty.ReadUntil([&] { return pty.Row(1).find("READY") != std::string::npos; }));
        size_t mark = pty.received.size();
        if (sig == 0)
            pty.Type("q");
        else
            kill(pid, sig);
        EXPECT_TRUE(pty.ReadUntilText("captured while on screen")) << pty.received.substr(mark);
        int status = WaitStatus(pid);
        if (sig == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
        } else if (sig == SIGSEGV && WIFEXITED(status)) {
            // The address sanitizer's own handler, called after ours, reports and exits.
            EXPECT_NE(WEXITSTATUS(status), 0);
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        }
        std::string tail = pty.received.substr(mark);
        EXPECT_NE(tail.find(g_terminalLeaveModes), std::string::npos);
        EXPECT_LT(tail.find(g_terminalLeaveModes), tail.find("captured while on screen"));
        EXPECT_FALSE(pty.altScreen);
        EXPECT_TRUE(pty.SameTermios(before));
    }
}
