#include "game/world/compai.h"

#include <vector>

#include "baseutilities/baseassert.h"
#include "baseutilities/baselist.h"
#include "game/core/randutils.h"
#include "game/world/aidump.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

// ---------------------------------------------------------------------------------------------
// States

void AITrace(const char *) {}

// Every family keeps its state and the one before it; reverting goes back one step and leaves
// the family's IDLE as the state before.
static void SetState(int *pState, int *pLast, int state)
{
    *pLast = *pState;
    *pState = state;
}

static void RevertState(int *pState, int *pLast, int idle)
{
    *pState = *pLast;
    *pLast = idle;
}

void AISetCompanyState(Company *pCompany, int state)
{
    V_ASSERT(pCompany);
    SetState(&pCompany->m_aiState, &pCompany->m_aiLastState, state);
}

void AIRevertCompanyState(Company *pCompany)
{
    V_ASSERT(pCompany);
    RevertState(&pCompany->m_aiState, &pCompany->m_aiLastState, COMPANY_AI_IDLE);
}

void AISetPlanetState(Planet *pPlanet, int state)
{
    V_ASSERT(pPlanet);
    SetState(&pPlanet->m_aiState, &pPlanet->m_aiLastState, state);
}

void AIRevertPlanetState(Planet *pPlanet)
{
    V_ASSERT(pPlanet);
    RevertState(&pPlanet->m_aiState, &pPlanet->m_aiLastState, PLANET_AI_IDLE);
}

void AISetFleetState(Fleet *pFleet, int state)
{
    V_ASSERT(pFleet);
    SetState(&pFleet->m_aiState, &pFleet->m_aiLastState, state);
}

void AIRevertFleetState(Fleet *pFleet)
{
    V_ASSERT(pFleet);
    RevertState(&pFleet->m_aiState, &pFleet->m_aiLastState, FLEET_AI_IDLE);
}

const char *AICompanyStateName(int state)
{
    static const char *const s_names[] = {"START", "IDLE", "OFFENSE", "DEFENSE", "COLONIZE"};
    return state >= 0 && state <= COMPANY_AI_COLONIZE ? s_names[state] : "";
}

const char *AIPlanetStateName(int state)
{
    static const char *const s_names[] = {"IDLE", "BUILDING", "ATTACKED", "NEW COLONY"};
    return state >= 0 && state <= PLANET_AI_NEW_COLONY ? s_names[state] : "";
}

// Values 3 and 4 have no name.
const char *AIFleetStateName(int state)
{
    switch (state) {
    case FLEET_AI_IDLE: return "IDLE";
    case FLEET_AI_ADOPTING: return "ADOPTING";
    case FLEET_AI_ANGRY: return "ANGRY";
    case FLEET_AI_TRANSIT: return "TRANSIT";
    default: return "";
    }
}

// ---------------------------------------------------------------------------------------------
// Planet decisions

int AITypeIsQueued(const Planet *pPlanet, int type)
{
    const Structure *pAt = TypeIsShip(type) ? PlanetGetShipyard(pPlanet) : PlanetGetColony(pPlanet);
    if (!pAt || !pAt->m_pQueue)
        return 0;
    for (const BuildNode *pNode = pAt->m_pQueue->m_pFirst; pNode; pNode = pNode->m_pNext) {
        if (pNode->m_eType == type)
            return 1;
    }
    return 0;
}

int AIMissingBasicStructure(const Planet *pPlanet)
{
    static const int s_basic[] = {V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER, V_TYPE_SHIPYARD};
    for (int type : s_basic) {
        if (!PlanetHasStructure(pPlanet, type) && !AITypeIsQueued(pPlanet, type))
            return type;
    }
    return 0;
}

