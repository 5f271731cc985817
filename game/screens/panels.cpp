#include "game/screens/panels.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/core/console.h"
#include "game/core/evqueue.h"
#include "game/core/evutils.h"
#include "game/world/fleet.h"
#include "game/core/input.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/ui/uiutils.h"
#include "game/world/weapon.h"
#include "game/ui/window.h"
#include "game/world/world.h"

// The shade fills every dialog body; white text is laid over it with its spaces transparent, so
// the shade shows between the words. Lists are filled with plain black.
static const Cell SHADE_CELL = {0xB2, 0x00};
static const Cell TEXT_SPACE_CELL = {' ', 0x0F};
static const Cell LIST_FILL_CELL = {' ', 0x0B};

static const unsigned char TEXT_ATTR = 0x0F;
static const unsigned char ITEM_ATTR = 12;
static const unsigned char BUTTON_ATTR = 0x0B;
static const unsigned char FRAME_ATTR = 0x0B;
static const unsigned char QUEUE_BUTTON_ATTR = 0x0D;
static const unsigned char QUEUE_FRAME_ATTR = 0x09;
static const unsigned char QUEUE_ARROW_ATTR = 0xCB;
static const unsigned char QUEUE_BAR_ATTR = 0x2A;

enum {
    BUILD_BODY_WIDTH = 60,
    SLOT_BODY_WIDTH = 26,
    QUEUE_BODY_WIDTH = 50,
    DIALOG_BODY_HEIGHT = 20,
    RESOURCES_WIDTH = 24,
    DIALOG_BUTTONS_MAX = 5,
};

ListSelection g_shipList = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};
ListSelection g_structList = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};

// A dialog parked between calls with everything it was built from.
struct KeptDialog {
    Dialog *pDialog;
    FrameStyle *pFrameStyle;
    Surface *pBody;
    Button *ppButtons[DIALOG_BUTTONS_MAX];
    int cButtons;
};

static KeptDialog s_listDialog;
static KeptDialog s_shipDialog;

// The list a running dialog's update works on: the dialog's user pointer, set by the Run functions.
struct ListContext {
    Button **ppItems;
    int count;
    Scroller **ppList;
    int bResourcesPanel;       // the save-slot dialog's narrow body has no room for it
};

// The two build lists, made on first use and kept, with their scroll position, for the game.
static Button **s_ppShipItems;
static Scroller *s_pShipListView;
static Button **s_ppStructItems;
static Scroller *s_pStructListView;

/* Small helpers. */

static void BlitAt(Surface *pTarget, Surface *pSource, int x, int y, const Cell *pTrans)
{
    Coord at = {x, y};
    Cell trans = pTrans ? *pTrans : Cell{0, 0};
    BlitSurface(&at, pTarget, pSource, pTrans ? &trans : nullptr);
}

// The text in white, wrapped to width, over the target with its spaces transparent.
static void DrawWrappedText(Surface *pTarget, const std::string &text, int width, int x, int y)
{
    Cell *pCells = MakeCellString(text.c_str(), TEXT_ATTR);
    Surface *pWrapped = WrapText(pCells, width);
    BlitAt(pTarget, pWrapped, x, y, &TEXT_SPACE_CELL);
    DestroySurface(&pWrapped);
    free(pCells);
}

static std::string Format(const char *pFormat, int value)
{
    char buffer[64];
    snprintf(buffer, sizeof buffer, pFormat, value);
    return buffer;
}

// The log view is not drawn while a dialog runs; the build entry points draw it themselves so
// that what they told the player shows below the dialog at once.
static void ShowLogNow(void)
{
    if (!g_pLogView || !g_pScreen || g_wmViewMode == WM_MODE_NONE)
        return;
    RenderScroller(g_pLogView);
    Coord at = LogViewPos();
    BlitAt(g_pScreen, g_pLogView->m_pView, at.m_x, at.m_y, nullptr);
}

static std::string Repeat(unsigned char ch, int n)
{
    return std::string((size_t)n, (char)ch);
}

// The box around the type's figures: a title line, a tee-joined rule, the divider between the
// information and the costs, and the closing rule.
static std::string InfoFrameText(const std::string &title)
{
    std::string text = title + "\n";
    text += Repeat(0xC4, 17) + (char)0xC2 + Repeat(0xC4, 13) + "\n";
    for (int i = 0; i < 11; i++)
        text += Repeat(' ', 17) + (char)0xB3 + "\n";
    text += Repeat(0xC4, 17) + (char)0xC1 + Repeat(0xC4, 13);
    return text;
}

