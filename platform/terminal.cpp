#include "platform/terminal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "baseutilities/baseassert.h"
#include "platform/terminal_input.h"
#include "platform/terminal_output.h"

static const size_t TERMINAL_READ_AHEAD_RECORDS = 256;  // records waiting before input is left unread
static const size_t TERMINAL_READ_AHEAD_LIMIT = 4096;   // even to finish a sequence begun

static const char s_titlePush[] = "\x1b[22;0t";
static const char s_titlePop[] = "\x1b[23;0t";

// The signals that end the program and must give the terminal back first.
static const int s_fatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                     SIGBUS, SIGFPE, SIGILL, SIGABRT};
static const int s_otherSignals[] = {SIGTSTP, SIGCONT, SIGWINCH};

// Everything the signal handlers read is set before s_active turns on.
static volatile sig_atomic_t s_active = 0;     // the game's screen is up
static volatile sig_atomic_t s_suspended = 0;  // the screen is given back for Ctrl-Z
static volatile sig_atomic_t s_resized = 0;    // SIGWINCH came: measure and repaint
static volatile sig_atomic_t s_repaint = 0;    // the terminal was handed back and forth
static volatile sig_atomic_t s_titlePushed = 0;
static int s_inFd = STDIN_FILENO;
static int s_ttyFd = -1;          // a copy of the terminal for drawing; fd 1 goes to the capture
static int s_captureFd = -1;      // what the program prints while the screen is up
static int s_savedStderr = -1;    // fd 2 as it was, when it was the terminal too
static struct termios s_savedTermios;
static struct termios s_rawTermios;
static struct sigaction s_oldActions[NSIG];
static bool s_installed[NSIG];
static bool s_atexitRegistered = false;
static char s_altStack[65536];

static TerminalScreen s_screen;
static TerminalInputParser s_parser;
static int s_termCols = 0, s_termRows = 0;
static int s_frameCols = 0, s_frameRows = 0;  // the last frame's size: a smaller terminal shows a notice
static std::string s_frameBytes;

/* Async-signal-safe helpers: used by the handlers as well as the normal paths. */

// Returns 0, or the error number when the terminal is gone (nothing more to do for it then).
static int WriteAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        ssize_t done = write(fd, p, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            // Another program may have left the terminal non-blocking: wait until it takes more.
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                struct pollfd pfd = {fd, POLLOUT, 0};
                poll(&pfd, 1, -1);
                continue;
            }
            return errno;
        }
        p += done;
        n -= (size_t)done;
    }
    return 0;
}

static void WriteString(int fd, const char *p) { WriteAll(fd, p, strlen(p)); }

static void ShowScreen(void)
{
    tcsetattr(s_inFd, TCSADRAIN, &s_rawTermios);
    WriteString(s_ttyFd, g_terminalEnterModes);
}

static void HideScreen(void)
{
    WriteString(s_ttyFd, g_terminalLeaveModes);
    tcsetattr(s_inFd, TCSADRAIN, &s_savedTermios);
}

