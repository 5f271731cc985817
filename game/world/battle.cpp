#include "game/world/battle.h"

#include <climits>
#include <cstdlib>
#include <initializer_list>

#include "baseutilities/baselist.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/weapon.h"
#include "game/world/world.h"

List *g_pPendingBattles = nullptr;
List *g_pReadyBattles = nullptr;

static BattleScreens s_screens = {};
static bool s_bResolving = false;   // ResolveBattles is running: a nested call does nothing

enum {
    LOSS_PER_SHIP = 5,
    LOSS_PER_STRUCTURE = 10,
};

void BattleSetScreens(const BattleScreens *pScreens)
{
    s_screens = pScreens ? *pScreens : BattleScreens{};
}

// ---------------------------------------------------------------------------------------------
// Units

static BattleUnit *MakeUnit(int type, void *pObject)
{
    if (!pObject)
        return nullptr;
    BattleUnit *pUnit = (BattleUnit *)calloc(1, sizeof(BattleUnit));
    if (!pUnit)
        return nullptr;
    pUnit->m_eType = type;
    pUnit->m_pObject = pObject;
    return pUnit;
}

BattleUnit *BattleUnitFromShip(Ship *pShip)
{
    return pShip ? MakeUnit(pShip->m_eType, pShip) : nullptr;
}

BattleUnit *BattleUnitFromStructure(Structure *pStructure)
{
    return pStructure ? MakeUnit(pStructure->m_eType, pStructure) : nullptr;
}

void BattleUnitDestroy(BattleUnit **ppUnit)
{
    if (!ppUnit || !*ppUnit)
        return;
    free(*ppUnit);
    *ppUnit = nullptr;
}

static Ship *UnitShip(const BattleUnit *pUnit)
{
    return pUnit && TypeIsShip(pUnit->m_eType) ? (Ship *)pUnit->m_pObject : nullptr;
}

static Structure *UnitStructure(const BattleUnit *pUnit)
{
    return pUnit && TypeIsStructure(pUnit->m_eType) ? (Structure *)pUnit->m_pObject : nullptr;
}

static Armor *UnitArmor(const BattleUnit *pUnit)
{
    if (Ship *pShip = UnitShip(pUnit))
        return pShip->m_pArmor;
    if (Structure *pStructure = UnitStructure(pUnit))
        return pStructure->m_pArmor;
    return nullptr;
}

const char *BattleUnitName(const BattleUnit *pUnit)
{
    const char *pName = nullptr;
    if (Ship *pShip = UnitShip(pUnit))
        pName = pShip->m_pName;
    else if (Structure *pStructure = UnitStructure(pUnit))
        pName = pStructure->m_pName;
    return pName ? pName : "";
}

int BattleUnitHp(const BattleUnit *pUnit)
{
    Armor *pArmor = UnitArmor(pUnit);
    return pArmor ? pArmor->m_iHp : 0;
}

Weapon *BattleUnitWeapon(const BattleUnit *pUnit)
{
    if (Ship *pShip = UnitShip(pUnit))
        return pShip->m_pWeapon;
    if (Structure *pStructure = UnitStructure(pUnit))
        return pStructure->m_pWeapon;
    return nullptr;
}

Company *BattleUnitOwner(const BattleUnit *pUnit)
{
    if (Ship *pShip = UnitShip(pUnit))
        return pShip->m_pOwner;
    if (Structure *pStructure = UnitStructure(pUnit))
        return pStructure->m_pOwner;
    return nullptr;
}

int BattleUnitFirepower(const BattleUnit *pUnit)
{
    if (Ship *pShip = UnitShip(pUnit))
        return ShipFirepower(pShip);
    return StructureFirepower(UnitStructure(pUnit));
}

static int UnitWeaponKind(const BattleUnit *pUnit)
{
    Weapon *pWeapon = BattleUnitWeapon(pUnit);
    return pWeapon ? pWeapon->m_eKind : WEAPON_NONE;
}