// The queue's true count: a signed 8-bit count above 127 would read as no work at all.
int AIPlanetIsBuilding(const Planet *pPlanet)
{
    const Structure *pShipyard = PlanetGetShipyard(pPlanet);
    const Structure *pColony = PlanetGetColony(pPlanet);
    if (pShipyard && BuildQueueCount(pShipyard->m_pQueue) > 0)
        return 1;
    return pColony && BuildQueueCount(pColony->m_pQueue) >= 1 ? 1 : 0;
}

static int CanAffordShipType(const Planet *pPlanet, int type)
{
    return CanAffordShip(GetShipPrototype(type), pPlanet->m_iMatter, pPlanet->m_iEnergy);
}

static int CanAffordStructureType(const Planet *pPlanet, int type)
{
    return CanAffordStructure(GetStructurePrototype(type), pPlanet->m_iMatter, pPlanet->m_iEnergy);
}

// The order's end: BUILDING when the build rules took the item, IDLE when it gave up (a full
// queue or array counts as giving up).
static void AIOrderEnd(Planet *pPlanet, bool bQueued)
{
    if (bQueued) {
        AISetPlanetState(pPlanet, PLANET_AI_BUILDING);
        AITrace("Building");
    } else {
        AITrace("Cannot build; planet idle.");
        AISetPlanetState(pPlanet, PLANET_AI_IDLE);
    }
}

// Fighter draws count against the attempts, mothership draws are free; an affordable fighter
// drawn with the last attempt is not queued.
void AIOrderCombatShip(Planet *pPlanet)
{
    Structure *pShipyard = PlanetGetShipyard(pPlanet);
    V_ASSERT(pShipyard);
    int attempts = AI_ORDER_ATTEMPTS;
    int type;
    bool bAffordable;
    do {
        type = V_TYPE_SHIP_FAST + RandDraw() % 7;
        if (type <= V_TYPE_SHIP_HEAVY)
            attempts--;
        bAffordable = CanAffordShipType(pPlanet, type);
    } while (!bAffordable && attempts > 0);
    AIOrderEnd(pPlanet, attempts > 0 && PlanetQueueShips(pPlanet, type) > 0);
}

void AIOrderDefensiveStructure(Planet *pPlanet)
{
    if (!PlanetGetColony(pPlanet)) {
        AITrace("ERROR: No colony available on this planet.\n");
        return;
    }
    int attempts = AI_ORDER_ATTEMPTS;
    int type;
    bool bAffordable;
    do {
        type = V_TYPE_SAT_FAST + RandDraw() % 4;
        attempts--;
        bAffordable = CanAffordStructureType(pPlanet, type);
    } while (!bAffordable && attempts > 0);
    AIOrderEnd(pPlanet, attempts > 0 && PlanetQueueStructure(pPlanet, type) == 0);
}

// A shipyard drawn for a planet that has one is a free draw, yet may still be queued: a second
// shipyard is possible. The loop runs until the attempts fall below 0, six counted draws.
void AIOrderInfrastructure(Planet *pPlanet)
{
    if (!PlanetGetColony(pPlanet)) {
        AITrace("ERROR: No colony available on this planet.");
        return;
    }
    int attempts = AI_ORDER_ATTEMPTS;
    int type;
    bool bAffordable;
    do {
        type = V_TYPE_HARVESTER_ENERGY + RandDraw() % 3;
        if (!(type == V_TYPE_SHIPYARD && PlanetHasStructure(pPlanet, V_TYPE_SHIPYARD)))
            attempts--;
        bAffordable = CanAffordStructureType(pPlanet, type);
    } while (!bAffordable && attempts >= 0);
    AIOrderEnd(pPlanet, attempts >= 0 && PlanetQueueStructure(pPlanet, type) == 0);
}

// A colony ship queued ends the company's COLONIZE mode.
void AIOrderColonyShip(Planet *pPlanet)
{
    if (!PlanetGetShipyard(pPlanet) || !CanAffordShipType(pPlanet, V_TYPE_MOTHERSHIP_COLONY))
        return;
    if (PlanetQueueShips(pPlanet, V_TYPE_MOTHERSHIP_COLONY) == 0)
        return;
    AITrace(": I am building a colony ship.");
    AISetPlanetState(pPlanet, PLANET_AI_BUILDING);
    AIRevertCompanyState(pPlanet->m_pOwner);
}

