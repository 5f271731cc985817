#include "game/screens/mainflow.h"

#include <cstdio>
#include <cstdlib>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/ui/dialog.h"
#include "game/core/evqueue.h"
#include "game/core/evutils.h"
#include "game/screens/credits.h"
#include "game/screens/game.h"
#include "game/screens/gamescreen.h"
#include "game/core/input.h"
#include "game/screens/intro.h"
#include "game/core/messagelog.h"
#include "game/core/randutils.h"
#include "game/screens/saveslots.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"
#include "game/world/world.h"
#include "platform/platform.h"

int g_bMenuLatch = 0;

// The menus' pieces, made once at start-up. SAVE GAME and CREDITS share one place and never show
// together: the main menu has CREDITS, the in-game menu SAVE GAME.
namespace {
enum { BUTTON_LABEL = 11, BUTTON_HEIGHT = 3, MENU_ROWS = 7 };

struct Menus {
    FrameStyle *pButtonStyle;
    FrameStyle *pInGameStyle;
    FrameStyle *pMainStyle;
    Button *pSave, *pNew, *pLoad, *pQuit, *pCredits;
    Surface *pBody;
};
Menus s_menus;
bool s_bServicesUp = false;
}  // namespace

void ExitRoutine(void)
{
    if (!s_bServicesUp)
        return;
    s_bServicesUp = false;
    ShutdownWindowManager();
    ShutdownConsole();
    ShutdownInputManager();
}

static Button *MakeMenuButton(const char *pLabel, int x, int y)
{
    Button *pButton = nullptr;
    Coord pos = {x, y};
    int rc = CreateButton(&pButton, nullptr, nullptr, 0, 0, nullptr, pLabel, BUTTON_LABEL,
                          s_menus.pButtonStyle, &pos, &g_transCell);
    V_ASSERT(rc == 0);
    return pButton;
}

// The menus cannot run without their styles.
static void CheckStyle(int rc) { V_ASSERT(rc == 0); }

static void MakeMenus(void)
{
    CheckStyle(CreateBoxStyle(&s_menus.pButtonStyle, 0x0B));
    CheckStyle(CreateDoubleLineStyle(&s_menus.pInGameStyle, 0x0B, 0xB2, 0x00));
    // The title screen's menu is all shade: no border shows around it.
    Cell *pShade = MakeCells("\xB2\xB2\xB2\xB2\xB2\xB2\xB2", 0x00, FRAME_STYLE_CELLS);
    CheckStyle(CreateFrameStyle(&s_menus.pMainStyle, pShade));
    s_menus.pSave = MakeMenuButton(" SAVE GAME ", 2, 14);
    s_menus.pNew = MakeMenuButton("  NEW GAME ", 2, 2);
    s_menus.pLoad = MakeMenuButton(" LOAD GAME ", 2, 8);
    s_menus.pQuit = MakeMenuButton(" QUIT GAME ", 2, 20);
    s_menus.pCredits = MakeMenuButton("  CREDITS  ", 2, 14);
    // Two cells wider than a button, seven button heights and two rows high.
    s_menus.pBody = CreateSurface(BUTTON_LABEL + 2 + 2, MENU_ROWS * BUTTON_HEIGHT + 2);
    FillSurface(s_menus.pBody, s_menus.pInGameStyle->m_pCells[FRAME_FILL]);
}

static void FreeMenus(void)
{
    DestroySurface(&s_menus.pBody);
    DestroyFrameStyle(&s_menus.pButtonStyle);
    DestroyFrameStyle(&s_menus.pInGameStyle);
    DestroyFrameStyle(&s_menus.pMainStyle);
    DestroyButton(&s_menus.pSave);
    DestroyButton(&s_menus.pNew);
    DestroyButton(&s_menus.pLoad);
    DestroyButton(&s_menus.pQuit);
    DestroyButton(&s_menus.pCredits);
}

static void ShowMainView(void)
{
    RenderScroller(g_pMainView);
    Coord origin = {0, 0};
    BlitSurface(&origin, g_pScreen, g_pMainView->m_pView, nullptr);
}

static void RunMainMenu(void)
{
    Surface *pTitle = g_ppFixed[0];
    int bodyWidth = s_menus.pBody->m_nWidth;
    int bodyHeight = s_menus.pBody->m_nHeight;
    // Centred across, and in the middle of the space below the title.
    Coord pos = {g_screenCentre.m_x - bodyWidth / 2 - 1,
                 (g_pScreen->m_nHeight - pTitle->m_nHeight) / 2 - bodyHeight / 2 - 1 + pTitle->m_nHeight};
    Button *apButtons[] = {s_menus.pNew, s_menus.pLoad, s_menus.pQuit, s_menus.pCredits};
    Dialog *pMenu = nullptr;
    int rc = CreateDialog(&pMenu, s_menus.pMainStyle, s_menus.pBody, nullptr, apButtons, 4, &pos,
                          TitleScreenAnimation);
    V_ASSERT(rc == 0);

    while (g_gameState != GAME_STATE_PLAYING && g_gameState != GAME_STATE_QUIT) {
        Button *pChosen = RunDialog(pMenu);
        if (pChosen == s_menus.pNew) {
            // The intro generates the galaxy while its story plays; skipped before that,
            // it leaves none and GameStart generates one at once.
            Universe *pUniverse = nullptr;
            RunIntro(&pUniverse);
            GameStart(pUniverse);
            ShowMainView();
            g_gameState = GAME_STATE_PLAYING;
        } else if (pChosen == s_menus.pLoad) {
            g_gameState = GAME_STATE_LOADING;
            if (Universe *pLoaded = SaveSlotDialog(nullptr)) {
                GameStart(pLoaded);
                ShowMainView();
                g_gameState = GAME_STATE_PLAYING;
            }
        } else if (pChosen == s_menus.pCredits) {
            ShowCredits();
            g_gameState = GAME_STATE_CREDITS;
        } else if (pChosen == s_menus.pQuit) {
            g_gameState = GAME_STATE_QUIT;
        }
    }
    DestroyDialog(&pMenu);
}

