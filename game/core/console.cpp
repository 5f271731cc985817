#include "game/core/console.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "baseutilities/baseassert.h"
#include "platform/platform.h"

uint32_t g_frameCounter = 0;
Cell g_transCell = {'t', 0x00};
Surface *g_pScreen = nullptr;
Coord g_screenCentre = {0, 0};
Coord g_origin = {0, 0};
Sprite *g_pCursorSprite = nullptr;

static const unsigned char CHAR_LIGHT_VERTICAL = 179;
static const unsigned char CHAR_LIGHT_HORIZONTAL = 196;
static const unsigned char CHAR_LIGHT_CROSS = 197;
static const unsigned char CURSOR_ATTR = 0xEE;  // equal nibbles: yellow over whatever lies beneath

// The frame handed to the platform; kept between frames so presenting allocates nothing.
static std::vector<PlatformCell> s_frame;

// Every failed console call ends the game the same way: its name, its number, that exit status.
[[noreturn]] static void FailConsoleCall(const char *pCall, int error)
{
    printf("\nERROR: %s() failed: %d\n", pCall ? pCall : "console", error);
    fflush(stdout);
    exit(error);
}

// An assertion that fires while the game owns the display must leave the terminal usable.
static void RestoreDisplayOnAssert(void) { PlatformLeaveScreen(); }

Coord ScreenCentreOf(int cols, int rows)
{
    Coord centre;
    centre.m_x = (int)((double)(cols / 2) - 0.5);
    centre.m_y = (int)((double)(rows / 2) - 0.5);
    return centre;
}

// Asks the player whether to resize; any answer but yes (or a bare Enter) ends the game quietly.
static void AskToResize(void)
{
    printf("Would you like me to resize your console to 80x50 for you? (Y/n)");
    fflush(stdout);
    int answer = PlatformReadAnswerChar();
    if (answer == '\n' || answer == 'y' || answer == 'Y')
        return;
    exit(0);
}

// The size rules: a console of at least 80 x 50 that a buffer can hold stays as it is; anything
// else is offered 80 x 50. Returns nonzero when the player agreed to the resize.
static int ApplySizeRules(int *pCols, int *pRows)
{
    long long cols = *pCols, rows = *pRows;
    if (cols >= CONSOLE_MIN_COLS && rows >= CONSOLE_MIN_ROWS) {
        if (cols * rows <= CONSOLE_MAX_CELLS)
            return 0;
        printf("\nIt appears that you're trying to play a text-based game, but your console window is "
               "too large for Vostrel to handle.\n");
    } else {
        printf("\nIt appears that you're trying to play a text-based game, and unfortunately your "
               "console window is less than 80x50, which is the minimum required for playing Vostrel.\n");
    }
    AskToResize();
    *pCols = CONSOLE_MIN_COLS;
    *pRows = CONSOLE_MIN_ROWS;
    return 1;
}

// The plus sign: corners transparent, the arms and the centre in yellow.
static Surface *MakeCursorImage(void)
{
    Surface *pImage = CreateSurface(CURSOR_SIZE, CURSOR_SIZE);
    FillSurface(pImage, g_transCell);
    Cell *pCells = pImage->m_pCells;
    pCells[1] = Cell{CHAR_LIGHT_VERTICAL, CURSOR_ATTR};
    pCells[7] = Cell{CHAR_LIGHT_VERTICAL, CURSOR_ATTR};
    pCells[3] = Cell{CHAR_LIGHT_HORIZONTAL, CURSOR_ATTR};
    pCells[5] = Cell{CHAR_LIGHT_HORIZONTAL, CURSOR_ATTR};
    pCells[4] = Cell{CHAR_LIGHT_CROSS, CURSOR_ATTR};
    return pImage;
}

