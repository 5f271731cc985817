// The terminal backend on a pseudo-terminal: a forked child runs it on the slave side, the test
// holds the master side, like a terminal holds the player's side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace {

// What arrives on fd within the time given, as much as one read takes.
std::string Take(int fd, int timeoutMs = 10000)
{
    char buf[65536];
    struct pollfd pfd = {fd, POLLIN, 0};
    ssize_t n = poll(&pfd, 1, timeoutMs) > 0 ? read(fd, buf, sizeof buf) : 0;
    return std::string(buf, (size_t)std::max<ssize_t>(n, 0));
}

// The pseudo-terminal, and a pipe each way: the child's report, and the test's word for it to go on.
class PlatformTerminal : public testing::Test {
protected:
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    int slave = grantpt(master) || unlockpt(master) ? -1 : open(ptsname(master), O_RDWR | O_NOCTTY);
    int report[2] = {-1, -1}, go[2] = {-1, -1};
    void SetUp() override
    {
        ASSERT_GE(slave, 0);
        ASSERT_EQ(pipe(report), 0);
        ASSERT_EQ(pipe(go), 0);
    }
    ~PlatformTerminal() override
    {
        for (int fd : {master, slave, report[0], report[1], go[0], go[1]})
            close(fd);
    }

    // Runs body in a child whose standard input and output are the given descriptors; it ends there.
    template <class Body> pid_t InChild(int in, int out, Body body)
    {
        fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(in, STDIN_FILENO);
            dup2(out, STDOUT_FILENO);
            body(TerminalBackend());
            _exit(0);
        }
        return pid;
    }
    // The child's side: it is ready, and waits for the word to go on.
    bool ReadyAndWait()
    {
        char byte;
        return write(report[1], "+", 1) == 1 && read(go[0], &byte, 1) == 1;
    }
    // The test's side: the child is ready (not when it ended first).
    bool ChildReady()
    {
        char byte = 0;
        return read(report[0], &byte, 1) == 1 && byte == '+';
    }
    bool Go() { return write(go[1], "+", 1) == 1; }
    // Waits for the child to end well, taking what it writes to the terminal as it comes; returns
    // its report.
    std::string Finish(pid_t pid)
    {
        int status = -1;
        while (waitpid(pid, &status, WNOHANG) == 0)
            Take(master, 10);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return Take(report[0]);
    }
};

}  // namespace

TEST_F(PlatformTerminal, AStandardStreamThatIsNoTerminalIsAFailedCallAndTheScreenIsNotTaken)
{
    int devnull = open("/dev/null", O_RDWR);
    // Standard output no terminal, then standard input none: the call that failed, and its error.
    const std::string notty = std::to_string(ENOTTY);
    const struct { int in, out; std::string expected; } cases[] = {
        {slave, devnull, "size " + notty + " isatty 0x0, enter " + notty + " isatty\n"},
        {devnull, slave, "size 0 - 0x0, enter " + notty + " tcgetattr\n"}};
    for (const auto &c : cases) {
        waitpid(InChild(c.in, c.out, [&](const PlatformBackend *pTerm) {
                    const char *pSizeCall = "-", *pEnterCall = "-";
                    int cols = -1, rows = -1;
                    int sizeErr = pTerm->GetConsoleSize(&cols, &rows, &pSizeCall);
                    pTerm->SetTitle("Vostrel", &pEnterCall);  // as the game does, before the switch
                    int enterErr = pTerm->EnterScreen(&pEnterCall);
                    pTerm->LeaveScreen();
                    dprintf(report[1], "size %d %s %dx%d, enter %d %s\n", sizeErr, pSizeCall, cols, rows, enterErr, pEnterCall);
                    printf("done\n");
                    fflush(stdout);
                }), nullptr, 0);
        EXPECT_EQ(Take(report[0]), c.expected);
    }
    close(devnull);
    // The terminal got the child's last word, and never the switch to the alternate screen; the
    // title set before the failed switch was given back.
    std::string received = Take(master);
    EXPECT_NE(received.find("done"), std::string::npos) << received;
    EXPECT_EQ(received.find("\x1b[?1049h"), std::string::npos);
    size_t title = received.find("\x1b]0;Vostrel\x07");
    EXPECT_NE(title, std::string::npos) << received;
    EXPECT_NE(received.find("\x1b[23;0t", title), std::string::npos) << received;
}

