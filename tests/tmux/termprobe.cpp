// termprobe: a small program on the terminal backend alone, for the tests that run it in a real
// terminal (tmux). It shows a framed button; a left press and release on it shows "CLICKED".
// The last input record is shown on row 20. Keys: Q leaves normally (exit 0), X calls exit(3)
// with the screen still up, A fails an assertion, S faults. It prints to standard output while
// its screen is up, which must appear only after it ends. Gives up by itself after a minute.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "baseutilities/baseassert.h"
#include "platform/platform.h"
#include "platform/terminal.h"

static const int COLS = 80, ROWS = 50;
static const int BUTTON_X = 10, BUTTON_Y = 5, BUTTON_W = 14;  // the frame; the label is inside

static void Put(std::vector<PlatformCell> &screen, int x, int y, unsigned char ch, unsigned char attr)
{
    if (x >= 0 && x < COLS && y >= 0 && y < ROWS)
        screen[(size_t)(y * COLS + x)] = PlatformCell{ch, attr};
}

static void Text(std::vector<PlatformCell> &screen, int x, int y, const char *pText, unsigned char attr)
{
    for (; *pText; pText++, x++)
        Put(screen, x, y, (unsigned char)*pText, attr);
}

static bool OnButton(int x, int y)
{
    return x >= BUTTON_X && x < BUTTON_X + BUTTON_W && y >= BUTTON_Y && y < BUTTON_Y + 3;
}

// A real fault, kept out of the sanitizer's null check so that the signal itself arrives.
__attribute__((no_sanitize("undefined"))) static void Fault(void)
{
    volatile int *pNowhere = nullptr;
    *pNowhere = 1;
}

int main(int argc, char **argv)
{
    const char *pPidFile = argc > 2 && strcmp(argv[1], "--pidfile") == 0 ? argv[2] : nullptr;
    printf("termprobe: starting\n");
    PlatformInstall(TerminalBackend());
    const char *pCall = "";
    int cols = 0, rows = 0;
    int err = PlatformGetConsoleSize(&cols, &rows, &pCall);
    if (err == 0)
        err = PlatformEnterScreen(&pCall);
    if (err == 0)
        err = PlatformSetTitle("Vostrel", &pCall);
    if (err != 0) {
        printf("\nERROR: %s() failed: %d\n", pCall, err);
        return err;
    }
    if (pPidFile) {
        FILE *pFile = fopen(pPidFile, "w");
        if (pFile) {
            fprintf(pFile, "%d\n", (int)getpid());
            fclose(pFile);
        }
    }
    printf("termprobe: printed while on screen\n");
    fflush(stdout);

    std::vector<PlatformCell> screen((size_t)(COLS * ROWS), PlatformCell{' ', 0x07});
    static const unsigned char s_frame[3][3] = {{0xC9, 0xCD, 0xBB}, {0xBA, ' ', 0xBA}, {0xC8, 0xCD, 0xBC}};
    for (int y = 0; y < 3; y++) {
        for (int x = 0; x < BUTTON_W; x++) {
            int col = x == 0 ? 0 : x == BUTTON_W - 1 ? 2 : 1;
            Put(screen, BUTTON_X + x, BUTTON_Y + y, s_frame[y][col], 0x1B);
        }
    }
    Text(screen, BUTTON_X + 2, BUTTON_Y + 1, " Click me ", 0x1E);
    static const unsigned char s_glyphs[] = {0x01, 0x03, 0x18, 0x19, 0x1A, 0x1B, 0xB0, 0xB1,
                                             0xB2, 0xDB, 0xE1, 0xF7, 0x7F, 0x00, 0xFF, 0xFE};
    for (size_t i = 0; i < sizeof s_glyphs; i++)
        Put(screen, 10 + (int)i, 30, s_glyphs[i], 0x9C);  // bright red on bright blue
    Text(screen, 10, 31, "glyphs above", 0x0A);

    bool pressedOnButton = false;
    uint32_t start = PlatformMilliseconds();
    uint32_t deadline = start;
    int status = 0;
    bool done = false;
    while (!done) {
        if (PlatformMilliseconds() - start > 60000) {
            status = 9;
            break;
        }
        PlatformInputRecord rec;
        while (PlatformReadInput(&rec)) {
            char line[81];
            snprintf(line, sizeof line, "last: kind=%d vk=%u x=%d y=%d buttons=%08x flags=%u",
                     rec.m_kind, rec.m_vk, rec.m_x, rec.m_y, rec.m_buttons, rec.m_flags);
            for (int x = 0; x < COLS; x++)
                Put(screen, x, 20, ' ', 0x07);
            Text(screen, 0, 20, line, 0x0F);
            if (rec.m_kind == PLATFORM_RECORD_MOUSE && rec.m_flags == 0) {
                if (rec.m_buttons & PLATFORM_BUTTON_LEFT) {
                    pressedOnButton = OnButton(rec.m_x, rec.m_y);
                } else if (pressedOnButton) {
                    pressedOnButton = false;
                    if (OnButton(rec.m_x, rec.m_y)) {
                        Text(screen, BUTTON_X, 10, "CLICKED", 0x4F);
                        printf("termprobe: clicked\n");
                    }
                }
            } else if (rec.m_kind == PLATFORM_RECORD_KEY) {
                char keyLine[40];
                snprintf(keyLine, sizeof keyLine, "key %u   ", rec.m_vk);
                Text(screen, 0, 22, keyLine, 0x0E);
                if (rec.m_vk == 'Q') {
                    done = true;
                } else if (rec.m_vk == 'X') {
                    exit(3);
                } else if (rec.m_vk == 'A') {
                    V_ASSERT(rec.m_vk != 'A');
                } else if (rec.m_vk == 'S') {
                    Fault();
                }
            }
        }
        PlatformPresent(screen.data(), COLS, ROWS);
        deadline += 16;
        while ((int32_t)(PlatformMilliseconds() - deadline) >= 0)  // late: the next deadline ahead
            deadline += 16;
        while ((int32_t)(deadline - PlatformMilliseconds()) > 0)
            PlatformSleep(1);
    }
    PlatformLeaveScreen();
    printf("termprobe: done\n");
    return status;
}
