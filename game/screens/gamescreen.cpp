#include "game/screens/gamescreen.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/company.h"
#include "game/core/console.h"
#include "game/core/evutils.h"
#include "game/core/files.h"
#include "game/world/fleet.h"
#include "game/screens/game.h"
#include "game/core/input.h"
#include "game/core/messagelog.h"
#include "game/screens/panels.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/system.h"
#include "game/world/turn.h"
#include "game/ui/dialog.h"
#include "game/ui/uiutils.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/ui/window.h"
#include "game/world/world.h"

Warpgate *g_pSelGate = nullptr;
Fleet *g_pSelFleet = nullptr;
Planet *g_pDragPlanet = nullptr;
Warpgate *g_pDragGate = nullptr;
Fleet *g_pDragFleet = nullptr;
Coord g_dragFrom = {0, 0};
Coord g_dragTo = {0, 0};
int g_bDragging = 0;
uint32_t g_lastClickFrame = 0;
uint32_t g_lastMapClickFrame = 0;

static const Cell MAP_BACKGROUND = {' ', 0x0B};
static const char RED_GRADIENT[] = "../assets/redgradient.v_s";
static const char GREEN_GRADIENT[] = "../assets/greengradient.v_s";

enum {
    EDGE_SCROLL_MARGIN = 5,    // a drag this close to an edge of the view scrolls it
    PANEL_BUTTON_COUNT = 2,
    PANEL_LIST_BELOW = 11,     // rows of the panel below a fleet's ship list
    PANEL_LIST_WIDTH = 15,     // the ship list's view: 14 columns of names and a scroll bar
};

// The two buttons of the planet panel and of the fleet panel, made with the first panel that
// shows them and kept until GameScreenRelease.
static Button *s_apPlanetButtons[PANEL_BUTTON_COUNT];
static Button *s_apFleetButtons[PANEL_BUTTON_COUNT];

// The ships of the fleet (or the hold) whose panel is on show, as a list of their names in the
// panel's list view. Kept while the same ships are shown, so that the list keeps its scroll
// position and its lit item while the panel is drawn again every frame.
struct PanelList {
    const Fleet *pFleet;           // compared only, never followed: the fleet may be gone
    std::vector<const Ship *> ships;   // likewise
    std::vector<std::string> names;    // what the items show
    Button **ppItems;
    int count;
    Scroller *pView;
    int bPressed;
    Button *pCurrent;
    int selected, previous;
};
static PanelList s_list;

// Set by every panel shown; the frame update uses it to tell whether the map redraw brought the
// panel of a selected object back.
static bool s_bPanelShown = false;

// ---------------------------------------------------------------------------------------------
// Helpers

static Company *PlayerCompany(void) { return UniversePlayer(g_pUniverse); }

static bool CoordEqual(Coord a, Coord b) { return a.m_x == b.m_x && a.m_y == b.m_y; }

static bool PointInRect(int x, int y, Coord pos, int width, int height)
{
    return pos.m_x <= x && x < pos.m_x + width && pos.m_y <= y && y < pos.m_y + height;
}

static bool PlanetContains(const Planet *pPlanet, int x, int y)
{
    int w = pPlanet->m_pIcon ? pPlanet->m_pIcon->m_nWidth : 3;
    int h = pPlanet->m_pIcon ? pPlanet->m_pIcon->m_nHeight : 3;
    return PointInRect(x, y, pPlanet->m_pos, w, h);
}

static bool GateContains(const Warpgate *pGate, int x, int y)
{
    int w = pGate->m_pSprite ? pGate->m_pSprite->m_nWidth : 4;
    int h = pGate->m_pSprite ? pGate->m_pSprite->m_nHeight : 4;
    return PointInRect(x, y, pGate->m_pos, w, h);
}

// Where a drag line meets a planet or a gate: one cell into its picture from the top left.
static Coord AnchorOf(Coord pos) { return Coord{pos.m_x + 1, pos.m_y + 1}; }

static void SetPanelButtons(Button **ppButtons)
{
    // Handing the same group over again would forget a press in progress on it.
    if (g_ppSideButtons != ppButtons || g_cSideButtons != PANEL_BUTTON_COUNT)
        SetSideButtons(ppButtons, PANEL_BUTTON_COUNT);
}

static void ClearPanelButtons(void)
{
    if (g_cSideButtons != 0)
        SetSideButtonCount(0);
}

static void MakePanelButtons(Button **ppButtons, const char *pFirst, ButtonCallback pfnFirst, const char *pSecond,
                             ButtonCallback pfnSecond)
{
    if (ppButtons[0])
        return;
    FrameStyle *pStyle = nullptr;
    int rc = CreateBoxStyle(&pStyle, 0x0B);
    V_ASSERT(rc == 0);
    int sw = g_pScreen->m_nWidth, sh = g_pScreen->m_nHeight;
    Coord first = {sw - 15, sh - 8};
    Coord second = {sw - 15, sh - 4};   // right below the first, one empty row between
    rc = CreateButton(&ppButtons[0], nullptr, nullptr, 0, 0, pfnFirst, pFirst, 12, pStyle, &first, nullptr);
    V_ASSERT(rc == 0);
    rc = CreateButton(&ppButtons[1], nullptr, nullptr, 0, 0, pfnSecond, pSecond, 12, pStyle, &second, nullptr);
    V_ASSERT(rc == 0);
    DestroyFrameStyle(&pStyle);
}

// ---------------------------------------------------------------------------------------------
// Maps