/* Information panels. */

void DrawResourcesPanel(Surface *pTarget, Planet *pPlanet)
{
    if (!pTarget || !pPlanet)
        return;
    char text[64];
    snprintf(text, sizeof text, "Energy: %5d\n\nMatter: %5d", pPlanet->m_iEnergy, pPlanet->m_iMatter);
    Cell *pCells = MakeCellString(text, TEXT_ATTR);
    Surface *pWrapped = WrapText(pCells, RESOURCES_WIDTH);
    Surface *pShade = CreateSurface(pWrapped->m_nWidth, pWrapped->m_nHeight);
    FillSurface(pShade, SHADE_CELL);
    BlitAt(pTarget, pShade, 1, 16, nullptr);
    BlitAt(pTarget, pWrapped, 1, 16, &TEXT_SPACE_CELL);
    DestroySurface(&pShade);
    DestroySurface(&pWrapped);
    free(pCells);
}

void ShowShipTypeInfo(int index, Surface *pBody)
{
    if (!pBody)
        return;
    FillSurface(pBody, SHADE_CELL);
    if (index < 0 || index >= BUILD_LIST_ITEMS || !g_ppShipInfo || !g_ppShipInfo[index])
        return;
    const Ship *pInfo = g_ppShipInfo[index];
    int damage = pInfo->m_pWeapon ? pInfo->m_pWeapon->m_iDamage : 0;
    int armor = pInfo->m_pArmor ? pInfo->m_pArmor->m_iHp : 0;

    DrawWrappedText(pBody, InfoFrameText(pInfo->m_pName ? pInfo->m_pName : ""), 32, 28, 1);

    std::string info = std::string("Class:\n   ") + ShipClassName(pInfo->m_eType);
    info += std::string("\n\nSpeed:\n   ") + ShipSpeedWord(pInfo->m_eType);
    info += Format("\n\nDamage:\n   %d", damage) + Format("\n\nArmor:\n   %d", armor);
    DrawWrappedText(pBody, info, 17, 28, 3);

    std::string costs = Format("Energy Cost:\n   %d", ShipTemplateEnergyCost(pInfo));
    costs += Format("\n\nMatter Cost:\n   %d", pInfo->m_iMatterCost);
    costs += Format("\n\nBuild Time:\n   %d", ShipTemplateBuildTurns(pInfo));
    costs += Format("\n\nIn Hold:\n   %d", CountShipsInHold(g_pSelPlanet, pInfo->m_eType));
    DrawWrappedText(pBody, costs, 13, 47, 3);

    DrawResourcesPanel(pBody, g_pSelPlanet);
}

// The type's description; a weapon's figures follow it.
static std::string StructureInfoFor(const Structure *pInfo)
{
    std::string text = StructureInfoText(pInfo->m_eType);
    if (StructureInfoShowsFigures(pInfo->m_eType)) {
        int damage = pInfo->m_pWeapon ? pInfo->m_pWeapon->m_iDamage : 0;
        int armor = pInfo->m_pArmor ? pInfo->m_pArmor->m_iHp : 0;
        text += Format("\n\nDamage:\n   %d", damage) + Format("\n\nArmor:\n   %d", armor);
    }
    return text;
}

void ShowStructTypeInfo(int index, Surface *pBody)
{
    if (!pBody)
        return;
    FillSurface(pBody, SHADE_CELL);
    if (index < 0 || index >= BUILD_LIST_ITEMS || !g_ppStructInfo || !g_ppStructInfo[index])
        return;
    const Structure *pInfo = g_ppStructInfo[index];

    DrawWrappedText(pBody, InfoFrameText(std::string("Structure Type: ") + StructureKindWord(pInfo->m_eType)),
                    32, 28, 1);
    DrawWrappedText(pBody, StructureInfoFor(pInfo), 18, 28, 3);

    std::string costs = Format("Energy Cost:\n   %d", pInfo->m_iEnergyCost);
    costs += Format("\n\nMatter Cost:\n   %d", pInfo->m_iMatterCost);
    costs += Format("\n\nBuild Time:\n   %d", StructureTemplateBuildTurns(pInfo));
    costs += Format("\n\nExisting:\n   %d", CountExistingStructures(g_pSelPlanet, pInfo->m_eType));
    DrawWrappedText(pBody, costs, 13, 47, 3);

    DrawResourcesPanel(pBody, g_pSelPlanet);
}

