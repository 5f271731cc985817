// headless: a console without a terminal, for tests. The test chooses the screen size, scripts
// the input records that ReadInput hands out one per poll, answers the resize question, and reads
// every presented frame back as cells or text. Time is a virtual millisecond clock that only
// Sleep moves, so frame loops run at full speed and always alike. Tests call the helpers below;
// the game sees only the PlatformBackend table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

enum {
    HEADLESS_FRAMES_KEPT = 64,   // the most recent presented frames that stay readable
};

// Which call a scripted failure hits.
enum {
    HEADLESS_FAIL_NONE = 0,
    HEADLESS_FAIL_GET_SIZE = 1,
    HEADLESS_FAIL_ENTER = 2,
    HEADLESS_FAIL_TITLE = 3,
};

// One presented frame as the game sent it.
struct HeadlessFrame {
    int m_cols, m_rows;
    std::vector<PlatformCell> m_cells;  // row-major
};

/* Set-up. */
// Installs the headless backend with a fresh state: a cols x rows screen, no input, clock at 0,
// no frames, no answer (ReadAnswerChar gives EOF), windowed mode, no failures.
void HeadlessInstall(int cols, int rows);
const PlatformBackend *HeadlessBackend(void);
// The characters ReadAnswerChar returns, one per call, then EOF: "y\n", "n", "\n".
void HeadlessSetAnswer(const char *pAnswer);
// Nonzero: IsFullScreen reports full-screen mode, where the game draws its own pointer.
void HeadlessSetFullScreen(int fullScreen);
// The next call of the given kind fails, naming pCall with the error number err.
void HeadlessSetFailure(int which, const char *pCall, int err);

/* Input script. */
void HeadlessPushInput(const PlatformInputRecord &record);
int HeadlessPendingInput(void);
// A key as a console reports it: key-down, then release.
void HeadlessPressKey(uint32_t vk);
// The pointer moving to a cell with the given buttons held.
void HeadlessMoveMouse(int x, int y, uint32_t buttons = 0);
// A press and a release of one button on one cell.
void HeadlessClick(int x, int y, uint32_t button = PLATFORM_BUTTON_LEFT);
// Two left clicks on one cell; the second press carries the double-click flag.
void HeadlessDoubleClick(int x, int y);
// Press at the start, motion one cell at a time along the straight path, release at the end.
void HeadlessDrag(int x0, int y0, int x1, int y1, uint32_t button = PLATFORM_BUTTON_LEFT);
// One wheel notch on a cell: +120 away from the player, -120 towards.
void HeadlessWheel(int x, int y, int delta);

/* What the game did. */
uint32_t HeadlessClock(void);
int HeadlessSleepCount(void);           // Sleep calls since HeadlessInstall
void HeadlessSetClock(uint32_t ms);
int HeadlessFrameCount(void);           // frames presented since HeadlessInstall
// A recent frame: 0 the last one, 1 the one before, ... null when there is none that far back.
const HeadlessFrame *HeadlessGetFrame(int back = 0);
int HeadlessEntered(void);              // nonzero between EnterScreen and LeaveScreen
const char *HeadlessTitle(void);        // the last title set, "" if none
// The size the game asked the display for; 0 x 0 when it did not ask.
void HeadlessRequestedSize(int *pCols, int *pRows);

/* Reading frames (the last one unless another is given). */
PlatformCell HeadlessCellAt(int x, int y, const HeadlessFrame *pFrame = nullptr);
// A row as UTF-8 text with each byte's glyph ("" outside the frame).
std::string HeadlessRowText(int y, const HeadlessFrame *pFrame = nullptr);
// The whole frame, rows joined by line feeds.
std::string HeadlessScreenText(const HeadlessFrame *pFrame = nullptr);
// Finds a label given as code page 437 bytes (plain ASCII for the game's labels); the first match
// scanning rows top to bottom. Returns 1 and its first cell, or 0.
int HeadlessFindText(const char *pLabel, int *pX, int *pY, const HeadlessFrame *pFrame = nullptr);