void AIOrderMissingStructure(Planet *pPlanet, int type)
{
    V_ASSERT(pPlanet->m_pOwner != NULL);
    if (CanAffordStructureType(pPlanet, type) && PlanetQueueStructure(pPlanet, type) == 0)
        AISetPlanetState(pPlanet, PLANET_AI_BUILDING);
}

// ---------------------------------------------------------------------------------------------
// Searches

int AIForcesInSystem(const System *pSystem, const Company *pCompany)
{
    if (!pSystem || !pCompany)
        return 0;
    int count = 0;
    for (const ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
        if (((const Fleet *)pNode->m_pData)->m_iOwnerNum == pCompany->m_iNum)
            count++;
    }
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        const Planet *pPlanet = pSystem->m_ppPlanet[i];
        if (pPlanet->m_pOwner == pCompany && pPlanet->m_pFleet && pPlanet->m_pFleet->m_cShip > 0)
            count++;
    }
    return count;
}

Fleet *AIFirstAdoptingFleet(const System *pSystem)
{
    for (const ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
        Fleet *pFleet = (Fleet *)pNode->m_pData;
        if (pFleet->m_aiState == FLEET_AI_ADOPTING)
            return pFleet;
    }
    return nullptr;
}

// One breadth-first walk over paired gates. It remembers every system it marked so that the
// marks and back-links can be cleared when it is done, even in a world not installed as the one
// in play. Every system is queued at most once.
struct SystemSearch {
    List *pQueue = QueueCreate();
    std::vector<System *> marked;

    ~SystemSearch()
    {
        for (System *pSystem : marked) {
            pSystem->m_bSearched = 0;
            pSystem->m_pSearchParent = nullptr;
        }
        QueueDestroy(pQueue);
    }
    void Visit(System *pSystem, System *pParent)
    {
        pSystem->m_bSearched = 1;
        pSystem->m_pSearchParent = pParent;
        marked.push_back(pSystem);
        QueuePush(pQueue, pSystem);
    }
    System *Next() { return ListIsEmpty(pQueue) ? nullptr : (System *)QueuePop(pQueue); }
    void VisitNeighbours(System *pSystem)
    {
        for (int i = 0; i < pSystem->m_cGate; i++) {
            Warpgate *pPair = pSystem->m_ppGate[i]->m_pPair;
            if (pPair && pPair->m_pSystem && !pPair->m_pSystem->m_bSearched)
                Visit(pPair->m_pSystem, pSystem);
        }
    }
};

static bool SystemHasPlanetNotOwnedBy(const System *pSystem, const Company *pCompany)
{
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        if (pSystem->m_ppPlanet[i]->m_pOwner != pCompany)
            return true;
    }
    return false;
}

System *AIFindAttackTarget(System *pStart, const Company *pCompany)
{
    V_ASSERT(pStart);
    SystemSearch search;
    search.Visit(pStart, nullptr);
    while (System *pSystem = search.Next()) {
        if (SystemHasPlanetNotOwnedBy(pSystem, pCompany))
            return pSystem;
        search.VisitNeighbours(pSystem);
    }
    return nullptr;
}

Planet *AIPickTargetPlanet(const System *pSystem, const Company *pCompany)
{
    for (int i = 0; pSystem && i < pSystem->m_cPlanet; i++) {
        Planet *pPlanet = pSystem->m_ppPlanet[i];
        if (pPlanet->m_pOwner && pPlanet->m_pOwner != pCompany)
            return pPlanet;
    }
    return nullptr;
}

