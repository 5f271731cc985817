#include "game/world/fleet.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/core/randutils.h"
#include "game/world/ship.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

static FleetSelectedDisplay s_pfnSelectedDisplay = nullptr;
static FleetEncounterHandler s_pfnEncounter = nullptr;
static FleetReleaseListener s_pfnReleaseListener = nullptr;

void FleetSetSelectedDisplay(FleetSelectedDisplay pfnDisplay) { s_pfnSelectedDisplay = pfnDisplay; }
void FleetSetEncounterHandler(FleetEncounterHandler pfnHandler) { s_pfnEncounter = pfnHandler; }
void FleetSetReleaseListener(FleetReleaseListener pfnListener) { s_pfnReleaseListener = pfnListener; }

static void FleetMessage(const Fleet *pFleet, const char *pText)
{
    AddMessage(pText, CompanyMessageAttr(pFleet->m_pOwner));
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

// An empty fleet at its home planet, owned as the planet is, with no target and no system.
// On failure *ppFleet stays null and nothing is left allocated.
int FleetCreate(Fleet **ppFleet, Planet *pPlanet)
{
    *ppFleet = nullptr;
    Fleet *pFleet = (Fleet *)calloc(1, sizeof(Fleet));
    if (!pFleet)
        return 1;
    pFleet->m_pShips = ListCreate();
    pFleet->m_pRoute = QueueCreate();
    pFleet->m_pSprite = CreateSurface(1, 1);
    if (!pFleet->m_pShips || !pFleet->m_pRoute || !pFleet->m_pSprite) {
        FleetDestroy(&pFleet);
        return 1;
    }
    pFleet->m_pHomePlanet = pPlanet;
    if (pPlanet && pPlanet->m_pOwner) {
        pFleet->m_pOwner = pPlanet->m_pOwner;
        pFleet->m_iOwnerNum = pPlanet->m_pOwner->m_iNum;
    }
    pFleet->m_iSight = FLEET_SIGHT;
    pFleet->m_iEnergy = 1;
    pFleet->m_iMatter = 1;
    pFleet->m_eState = FLEET_IDLE;
    pFleet->m_cStranded = -1;
    pFleet->m_pSprite->m_pCells[0] = Cell{'*', 0xCB};
    pFleet->m_iId = NewObjectId();
    pFleet->m_aiSize = RandRange(FLEET_AI_SIZE_MIN, FLEET_AI_SIZE_MAX);
    *ppFleet = pFleet;
    return 0;
}

void FleetDestroy(Fleet **ppFleet)
{
    if (!ppFleet || !*ppFleet)
        return;
    Fleet *pFleet = *ppFleet;
    if (pFleet->m_pShips) {
        while (!ListIsEmpty(pFleet->m_pShips)) {
            Ship *pShip = (Ship *)QueuePop(pFleet->m_pShips);
            ShipDestroy(&pShip);
        }
        ListDestroy(pFleet->m_pShips);
    }
    if (pFleet->m_pRoute)
        ListDestroy(pFleet->m_pRoute);
    DestroySurface(&pFleet->m_pSprite);
    free(pFleet);
    *ppFleet = nullptr;
}

// Clears what one system knows of a fleet that leaves play: its place in the fleet list, the
// holds and chasers that point at it, and the gates it last came out of.
static void SystemForgetFleet(System *pSystem, Fleet *pGone)
{
    if (!pSystem)
        return;
    if (pSystem->m_pFleets) {
        ListRemove(pSystem->m_pFleets, pGone);
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
            Fleet *pOther = (Fleet *)pNode->m_pData;
            if (pOther->m_pTargetFleet == pGone)
                pOther->m_pTargetFleet = nullptr;
        }
    }
    if (pSystem->m_ppPlanet) {
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            Planet *pPlanet = pSystem->m_ppPlanet[i];
            if (!pPlanet)
                continue;
            if (pPlanet->m_pFleet == pGone)
                pPlanet->m_pFleet = nullptr;
            else if (pPlanet->m_pFleet && pPlanet->m_pFleet->m_pTargetFleet == pGone)
                pPlanet->m_pFleet->m_pTargetFleet = nullptr;
        }
    }
    if (pSystem->m_ppGate) {
        for (int i = 0; i < pSystem->m_cGate; i++) {
            if (pSystem->m_ppGate[i] && pSystem->m_ppGate[i]->m_pTransitFleet == pGone)
                pSystem->m_ppGate[i]->m_pTransitFleet = nullptr;
        }
    }
}