// Another program may leave the terminal non-blocking: the answer to the resize question is still
// waited for, and a frame far larger than the terminal's buffer still arrives whole. Input the
// game has not yet asked for waits in the terminal rather than piling up in the program.
TEST_F(PlatformTerminal, ANonBlockingTerminalIsWaitedForAndAFloodOfInputWaitsInIt)
{
    const int COLS = 250, ROWS = 130;
    struct winsize ws = {.ws_row = ROWS, .ws_col = COLS, .ws_xpixel = 0, .ws_ypixel = 0};
    ioctl(master, TIOCSWINSZ, &ws);
    fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
    pid_t pid = InChild(slave, slave, [&](const PlatformBackend *pTerm) {
        const char *pCall = "";
        int answer = pTerm->ReadAnswerChar();
        if (pTerm->EnterScreen(&pCall) != 0)
            _exit(1);
        std::vector<PlatformCell> frame((size_t)(COLS * ROWS));
        for (size_t i = 0; i < frame.size(); i++)
            frame[i] = PlatformCell{0xDB, (unsigned char)(i % 2 ? 0x1E : 0x4F)};
        pTerm->Present(frame.data(), COLS, ROWS);
        // Waits until at least n bytes of input wait in the terminal; returns how many do.
        auto waiting = [](int n) {
            int count = 0;
            for (int i = 0; i < 5000 && (ioctl(STDIN_FILENO, FIONREAD, &count) != 0 || count < n); i++)
                usleep(1000);
            return count;
        };
        PlatformInputRecord rec;
        waiting(3000);
        int first = pTerm->ReadInput(&rec);
        if (!ReadyAndWait())  // the parent sends more
            _exit(1);
        waiting(100);
        int second = pTerm->ReadInput(&rec);
        dprintf(report[1], "answer %c, records %d %d, left %d\n", answer, first, second, waiting(0));
        pTerm->LeaveScreen();
    });
    close(std::exchange(report[1], -1));  // a child that ends early is an end of file, not a wait for ever
    // The player answers late; the child then fills the terminal's buffer long before it is read.
    usleep(100000);
    ASSERT_EQ(write(master, "y\n", 2), 2);
    usleep(200000);
    std::string received;
    const std::string glyph = "\u2588";
    auto glyphs = [&] {
        size_t n = 0;
        for (size_t pos = received.find(glyph); pos != std::string::npos; pos = received.find(glyph, pos + 3))
            n++;
        return n;
    };
    for (std::string more; glyphs() < (size_t)(COLS * ROWS) && !(more = Take(master)).empty();)
        received += more;
    EXPECT_EQ(glyphs(), (size_t)(COLS * ROWS));
    // 3000 keys are read at once; 100 more stay in the terminal while those wait for the game.
    ASSERT_EQ(write(master, std::string(3000, 'a').data(), 3000), 3000);
    ASSERT_TRUE(ChildReady());
    ASSERT_EQ(write(master, std::string(100, 'b').data(), 100), 100);
    ASSERT_TRUE(Go());
    EXPECT_EQ(Finish(pid), "answer y, records 1 1, left 100\n");
}