/* Lists of selectable items. */

int MakeListItems(Button ***pppItems, const char *const *ppTexts, int count, int width, unsigned char attr)
{
    V_ASSERT(pppItems != NULL);
    *pppItems = nullptr;
    V_ASSERT(count > 0 && ppTexts != NULL && width > 0);
    Button **ppItems = (Button **)calloc((size_t)count, sizeof(Button *));
    if (!ppItems)
        return 1;
    int y = 0;
    for (int i = 0; i < count; i++) {
        // An empty text would wrap to no rows at all; it becomes one blank row.
        const char *pText = ppTexts[i] && ppTexts[i][0] ? ppTexts[i] : " ";
        Cell *pCells = MakeCellString(pText, attr);
        Surface *pImage = WrapText(pCells, width);
        free(pCells);
        Sprite *pSprite = CreateSprite(pImage, 0, y, nullptr);
        if (CreateButton(&ppItems[i], pSprite, nullptr, 1, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr) != 0) {
            DestroySprite(&pSprite);
            FreeListItems(&ppItems, i);
            return 1;
        }
        y += pImage->m_nHeight + 1;
    }
    *pppItems = ppItems;
    return 0;
}

void FreeListItems(Button ***pppItems, int count)
{
    if (!pppItems || !*pppItems)
        return;
    for (int i = 0; i < count; i++)
        DestroyButton(&(*pppItems)[i]);
    free(*pppItems);
    *pppItems = nullptr;
}

static void DrawItems(Surface *pContent, Button **ppItems, int count)
{
    FillSurface(pContent, LIST_FILL_CELL);
    for (int i = 0; i < count; i++) {
        Sprite *pSprite = ppItems[i]->m_pSprite;
        Coord at = {pSprite->m_x, pSprite->m_y};
        BlitSurface(&at, pContent, pSprite->m_pSurface, pSprite->m_pTrans);
    }
}

int CreateListView(Scroller **ppList, Button **ppItems, int count, int contentWidth, int viewWidth, int viewHeight)
{
    V_ASSERT(ppList != NULL);
    *ppList = nullptr;
    V_ASSERT(count >= 0 && (count == 0 || ppItems != NULL));
    int height = 1;
    for (int i = 0; i < count; i++) {
        Sprite *pSprite = ppItems[i]->m_pSprite;
        if (pSprite->m_y + pSprite->m_pSurface->m_nHeight > height)
            height = pSprite->m_y + pSprite->m_pSurface->m_nHeight;
    }
    Surface *pContent = CreateSurface(contentWidth, height);
    DrawItems(pContent, ppItems, count);
    if (CreateScroller(ppList, viewWidth, viewHeight, pContent, 0, 0) != 0) {
        DestroySurface(&pContent);
        return 1;
    }
    return 0;
}

void DestroyListView(Scroller **ppList)
{
    if (!ppList || !*ppList)
        return;
    Surface *pContent = (*ppList)->m_pContent;
    DestroyScroller(ppList);
    DestroySurface(&pContent);
}

void RedrawListView(Scroller *pList, Button **ppItems, int count)
{
    if (!pList)
        return;
    DrawItems(pList->m_pContent, ppItems, count);
    RenderScroller(pList);
}

void ListSelectionReset(ListSelection *pSel, Scroller *pList, Button **ppItems, int count)
{
    V_ASSERT(pSel != NULL);
    pSel->m_iSelected = count;
    pSel->m_iPrevious = count;
    pSel->m_bPressed = 0;
    pSel->m_pCurrent = nullptr;
    if (!ppItems)
        return;
    for (int i = 0; i < count; i++) {
        if (ppItems[i]->m_bHighlighted)
            ToggleButton(ppItems[i]);
    }
    RedrawListView(pList, ppItems, count);
}

/* List input. */