// The released fleet is freed here, once; afterwards no record of the world in play points at it.
// The universe in play is searched, and the fleet's own system and home planet as well, so that a
// fleet of a world not (yet) installed in g_pUniverse is unhooked too.
void FleetRelease(Fleet **ppFleet)
{
    if (!ppFleet || !*ppFleet)
        return;
    Fleet *pFleet = *ppFleet;
    if (s_pfnReleaseListener)
        s_pfnReleaseListener(pFleet);
    if (g_pUniverse) {
        for (int i = 0; i < g_pUniverse->m_cSystem; i++) {
            if (g_pUniverse->m_ppSystem && g_pUniverse->m_ppSystem[i] != pFleet->m_pSystem)
                SystemForgetFleet(g_pUniverse->m_ppSystem[i], pFleet);
        }
        for (int i = 0; i < g_pUniverse->m_cCompany; i++) {
            if (g_pUniverse->m_ppCompany)
                CompanyRemoveFleet(g_pUniverse->m_ppCompany[i], pFleet);
        }
    }
    SystemForgetFleet(pFleet->m_pSystem, pFleet);
    if (pFleet->m_pHomePlanet && pFleet->m_pHomePlanet->m_pFleet == pFleet)
        pFleet->m_pHomePlanet->m_pFleet = nullptr;
    CompanyRemoveFleet(pFleet->m_pOwner, pFleet);
    FleetDestroy(ppFleet);
}

// ---------------------------------------------------------------------------------------------
// Ships

// The fleet moves at its slowest ship's speed and can go no further than its shortest-ranged ship.
int FleetAddShip(Fleet *pFleet, Ship *pShip)
{
    if (!pFleet || !pShip)
        return 1;
    int speed = pShip->m_cSpeed;
    if (pFleet->m_iSpeed == 0 || speed < pFleet->m_iSpeed)
        pFleet->m_iSpeed = speed;
    // A ship that cannot move gives no range; it still slows the fleet to a stop above.
    if (speed > 0) {
        uint32_t range = (uint32_t)pShip->m_iFuel / (uint32_t)speed;
        if (pFleet->m_iRange == 0 || range < pFleet->m_iRange)
            pFleet->m_iRange = range;
    }
    ListAppend(pFleet->m_pShips, pShip);
    pShip->m_pFleet = pFleet;
    pFleet->m_cShip++;
    return 0;
}

// The ships leave the fleet as they join the target, so each is owned by exactly one fleet.
int FleetMergeInto(Fleet *pFleet, Fleet *pTarget)
{
    if (!pFleet || !pTarget || pFleet == pTarget)
        return 1;
    while (!ListIsEmpty(pFleet->m_pShips))
        FleetAddShip(pTarget, (Ship *)QueuePop(pFleet->m_pShips));
    pFleet->m_cShip = 0;
    return 0;
}

void FleetLoseMorale(Fleet *pFleet, int n)
{
    FleetGainMorale(pFleet, -n);
}

void FleetGainMorale(Fleet *pFleet, int n)
{
    if (!pFleet)
        return;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        Ship *pShip = (Ship *)pNode->m_pData;
        pShip->m_iMorale += n;
    }
}

static int SubtractClamped(int value, int amount)
{
    long long result = (long long)value - amount;
    if (result < INT_MIN)
        return INT_MIN;
    if (result > INT_MAX)
        return INT_MAX;
    return (int)result;
}

