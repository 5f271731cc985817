// fleet: groups ships and moves them across a system map. A fleet lives either as its planet's
// hold (Planet::m_pFleet) or in its system's list of fleets in space, and is freed by whichever
// holds it. FleetUpdate runs its state machine once per turn: the system update calls it for the
// fleets in space, the planet update for the hold. Orders come from the map screen and the AI.
// Never draws to the screen except through FleetDraw, and reaches battles only through the
// encounter handler the battle module installs.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct Planet;
struct Warpgate;
struct Company;
struct System;
struct Surface;
struct List;
struct Ship;

enum {
    FLEET_IDLE = 0,
    FLEET_LAUNCH = 1,
    FLEET_MOVING = 2,
    FLEET_COLONIZE = 3,
    FLEET_ARRIVED = 4,
    FLEET_WARP = 5,
    FLEET_STRANDED = 6,
    FLEET_DEAD = 7,
    FLEET_ENCOUNTER = 8,
    FLEET_SIEGE = 9,
    FLEET_RETURN = 10,
    FLEET_DISBAND = 11,
};

// AI fleet modes.
enum {
    FLEET_AI_IDLE = 0,
    FLEET_AI_ADOPTING = 1,
    FLEET_AI_ANGRY = 2,
    FLEET_AI_TRANSIT = 5,
};

enum {
    FLEET_SIGHT = 20,          // cells
    FLEET_LAUNCH_RANGE = 25,   // turns of movement a launch grants
    FLEET_STRANDED_DEATH = 10, // stranded count at which the crews perish
    FLEET_AI_SIZE_MIN = 7,     // an AI fleet turns angry at a size drawn from this range
    FLEET_AI_SIZE_MAX = 10,
};

struct Fleet {
    Planet *m_pTargetPlanet;   // the order's target; at most one of the three is set
    Warpgate *m_pTargetGate;
    Fleet *m_pTargetFleet;
    Planet *m_pHomePlanet;     // where it was made; cleared on passing a warp gate
    uint8_t m_iOwnerNum;       // owner's company number
    Company *m_pOwner;
    uint16_t m_cShip;          // ships in m_pShips
    List *m_pShips;            // of Ship; the fleet owns the ships
    uint32_t m_iRange;         // turns of movement left; wraps below 0 and is never a limit
    uint8_t m_iSight;          // sight radius in cells, 20
    int m_iEnergy;             // supplies for upkeep and gates, 1 at creation, never refilled
    int m_iMatter;
    int m_eState;              // FLEET_*
    System *m_pSystem;         // system whose fleet list holds it; null while a hold
    int8_t m_bSelected;        // blinks on the map
    int8_t m_cStranded;        // stranded turns, -1 at creation
    double m_dX, m_dY;         // exact position on the system map
    Coord m_pos;               // position in cells
    Coord m_dest;              // destination in cells
    int m_iSpeed;              // cells per turn: the slowest ship's
    Surface *m_pSprite;        // owned; '*' in attribute 0xCB
    int m_iId;
    int m_aiSize;              // ship count at which an AI fleet turns angry, 7 to 10
    int m_aiState;             // FLEET_AI_*
    int m_aiLastState;
    Planet *m_pAttackTarget;   // planet an AI fleet attacks
    List *m_pRoute;            // of System: systems still to cross on an AI route; owned list
};

/* Lifecycle. */
int FleetCreate(Fleet **ppFleet, Planet *pPlanet);
// Frees the fleet with its ships, sprite and lists; the caller has taken it out of its holder.
void FleetDestroy(Fleet **ppFleet);
// Takes a fleet out of play for good (merged away, disbanded, emptied): unhooks it from every
// record of the world in play that points at it, then frees it with its remaining ships.
void FleetRelease(Fleet **ppFleet);

/* Ships. */
int FleetAddShip(Fleet *pFleet, Ship *pShip);
// Moves every ship of the fleet into the target, in list order; the fleet is left empty.
int FleetMergeInto(Fleet *pFleet, Fleet *pTarget);
void FleetLoseMorale(Fleet *pFleet, int n);
void FleetGainMorale(Fleet *pFleet, int n);
// Takes upkeep or a gate's price from the supplies; they stop at the lowest int instead of wrapping.
void FleetSpendSupplies(Fleet *pFleet, int energy, int matter);

/* Queries. */
System *GetFleetSystem(Fleet *pFleet);
int FleetContainsShipType(Fleet *pFleet, int eType);
int FleetIsHold(Fleet *pFleet);   // 1 when the fleet is its home planet's hold

/* Orders: each launches the fleet (FLEET_LAUNCH). 1 when refused, else 0. */
int FleetMoveToPlanet(Fleet *pFleet, Planet *pPlanet);
int FleetMoveToGate(Fleet *pFleet, Warpgate *pGate);     // refused for a gate without a pair
int FleetMoveToFleet(Fleet *pFleet, Fleet *pOther);      // refused onto itself
int FleetMoveToCoord(Fleet *pFleet, Coord dest);

/* Per-turn step. 3 for a null fleet, 1 for a state out of range, else 0. */
int FleetUpdate(Fleet *pFleet);

/* Drawing. */
int FleetDraw(Fleet *pFleet, Surface *pTarget);

/* Hooks for the modules around the fleet machine; each is null until its module installs it. */
// The game screen's display of the selected fleet, called when a selected fleet is drawn.
typedef void (*FleetSelectedDisplay)(Fleet *pFleet);
void FleetSetSelectedDisplay(FleetSelectedDisplay pfnDisplay);
// The battle module's side of an encounter: side 1 is the fleet's ships; side 2 the enemy fleet's
// ships and, at a planet, the planet's structures (pEnemyFleet is the planet's hold there and may
// be null or empty; pPlanet is null for a meeting in open space). It starts and resolves the
// battle, marking losses and setting the fleets' states as a battle does; it frees no fleet and
// no ship (the fleet update then removes the wrecks and sends a returning fleet home). Without
// one, an encounter fights no battle and the fleet stays where it met the enemy, meeting it again
// each turn until it is given another order.
typedef void (*FleetEncounterHandler)(Fleet *pFleet, Fleet *pEnemyFleet, Planet *pPlanet);
void FleetSetEncounterHandler(FleetEncounterHandler pfnHandler);
// Told just before a fleet is freed by FleetRelease, so that screens drop their selections.
typedef void (*FleetReleaseListener)(Fleet *pFleet);
void FleetSetReleaseListener(FleetReleaseListener pfnListener);