// Runs the items with the live button state at content cell (x, y). A click on the lit item
// keeps it lit (the press put it out); a click on another puts the old one out and selects the
// new one. Returns 1 for a new selection.
static int RunListItems(int x, int y, Scroller *pList, Button **ppItems, int count, int *pPressed,
                        Button **ppCurrent, int *pSelected, int *pPrevious)
{
    MouseState mouse = MouseStateFromInput();
    Surface *pContent = pList->m_pContent;
    FillSurface(pContent, LIST_FILL_CELL);
    int index = HandleButtons(&mouse, x, y, ppItems, count, pContent, pPressed, ppCurrent);
    int bNew = 0;
    if (index >= 0 && index < count) {
        if (index == *pPrevious) {
            *pSelected = index;
            if (!ppItems[index]->m_bHighlighted)
                ToggleButton(ppItems[index]);
        } else {
            if (*pPrevious >= 0 && *pPrevious < count && ppItems[*pPrevious]->m_bHighlighted)
                ToggleButton(ppItems[*pPrevious]);
            *pSelected = index;
            *pPrevious = index;
            bNew = 1;
        }
        DrawItems(pContent, ppItems, count);
    }
    RenderScroller(pList);
    return bNew;
}

int ListHandleEvent(EventNode *pEvent, Scroller *pList, Button **ppItems, int count, int *pPressed,
                    Button **ppCurrent, int *pSelected, int *pPrevious)
{
    if (!pEvent || !pList || !pEvent->m_pData || pEvent->m_nType == EV_KEY)
        return 0;
    const MouseEventData *pData = (const MouseEventData *)pEvent->m_pData;
    if (pData->m_pSurface != pList->m_pContent)
        return 0;
    return RunListItems(pData->m_x, pData->m_y, pList, ppItems, count, pPressed, ppCurrent, pSelected, pPrevious);
}

int ListEndPressOffList(Scroller *pList, Button **ppItems, int count, int *pPressed, Button **ppCurrent,
                        int *pSelected, int *pPrevious)
{
    if (!pList || !*pPressed || (g_inputState.m_nButtons & INPUT_BUTTONS_MASK) == INPUT_BUTTON_LEFT)
        return -1;
    return RunListItems(-1, -1, pList, ppItems, count, pPressed, ppCurrent, pSelected, pPrevious);
}

static void AfterListInput(Surface *pBody, Scroller *pList, int bNew, int selected, ListSelectCallback onSelect,
                           int bResourcesPanel)
{
    if (bNew) {
        FillSurface(pBody, SHADE_CELL);
        if (onSelect)
            onSelect(selected, pBody);
        if (bResourcesPanel)
            DrawResourcesPanel(pBody, g_pSelPlanet);
    }
    BlitAt(pBody, pList->m_pView, 1, 1, nullptr);
}

// Every event waiting is taken: the list posts at most a press and a double click per frame, and
// one left waiting would put each later press a frame behind the live button state, where its
// release would be read as the press and the click lost.
void HandleListClick(Surface *pBody, Coord *pPos, Scroller *pList, Button **ppItems, int count, int *pPressed,
                     Button **ppCurrent, int *pSelected, int *pPrevious, ListSelectCallback onSelect,
                     int bResourcesPanel)
{
    V_ASSERT(pBody != NULL && pPos != NULL && pList != NULL);
    if (g_inputState.m_nKind != INPUT_KIND_MOUSE)
        return;
    MouseState mouse = MouseStateFromInput();
    int x = mouse.m_nX - pPos->m_x - 1;
    int y = mouse.m_nY - pPos->m_y - 1;
    HandleScrollerMouse(&mouse, x, y, pList, 1, 1, pBody, &g_eventQueue);

    bool bListEvent = false;
    while (EventNode *pEvent = PopEvent(&g_eventQueue)) {
        const MouseEventData *pData = (const MouseEventData *)pEvent->m_pData;
        if (pEvent->m_nType != EV_KEY && pData && pData->m_pSurface == pList->m_pContent) {
            bListEvent = true;
            int bNew = RunListItems(pData->m_x, pData->m_y, pList, ppItems, count, pPressed, ppCurrent, pSelected,
                                    pPrevious);
            AfterListInput(pBody, pList, bNew, *pSelected, onSelect, bResourcesPanel);
        }
        FreeEvent(pEvent);
    }
    // A sticky item is chosen at the release wherever the pointer is then.
    if (!bListEvent) {
        int bNew = ListEndPressOffList(pList, ppItems, count, pPressed, ppCurrent, pSelected, pPrevious);
        if (bNew >= 0)
            AfterListInput(pBody, pList, bNew, *pSelected, onSelect, bResourcesPanel);
    }
}