Planet *AIFindColonyPlanet(System *pStart)
{
    V_ASSERT(pStart);
    SystemSearch search;
    search.Visit(pStart, nullptr);
    while (System *pSystem = search.Next()) {
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            if (!pSystem->m_ppPlanet[i]->m_pOwner)
                return pSystem->m_ppPlanet[i];
        }
        search.VisitNeighbours(pSystem);
    }
    return nullptr;
}

// The search runs from the destination back towards the fleet, so following the back-links from
// the fleet's system lists the systems to enter, nearest first, ending with the destination.
void AIPlanRoute(Fleet *pFleet, System *pDest)
{
    V_ASSERT(pFleet);
    QueueClear(pFleet->m_pRoute);
    System *pCurSystem = GetFleetSystem(pFleet);
    V_ASSERT(pCurSystem != NULL);
    if (!pDest)
        return;
    SystemSearch search;
    search.Visit(pDest, nullptr);
    while (System *pSystem = search.Next()) {
        if (pSystem == pCurSystem)
            break;
        search.VisitNeighbours(pSystem);
    }
    for (System *pStep = pCurSystem->m_pSearchParent; pStep; pStep = pStep->m_pSearchParent)
        QueuePush(pFleet->m_pRoute, pStep);
}

Warpgate *AINextGate(Fleet *pFleet)
{
    V_ASSERT(pFleet);
    if (ListIsEmpty(pFleet->m_pRoute))
        return nullptr;
    System *pNext = (System *)QueuePop(pFleet->m_pRoute);
    System *pHere = GetFleetSystem(pFleet);
    for (int i = 0; pHere && i < pHere->m_cGate; i++) {
        Warpgate *pGate = pHere->m_ppGate[i];
        if (pGate->m_pPair && pGate->m_pPair->m_pSystem == pNext)
            return pGate;
    }
    return nullptr;
}

// Searches start from the home planet's system. A fleet that passed a gate has no home any more:
// it searches from the system it is in (null only for a fleet that is nowhere).
static System *AISearchStart(Fleet *pFleet)
{
    return pFleet->m_pHomePlanet ? pFleet->m_pHomePlanet->m_pSystem : GetFleetSystem(pFleet);
}

void AIColonisationMove(Fleet *pFleet)
{
    V_ASSERT(FleetContainsShipType(pFleet, V_TYPE_MOTHERSHIP_COLONY));
    System *pStart = AISearchStart(pFleet);
    pFleet->m_pTargetPlanet = pStart ? AIFindColonyPlanet(pStart) : nullptr;
    Planet *pTarget = pFleet->m_pTargetPlanet;
    if (!pTarget)
        return;
    if (pTarget->m_pSystem != GetFleetSystem(pFleet)) {
        AIPlanRoute(pFleet, pTarget->m_pSystem);
        Warpgate *pGate = AINextGate(pFleet);
        if (pGate && FleetMoveToGate(pFleet, pGate) == 0)
            AISetFleetState(pFleet, FLEET_AI_TRANSIT);
    } else if (FleetMoveToPlanet(pFleet, pTarget) == 0) {
        AISetFleetState(pFleet, FLEET_AI_TRANSIT);
    }
}

// ---------------------------------------------------------------------------------------------
// The steps

// The satellites and cannons standing on the company's planets.
static int AICompanyDefences(const Universe *pUniverse, const Company *pCompany)
{
    int count = 0;
    for (int s = 0; pUniverse && s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            const Planet *pPlanet = pSystem->m_ppPlanet[i];
            for (int k = 0; pPlanet->m_pOwner == pCompany && k < pPlanet->m_cStructure; k++) {
                int type = pPlanet->m_ppStructure[k]->m_eType;
                count += type >= V_TYPE_SAT_FAST && type <= V_TYPE_SAT_VAVUVUR;
            }
        }
    }
    return count;
}