// Ten thousand motion reports pasted at once: a report cut at a read boundary is read on to its
// end, never taken for the Escape key and some letters, and the motions merge into a few records
// that end where the pointer did.
TEST_F(PlatformTerminal, AFloodOfMotionReportsInventsNoKeysAndLeavesNoBacklog)
{
    pid_t pid = InChild(slave, slave, [&](const PlatformBackend *pTerm) {
        const char *pCall = "";
        if (pTerm->EnterScreen(&pCall) != 0 || !ReadyAndWait())
            _exit(1);
        int keys = 0, mice = 0, lastX = -1, lastY = -1;
        PlatformInputRecord rec;
        pTerm->ReadInput(&rec);
        usleep(40000);  // longer than an Escape waits for the rest of its sequence
        // A second of quiet ends it: the flood has ended, not a busy machine paused the test.
        for (uint32_t quietSince = pTerm->Milliseconds(); pTerm->Milliseconds() - quietSince < 1000; usleep(1000)) {
            for (; pTerm->ReadInput(&rec); quietSince = pTerm->Milliseconds()) {
                keys += rec.m_kind != PLATFORM_RECORD_MOUSE;
                mice += rec.m_kind == PLATFORM_RECORD_MOUSE;
                lastX = rec.m_x;
                lastY = rec.m_y;
            }
        }
        pTerm->LeaveScreen();
        dprintf(report[1], "keys %d, few %d, last %d,%d\n", keys, mice < 500, lastX, lastY);
    });
    close(std::exchange(report[1], -1));
    ASSERT_TRUE(ChildReady());
    std::string flood;
    for (int i = 0; i < 10000; i++)
        flood += "\x1b[<35;" + std::to_string(i % 80 + 1) + ";" + std::to_string(i % 50 + 1) + "M";
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    bool started = false;
    for (size_t sent = 0; sent < flood.size();) {
        ssize_t n = write(master, flood.data() + sent, flood.size() - sent);
        sent += (size_t)std::max<ssize_t>(n, 0);
        if (n <= 0 && !started)  // the terminal is full: the game starts reading
            started = Go();
        while (!Take(master, 0).empty()) {  // what the child draws is taken as it comes
        }
        if (n <= 0)
            usleep(500);
    }
    ASSERT_TRUE(started || Go());
    EXPECT_EQ(Finish(pid), "keys 0, few 1, last 79,49\n");
}

// The terminal's window closed while hangups are ignored (nohup): the game ends as a hangup ends
// it, instead of running on with nothing to draw on.
TEST_F(PlatformTerminal, AHungUpTerminalEndsTheGameEvenWithHangupsIgnored)
{
    pid_t pid = InChild(slave, slave, [&](const PlatformBackend *pTerm) {
        signal(SIGHUP, SIG_IGN);
        close(master);  // the test's side alone holds the terminal open
        const char *pCall = "";
        if (pTerm->EnterScreen(&pCall) != 0 || !ReadyAndWait())
            _exit(1);
        PlatformInputRecord rec;
        for (int frame = 0; frame < 1000; frame++, usleep(16000))
            pTerm->ReadInput(&rec);
        _exit(2);  // still running 16 s after the hangup
    });
    ASSERT_TRUE(ChildReady());
    close(std::exchange(slave, -1));
    close(std::exchange(master, -1));
    ASSERT_TRUE(Go());
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGHUP) << status;
}

TEST(TerminalLacks, ATerminalKnownToLackWhatTheGameNeedsIsNamedWithWhatItLacks)
{
    const struct { const char *term; const char *lacks; } cases[] = {
        {"linux", "no SGR mouse reports, no bright backgrounds and no alternate screen"},
        {"linux-16color", "no SGR mouse reports, no bright backgrounds and no alternate screen"},
        {"dumb", "no cursor movement, no colours and no mouse reports"},
        {"vt100", "no colours and no mouse reports"},
        // Everything else is taken to be xterm-like.
        {"xterm-256color", nullptr}, {"rxvt-unicode-256color", nullptr}, {"st-256color", nullptr},
        {"screen", nullptr}, {"tmux-256color", nullptr}, {"linuxish", nullptr}, {"", nullptr}, {nullptr, nullptr}};
    for (const auto &c : cases)
        EXPECT_STREQ(TerminalLacks(c.term), c.lacks) << (c.term ? c.term : "(none)");
}
