// A small world for the economy's tests: one system of three planets (Terra, Mars, Ceres) with a
// map and an icon, the player "Human" and one computer company, both catalogues. Turns advance
// the way the turn cycle advances them for planets: the counter goes up, then every planet runs.
#pragma once

#include <string>

#include "game/core/2dutils.h"
#include "game/world/structure.h"
#include "tests/world/motion_world.h"

class SmallWorld : public ::testing::Test {
protected:
    System *m_pSystem = nullptr;
    Company *m_pHuman = nullptr;
    Company *m_pAI = nullptr;
    motion_test::Catalogues m_catalogues;

    void SetUp() override
    {
        g_pUniverse = motion_test::MakeUniverse({{{{10, 10}, {30, 10}, {50, 10}}, {}, true}}, 2);
        m_pSystem = g_pUniverse->m_ppSystem[0];
        m_pHuman = g_pUniverse->m_ppCompany[0];
        m_pAI = g_pUniverse->m_ppCompany[1];
        m_pSystem->m_pMap = CreateSurface(100, 100);
        FillSurface(m_pSystem->m_pMap, Cell{' ', 15});
        m_pSystem->m_pIcon = CreateSurface(5, 5);
        FillSurface(m_pSystem->m_pIcon, Cell{'*', 14});
        MessagesClear();
    }

    void TearDown() override
    {
        UniverseDestroy(&g_pUniverse);
        MessagesClear();
    }

    Planet *PlanetAt(int i) { return m_pSystem->m_ppPlanet[i]; }

    static Structure *Build(Planet *pPlanet, int type) { return motion_test::AddStructure(pPlanet, type); }

    void NextTurn()
    {
        g_pUniverse->m_iTurn++;
        for (int i = 0; i < m_pSystem->m_cPlanet; i++)
            PlanetUpdate(m_pSystem->m_ppPlanet[i]);
    }

    // "energy/matter" of a planet.
    static std::string Stores(const Planet *p)
    {
        return std::to_string(p->m_iEnergy) + "/" + std::to_string(p->m_iMatter);
    }
    static int CountMessages(const char *pText) { return motion_test::CountMessages(pText); }
    static std::string LastMessage() { return MessageCount() ? MessageText(MessageCount() - 1) : ""; }
};