// DEFENSE builds nothing but defences, and every one completed adds to the defence score, so a
// lead in defence that counted them would be kept up by DEFENSE itself: the company would never
// arm, colonise or leave the mode again (nothing else can end it once it has lasted two turns).
// The lead therefore counts without the defences the company holds, and a company in DEFENSE that
// leads in nothing goes back to IDLE. Defences lost in battle or with their planet stay in the
// score and so count towards the lead.
void AIUpdateCompanyMode(Universe *pUniverse, Company *pCompany)
{
    V_ASSERT(pCompany);
    int maxColony = 0, maxOffense = 0, maxDefense = 0;
    for (int i = 0; pUniverse && i < pUniverse->m_cCompany; i++) {
        const Company *pOther = pUniverse->m_ppCompany[i];
        if (!pOther || pOther == pCompany)
            continue;
        maxColony = pOther->m_cColony > maxColony ? pOther->m_cColony : maxColony;
        maxOffense = pOther->m_offenseScore > maxOffense ? pOther->m_offenseScore : maxOffense;
        maxDefense = pOther->m_defenseScore > maxDefense ? pOther->m_defenseScore : maxDefense;
    }
    int defense = pCompany->m_defenseScore - AICompanyDefences(pUniverse, pCompany);
    if (pCompany->m_cColony > maxColony) {
        AITrace("Company: State change to COLONIZE.");
        AISetCompanyState(pCompany, COMPANY_AI_COLONIZE);
    } else if (pCompany->m_offenseScore > maxOffense) {
        AITrace("Company: State change to OFFENSE.");
        AISetCompanyState(pCompany, COMPANY_AI_OFFENSE);
    } else if (defense > maxDefense) {
        AITrace("Company: State change to DEFENSE.");
        AISetCompanyState(pCompany, COMPANY_AI_DEFENSE);
    } else if (pCompany->m_aiLastState == COMPANY_AI_IDLE) {
        AITrace("Company: Reverted mode.");
        AIRevertCompanyState(pCompany);
    } else if (pCompany->m_aiState == COMPANY_AI_DEFENSE) {
        AITrace("Company: Reverted mode.");
        AISetCompanyState(pCompany, COMPANY_AI_IDLE);
    } else {
        AITrace("Company: No mode change.");
    }
}

// An idle planet that is not building orders by its company's mode.
static void AIPlanetIdle(Planet *pPlanet)
{
    if (AIPlanetIsBuilding(pPlanet))
        return;
    bool bShipyard = PlanetGetShipyard(pPlanet) != nullptr;
    switch (pPlanet->m_pOwner->m_aiState) {
    case COMPANY_AI_OFFENSE:
        if (bShipyard)
            AIOrderCombatShip(pPlanet);
        break;
    case COMPANY_AI_DEFENSE:
        AIOrderDefensiveStructure(pPlanet);
        break;
    case COMPANY_AI_COLONIZE:
        AIOrderColonyShip(pPlanet);
        break;
    case COMPANY_AI_START:
    case COMPANY_AI_IDLE:
        if (bShipyard)
            AIOrderCombatShip(pPlanet);
        else
            AIOrderInfrastructure(pPlanet);
        break;
    default:
        break;
    }
}

