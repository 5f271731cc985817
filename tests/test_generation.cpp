// Generation: galaxies over many seeds keep their counts, spacing, company placement, colours and
// warp links; systems place their planets and gates apart and draw the icon of their star.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "baseutilities/baselist.h"
#include "game/2dutils.h"
#include "game/company.h"
#include "game/planet.h"
#include "game/randutils.h"
#include "game/structure.h"
#include "game/system.h"
#include "game/universe.h"
#include "game/warpgate.h"
#include "game/world.h"

namespace {

// Two positions are apart when they differ by at least the distance in columns or in rows.
bool Apart(Coord a, Coord b, int colDist, int rowDist)
{
    return abs(a.m_x - b.m_x) >= colDist || abs(a.m_y - b.m_y) >= rowDist;
}

Universe *Generate(unsigned seed)
{
    RandSeed(seed);
    int companies = RandInt(4) + 2;
    int systems = RandInt(10) + 5;
    Universe *pUniverse = nullptr;
    EXPECT_EQ(UniverseCreate(&pUniverse, systems, companies), 0);
    return pUniverse;
}

class Galaxies : public ::testing::TestWithParam<unsigned> {
protected:
    void TearDown() override { UniverseDestroy(&m_pUniverse); }
    Universe *m_pUniverse = nullptr;
};

TEST_P(Galaxies, CountsAndPositionsStayInTheirRanges)
{
    m_pUniverse = Generate(GetParam());
    ASSERT_NE(m_pUniverse, nullptr);
    EXPECT_EQ(m_pUniverse->m_size.m_x, 100);
    EXPECT_EQ(m_pUniverse->m_size.m_y, 100);
    EXPECT_EQ(m_pUniverse->m_iTurn, 0);
    ASSERT_GE(m_pUniverse->m_cSystem, 5);
    ASSERT_LE(m_pUniverse->m_cSystem, 14);
    EXPECT_GE(m_pUniverse->m_cCompany, 2);
    EXPECT_LE(m_pUniverse->m_cCompany, 5);

    std::set<int> ids;
    for (int s = 0; s < m_pUniverse->m_cSystem; s++) {
        System *pSystem = m_pUniverse->m_ppSystem[s];
        ASSERT_NE(pSystem, nullptr) << "slot " << s;
        ids.insert(pSystem->m_iId);
        EXPECT_GE(pSystem->m_pos.m_x, 5);
        EXPECT_LE(pSystem->m_pos.m_x, 94);
        EXPECT_GE(pSystem->m_pos.m_y, 5);
        EXPECT_LE(pSystem->m_pos.m_y, 94);
        for (int t = 0; t < s; t++)
            EXPECT_TRUE(Apart(pSystem->m_pos, m_pUniverse->m_ppSystem[t]->m_pos, 5, 5));
        EXPECT_GE(pSystem->m_cPlanet, 5);
        EXPECT_LE(pSystem->m_cPlanet, 14);
        EXPECT_GE(pSystem->m_cGate, 3);
        EXPECT_LE(pSystem->m_cGate, 5);
        EXPECT_GE(pSystem->m_eType, 0);
        EXPECT_LE(pSystem->m_eType, 3);
        EXPECT_EQ(pSystem->m_size.m_x, 100);
        EXPECT_EQ(pSystem->m_pMap->m_nWidth, 100);
        ASSERT_NE(pSystem->m_pFleets, nullptr);
        EXPECT_TRUE(ListIsEmpty(pSystem->m_pFleets));

        std::vector<Coord> taken;
        for (int p = 0; p < pSystem->m_cPlanet; p++) {
            Planet *pPlanet = pSystem->m_ppPlanet[p];
            ASSERT_NE(pPlanet, nullptr);
            EXPECT_EQ(pPlanet->m_pSystem, pSystem);
            EXPECT_EQ(pPlanet->m_eKind, PlanetKindForStar(pSystem->m_eType));
            ids.insert(pPlanet->m_iId);
            taken.push_back(pPlanet->m_pos);
        }
        for (int g = 0; g < pSystem->m_cGate; g++) {
            ASSERT_NE(pSystem->m_ppGate[g], nullptr);
            EXPECT_EQ(pSystem->m_ppGate[g]->m_pSystem, pSystem);
            ids.insert(pSystem->m_ppGate[g]->m_iId);
            taken.push_back(pSystem->m_ppGate[g]->m_pos);
        }
        for (size_t i = 0; i < taken.size(); i++) {
            EXPECT_GE(taken[i].m_x, 5);
            EXPECT_LE(taken[i].m_x, 94);
            EXPECT_GE(taken[i].m_y, 5);
            EXPECT_LE(taken[i].m_y, 94);
            for (size_t j = 0; j < i; j++)
                EXPECT_TRUE(Apart(taken[i], taken[j], 5, 5)) << "system " << s << " objects " << i
                                                            << " and " << j;
        }
    }
    // Ids are unique across systems, planets and gates.
    size_t objects = 0;
    for (int s = 0; s < m_pUniverse->m_cSystem; s++)
        objects += 1 + m_pUniverse->m_ppSystem[s]->m_cPlanet + m_pUniverse->m_ppSystem[s]->m_cGate;
    EXPECT_EQ(ids.size(), objects);

    Surface *pGalaxy = m_pUniverse->m_pSurface;
    ASSERT_NE(pGalaxy, nullptr);
    EXPECT_EQ(pGalaxy->m_nWidth, 100);
    EXPECT_EQ(pGalaxy->m_nHeight, 100);
    EXPECT_EQ(pGalaxy->m_pCells[0].m_ch, 'c');
    EXPECT_EQ(pGalaxy->m_pCells[9999].m_attr, 0);
}

TEST_P(Galaxies, CompaniesStartAloneOnTheirHomePlanets)
{
    m_pUniverse = Generate(GetParam());
    ASSERT_NE(m_pUniverse, nullptr);
    Company *pPlayer = m_pUniverse->m_ppCompany[0];
    EXPECT_STREQ(pPlayer->m_pName, "Human");
    EXPECT_EQ(pPlayer->m_bAI, 0);
    EXPECT_EQ(pPlayer->m_color, 0x90);
    EXPECT_EQ(pPlayer->m_iNum, 1);
    EXPECT_EQ(m_pUniverse->m_ppSystem[0]->m_ppPlanet[0]->m_pOwner, pPlayer);

    for (int i = 0; i < m_pUniverse->m_cCompany; i++) {
        Company *pCompany = m_pUniverse->m_ppCompany[i];
        ASSERT_NE(pCompany, nullptr);
        EXPECT_EQ(pCompany->m_iNum, i + 1);
        EXPECT_EQ(pCompany->m_cColony, 1);
        if (i > 0) {
            EXPECT_EQ(pCompany->m_bAI, 1);
            EXPECT_EQ(pCompany->m_color, 0xA0 + 0x10 * (i - 1));
            EXPECT_GE(strlen(pCompany->m_pName), 2u);
        }
        // Exactly one planet per company, and it has a Colony and a hold.
        int owned = 0;
        for (int s = 0; s < m_pUniverse->m_cSystem; s++) {
            System *pSystem = m_pUniverse->m_ppSystem[s];
            for (int p = 0; p < pSystem->m_cPlanet; p++) {
                Planet *pPlanet = pSystem->m_ppPlanet[p];
                if (pPlanet->m_pOwner != pCompany)
                    continue;
                owned++;
                EXPECT_EQ(pPlanet->m_iOwnerNum, i + 1);
                EXPECT_EQ(pPlanet->m_cStructure, 1);
                EXPECT_EQ(pPlanet->m_ppStructure[0]->m_eType, V_TYPE_COLONY);
                EXPECT_NE(pPlanet->m_pFleet, nullptr);
                if (i > 0) {
                    EXPECT_NE(s, 0) << "a computer company starts in the player's system";
                }
            }
        }
        EXPECT_EQ(owned, 1) << "company " << i;
    }
}

TEST_P(Galaxies, GatesArePairedSymmetricallyAcrossSystemsOrLeftUnpaired)
{
    m_pUniverse = Generate(GetParam());
    ASSERT_NE(m_pUniverse, nullptr);
    for (int s = 0; s < m_pUniverse->m_cSystem; s++) {
        System *pSystem = m_pUniverse->m_ppSystem[s];
        std::set<System *> partners;
        int paired = 0;
        for (int g = 0; g < pSystem->m_cGate; g++) {
            Warpgate *pGate = pSystem->m_ppGate[g];
            if (!pGate->m_pPair)
                continue;
            paired++;
            EXPECT_EQ(pGate->m_pPair->m_pPair, pGate);
            EXPECT_NE(pGate->m_pPair->m_pSystem, pSystem);
            // One link per pair of systems: no two gates lead to the same system.
            EXPECT_TRUE(partners.insert(pGate->m_pPair->m_pSystem).second);
        }
        // Paired gates come first: links take the gates in index order.
        for (int g = 0; g < paired; g++)
            EXPECT_NE(pSystem->m_ppGate[g]->m_pPair, nullptr);
        EXPECT_EQ(pSystem->m_iNextGate, paired);
    }
}

INSTANTIATE_TEST_SUITE_P(ManySeeds, Galaxies, ::testing::Range(1u, 61u));

TEST(Generation, TheSameSeedGeneratesTheSameGalaxy)
{
    Universe *pA = Generate(4242);
    Universe *pB = Generate(4242);
    ASSERT_NE(pA, nullptr);
    ASSERT_NE(pB, nullptr);
    ASSERT_EQ(pA->m_cSystem, pB->m_cSystem);
    ASSERT_EQ(pA->m_cCompany, pB->m_cCompany);
    for (int s = 0; s < pA->m_cSystem; s++) {
        System *pSa = pA->m_ppSystem[s], *pSb = pB->m_ppSystem[s];
        EXPECT_STREQ(pSa->m_pName, pSb->m_pName);
        EXPECT_STREQ(pSa->m_pStarName, pSb->m_pStarName);
        EXPECT_EQ(pSa->m_pos.m_x, pSb->m_pos.m_x);
        EXPECT_EQ(pSa->m_cPlanet, pSb->m_cPlanet);
        for (int p = 0; p < pSa->m_cPlanet; p++)
            EXPECT_STREQ(pSa->m_ppPlanet[p]->m_pName, pSb->m_ppPlanet[p]->m_pName);
    }
    for (int c = 1; c < pA->m_cCompany; c++)
        EXPECT_STREQ(pA->m_ppCompany[c]->m_pName, pB->m_ppCompany[c]->m_pName);
    UniverseDestroy(&pA);
    UniverseDestroy(&pB);
}

TEST(Generation, PlacementShrinksColumnsEveryThousandTriesAndRowsHalfwayBetween)
{
    Coord taken[1] = {{50, 50}};
    Placement placement = {20, 20, 998};
    RandSeed(3);
    Coord pos;
    // The first try, number 999, changes nothing; number 1000 shrinks the columns to 19.
    Placement copy = placement;
    ASSERT_EQ(PlaceApart(&copy, Coord{100, 100}, taken, 0, &pos), 0);
    EXPECT_EQ(copy.m_cTry, 999);
    EXPECT_EQ(copy.m_colDist, 20);
    copy.m_cTry = 999;
    ASSERT_EQ(PlaceApart(&copy, Coord{100, 100}, taken, 0, &pos), 0);
    EXPECT_EQ(copy.m_colDist, 19);
    EXPECT_EQ(copy.m_rowDist, 20);
    copy.m_cTry = 1499;
    ASSERT_EQ(PlaceApart(&copy, Coord{100, 100}, taken, 0, &pos), 0);
    EXPECT_EQ(copy.m_rowDist, 19);

    // In an area of 4 cells nothing can stay apart: the distances run down until placement fails.
    Coord corner[1] = {{5, 5}};
    Placement tight = {10, 15, 0};
    EXPECT_EQ(PlaceApart(&tight, Coord{12, 12}, corner, 1, &pos), SYSTEM_NO_ROOM);
    EXPECT_EQ(tight.m_colDist, 4);
}

TEST(Generation, SystemThatCannotPlaceItsPlanetsFailsWithNothingLeftBehind)
{
    RandSeed(11);
    System *pSystem = (System *)0x1;
    EXPECT_EQ(SystemCreate(&pSystem, "Cramped", "Dim", Coord{12, 12}, Coord{5, 5}, STAR_SOLAR, 5, 3),
              SYSTEM_NO_ROOM);
    EXPECT_EQ(pSystem, nullptr);
    // The planets fit but the gates do not.
    EXPECT_EQ(SystemCreate(&pSystem, "Cramped", "Dim", Coord{12, 12}, Coord{5, 5}, STAR_SOLAR, 1, 5),
              SYSTEM_NO_ROOM);
    EXPECT_EQ(pSystem, nullptr);
}

TEST(Generation, NewSystemCopiesItsNames)
{
    RandSeed(5);
    char name[] = "Vega";
    System *pSystem = nullptr;
    ASSERT_EQ(SystemCreate(&pSystem, name, "Lyra", Coord{100, 100}, Coord{30, 40}, STAR_BLUE, 7, 4), 0);
    name[0] = 'X';
    EXPECT_STREQ(pSystem->m_pName, "Vega");
    EXPECT_STREQ(pSystem->m_pStarName, "Lyra");
    EXPECT_EQ(pSystem->m_cPlanet, 7);
    EXPECT_EQ(pSystem->m_cGate, 4);
    SystemDestroy(&pSystem);
    EXPECT_EQ(pSystem, nullptr);
    EXPECT_EQ(SystemDestroy(&pSystem), 1);
}

std::string IconRow(const Surface *pIcon, int row)
{
    std::string text;
    for (int col = 0; col < 5; col++)
        text += (char)pIcon->m_pCells[row * 5 + col].m_ch;
    return text;
}

TEST(Generation, EachStarTypeDrawsItsIcon)
{
    System *pSystem = nullptr;
    RandSeed(9);

    ASSERT_EQ(SystemCreate(&pSystem, "S", "S", Coord{100, 100}, Coord{5, 5}, STAR_SOLAR, 5, 3), 0);
    EXPECT_EQ(IconRow(pSystem->m_pIcon, 2), " .O  ");
    EXPECT_EQ(pSystem->m_pIcon->m_pCells[0].m_ch, 0xF8);
    EXPECT_EQ(pSystem->m_pIcon->m_pCells[12].m_attr, 4);
    SystemDestroy(&pSystem);

    ASSERT_EQ(SystemCreate(&pSystem, "I", "I", Coord{100, 100}, Coord{5, 5}, STAR_INFERNO, 5, 3), 0);
    EXPECT_EQ(IconRow(pSystem->m_pIcon, 0), "/---\\");
    EXPECT_EQ(IconRow(pSystem->m_pIcon, 2), "|SSS|");
    EXPECT_EQ(IconRow(pSystem->m_pIcon, 4), "\\---/");
    EXPECT_EQ(pSystem->m_pIcon->m_pCells[24].m_attr, 3);
    EXPECT_EQ(pSystem->m_ppPlanet[0]->m_eKind, PLANET_EARTHLIKE);
    SystemDestroy(&pSystem);

    ASSERT_EQ(SystemCreate(&pSystem, "B", "B", Coord{100, 100}, Coord{5, 5}, STAR_BLUE, 5, 3), 0);
    const char *blue[5] = {"\\ | /", " \\|/ ", "--O--", " /|\\ ", "/ | \\"};
    const int blueAttr[5][5] = {{3, 3, 3, 3, 3}, {3, 11, 11, 11, 3}, {3, 11, 9, 11, 3},
                                {3, 11, 11, 11, 3}, {3, 3, 3, 3, 3}};
    for (int row = 0; row < 5; row++) {
        EXPECT_EQ(IconRow(pSystem->m_pIcon, row), blue[row]);
        for (int col = 0; col < 5; col++)
            EXPECT_EQ(pSystem->m_pIcon->m_pCells[row * 5 + col].m_attr, blueAttr[row][col]);
    }
    SystemDestroy(&pSystem);

    // Asteroid belts scatter five characters at random; over a few belts every one shows up.
    std::set<unsigned char> seen;
    for (int belt = 0; belt < 4; belt++) {
        ASSERT_EQ(SystemCreate(&pSystem, "A", "A", Coord{100, 100}, Coord{5, 5}, STAR_ASTEROID_BELT,
                               5, 3),
                  0);
        EXPECT_EQ(pSystem->m_ppPlanet[0]->m_eKind, PLANET_ROCKY);
        for (int i = 0; i < 25; i++) {
            seen.insert(pSystem->m_pIcon->m_pCells[i].m_ch);
            EXPECT_EQ(pSystem->m_pIcon->m_pCells[i].m_attr, 6);
        }
        SystemDestroy(&pSystem);
    }
    EXPECT_EQ(seen, (std::set<unsigned char>{0xF8, 0xF9, '.', ' ', 0xFA}));
}

// Systems with the gate counts given, for MakeWarpLinks alone.
Universe *LinkTestUniverse(std::vector<int> gates)
{
    Universe *pUniverse = (Universe *)calloc(1, sizeof(Universe));
    pUniverse->m_cSystem = (int8_t)gates.size();
    pUniverse->m_ppSystem = (System **)calloc(gates.size(), sizeof(System *));
    for (size_t i = 0; i < gates.size(); i++)
        EXPECT_EQ(SystemCreate(&pUniverse->m_ppSystem[i], "L", "L", Coord{100, 100}, Coord{5, 5},
                               STAR_SOLAR, 0, gates[i]),
                  0);
    return pUniverse;
}

// A seed whose first draws have the parities asked for (1 odd, 0 even).
unsigned SeedWithParities(std::vector<int> parities)
{
    for (unsigned seed = 1;; seed++) {
        RandSeed(seed);
        bool bMatch = true;
        for (int parity : parities)
            bMatch = bMatch && RandDraw() % 2 == parity;
        if (bMatch)
            return seed;
    }
}

TEST(WarpLinks, APairDrawnInBothPassesIsOneLinkThatSpendsTwoGatesAtEachEnd)
{
    // Systems of 2, 2 and 1 gates. Pass one: (1,0) odd, (2,0) even, (2,1) even; pass two: (1,0)
    // odd again. Systems 0 and 1 then have no free gate left, so (2,0) and (2,1) are not drawn.
    Universe *pUniverse = LinkTestUniverse({2, 2, 1});
    RandSeed(SeedWithParities({1, 0, 0, 1}));
    MakeWarpLinks(pUniverse);
    System **ppSystem = pUniverse->m_ppSystem;
    EXPECT_EQ(ppSystem[0]->m_ppGate[0]->m_pPair, ppSystem[1]->m_ppGate[0]);
    EXPECT_EQ(ppSystem[1]->m_ppGate[0]->m_pPair, ppSystem[0]->m_ppGate[0]);
    EXPECT_EQ(ppSystem[0]->m_ppGate[1]->m_pPair, nullptr);
    EXPECT_EQ(ppSystem[1]->m_ppGate[1]->m_pPair, nullptr);
    EXPECT_EQ(ppSystem[2]->m_ppGate[0]->m_pPair, nullptr);
    UniverseDestroy(&pUniverse);

    // The same systems with the second pass drawing even: the spare gates link to system 2.
    pUniverse = LinkTestUniverse({2, 2, 1});
    RandSeed(SeedWithParities({1, 0, 0, 0, 1}));
    MakeWarpLinks(pUniverse);
    ppSystem = pUniverse->m_ppSystem;
    EXPECT_EQ(ppSystem[0]->m_ppGate[0]->m_pPair, ppSystem[1]->m_ppGate[0]);
    EXPECT_EQ(ppSystem[2]->m_ppGate[0]->m_pPair, ppSystem[0]->m_ppGate[1]);
    EXPECT_EQ(ppSystem[1]->m_ppGate[1]->m_pPair, nullptr);
    UniverseDestroy(&pUniverse);
}

TEST(WarpLinks, GatesAreHandedOutInIndexOrderFromBothEnds)
{
    // Three systems of 3 gates, every draw odd in the first pass: each system links to both
    // others, using gate 0 towards the lower-numbered partner and gate 1 towards the higher.
    Universe *pUniverse = LinkTestUniverse({3, 3, 3});
    RandSeed(SeedWithParities({1, 1, 1}));
    MakeWarpLinks(pUniverse);
    System **ppSystem = pUniverse->m_ppSystem;
    EXPECT_EQ(ppSystem[0]->m_ppGate[0]->m_pPair, ppSystem[1]->m_ppGate[0]);
    EXPECT_EQ(ppSystem[0]->m_ppGate[1]->m_pPair, ppSystem[2]->m_ppGate[0]);
    EXPECT_EQ(ppSystem[1]->m_ppGate[1]->m_pPair, ppSystem[2]->m_ppGate[1]);
    for (int s = 0; s < 3; s++)
        EXPECT_EQ(ppSystem[s]->m_iNextGate, 2);
    UniverseDestroy(&pUniverse);
}

}  // namespace
