// termprobe: a small program on the terminal backend alone, for the tests that run it in a real
// terminal (tmux). It shows a framed button; a left press and release on it shows "CLICKED".
// Every byte is shown on rows 30-33, the last input record on row 20. Keys: Q leaves normally
// (exit 0), X calls exit(3) with the screen still up, A fails an assertion, S faults. It prints to
// standard output while its screen is up, which must appear only after it ends. Gives up by itself
// after a minute.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "baseutilities/baseassert.h"
#include "platform/platform.h"
#include "platform/terminal.h"

static const int COLS = 80, ROWS = 50;
static const int BUTTON_X = 10, BUTTON_Y = 5, BUTTON_W = 14;  // the frame; the label is inside

static std::vector<PlatformCell> s_screen((size_t)(COLS * ROWS), PlatformCell{' ', 0x07});

static void Text(int x, int y, const char *pText, unsigned char attr)
{
    for (; *pText; pText++, x++)
        s_screen[(size_t)(y * COLS + x)] = PlatformCell{(unsigned char)*pText, attr};
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
    if (FILE *pFile = argc > 2 && strcmp(argv[1], "--pidfile") == 0 ? fopen(argv[2], "w") : nullptr)
        fprintf(pFile, "%d\n", (int)getpid()), fclose(pFile);
    printf("termprobe: printed while on screen\n");
    fflush(stdout);

    for (int y = 0; y < 3; y++) {  // the double-line frame: its corners, or its sides, then the rest
        const char *pEnds = y == 0 ? "\xC9\xBB" : y == 1 ? "\xBA\xBA" : "\xC8\xBC";
        Text(BUTTON_X, BUTTON_Y + y, (pEnds[0] + std::string(BUTTON_W - 2, y == 1 ? ' ' : '\xCD') + pEnds[1]).c_str(), 0x1B);
    }
    Text(BUTTON_X + 2, BUTTON_Y + 1, " Click me ", 0x1E);
    for (int i = 0; i < 256; i++)  // bright red on bright blue
        s_screen[(size_t)((30 + i / 64) * COLS + 8 + i % 64)] = PlatformCell{(unsigned char)i, 0x9C};
    Text(8, 34, "glyphs above", 0x0A);

    bool pressedOnButton = false;
    int status = 9;  // until Q, or a minute has gone by
    for (uint32_t start = PlatformMilliseconds(); status == 9 && PlatformMilliseconds() - start < 60000; PlatformSleep(16)) {
        PlatformInputRecord rec;
        while (PlatformReadInput(&rec)) {
            char line[COLS + 1];
            snprintf(line, sizeof line, "last: kind=%d vk=%u x=%d y=%d buttons=%08x flags=%-30u", rec.m_kind, rec.m_vk,
                     rec.m_x, rec.m_y, rec.m_buttons, rec.m_flags);
            Text(0, 20, line, 0x0F);
            if (rec.m_kind == PLATFORM_RECORD_MOUSE && rec.m_flags == 0) {
                bool wasPressed = pressedOnButton, left = rec.m_buttons & PLATFORM_BUTTON_LEFT;
                pressedOnButton = left && OnButton(rec.m_x, rec.m_y);
                if (wasPressed && !left && OnButton(rec.m_x, rec.m_y)) {
                    Text(BUTTON_X, 10, "CLICKED", 0x4F);
                    printf("termprobe: clicked\n");
                }
            } else if (rec.m_kind == PLATFORM_RECORD_KEY) {
                if (rec.m_vk == 'Q')
                    status = 0;
                if (rec.m_vk == 'X')
                    exit(3);
                V_ASSERT(rec.m_vk != 'A');
                if (rec.m_vk == 'S')
                    Fault();
            }
        }
        PlatformPresent(s_screen.data(), COLS, ROWS);
    }
    PlatformLeaveScreen();
    printf("termprobe: done\n");
    return status;
}
