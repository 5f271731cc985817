// battlescreen: the player's side of a battle. Select Attackers and the results put two unit
// tables into the game screen's two views; the blocking screen and its pop-up list of enemy
// attackers replace the main view's content. Each runs its own 16 ms frame loop on the main event
// queue inside the battle step, with the bar and panel buttons hidden, and restores the layout it
// found. The battle module reaches them through the hooks BattleScreensInstall sets; the lists
// they edit belong to the battle.
#pragma once

#include <cstdint>

struct List;
struct Surface;
struct BattleUnit;

enum {
    UNIT_TABLE_WIDTH = 29,      // cells of a unit row and of the table's frame
    BATTLE_CLICK_GUARD_MS = 250,  // clicks after a handled one are ignored this long
    BATTLE_START_GUARD_MS = 1000, // the blocking, target and results screens ignore clicks this long
};

// Help texts already shown in this program run: one bit each.
enum {
    BATTLE_HELP_SELECT = 1,
    BATTLE_HELP_TARGETS = 2,
    BATTLE_HELP_BLOCKING = 4,
    BATTLE_HELP_RESULTS = 8,
};
extern uint8_t g_battleHelpShown;

/* The seam. */
// Hooks the screens below into the battle module; null hooks are installed by the uninstall.
void BattleScreensInstall(void);
void BattleScreensUninstall(void);

/* Pictures. */
// The unit's row, exactly UNIT_TABLE_WIDTH cells: name (6), hit points (0 below 1, at most 9999),
// weapon damage and the label of its kind. pOut holds at least UNIT_TABLE_WIDTH + 1 bytes.
void UnitRowText(const BattleUnit *pUnit, char *pOut);
// The units in a frame UNIT_TABLE_WIDTH wide and n + 3 high, the button label on the bottom row
// and the caption on the top one. The caller destroys it.
Surface *UnitTablePanel(List *pUnits, const char *pCaption, const char *pButtonLabel);

/* The screens. Each returns when the player is done; the choice hooks return 0 without a game
   screen to show them on. */
int SelectAttackersScreen(List *pRest, List *pAttack);
int BlockingScreen(List *pRest, List *pEnemyAttack);
// The chosen enemy attacker, or null when cancelled.
BattleUnit *ChooseBlockTargetScreen(List *pEnemyAttack);
void ResultsScreen(List *pAttack1, List *pRest1, List *pAttack2, List *pRest2);
