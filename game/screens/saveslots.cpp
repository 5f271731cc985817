#include "game/screens/saveslots.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/core/2dutils.h"
#include "game/core/console.h"
#include "game/screens/intro.h"
#include "game/screens/panels.h"
#include "game/ui/dialog.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"
#include "game/world/savefile.h"

namespace {
enum {
    SLOT_TEXT_ATTR = 12,
    NOTICE_ATTR = 11,
};

int s_chosen = SAVE_SLOT_NONE;   // kept between openings
bool s_bShowChosen = false;      // the dialog has just opened: the chosen slot is to be scrolled to
Button **s_ppItems = nullptr;    // the ten entries while the dialog is open
Scroller *s_pList = nullptr;
ListSelection s_selection;
}  // namespace

int SaveSlotChosen(void)
{
    return s_chosen;
}

void SaveSlotForget(void)
{
    s_chosen = SAVE_SLOT_NONE;
}

// "Save Slot N" and, on a line of its own, what the slot holds.
static void DescribeSlot(int slot, char *pText, size_t size)
{
    char fileName[64];
    SaveSlotFileName(slot, fileName, sizeof fileName);
    SlotInfo info = GetSlotInfo(fileName);
    int length = snprintf(pText, size, "%s%d\n", "Save Slot ", slot + 1);
    if (info.m_eState == SLOT_EMPTY) {
        snprintf(pText + length, size - (size_t)length, "  (empty)");
    } else if (info.m_eState == SLOT_UNREADABLE) {
        snprintf(pText + length, size - (size_t)length, "  (damaged)");
    } else {
        char when[32] = "";
        struct tm local;
        if (localtime_r(&info.m_savedAt, &local))
            strftime(when, sizeof when, "%d %b %H:%M", &local);
        // The turn the player was on, as the side panel showed it: the turns played, plus one. The
        // date has its own line: both on one would not fit the list's width from turn 10 on.
        snprintf(pText + length, size - (size_t)length, "  Turn %d\n  %s", info.m_iTurn + 1, when);
    }
}

// The title animation keeps moving behind the dialog when no game screen is shown; then the list
// takes its clicks, the one clicked becoming the chosen slot.
static int SaveSlotUpdate(Dialog *pDialog)
{
    if (g_wmViewMode == WM_MODE_NONE && g_pTitleBg)
        TitleScreenAnimation(pDialog);
    if (s_bShowChosen && s_pList && s_chosen < SAVE_SLOT_COUNT) {
        // The slot chosen before is brought into view once, so the player sees where SAVE or
        // LOAD without a click goes.
        const Sprite *pItem = s_ppItems[s_chosen]->m_pSprite;
        int below = pItem->m_y + pItem->m_pSurface->m_nHeight - s_pList->m_nScrollY - s_pList->m_pView->m_nHeight;
        if (below > 0) {
            ScrollVertical(s_pList, below + 1);
            RenderScroller(s_pList);
            Coord at = {1, 1};
            BlitSurface(&at, pDialog->m_pContent, s_pList->m_pView, nullptr);
        }
    }
    s_bShowChosen = false;
    if (s_pList) {
        Coord pos = {pDialog->m_x, pDialog->m_y};
        HandleListClick(pDialog->m_pContent, &pos, s_pList, s_ppItems, SAVE_SLOT_COUNT, &s_selection.m_bPressed,
                        &s_selection.m_pCurrent, &s_selection.m_iSelected, &s_selection.m_iPrevious, nullptr,
                        0);
        if (s_selection.m_iSelected >= 0 && s_selection.m_iSelected < SAVE_SLOT_COUNT)
            s_chosen = s_selection.m_iSelected;
    }
    return pDialog->m_cButtons;
}