// Gives the terminal back and shows what was printed meanwhile. From a signal handler only
// async-signal-safe calls are made: stdio buffers are left alone there.
static void RestoreTerminal(bool fromSignal)
{
    if (!s_active)
        return;
    s_active = 0;
    if (!s_suspended)
        HideScreen();
    s_suspended = 0;
    if (s_titlePushed) {
        WriteString(s_ttyFd, s_titlePop);
        s_titlePushed = 0;
    }
    if (!fromSignal) {
        fflush(stdout);
        fflush(stderr);
    }
    dup2(s_ttyFd, STDOUT_FILENO);
    if (s_savedStderr >= 0) {
        dup2(s_savedStderr, STDERR_FILENO);
        close(s_savedStderr);
        s_savedStderr = -1;
    }
    static char buf[4096];
    if (lseek(s_captureFd, 0, SEEK_SET) == 0) {
        ssize_t n;
        while ((n = read(s_captureFd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0)
                WriteAll(STDOUT_FILENO, buf, (size_t)n);
        }
    }
    close(s_captureFd);
    s_captureFd = -1;
    close(s_ttyFd);
    s_ttyFd = -1;
}

static void OnFatalSignal(int sig)
{
    int savedErrno = errno;
    RestoreTerminal(true);
    // Whatever handled the signal before (the default, or a sanitizer's report) handles it now:
    // a raised signal arrives when this handler returns, a fault repeats.
    sigaction(sig, &s_oldActions[sig], nullptr);
    raise(sig);
    errno = savedErrno;
}

static void ResumeScreen(void)
{
    if (!s_active)
        return;
    // Continued in the background (bg, or the shell's kill %1, which continues a stopped job so
    // that it can die): taking the terminal there would only stop the job again, with the kill
    // still waiting. The screen stays given back until the job is in the foreground again: fg
    // continues only a stopped job, so Present looks each frame.
    pid_t foreground = tcgetpgrp(s_inFd);
    if (s_suspended && foreground > 0 && foreground != getpgrp())
        return;
    ShowScreen();
    s_suspended = 0;
    s_repaint = 1;
}

static void OnStop(int sig)
{
    int savedErrno = errno;
    if (s_active && !s_suspended) {
        HideScreen();
        s_suspended = 1;
    }
    // Stop the usual way; execution goes on here after SIGCONT.
    struct sigaction dfl;
    memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    struct sigaction ours;
    sigaction(sig, &dfl, &ours);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    sigaction(sig, &ours, nullptr);
    if (s_suspended)
        ResumeScreen();
    errno = savedErrno;
}

static void OnContinue(int)
{
    int savedErrno = errno;
    ResumeScreen();
    errno = savedErrno;
}

static void OnResize(int) { s_resized = 1; }

/* Installing and removing the handlers. */

static void InstallHandler(int sig, void (*pfnHandler)(int), int flags)
{
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0)
        return;
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    if (old.sa_handler == SIG_IGN && !(old.sa_flags & SA_SIGINFO))
        return;
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = pfnHandler;
    sa.sa_flags = flags;
    sigemptyset(&sa.sa_mask);
    // No two of our handlers run into each other.
    for (int s : s_fatalSignals)
        sigaddset(&sa.sa_mask, s);
    sigaddset(&sa.sa_mask, SIGTSTP);
    sigaddset(&sa.sa_mask, SIGCONT);
    if (sigaction(sig, &sa, &s_oldActions[sig]) == 0)
        s_installed[sig] = true;
}

static void InstallHandlers(void)
{
    // A stack overflow can only be reported on a stack of its own.
    stack_t current;
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        stack_t ss;
        memset(&ss, 0, sizeof ss);
        ss.ss_sp = s_altStack;
        ss.ss_size = sizeof s_altStack;
        sigaltstack(&ss, nullptr);
    }
    for (int sig : s_fatalSignals)
        InstallHandler(sig, OnFatalSignal, SA_ONSTACK);
    InstallHandler(SIGTSTP, OnStop, SA_RESTART);
    InstallHandler(SIGCONT, OnContinue, SA_RESTART);
    InstallHandler(SIGWINCH, OnResize, SA_RESTART);
}

static void RemoveHandlers(void)
{
    for (int sig : s_fatalSignals) {
        if (s_installed[sig])
            sigaction(sig, &s_oldActions[sig], nullptr);
        s_installed[sig] = false;
    }
    for (int sig : s_otherSignals) {
        if (s_installed[sig])
            sigaction(sig, &s_oldActions[sig], nullptr);
        s_installed[sig] = false;
    }
}

// Taking the screen and giving it back run with our signals held off: a signal in the middle
// would find the work half done.
static void BlockHandledSignals(sigset_t *pOld)
{
    sigset_t block;
    sigemptyset(&block);
    for (int sig : s_fatalSignals)
        sigaddset(&block, sig);
    for (int sig : s_otherSignals)
        sigaddset(&block, sig);
    sigprocmask(SIG_BLOCK, &block, pOld);
}

/* The backend's functions. */

