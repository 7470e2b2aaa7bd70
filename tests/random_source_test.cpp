#include <gtest/gtest.h>

#include "sim/random_source.h"

TEST(RandomSource, FirstDrawsOfARunFollowTheClassicSequence)
{
    randomState = 1u;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) {
        EXPECT_EQ(nextRandom(), value);
    }
}

TEST(RandomSource, DrawsStayWithinZeroTo32767AndReachBothEnds)
{
    randomState = 12345u;
    bool sawZero = false;
    bool sawMax = false;
    for (int n = 0; n < 2000000; ++n) {
        const int draw = nextRandom();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, randomMax);
        sawZero = sawZero || draw == 0;
        sawMax = sawMax || draw == randomMax;
    }
    EXPECT_TRUE(sawZero);
    EXPECT_TRUE(sawMax);
}
