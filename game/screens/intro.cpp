#include "game/screens/intro.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/files.h"
#include "game/core/input.h"
#include "game/core/randutils.h"
#include "game/screens/gamescreen.h"
#include "game/screens/mainflow.h"
#include "game/ui/dialog.h"
#include "game/ui/uiutils.h"
#include "game/world/system.h"
#include "game/world/universe.h"

const char g_copyrightLine[] = "Vostrel (c) 2026 The Vostrel founding engineers. All rights reserved";
static_assert(sizeof g_copyrightLine - 1 == 68, "the copyright line is 68 characters long");

Surface *g_pDialogBg = nullptr;
Surface *g_pTitleBg = nullptr;
Surface *g_ppFixed[FIXED_PICTURES] = {};

// The story, typed line by line under the shrinking planet. Columns: text, hold in frames, group.
const IntroLine g_introStory[INTRO_LINES] = {
    {"THE FUTURE", 65, 1},
    {"THE AGE OF THE HOME WORLDS IS OVER .", 65, 1},
    {"ENGINES GREW FASTER THAN LAWS ,", 1, 2},
    {"AND COMPANIES GREW FASTER THAN BOTH .", 65, 2},
    {"THEY ARE THE NEW POWERS OF THE SKY .", 65, 3},
    {"EACH OF THEM BEGAN WITH ONE COLONY", 1, 4},
    {"ON ONE WORLD AT THE EDGE OF THE MAP .", 65, 4},
    {"BETWEEN THE STARS STAND THE WARP GATES .", 65, 5},
    {"NO ONE REMEMBERS WHO BUILT THEM ,", 1, 6},
    {"BUT EVERY FLEET THAT PASSES PAYS ITS TOLL .", 65, 6},
    {"THE GATES BIND THE SYSTEMS INTO ONE GALAXY .", 65, 7},
    {"TWO THINGS MOVE THAT GALAXY :", 1, 8},
    {"ENERGY AND MATTER .", 65, 8},
    {"ENERGY LIGHTS THE COLONIES", 1, 9},
    {"AND DRIVES THE FLEETS THROUGH THE GATES .", 65, 9},
    {"MATTER BUILDS THE HULLS ,", 1, 10},
    {"THE SHIPYARDS AND THE GUNS .", 65, 10},
    {"HARVESTERS DRINK FROM EVERY STAR", 1, 11},
    {"AND STRIP EVERY WORLD THEY CAN REACH .", 65, 11},
    {"BUT NO STAR GIVES FOREVER ,", 1, 12},
    {"AND THE FREE PLANETS ARE FEW .", 65, 12},
    {"SO THE COMPANIES BUILD MOTHERSHIPS", 1, 13},
    {"AND RACE TO CLAIM WHAT IS LEFT .", 65, 13},
    {"WHERE TWO FLEETS MEET ,", 1, 14},
    {"THERE IS NO TRADE , ONLY BATTLE .", 65, 14},
    {"YOUR COMPANY IS THE YOUNGEST OF THEM .", 65, 15},
    {"THE OTHERS HAVE ALREADY SEEN YOUR LIGHTS .", 65, 15},
    {"YOU HOLD ONE PLANET ,", 1, 16},
    {"ONE COLONY AND AN EMPTY SKY .", 65, 16},
    {"IT WILL HAVE TO BE ENOUGH .", 65, 17},
    {"BUILD , HARVEST , COLONISE ,", 1, 18},
    {"AND WHEN THE GATES OPEN , STRIKE FIRST .", 65, 18},
    {"THE RACE HAS ALREADY BEGUN .", 65, 19},
    {"THE WINNER WILL TAKE THE GALAXY ,", 65, 20},
    {"FOR CONTROLLING THE ENERGY .", 65, 20},
};

// Vertical offset of the title background; it climbs one row a frame and wraps after one tile.
// The intro and the title-screen animation share it, so the stars never jump between them.
static int s_scrollRow = 0;