void InitConsole(const char *pTitle)
{
    V_ASSERT(pTitle != NULL);
    printf("Initializing 2D utilities...");

    int cols = 0, rows = 0;
    const char *pCall = nullptr;
    int error = PlatformGetConsoleSize(&cols, &rows, &pCall);
    if (error != 0)
        FailConsoleCall(pCall, error);

    if (ApplySizeRules(&cols, &rows))
        PlatformRequestConsoleSize(cols, rows);

    g_pScreen = CreateSurface(cols, rows);
    FillSurface(g_pScreen, Cell{' ', 0x00});
    g_origin = Coord{0, 0};
    g_screenCentre = ScreenCentreOf(cols, rows);
    g_transCell = Cell{'t', 0x00};
    g_pCursorSprite = CreateSprite(MakeCursorImage(), g_screenCentre.m_x, g_screenCentre.m_y, &g_transCell);
    s_frame.assign((size_t)cols * (size_t)rows, PlatformCell{' ', 0x00});

    error = PlatformSetTitle(pTitle, &pCall);
    if (error != 0)
        FailConsoleCall(pCall, error);

    AssertSetCleanup(RestoreDisplayOnAssert);
    error = PlatformEnterScreen(&pCall);
    if (error != 0) {
        PlatformLeaveScreen();
        FailConsoleCall(pCall, error);
    }
    printf("done.\n");
}

void ShutdownConsole(void)
{
    printf("Shutting down 2D utilities...");
    PlatformLeaveScreen();
    AssertSetCleanup(nullptr);

    // The cursor's transparent cell is the shared one, which DestroySprite leaves alone.
    DestroySprite(&g_pCursorSprite);
    DestroySurface(&g_pScreen);
    std::vector<PlatformCell>().swap(s_frame);
    printf("done.\n");
}

// The part of the cursor's 3 x 3 square that lies on the surface; false when none does.
static bool CursorAreaOnSurface(const Surface *pSurface, int *pX, int *pY, int *pW, int *pH)
{
    int x1 = g_pCursorSprite->m_x, y1 = g_pCursorSprite->m_y;
    int x2 = x1 + CURSOR_SIZE, y2 = y1 + CURSOR_SIZE;
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 > pSurface->m_nWidth) x2 = pSurface->m_nWidth;
    if (y2 > pSurface->m_nHeight) y2 = pSurface->m_nHeight;
    if (x1 >= x2 || y1 >= y2)
        return false;
    *pX = x1;
    *pY = y1;
    *pW = x2 - x1;
    *pH = y2 - y1;
    return true;
}

void PresentScreen(Surface *pSurface)
{
    V_ASSERT(pSurface != NULL);
    // In full screen the display shows no pointer, so the game draws one for this frame only.
    Surface *pSaved = nullptr;
    Coord savedAt = {0, 0};
    if (PlatformIsFullScreen() && g_pCursorSprite && g_pCursorSprite->m_pSurface) {
        int w, h;
        if (CursorAreaOnSurface(pSurface, &savedAt.m_x, &savedAt.m_y, &w, &h)) {
            pSaved = CreateSurface(w, h);
            CopySurfaceRect(pSurface, savedAt.m_x, savedAt.m_y, pSaved);
        }
        Coord at = {g_pCursorSprite->m_x, g_pCursorSprite->m_y};
        BlitSurface(&at, pSurface, g_pCursorSprite->m_pSurface, &g_transCell);
        int cx = at.m_x + 1, cy = at.m_y + 1;
        if (cx >= 0 && cy >= 0 && cx < pSurface->m_nWidth && cy < pSurface->m_nHeight)
            InvertSurfaceRect(pSurface, cx, cy, cx, cy);
    }

    size_t count = (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight;
    if (s_frame.size() != count)
        s_frame.resize(count);
    for (size_t i = 0; i < count; i++)
        s_frame[i] = PlatformCell{pSurface->m_pCells[i].m_ch, pSurface->m_pCells[i].m_attr};
    PlatformPresent(s_frame.data(), pSurface->m_nWidth, pSurface->m_nHeight);

    if (pSaved) {
        BlitSurface(&savedAt, pSurface, pSaved, nullptr);
        DestroySurface(&pSaved);
    }
}