void FleetSpendSupplies(Fleet *pFleet, int energy, int matter)
{
    if (!pFleet)
        return;
    pFleet->m_iEnergy = SubtractClamped(pFleet->m_iEnergy, energy);
    pFleet->m_iMatter = SubtractClamped(pFleet->m_iMatter, matter);
}

// ---------------------------------------------------------------------------------------------
// Queries

System *GetFleetSystem(Fleet *pFleet)
{
    if (!pFleet)
        return nullptr;
    if (pFleet->m_pHomePlanet)
        return pFleet->m_pHomePlanet->m_pSystem;
    if (pFleet->m_pTargetGate)
        return pFleet->m_pTargetGate->m_pSystem;
    return pFleet->m_pSystem;
}

int FleetContainsShipType(Fleet *pFleet, int eType)
{
    V_ASSERT(TypeIsShip(eType));
    if (!pFleet)
        return 0;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        if (((Ship *)pNode->m_pData)->m_eType == eType)
            return 1;
    }
    return 0;
}

int FleetIsHold(Fleet *pFleet)
{
    return pFleet && pFleet->m_pHomePlanet && pFleet->m_pHomePlanet->m_pFleet == pFleet ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Orders

// Crews that perished take no more orders; everything else launches on the next update.
static int FleetTakesOrders(Fleet *pFleet)
{
    return pFleet->m_eState != FLEET_DEAD;
}

// An order names at most one target (the others are cleared) and launches the fleet.
static void FleetOrder(Fleet *pFleet, Planet *pPlanet, Warpgate *pGate, Fleet *pOther, Coord dest)
{
    pFleet->m_pTargetPlanet = pPlanet;
    pFleet->m_pTargetGate = pGate;
    pFleet->m_pTargetFleet = pOther;
    pFleet->m_dest = dest;
    pFleet->m_eState = FLEET_LAUNCH;
}

int FleetMoveToPlanet(Fleet *pFleet, Planet *pPlanet)
{
    if (!pFleet || !pPlanet || !FleetTakesOrders(pFleet))
        return 1;
    FleetOrder(pFleet, pPlanet, nullptr, nullptr, pPlanet->m_pos);
    return 0;
}

// A gate without a pair leads nowhere, so an order to it is refused.
int FleetMoveToGate(Fleet *pFleet, Warpgate *pGate)
{
    if (!pFleet || !pGate || !pGate->m_pPair || !FleetTakesOrders(pFleet))
        return 1;
    FleetOrder(pFleet, nullptr, pGate, nullptr, pGate->m_pos);
    return 0;
}

// A fleet sent after itself would arrive at once and merge into itself, so that is refused.
int FleetMoveToFleet(Fleet *pFleet, Fleet *pOther)
{
    if (!pFleet || !pOther || pFleet == pOther || !FleetTakesOrders(pFleet))
        return 1;
    FleetOrder(pFleet, nullptr, nullptr, pOther, pOther->m_pos);
    return 0;
}

int FleetMoveToCoord(Fleet *pFleet, Coord dest)
{
    if (!pFleet || !FleetTakesOrders(pFleet))
        return 1;
    FleetOrder(pFleet, nullptr, nullptr, nullptr, dest);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Per-turn step

static void FleetLeaveSystem(Fleet *pFleet)
{
    if (pFleet->m_pSystem && pFleet->m_pSystem->m_pFleets)
        ListRemove(pFleet->m_pSystem->m_pFleets, pFleet);
}

static void FleetSetAIState(Fleet *pFleet, int state)
{
    pFleet->m_aiLastState = pFleet->m_aiState;
    pFleet->m_aiState = state;
}

// The walk takes the next ship first: the current one may leave the list and be freed.
static void FleetRemoveDestroyedShips(Fleet *pFleet)
{
    if (!pFleet)
        return;
    ListNode *pNode = pFleet->m_pShips->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        ShipCheckRemoval((Ship *)pNode->m_pData);
        pNode = pNext;
    }
}

// After a battle, ships whose hulls fell below 1 leave their fleet and are freed.
static void FleetRemoveWrecks(Fleet *pFleet)
{
    if (!pFleet)
        return;
    ListNode *pNode = pFleet->m_pShips->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        Ship *pShip = (Ship *)pNode->m_pData;
        if (pShip->m_pArmor && pShip->m_pArmor->m_iHp < 1) {
            ListRemoveNode(pFleet->m_pShips, pNode);
            if (pFleet->m_cShip > 0)
                pFleet->m_cShip--;
            ShipDestroy(&pShip);
        }
        pNode = pNext;
    }
}