// The intro's state for the whole run: the main flow shows the intro once, and what it has done
// to the title picture stays done.
namespace {
enum {
    SHADE_FRAMES = 25,           // frames each shade of the dissolve lasts
    SHADE_LAST = 0xAF,           // the shade that ends the dissolve
    TYPE_FRAMES = 3,             // frames per typed character
    STORY_ROW_OFFSET = 3,        // rows between the planet's lower half and the story
};
const double ZOOM_START = 0.99, ZOOM_STEP = 0.003, ZOOM_SMALLEST = 0.07;
const double DRIFT_STEP = 0.25, GALAXY_STEP = 0.003;

struct IntroState {
    bool m_bShown;               // the intro has run in this run of the program
    unsigned char m_shade;       // the dissolve's character: 0xB2, 0xB0, 0xFA, then 0xAF
    int m_shadeCountdown;        // frames until the next shade
    double m_zoom;               // the planet's scale
    double m_drift;              // sub-cell step of the planet's drift
    double m_galaxy;             // position factor of the sliding galaxy map, 1 down to 0
    int m_typed[INTRO_LINES];    // typing counter: TYPE_FRAMES per character shown
    int m_held[INTRO_LINES];     // frames the finished line has stood
};
IntroState s_intro;

void IntroReset(void)
{
    s_intro = IntroState{};
    s_intro.m_shade = 0xB2;
    s_intro.m_shadeCountdown = SHADE_FRAMES;
    s_intro.m_zoom = ZOOM_START;
    s_intro.m_galaxy = 1.0;
}
}  // namespace

static int Larger(int a, int b) { return a > b ? a : b; }

// Large enough to scroll behind the whole screen: twice the tile's larger side plus twice the
// screen's larger side, each way; one row of tiles along the top, then that band copied down.
static Surface *MakeTitleBackground(Surface *pTile)
{
    int side = 2 * Larger(pTile->m_nWidth, pTile->m_nHeight) +
               2 * Larger(g_pScreen->m_nWidth, g_pScreen->m_nHeight);
    Surface *pBackground = CreateSurface(side, side);
    // The tile's blank cells keep the background they are drawn on: make that black, not
    // whatever the new cells happened to hold.
    FillSurface(pBackground, Cell{' ', 0x00});
    for (int x = 0; x < side; x += pTile->m_nWidth) {
        Coord pos = {x, 0};
        BlitSurface(&pos, pBackground, pTile, nullptr);
    }
    Surface *pBand = CreateSurface(side, pTile->m_nHeight);
    CopySurfaceRect(pBackground, 0, 0, pBand);
    for (int y = pTile->m_nHeight; y < side; y += pTile->m_nHeight) {
        Coord pos = {0, y};
        BlitSurface(&pos, pBackground, pBand, nullptr);
    }
    DestroySurface(&pBand);
    return pBackground;
}

void LoadFrontEndPictures(void)
{
    g_pDialogBg = LoadSurfaceFile("dialogbg.v_s");
    for (int i = 0; i < FIXED_PICTURES; i++) {
        char name[32];
        snprintf(name, sizeof name, "../assets/fixed%d.v_s", i);
        g_ppFixed[i] = LoadSurfaceFile(name);
    }
    g_pTitleBg = MakeTitleBackground(g_pDialogBg);
    IntroReset();
}

void FreeFrontEndPictures(void)
{
    DestroySurface(&g_pTitleBg);
    DestroySurface(&g_pDialogBg);
    for (Surface *&pFixed : g_ppFixed)
        DestroySurface(&pFixed);
}

// Rows of the title picture step through the five variants as the pointer moves down; above and
// below them the plain title shows.
int TitlePictureForRow(int y)
{
    int k = (y * 7) / g_ppFixed[0]->m_nHeight - 1;
    return k >= 0 && k <= 4 ? k + 1 : 0;
}

static void ScrollTitleBackground(void)
{
    s_scrollRow--;
    if (s_scrollRow == -g_pDialogBg->m_nHeight)
        s_scrollRow = 0;
}

int TitleScreenAnimation(Dialog *pDialog)
{
    ScrollTitleBackground();
    int tileWidth = g_pDialogBg->m_nWidth;
    Coord bgPos = {g_screenCentre.m_x - (g_screenCentre.m_x / tileWidth + 1) * tileWidth, s_scrollRow};
    BlitSurface(&bgPos, g_pScreen, g_pTitleBg, nullptr);

    Surface *pTitle = g_ppFixed[TitlePictureForRow(g_inputState.m_nY)];
    Coord titlePos = {g_screenCentre.m_x - pTitle->m_nWidth / 2, 0};
    BlitSurface(&titlePos, g_pScreen, pTitle, &pTitle->m_pCells[0]);

    Coord linePos = {g_screenCentre.m_x - 34, g_pScreen->m_nHeight - 1};
    DrawText(g_copyrightLine, 0x0B, g_pScreen, &linePos);
    return pDialog ? pDialog->m_cButtons : 0;
}

// ---------------------------------------------------------------------------------------------
// The intro

void DrawIntroLine(const char *pText, int count, int row)
{
    int length = (int)strlen(pText);
    if (count > length)
        count = length;
    if (count <= 0)
        return;
    char shown[128];
    if (count >= (int)sizeof shown)
        count = (int)sizeof shown - 1;
    memcpy(shown, pText, (size_t)count);
    shown[count] = '\0';
    Coord pos = {g_screenCentre.m_x - length / 2, row};
    DrawText(shown, INTRO_TEXT_ATTR, g_pScreen, &pos);
}

