// Generation: galaxies over many seeds keep their counts, spacing, company placement, colours and
// warp links; a system without room fails cleanly; warp links spend gates as drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "game/world/structure.h"
#include "tests/world/motion_world.h"

namespace {

// Inside the margin of 5, and apart from every earlier position by 5 in columns or in rows.
void ExpectPlaced(const std::vector<Coord> &taken)
{
    for (size_t i = 0; i < taken.size(); i++) {
        EXPECT_TRUE(taken[i].m_x >= 5 && taken[i].m_x <= 94 && taken[i].m_y >= 5 && taken[i].m_y <= 94);
        for (size_t j = 0; j < i; j++)
            EXPECT_TRUE(abs(taken[i].m_x - taken[j].m_x) >= 5 || abs(taken[i].m_y - taken[j].m_y) >= 5);
    }
}

class Galaxies : public ::testing::TestWithParam<unsigned> {
protected:
    void TearDown() override { UniverseDestroy(&m_pUniverse); }
    Universe *m_pUniverse = nullptr;
};

TEST_P(Galaxies, KeepTheirCountsSpacingCompaniesAndLinks)
{
    RandSeed(GetParam());
    int companies = RandInt(4) + 2;
    ASSERT_EQ(UniverseCreate(&m_pUniverse, RandInt(10) + 5, companies), 0);
    ASSERT_TRUE(m_pUniverse->m_cSystem >= 5 && m_pUniverse->m_cSystem <= 14);
    const int kinds[] = {PLANET_EARTHLIKE, PLANET_EARTHLIKE, PLANET_ROCKY, PLANET_GAS_GIANT};
    std::vector<Coord> systems;
    std::set<Planet *> homes;
    for (int s = 0; s < m_pUniverse->m_cSystem; s++) {
        System *pSystem = m_pUniverse->m_ppSystem[s];
        ASSERT_NE(pSystem, nullptr) << "slot " << s;
        systems.push_back(pSystem->m_pos);
        EXPECT_TRUE(pSystem->m_cPlanet >= 5 && pSystem->m_cPlanet <= 14 && pSystem->m_cGate >= 3 &&
                    pSystem->m_cGate <= 5);
        std::vector<Coord> taken;
        for (int p = 0; p < pSystem->m_cPlanet; p++) {
            Planet *pPlanet = pSystem->m_ppPlanet[p];
            taken.push_back(pPlanet->m_pos);
            EXPECT_EQ(pPlanet->m_eKind, kinds[pSystem->m_eType]);
            if (!pPlanet->m_pOwner)
                continue;
            // A home planet: its company's number, a Colony and a hold; the player on planet 0 of
            // system 0 and the computer companies never in that system.
            int c = pPlanet->m_iOwnerNum - 1;
            ASSERT_TRUE(c >= 0 && c < companies);
            EXPECT_TRUE(pPlanet->m_pOwner == m_pUniverse->m_ppCompany[c] && pPlanet->m_pFleet);
            EXPECT_TRUE(pPlanet->m_cStructure == 1 && pPlanet->m_ppStructure[0]->m_eType == V_TYPE_COLONY);
            EXPECT_TRUE(c == 0 ? s == 0 && p == 0 : s != 0) << "company " << c << " at system " << s;
            homes.insert(pPlanet);
        }
        // Paired gates come first, point back at their partner in another system, and no two
        // gates of a system lead to the same system.
        std::set<System *> partners;
        int paired = 0;
        for (int g = 0; g < pSystem->m_cGate; g++) {
            Warpgate *pGate = pSystem->m_ppGate[g];
            taken.push_back(pGate->m_pos);
            if (!pGate->m_pPair)
                continue;
            EXPECT_TRUE(paired++ == g && pGate->m_pPair->m_pPair == pGate);
            EXPECT_TRUE(partners.insert(pGate->m_pPair->m_pSystem).second && pGate->m_pPair->m_pSystem != pSystem);
        }
        EXPECT_EQ(pSystem->m_iNextGate, paired);
        ExpectPlaced(taken);
    }
    ExpectPlaced(systems);
    // One home planet per company, none shared; the player "Human" in 0x90, the others computer
    // companies in 0xA0, 0xB0, ...
    EXPECT_EQ(homes.size(), (size_t)companies);
    EXPECT_STREQ(m_pUniverse->m_ppCompany[0]->m_pName, "Human");
    for (int c = 0; c < companies; c++) {
        Company *pCompany = m_pUniverse->m_ppCompany[c];
        EXPECT_TRUE(pCompany->m_iNum == c + 1 && pCompany->m_cColony == 1 && pCompany->m_bAI == (c > 0));
        EXPECT_EQ(pCompany->m_color, c == 0 ? 0x90 : 0xA0 + 0x10 * (c - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(ManySeeds, Galaxies, ::testing::Range(1u, 61u));

// In an area of 4 cells nothing can stay apart: a system that cannot place its planets, or its
// gates, fails with nothing left behind.
TEST(Generation, ASystemThatCannotPlaceItsPlanetsOrGatesFailsWithNothingLeftBehind)
{
    for (int planets : {5, 1}) {
        System *pSystem = (System *)0x1;
        EXPECT_EQ(SystemCreate(&pSystem, "C", "D", Coord{12, 12}, Coord{5, 5}, STAR_SOLAR, planets, 5),
                  SYSTEM_NO_ROOM);
        EXPECT_EQ(pSystem, nullptr);
    }
}

// Seeds the generator so that its first draws have the parities asked for (1 odd, 0 even).
void SeedWithParities(std::vector<int> parities)
{
    for (unsigned seed = 1;; seed++) {
        RandSeed(seed);
        bool bMatch = true;
        for (int parity : parities)
            bMatch = bMatch && RandDraw() % 2 == parity;
        RandSeed(seed);
        if (bMatch)
            return;
    }
}

TEST(WarpLinks, PairsDrawnInBothPassesSpendTwoGatesAtEachEndForOneLink)
{
    const struct {
        std::vector<int> gates, parities;
        std::vector<std::vector<int>> links;  // system, gate, system, gate
    } cases[] = {
        // Two systems of three gates, the pair drawn in both passes: one link, gates 1 and 2 unpaired.
        {{3, 3}, {1, 1}, {{0, 0, 1, 0}}},
        // Gates 2, 2 and 1. Pass one: (1,0) odd, (2,0) even, (2,1) even; pass two: (1,0) odd again.
        // Systems 0 and 1 then have no free gate left, so (2,0) and (2,1) are not drawn.
        {{2, 2, 1}, {1, 0, 0, 1}, {{0, 0, 1, 0}}},
        // The same with the second pass drawing even: the spare gates link to system 2.
        {{2, 2, 1}, {1, 0, 0, 0, 1}, {{0, 0, 1, 0}, {0, 1, 2, 0}}},
        // Every draw odd: gate 0 leads to the lower-numbered partner, gate 1 to the higher.
        {{3, 3, 3}, {1, 1, 1}, {{0, 0, 1, 0}, {0, 1, 2, 0}, {1, 1, 2, 1}}},
    };
    for (const auto &c : cases) {
        std::vector<motion_test::SystemLayout> layouts;
        for (int gates : c.gates)
            layouts.push_back({{}, std::vector<Coord>(gates)});
        Universe *pUniverse = motion_test::MakeUniverse(layouts, 0);
        SeedWithParities(c.parities);
        MakeWarpLinks(pUniverse);
        auto gate = [pUniverse](int s, int g) { return pUniverse->m_ppSystem[s]->m_ppGate[g]; };
        size_t paired = 0;
        for (int s = 0; s < pUniverse->m_cSystem; s++)
            for (int g = 0; g < pUniverse->m_ppSystem[s]->m_cGate; g++)
                paired += gate(s, g)->m_pPair != nullptr;
        EXPECT_EQ(paired, 2 * c.links.size()) << "gates paired beyond the expected links";
        for (const auto &link : c.links) {
            EXPECT_EQ(gate(link[0], link[1])->m_pPair, gate(link[2], link[3]));
            EXPECT_EQ(gate(link[2], link[3])->m_pPair, gate(link[0], link[1]));
        }
        UniverseDestroy(&pUniverse);
    }
}

}  // namespace
