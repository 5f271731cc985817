// The terminal backend refuses to start when a standard stream is no terminal. A forked child runs
// the backend with a pseudo-terminal for the other streams; the test reads the master side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/terminal.h"

TEST(PlatformTerminal, AStandardStreamThatIsNoTerminalIsAFailedCallAndTheScreenIsNotTaken)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    grantpt(master);
    unlockpt(master);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    int devnull = open("/dev/null", O_RDWR);
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    // Standard output no terminal, then standard input none: the call that failed, and its error.
    char outputNoTty[64], inputNoTty[64];
    snprintf(outputNoTty, sizeof outputNoTty, "size %d isatty 0x0, enter %d isatty\n", ENOTTY, ENOTTY);
    snprintf(inputNoTty, sizeof inputNoTty, "size 0 - 0x0, enter %d tcgetattr\n", ENOTTY);
    struct { int in, out; const char *expected; } cases[] = {{slave, devnull, outputNoTty}, {devnull, slave, inputNoTty}};
    for (const auto &c : cases) {
        fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(c.in, STDIN_FILENO);
            dup2(c.out, STDOUT_FILENO);
            const char *pSizeCall = "-", *pEnterCall = "-";
            int cols = -1, rows = -1;
            int sizeErr = TerminalBackend()->GetConsoleSize(&cols, &rows, &pSizeCall);
            int enterErr = TerminalBackend()->EnterScreen(&pEnterCall);
            dprintf(report[1], "size %d %s %dx%d, enter %d %s\n", sizeErr, pSizeCall, cols, rows, enterErr, pEnterCall);
            printf("done\n");
            fflush(stdout);
            _exit(0);
        }
        waitpid(pid, nullptr, 0);
        char buf[256] = {};
        ASSERT_GT(read(report[0], buf, sizeof buf - 1), 0);
        EXPECT_EQ(std::string(buf), c.expected);
    }
    // The terminal got the child's last word, and never the switch to the alternate screen.
    char buf[4096];
    struct pollfd pfd = {master, POLLIN, 0};
    ASSERT_GT(poll(&pfd, 1, 10000), 0);
    std::string received(buf, (size_t)std::max<ssize_t>(read(master, buf, sizeof buf), 0));
    EXPECT_NE(received.find("done"), std::string::npos) << received;
    EXPECT_EQ(received.find("\x1b[?1049h"), std::string::npos);
    for (int fd : {master, slave, devnull, report[0], report[1]})
        close(fd);
}