bool FrontEndSkipPressed(void)
{
    return g_inputState.m_nKind == INPUT_KIND_KEY ||
           (g_inputState.m_nKind == INPUT_KIND_MOUSE && g_inputState.m_nButtons != 0);
}

void FrontEndTakeSkip(void)
{
    g_inputState.m_nButtons = 0;
    g_bMenuLatch = 0;
}

// Blanks the cells of each row outside the ellipse that fills the surface, which leaves a disc.
static void CutToDisc(Surface *pSurface)
{
    int w = pSurface->m_nWidth, h = pSurface->m_nHeight;
    double half = h / 2.0;
    for (int r = 0; r < h; r++) {
        double t = (half - r) / half;
        int n = (int)((1.0 - sin(acos(t))) * w / 2.0);
        Cell *pRow = pSurface->m_pCells + (size_t)r * (size_t)w;
        for (int i = 0; i < n && i < w; i++) {
            pRow[i] = Cell{' ', INTRO_TEXT_ATTR};
            pRow[w - 1 - i] = Cell{' ', INTRO_TEXT_ATTR};
        }
    }
}

// The stars scroll in the work surface; the first phase shows them whole, every later one as the
// planet, a disc cut from them and scaled down until it is small. Returns the phase, which the
// planet moves on from the zoom to the story once it is small.
static int DrawIntroBackdrop(int phase, Surface *pWork, Coord *pPlanetAt)
{
    ScrollTitleBackground();
    Coord top = {0, s_scrollRow};
    BlitSurface(&top, pWork, g_pTitleBg, nullptr);
    if (phase == INTRO_PHASE_DISSOLVE) {
        Coord home = {g_screenCentre.m_x - pWork->m_nWidth / 2, g_screenCentre.m_y - pWork->m_nHeight / 2};
        BlitSurface(&home, g_pScreen, pWork, nullptr);
        return phase;
    }
    Surface *pPlanet = ScaleSurface(pWork, s_intro.m_zoom, s_intro.m_zoom);
    CutToDisc(pPlanet);
    if (s_intro.m_zoom > ZOOM_SMALLEST) {
        s_intro.m_zoom -= ZOOM_STEP;
        *pPlanetAt = Coord{g_screenCentre.m_x - pPlanet->m_nWidth / 2, g_screenCentre.m_y - pPlanet->m_nHeight / 2};
    } else if (phase == INTRO_PHASE_ZOOM) {
        phase = INTRO_PHASE_STORY;
    }
    FillSurface(g_pScreen, Cell{' ', INTRO_TEXT_ATTR});
    BlitSurface(pPlanetAt, g_pScreen, pPlanet, nullptr);
    DestroySurface(&pPlanet);
    return phase;
}

// Every cell of the title that is not its background turns into a block of its own colour,
// drawn with the current shade; four shades, then the title is gone.
static int Dissolve(void)
{
    if (--s_intro.m_shadeCountdown == 0) {
        switch (s_intro.m_shade) {
        case 0xB2: s_intro.m_shade = 0xB0; break;
        case 0xB0: s_intro.m_shade = 0xFA; break;
        default: s_intro.m_shade = SHADE_LAST; break;
        }
        s_intro.m_shadeCountdown = SHADE_FRAMES;
    }
    Surface *pTitle = g_ppFixed[0];
    unsigned char background = pTitle->m_pCells[0].m_attr;
    for (int i = 0; i < pTitle->m_nWidth * pTitle->m_nHeight; i++) {
        Cell &cell = pTitle->m_pCells[i];
        if (cell.m_attr == background)
            continue;
        cell.m_attr = (unsigned char)((cell.m_attr & 0x0F) | (cell.m_attr << 4));
        cell.m_ch = s_intro.m_shade;
    }
    if (s_intro.m_shade == SHADE_LAST)
        return INTRO_PHASE_ZOOM;
    Coord at = {g_screenCentre.m_x - pTitle->m_nWidth / 2, 0};
    BlitSurface(&at, g_pScreen, pTitle, &pTitle->m_pCells[0]);
    return INTRO_PHASE_DISSOLVE;
}

