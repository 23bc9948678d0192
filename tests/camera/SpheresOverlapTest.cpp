#include <gtest/gtest.h>

#include "camera/SphereTest.h"

TEST(SpheresOverlap, TruncatedDistanceDecidesAtTheBoundary) {
    // d² = 40400: the root 200.998 truncates to 200, which the radii reach.
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 20, 0, 100));
    // d² = 40401: the root is exactly 201.
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 20, 1, 100));
}

TEST(SpheresOverlap, TouchingCountsAndOneUnitShortDoesNot) {
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 100));
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 99));
    // 212.13 apart with radii adding up to 212: truncation lets it pass.
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 106, 150, 150, 0, 106));
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 105, 150, 150, 0, 106));
}

TEST(SpheresOverlap, SymmetricAndTranslationInvariant) {
    const int cases[][8] = {
        {0, 0, 0, 100, 200, 20, 0, 100},
        {0, 0, 0, 100, 200, 20, 1, 100},
        {-30, 7, 12, 5, 40, -9, 3, 60},
        {10, 10, 10, 0, 10, 10, 10, 0},
        {-250, -250, -250, 1, 250, 250, 250, 865},
        {-250, -250, -250, 1, 250, 250, 250, 864},
    };
    for (const auto& c : cases) {
        bool forward = spheresOverlap(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        EXPECT_EQ(forward, spheresOverlap(c[4], c[5], c[6], c[7], c[0], c[1], c[2], c[3]));
        EXPECT_EQ(forward, spheresOverlap(c[0] + 123, c[1] - 77, c[2] + 5, c[3], c[4] + 123,
                                          c[5] - 77, c[6] + 5, c[7]));
    }
    // Same centre, no radius: distance 0 is reached.
    EXPECT_TRUE(spheresOverlap(10, 10, 10, 0, 10, 10, 10, 0));
    // 500·√3 = 866.03 truncates to 866.
    EXPECT_TRUE(spheresOverlap(-250, -250, -250, 1, 250, 250, 250, 865));
    EXPECT_FALSE(spheresOverlap(-250, -250, -250, 1, 250, 250, 250, 864));
}

TEST(SpheresOverlap, LargeDistancesFollowSinglePrecision) {
    // 4097² + 65² + 63² = 16793603 = 4098² - 1: in single precision the distance comes out as
    // 4098, not the 4097 of exact integer arithmetic.
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 2048, 4097, 65, 63, 2049));
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 2049, 4097, 65, 63, 2049));
}