/* Dialogs. */

static void FreeKeptDialog(KeptDialog *pKept)
{
    DestroyDialog(&pKept->pDialog);
    for (int i = 0; i < pKept->cButtons; i++)
        DestroyButton(&pKept->ppButtons[i]);
    pKept->cButtons = 0;
    DestroySurface(&pKept->pBody);
    DestroyFrameStyle(&pKept->pFrameStyle);
}

void CloseBuildDialogs(void)
{
    FreeKeptDialog(&s_listDialog);
    FreeKeptDialog(&s_shipDialog);
}

// Double-line border, shaded interior drawn black.
static FrameStyle *CreateDialogFrameStyle(unsigned char attr)
{
    FrameStyle *pStyle = nullptr;
    CreateDoubleLineStyle(&pStyle, attr, 0xB2, 0x00);
    return pStyle;
}

struct ButtonPlace {
    const char *pText;
    int x, y;
};

static void BuildTextButtons(KeptDialog *pKept, const ButtonPlace *pPlaces, int count, unsigned char attr)
{
    FrameStyle *pStyle = nullptr;
    CreateBoxStyle(&pStyle, attr);
    for (int i = 0; i < count; i++) {
        Coord at = {pPlaces[i].x, pPlaces[i].y};
        int length = 0;
        while (pPlaces[i].pText[length])
            length++;
        CreateButton(&pKept->ppButtons[i], nullptr, nullptr, 0, 0, nullptr, pPlaces[i].pText, length, pStyle, &at,
                     nullptr);
    }
    pKept->cButtons = count;
    DestroyFrameStyle(&pStyle);
}

// The list goes into the slot the first time; the body shows its view at (1, 1).
static int PrepareList(Surface *pBody, Button **ppItems, int count, Scroller **ppList)
{
    if (!*ppList && CreateListView(ppList, ppItems, count, LIST_ITEM_WIDTH, LIST_VIEW_WIDTH, LIST_VIEW_HEIGHT) != 0)
        return 1;
    RenderScroller(*ppList);
    BlitAt(pBody, (*ppList)->m_pView, 1, 1, nullptr);
    return 0;
}

static int BuildKeptDialog(KeptDialog *pKept, const ButtonPlace *pPlaces, int cButtons, int bodyWidth,
                           Button **ppItems, int count, Scroller **ppList, DialogUpdate pfnUpdate)
{
    BuildTextButtons(pKept, pPlaces, cButtons, BUTTON_ATTR);
    pKept->pBody = CreateSurface(bodyWidth, DIALOG_BODY_HEIGHT);
    FillSurface(pKept->pBody, SHADE_CELL);
    pKept->pFrameStyle = CreateDialogFrameStyle(FRAME_ATTR);
    if (PrepareList(pKept->pBody, ppItems, count, ppList) != 0 ||
        CreateDialog(&pKept->pDialog, pKept->pFrameStyle, pKept->pBody, nullptr, pKept->ppButtons, cButtons, nullptr,
                     pfnUpdate) != 0) {
        FreeKeptDialog(pKept);
        return 1;
    }
    return 0;
}

// Both build lists' updates: the list the dialog's context names, with the given selection.
static int BuildListUpdate(Dialog *pDialog, ListSelection *pSel, ListSelectCallback onSelect)
{
    V_ASSERT(pDialog != NULL);
    const ListContext *pContext = (const ListContext *)pDialog->m_pUser;
    if (pContext && pContext->ppList && *pContext->ppList) {
        Coord pos = {pDialog->m_x, pDialog->m_y};
        HandleListClick(pDialog->m_pContent, &pos, *pContext->ppList, pContext->ppItems, pContext->count,
                        &pSel->m_bPressed, &pSel->m_pCurrent, &pSel->m_iSelected, &pSel->m_iPrevious, onSelect,
                        pContext->bResourcesPanel);
    }
    return pDialog->m_cButtons;
}

int ShipListUpdate(Dialog *pDialog) { return BuildListUpdate(pDialog, &g_shipList, ShowShipTypeInfo); }
int StructListUpdate(Dialog *pDialog) { return BuildListUpdate(pDialog, &g_structList, ShowStructTypeInfo); }