void UniverseDraw(Universe *pUniverse)
{
    if (!pUniverse || !pUniverse->m_pSurface || !pUniverse->m_ppSystem)
        return;
    Surface *pGalaxy = pUniverse->m_pSurface;
    for (int i = 0; i < pUniverse->m_cSystem; i++) {
        System *pSystem = pUniverse->m_ppSystem[i];
        if (!pSystem || !(pSystem->m_bFlags & SYSTEM_SELECTED))
            continue;
        for (int g = 0; g < pSystem->m_cGate; g++) {
            Warpgate *pPair = pSystem->m_ppGate[g] ? pSystem->m_ppGate[g]->m_pPair : nullptr;
            if (!pPair || !pPair->m_pSystem)
                continue;
            DrawLine(pGalaxy, pSystem->m_pos.m_x, pSystem->m_pos.m_y, pPair->m_pSystem->m_pos.m_x,
                     pPair->m_pSystem->m_pos.m_y, Cell{'.', 0x0F});
        }
    }
    for (int i = 0; i < pUniverse->m_cSystem; i++) {
        System *pSystem = pUniverse->m_ppSystem[i];
        if (!pSystem || !pSystem->m_pIcon)
            continue;
        Surface *pIcon = pSystem->m_pIcon;
        bool selected = (pSystem->m_bFlags & SYSTEM_SELECTED) != 0;
        if (selected)
            InvertSurfaceRect(pIcon, 0, 0, pIcon->m_nWidth - 1, pIcon->m_nHeight - 1);
        Coord pos = pSystem->m_pos;
        BlitSurface(&pos, pGalaxy, pIcon, nullptr);
        if (selected)
            InvertSurfaceRect(pIcon, 0, 0, pIcon->m_nWidth - 1, pIcon->m_nHeight - 1);
    }
}

void SystemDrawMap(System *pSystem)
{
    if (!pSystem || !pSystem->m_pMap)
        return;
    for (int i = 0; i < pSystem->m_cPlanet; i++)
        PlanetDraw(pSystem->m_ppPlanet[i], pSystem->m_pMap);
    for (int i = 0; i < pSystem->m_cGate; i++)
        WarpgateDraw(pSystem->m_ppGate[i], pSystem->m_pMap);
    if (pSystem->m_pFleets) {
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            FleetDraw((Fleet *)pNode->m_pData, pSystem->m_pMap);
    }
}

// ---------------------------------------------------------------------------------------------
// The information panel

void ShowPanelText(const char *pText)
{
    if (!g_pSideBar || !pText || !*pText)
        return;
    Cell *pCells = MakeCellString(pText, 0xFF);
    Surface *pWrapped = WrapText(pCells, g_pSideBar->m_nWidth - 2);
    Coord at = {1, 1};
    BlitSurface(&at, g_pSideBar, pWrapped, nullptr);
    DestroySurface(&pWrapped);
    free(pCells);
    s_bPanelShown = true;
}

void ClearPanel(void)
{
    if (g_pSideBar)
        FillSurface(g_pSideBar, g_pSideBar->m_pCells[0]);
}

// The panel with nothing on it: no text, no buttons, no list.
static void EmptyPanel(void)
{
    ClearPanel();
    ClearPanelButtons();
    g_pInfoView = nullptr;
}

static void FreePanelList(void)
{
    if (g_pInfoView && g_pInfoView == s_list.pView)
        g_pInfoView = nullptr;
    DestroyListView(&s_list.pView);
    FreeListItems(&s_list.ppItems, s_list.count);
    s_list = PanelList{};
}

static bool PanelListShows(const Fleet *pFleet)
{
    if (!s_list.pView || s_list.pFleet != pFleet || (int)s_list.ships.size() != pFleet->m_pShips->m_cItem)
        return false;
    size_t i = 0;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext, i++) {
        const Ship *pShip = (const Ship *)pNode->m_pData;
        if (s_list.ships[i] != pShip || s_list.names[i] != (pShip->m_pName ? pShip->m_pName : ""))
            return false;
    }
    return true;
}

// The fleet's ships as a list in the panel, from the given row down to 11 rows above the
// panel's foot, where the buttons are.
static void ShowPanelList(const Fleet *pFleet, int top)
{
    int height = g_pSideBar->m_nHeight - top - PANEL_LIST_BELOW + 1;
    if (!pFleet || !pFleet->m_pShips || ListIsEmpty(pFleet->m_pShips) || height < 1) {
        g_pInfoView = nullptr;
        return;
    }
    if (!PanelListShows(pFleet)) {
        FreePanelList();
        for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
            const Ship *pShip = (const Ship *)pNode->m_pData;
            s_list.ships.push_back(pShip);
            s_list.names.push_back(pShip->m_pName ? pShip->m_pName : "");
        }
        std::vector<const char *> names;
        for (const std::string &name : s_list.names)
            names.push_back(name.c_str());
        s_list.count = (int)names.size();
        if (MakeListItems(&s_list.ppItems, names.data(), s_list.count, PANEL_LIST_WIDTH - 1, 12) != 0 ||
            CreateListView(&s_list.pView, s_list.ppItems, s_list.count, PANEL_LIST_WIDTH - 1, PANEL_LIST_WIDTH,
                           height) != 0) {
            FreePanelList();
            g_pInfoView = nullptr;
            return;
        }
        s_list.pFleet = pFleet;
        s_list.selected = s_list.previous = s_list.count;
    }
    g_pInfoView = s_list.pView;
    g_infoViewPos = Coord{g_pScreen->m_nWidth - g_pSideBar->m_nWidth, top};
}

static bool IsPanelListEvent(const EventNode *pEvent, void *pContent)
{
    const MouseEventData *pData = (const MouseEventData *)pEvent->m_pData;
    return pEvent->m_nType != EV_KEY && pData && pData->m_pSurface == pContent;
}

