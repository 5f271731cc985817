// Worlds for the save file's tests, the fuzzer's seed and the benchmark: a tiny hand-made world
// that holds one of everything the file describes (a hold, a fleet in space with a route, full and
// empty queues, a silo, a satellite, a paired gate, names with blanks) on 12 x 12 maps, so its
// file stays a few kilobytes; and played galaxies: generated, then run turn by turn with orders
// given in a loop, as the world alone plays them.
#pragma once

#include <cstdlib>

#include "game/core/2dutils.h"
#include "game/world/company.h"
#include "game/world/warpgate.h"
#include "tests/world/scripted_player.h"  // with the fleet, planet, structure, system and universe modules

namespace save_test {

inline Surface *Picture(int width, int height, unsigned char ch, unsigned char attr)
{
    Surface *pSurface = CreateSurface(width, height);
    FillSurface(pSurface, Cell{ch, attr});
    return pSurface;
}

inline System *TinySystem(Universe *pUniverse, int index, const char *pName, int cPlanet)
{
    System *pSystem = nullptr;
    const int side = pUniverse->m_size.m_x;
    SystemCreate(&pSystem, pName, "Lux Minor", pUniverse->m_size, Coord{index * 5, 1}, index % 4, 0, 0);
    DestroySurface(&pSystem->m_pMap);
    pSystem->m_pMap = Picture(side, side, ' ', 15);
    pSystem->m_pMap->m_pCells[0] = Cell{219, 0xF0};  // written as "-16" and "-37"
    free(pSystem->m_ppPlanet);
    pSystem->m_cPlanet = (int8_t)cPlanet;
    pSystem->m_ppPlanet = (Planet **)calloc((size_t)cPlanet + 1, sizeof(Planet *));
    for (int i = 0; i < cPlanet; i++) {
        PlanetCreate(&pSystem->m_ppPlanet[i], pSystem, i ? "Mars" : "Terra Nova", Coord{2 + 3 * i, 2 + i}, i % 3);
        DestroySurface(&pSystem->m_ppPlanet[i]->m_pSurface);
        pSystem->m_ppPlanet[i]->m_pSurface = Picture(4, 3, '.', 8);
    }
    free(pSystem->m_ppGate);
    pSystem->m_cGate = 1;
    pSystem->m_ppGate = (Warpgate **)calloc(2, sizeof(Warpgate *));
    WarpgateCreate(&pSystem->m_ppGate[0], pSystem, Coord{side - 4, side - 4});
    return pSystem;
}

// Two systems of a 12 x 12 galaxy linked by their gates. System 0: "Terra Nova" of the player
// with a Colony queueing three structures, a Shipyard queueing one ship, a Laser Satellite and a
// hold of two ships; "Mars" free. System 1: the computer company's planet with a Storage Silo and
// an empty Colony queue, and its fleet in space heading for Mars with a route and a target.
// Catalogues must exist. Ids are taken from g_nextObjectId as the game takes them.
inline Universe *MakeTinyWorld()
{
    Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
    pUniverse->m_size = Coord{12, 12};
    pUniverse->m_coordSpare = Coord{3, -4};
    pUniverse->m_iTurn = 40;
    pUniverse->m_cCompany = 2;
    pUniverse->m_ppCompany = (Company **)calloc(2, sizeof(Company *));
    CompanyCreate(&pUniverse->m_ppCompany[0], "Human", CompanyColorForIndex(0), 0);
    CompanyCreate(&pUniverse->m_ppCompany[1], "Zorg Prime", CompanyColorForIndex(1), 1);
    for (int i = 0; i < 2; i++)
        pUniverse->m_ppCompany[i]->m_iNum = (uint8_t)(i + 1);
    pUniverse->m_cSystem = 2;
    pUniverse->m_ppSystem = (System **)calloc(2, sizeof(System *));
    System *pHome = pUniverse->m_ppSystem[0] = TinySystem(pUniverse, 0, "Sol Prime", 2);
    System *pFar = pUniverse->m_ppSystem[1] = TinySystem(pUniverse, 1, "Vega", 1);
    pUniverse->m_pSurface = Picture(12, 12, 'c', 0);
    WarpgateLink(pHome->m_ppGate[0], pFar->m_ppGate[0]);
    pHome->m_ppGate[0]->m_bActive = 1;

    Universe *pSaved = g_pUniverse;
    g_pUniverse = pUniverse;  // queueing reads the turn from the world in play
    Planet *pTerra = pHome->m_ppPlanet[0];
    PlanetColonize(pTerra, pUniverse->m_ppCompany[0]);
    pTerra->m_iEnergy = pTerra->m_iMatter = 5000;
    StructureCreate(&pTerra->m_ppStructure[pTerra->m_cStructure++], pTerra, V_TYPE_SHIPYARD);
    StructureCreate(&pTerra->m_ppStructure[pTerra->m_cStructure++], pTerra, V_TYPE_SAT_LASER);
    for (int type : {V_TYPE_HARVESTER_ENERGY, V_TYPE_STORAGE, V_TYPE_SAT_VAVUVUR})
        QueueStructure(PlanetGetColony(pTerra), type);
    QueueShip(PlanetGetShipyard(pTerra), V_TYPE_SHIP_HEAVY);
    motion_test::AddShip(pTerra->m_pFleet, V_TYPE_SHIP_FAST, "Red Dawn");
    motion_test::AddShip(pTerra->m_pFleet, V_TYPE_MOTHERSHIP_SIEGE, "Kestrel");

    Planet *pVega = pFar->m_ppPlanet[0];
    Company *pZorg = pUniverse->m_ppCompany[1];
    PlanetColonize(pVega, pZorg);
    pVega->m_iEnergy = 6000;
    pVega->m_iMatter = 4000;
    StructureCreate(&pVega->m_ppStructure[pVega->m_cStructure++], pVega, V_TYPE_STORAGE);
    pZorg->m_cColony = pUniverse->m_ppCompany[0]->m_cColony = 1;
    Fleet *pRaider = nullptr;
    FleetCreate(&pRaider, pVega);
    motion_test::AddShip(pRaider, V_TYPE_SHIP_ATOMIC, "Night Owl");
    FleetMoveToPlanet(pRaider, pVega);
    pRaider->m_eState = FLEET_MOVING;
    pRaider->m_pSystem = pFar;
    pRaider->m_pos = Coord{7, 7};
    pRaider->m_dX = 7.25;
    pRaider->m_dY = 6.75;
    pRaider->m_pAttackTarget = pHome->m_ppPlanet[1];
    pRaider->m_aiState = FLEET_AI_ANGRY;
    QueuePush(pRaider->m_pRoute, pHome);
    ListAppend(pFar->m_pFleets, pRaider);
    CompanyAddFleet(pZorg, pRaider);
    pFar->m_ppGate[0]->m_pTransitFleet = pRaider;
    g_pUniverse = pSaved;
    return pUniverse;
}

// The save tests' games: the scripted player, busy (more structures, one rich planet filling its
// shipyard's queue), ordering a fleet on one draw in three.
inline motion_test::ScriptedPlayer BusyPlayer(unsigned seed) { return motion_test::ScriptedPlayer(seed, 12, true); }

}  // namespace save_test