// One frame of the story: the current group's lines drawn as far as they are typed, then the
// current line typed on or held.
static int TellStory(int phase, const Surface *pWork)
{
    int line = (phase - INTRO_PHASE_STORY) / 2;  // from 0
    int group = g_introStory[line].m_group;
    int row = g_screenCentre.m_y + (int)(pWork->m_nHeight * ZOOM_SMALLEST) / 2 + STORY_ROW_OFFSET;
    for (int i = 0; i < INTRO_LINES; i++) {
        if (g_introStory[i].m_group == group)
            DrawIntroLine(g_introStory[i].m_pText, s_intro.m_typed[i] / TYPE_FRAMES + 1, row++);
    }
    bool bTyping = (phase - INTRO_PHASE_STORY) % 2 == 0;
    if (bTyping) {
        int full = TYPE_FRAMES * (int)strlen(g_introStory[line].m_pText);
        if (s_intro.m_typed[line] < full)
            s_intro.m_typed[line]++;
        if (s_intro.m_typed[line] >= full)
            phase++;
    } else if (++s_intro.m_held[line] >= g_introStory[line].m_hold) {
        phase++;
    }
    return phase;
}

// The planet moves left two columns every five frames until it is out of sight.
static int Drift(const Surface *pWork, Coord *pPlanetAt)
{
    s_intro.m_drift += DRIFT_STEP;
    pPlanetAt->m_x -= (int)s_intro.m_drift;
    if (s_intro.m_drift > 1.0)
        s_intro.m_drift = 0.0;
    return pPlanetAt->m_x < -(pWork->m_nWidth * ZOOM_SMALLEST) ? INTRO_PHASE_GENERATE : INTRO_PHASE_DRIFT;
}

// The new galaxy, its company count drawn before its system count as a new game draws them.
static void GenerateGalaxy(Universe **ppUniverse)
{
    int companyCount = 2 + RandInt(4);
    int systemCount = 5 + RandInt(10);
    UniverseCreate(ppUniverse, systemCount, companyCount);
    if (*ppUniverse == nullptr)
        return;
    UniverseDraw(*ppUniverse);
    for (int i = 0; i < (*ppUniverse)->m_cSystem; i++)
        SystemDrawMap((*ppUniverse)->m_ppSystem[i]);
}

// The galaxy map slides in from the lower right until its corner meets the screen's.
static int SlideGalaxy(Universe *pUniverse)
{
    if (pUniverse && pUniverse->m_pSurface) {
        Coord at = {(int)(g_pScreen->m_nWidth * s_intro.m_galaxy), (int)(g_pScreen->m_nHeight * s_intro.m_galaxy)};
        BlitSurface(&at, g_pScreen, pUniverse->m_pSurface, nullptr);
    }
    s_intro.m_galaxy -= GALAXY_STEP;
    return s_intro.m_galaxy < 0.0 ? INTRO_PHASE_END : INTRO_PHASE_GALAXY;
}

void RunIntro(Universe **ppUniverse)
{
    V_ASSERT(ppUniverse != NULL);
    if (s_intro.m_bShown)
        return;
    s_intro.m_bShown = true;
    // The story is watched, not pointed at: no software cursor while it runs.
    Surface *pCursor = g_pCursorSprite ? g_pCursorSprite->m_pSurface : nullptr;
    if (g_pCursorSprite)
        g_pCursorSprite->m_pSurface = nullptr;
    int side = Larger(g_pDialogBg->m_nWidth, g_pDialogBg->m_nHeight);
    Surface *pWork = CreateSurface(g_pTitleBg->m_nWidth - 2 * side, g_pTitleBg->m_nHeight - side);
    FillSurface(pWork, Cell{' ', 0x00});  // as the title background: black behind the stars
    Coord planetAt = {0, 0};

    int phase = INTRO_PHASE_DISSOLVE;
    while (phase != INTRO_PHASE_END) {
        uint32_t deadline = FrameDeadline();
        PollInput();
        if (FrontEndSkipPressed()) {
            FrontEndTakeSkip();
            phase = INTRO_PHASE_END;
        }
        if (phase >= INTRO_PHASE_DISSOLVE && phase <= INTRO_PHASE_GALAXY)
            phase = DrawIntroBackdrop(phase, pWork, &planetAt);
        if (phase == INTRO_PHASE_DISSOLVE)
            phase = Dissolve();
        else if (phase >= INTRO_PHASE_STORY && phase < INTRO_PHASE_DRIFT)
            phase = TellStory(phase, pWork);
        else if (phase == INTRO_PHASE_DRIFT)
            phase = Drift(pWork, &planetAt);
        else if (phase == INTRO_PHASE_GENERATE) {
            GenerateGalaxy(ppUniverse);
            phase = INTRO_PHASE_GALAXY;
        } else if (phase == INTRO_PHASE_GALAXY)
            phase = SlideGalaxy(*ppUniverse);
        PresentScreen(g_pScreen);
        FrameWait(deadline);
    }

    if (g_pCursorSprite)
        g_pCursorSprite->m_pSurface = pCursor;
    DestroySurface(&pWork);
}