void AIRunPlanet(Planet *pPlanet)
{
    V_ASSERT(pPlanet);
    V_ASSERT(pPlanet->m_pOwner != NULL);
    int missing = AIMissingBasicStructure(pPlanet);
    AIDumpPlanet(pPlanet);
    switch (pPlanet->m_aiState) {
    case PLANET_AI_IDLE:
        AITrace("(System) Idle.");
        AIPlanetIdle(pPlanet);
        break;
    case PLANET_AI_BUILDING:
        AITrace("(System) Already building.");
        if (!AIPlanetIsBuilding(pPlanet))
            AIRevertPlanetState(pPlanet);
        break;
    case PLANET_AI_ATTACKED:
        AITrace("(System) was attacked.");
        if (missing) {
            AIOrderMissingStructure(pPlanet, missing);
            AIRevertPlanetState(pPlanet);
        } else if (PlanetGetShipyard(pPlanet)) {
            AITrace("\n\tAttempting to build combat ship.");
            AIOrderCombatShip(pPlanet);
        } else {
            AITrace("\n\tAttempting to build defensive structure.");
            AIOrderDefensiveStructure(pPlanet);
        }
        break;
    case PLANET_AI_NEW_COLONY:
        if (!missing) {
            AITrace("(System) newly colonized.");
            AISetPlanetState(pPlanet, PLANET_AI_IDLE);
        } else if (CanAffordStructureType(pPlanet, missing)) {
            AITrace("(System) newly colonized.");
            AIOrderMissingStructure(pPlanet, missing);
        } else {
            AITrace("(System) is newly colonized; unable to build.");
        }
        break;
    default:
        break;
    }
}

// Target choice of an adopting or angry fleet: the nearest system with a planet the company does
// not own. A system holding only free planets besides the company's own gives no target: the fleet
// keeps no target and asks again on a later turn.
static void AIChooseTarget(Fleet *pFleet)
{
    System *pStart = AISearchStart(pFleet);
    System *pHere = GetFleetSystem(pFleet);
    System *pFound = pStart ? AIFindAttackTarget(pStart, pFleet->m_pOwner) : nullptr;
    if (!pFound)
        return;
    pFleet->m_pAttackTarget = AIPickTargetPlanet(pFound, pFleet->m_pOwner);
    if (!pFleet->m_pAttackTarget)
        return;
    if (pFound != pHere)
        AIPlanRoute(pFleet, pFleet->m_pAttackTarget->m_pSystem);
    else
        FleetMoveToPlanet(pFleet, pFleet->m_pAttackTarget);
}

static bool FleetIsUnderWay(const Fleet *pFleet)
{
    return pFleet->m_eState == FLEET_LAUNCH || pFleet->m_eState == FLEET_MOVING;
}

static void AIFleetIdle(Fleet *pFleet)
{
    if (pFleet->m_cShip >= pFleet->m_aiSize) {
        AISetFleetState(pFleet, FLEET_AI_ANGRY);
        return;
    }
    System *pSystem = GetFleetSystem(pFleet);
    if (AIForcesInSystem(pSystem, pFleet->m_pOwner) == 1) {
        AISetFleetState(pFleet, FLEET_AI_ADOPTING);
        return;
    }
    if (pFleet->m_cShip != 1 || !pSystem)
        return;
    Fleet *pAdopter = AIFirstAdoptingFleet(pSystem);
    if (pAdopter && pAdopter != pFleet && pAdopter->m_pHomePlanet) {
        AITrace("  Sending fleet to planet.");
        FleetMoveToPlanet(pFleet, pAdopter->m_pHomePlanet);
        AISetFleetState(pFleet, FLEET_AI_TRANSIT);
    }
}

// An angry fleet follows its route gate by gate, then flies at its target. A target outside the
// fleet's system with no route left (the fleet was sent elsewhere, or the way closed) gets a new
// route; a target no gate path reaches is dropped, and a new one is chosen on a later turn.
static void AIFleetAngry(Fleet *pFleet)
{
    if (FleetIsUnderWay(pFleet))
        return;
    Planet *pTarget = pFleet->m_pAttackTarget;
    System *pHere = GetFleetSystem(pFleet);
    if (pTarget && ListIsEmpty(pFleet->m_pRoute) && pHere != pTarget->m_pSystem) {
        AIPlanRoute(pFleet, pTarget->m_pSystem);
        if (ListIsEmpty(pFleet->m_pRoute))
            pFleet->m_pAttackTarget = pTarget = nullptr;
    }
    if (!ListIsEmpty(pFleet->m_pRoute)) {
        if (!pTarget || pHere != pTarget->m_pSystem) {
            AITrace("Fleet: Moving to next system warp gate.");
            FleetMoveToGate(pFleet, AINextGate(pFleet));
        } else {
            AITrace("Fleet: Heading to attack target planet.");
            FleetMoveToPlanet(pFleet, pTarget);
        }
    } else if (pTarget) {
        FleetMoveToPlanet(pFleet, pTarget);
    } else {
        AITrace("Fleet: Finding attack target.");
        AIChooseTarget(pFleet);
    }
    if (pFleet->m_pHomePlanet == pFleet->m_pAttackTarget)
        AIRevertFleetState(pFleet);
}

