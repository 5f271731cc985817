// The shared random sequence: its exact values for a known seed, the shapes drawn from it, and
// RandRange continuing the sequence instead of restarting it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "game/randutils.h"

namespace {

// By hand from state = state x 214013 + 2531011 (mod 2^32), draw = (state >> 16) & 0x7FFF:
//   seed 1:     1 x 214013 + 2531011 = 2745024;        2745024 >> 16 = 41
//               2745024 x 214013 + 2531011 = 3357800067 (mod 2^32); >> 16 = 51235; & 0x7FFF = 18467
//               then 415139642 -> 6334, 3884216597 -> 26500, 3403800452 -> 19169
//   seed 12345: 2644521496 -> 7584, 1255958651 -> 19164, 3837989202 -> 25795
TEST(RandomSequence, KnownSeedsGiveTheGeneratorsExactDraws)
{
    RandSeed(1);
    EXPECT_EQ(RandDraw(), 41);
    EXPECT_EQ(RandDraw(), 18467);
    EXPECT_EQ(RandDraw(), 6334);
    EXPECT_EQ(RandDraw(), 26500);
    EXPECT_EQ(RandDraw(), 19169);

    RandSeed(12345);
    EXPECT_EQ(RandDraw(), 7584);
    EXPECT_EQ(RandDraw(), 19164);
    EXPECT_EQ(RandDraw(), 25795);
}

TEST(RandomSequence, RandIntIsTheDrawModuloN)
{
    RandSeed(1);
    EXPECT_EQ(RandInt(10), 1);      // 41
    EXPECT_EQ(RandInt(100), 67);    // 18467
    EXPECT_EQ(RandInt(1), 0);       // 6334
    RandSeed(99);
    for (int i = 0; i < 2000; i++) {
        int value = RandInt(7);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 7);
    }
}

TEST(RandomSequence, RandRangeDrawsFromTheSharedSequenceWithoutReseeding)
{
    // Interleaving RandRange with other draws consumes the one sequence in order.
    RandSeed(1);
    EXPECT_EQ(RandRange(7, 10), 7 + 41 % 4);
    EXPECT_EQ(RandDraw(), 18467);
    EXPECT_EQ(RandRange(0, 32767), 6334);
    EXPECT_EQ(RandRange(-5, 5), -5 + 26500 % 11);
    EXPECT_EQ(RandDraw(), 19169);
}

// Two fleets made in the same second each take RandRange (7, 10) and then draw on. Seeded from the
// clock, a reseeding RandRange would hand both the same value and replay the same draws after it.
TEST(RandomSequence, FleetsMadeInTheSameSecondDoNotReplayTheSequence)
{
    RandInit();
    std::vector<int> first, second;
    first.push_back(RandRange(0, 32767));
    for (int i = 0; i < 6; i++)
        first.push_back(RandDraw());
    second.push_back(RandRange(0, 32767));
    for (int i = 0; i < 6; i++)
        second.push_back(RandDraw());
    EXPECT_NE(first, second);

    std::set<int> sizes;
    for (int i = 0; i < 200; i++) {
        int size = RandRange(7, 10);
        ASSERT_GE(size, 7);
        ASSERT_LE(size, 10);
        sizes.insert(size);
    }
    EXPECT_EQ(sizes.size(), 4u);
}

TEST(RandomCoord, StaysInsideTheMarginAndDrawsTheColumnFirst)
{
    RandSeed(1);
    Coord *pCoord = RandomCoord(100, 50, 5);
    ASSERT_NE(pCoord, nullptr);
    EXPECT_EQ(pCoord->m_x, 41 % 90 + 5);
    EXPECT_EQ(pCoord->m_y, 18467 % 40 + 5);
    free(pCoord);

    RandSeed(4242);
    int lowX = 100, highX = -1, lowY = 100, highY = -1;
    for (int i = 0; i < 5000; i++) {
        pCoord = RandomCoord(100, 100, 5);
        lowX = std::min(lowX, pCoord->m_x);
        highX = std::max(highX, pCoord->m_x);
        lowY = std::min(lowY, pCoord->m_y);
        highY = std::max(highY, pCoord->m_y);
        free(pCoord);
    }
    EXPECT_EQ(lowX, 5);
    EXPECT_EQ(highX, 94);
    EXPECT_EQ(lowY, 5);
    EXPECT_EQ(highY, 94);
}

TEST(RandomName, KnownSeedSpellsTheExpectedName)
{
    // Seed 1: length 41 % 9 + 2 = 7; then 18467 % 21 = 8 'd', 6334 % 5 = 4 'u', 26500 % 21 = 19 'x',
    // 19169 % 21 = 17 's', 15724 % 5 = 4 'u', 11478 % 21 = 12 'l', 29358 % 21 = 0 'b'.
    RandSeed(1);
    char *pName = RandomName();
    ASSERT_NE(pName, nullptr);
    EXPECT_STREQ(pName, "Duxsulb");
    free(pName);
}

TEST(RandomName, ShapeHoldsOverManyNames)
{
    RandSeed(2024);
    std::set<size_t> lengths;
    for (int n = 0; n < 3000; n++) {
        char *pName = RandomName();
        ASSERT_NE(pName, nullptr);
        size_t length = strlen(pName);
        lengths.insert(length);
        ASSERT_GE(length, 2u);
        ASSERT_LE(length, 10u);
        ASSERT_TRUE(pName[0] >= 'A' && pName[0] <= 'Y') << pName;
        ASSERT_EQ(strchr(pName, 'z'), nullptr) << pName;
        ASSERT_EQ(strchr(pName, 'Z'), nullptr) << pName;
        for (size_t i = 1; i < length; i++) {
            ASSERT_TRUE(pName[i] >= 'a' && pName[i] <= 'y') << pName;
            if ((i + 2) % 3 == 0) {
                ASSERT_NE(strchr("aeiou", pName[i]), nullptr) << pName;
            }
        }
        free(pName);
    }
    EXPECT_EQ(lengths.size(), 9u);
}

}  // namespace
