#include "game/screens/battlescreen.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "baseutilities/baselist.h"
#include "game/core/console.h"
#include "game/core/evqueue.h"
#include "game/core/evutils.h"
#include "game/core/input.h"
#include "game/ui/dialog.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"
#include "game/world/battle.h"
#include "game/world/company.h"
#include "game/world/weapon.h"
#include "platform/platform.h"

uint8_t g_battleHelpShown = 0;

namespace {

enum {
    TABLE_ATTR = 9,
    HP_SHOWN_MAX = 9999,        // the hit point column is four cells wide; repair has no ceiling
    TARGET_TABLE_X = 28,        // the enemy attackers' table on the target list
    TARGET_CANCEL_X = 33,
    BLOCK_TARGET_X = 29,        // the block target's column on the blocking screen
};

// The table's frame, in code page 437 box characters.
const char TABLE_TOP[] = "\xD5\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xD1\xCD\xCD\xCD\xCD\xCD\xD1\xCD\xCD\xCD\xCD\xD1"
                         "\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xB8";
const char TABLE_HEADER[] = "\xB3 name   \xB3 hp  \xB3" "dmg \xB3 type  \xB3";
const char TABLE_BOTTOM[] = "\xD4\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCF"
                            "\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBE";
const char RESULTS_BOTTOM[] = "\xD4\xCD\xCD\xCD\xCD\xCD\xCD[ OK ]\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xCD\xCD"
                              "\xCD\xCD\xBE";
const char BLOCK_TOP_LEFT[] = "\xD5\xCD[ Defender ]\xCD\xD1\xCD\xCD\xCD\xCD\xD1\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xD1";
const char BLOCK_TOP_RIGHT[] = "\xD1\xCD[ Attacker ]\xCD\xD1\xCD\xCD\xCD\xCD\xD1\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xB8";
const char BLOCK_NONE[] = "\xB3 choose a ship to block    \xB3";

const char HELP_SELECT[] =
    "Welcome Commander,\n    This is the \"Select Attackers\" screen.  To your left you see all your ships and "
    "structures available.  Clicking on one will move it to the right, ready to attack.  Remember, this is war "
    "Commander; anything not attacking will be defending, and will take damage.";
const char HELP_TARGETS[] =
    "Hello Commander,\n    To your left you see all the ships and structures you decided to tell to stay back "
    "and defend.  Clicking to the right of each unit will bring up a list of enemy attacking ships you can block.  "
    "Make every unit count; blocking an attacker will deal the defender's full damage to that attacker, and will "
    "draw all that attacker's fire.";
const char HELP_BLOCKING[] =
    "Commander,\n    This next screen will give you a list of attacking ships.  Clicking on a ship will order the "
    "defender to block it.  Clicking on Cancel will abort the defender's pending orders.";
const char HELP_RESULTS[] =
    "You have made it through at least one battle.  You should see your units under your name, and what their "
    "remaining health is.  Also, you can see the destruction you caused your enemy under the other name.";

// True when the box was shown: a screen that guards its first second starts the guard again then,
// so that a double click on the box's OK does not land on the screen behind it.
bool ShowHelpOnce(uint8_t bit, const char *pText)
{
    if (g_battleHelpShown & bit)
        return false;
    MessageBox(pText);
    g_battleHelpShown |= bit;
    return true;
}

Surface *BlankSurface(int width, int height)
{
    Surface *pSurface = CreateSurface(width, height);
    if (pSurface)
        FillSurface(pSurface, Cell{' ', TABLE_ATTR});
    return pSurface;
}

// Text is clipped to the surface by the blit, so nothing is ever drawn outside it.
void PutText(Surface *pSurface, int x, int y, const char *pText)
{
    Coord at = {x, y};
    DrawText(pText, TABLE_ATTR, pSurface, &at);
}

void PutUnitRow(Surface *pSurface, int x, int y, const BattleUnit *pUnit)
{
    char row[UNIT_TABLE_WIDTH + 1];
    UnitRowText(pUnit, row);
    PutText(pSurface, x, y, row);
}

BattleUnit *UnitAt(List *pList, int index)
{
    if (index < 0 || index >= pList->m_cItem)
        return nullptr;
    ListNode *pNode = pList->m_pHead;
    for (int i = 0; i < index; i++)
        pNode = pNode->m_pNext;
    return (BattleUnit *)pNode->m_pData;
}

// What a screen found on the game screen and puts back on return: the main view's content and
// scroll, and the bar and panel buttons, which are hidden while it runs.
struct Layout {
    Surface *pMain;
    int scrollX, scrollY;
    int cBar, cSide;
};

bool TakeOverScreen(Layout *pLayout)
{
    if (!g_pScreen || g_wmViewMode != WM_MODE_ONE_VIEW || !g_pMainView)
        return false;
    *pLayout = Layout{g_pMainView->m_pContent, g_pMainView->m_nScrollX, g_pMainView->m_nScrollY, g_cBarButtons,
                      g_cSideButtons};
    SetBarButtonCount(0);
    SetSideButtonCount(0);
    ClearEventQueue(&g_eventQueue);
    return true;
}

// The events still queued point at the screen's pictures, which are about to go. The main view is
// drawn back at once: a message box of the next screen saves what is under it before any frame.
void GiveBackScreen(const Layout &layout)
{
    ClearEventQueue(&g_eventQueue);
    SetMainView(layout.pMain);
    g_pMainView->m_nScrollX = layout.scrollX;
    g_pMainView->m_nScrollY = layout.scrollY;
    RenderScroller(g_pMainView);
    Coord origin = {0, 0};
    BlitSurface(&origin, g_pScreen, g_pMainView->m_pView, nullptr);
    SetBarButtonCount(layout.cBar);
    SetSideButtonCount(layout.cSide);
}

// The click guards of one screen, on the millisecond clock.
struct Guards {
    uint32_t start;             // when the screen began
    uint32_t startGuard;        // clicks before start + this are ignored
    uint32_t lastHandled;       // when the last handled click was taken
    bool bHandled;              // a click was handled
};

Guards MakeGuards(uint32_t startGuard)
{
    return Guards{PlatformMilliseconds(), startGuard, 0, false};
}

void MarkHandled(Guards *pGuards)
{
    pGuards->lastHandled = PlatformMilliseconds();
    pGuards->bHandled = true;
}

struct Click {
    Surface *pSurface;          // the content clicked
    int x, y;                   // in that content's own cells
};

// Takes the next event; 1 with the click when it is a left click that the guards let through.
bool TakeClick(Guards *pGuards, Click *pClick)
{
    EventNode *pNode = PopEvent(&g_eventQueue);
    if (!pNode)
        return false;
    bool bTaken = false;
    const MouseEventData *pData = (const MouseEventData *)pNode->m_pData;
    if (pNode->m_nType == EV_LEFT_BUTTON && pData) {
        uint32_t now = PlatformMilliseconds();
        bool bEarly = now - pGuards->start < pGuards->startGuard;
        bool bTooSoon = pGuards->bHandled && now - pGuards->lastHandled < BATTLE_CLICK_GUARD_MS;
        if (!bEarly && !bTooSoon) {
            *pClick = Click{pData->m_pSurface, pData->m_x, pData->m_y};
            bTaken = true;
        }
    }
    FreeEvent(pNode);
    return bTaken;
}

// The rest of a pass: the window manager draws the views and takes input, the frame is shown and
// the rest of the 16 ms waited out.
void FinishPass(uint32_t deadline)
{
    UpdateWindowManager(&g_eventQueue);
    PresentScreen(g_pScreen);
    FrameWait(deadline);
}

// Shows new pictures in the two views, keeping how far each was scrolled, and frees the old ones.
// When memory ran out for either, the old ones stay.
void ShowTwoPanels(Surface **ppLeft, Surface *pNewLeft, Surface **ppRight, Surface *pNewRight)
{
    if (!pNewLeft || !pNewRight) {
        DestroySurface(&pNewLeft);
        DestroySurface(&pNewRight);
        return;
    }
    int leftY = g_pLeftView ? g_pLeftView->m_nScrollY : 0;
    int rightY = g_pRightView ? g_pRightView->m_nScrollY : 0;
    SetLeftView(pNewLeft);
    SetRightView(pNewRight);
    ScrollVertical(g_pLeftView, leftY);
    ScrollVertical(g_pRightView, rightY);
    DestroySurface(ppLeft);
    DestroySurface(ppRight);
    *ppLeft = pNewLeft;
    *ppRight = pNewRight;
    ClearEventQueue(&g_eventQueue);
}

void MoveUnit(List *pFrom, int index, List *pTo)
{
    if (index >= 0 && index < pFrom->m_cItem)
        ListAppend(pTo, ListRemoveAt(pFrom, index));
}

// ---------------------------------------------------------------------------------------------
// The results tables

Surface *ResultsPanel(List *pAttack, List *pRest)
{
    int n = pAttack->m_cItem + pRest->m_cItem;
    Surface *pPanel = BlankSurface(UNIT_TABLE_WIDTH, n + 3);
    if (!pPanel)
        return nullptr;
    PutText(pPanel, 0, 0, TABLE_TOP);
    List *pNamed = ListIsEmpty(pAttack) ? pRest : pAttack;
    const Company *pOwner = ListIsEmpty(pNamed) ? nullptr : BattleUnitOwner((BattleUnit *)pNamed->m_pHead->m_pData);
    std::string caption = std::string("< ") + (pOwner && pOwner->m_pName ? pOwner->m_pName : "") + " >";
    PutText(pPanel, 8, 0, caption.c_str());
    PutText(pPanel, 0, 1, TABLE_HEADER);
    int row = 2;
    for (List *pList : {pAttack, pRest})
        for (ListNode *pNode = pList->m_pHead; pNode; pNode = pNode->m_pNext)
            PutUnitRow(pPanel, 0, row++, (const BattleUnit *)pNode->m_pData);
    PutText(pPanel, 0, row, RESULTS_BOTTOM);
    return pPanel;
}

// ---------------------------------------------------------------------------------------------
// The blocking screen's pictures

Surface *BlockingDialog(List *pRest)
{
    int n = pRest->m_cItem;
    Surface *pDialog = BlankSurface(g_pScreen->m_nWidth - 16, n + 2);
    if (!pDialog)
        return nullptr;
    PutText(pDialog, 0, 0, BLOCK_TOP_LEFT);
    PutText(pDialog, BLOCK_TARGET_X, 0, BLOCK_TOP_RIGHT);
    int row = 1;
    for (ListNode *pNode = pRest->m_pHead; pNode; pNode = pNode->m_pNext, row++) {
        const BattleUnit *pUnit = (const BattleUnit *)pNode->m_pData;
        PutUnitRow(pDialog, 0, row, pUnit);
        if (pUnit->m_pBlockTarget)
            PutUnitRow(pDialog, BLOCK_TARGET_X, row, pUnit->m_pBlockTarget);
        else
            PutText(pDialog, BLOCK_TARGET_X, row, BLOCK_NONE);
    }
    std::string bottom = std::string(TABLE_BOTTOM) + TABLE_BOTTOM;
    PutText(pDialog, 0, row, bottom.c_str());
    PutText(pDialog, 5, row, "[ Finished ]");
    return pDialog;
}

Surface *TargetDialog(List *pEnemyAttack, int width)
{
    int n = pEnemyAttack->m_cItem;
    Surface *pDialog = BlankSurface(width, n + 3);
    if (!pDialog)
        return nullptr;
    PutText(pDialog, TARGET_TABLE_X, 0, TABLE_TOP);
    PutText(pDialog, TARGET_TABLE_X, 1, TABLE_HEADER);
    int row = 2;
    for (ListNode *pNode = pEnemyAttack->m_pHead; pNode; pNode = pNode->m_pNext)
        PutUnitRow(pDialog, TARGET_TABLE_X, row++, (const BattleUnit *)pNode->m_pData);
    PutText(pDialog, TARGET_TABLE_X, row, TABLE_BOTTOM);
    PutText(pDialog, TARGET_CANCEL_X, row, "[ Cancel ]");
    return pDialog;
}

// Puts a new picture into the main view and frees the one it replaces.
void ShowInMainView(Surface **ppShown, Surface *pNew)
{
    if (!pNew)
        return;
    SetMainView(pNew);
    DestroySurface(ppShown);
    *ppShown = pNew;
    ClearEventQueue(&g_eventQueue);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pictures

void UnitRowText(const BattleUnit *pUnit, char *pOut)
{
    int hp = BattleUnitHp(pUnit);
    hp = hp < 1 ? 0 : (hp > HP_SHOWN_MAX ? HP_SHOWN_MAX : hp);
    const Weapon *pWeapon = BattleUnitWeapon(pUnit);
    int damage = pWeapon ? pWeapon->m_iDamage : 0;
    const char *pKind = WeaponKindLabel(pWeapon ? pWeapon->m_eKind : WEAPON_NONE);
    snprintf(pOut, UNIT_TABLE_WIDTH + 1, "\xB3 %6.6s \xB3%4d \xB3%3d \xB3 %-5.5s \xB3", BattleUnitName(pUnit), hp,
             damage, pKind);
}

Surface *UnitTablePanel(List *pUnits, const char *pCaption, const char *pButtonLabel)
{
    int n = pUnits ? pUnits->m_cItem : 0;
    Surface *pPanel = BlankSurface(UNIT_TABLE_WIDTH, n + 3);
    if (!pPanel)
        return nullptr;
    PutText(pPanel, 0, 0, TABLE_TOP);
    PutText(pPanel, 0, 1, TABLE_HEADER);
    int row = 2;
    for (ListNode *pNode = pUnits ? pUnits->m_pHead : nullptr; pNode; pNode = pNode->m_pNext)
        PutUnitRow(pPanel, 0, row++, (const BattleUnit *)pNode->m_pData);
    PutText(pPanel, 0, row, TABLE_BOTTOM);
    PutText(pPanel, 5, row, (std::string("[ ") + pButtonLabel + " ]").c_str());
    PutText(pPanel, 7 + (int)strlen(pButtonLabel), 0, (std::string("< ") + pCaption + " >").c_str());
    return pPanel;
}

// ---------------------------------------------------------------------------------------------
// The screens

int SelectAttackersScreen(List *pRest, List *pAttack)
{
    Layout layout;
    if (!pRest || !pAttack || !TakeOverScreen(&layout))
        return 0;
    Surface *pLeft = nullptr, *pRight = nullptr;
    ShowTwoPanels(&pLeft, UnitTablePanel(pRest, "Defenders", "OK"), &pRight,
                  UnitTablePanel(pAttack, "Attackers", "Reset"));
    Guards guards = MakeGuards(0);
    for (bool bDone = false, bFirst = true; !bDone && pLeft && pRight; bFirst = false) {
        uint32_t deadline = FrameDeadline();
        Click click;
        if (TakeClick(&guards, &click) && (click.pSurface == pLeft || click.pSurface == pRight)) {
            bool bLeft = click.pSurface == pLeft;
            int lastRow = (bLeft ? pLeft : pRight)->m_nHeight - 1;
            bool bHandled = true;
            if (bLeft && click.y == lastRow)
                bDone = true;
            else if (click.y > 1 && click.y < lastRow)
                MoveUnit(bLeft ? pRest : pAttack, click.y - 2, bLeft ? pAttack : pRest);
            else if (!bLeft && click.y == lastRow)
                while (!ListIsEmpty(pAttack))
                    ListAppend(pRest, QueuePop(pAttack));
            else
                bHandled = false;
            if (bHandled && !bDone) {
                MarkHandled(&guards);
                ShowTwoPanels(&pLeft, UnitTablePanel(pRest, "Defenders", "OK"), &pRight,
                              UnitTablePanel(pAttack, "Attackers", "Reset"));
            }
        }
        FinishPass(deadline);
        if (bFirst)
            ShowHelpOnce(BATTLE_HELP_SELECT, HELP_SELECT);
    }
    GiveBackScreen(layout);
    DestroySurface(&pLeft);
    DestroySurface(&pRight);
    return 1;
}

BattleUnit *ChooseBlockTargetScreen(List *pEnemyAttack)
{
    Layout layout;
    if (!pEnemyAttack || !TakeOverScreen(&layout))
        return nullptr;
    int n = pEnemyAttack->m_cItem;
    Surface *pDialog = nullptr;
    ShowInMainView(&pDialog, TargetDialog(pEnemyAttack, layout.pMain->m_nWidth));
    Guards guards = MakeGuards(BATTLE_START_GUARD_MS);
    BattleUnit *pChosen = nullptr;
    for (bool bDone = false, bFirst = true; !bDone && pDialog; bFirst = false) {
        uint32_t deadline = FrameDeadline();
        Click click;
        if (TakeClick(&guards, &click) && click.pSurface == pDialog) {
            if (click.y >= n + 2) {
                bDone = true;
            } else if (click.y >= 2) {
                pChosen = UnitAt(pEnemyAttack, click.y - 2);
                bDone = true;
            }
        }
        FinishPass(deadline);
        if (bFirst && ShowHelpOnce(BATTLE_HELP_TARGETS, HELP_TARGETS))
            guards = MakeGuards(BATTLE_START_GUARD_MS);
    }
    GiveBackScreen(layout);
    DestroySurface(&pDialog);
    return pChosen;
}

int BlockingScreen(List *pRest, List *pEnemyAttack)
{
    Layout layout;
    if (!pRest || !pEnemyAttack || !TakeOverScreen(&layout))
        return 0;
    ShowHelpOnce(BATTLE_HELP_BLOCKING, HELP_BLOCKING);
    int n = pRest->m_cItem;
    Surface *pDialog = nullptr;
    ShowInMainView(&pDialog, BlockingDialog(pRest));
    Guards guards = MakeGuards(BATTLE_START_GUARD_MS);
    for (bool bDone = false; !bDone && pDialog;) {
        uint32_t deadline = FrameDeadline();
        Click click;
        if (TakeClick(&guards, &click) && click.pSurface == pDialog) {
            int row = click.y - 1;
            int half = pDialog->m_nWidth / 2;
            if (click.x > half && row >= 0 && row < n) {
                BattleUnit *pUnit = UnitAt(pRest, row);
                pUnit->m_pBlockTarget = ChooseBlockTargetScreen(pEnemyAttack);
                MarkHandled(&guards);
                // A long line-up stays scrolled where the player was working in it.
                int scrollX = g_pMainView->m_nScrollX, scrollY = g_pMainView->m_nScrollY;
                ShowInMainView(&pDialog, BlockingDialog(pRest));
                ScrollHorizontal(g_pMainView, scrollX - g_pMainView->m_nScrollX);
                ScrollVertical(g_pMainView, scrollY - g_pMainView->m_nScrollY);
            } else if (click.x <= half && row == n) {
                bDone = true;
            }
        }
        FinishPass(deadline);
    }
    GiveBackScreen(layout);
    DestroySurface(&pDialog);
    return 1;
}

void ResultsScreen(List *pAttack1, List *pRest1, List *pAttack2, List *pRest2)
{
    Layout layout;
    if (!pAttack1 || !pRest1 || !pAttack2 || !pRest2 || !TakeOverScreen(&layout))
        return;
    Surface *pLeft = nullptr, *pRight = nullptr;
    ShowTwoPanels(&pLeft, ResultsPanel(pAttack1, pRest1), &pRight, ResultsPanel(pAttack2, pRest2));
    Guards guards = MakeGuards(BATTLE_START_GUARD_MS);
    for (bool bDone = false, bFirst = true; !bDone && pLeft && pRight; bFirst = false) {
        uint32_t deadline = FrameDeadline();
        Click click;
        if (TakeClick(&guards, &click) && (click.pSurface == pLeft || click.pSurface == pRight))
            bDone = click.y == click.pSurface->m_nHeight - 1;
        FinishPass(deadline);
        if (bFirst && ShowHelpOnce(BATTLE_HELP_RESULTS, HELP_RESULTS))
            guards = MakeGuards(BATTLE_START_GUARD_MS);
    }
    GiveBackScreen(layout);
    DestroySurface(&pLeft);
    DestroySurface(&pRight);
}

// ---------------------------------------------------------------------------------------------
// The seam

void BattleScreensInstall(void)
{
    static const BattleScreens s_screens = {SelectAttackersScreen, BlockingScreen, ResultsScreen};
    BattleSetScreens(&s_screens);
}

void BattleScreensUninstall(void)
{
    BattleSetScreens(nullptr);
}