int RunListDialog(Button **ppItems, int count, Scroller **ppList, int mode, DialogUpdate pfnUpdate)
{
    V_ASSERT(ppList != NULL);
    KeptDialog *pKept = &s_listDialog;
    if (!pKept->pDialog || mode != LIST_MODE_BUILD) {
        FreeKeptDialog(pKept);
        ButtonPlace buttons[2];
        int bodyWidth = SLOT_BODY_WIDTH;
        if (mode == LIST_MODE_SAVE) {
            buttons[0] = {" SAVE ", 2, 17};
            buttons[1] = {" CANCEL ", 16, 17};
        } else if (mode == LIST_MODE_LOAD) {
            buttons[0] = {" LOAD ", 2, 17};
            buttons[1] = {" CANCEL ", 16, 17};
        } else {
            buttons[0] = {" BUILD ", 29, 17};
            buttons[1] = {" DONE ", 51, 17};
            bodyWidth = BUILD_BODY_WIDTH;
        }
        if (BuildKeptDialog(pKept, buttons, 2, bodyWidth, ppItems, count, ppList, pfnUpdate) != 0)
            return 1;
    } else if (PrepareList(pKept->pBody, ppItems, count, ppList) != 0) {
        return 1;
    }
    if (mode == LIST_MODE_BUILD)
        DrawResourcesPanel(pKept->pBody, g_pSelPlanet);

    ListContext context = {ppItems, count, ppList, mode == LIST_MODE_BUILD};
    SetDialogUpdate(pKept->pDialog, pfnUpdate, &context);
    Button *pChosen = RunDialog(pKept->pDialog);
    SetDialogUpdate(pKept->pDialog, pfnUpdate, nullptr);

    if (!pChosen || pChosen != pKept->ppButtons[0]) {
        FreeKeptDialog(pKept);
        return 1;
    }
    if (mode != LIST_MODE_BUILD)
        FreeKeptDialog(pKept);
    return 0;
}

int RunShipBuildDialog(Button **ppItems, int count, Scroller **ppList, DialogUpdate pfnUpdate, Structure *pShipyard)
{
    V_ASSERT(ppList != NULL);
    KeptDialog *pKept = &s_shipDialog;
    if (!pKept->pDialog) {
        const ButtonPlace buttons[3] = {{" BUILD ", 29, 17}, {" QUEUE ", 40, 17}, {" DONE  ", 51, 17}};
        if (BuildKeptDialog(pKept, buttons, 3, BUILD_BODY_WIDTH, ppItems, count, ppList, pfnUpdate) != 0)
            return SHIP_DIALOG_DONE;
    } else if (PrepareList(pKept->pBody, ppItems, count, ppList) != 0) {
        return SHIP_DIALOG_DONE;
    }
    DrawResourcesPanel(pKept->pBody, g_pSelPlanet);

    ListContext context = {ppItems, count, ppList, 1};
    SetDialogUpdate(pKept->pDialog, pfnUpdate, &context);
    Button *pChosen = RunDialog(pKept->pDialog);
    SetDialogUpdate(pKept->pDialog, pfnUpdate, nullptr);

    if (pChosen && pChosen == pKept->ppButtons[0])
        return SHIP_DIALOG_BUILD;
    if (pChosen && pChosen == pKept->ppButtons[1]) {
        if (pShipyard && BuildQueueCount(pShipyard->m_pQueue) >= 1) {
            ShowBuildQueueDialog(pShipyard);
            ListSelectionReset(&g_shipList, *ppList, ppItems, count);
            BlitAt(pKept->pBody, (*ppList)->m_pView, 1, 1, nullptr);
        }
        return SHIP_DIALOG_QUEUE;
    }
    FreeKeptDialog(pKept);
    return SHIP_DIALOG_DONE;
}

/* The shipyard queue dialog. */

// Its list (the dialog's user pointer) scrolls with the bars and the wheel; the queue can be far
// longer than the view.
static int QueueListUpdate(Dialog *pDialog)
{
    Scroller *pList = (Scroller *)pDialog->m_pUser;
    if (pList && g_inputState.m_nKind == INPUT_KIND_MOUSE) {
        MouseState mouse = MouseStateFromInput();
        HandleScrollerMouse(&mouse, mouse.m_nX - pDialog->m_x - 1, mouse.m_nY - pDialog->m_y - 1, pList, 1, 1,
                            pDialog->m_pContent, nullptr);
    }
    return pDialog->m_cButtons;
}

