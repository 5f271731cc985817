#include "game/core/input.h"

#include <cstdio>

#include "game/core/console.h"
#include "platform/platform.h"

// The platform reports the same codes; the game reads them from here alone.
static constexpr bool SameKey(int game, int platform) { return game == platform; }
static_assert(SameKey(KEY_RETURN, PLATFORM_VK_RETURN) && SameKey(KEY_ESCAPE, PLATFORM_VK_ESCAPE));
static_assert(SameKey(KEY_LEFT, PLATFORM_VK_LEFT) && SameKey(KEY_UP, PLATFORM_VK_UP) &&
              SameKey(KEY_RIGHT, PLATFORM_VK_RIGHT) && SameKey(KEY_DOWN, PLATFORM_VK_DOWN));
static_assert(SameKey(KEY_NUMPAD2, PLATFORM_VK_NUMPAD2) && SameKey(KEY_NUMPAD4, PLATFORM_VK_NUMPAD4) &&
              SameKey(KEY_NUMPAD6, PLATFORM_VK_NUMPAD6) && SameKey(KEY_NUMPAD8, PLATFORM_VK_NUMPAD8));
static_assert(SameKey(KEY_HOME, PLATFORM_VK_HOME) && SameKey(KEY_F10, PLATFORM_VK_F10));

InputState g_inputState = {INPUT_KIND_OTHER, 0, 0, 0, 0};

// The platform's input comes ready to read once the console has taken over the display, so
// there is nothing to open here; only the start-up messages remain.
void InitInputManager(void)
{
    printf("Initializing input manager...");
    g_inputState = InputState{INPUT_KIND_OTHER, 0, 0, 0, 0};
    printf("done.\n");
}

void ShutdownInputManager(void)
{
    printf("Shutting down input manager...");
    printf("done.\n");
}

void PollInput(void)
{
    PlatformInputRecord record;
    if (!PlatformReadInput(&record)) {
        g_inputState.m_nFlags = 0;
        return;
    }
    switch (record.m_kind) {
    case PLATFORM_RECORD_KEY:
        g_inputState.m_nKind = INPUT_KIND_KEY;
        g_inputState.m_nButtons = record.m_vk;
        break;
    case PLATFORM_RECORD_MOUSE:
        g_inputState.m_nKind = INPUT_KIND_MOUSE;
        g_inputState.m_nFlags = record.m_flags;
        // A wheel record carries no position worth keeping: the pointer stays where it was.
        if (!(record.m_flags & INPUT_FLAG_WHEELED)) {
            g_inputState.m_nX = record.m_x;
            g_inputState.m_nY = record.m_y;
            if (g_pCursorSprite) {
                g_pCursorSprite->m_x = record.m_x - 1;
                g_pCursorSprite->m_y = record.m_y - 1;
            }
        }
        g_inputState.m_nButtons = record.m_buttons;
        break;
    default:
        g_inputState.m_nKind = INPUT_KIND_OTHER;
        break;
    }
}

void SleepMs(uint32_t ms) { PlatformSleep(ms); }

uint32_t FrameDeadline(void) { return PlatformMilliseconds() + FRAME_MS; }

// Compared as a signed difference, so the clock may wrap around.
static bool ClockBefore(uint32_t now, uint32_t deadline) { return (int32_t)(now - deadline) < 0; }

// One sleep to the deadline: an idle game wakes once a frame, not once a millisecond.
void FrameWait(uint32_t deadline)
{
    uint32_t now = PlatformMilliseconds();
    while (ClockBefore(deadline, now))
        deadline += FRAME_MS;
    if (ClockBefore(now, deadline))
        SleepMs(deadline - now);
}