// Hit points have no floor in a battle, but they stay inside an int.
static void UnitTakeDamage(BattleUnit *pUnit, int damage)
{
    Armor *pArmor = UnitArmor(pUnit);
    if (!pArmor || damage <= 0)
        return;
    long long hp = (long long)pArmor->m_iHp - damage;
    pArmor->m_iHp = hp < INT_MIN ? INT_MIN : (int)hp;
}

// ---------------------------------------------------------------------------------------------
// Battles and their lists

static void DestroyUnitList(List **ppList)
{
    if (!*ppList)
        return;
    while (!ListIsEmpty(*ppList)) {
        BattleUnit *pUnit = (BattleUnit *)QueuePop(*ppList);
        BattleUnitDestroy(&pUnit);
    }
    ListDestroy(*ppList);
    *ppList = nullptr;
}

static void BattleDestroy(Battle **ppBattle)
{
    if (!ppBattle || !*ppBattle)
        return;
    Battle *pBattle = *ppBattle;
    DestroyUnitList(&pBattle->m_pRest1);
    DestroyUnitList(&pBattle->m_pAttack1);
    DestroyUnitList(&pBattle->m_pRest2);
    DestroyUnitList(&pBattle->m_pAttack2);
    free(pBattle);
    *ppBattle = nullptr;
}

static void DestroyBattleList(List **ppList)
{
    if (!*ppList)
        return;
    while (!ListIsEmpty(*ppList)) {
        Battle *pBattle = (Battle *)QueuePop(*ppList);
        BattleDestroy(&pBattle);
    }
    ListDestroy(*ppList);
    *ppList = nullptr;
}

void BattleInit(void)
{
    if (!g_pPendingBattles)
        g_pPendingBattles = ListCreate();
    if (!g_pReadyBattles)
        g_pReadyBattles = ListCreate();
    FleetSetEncounterHandler(BattleEncounter);
}

void BattleShutdown(void)
{
    DestroyBattleList(&g_pPendingBattles);
    DestroyBattleList(&g_pReadyBattles);
    FleetSetEncounterHandler(nullptr);
}

static bool IsEmptyList(List *pList)
{
    return !pList || ListIsEmpty(pList);
}

int BattleStart(List *pSide1, List *pSide2)
{
    Battle *pBattle = nullptr;
    if (!IsEmptyList(pSide1) && !IsEmptyList(pSide2) && g_pPendingBattles)
        pBattle = (Battle *)calloc(1, sizeof(Battle));
    if (pBattle) {
        pBattle->m_pRest1 = pSide1;
        pBattle->m_pRest2 = pSide2;
        pBattle->m_pAttack1 = ListCreate();
        pBattle->m_pAttack2 = ListCreate();
        if (pBattle->m_pAttack1 && pBattle->m_pAttack2 && ListAppend(g_pPendingBattles, pBattle))
            return 0;
        BattleDestroy(&pBattle);
        return 1;
    }
    DestroyUnitList(&pSide1);
    DestroyUnitList(&pSide2);
    return 1;
}

// Drops the units of one list that stand for the object; 1 if any was dropped.
static bool DropUnitsOf(List *pList, const void *pObject, Battle *pBattle)
{
    bool bDropped = false;
    ListNode *pNode = pList->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        BattleUnit *pUnit = (BattleUnit *)pNode->m_pData;
        if (pUnit->m_pObject == pObject) {
            ListRemoveNode(pList, pNode);
            // No unit of the battle may go on blocking the one that left.
            for (List *pOther : {pBattle->m_pRest1, pBattle->m_pAttack1, pBattle->m_pRest2, pBattle->m_pAttack2})
                for (ListNode *p = pOther->m_pHead; p; p = p->m_pNext)
                    if (((BattleUnit *)p->m_pData)->m_pBlockTarget == pUnit)
                        ((BattleUnit *)p->m_pData)->m_pBlockTarget = nullptr;
            BattleUnitDestroy(&pUnit);
            bDropped = true;
        }
        pNode = pNext;
    }
    return bDropped;
}