static void FleetIdle(Fleet *pFleet)
{
    ListNode *pNode = pFleet->m_pShips->m_pHead;
    while (pNode) {
        ListNode *pNext = pNode->m_pNext;
        Ship *pShip = (Ship *)pNode->m_pData;
        if (!ShipCheckRemoval(pShip))
            ShipRepair(pShip);
        pNode = pNext;
    }
}

// A hold leaves its planet and enters the planet's system as a fleet in space; the planet
// update that is running gives the planet a new, empty hold right after.
static void FleetLaunch(Fleet *pFleet)
{
    pFleet->m_iRange = FLEET_LAUNCH_RANGE;
    Planet *pHome = pFleet->m_pHomePlanet;
    if (pHome && !pFleet->m_pSystem && pHome->m_pSystem) {
        pFleet->m_pSystem = pHome->m_pSystem;
        pFleet->m_pos = pHome->m_pos;
        ListAppend(pFleet->m_pSystem->m_pFleets, pFleet);
        if (pHome->m_pFleet == pFleet)
            pHome->m_pFleet = nullptr;
    }
    pFleet->m_dX = pFleet->m_pos.m_x;
    pFleet->m_dY = pFleet->m_pos.m_y;
    pFleet->m_eState = FLEET_MOVING;
    FleetSetAIState(pFleet, FLEET_AI_TRANSIT);
}

// An enemy reached away from any planet: both fleets face each other. The one met drops its own
// order, so that its encounter reads the same enemy; crews that perished do not fight back.
static void FleetsMeet(Fleet *pFleet, Fleet *pEnemy)
{
    pFleet->m_eState = FLEET_ENCOUNTER;
    if (pEnemy->m_eState == FLEET_DEAD)
        return;
    pEnemy->m_pTargetPlanet = nullptr;
    pEnemy->m_pTargetGate = nullptr;
    pEnemy->m_pTargetFleet = pFleet;
    pEnemy->m_eState = FLEET_ENCOUNTER;
}