static void LeaveScreen(void)
{
    if (!s_active) {
        // A title set before the screen failed to come up is given back all the same.
        if (s_titlePushed) {
            fflush(stdout);
            WriteString(STDOUT_FILENO, s_titlePop);
            s_titlePushed = 0;
        }
        return;
    }
    sigset_t old;
    BlockHandledSignals(&old);
    RestoreTerminal(false);
    RemoveHandlers();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

static void LeaveScreenAtExit(void) { LeaveScreen(); }

static int DrawingFd(void) { return s_active ? s_ttyFd : STDOUT_FILENO; }

static int QuerySize(int fd, int *pCols, int *pRows, const char **ppCall)
{
    if (!isatty(fd)) {
        *ppCall = "isatty";
        return errno ? errno : ENOTTY;
    }
    struct winsize ws;
    if (ioctl(fd, TIOCGWINSZ, &ws) != 0) {
        *ppCall = "ioctl";
        return errno;
    }
    *pCols = ws.ws_col;
    *pRows = ws.ws_row;
    return 0;
}

static int GetConsoleSize(int *pCols, int *pRows, const char **ppCall)
{
    *pCols = 0;
    *pRows = 0;
    return QuerySize(DrawingFd(), pCols, pRows, ppCall);
}

// Asks an xterm-like terminal to grow to at least cols x rows; a dimension that is already larger
// stays as it is. Terminals that refuse simply stay as they are, and frames are clipped.
static void RequestConsoleSize(int cols, int rows)
{
    int curCols = 0, curRows = 0;
    const char *pCall = nullptr;
    if (QuerySize(DrawingFd(), &curCols, &curRows, &pCall) != 0)
        return;
    if (curCols >= cols && curRows >= rows)
        return;
    char buf[48];
    snprintf(buf, sizeof buf, "\x1b[8;%d;%dt", curRows > rows ? curRows : rows,
             curCols > cols ? curCols : cols);
    fflush(stdout);
    WriteString(DrawingFd(), buf);
}

// One byte of the player's typing, waited for; 0 at the end of input or on an error.
static int ReadTypedByte(unsigned char *pByte)
{
    for (;;) {
        ssize_t n = read(STDIN_FILENO, pByte, 1);
        if (n >= 0)
            return n == 1;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {  // a terminal left non-blocking
            struct pollfd pfd = {STDIN_FILENO, POLLIN, 0};
            poll(&pfd, 1, -1);
        } else if (errno != EINTR) {
            return 0;
        }
    }
}

// The answer is the line's first character; the rest of the line is read with it so that it does
// not reach the game's screen as keys (or the shell after the program).
static int ReadAnswerChar(void)
{
    fflush(stdout);
    unsigned char c;
    if (!ReadTypedByte(&c))
        return EOF;
    for (unsigned char rest = c; rest != '\n' && ReadTypedByte(&rest);) {
    }
    return c;
}

static void MeasureTerminal(void)
{
    const char *pCall = nullptr;
    if (QuerySize(s_ttyFd, &s_termCols, &s_termRows, &pCall) != 0 || s_termCols <= 0 ||
        s_termRows <= 0) {
        // A terminal that does not know its size gets the whole frame.
        s_termCols = 32767;
        s_termRows = 32767;
    }
}

static int Fail(const char *pCall, int err, const char **ppCall)
{
    *ppCall = pCall;
    return err ? err : EIO;
}

static int EnterScreen(const char **ppCall)
{
    if (s_active)
        return 0;
    if (!isatty(STDOUT_FILENO))
        return Fail("isatty", errno, ppCall);
    if (tcgetattr(s_inFd, &s_savedTermios) != 0)
        return Fail("tcgetattr", errno, ppCall);
    // Bytes as they come, no echo; Ctrl-C and Ctrl-Z keep sending their signals.
    s_rawTermios = s_savedTermios;
    s_rawTermios.c_iflag &= ~(tcflag_t)(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
    s_rawTermios.c_lflag &= ~(tcflag_t)(ICANON | ECHO | IEXTEN);
    s_rawTermios.c_lflag |= ISIG;
    s_rawTermios.c_cc[VMIN] = 1;
    s_rawTermios.c_cc[VTIME] = 0;

    fflush(stdout);
    fflush(stderr);
    int ttyFd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (ttyFd < 0)
        return Fail("dup", errno, ppCall);
    char path[] = "/tmp/vostrel-out-XXXXXX";
    int captureFd = mkstemp(path);
    if (captureFd < 0) {
        int err = errno;
        close(ttyFd);
        return Fail("mkstemp", err, ppCall);
    }
    unlink(path);
    fcntl(captureFd, F_SETFD, FD_CLOEXEC);

    s_ttyFd = ttyFd;
    s_captureFd = captureFd;
    sigset_t oldMask;
    BlockHandledSignals(&oldMask);
    InstallHandlers();
    // Unread bytes (the rest of an answer typed ahead) are dropped with the switch.
    if (tcsetattr(s_inFd, TCSAFLUSH, &s_rawTermios) != 0) {
        int err = errno;
        RemoveHandlers();
        sigprocmask(SIG_SETMASK, &oldMask, nullptr);
        close(captureFd);
        close(ttyFd);
        s_ttyFd = s_captureFd = -1;
        return Fail("tcsetattr", err, ppCall);
    }
    dup2(captureFd, STDOUT_FILENO);
    if (isatty(STDERR_FILENO)) {
        s_savedStderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        if (s_savedStderr >= 0)
            dup2(captureFd, STDERR_FILENO);
    }
    s_suspended = 0;
    s_resized = 0;
    s_repaint = 0;
    s_active = 1;
    if (!s_atexitRegistered) {
        atexit(LeaveScreenAtExit);
        s_atexitRegistered = true;
    }
    AssertSetCleanup(LeaveScreen);

    WriteString(s_ttyFd, g_terminalEnterModes);
    MeasureTerminal();
    TerminalScreenInit(&s_screen);
    s_frameCols = s_frameRows = 0;
    TerminalInputInit(&s_parser);
    sigprocmask(SIG_SETMASK, &oldMask, nullptr);
    return 0;
}

static int SetTitle(const char *pTitle, const char **ppCall)
{
    std::string seq;
    if (!s_titlePushed)
        seq = s_titlePush;  // the old title comes back with the screen
    seq += "\x1b]0;";
    for (const char *p = pTitle; *p; p++) {
        if ((unsigned char)*p >= 0x20 && *p != 0x7F)  // a control byte would end the sequence
            seq += *p;
    }
    seq += "\x07";
    fflush(stdout);
    int err = WriteAll(DrawingFd(), seq.data(), seq.size());
    if (err != 0)
        return Fail("write", err, ppCall);
    s_titlePushed = 1;
    return 0;
}

// The terminal shows its own mouse pointer.
static int IsFullScreen(void) { return 0; }

static void Present(const PlatformCell *pCells, int cols, int rows)
{
    if (s_active && s_suspended) {
        sigset_t old;
        BlockHandledSignals(&old);
        ResumeScreen();
        sigprocmask(SIG_SETMASK, &old, nullptr);
    }
    if (!s_active || s_suspended)
        return;
    if (s_resized) {
        s_resized = 0;
        MeasureTerminal();
        TerminalScreenInvalidate(&s_screen);
    }
    if (s_repaint) {
        s_repaint = 0;
        TerminalScreenInvalidate(&s_screen);
    }
    s_frameBytes.clear();
    TerminalRenderFrame(&s_screen, pCells, cols, rows, s_termCols, s_termRows, &s_frameBytes);
    s_frameCols = cols;
    s_frameRows = rows;
    if (!s_frameBytes.empty())
        WriteAll(s_ttyFd, s_frameBytes.data(), s_frameBytes.size());
}

static uint32_t Milliseconds(void)
{
    static bool s_started = false;
    static struct timespec s_start;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (!s_started) {
        s_start = now;
        s_started = true;
    }
    int64_t ms = (int64_t)(now.tv_sec - s_start.tv_sec) * 1000 +
                 (now.tv_nsec - s_start.tv_nsec) / 1000000;
    return (uint32_t)ms;
}

// The terminal hung up (its window closed) and the hangup did not end the program: it was
// ignored, as under nohup. With nothing left to draw on or read from, the game ends as the
// hangup would have ended it, instead of running on for ever.
[[noreturn]] static void TerminalGone(void)
{
    RestoreTerminal(false);
    _exit(128 + SIGHUP);
}

// Nonzero while bytes wait in the terminal.
static bool TerminalHasInput(void)
{
    struct pollfd pfd = {s_inFd, POLLIN, 0};
    if (poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLHUP))
        TerminalGone();
    return pfd.revents & POLLIN;
}

static int ReadInput(PlatformInputRecord *pRecord)
{
    if (!s_active || s_suspended)
        return 0;
    uint32_t now = Milliseconds();
    // The game takes one record a frame. Input beyond what it has yet to take waits in the
    // terminal, so that a flood (a long paste, a stream of keys) cannot pile up here; but a
    // sequence begun is read on to its end, up to a hard limit.
    size_t queued = s_parser.m_records.size();
    bool more = TerminalHasInput();
    if (more && (queued < TERMINAL_READ_AHEAD_RECORDS ||
                 (!s_parser.m_pending.empty() && queued < TERMINAL_READ_AHEAD_LIMIT))) {
        char buf[4096];
        ssize_t n = read(s_inFd, buf, sizeof buf);
        if (n > 0)
            TerminalInputFeed(&s_parser, buf, (size_t)n, now);
        else if (n == 0 || errno == EIO)  // a terminal that waits for a byte has none to give
            TerminalGone();
        more = TerminalHasInput();
    }
    // An ESC is the Escape key only once the terminal has nothing more to give: while bytes wait
    // there, they may be the rest of its sequence.
    if (!more)
        TerminalInputTick(&s_parser, now);
    // Behind the too-small notice the player sees no game, so nothing reaches it. A resize not
    // yet presented counts already: the click that follows it is meant for what comes back.
    if (s_resized)
        MeasureTerminal();
    PlatformInputRecord rec;
    if (s_termCols < s_frameCols || s_termRows < s_frameRows) {
        while (TerminalInputPop(&s_parser, &rec)) {
        }
        s_parser.m_haveLeftPress = 0;  // nor may a click there make the next one a double click
        return 0;
    }
    return TerminalInputPop(&s_parser, pRecord);
}

static void Sleep(uint32_t ms)
{
    struct timespec req = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    struct timespec rem;
    while (nanosleep(&req, &rem) != 0 && errno == EINTR)
        req = rem;
}

static const PlatformBackend s_terminalBackend = {
    GetConsoleSize, RequestConsoleSize, ReadAnswerChar, EnterScreen, SetTitle, IsFullScreen,
    Present,        LeaveScreen,        ReadInput,      Milliseconds, Sleep,
};

const PlatformBackend *TerminalBackend(void) { return &s_terminalBackend; }

// Terminals that are known not to give what the game needs: mouse reports with coordinates past
// column 95 (SGR), the sixteen background colours and a screen of its own to give back.
static const struct {
    const char *m_pName;
    const char *m_pLacks;
} s_lackingTerminals[] = {
    {"linux", "no SGR mouse reports, no bright backgrounds and no alternate screen"},
    {"cons25", "no SGR mouse reports, no bright backgrounds and no alternate screen"},
    {"pcansi", "no mouse reports and no bright backgrounds"},
    {"ansi", "no mouse reports and no bright backgrounds"},
    {"dumb", "no cursor movement, no colours and no mouse reports"},
    {"vt52", "no colours and no mouse reports"},
    {"vt100", "no colours and no mouse reports"},
    {"vt102", "no colours and no mouse reports"},
    {"vt220", "no colours and no mouse reports"},
    {"sun", "no mouse reports and no bright backgrounds"},
    {"wsvt25", "no mouse reports and no bright backgrounds"},
};

const char *TerminalLacks(const char *pTerm)
{
    if (pTerm == nullptr)
        return nullptr;
    for (const auto &t : s_lackingTerminals) {
        size_t n = strlen(t.m_pName);
        if (strncmp(pTerm, t.m_pName, n) == 0 && (pTerm[n] == '\0' || pTerm[n] == '-'))
            return t.m_pLacks;
    }
    return nullptr;
}