static void ForgetIn(List *pBattles, const void *pObject)
{
    if (!pBattles)
        return;
    ListNode *pNode = pBattles->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        Battle *pBattle = (Battle *)pNode->m_pData;
        bool bDropped = false;
        for (List *pList : {pBattle->m_pRest1, pBattle->m_pAttack1, pBattle->m_pRest2, pBattle->m_pAttack2})
            bDropped |= DropUnitsOf(pList, pObject, pBattle);
        // A side with nobody left has no battle to fight.
        bool bSideGone = (ListIsEmpty(pBattle->m_pRest1) && ListIsEmpty(pBattle->m_pAttack1)) ||
                         (ListIsEmpty(pBattle->m_pRest2) && ListIsEmpty(pBattle->m_pAttack2));
        if (bDropped && bSideGone) {
            ListRemoveNode(pBattles, pNode);
            BattleDestroy(&pBattle);
        }
        pNode = pNext;
    }
}

void BattleForgetObject(const void *pObject)
{
    if (!pObject)
        return;
    ForgetIn(g_pPendingBattles, pObject);
    ForgetIn(g_pReadyBattles, pObject);
}

// ---------------------------------------------------------------------------------------------
// Choices

int SideIsHuman(List *pAttack, List *pRest)
{
    List *pList = !IsEmptyList(pAttack) ? pAttack : pRest;
    if (IsEmptyList(pList))
        return 0;
    Company *pOwner = BattleUnitOwner((BattleUnit *)pList->m_pHead->m_pData);
    return pOwner && !pOwner->m_bAI;
}

// The computer commits the first units of the line-up, in order.
static void CommitFirst(List *pRest, List *pAttack, int count)
{
    for (int i = 0; i < count && !ListIsEmpty(pRest); i++)
        ListAppend(pAttack, QueuePop(pRest));
}

// The player chooses through the screens when they are there; otherwise, and in a world run
// without screens, the player's side follows the computer's rule, so that nothing ever waits.
static void ChooseAttackers(List *pRest, List *pAttack, bool bSide1)
{
    if (SideIsHuman(nullptr, pRest) && s_screens.pfnSelectAttackers && s_screens.pfnSelectAttackers(pRest, pAttack))
        return;
    int n = pRest->m_cItem;
    CommitFirst(pRest, pAttack, bSide1 ? n / 2 + 1 : n / 2);
}

void ChooseAttackers1(Battle *pBattle)
{
    ChooseAttackers(pBattle->m_pRest1, pBattle->m_pAttack1, true);
    pBattle->m_bChosen1 = 1;
}

void ChooseAttackers2(Battle *pBattle)
{
    ChooseAttackers(pBattle->m_pRest2, pBattle->m_pAttack2, false);
    pBattle->m_bChosen2 = 1;
}

// Round robin over the enemy attackers: with more units staying back than enemies attacking,
// several block the same attacker.
static void AssignBlocks(List *pRest, List *pEnemyAttack)
{
    if (ListIsEmpty(pRest))
        return;
    if (SideIsHuman(nullptr, pRest) && s_screens.pfnBlocking && s_screens.pfnBlocking(pRest, pEnemyAttack))
        return;
    ListNode *pTarget = pEnemyAttack->m_pHead;
    for (ListNode *pNode = pRest->m_pHead; pNode; pNode = pNode->m_pNext) {
        ((BattleUnit *)pNode->m_pData)->m_pBlockTarget = pTarget ? (BattleUnit *)pTarget->m_pData : nullptr;
        if (pTarget)
            pTarget = pTarget->m_pNext ? pTarget->m_pNext : pEnemyAttack->m_pHead;
    }
}