// Returns 1 when the fleet was released during the step.
static int FleetMove(Fleet *pFleet)
{
    Fleet *pChased = pFleet->m_pTargetFleet;
    // A fleet that left this system's space (warped away, docked at a planet) cannot be followed:
    // the chaser flies on to where it last saw it.
    if (pChased && pChased->m_pSystem != pFleet->m_pSystem) {
        pFleet->m_pTargetFleet = nullptr;
        pChased = nullptr;
    }
    if (pChased)
        pFleet->m_dest = pChased->m_pos;

    double dx = pFleet->m_dest.m_x - pFleet->m_dX;
    double dy = pFleet->m_dest.m_y - pFleet->m_dY;
    double distSq = dx * dx + dy * dy;
    long long speedSq = (long long)pFleet->m_iSpeed * pFleet->m_iSpeed;
    if ((double)speedSq < distSq) {
        double d = sqrt(distSq);
        pFleet->m_dX += dx / d * pFleet->m_iSpeed;
        pFleet->m_dY += dy / d * pFleet->m_iSpeed;
        pFleet->m_pos.m_x = (int)(pFleet->m_dX + 0.5);
        pFleet->m_pos.m_y = (int)(pFleet->m_dY + 0.5);
        pFleet->m_iRange -= 1;
        return 0;
    }

    pFleet->m_pos = pFleet->m_dest;
    pFleet->m_dX = pFleet->m_dest.m_x;
    pFleet->m_dY = pFleet->m_dest.m_y;
    Planet *pPlanet = pFleet->m_pTargetPlanet;
    if (!pPlanet && pFleet->m_pTargetGate) {
        pFleet->m_eState = FLEET_WARP;
    } else if (pPlanet && !pFleet->m_pTargetGate) {
        bool bFriendly = !pPlanet->m_pOwner || pPlanet->m_pOwner == pFleet->m_pOwner;
        pFleet->m_eState = bFriendly ? FLEET_ARRIVED : FLEET_ENCOUNTER;
    } else if (pChased && pChased->m_pOwner == pFleet->m_pOwner) {
        FleetMergeInto(pFleet, pChased);
        FleetLeaveSystem(pFleet);
        FleetRelease(&pFleet);
        return 1;
    } else if (pChased) {
        FleetsMeet(pFleet, pChased);
    } else {
        pFleet->m_eState = FLEET_IDLE;
    }
    return 0;
}

// Returns 1 when the fleet was released.
static int FleetDisband(Fleet *pFleet)
{
    FleetLeaveSystem(pFleet);
    FleetRelease(&pFleet);
    return 1;
}

// The first Colony Mothership of the fleet becomes the colony; it leaves the fleet and is freed.
static int FleetFoundColony(Fleet *pFleet, Planet *pPlanet)
{
    if (!pFleet->m_pOwner)
        return 0;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        Ship *pShip = (Ship *)pNode->m_pData;
        if (pShip->m_eType != V_TYPE_MOTHERSHIP_COLONY)
            continue;
        ListRemoveNode(pFleet->m_pShips, pNode);
        pFleet->m_cShip--;
        ShipDestroy(&pShip);
        PlanetColonize(pPlanet, pFleet->m_pOwner);
        // The fleet disbands with the colony: its other ships go too, and the player is told.
        if (pFleet->m_cShip == 1) {
            FleetMessage(pFleet, "The colony fleet's other ship went with the colony.");
        } else if (pFleet->m_cShip > 1) {
            char text[80];
            snprintf(text, sizeof text, "The colony fleet's %d other ships went with the colony.", pFleet->m_cShip);
            FleetMessage(pFleet, text);
        }
        return 1;
    }
    return 0;
}

// A fleet that docks at its owner's planet joins the hold there, or becomes the hold when the
// planet has none. Returns 1 when the fleet was released (its ships moved into the hold).
static int FleetDock(Fleet *pFleet, Planet *pPlanet)
{
    FleetLeaveSystem(pFleet);
    if (pPlanet->m_pFleet && pPlanet->m_pFleet != pFleet) {
        FleetMergeInto(pFleet, pPlanet->m_pFleet);
        pFleet->m_pSystem = nullptr;
        FleetRelease(&pFleet);
        return 1;
    }
    // Now a hold in every respect: held by the planet alone and launched from it next time.
    pPlanet->m_pFleet = pFleet;
    pFleet->m_pSystem = nullptr;
    pFleet->m_pHomePlanet = pPlanet;
    pFleet->m_pTargetPlanet = nullptr;
    pFleet->m_pos = pPlanet->m_pos;
    pFleet->m_eState = FLEET_IDLE;
    return 0;
}