static const Ship *ShipInfoOf(int type)
{
    int index = type - V_TYPE_SHIP_DRONE;
    if (!g_ppShipInfo || index < 0 || index >= BUILD_LIST_ITEMS)
        return nullptr;
    return g_ppShipInfo[index];
}

// Name and progress bar of every node, two rows each.
static Surface *MakeQueueContent(const BuildQueue *pQueue, int cNode)
{
    Surface *pContent = CreateSurface(LIST_ITEM_WIDTH, 2 * cNode);
    FillSurface(pContent, LIST_FILL_CELL);
    int k = 0;
    for (const BuildNode *pNode = pQueue->m_pFirst; pNode && k < cNode; pNode = pNode->m_pNext, k++) {
        const Ship *pInfo = ShipInfoOf(pNode->m_eType);
        Coord nameAt = {0, 2 * k};
        DrawText(pInfo && pInfo->m_pName ? pInfo->m_pName : "Undocumented Ship", TEXT_ATTR, pContent, &nameAt);
        double fraction = 0.0;
        int turns = pInfo ? ShipTemplateBuildTurns(pInfo) : 0;
        if (turns > 0)
            fraction = (double)(turns - pNode->m_iTurns) / (double)turns;
        Surface *pBar = MakeProgressBar(fraction, QUEUE_BAR_ATTR, LIST_ITEM_WIDTH);
        BlitAt(pContent, pBar, 0, 2 * k + 1, &SHADE_CELL);
        DestroySurface(&pBar);
    }
    return pContent;
}

static Button *MakeArrowButton(unsigned char ch, int x, int y)
{
    Surface *pImage = CreateSurface(1, 1);
    FillSurface(pImage, Cell{ch, QUEUE_ARROW_ATTR});
    Cell *pTrans = (Cell *)malloc(sizeof(Cell));
    *pTrans = SHADE_CELL;
    Sprite *pSprite = CreateSprite(pImage, x, y, pTrans);
    Button *pButton = nullptr;
    if (CreateButton(&pButton, pSprite, nullptr, 0, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr) != 0)
        DestroySprite(&pSprite);
    return pButton;
}

void ShowBuildQueueDialog(Structure *pShipyard)
{
    if (!pShipyard || !pShipyard->m_pQueue)
        return;
    BuildQueue *pQueue = pShipyard->m_pQueue;
    int cNode = 0;
    for (const BuildNode *pNode = pQueue->m_pFirst; pNode; pNode = pNode->m_pNext)
        cNode++;
    if (cNode == 0)
        return;

    KeptDialog queue = {};
    // " EXIT " is made seven cells long: its label ends in one blank cell.
    FrameStyle *pButtonStyle = nullptr;
    CreateBoxStyle(&pButtonStyle, QUEUE_BUTTON_ATTR);
    Coord exitAt = {41, 17};
    CreateButton(&queue.ppButtons[0], nullptr, nullptr, 0, 0, nullptr, " EXIT ", 7, pButtonStyle, &exitAt, nullptr);
    DestroyFrameStyle(&pButtonStyle);
    queue.ppButtons[1] = MakeArrowButton('^', 41, 5);
    queue.ppButtons[2] = MakeArrowButton('^', 41, 7);
    queue.ppButtons[3] = MakeArrowButton('v', 41, 9);
    queue.ppButtons[4] = MakeArrowButton('V', 41, 11);
    queue.cButtons = 5;
    for (int i = 0; i < queue.cButtons; i++) {
        if (!queue.ppButtons[i]) {
            FreeKeptDialog(&queue);
            return;
        }
    }

    queue.pBody = CreateSurface(QUEUE_BODY_WIDTH, DIALOG_BODY_HEIGHT);
    FillSurface(queue.pBody, SHADE_CELL);
    Surface *pContent = MakeQueueContent(pQueue, cNode);
    Scroller *pList = nullptr;
    if (CreateScroller(&pList, LIST_VIEW_WIDTH, LIST_VIEW_HEIGHT, pContent, 0, 0) != 0) {
        DestroySurface(&pContent);
        FreeKeptDialog(&queue);
        return;
    }
    BlitAt(queue.pBody, pList->m_pView, 1, 1, nullptr);
    queue.pFrameStyle = CreateDialogFrameStyle(QUEUE_FRAME_ATTR);
    if (CreateDialog(&queue.pDialog, queue.pFrameStyle, queue.pBody, nullptr, queue.ppButtons, queue.cButtons,
                     nullptr, QueueListUpdate) == 0) {
        SetDialogUpdate(queue.pDialog, QueueListUpdate, pList);
        Button *pChosen = RunDialog(queue.pDialog);
        // The ship in production stays where it is unless the one after it is moved past it.
        BuildNode *pSecond = pQueue->m_pFirst ? pQueue->m_pFirst->m_pNext : nullptr;
        if (pSecond && pChosen == queue.ppButtons[1])
            BuildQueueMoveFirst(pSecond, pQueue);
        else if (pSecond && pChosen == queue.ppButtons[2])
            BuildQueueMoveUp(pSecond, pQueue);
        else if (pSecond && pChosen == queue.ppButtons[3])
            BuildQueueMoveDown(pSecond, pQueue);
        else if (pSecond && pChosen == queue.ppButtons[4])
            BuildQueueMoveLast(pSecond, pQueue);
    }
    DestroyListView(&pList);
    FreeKeptDialog(&queue);
}