void AssignBlocks1(Battle *pBattle)
{
    AssignBlocks(pBattle->m_pRest1, pBattle->m_pAttack2);
}

void AssignBlocks2(Battle *pBattle)
{
    AssignBlocks(pBattle->m_pRest2, pBattle->m_pAttack1);
}

// ---------------------------------------------------------------------------------------------
// The pass of fire

static Volley VolleyOf(List *pAttack)
{
    Volley volley = {0.0f, 0.0f, 0.0f, 0.0f};
    for (ListNode *pNode = pAttack->m_pHead; pNode; pNode = pNode->m_pNext) {
        BattleUnit *pUnit = (BattleUnit *)pNode->m_pData;
        VolleyAddFire(&volley, UnitWeaponKind(pUnit), BattleUnitFirepower(pUnit));
    }
    return volley;
}

// The volley is spread evenly over the group; an empty group takes nothing.
static void TakeVolley(const Volley &volley, List *pGroup)
{
    int n = pGroup->m_cItem;
    for (ListNode *pNode = pGroup->m_pHead; pNode; pNode = pNode->m_pNext) {
        BattleUnit *pUnit = (BattleUnit *)pNode->m_pData;
        UnitTakeDamage(pUnit, VolleyDamage(&volley, UnitArmor(pUnit), n));
    }
}

static void BlockersFire(List *pRest)
{
    for (ListNode *pNode = pRest->m_pHead; pNode; pNode = pNode->m_pNext) {
        BattleUnit *pUnit = (BattleUnit *)pNode->m_pData;
        BattleUnit *pTarget = pUnit->m_pBlockTarget;
        if (pTarget)
            UnitTakeDamage(pTarget, BlockDamage(BattleUnitFirepower(pUnit), UnitWeaponKind(pUnit), UnitArmor(pTarget)));
    }
}

// Units below 1 hit point keep firing until the pass ends: nothing is removed during it.
void ResolveBattle(Battle *pBattle)
{
    Volley first = VolleyOf(pBattle->m_pAttack1);
    TakeVolley(first, pBattle->m_pRest2);
    TakeVolley(first, pBattle->m_pAttack2);
    BlockersFire(pBattle->m_pRest1);
    Volley second = VolleyOf(pBattle->m_pAttack2);
    TakeVolley(second, pBattle->m_pRest1);
    TakeVolley(second, pBattle->m_pAttack1);
    BlockersFire(pBattle->m_pRest2);
    if (g_pReadyBattles)
        ListRemove(g_pReadyBattles, pBattle);
}

// Marks the side's wrecks and adds up its loss; returns the fleet of the last ship walked (null
// for a side of structures only).
static Fleet *MarkLosses(List *pAttack, List *pRest, int *pLoss)
{
    Fleet *pFleet = nullptr;
    *pLoss = 0;
    for (List *pList : {pAttack, pRest}) {
        for (ListNode *pNode = pList->m_pHead; pNode; pNode = pNode->m_pNext) {
            BattleUnit *pUnit = (BattleUnit *)pNode->m_pData;
            if (Ship *pShip = UnitShip(pUnit)) {
                pFleet = pShip->m_pFleet;
                *pLoss += ShipCheckDestroyed(pShip) ? LOSS_PER_SHIP : 0;
            } else if (Structure *pStructure = UnitStructure(pUnit)) {
                *pLoss += StructureCheckDestroyed(pStructure) ? LOSS_PER_STRUCTURE : 0;
            }
        }
    }
    return pFleet;
}

static void SendHome(Fleet *pFleet, int ownLoss, int enemyLoss)
{
    if (!pFleet)
        return;
    pFleet->m_eState = FLEET_RETURN;
    FleetLoseMorale(pFleet, ownLoss);
    FleetGainMorale(pFleet, enemyLoss);
}