// Returns 1 when the fleet was released.
static int FleetArrive(Fleet *pFleet)
{
    Planet *pPlanet = pFleet->m_pTargetPlanet;
    if (!pPlanet) {
        pFleet->m_eState = FLEET_IDLE;
        return 0;
    }
    if (!pPlanet->m_pOwner) {
        if (FleetFoundColony(pFleet, pPlanet))
            return FleetDisband(pFleet);
        // A free planet reached without a colony ship: the fleet stays and keeps being updated.
        pFleet->m_eState = FLEET_STRANDED;
        return 0;
    }
    if (pPlanet->m_pOwner == pFleet->m_pOwner)
        return FleetDock(pFleet, pPlanet);
    // Someone else took the planet before the fleet could land: that is an enemy planet now.
    pFleet->m_eState = FLEET_ENCOUNTER;
    return 0;
}

static void FleetWarp(Fleet *pFleet)
{
    Warpgate *pGate = pFleet->m_pTargetGate;
    // Without a gate, or with one that leads nowhere, there is nothing to pass: the fleet waits.
    if (!pGate || !pGate->m_pPair || !pGate->m_pPair->m_pSystem) {
        pFleet->m_pTargetGate = nullptr;
        pFleet->m_eState = FLEET_IDLE;
        return;
    }
    if (!pGate->m_bActive) {
        FleetMessage(pFleet, "Activating warp gate");
        int result = WarpgateActivate(pGate, pFleet);
        if (result == WARPGATE_SENT_HOME)
            return;   // the fleet keeps its order home and does not pass
        if (result == WARPGATE_STRANDED) {
            // Neither paid nor sent home: the fleet is stranded at the gate instead of passing for
            // free, so the price of a gate means something.
            pFleet->m_eState = FLEET_STRANDED;
            return;
        }
    }
    Warpgate *pExit = pGate->m_pPair;
    System *pDest = pExit->m_pSystem;
    ListAppend(pDest->m_pFleets, pFleet);
    WarpgateRecordTransit(pExit, pFleet);
    FleetLeaveSystem(pFleet);
    pFleet->m_pos = pExit->m_pos;
    pFleet->m_dX = pExit->m_pos.m_x;
    pFleet->m_dY = pExit->m_pos.m_y;
    FleetMessage(pFleet, "Warping through gate");
    pFleet->m_pSystem = pDest;
    pFleet->m_pHomePlanet = nullptr;
    pFleet->m_pTargetPlanet = nullptr;
    pFleet->m_pTargetGate = nullptr;
    pFleet->m_eState = FLEET_IDLE;
}

static void FleetStranded(Fleet *pFleet)
{
    FleetMessage(pFleet, "A fleet has been stranded!");
    pFleet->m_cStranded++;
    if (pFleet->m_cStranded >= FLEET_STRANDED_DEATH) {
        // This one message is in the owner's colour alone, without the bright foreground.
        AddMessage("After being stranded for so long, everyone in your fleet helplessly perished.",
                   pFleet->m_pOwner ? pFleet->m_pOwner->m_color : 0);
        pFleet->m_eState = FLEET_DEAD;
    }
}

// Returns 1 when the fleet was released.
static int FleetReturn(Fleet *pFleet)
{
    FleetRemoveDestroyedShips(pFleet);
    // A hold fought at its own planet: it is home already.
    if (FleetIsHold(pFleet)) {
        pFleet->m_eState = FLEET_IDLE;
        return 0;
    }
    if (pFleet->m_pHomePlanet)
        FleetMoveToPlanet(pFleet, pFleet->m_pHomePlanet);
    else
        FleetMessage(pFleet, "emo fleet: nobody loves me");
    // An empty fleet in space has nothing left to bring home.
    if (ListIsEmpty(pFleet->m_pShips))
        return FleetDisband(pFleet);
    return 0;
}

