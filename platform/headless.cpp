#include "platform/headless.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <deque>

#include "platform/cp437.h"

static int s_cols = 80, s_rows = 50;
static std::deque<PlatformInputRecord> s_input;
static std::deque<HeadlessFrame> s_frames;  // newest at the back
static int s_frameCount = 0;
static uint32_t s_clock = 0;
static int s_sleeps = 0;  // Sleep calls: each one a wake-up of the process
static std::string s_answer;
static size_t s_answerPos = 0;
static int s_fullScreen = 0;
static int s_entered = 0;
static std::string s_title;
static int s_requestedCols = 0, s_requestedRows = 0;
static int s_failWhich = HEADLESS_FAIL_NONE;
static const char *s_pFailCall = nullptr;
static int s_failErr = 0;

// A scripted failure fires once, on the call it names.
static int TakeFailure(int which, const char **ppCall)
{
    if (s_failWhich != which)
        return 0;
    s_failWhich = HEADLESS_FAIL_NONE;
    *ppCall = s_pFailCall;
    return s_failErr;
}

/* The backend's functions. */

static int GetConsoleSize(int *pCols, int *pRows, const char **ppCall)
{
    *pCols = s_cols;
    *pRows = s_rows;
    return TakeFailure(HEADLESS_FAIL_GET_SIZE, ppCall);
}

static void RequestConsoleSize(int cols, int rows)
{
    s_requestedCols = cols;
    s_requestedRows = rows;
}

static int ReadAnswerChar(void)
{
    if (s_answerPos >= s_answer.size())
        return EOF;
    return (unsigned char)s_answer[s_answerPos++];
}

static int EnterScreen(const char **ppCall)
{
    int err = TakeFailure(HEADLESS_FAIL_ENTER, ppCall);
    if (err == 0)
        s_entered = 1;
    return err;
}

static int SetTitle(const char *pTitle, const char **ppCall)
{
    int err = TakeFailure(HEADLESS_FAIL_TITLE, ppCall);
    if (err == 0)
        s_title = pTitle;
    return err;
}

static int IsFullScreen(void) { return s_fullScreen; }

static void Present(const PlatformCell *pCells, int cols, int rows)
{
    HeadlessFrame frame;
    frame.m_cols = cols;
    frame.m_rows = rows;
    frame.m_cells.assign(pCells, pCells + (size_t)cols * (size_t)rows);
    s_frames.push_back(std::move(frame));
    if (s_frames.size() > HEADLESS_FRAMES_KEPT)
        s_frames.pop_front();
    s_frameCount++;
}

static void LeaveScreen(void) { s_entered = 0; }

static int ReadInput(PlatformInputRecord *pRecord)
{
    if (s_input.empty())
        return 0;
    *pRecord = s_input.front();
    s_input.pop_front();
    return 1;
}

static uint32_t Milliseconds(void) { return s_clock; }
static void Sleep(uint32_t ms)
{
    s_clock += ms;
    s_sleeps++;
}

static const PlatformBackend s_headlessBackend = {
    GetConsoleSize, RequestConsoleSize, ReadAnswerChar, EnterScreen, SetTitle, IsFullScreen,
    Present,        LeaveScreen,        ReadInput,      Milliseconds, Sleep,
};

const PlatformBackend *HeadlessBackend(void) { return &s_headlessBackend; }

/* Set-up. */

void HeadlessInstall(int cols, int rows)
{
    s_cols = cols;
    s_rows = rows;
    s_input.clear();
    s_frames.clear();
    s_frameCount = 0;
    s_clock = 0;
    s_sleeps = 0;
    s_answer.clear();
    s_answerPos = 0;
    s_fullScreen = 0;
    s_entered = 0;
    s_title.clear();
    s_requestedCols = s_requestedRows = 0;
    s_failWhich = HEADLESS_FAIL_NONE;
    s_pFailCall = nullptr;
    s_failErr = 0;
    PlatformInstall(&s_headlessBackend);
}

void HeadlessSetAnswer(const char *pAnswer)
{
    s_answer = pAnswer;
    s_answerPos = 0;
}

void HeadlessSetFullScreen(int fullScreen) { s_fullScreen = fullScreen; }

void HeadlessSetFailure(int which, const char *pCall, int err)
{
    s_failWhich = which;
    s_pFailCall = pCall;
    s_failErr = err;
}

/* Input script. */

void HeadlessPushInput(const PlatformInputRecord &record) { s_input.push_back(record); }
int HeadlessPendingInput(void) { return (int)s_input.size(); }

static void PushMouse(int x, int y, uint32_t buttons, uint32_t flags)
{
    PlatformInputRecord rec = {};
    rec.m_kind = PLATFORM_RECORD_MOUSE;
    rec.m_x = x;
    rec.m_y = y;
    rec.m_buttons = buttons;
    rec.m_flags = flags;
    s_input.push_back(rec);
}