// The window manager calls this every frame a mouse record reaches the game screen while a list
// is shown, after the list's view has posted its events: they are taken out of the main queue
// here and light the item clicked, so the game loop never sees them.
static void PanelListClick(void)
{
    if (!s_list.pView || g_pInfoView != s_list.pView)
        return;
    EventQueue taken;
    InitEventQueue(&taken);
    bool bListEvent = TakeEvents(&g_eventQueue, IsPanelListEvent, s_list.pView->m_pContent, &taken) > 0;
    while (EventNode *pEvent = PopEvent(&taken)) {
        ListHandleEvent(pEvent, s_list.pView, s_list.ppItems, s_list.count, &s_list.bPressed, &s_list.pCurrent,
                        &s_list.selected, &s_list.previous);
        FreeEvent(pEvent);
    }
    // Without this, a press let go off the list would stay held and take the next click on the
    // list for itself.
    if (!bListEvent)
        ListEndPressOffList(s_list.pView, s_list.ppItems, s_list.count, &s_list.bPressed, &s_list.pCurrent,
                            &s_list.selected, &s_list.previous);
}

// The number of rows a panel text takes once wrapped.
static int PanelTextRows(const char *pText)
{
    Cell *pCells = MakeCellString(pText, 0xFF);
    Surface *pWrapped = WrapText(pCells, g_pSideBar->m_nWidth - 2);
    int rows = pWrapped->m_nHeight;
    DestroySurface(&pWrapped);
    free(pCells);
    return rows;
}

void ShowSystemPanel(System *pSystem)
{
    if (!pSystem)
        return;
    static const char *const TYPES[] = {"Solar", "Inferno", "Asteroid Belt", "Blue Star"};
    std::string text = "Name:\n  ";
    text += pSystem->m_pName ? pSystem->m_pName : "";
    text += "\n\nStar:\n  ";
    text += pSystem->m_pStarName ? pSystem->m_pStarName : "";
    text += "\n\nSystem Type:\n  ";
    text += pSystem->m_eType >= 0 && pSystem->m_eType <= 3 ? TYPES[pSystem->m_eType] : "Unknown";
    text += "\n\nOwner:\n  ";
    text += pSystem->m_pOwner && pSystem->m_pOwner->m_pName ? pSystem->m_pOwner->m_pName : "None";
    char count[32];
    snprintf(count, sizeof count, "\n\n%d Planets:", (int)pSystem->m_cPlanet);
    text += count;
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        text += "\n  ";
        text += pSystem->m_ppPlanet[i] && pSystem->m_ppPlanet[i]->m_pName ? pSystem->m_ppPlanet[i]->m_pName : "";
    }
    ShowPanelText(text.c_str());
}

void ShowPlanetPanel(Planet *pPlanet)
{
    if (!pPlanet)
        return;
    static const char *const KINDS[] = {"Rocky", "Earth-like", "Gas Giant"};
    std::string text = "Name:\n  ";
    text += pPlanet->m_pName ? pPlanet->m_pName : "";
    text += "\n\nPlanet Type:\n  ";
    text += pPlanet->m_eKind >= 0 && pPlanet->m_eKind <= 2 ? KINDS[pPlanet->m_eKind] : "Unknown";
    ShowPanelText(text.c_str());
    Company *pPlayer = PlayerCompany();
    if (g_pScreen && g_pSideBar && pPlayer && pPlanet->m_pOwner == pPlayer) {
        MakePanelButtons(s_apPlanetButtons, "  Add Ship  ", AddShipButton, "Build Struct", BuildStructButton);
        SetPanelButtons(s_apPlanetButtons);
        // The ships waiting in the hold, below the text with one empty row between.
        ShowPanelList(pPlanet->m_pFleet, 1 + PanelTextRows(text.c_str()) + 1);
    } else {
        // Another company's planet, or nobody's: nothing to build there, no hold to look into.
        ClearPanelButtons();
        g_pInfoView = nullptr;
    }
}

// Orders are given again on every frame of a drag and the last one stands: what it was is told
// once, when the button comes up, so that the player has an answer before the turn ends.
static std::string s_standingOrder;

__attribute__((format(printf, 3, 4))) static void NoteOrder(const Fleet *pFleet, int refused, const char *pFormat,
                                                             ...)
{
    // Crews that perished take no orders: the player is told so rather than left without answer.
    if (refused && pFleet->m_eState == FLEET_DEAD) {
        s_standingOrder = "Fleet " + std::to_string(pFleet->m_iId) + " has no crew left to take orders.";
        return;
    }
    if (refused)
        return;
    char text[160];
    va_list args;
    va_start(args, pFormat);
    vsnprintf(text, sizeof text, pFormat, args);
    va_end(args);
    s_standingOrder = text;
}

static void AnnounceStandingOrder(void)
{
    if (s_standingOrder.empty())
        return;
    AddMessage(s_standingOrder.c_str(), CompanyMessageAttr(PlayerCompany()));
    s_standingOrder.clear();
}

static const char *PlanetName(const Planet *pPlanet) { return pPlanet->m_pName ? pPlanet->m_pName : "a planet"; }

