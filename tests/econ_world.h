// A small world for the economy's tests: one system of three planets, the player "Human" and one
// computer company, both catalogues, installed in g_pUniverse. Turns advance the way the turn
// cycle advances them for planets: the counter goes up, then every planet runs its update.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "baseutilities/baselist.h"
#include "game/2dutils.h"
#include "game/company.h"
#include "game/messagelog.h"
#include "game/planet.h"
#include "game/ship.h"
#include "game/structure.h"
#include "game/system.h"
#include "game/universe.h"
#include "game/world.h"

class SmallWorld : public ::testing::Test {
protected:
    System *m_pSystem = nullptr;
    Company *m_pHuman = nullptr;
    Company *m_pAI = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(ShipCatalogueCreate(), 0);
        ASSERT_EQ(StructCatalogueCreate(), 0);
        Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
        pUniverse->m_size = Coord{100, 100};
        pUniverse->m_cCompany = 2;
        pUniverse->m_ppCompany = (Company **)calloc(2, sizeof(Company *));
        CompanyCreate(&pUniverse->m_ppCompany[0], "Human", 0x90, 0);
        CompanyCreate(&pUniverse->m_ppCompany[1], "Zorg", 0xA0, 1);
        pUniverse->m_ppCompany[0]->m_iNum = 1;
        pUniverse->m_ppCompany[1]->m_iNum = 2;
        m_pHuman = pUniverse->m_ppCompany[0];
        m_pAI = pUniverse->m_ppCompany[1];

        System *pSystem = (System *)calloc(1, sizeof(System));
        pSystem->m_pName = strdup("Sol");
        pSystem->m_pStarName = strdup("Sun");
        pSystem->m_size = pUniverse->m_size;
        pSystem->m_pMap = CreateSurface(100, 100);
        FillSurface(pSystem->m_pMap, Cell{' ', 15});
        pSystem->m_pIcon = CreateSurface(5, 5);
        FillSurface(pSystem->m_pIcon, Cell{'*', 14});
        pSystem->m_pFleets = ListCreate();
        pSystem->m_cPlanet = 3;
        pSystem->m_ppPlanet = (Planet **)calloc(3, sizeof(Planet *));
        const char *names[3] = {"Terra", "Mars", "Ceres"};
        for (int i = 0; i < 3; i++)
            PlanetCreate(&pSystem->m_ppPlanet[i], pSystem, names[i], Coord{10 + 20 * i, 10}, i);
        pUniverse->m_cSystem = 1;
        pUniverse->m_ppSystem = (System **)calloc(1, sizeof(System *));
        pUniverse->m_ppSystem[0] = pSystem;
        m_pSystem = pSystem;
        g_pUniverse = pUniverse;
        MessagesClear();
    }

    void TearDown() override
    {
        UniverseDestroy(&g_pUniverse);
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
        MessagesClear();
    }

    Planet *PlanetAt(int i) { return m_pSystem->m_ppPlanet[i]; }

    // Appends a structure as if it had been built there.
    Structure *Build(Planet *pPlanet, int type)
    {
        Structure **ppSlot = &pPlanet->m_ppStructure[pPlanet->m_cStructure];
        EXPECT_EQ(StructureCreate(ppSlot, pPlanet, type), 0);
        pPlanet->m_cStructure++;
        return *ppSlot;
    }

    void NextTurn()
    {
        g_pUniverse->m_iTurn++;
        for (int i = 0; i < m_pSystem->m_cPlanet; i++)
            PlanetUpdate(m_pSystem->m_ppPlanet[i]);
    }

    static int CountMessages(const char *pText)
    {
        int count = 0;
        for (int i = 0; i < MessageCount(); i++)
            count += strcmp(MessageText(i), pText) == 0 ? 1 : 0;
        return count;
    }

    static std::string LastMessage() { return MessageCount() ? MessageText(MessageCount() - 1) : ""; }
};