static void FightReadyBattle(Battle *pBattle)
{
    ResolveBattle(pBattle);
    if (s_screens.pfnResults &&
        (SideIsHuman(pBattle->m_pAttack1, pBattle->m_pRest1) || SideIsHuman(pBattle->m_pAttack2, pBattle->m_pRest2)))
        s_screens.pfnResults(pBattle->m_pAttack1, pBattle->m_pRest1, pBattle->m_pAttack2, pBattle->m_pRest2);
    int loss1 = 0, loss2 = 0;
    Fleet *pFleet1 = MarkLosses(pBattle->m_pAttack1, pBattle->m_pRest1, &loss1);
    Fleet *pFleet2 = MarkLosses(pBattle->m_pAttack2, pBattle->m_pRest2, &loss2);
    SendHome(pFleet1, loss1, loss2);
    SendHome(pFleet2, loss2, loss1);
}

void ResolveBattles(void)
{
    if (!g_pPendingBattles || !g_pReadyBattles || s_bResolving)
        return;
    s_bResolving = true;
    for (ListNode *pNode = g_pPendingBattles->m_pHead; pNode; pNode = pNode->m_pNext) {
        Battle *pBattle = (Battle *)pNode->m_pData;
        if (!pBattle->m_bChosen1)
            ChooseAttackers1(pBattle);
        if (!pBattle->m_bChosen2)
            ChooseAttackers2(pBattle);
    }
    ListNode *pNode = g_pPendingBattles->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        Battle *pBattle = (Battle *)pNode->m_pData;
        if (pBattle->m_bChosen1 && pBattle->m_bChosen2) {
            ListRemoveNode(g_pPendingBattles, pNode);
            ListAppend(g_pReadyBattles, pBattle);
        }
        pNode = pNext;
    }
    for (ListNode *p = g_pReadyBattles->m_pHead; p; p = p->m_pNext) {
        AssignBlocks1((Battle *)p->m_pData);
        AssignBlocks2((Battle *)p->m_pData);
    }
    // Each battle leaves the ready list as it is fought, so the head is always the next one.
    while (!ListIsEmpty(g_pReadyBattles)) {
        Battle *pBattle = (Battle *)g_pReadyBattles->m_pHead->m_pData;
        FightReadyBattle(pBattle);
        BattleDestroy(&pBattle);
    }
    s_bResolving = false;
}

// ---------------------------------------------------------------------------------------------
// Encounters

static bool AppendUnit(List *pSide, BattleUnit *pUnit)
{
    if (pUnit && ListAppend(pSide, pUnit))
        return true;
    BattleUnitDestroy(&pUnit);
    return false;
}

static void AppendFleet(List *pSide, Fleet *pFleet)
{
    if (!pFleet || pFleet->m_cShip == 0)
        return;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
        AppendUnit(pSide, BattleUnitFromShip((Ship *)pNode->m_pData));
}

// A structure destroyed earlier this turn is still listed until its own update frees it; it does
// not stand and does not fight again.
void BattleEncounter(Fleet *pFleet, Fleet *pEnemyFleet, Planet *pPlanet)
{
    if (!pFleet)
        return;
    List *pSide1 = ListCreate();
    List *pSide2 = ListCreate();
    if (!pSide1 || !pSide2) {
        DestroyUnitList(&pSide1);
        DestroyUnitList(&pSide2);
        return;
    }
    AppendFleet(pSide1, pFleet);
    AppendFleet(pSide2, pEnemyFleet);
    if (pPlanet) {
        for (int i = 0; i < pPlanet->m_cStructure; i++) {
            Structure *pStructure = pPlanet->m_ppStructure[i];
            if (pStructure && !pStructure->m_bDestroyed)
                AppendUnit(pSide2, BattleUnitFromStructure(pStructure));
        }
    }
    if (ListIsEmpty(pSide1) || ListIsEmpty(pSide2)) {
        DestroyUnitList(&pSide1);
        DestroyUnitList(&pSide2);
        return;
    }
    if (BattleStart(pSide1, pSide2) == 0)
        ResolveBattles();
}