// "  RECALL    " calls the player's fleet on show back to the planet it was made at, as a fleet
// turned back at a gate is sent home. A fleet that crossed a gate has no home any more.
static void RecallButton(Button *)
{
    Fleet *pFleet = g_pSelFleet;
    Company *pPlayer = PlayerCompany();
    if (!pFleet || !pPlayer || pFleet->m_cShip < 1)
        return;
    // Another company's fleet shows the same panel; the press is answered all the same.
    if (pFleet->m_pOwner != pPlayer) {
        AddMessage("Only your own fleets can be recalled.", CompanyMessageAttr(pPlayer));
        return;
    }
    Planet *pHome = pFleet->m_pHomePlanet;
    if (!pHome || pHome->m_pSystem != pFleet->m_pSystem) {
        AddMessage("This fleet has no home planet in this system to return to.\n", CompanyMessageAttr(pPlayer));
        return;
    }
    NoteOrder(pFleet, FleetMoveToPlanet(pFleet, pHome), "Fleet %d is returning home to %s.", pFleet->m_iId,
              PlanetName(pHome));
    AnnounceStandingOrder();
}

void ShowFleetPanel(Fleet *pFleet)
{
    if (!pFleet)
        return;
    char text[64];
    snprintf(text, sizeof text, "Fleet ID:\n  %d\n\n\n\n  ", pFleet->m_iId);
    ShowPanelText(text);
    if (!g_pScreen || !g_pSideBar)
        return;
    // "  ASPLODE   " is shown and does nothing.
    MakePanelButtons(s_apFleetButtons, "  RECALL    ", RecallButton, "  ASPLODE   ", nullptr);
    SetPanelButtons(s_apFleetButtons);
    ShowPanelList(pFleet, 1 + PanelTextRows(text));
}

// ---------------------------------------------------------------------------------------------
// Per frame

static void ShowSelectedPlanet(Planet *pPlanet);
static void ShowSelectedFleet(Fleet *pFleet);
static void ForgetReleasedFleet(Fleet *pFleet);

// Defeat ends the program in the middle of the turn; victory lets the game go on.
static void ShowDefeat(void)
{
    MessageBox("GAME OVER: All of your colonies have been annihilated.");
    GameQuit();
}

static void ShowVictory(void)
{
    MessageBox("VICTORY: The galaxy is yours!");
}

// The world's drawing, fleet and turn hooks and the panel list's clicks lead here while a game is
// on show, whoever started it.
// The system's name in the top-left corner of the part of its map on show.
static void DrawSystemName(System *pSystem)
{
    if (!pSystem->m_pName || !pSystem->m_pName[0])
        return;
    Coord at = {1, 0};
    if (g_pMainView && g_pMainView->m_pContent == pSystem->m_pMap)
        at = Coord{g_pMainView->m_nScrollX + 1, g_pMainView->m_nScrollY};
    DrawText(pSystem->m_pName, 0x0F, pSystem->m_pMap, &at);
}

void ShowCompanyPanel(void)
{
    Company *pPlayer = g_pUniverse ? PlayerCompany() : nullptr;
    if (!pPlayer)
        return;
    char text[256];
    snprintf(text, sizeof text, "Your Company:\n  %s\n  Turn %d\n\nTotal Companies:\n  %d", pPlayer->m_pName,
             g_pUniverse->m_iTurn + 1, g_pUniverse->m_cCompany);
    ShowPanelText(text);
}

// After a turn the galaxy is redrawn, and a galaxy with nothing selected shows the new turn.
static void TurnDone(Universe *pUniverse)
{
    UniverseDraw(pUniverse);
    if (g_viewMode == VIEW_GALAXY && !g_pSelSystem)
        ShowCompanyPanel();
}

static void HookGameScreen(void)
{
    static const TurnHooks s_turnHooks = {SystemDrawMap, TurnDone, ShowDefeat, ShowVictory};
    TurnSetHooks(&s_turnHooks);
    PlanetSetSelectedDisplay(ShowSelectedPlanet);
    FleetSetSelectedDisplay(ShowSelectedFleet);
    FleetSetReleaseListener(ForgetReleasedFleet);
    g_pfnInfoViewClick = PanelListClick;
}

