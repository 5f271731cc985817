// planet: the economic unit. A planet belongs to one system, may be owned by one company, stores
// energy and matter, carries up to 100 structures, its moons and its own fleet (the hold where
// new ships wait). The system update runs PlanetUpdate once per planet per turn; generation and
// colony motherships colonise planets; the system map and the planet view draw them.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct Company;
struct System;
struct Moon;
struct Structure;
struct Fleet;
struct Surface;

enum {
    PLANET_ROCKY = 0,
    PLANET_EARTHLIKE = 1,
    PLANET_GAS_GIANT = 2,
};

// Bits of Planet::m_bFlags.
enum {
    PLANET_SELECTED = 1,
    PLANET_KNOWN = 2,     // in sight of a fleet this turn, or colonised
    PLANET_SHADED = 4,    // was in sight before; drawn shaded
};

// Planet AI states.
enum {
    PLANET_AI_IDLE = 0,
    PLANET_AI_BUILDING = 1,
    PLANET_AI_ATTACKED = 2,
    PLANET_AI_NEW_COLONY = 3,
};

struct Planet {
    char *m_pName;             // owned copy
    Company *m_pOwner;         // null when unowned
    Coord m_pos;               // on the system map
    System *m_pSystem;
    int m_eKind;               // PLANET_ROCKY, PLANET_EARTHLIKE, PLANET_GAS_GIANT
    int m_iMatter;             // stores; 1000 at creation, no floor
    int m_iEnergy;
    int m_cMoon;
    Moon **m_ppMoon;           // owned
    int m_cStructure;
    int m_nStructureMax;       // capacity of m_ppStructure, 100
    Structure **m_ppStructure; // owned; in order of building, never reordered
    Fleet *m_pFleet;           // owned hold; null until the first one is made
    int m_iOwnerNum;           // owner's company number, set on colonisation
    Surface *m_pSurface;       // owned 60 x 30 close-up with its structures
    Surface *m_pIcon;          // owned 3 x 3 icon on the system map
    int m_iSpare;              // 2 at creation; carried by the save file
    uint8_t m_bFlags;          // PLANET_SELECTED, PLANET_KNOWN, PLANET_SHADED
    int m_iId;
    int m_combatScore;         // AI scores carried by the save file
    int m_iScoreSpare;
    int m_bldScore;
    int m_aiState;             // PLANET_AI_*
    int m_aiLastState;
};

/* Lifecycle. */
int PlanetCreate(Planet **ppPlanet, System *pSystem, const char *pName, Coord pos, int kind);
int PlanetDestroy(Planet **ppPlanet);

/* Ownership. */
// Makes the company the owner and founds a Colony with the planet's hold. 0, or 1 when the
// Colony could not be made (no room, or memory ran out); the planet is owned either way.
int PlanetColonize(Planet *planet, Company *company);
int PlanetIsOwnedBy(const Planet *pPlanet, const Company *pCompany);

/* Structures. */
// The last structure of the type not destroyed in battle, or null: the one lookup of "the
// planet's Colony" and "the planet's Shipyard" that building, the turn and the screens share.
Structure *PlanetStandingStructure(const Planet *pPlanet, int type);
Structure *PlanetGetColony(const Planet *pPlanet);     // the standing Colony, or null
Structure *PlanetGetShipyard(const Planet *pPlanet);   // the standing Shipyard, or null
int PlanetHasStructure(const Planet *pPlanet, int type);   // 1 when one of the type stands
// The figure after "Existing:": standing structures of the type, not counting those destroyed in
// battle and awaiting removal, nor those still in the Colony's queue.
int CountExistingStructures(const Planet *pPlanet, int type);
// The figure after "In Hold:": ships of that type in the planet's own fleet.
int CountShipsInHold(const Planet *pPlanet, int type);
// 1 while the structures standing and those queued at its colonies leave room for one more.
int PlanetCanAddStructure(const Planet *pPlanet);
// Drops a structure from the array, closing the gap; the caller frees it. 0, or 1 if not there.
int PlanetRemoveStructure(Planet *pPlanet, Structure *pStructure);

/* Queueing within the planet's limits; each refusal is told in the message log. */
// One ship of the type at every standing Shipyard of the planet whose queue has room. Returns
// the number queued.
int PlanetQueueShips(Planet *pPlanet, int type);
// The structure at the planet's standing Colony, while its queue has room and the standing and
// queued structures leave room for one more. Returns 0 when queued, 1 otherwise.
int PlanetQueueStructure(Planet *pPlanet, int type);
// 1 when the planet has a standing Colony to build structures at; otherwise tells the owner so
// and returns 0.
int PlanetCanBuildStructures(Planet *pPlanet);

/* Per-turn step: production, building, the hold. 0, or 1 for a null planet. */
int PlanetUpdate(Planet *pPlanet);

/* Drawing. */
void PlanetDrawSurface(Planet *pPlanet);                // the close-up, m_pSurface
void PlanetDraw(Planet *pPlanet, Surface *pTarget);     // the icon on a system map
// The game screen shows the selected planet's details through this; null (the start) shows none.
typedef void (*PlanetSelectedDisplay)(Planet *pPlanet);
void PlanetSetSelectedDisplay(PlanetSelectedDisplay pfnDisplay);