static void AIFleetTransit(Fleet *pFleet)
{
    if (FleetIsUnderWay(pFleet))
        return;
    if (ListIsEmpty(pFleet->m_pRoute)) {
        AISetFleetState(pFleet, FLEET_AI_IDLE);
        return;
    }
    pFleet->m_pTargetGate = AINextGate(pFleet);
    if (pFleet->m_pTargetGate)
        FleetMoveToGate(pFleet, pFleet->m_pTargetGate);
    else if (pFleet->m_pTargetPlanet)
        FleetMoveToPlanet(pFleet, pFleet->m_pTargetPlanet);
}

void AIRunFleet(Fleet *pFleet)
{
    V_ASSERT(pFleet);
    V_ASSERT(pFleet->m_cShip > 0);
    AIDumpFleet(pFleet);
    if (FleetContainsShipType(pFleet, V_TYPE_MOTHERSHIP_COLONY) && pFleet->m_aiState != FLEET_AI_TRANSIT) {
        AIColonisationMove(pFleet);
        AISetFleetState(pFleet, FLEET_AI_TRANSIT);
        return;
    }
    switch (pFleet->m_aiState) {
    case FLEET_AI_IDLE:
        AIFleetIdle(pFleet);
        break;
    case FLEET_AI_ADOPTING:
        if (pFleet->m_cShip >= pFleet->m_aiSize) {
            AISetFleetState(pFleet, FLEET_AI_ANGRY);
            AIChooseTarget(pFleet);
        }
        break;
    case FLEET_AI_ANGRY:
        AIFleetAngry(pFleet);
        break;
    case FLEET_AI_TRANSIT:
        AIFleetTransit(pFleet);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// The driver

static void AIRunFleetOf(Fleet *pFleet, const Company *pCompany)
{
    if (pFleet && pFleet->m_pOwner == pCompany && pFleet->m_cShip > 0)
        AIRunFleet(pFleet);
}

void AITurn(Universe *pUniverse, Company *pCompany)
{
    V_ASSERT(pCompany);
    AITrace("***TURN START***");
    AIUpdateCompanyMode(pUniverse, pCompany);
    for (int s = 0; pUniverse && s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            Planet *pPlanet = pSystem->m_ppPlanet[i];
            if (pPlanet->m_pOwner != pCompany)
                continue;
            AIRunFleetOf(pPlanet->m_pFleet, pCompany);
            AIRunPlanet(pPlanet);
        }
        for (int i = 0; i < pSystem->m_cGate; i++)
            AIRunFleetOf(pSystem->m_ppGate[i]->m_pTransitFleet, pCompany);
        // The walk takes the next fleet first: this one may leave the list during its step.
        ListNode *pNode = pSystem->m_pFleets->m_pHead;
        while (pNode) {
            ListNode *pNext = pNode->m_pNext;
            AIRunFleetOf((Fleet *)pNode->m_pData, pCompany);
            pNode = pNext;
        }
    }
    AITrace("*** TURN END ***\n");
}

void AIPlayComputerCompanies(Universe *pUniverse)
{
    for (int i = 1; pUniverse && i < pUniverse->m_cCompany; i++) {
        Company *pCompany = pUniverse->m_ppCompany[i];
        if (pCompany && pCompany->m_bAI == 1)
            AITurn(pUniverse, pCompany);
    }
}