// Who the fleet fights: at its target planet, the planet's hold and structures; away from
// planets, the enemy fleet it reached. With neither, the encounter is over.
// Returns 1 when the fleet was released.
static int FleetEncounter(Fleet *pFleet)
{
    Planet *pPlanet = pFleet->m_pTargetPlanet;
    Fleet *pEnemy = nullptr;
    if (pPlanet) {
        if (!pPlanet->m_pOwner || pPlanet->m_pOwner == pFleet->m_pOwner) {
            pFleet->m_eState = FLEET_ARRIVED;
            return 0;
        }
        pEnemy = pPlanet->m_pFleet;
    } else {
        pEnemy = pFleet->m_pTargetFleet;
        bool bFaces = pEnemy && pEnemy->m_pOwner != pFleet->m_pOwner &&
                      pEnemy->m_pSystem == pFleet->m_pSystem && pEnemy->m_cShip > 0;
        if (!bFaces) {
            pFleet->m_pTargetFleet = nullptr;
            pFleet->m_eState = FLEET_IDLE;
            return 0;
        }
    }
    FleetMessage(pFleet, "You have encountered an enemy fleet!");
    // A battle sends both fleets home; crews that perished stay where they died.
    bool bEnemyDead = pEnemy && pEnemy->m_eState == FLEET_DEAD;
    if (s_pfnEncounter)
        s_pfnEncounter(pFleet, pEnemy, pPlanet);
    if (bEnemyDead)
        pEnemy->m_eState = FLEET_DEAD;
    FleetRemoveWrecks(pFleet);
    FleetRemoveWrecks(pPlanet ? pPlanet->m_pFleet : pEnemy);
    if (pFleet->m_eState == FLEET_RETURN)
        return FleetReturn(pFleet);
    return 0;
}

// Upkeep is taken in every state, then the state runs. A step that releases the fleet returns at
// once: the record is gone and the caller must not touch it again.
int FleetUpdate(Fleet *pFleet)
{
    if (!pFleet)
        return 3;
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        Ship *pShip = (Ship *)pNode->m_pData;
        FleetSpendSupplies(pFleet, pShip->m_iEnergyUpkeep, pShip->m_iMatterUpkeep);
    }

    switch (pFleet->m_eState) {
    case FLEET_IDLE:
        FleetIdle(pFleet);
        break;
    case FLEET_LAUNCH:
        FleetLaunch(pFleet);
        FleetMove(pFleet);
        break;
    case FLEET_MOVING:
        FleetMove(pFleet);
        break;
    case FLEET_COLONIZE:
        // Entered by no order; a fleet loaded in this state founds its colony once if the planet
        // is still free, then waits.
        if (pFleet->m_pTargetPlanet && !pFleet->m_pTargetPlanet->m_pOwner && pFleet->m_pOwner)
            PlanetColonize(pFleet->m_pTargetPlanet, pFleet->m_pOwner);
        pFleet->m_eState = FLEET_IDLE;
        break;
    case FLEET_ARRIVED:
        FleetArrive(pFleet);
        break;
    case FLEET_WARP:
        FleetWarp(pFleet);
        break;
    case FLEET_STRANDED:
        FleetStranded(pFleet);
        break;
    case FLEET_DEAD:
        break;
    case FLEET_ENCOUNTER:
        FleetEncounter(pFleet);
        break;
    case FLEET_SIEGE:
        FleetMessage(pFleet, "Entering siege mode");
        pFleet->m_eState = FLEET_IDLE;
        break;
    case FLEET_RETURN:
        FleetReturn(pFleet);
        break;
    case FLEET_DISBAND:
        FleetDisband(pFleet);
        break;
    default:
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Drawing

int FleetDraw(Fleet *pFleet, Surface *pTarget)
{
    if (!pFleet || !pTarget)
        return 1;
    if (pFleet->m_bSelected)
        InvertSurfaceRect(pFleet->m_pSprite, 0, 0, 0, 0);
    BlitSurface(&pFleet->m_pos, pTarget, pFleet->m_pSprite, nullptr);
    if (pFleet->m_bSelected) {
        InvertSurfaceRect(pFleet->m_pSprite, 0, 0, 0, 0);
        if (s_pfnSelectedDisplay)
            s_pfnSelectedDisplay(pFleet);
    }
    return 0;
}
