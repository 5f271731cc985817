// Small hand-made worlds for the tests of the world's rules: systems whose planets and gates stand
// where a test needs them, two companies, installed in g_pUniverse so that releasing a fleet
// searches it. UniverseDestroy frees everything in TearDown, so the leak checker sees any fleet or
// ship that the rules lose track of. Also a stand-in for the battle module, and the few helpers
// the fleet, gate, turn and screen tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "baseutilities/baselist.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/core/messagelog.h"
#include "game/world/planet.h"
#include "game/core/randutils.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"
#include "tests/world/scripted_player.h"

namespace motion_test {

struct SystemLayout {
    std::vector<Coord> planets, gates;
    bool bKinds = false;  // planets "Terra", "Mars", "Ceres" of kinds 0, 1, 2; else all rocky "Terra"
};

inline Universe *MakeUniverse(const std::vector<SystemLayout> &layouts, int cCompany)
{
    static const char *names[] = {"Terra", "Mars", "Ceres"};
    Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
    pUniverse->m_size = Coord{100, 100};
    pUniverse->m_cSystem = (int8_t)layouts.size();
    pUniverse->m_ppSystem = (System **)calloc(layouts.size(), sizeof(System *));
    for (size_t s = 0; s < layouts.size(); s++) {
        const SystemLayout &layout = layouts[s];
        System *pSystem = pUniverse->m_ppSystem[s] = (System *)calloc(1, sizeof(System));
        pSystem->m_pName = strdup("Testa");
        pSystem->m_pStarName = strdup("Lux");
        pSystem->m_size = Coord{100, 100};
        pSystem->m_pFleets = ListCreate();
        pSystem->m_cPlanet = (int8_t)layout.planets.size();
        pSystem->m_ppPlanet = (Planet **)calloc(layout.planets.size() + 1, sizeof(Planet *));
        for (size_t i = 0; i < layout.planets.size(); i++)
            PlanetCreate(&pSystem->m_ppPlanet[i], pSystem, layout.bKinds ? names[i] : "Terra",
                         layout.planets[i], layout.bKinds ? (int)i : PLANET_ROCKY);
        pSystem->m_cGate = (int8_t)layout.gates.size();
        pSystem->m_ppGate = (Warpgate **)calloc(layout.gates.size() + 1, sizeof(Warpgate *));
        for (size_t i = 0; i < layout.gates.size(); i++)
            WarpgateCreate(&pSystem->m_ppGate[i], pSystem, layout.gates[i]);
    }
    pUniverse->m_cCompany = (int8_t)cCompany;
    pUniverse->m_ppCompany = (Company **)calloc((size_t)cCompany, sizeof(Company *));
    for (int i = 0; i < cCompany; i++) {
        CompanyCreate(&pUniverse->m_ppCompany[i], i == 0 ? "Human" : "Zorg",
                      CompanyColorForIndex(i), i == 0 ? 0 : 1);
        pUniverse->m_ppCompany[i]->m_iNum = (uint8_t)(i + 1);
    }
    return pUniverse;
}

// A structure appended to the planet as if it had been built there.
inline Structure *AddStructure(Planet *pPlanet, int type)
{
    EXPECT_EQ(StructureCreate(&pPlanet->m_ppStructure[pPlanet->m_cStructure], pPlanet, type), 0);
    return pPlanet->m_ppStructure[pPlanet->m_cStructure++];
}

inline std::string FileText(const std::string &path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline int CountMessages(const char *pText)
{
    int count = 0;
    for (int i = 0; i < MessageCount(); i++)
        count += strcmp(MessageText(i), pText) == 0;
    return count;
}

inline bool ListHolds(List *pList, const void *pData)
{
    ListNode *pNode = pList->m_pHead;
    while (pNode && pNode->m_pData != pData)
        pNode = pNode->m_pNext;
    return pNode != nullptr;
}

// Both catalogues for the life of a fixture that holds one: made before SetUp, freed after TearDown.
struct Catalogues {
    Catalogues() { EXPECT_TRUE(ShipCatalogueCreate() == 0 && StructCatalogueCreate() == 0); }
    ~Catalogues()
    {
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
    }
};

// The battle module's stand-in: it remembers whom it was given and plays out a battle's
// bookkeeping (the first ship of each side lost, both fleets sent back) without any fire.
inline std::vector<std::vector<void *>> g_encounters;

inline void LoseFirstShipsAndReturn(Fleet *pFleet, Fleet *pEnemy, Planet *pPlanet)
{
    g_encounters.push_back({pFleet, pEnemy, pPlanet});
    for (Fleet *pSide : {pFleet, pEnemy}) {
        if (pSide && pSide->m_cShip > 0) {
            ((Ship *)pSide->m_pShips->m_pHead->m_pData)->m_pArmor->m_iHp = 0;
            pSide->m_eState = FLEET_RETURN;
        }
    }
}

// Two systems linked by gate 0 of each; system 0 has planets at (0,0), (25,0), (60,60) and
// (0,40) and gates at (80,10) and (80,80), system 1 one planet at (50,50) and a gate at (10,10).
// The player owns planet 0 of system 0, the one computer company planet 3.
class World : public ::testing::Test {
protected:
    void SetUp() override
    {
        RandSeed(7);
        MessagesClear();
        g_encounters.clear();
        g_pUniverse = MakeUniverse(
            {{{{0, 0}, {25, 0}, {60, 60}, {0, 40}}, {{80, 10}, {80, 80}}}, {{{50, 50}}, {{10, 10}}}}, 2);
        WarpgateLink(Gate(0, 0), Gate(1, 0));
        PlanetColonize(PlanetAt(0, 0), Player());
        PlanetColonize(PlanetAt(0, 3), Rival());
    }

    void TearDown() override
    {
        FleetSetEncounterHandler(nullptr);
        FleetSetSelectedDisplay(nullptr);
        FleetSetReleaseListener(nullptr);
        UniverseDestroy(&g_pUniverse);
        MessagesClear();
    }

    System *SystemAt(int s) { return g_pUniverse->m_ppSystem[s]; }
    Planet *PlanetAt(int s, int p) { return SystemAt(s)->m_ppPlanet[p]; }
    Warpgate *Gate(int s, int g) { return SystemAt(s)->m_ppGate[g]; }
    Company *Player() { return g_pUniverse->m_ppCompany[0]; }
    Company *Rival() { return g_pUniverse->m_ppCompany[1]; }

    // A fleet in space in system s at pos, owned by the owner of planet p there (its home).
    Fleet *SpaceFleet(int s, int p, Coord pos, std::vector<int> types)
    {
        Fleet *pFleet = nullptr;
        FleetCreate(&pFleet, PlanetAt(s, p));
        for (int type : types)
            AddShip(pFleet, type);
        pFleet->m_pSystem = SystemAt(s);
        pFleet->m_pos = pos;
        pFleet->m_dX = pos.m_x;
        pFleet->m_dY = pos.m_y;
        ListAppend(SystemAt(s)->m_pFleets, pFleet);
        return pFleet;
    }
    // Takes a fleet in space out of system s and frees it.
    void DropFleet(int s, Fleet *pFleet)
    {
        ListRemove(SystemAt(s)->m_pFleets, pFleet);
        FleetDestroy(&pFleet);
    }

    // Runs the fleet's update while it is launching or moving, at most limit times.
    static int Fly(Fleet *pFleet, int limit)
    {
        int n = 0;
        for (; (pFleet->m_eState == FLEET_LAUNCH || pFleet->m_eState == FLEET_MOVING) && n < limit; n++)
            FleetUpdate(pFleet);
        return n;
    }
};

}  // namespace motion_test
