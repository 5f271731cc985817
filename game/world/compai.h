// compai: plays the computer companies. It keeps no plan beyond the small state values on each
// company, planet and fleet; once per turn AITurn looks at each object of one company in a fixed
// order, reacts to its state with at most one build or movement order, and moves the state on.
// The turn cycle calls it for every computer company before the world moves (AIPlayComputerCompanies);
// it changes the world only through the planet's build rules and the fleet's orders. Every step
// leaves a block in the AI dump files (aidump). The breadth-first searches borrow the systems'
// m_bSearched and m_pSearchParent and leave them cleared.
#pragma once

struct Universe;
struct Company;
struct System;
struct Planet;
struct Fleet;
struct Warpgate;

enum {
    AI_ORDER_ATTEMPTS = 5,   // counted draws an order allows itself (the infrastructure order one more)
};

/* The per-turn driver and the three steps. */
// One AI turn of the company: the mode rule, then system by system the planets it owns (each
// preceded by its hold when that holds ships), the fleets coming out of its gates, its fleets
// in space.
void AITurn(Universe *pUniverse, Company *pCompany);
// AITurn for every computer company, in company order; the player's company is never run.
void AIPlayComputerCompanies(Universe *pUniverse);
// The company's mode by its leads over every other company. A lead in defence leaves out the
// satellites and cannons the company holds, and DEFENSE without that lead goes back to IDLE.
void AIUpdateCompanyMode(Universe *pUniverse, Company *pCompany);
void AIRunPlanet(Planet *pPlanet);
void AIRunFleet(Fleet *pFleet);   // a fleet with at least one ship

/* State operations: set keeps the old state as the last one; revert goes back to the last one,
   which becomes IDLE (1 for companies, 0 for planets and fleets). */
void AISetCompanyState(Company *pCompany, int state);
void AIRevertCompanyState(Company *pCompany);
void AISetPlanetState(Planet *pPlanet, int state);
void AIRevertPlanetState(Planet *pPlanet);
void AISetFleetState(Fleet *pFleet, int state);
void AIRevertFleetState(Fleet *pFleet);
// Names as the dumps print them; "" for a value without a name.
const char *AICompanyStateName(int state);
const char *AIPlanetStateName(int state);
const char *AIFleetStateName(int state);

// The AI's running commentary. It writes nothing.
void AITrace(const char *pText);

/* Planet decisions. */
// The first of energy harvester, matter harvester, shipyard that the planet neither has nor has
// queued at its Colony; 0 when none is missing.
int AIMissingBasicStructure(const Planet *pPlanet);
int AIPlanetIsBuilding(const Planet *pPlanet);   // 1 while its Shipyard or Colony queue holds work
int AITypeIsQueued(const Planet *pPlanet, int type);
// The orders queue through the planet's build rules and set the planet BUILDING when they queue.
// The first three give up after their draws and set the planet IDLE.
void AIOrderCombatShip(Planet *pPlanet);
void AIOrderDefensiveStructure(Planet *pPlanet);
void AIOrderInfrastructure(Planet *pPlanet);
void AIOrderColonyShip(Planet *pPlanet);
void AIOrderMissingStructure(Planet *pPlanet, int type);

/* Fleet decisions. */
// The company's fleets in space in the system plus its planets there whose hold has ships.
int AIForcesInSystem(const System *pSystem, const Company *pCompany);
Fleet *AIFirstAdoptingFleet(const System *pSystem);
// Breadth-first through paired gates: the nearest system with a planet the company does not own.
System *AIFindAttackTarget(System *pStart, const Company *pCompany);
// The first planet of the system owned by a company other than the given one.
Planet *AIPickTargetPlanet(const System *pSystem, const Company *pCompany);
// Breadth-first from the system: the first free planet of the nearest system that has one.
Planet *AIFindColonyPlanet(System *pStart);
// Replaces the fleet's route with the systems to enter on the way to the destination, nearest
// first; empty when the fleet is there already or no gate path leads there.
void AIPlanRoute(Fleet *pFleet, System *pDest);
// Takes the next system off the route and returns the fleet's gate into it; null for an empty route.
Warpgate *AINextGate(Fleet *pFleet);
// Sends a fleet holding a Colony Mothership towards the nearest free planet.
void AIColonisationMove(Fleet *pFleet);
