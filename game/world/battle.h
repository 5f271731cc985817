// battle: fights between a fleet and what it meets. A battle holds two sides of units (ships and
// structures), each split into attackers and units that stay back and may block an enemy
// attacker; one pass of fire, without randomness, lowers hit points, then losses are marked, both
// fleets sent home and morale moved. Battles wait in the pending list until both sides have
// chosen, then in the ready list until ResolveBattles fights them. The fleet update reaches this
// module through its encounter handler, which BattleInit installs; the end of the turn calls
// ResolveBattles once more. The player's choices come from the battle screens through the hooks
// they install; without them the player's side is chosen by the computer's rules, so a world run
// without screens never stops. Never draws.
#pragma once

#include <cstdint>

struct List;
struct Ship;
struct Structure;
struct Fleet;
struct Planet;
struct Company;
struct Weapon;

struct BattleUnit {
    int m_eType;                 // a ship type 16..24 or a structure type 6..15
    void *m_pObject;             // the Ship or Structure; not owned
    BattleUnit *m_pBlockTarget;  // the enemy attacker this unit blocks, or null
};

struct Battle {
    List *m_pRest1;              // of BattleUnit: side 1's units staying back; owned with the units
    List *m_pAttack1;            // side 1's attackers
    List *m_pRest2;              // the same for side 2
    List *m_pAttack2;
    uint8_t m_bChosen1;          // 1 once side 1's attackers are chosen
    uint8_t m_bChosen2;
};

// Battles waiting for both sides' choices, and battles ready to be fought. Null before BattleInit.
extern List *g_pPendingBattles;
extern List *g_pReadyBattles;

/* Units. Null when memory ran out. */
BattleUnit *BattleUnitFromShip(Ship *pShip);
BattleUnit *BattleUnitFromStructure(Structure *pStructure);
void BattleUnitDestroy(BattleUnit **ppUnit);

/* What a unit shows and fights with, for ships and structures alike. */
const char *BattleUnitName(const BattleUnit *pUnit);
int BattleUnitHp(const BattleUnit *pUnit);
Weapon *BattleUnitWeapon(const BattleUnit *pUnit);
Company *BattleUnitOwner(const BattleUnit *pUnit);
int BattleUnitFirepower(const BattleUnit *pUnit);

/* Lifecycle of the battle lists. */
// Creates the two lists when they do not exist yet and installs the fleet's encounter handler.
void BattleInit(void);
// Frees every battle still waiting, the lists themselves, and uninstalls the encounter handler.
void BattleShutdown(void);
// Makes a battle of two non-empty unit lists (the battle takes them and their units) and appends it
// to the pending list. Returns 0; 1 (and frees the lists with their units) for an empty or null
// side, when BattleInit has not run, or when memory ran out.
int BattleStart(List *pSide1, List *pSide2);
// A ship or structure about to be freed leaves every battle still waiting: its unit is dropped and
// the blocks aimed at it are lifted; a battle left with an empty side is dropped whole. ShipDestroy
// and StructureDestroy call it, so no battle ever reads a freed object.
void BattleForgetObject(const void *pObject);

/* The battle step and its stages. */
void ResolveBattles(void);
void ChooseAttackers1(Battle *pBattle);
void ChooseAttackers2(Battle *pBattle);
void AssignBlocks1(Battle *pBattle);
void AssignBlocks2(Battle *pBattle);
// The pass of fire; takes the battle out of the ready list.
void ResolveBattle(Battle *pBattle);
// 1 when the side belongs to the player: the first attacker's owner, or the first resting unit's
// when nothing attacks, is not run by the computer.
int SideIsHuman(List *pAttack, List *pRest);

// The fleet's encounter handler: side 1 the fleet's ships; side 2 the enemy fleet's ships and, at a
// planet, the planet's standing structures in array order. Starts the battle and resolves at once.
void BattleEncounter(Fleet *pFleet, Fleet *pEnemyFleet, Planet *pPlanet);

/* The screens' seam. Each member may be null; a choice hook returns 0 when it could not run (no
   game screen), and the computer's rule then chooses for the player. */
struct BattleScreens {
    int (*pfnSelectAttackers)(List *pRest, List *pAttack);
    int (*pfnBlocking)(List *pRest, List *pEnemyAttack);
    void (*pfnResults)(List *pAttack1, List *pRest1, List *pAttack2, List *pRest2);
};
// Copies the hooks; null removes them.
void BattleSetScreens(const BattleScreens *pScreens);