// Closes the in-game menu without a choice when Escape goes down again after it was let go.
static int s_bEscapeReleased = 0;

// Escape opens and closes the in-game menu; F10 does too, for terminals that hold a lone Escape
// back (tmux for its escape-time, GNU screen until the next key).
static bool IsMenuKey(uint32_t key) { return key == KEY_ESCAPE || key == KEY_F10; }

static int InGameMenuUpdate(Dialog *pDialog)
{
    bool bEscapeDown = g_inputState.m_nKind == INPUT_KIND_KEY && IsMenuKey(g_inputState.m_nButtons);
    if (!bEscapeDown)
        s_bEscapeReleased = 1;
    else if (s_bEscapeReleased)
        return -1;
    return pDialog->m_cButtons;
}

static void RunInGameMenu(void)
{
    int bodyWidth = s_menus.pBody->m_nWidth;
    int bodyHeight = s_menus.pBody->m_nHeight;
    Coord pos = {g_screenCentre.m_x - bodyWidth / 2 - 1, g_screenCentre.m_y - bodyHeight / 2 - 1};
    Button *apButtons[] = {s_menus.pSave, s_menus.pNew, s_menus.pLoad, s_menus.pQuit};
    Dialog *pMenu = nullptr;
    int rc = CreateDialog(&pMenu, s_menus.pInGameStyle, s_menus.pBody, nullptr, apButtons, 4, &pos,
                          InGameMenuUpdate);
    V_ASSERT(rc == 0);
    s_bEscapeReleased = 0;
    Button *pChosen = RunDialog(pMenu);
    DestroyDialog(&pMenu);

    if (pChosen == s_menus.pSave) {
        g_gameState = GAME_STATE_SAVING;
        SaveSlotDialog(g_pUniverse);
    } else if (pChosen == s_menus.pNew) {
        g_gameState = GAME_STATE_PLAYING;
        GameStart(nullptr);
    } else if (pChosen == s_menus.pLoad) {
        g_gameState = GAME_STATE_LOADING;
        if (Universe *pLoaded = SaveSlotDialog(nullptr))
            GameStart(pLoaded);
    } else if (pChosen == s_menus.pQuit) {
        GameQuit();
    } else {
        g_bMenuLatch = 1;
    }
}

static void TakeEvent(void)
{
    EventNode *pHead = g_eventQueue.m_pHead;
    if (!pHead || pHead->m_nReserved != 0) {
        g_bMenuLatch = 0;
        return;
    }
    EventNode *pNode = PopEvent(&g_eventQueue);
    switch (pNode->m_nType) {
    case EV_LEFT_BUTTON: {
        g_lastClickFrame = g_frameCounter;
        MouseEventData *pData = (MouseEventData *)pNode->m_pData;
        if (g_pMainView && pData->m_pSurface == g_pMainView->m_pContent)
            MapClick(pData->m_x, pData->m_y, &g_bDragging);
        break;
    }
    case EV_MIDDLE_BUTTON:
        break;
    case EV_DOUBLE_CLICK:
        MapDoubleClick();
        break;
    case EV_KEY: {
        KeyEventData *pData = (KeyEventData *)pNode->m_pData;
        if (IsMenuKey(pData->m_nKey) && !g_bMenuLatch)
            RunInGameMenu();
        else if (pData->m_nKey == 'H' || pData->m_nKey == KEY_HOME)
            GoHome();
        break;
    }
    default:
        g_bDragging = 0;
        break;
    }
    FreeEvent(pNode);
}

void GameLoopFrame(void)
{
    PresentScreen(g_pScreen);
    UpdateWindowManager(&g_eventQueue);
    GameScreenUpdate();
    if (g_wmViewMode == WM_MODE_ONE_VIEW)
        TakeEvent();
}

int VostrelMain(void)
{
    InitConsole("Vostrel");
    InitWindowManager();
    InitInputManager();
    FILE *pDebug = fopen("AIDebug.txt", "w");
    if (pDebug)
        fclose(pDebug);
    InitEventQueue(&g_eventQueue);
    RandInit();
    s_bServicesUp = true;
    static bool s_bRegistered = false;
    if (!s_bRegistered) {
        atexit(ExitRoutine);
        s_bRegistered = true;
    }

    g_gameState = GAME_STATE_START;
    g_bMenuLatch = 0;
    MakeMenus();
    LoadFrontEndPictures();
    RunMainMenu();
    FreeFrontEndPictures();

    while (g_gameState != GAME_STATE_QUIT) {
        uint32_t deadline = FrameDeadline();
        GameLoopFrame();
        FrameWait(deadline);
    }
    FreeMenus();
    return 0;
}
