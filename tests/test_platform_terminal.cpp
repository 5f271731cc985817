// The terminal backend on a pseudo-terminal, for what only a terminal device shows: the failures
// when a standard stream is no terminal, and the resize request with its answer. A forked child
// runs the backend on the slave side while the test reads the master side.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace {

const PlatformBackend *Backend() { return TerminalBackend(); }

struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY), slave = -1;
    std::string received;
    Pty(int cols, int rows)
    {
        grantpt(master);
        unlockpt(master);
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        struct winsize ws = {};
        ws.ws_col = (unsigned short)cols;
        ws.ws_row = (unsigned short)rows;
        ioctl(master, TIOCSWINSZ, &ws);
    }
    ~Pty()
    {
        close(master);
        close(slave);
    }
    // Reads what the child writes until the text arrives or ten seconds pass.
    bool ReadUntil(const std::string &text)
    {
        auto start = std::chrono::steady_clock::now();
        while (received.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
                return false;
            struct pollfd pfd = {master, POLLIN, 0};
            char buf[4096];
            ssize_t n;
            if (poll(&pfd, 1, 20) > 0 && (n = read(master, buf, sizeof buf)) > 0)
                received.append(buf, (size_t)n);
        }
        return true;
    }
};

// Runs fn in a child whose standard streams are the given descriptors; returns its exit status.
int RunChild(int in, int out, int err, const std::function<int()> &fn)
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
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace

TEST(PlatformTerminal, AStandardStreamThatIsNoTerminalIsAFailedCallAndTheScreenIsNotTaken)
{
    Pty pty(80, 24);
    int devnull = open("/dev/null", O_RDWR);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    char outputNoTty[64], inputNoTty[64];
    snprintf(outputNoTty, sizeof outputNoTty, "size %d isatty 0x0, enter %d isatty", ENOTTY, ENOTTY);
    snprintf(inputNoTty, sizeof inputNoTty, "size 0 - 80x24, enter %d tcgetattr", ENOTTY);
    struct { int in, out; const char *expected; } cases[] = {{pty.slave, devnull, outputNoTty},
                                                            {devnull, pty.slave, inputNoTty}};
    for (const auto &c : cases) {
        RunChild(c.in, c.out, fds[1], [] {
            const char *pCall = "-";
            int cols = -1, rows = -1;
            int sizeErr = Backend()->GetConsoleSize(&cols, &rows, &pCall);
            std::string sizeCall = pCall;
            pCall = "-";
            int enterErr = Backend()->EnterScreen(&pCall);
            fprintf(stderr, "size %d %s %dx%d, enter %d %s\n", sizeErr, sizeCall.c_str(), cols, rows, enterErr, pCall);
            printf("done\n");
            fflush(stdout);
            return 0;
        });
        char buf[256] = {};
        ASSERT_GT(read(fds[0], buf, sizeof buf - 1), 0);
        EXPECT_EQ(std::string(buf), std::string(c.expected) + "\n");
    }
    EXPECT_TRUE(pty.ReadUntil("done")) << pty.received;
    EXPECT_EQ(pty.received.find("\x1b[?1049h"), std::string::npos);  // the screen was never taken
    close(fds[0]);
    close(fds[1]);
    close(devnull);
}

TEST(PlatformTerminal, ASmallTerminalIsAskedToGrowAndAnAnswerTakesItsWholeLine)
{
    struct { int cols, rows; const char *request; } cases[] = {
        {70, 40, "\x1b[8;50;80t"},
        {100, 30, "\x1b[8;50;100t"},  // a wider terminal keeps its width
        {120, 60, nullptr},           // large enough: nothing to ask
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cols);
        Pty pty(c.cols, c.rows);
        // The answers are typed before the child asks; the rest of the first line goes with it.
        ASSERT_EQ(write(pty.master, "yes\nn\n", 6), 6);
        int status = RunChild(pty.slave, pty.slave, pty.slave, [] {
            const char *pCall = "";
            int cols = 0, rows = 0;
            int err = Backend()->GetConsoleSize(&cols, &rows, &pCall);
            printf("size %d %dx%d\n", err, cols, rows);
            Backend()->RequestConsoleSize(80, 50);
            int first = Backend()->ReadAnswerChar();
            int second = Backend()->ReadAnswerChar();
            printf("answers %c %c\n", first, second);
            fflush(stdout);
            return 0;
        });
        EXPECT_EQ(status, 0);
        char size[32];
        snprintf(size, sizeof size, "size 0 %dx%d", c.cols, c.rows);
        EXPECT_TRUE(pty.ReadUntil("answers y n")) << pty.received;
        EXPECT_NE(pty.received.find(size), std::string::npos) << pty.received;
        if (c.request)
            EXPECT_NE(pty.received.find(c.request), std::string::npos) << pty.received;
        else
            EXPECT_EQ(pty.received.find("\x1b[8;"), std::string::npos) << pty.received;
    }
}
