// The shared random sequence: its exact values for a known seed, and RandRange continuing the
// sequence instead of restarting it (reseeded from the clock, two fleets made in the same second
// would replay the same draws).
#include <gtest/gtest.h>

#include "game/core/randutils.h"

namespace {

// By hand from state = state x 214013 + 2531011 (mod 2^32), draw = (state >> 16) & 0x7FFF:
//   seed 1:     1 x 214013 + 2531011 = 2745024;        2745024 >> 16 = 41
//               2745024 x 214013 + 2531011 = 3357800067 (mod 2^32); >> 16 = 51235; & 0x7FFF = 18467
//               then 415139642 -> 6334, 3884216597 -> 26500, 3403800452 -> 19169
TEST(RandomSequence, ASeedGivesTheGeneratorsExactDrawsAndRandRangeGoesOnWithThem)
{
    RandSeed(1);
    for (int draw : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(RandDraw(), draw);
    RandSeed(1);
    EXPECT_EQ(RandInt(10), 41 % 10);
    EXPECT_EQ(RandRange(7, 10), 7 + 18467 % 4);  // no reseeding: the next draw of the sequence
    EXPECT_EQ(RandDraw(), 6334);
    EXPECT_EQ(RandRange(-5, 5), -5 + 26500 % 11);
    EXPECT_EQ(RandDraw(), 19169);
}

}  // namespace