/* The planet panel's build entry points. */

static int EnsureShipList(void)
{
    if (s_ppShipItems)
        return 0;
    const char *names[BUILD_LIST_ITEMS];
    for (int i = 0; i < BUILD_LIST_ITEMS; i++)
        names[i] = ShipTypeName(V_TYPE_SHIP_DRONE + i);
    return MakeListItems(&s_ppShipItems, names, BUILD_LIST_ITEMS, LIST_ITEM_WIDTH, ITEM_ATTR);
}

static int EnsureStructList(void)
{
    if (s_ppStructItems)
        return 0;
    if (!g_ppStructInfo)
        return 1;
    const char *names[BUILD_LIST_ITEMS];
    for (int i = 0; i < BUILD_LIST_ITEMS; i++)
        names[i] = g_ppStructInfo[i] ? g_ppStructInfo[i]->m_pName : "";
    return MakeListItems(&s_ppStructItems, names, BUILD_LIST_ITEMS, LIST_ITEM_WIDTH, ITEM_ATTR);
}

void RunAddShip(void)
{
    Planet *pPlanet = g_pSelPlanet;
    if (!pPlanet || EnsureShipList() != 0)
        return;
    for (;;) {
        int result = RunShipBuildDialog(s_ppShipItems, BUILD_LIST_ITEMS, &s_pShipListView, ShipListUpdate,
                                        PlanetGetShipyard(pPlanet));
        if (result == SHIP_DIALOG_DONE)
            break;
        int index = g_shipList.m_iSelected;
        if (index >= 0 && index < BUILD_LIST_ITEMS) {
            PlanetQueueShips(pPlanet, V_TYPE_SHIP_DRONE + index);
            DrawResourcesPanel(s_shipDialog.pBody, pPlanet);
            ShowLogNow();
        }
    }
    CloseBuildDialogs();
    ListSelectionReset(&g_shipList, s_pShipListView, s_ppShipItems, BUILD_LIST_ITEMS);
}

void RunBuildStruct(void)
{
    Planet *pPlanet = g_pSelPlanet;
    if (!pPlanet)
        return;
    if (!PlanetCanBuildStructures(pPlanet) || EnsureStructList() != 0) {
        ShowLogNow();
        return;
    }
    while (RunListDialog(s_ppStructItems, BUILD_LIST_ITEMS, &s_pStructListView, LIST_MODE_BUILD, StructListUpdate) ==
           0) {
        int index = g_structList.m_iSelected;
        if (index >= 0 && index < BUILD_LIST_ITEMS && g_ppStructInfo && g_ppStructInfo[index]) {
            PlanetQueueStructure(pPlanet, g_ppStructInfo[index]->m_eType);
            DrawResourcesPanel(s_listDialog.pBody, pPlanet);
            ShowLogNow();
        }
    }
    CloseBuildDialogs();
    ListSelectionReset(&g_structList, s_pStructListView, s_ppStructItems, BUILD_LIST_ITEMS);
}

void FreeBuildLists(void)
{
    CloseBuildDialogs();
    DestroyListView(&s_pShipListView);
    DestroyListView(&s_pStructListView);
    FreeListItems(&s_ppShipItems, BUILD_LIST_ITEMS);
    FreeListItems(&s_ppStructItems, BUILD_LIST_ITEMS);
    g_shipList = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};
    g_structList = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};
}