void GameScreenUpdate(void)
{
    g_frameCounter++;
    if (!g_pUniverse)
        return;
    HookGameScreen();
    switch (g_viewMode) {
    case VIEW_GALAXY:
        if (g_pUniverse->m_pSurface) {
            FillSurface(g_pUniverse->m_pSurface, MAP_BACKGROUND);
            UniverseDraw(g_pUniverse);
        }
        break;
    case VIEW_SYSTEM: {
        bool bReleased = g_lastClickFrame != g_frameCounter - 1;
        if (bReleased) {
            AnnounceStandingOrder();
            g_pDragPlanet = nullptr;
            g_pDragGate = nullptr;
            g_pDragFleet = nullptr;
            g_dragTo = g_dragFrom;
            ClearPanel();
            s_bPanelShown = false;
        }
        if (g_pSelSystem && g_pSelSystem->m_pMap) {
            FillSurface(g_pSelSystem->m_pMap, MAP_BACKGROUND);
            SystemDrawMap(g_pSelSystem);
            DrawSystemName(g_pSelSystem);
        }
        // The panel was cleared; unless drawing a selected object showed its panel again, its
        // buttons and list go too. (Taking them away and giving them straight back would lose a
        // press on one of the buttons.)
        if (bReleased && !s_bPanelShown) {
            ClearPanelButtons();
            g_pInfoView = nullptr;
        }
        break;
    }
    case VIEW_PLANET:
        if (g_pSelPlanet && g_pSelPlanet->m_pSurface) {
            FillSurface(g_pSelPlanet->m_pSurface, MAP_BACKGROUND);
            PlanetDrawSurface(g_pSelPlanet);
        }
        // The panel follows the planet: ships arriving in the hold join its list.
        ShowPlanetPanel(g_pSelPlanet);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Clicks and drags

// The fleet a drag gives orders to: the hold of the planet, the fleet that came out of the gate
// (while it is still in the gate's system), or the fleet the drag started on. Only the player's
// fleets with ships take orders.
static Fleet *DragReceiver(void)
{
    Fleet *pFleet = nullptr;
    if (g_pDragPlanet)
        pFleet = g_pDragPlanet->m_pFleet;
    else if (g_pDragGate) {
        pFleet = g_pDragGate->m_pTransitFleet;
        if (pFleet && pFleet->m_pSystem != g_pDragGate->m_pSystem)
            pFleet = nullptr;
    } else
        pFleet = g_pDragFleet;
    Company *pPlayer = PlayerCompany();
    if (!pFleet || pFleet->m_cShip < 1 || !pPlayer || pFleet->m_pOwner != pPlayer)
        return nullptr;
    return pFleet;
}

static void SetDragSource(Planet *pPlanet, Warpgate *pGate, Fleet *pFleet)
{
    g_pDragPlanet = pPlanet;
    g_pDragGate = pGate;
    g_pDragFleet = pFleet;
}

// A line's end moves one cell further from its start along its shorter axis; a straight line
// stays as it is.
static void LengthenDragLine(void)
{
    int dx = g_dragTo.m_x - g_dragFrom.m_x;
    int dy = g_dragTo.m_y - g_dragFrom.m_y;
    if (abs(dx) > abs(dy) && dy != 0)
        g_dragTo.m_y += dy > 0 ? 1 : -1;
    else if (abs(dy) > abs(dx) && dx != 0)
        g_dragTo.m_x += dx > 0 ? 1 : -1;
}

static void DrawDragLine(Surface *pMap, bool bOverObject)
{
    Surface *pPattern = LoadSurfaceFile(bOverObject ? GREEN_GRADIENT : RED_GRADIENT);
    DrawPatternLine(pMap, g_dragFrom.m_x, g_dragFrom.m_y, g_dragTo.m_x, g_dragTo.m_y, pPattern);
    DestroySurface(&pPattern);
}

// A drag near an edge of the main view scrolls it that way, one cell a frame.
static void ScrollTowardsEdge(void)
{
    if (!g_pMainView)
        return;
    int x = g_inputState.m_nX, y = g_inputState.m_nY;
    int width = g_pMainView->m_pView->m_nWidth - (g_pMainView->m_bVertBar ? 1 : 0);
    int height = g_pMainView->m_pView->m_nHeight - (g_pMainView->m_bHorizBar ? 1 : 0);
    if (x < EDGE_SCROLL_MARGIN)
        ScrollHorizontal(g_pMainView, -1);
    if (width - 1 - x < EDGE_SCROLL_MARGIN)
        ScrollHorizontal(g_pMainView, 1);
    if (y < EDGE_SCROLL_MARGIN)
        ScrollVertical(g_pMainView, -1);
    if (height - 1 - y < EDGE_SCROLL_MARGIN)
        ScrollVertical(g_pMainView, 1);
}

static Coord ClampToMap(Coord at, const Surface *pMap)
{
    at.m_x = at.m_x < 0 ? 0 : (at.m_x >= pMap->m_nWidth ? pMap->m_nWidth - 1 : at.m_x);
    at.m_y = at.m_y < 0 ? 0 : (at.m_y >= pMap->m_nHeight ? pMap->m_nHeight - 1 : at.m_y);
    return at;
}

// The map cell the drag was pressed on. Fleets stand on the corners of gates and planets (a
// fleet out of a gate, one back from a battle): a click there selects and gives no order to the
// other things on that cell.
static Coord s_pressAt = {-1, -1};

static void SystemClick(System *pSystem, int x, int y, int *pbDragging)
{
    // Whether this press was already a drag is decided once: a second object under the same
    // point must not turn the press into an order onto the first.
    bool bWasDragging = *pbDragging != 0;
    bool bHit = false;
    Fleet *pReceiver = bWasDragging ? DragReceiver() : nullptr;
    // The choice this click replaces may lie outside this system's lists (in a system left by a
    // zoom or a gate, or docked in a hold): its mark goes with it, or it would show chosen later
    // with no panel. Whatever is still under the pointer is marked again below.
    if (g_pSelPlanet)
        g_pSelPlanet->m_bFlags &= (uint8_t)~PLANET_SELECTED;
    if (g_pSelGate)
        g_pSelGate->m_bHighlight = 0;
    if (g_pSelFleet)
        g_pSelFleet->m_bSelected = 0;
    g_pSelPlanet = nullptr;
    g_pSelGate = nullptr;
    g_pSelFleet = nullptr;

    // A hit starts a drag on the object, or carries the drag's end onto it with an order.
    auto hit = [&](Coord anchor, Planet *pPlanet, Warpgate *pGate, Fleet *pFleet) {
        bool bFirstHit = !bHit;
        bHit = true;
        if (!bWasDragging) {
            *pbDragging = 1;
            // Fleets gather on the cells of planets and gates, rivals' among them. The last
            // object under the point becomes the source, unless that would trade a source whose
            // fleet takes the player's orders for one whose fleet does not.
            Planet *pOldPlanet = g_pDragPlanet;
            Warpgate *pOldGate = g_pDragGate;
            Fleet *pOldFleet = g_pDragFleet;
            bool bOldReceives = !bFirstHit && DragReceiver();
            SetDragSource(pPlanet, pGate, pFleet);
            if (bOldReceives && !DragReceiver())
                SetDragSource(pOldPlanet, pOldGate, pOldFleet);
            s_pressAt = Coord{x, y};
            if (CoordEqual(g_dragFrom, g_dragTo)) {
                g_dragFrom = anchor;
                g_dragTo = anchor;
            }
            return;
        }
        g_dragTo = anchor;
        if (!pReceiver || (x == s_pressAt.m_x && y == s_pressAt.m_y))
            return;
        // Pointing back at where the drag began gives no order: the last one stands.
        if (pPlanet && pPlanet != g_pDragPlanet)
            NoteOrder(pReceiver, FleetMoveToPlanet(pReceiver, pPlanet), "Fleet %d is on its way to %s.",
                      pReceiver->m_iId, PlanetName(pPlanet));
        else if (pGate && pGate != g_pDragGate && (!g_pDragPlanet || pGate->m_pPair))
            NoteOrder(pReceiver, FleetMoveToGate(pReceiver, pGate), "Fleet %d is on its way to the warp gate.",
                      pReceiver->m_iId);
        else if (pFleet && pFleet != g_pDragFleet)
            NoteOrder(pReceiver, FleetMoveToFleet(pReceiver, pFleet),
                      pFleet->m_pOwner == pReceiver->m_pOwner ? "Fleet %d is on its way to join fleet %d."
                                                              : "Fleet %d is on its way to attack fleet %d.",
                      pReceiver->m_iId, pFleet->m_iId);
    };

    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        Planet *pPlanet = pSystem->m_ppPlanet[i];
        if (!pPlanet || pPlanet->m_bFlags == 0)
            continue;
        if (!PlanetContains(pPlanet, x, y)) {
            pPlanet->m_bFlags &= (uint8_t)~PLANET_SELECTED;
            continue;
        }
        hit(AnchorOf(pPlanet->m_pos), pPlanet, nullptr, nullptr);
        g_pSelPlanet = pPlanet;
        pPlanet->m_bFlags |= PLANET_SELECTED;
        ShowPlanetPanel(pPlanet);
    }
    for (int i = 0; i < pSystem->m_cGate; i++) {
        Warpgate *pGate = pSystem->m_ppGate[i];
        if (!pGate)
            continue;
        if (!GateContains(pGate, x, y)) {
            pGate->m_bHighlight = 0;
            continue;
        }
        hit(AnchorOf(pGate->m_pos), nullptr, pGate, nullptr);
        g_pSelGate = pGate;
        pGate->m_bHighlight = 1;
    }
    for (ListNode *pNode = pSystem->m_pFleets ? pSystem->m_pFleets->m_pHead : nullptr; pNode;
         pNode = pNode->m_pNext) {
        Fleet *pFleet = (Fleet *)pNode->m_pData;
        if (pFleet->m_pos.m_x != x || pFleet->m_pos.m_y != y) {
            pFleet->m_bSelected = 0;
            continue;
        }
        hit(pFleet->m_pos, nullptr, nullptr, pFleet);
        pFleet->m_bSelected = 1;
        // On a shared cell the panel stays on the player's fleet, whose RECALL means something.
        Company *pPlayer = PlayerCompany();
        if (g_pSelFleet && g_pSelFleet->m_pOwner == pPlayer && pFleet->m_pOwner != pPlayer)
            continue;
        g_pSelFleet = pFleet;
        ShowFleetPanel(pFleet);
    }

    if (!bHit) {
        ClearPanelButtons();
        g_pInfoView = nullptr;
        if (!bWasDragging) {
            g_pDragPlanet = nullptr;
            g_pDragGate = nullptr;
            g_dragTo = g_dragFrom;
        } else {
            g_dragTo = Coord{x, y};
        }
    }

    if (pSystem->m_pMap && !CoordEqual(g_dragFrom, g_dragTo)) {
        LengthenDragLine();
        g_dragTo = ClampToMap(g_dragTo, pSystem->m_pMap);
        DrawDragLine(pSystem->m_pMap, bHit);
        if (!bHit) {
            if (pReceiver)
                NoteOrder(pReceiver, FleetMoveToCoord(pReceiver, g_dragTo), "Fleet %d is on its way into open space.",
                          pReceiver->m_iId);
            ShowPlanetPanel(g_pDragPlanet);
            ScrollTowardsEdge();
        }
    }
    SystemDrawMap(pSystem);
}

void MapClick(int x, int y, int *pbDragging)
{
    V_ASSERT(pbDragging != NULL);
    if (g_lastMapClickFrame != g_frameCounter - 1)
        *pbDragging = 0;
    g_lastMapClickFrame = g_frameCounter;
    if (!g_pUniverse)
        return;

    switch (g_viewMode) {
    case VIEW_GALAXY: {
        ClearPanel();
        System *pHit = nullptr;
        for (int i = 0; i < g_pUniverse->m_cSystem; i++) {
            System *pSystem = g_pUniverse->m_ppSystem[i];
            int w = pSystem->m_pIcon ? pSystem->m_pIcon->m_nWidth : SYSTEM_ICON_SIZE;
            int h = pSystem->m_pIcon ? pSystem->m_pIcon->m_nHeight : SYSTEM_ICON_SIZE;
            if (PointInRect(x, y, pSystem->m_pos, w, h)) {
                pHit = pSystem;
                g_pSelSystem = pSystem;
                ShowSystemPanel(pSystem);
                pSystem->m_bFlags |= SYSTEM_SELECTED;
            } else {
                pSystem->m_bFlags &= (uint8_t)~SYSTEM_SELECTED;
            }
        }
        if (!pHit) {
            g_pSelSystem = nullptr;
            ShowCompanyPanel();
        }
        UniverseDraw(g_pUniverse);
        break;
    }
    case VIEW_PLANET:
        ClearPanel();
        if (g_pSelPlanet) {
            PlanetDrawSurface(g_pSelPlanet);
            ShowPlanetPanel(g_pSelPlanet);
        }
        break;
    case VIEW_SYSTEM:
        ClearPanel();
        if (g_pSelSystem)
            SystemClick(g_pSelSystem, x, y, pbDragging);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Finding one's way: each map keeps where the player left it; a map seen for the first time
// opens on the player's home (or its own centre).

struct MapPlace {
    const Surface *pContent;   // compared only; the places are forgotten with the game
    int x, y;                  // the view's scroll when the map was left
};
static std::vector<MapPlace> s_places;

static MapPlace *PlaceOf(const Surface *pContent)
{
    for (MapPlace &place : s_places)
        if (place.pContent == pContent)
            return &place;
    return nullptr;
}

static void RememberPlace(void)
{
    if (!g_pMainView || !g_pMainView->m_pContent)
        return;
    MapPlace *pPlace = PlaceOf(g_pMainView->m_pContent);
    if (!pPlace) {
        s_places.push_back(MapPlace{g_pMainView->m_pContent, 0, 0});
        pPlace = &s_places.back();
    }
    pPlace->x = g_pMainView->m_nScrollX;
    pPlace->y = g_pMainView->m_nScrollY;
}

static void ScrollMainViewTo(int x, int y)
{
    ScrollHorizontal(g_pMainView, x - g_pMainView->m_nScrollX);
    ScrollVertical(g_pMainView, y - g_pMainView->m_nScrollY);
}

static void CentreMainViewOn(Coord cell)
{
    ScrollMainViewTo(cell.m_x - g_pMainView->m_pView->m_nWidth / 2, cell.m_y - g_pMainView->m_pView->m_nHeight / 2);
}

// Shows the map in the main view where the player left it, or centred on the cell.
static void ShowMap(Surface *pContent, Coord centre)
{
    if (g_pMainView && g_pMainView->m_pContent != pContent)
        RememberPlace();
    SetMainView(pContent);
    if (const MapPlace *pPlace = PlaceOf(pContent))
        ScrollMainViewTo(pPlace->x, pPlace->y);
    else
        CentreMainViewOn(centre);
}

// The player's first planet, in the order of systems and planets: where the company began.
static Planet *PlayerHomePlanet(void)
{
    Company *pPlayer = g_pUniverse ? PlayerCompany() : nullptr;
    if (!pPlayer)
        return nullptr;
    for (int s = 0; s < g_pUniverse->m_cSystem; s++) {
        System *pSystem = g_pUniverse->m_ppSystem[s];
        for (int p = 0; p < pSystem->m_cPlanet; p++)
            if (pSystem->m_ppPlanet[p]->m_pOwner == pPlayer)
                return pSystem->m_ppPlanet[p];
    }
    return nullptr;
}

static Coord GalaxyHome(void)
{
    Planet *pHome = PlayerHomePlanet();
    if (!pHome || !pHome->m_pSystem)
        return Coord{0, 0};
    Coord at = pHome->m_pSystem->m_pos;
    return Coord{at.m_x + SYSTEM_ICON_SIZE / 2, at.m_y + SYSTEM_ICON_SIZE / 2};
}

// The player's planet in the system, else the map's centre.
static Coord SystemHome(const System *pSystem)
{
    Company *pPlayer = PlayerCompany();
    for (int p = 0; p < pSystem->m_cPlanet; p++) {
        const Planet *pPlanet = pSystem->m_ppPlanet[p];
        if (pPlayer && pPlanet->m_pOwner == pPlayer)
            return Coord{pPlanet->m_pos.m_x + 1, pPlanet->m_pos.m_y + 1};
    }
    return Coord{pSystem->m_pMap->m_nWidth / 2, pSystem->m_pMap->m_nHeight / 2};
}

void ShowGalaxy(void)
{
    if (g_pUniverse && g_pUniverse->m_pSurface)
        ShowMap(g_pUniverse->m_pSurface, GalaxyHome());
}

// ---------------------------------------------------------------------------------------------
// Zooming

static void ShowSystemMap(System *pSystem)
{
    if (pSystem->m_pMap) {
        FillSurface(pSystem->m_pMap, MAP_BACKGROUND);
        SystemDrawMap(pSystem);
        ShowMap(pSystem->m_pMap, SystemHome(pSystem));
    }
}

// The galaxy map marks the system being looked at.
static void MarkSystemSelected(System *pSystem)
{
    if (!g_pUniverse)
        return;
    for (int i = 0; i < g_pUniverse->m_cSystem; i++) {
        System *pOther = g_pUniverse->m_ppSystem[i];
        if (pOther == pSystem)
            pOther->m_bFlags |= SYSTEM_SELECTED;
        else
            pOther->m_bFlags &= (uint8_t)~SYSTEM_SELECTED;
    }
}

// Through a gate to the system at the other end of its link, looking at the gate there. A gate
// without a pair leads nowhere: the view stays and the player is told.
static void JumpThroughGate(Warpgate *pGate)
{
    Warpgate *pPair = pGate->m_pPair;
    if (!pPair || !pPair->m_pSystem) {
        AddMessage("This warp gate is not linked to another system.\n", 0x0F);
        return;
    }
    pGate->m_bHighlight = 0;
    g_pSelGate = nullptr;
    EmptyPanel();
    System *pSystem = pPair->m_pSystem;
    g_pSelSystem = pSystem;
    MarkSystemSelected(pSystem);
    ShowSystemMap(pSystem);
    // The player looks out of the gate at the other end, where fleets come out of it.
    CentreMainViewOn(AnchorOf(pPair->m_pos));
}

void MapDoubleClick(void)
{
    switch (g_viewMode) {
    case VIEW_GALAXY:
        if (!g_pSelSystem)
            return;
        ClearPanel();
        ShowSystemMap(g_pSelSystem);
        if (g_cBarButtons < BAR_SLOTS)
            SetBarButtonCount(g_cBarButtons + 1);
        g_viewMode = VIEW_SYSTEM;
        break;
    case VIEW_SYSTEM:
        if (g_pSelPlanet) {
            ClearPanel();
            g_pInfoView = nullptr;
            if (g_pSelPlanet->m_pSurface) {
                FillSurface(g_pSelPlanet->m_pSurface, MAP_BACKGROUND);
                PlanetDrawSurface(g_pSelPlanet);
                ShowMap(g_pSelPlanet->m_pSurface, Coord{0, 0});
            }
            g_viewMode = VIEW_PLANET;
            // The planet view keeps the planet's panel, with its build buttons.
            ShowPlanetPanel(g_pSelPlanet);
        } else if (g_pSelGate) {
            JumpThroughGate(g_pSelGate);
        }
        break;
    case VIEW_PLANET:
        break;
    case 4:
        g_viewMode = VIEW_PLANET;
        break;
    default:
        exit(7);
    }
}

void ZoomOut(void)
{
    switch (g_viewMode) {
    case 0:
        g_viewMode = VIEW_GALAXY;
        break;
    case VIEW_GALAXY:
    case 4:
        break;
    case VIEW_SYSTEM:
        EmptyPanel();
        ShowSystemPanel(g_pSelSystem);
        ShowGalaxy();
        if (g_cBarButtons > 1)
            SetBarButtonCount(g_cBarButtons - 1);
        g_viewMode = VIEW_GALAXY;
        break;
    case VIEW_PLANET:
        ClearPanel();
        g_pInfoView = nullptr;
        // The planet's own panel decides its buttons: an AI planet has none.
        ShowPlanetPanel(g_pSelPlanet);
        if (g_pSelSystem)
            ShowSystemMap(g_pSelSystem);
        g_viewMode = VIEW_SYSTEM;
        break;
    default:
        exit(6);
    }
}

void ZoomOutButton(Button *) { ZoomOut(); }

void GoHome(void)
{
    Planet *pHome = PlayerHomePlanet();
    if (!pHome || !pHome->m_pSystem || !pHome->m_pSystem->m_pMap)
        return;
    if (g_viewMode == VIEW_PLANET)
        ZoomOut();
    if (g_viewMode == VIEW_GALAXY) {
        if (g_cBarButtons < BAR_SLOTS)
            SetBarButtonCount(g_cBarButtons + 1);
        g_viewMode = VIEW_SYSTEM;
    }
    ClearPanel();
    g_pInfoView = nullptr;
    g_pSelSystem = pHome->m_pSystem;
    MarkSystemSelected(g_pSelSystem);
    ShowSystemMap(g_pSelSystem);
    CentreMainViewOn(SystemHome(g_pSelSystem));
}

// ---------------------------------------------------------------------------------------------
// The planet panel's build buttons

void AddShipButton(Button *) { RunAddShip(); }

void BuildStructButton(Button *) { RunBuildStruct(); }

// ---------------------------------------------------------------------------------------------
// A game's screen state

// Drawing a selected planet or fleet of the system on show brings its panel back every frame;
// in other views, or for another system drawn at the end of a turn, the panel is left alone.
static void ShowSelectedPlanet(Planet *pPlanet)
{
    if (g_viewMode == VIEW_SYSTEM && pPlanet && pPlanet->m_pSystem == g_pSelSystem && pPlanet == g_pSelPlanet)
        ShowPlanetPanel(pPlanet);
}

static void ShowSelectedFleet(Fleet *pFleet)
{
    if (g_viewMode == VIEW_SYSTEM && pFleet && pFleet->m_pSystem == g_pSelSystem && pFleet == g_pSelFleet)
        ShowFleetPanel(pFleet);
}

// A fleet leaving play takes its selection and its drag with it.
static void ForgetReleasedFleet(Fleet *pFleet)
{
    if (g_pSelFleet == pFleet)
        g_pSelFleet = nullptr;
    if (g_pDragFleet == pFleet) {
        g_pDragFleet = nullptr;
        g_dragTo = g_dragFrom;
    }
}

void GameScreenReset(void)
{
    g_pSelGate = nullptr;
    g_pSelFleet = nullptr;
    g_pDragPlanet = nullptr;
    g_pDragGate = nullptr;
    g_pDragFleet = nullptr;
    g_dragFrom = Coord{0, 0};
    g_dragTo = g_dragFrom;
    g_bDragging = 0;
    g_lastClickFrame = 0;
    g_lastMapClickFrame = 0;
    s_places.clear();
    s_standingOrder.clear();
    FreePanelList();
    HookGameScreen();
}

void GameScreenRelease(void)
{
    if (g_ppSideButtons == s_apPlanetButtons || g_ppSideButtons == s_apFleetButtons)
        SetSideButtons(nullptr, 0);
    FreePanelList();
    g_pInfoView = nullptr;
    for (int i = 0; i < PANEL_BUTTON_COUNT; i++) {
        DestroyButton(&s_apPlanetButtons[i]);
        DestroyButton(&s_apFleetButtons[i]);
    }
    g_pSelGate = nullptr;
    g_pSelFleet = nullptr;
    g_pDragPlanet = nullptr;
    g_pDragGate = nullptr;
    g_pDragFleet = nullptr;
    g_dragTo = g_dragFrom;
    g_bDragging = 0;
    PlanetSetSelectedDisplay(nullptr);
    FleetSetSelectedDisplay(nullptr);
    FleetSetReleaseListener(nullptr);
    TurnSetHooks(nullptr);
    if (g_pfnInfoViewClick == PanelListClick)
        g_pfnInfoViewClick = nullptr;
}