void HeadlessPressKey(uint32_t vk)
{
    PlatformInputRecord rec = {};
    rec.m_kind = PLATFORM_RECORD_KEY;
    rec.m_vk = vk;
    s_input.push_back(rec);
    rec.m_kind = PLATFORM_RECORD_OTHER;  // the release
    s_input.push_back(rec);
}

void HeadlessMoveMouse(int x, int y, uint32_t buttons) { PushMouse(x, y, buttons, PLATFORM_MOUSE_MOVED); }

void HeadlessClick(int x, int y, uint32_t button)
{
    PushMouse(x, y, button, 0);
    PushMouse(x, y, 0, 0);
}

void HeadlessDoubleClick(int x, int y)
{
    HeadlessClick(x, y);
    PushMouse(x, y, PLATFORM_BUTTON_LEFT, PLATFORM_DOUBLE_CLICK);
    PushMouse(x, y, 0, 0);
}

void HeadlessDrag(int x0, int y0, int x1, int y1, uint32_t button)
{
    PushMouse(x0, y0, button, 0);
    int dx = x1 - x0, dy = y1 - y0;
    int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 1; i <= steps; i++) {
        // Rounded to the nearest cell, halves away from the start.
        int x = x0 + (2 * dx * i + (dx >= 0 ? steps : -steps)) / (2 * steps);
        int y = y0 + (2 * dy * i + (dy >= 0 ? steps : -steps)) / (2 * steps);
        PushMouse(x, y, button, PLATFORM_MOUSE_MOVED);
    }
    PushMouse(x1, y1, 0, 0);
}

void HeadlessWheel(int x, int y, int delta)
{
    PushMouse(x, y, (uint32_t)(uint16_t)(int16_t)delta << 16, PLATFORM_MOUSE_WHEELED);
}

/* What the game did. */

uint32_t HeadlessClock(void) { return s_clock; }
int HeadlessSleepCount(void) { return s_sleeps; }
void HeadlessSetClock(uint32_t ms) { s_clock = ms; }
int HeadlessFrameCount(void) { return s_frameCount; }

const HeadlessFrame *HeadlessGetFrame(int back)
{
    if (back < 0 || (size_t)back >= s_frames.size())
        return nullptr;
    return &s_frames[s_frames.size() - 1 - (size_t)back];
}

int HeadlessEntered(void) { return s_entered; }
const char *HeadlessTitle(void) { return s_title.c_str(); }

void HeadlessRequestedSize(int *pCols, int *pRows)
{
    *pCols = s_requestedCols;
    *pRows = s_requestedRows;
}

/* Reading frames. */

static const HeadlessFrame *FrameOrLast(const HeadlessFrame *pFrame)
{
    return pFrame ? pFrame : HeadlessGetFrame(0);
}

PlatformCell HeadlessCellAt(int x, int y, const HeadlessFrame *pFrame)
{
    pFrame = FrameOrLast(pFrame);
    if (!pFrame || x < 0 || y < 0 || x >= pFrame->m_cols || y >= pFrame->m_rows)
        return PlatformCell{0, 0};
    return pFrame->m_cells[(size_t)y * (size_t)pFrame->m_cols + (size_t)x];
}

std::string HeadlessRowText(int y, const HeadlessFrame *pFrame)
{
    pFrame = FrameOrLast(pFrame);
    std::string text;
    if (!pFrame || y < 0 || y >= pFrame->m_rows)
        return text;
    for (int x = 0; x < pFrame->m_cols; x++) {
        char glyph[4];
        int n = Cp437ToUtf8(HeadlessCellAt(x, y, pFrame).m_ch, glyph);
        text.append(glyph, (size_t)n);
    }
    return text;
}

std::string HeadlessScreenText(const HeadlessFrame *pFrame)
{
    pFrame = FrameOrLast(pFrame);
    std::string text;
    if (!pFrame)
        return text;
    for (int y = 0; y < pFrame->m_rows; y++) {
        text += HeadlessRowText(y, pFrame);
        text += '\n';
    }
    return text;
}

int HeadlessFindText(const char *pLabel, int *pX, int *pY, const HeadlessFrame *pFrame)
{
    pFrame = FrameOrLast(pFrame);
    size_t len = strlen(pLabel);
    if (!pFrame || len == 0 || len > (size_t)pFrame->m_cols)
        return 0;
    for (int y = 0; y < pFrame->m_rows; y++) {
        for (int x = 0; x + (int)len <= pFrame->m_cols; x++) {
            size_t i = 0;
            while (i < len && HeadlessCellAt(x + (int)i, y, pFrame).m_ch == (unsigned char)pLabel[i])
                i++;
            if (i == len) {
                *pX = x;
                *pY = y;
                return 1;
            }
        }
    }
    return 0;
}
