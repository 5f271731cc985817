// fleet: groups ships and moves them across a system map. A fleet lives either as its planet's
// hold (Planet::m_pFleet) or in its system's list of fleets in space, and is freed by whichever
// holds it.
#pragma once

#include <cstdint>

#include "game/coord.h"

struct Planet;
struct Warpgate;
struct Company;
struct System;
struct Surface;
struct List;

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

struct Fleet {
    Planet *m_pTargetPlanet;   // the order's target; at most one of the three is set
    Warpgate *m_pTargetGate;
    Fleet *m_pTargetFleet;
    Planet *m_pHomePlanet;     // where it was made; cleared on passing a warp gate
    uint8_t m_iOwnerNum;       // owner's company number
    Company *m_pOwner;
    uint16_t m_cShip;          // ships in m_pShips
    List *m_pShips;            // of Ship; the fleet owns the ships
    uint32_t m_iRange;         // turns of movement left
    uint8_t m_iSight;          // sight radius in cells, 20
    int m_iEnergy;             // supplies for upkeep and gates, 1 at creation
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