// The notice shows on the presented screen while the file is written or read; the screen copy
// is put back at once, so the next frame shows what was there.
static void ShowNotice(const char *pText, bool bBlank)
{
    Surface *pCopy = CreateSurface(g_pScreen->m_nWidth, g_pScreen->m_nHeight);
    if (pCopy)
        memcpy(pCopy->m_pCells, g_pScreen->m_pCells, sizeof(Cell) * (size_t)g_pScreen->m_nWidth * (size_t)g_pScreen->m_nHeight);
    if (bBlank)
        FillSurface(g_pScreen, Cell{' ', NOTICE_ATTR});
    Coord at = {g_screenCentre.m_x - 5, g_screenCentre.m_y};
    DrawText(pText, NOTICE_ATTR, g_pScreen, &at);
    PresentScreen(g_pScreen);
    if (pCopy) {
        Coord origin = {0, 0};
        BlitSurface(&origin, g_pScreen, pCopy, nullptr);
        DestroySurface(&pCopy);
    }
}

static void SaveToSlot(int slot, Universe *pUniverse)
{
    char fileName[64], why[SAVE_ERROR_MAX], text[SAVE_ERROR_MAX + 160];
    SaveSlotFileName(slot, fileName, sizeof fileName);
    bool bHadSave = GetSlotInfo(fileName).m_eState != SLOT_EMPTY;
    ShowNotice("Saving...", false);
    if (SaveUniverse(fileName, pUniverse, why, sizeof why) == 0) {
        MessageBox("Game saved.");
        return;
    }
    snprintf(text, sizeof text, "The game was not saved in Save Slot %d: %s. %s", slot + 1, why,
             bHadSave ? "The save already there is kept." : "The slot stays empty.");
    MessageBox(text);
}

static Universe *LoadFromSlot(int slot)
{
    char fileName[64], why[SAVE_ERROR_MAX], text[SAVE_ERROR_MAX + 160];
    SaveSlotFileName(slot, fileName, sizeof fileName);
    bool bGame = g_wmViewMode != WM_MODE_NONE;
    ShowNotice("Loading...", !bGame);
    Universe *pLoaded = nullptr;
    int rc = LoadUniverse(fileName, &pLoaded, why, sizeof why);
    if (rc == 0)
        return pLoaded;
    if (rc == LOAD_EMPTY)
        snprintf(text, sizeof text, "Save Slot %d is empty.", slot + 1);
    else
        snprintf(text, sizeof text, "Save Slot %d cannot be loaded: %s. %s", slot + 1, why,
                 bGame ? "The game goes on as it was." : "Nothing was loaded.");
    MessageBox(text);
    return nullptr;
}

Universe *SaveSlotDialog(Universe *pUniverse)
{
    char texts[SAVE_SLOT_COUNT][96];
    const char *apTexts[SAVE_SLOT_COUNT];
    for (int i = 0; i < SAVE_SLOT_COUNT; i++) {
        DescribeSlot(i, texts[i], sizeof texts[i]);
        apTexts[i] = texts[i];
    }
    if (MakeListItems(&s_ppItems, apTexts, SAVE_SLOT_COUNT, LIST_ITEM_WIDTH, SLOT_TEXT_ATTR) != 0)
        return nullptr;
    // The slot chosen before is shown lit, so SAVE without a click says where it goes.
    s_selection = {SAVE_SLOT_COUNT, SAVE_SLOT_COUNT, 0, nullptr};
    if (s_chosen < SAVE_SLOT_COUNT) {
        ToggleButton(s_ppItems[s_chosen]);
        s_selection.m_iSelected = s_selection.m_iPrevious = s_chosen;
    }
    s_bShowChosen = true;
    int mode = pUniverse ? LIST_MODE_SAVE : LIST_MODE_LOAD;
    int result = RunListDialog(s_ppItems, SAVE_SLOT_COUNT, &s_pList, mode, SaveSlotUpdate);
    Universe *pLoaded = nullptr;
    if (result == 0 && s_chosen != SAVE_SLOT_NONE) {
        if (pUniverse)
            SaveToSlot(s_chosen, pUniverse);
        else
            pLoaded = LoadFromSlot(s_chosen);
    } else if (result == 0) {
        // Closing in silence would leave a player who pressed SAVE believing the game was kept.
        MessageBox(pUniverse ? "No save slot was chosen: the game was not saved."
                             : "No save slot was chosen: nothing was loaded.");
    }
    DestroyListView(&s_pList);
    FreeListItems(&s_ppItems, SAVE_SLOT_COUNT);
    s_selection = {SAVE_SLOT_COUNT, SAVE_SLOT_COUNT, 0, nullptr};
    return pLoaded;
}
