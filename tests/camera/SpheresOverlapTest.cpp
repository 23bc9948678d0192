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

namespace {

// The rule written out: squared distance rounded to float, root in double, truncated.
bool overlapByRoot(int x1, int y1, int z1, int r1, int x2, int y2, int z2, int r2) {
    const long long dx = static_cast<long long>(x2) - x1;
    const long long dy = static_cast<long long>(y2) - y1;
    const long long dz = static_cast<long long>(z2) - z1;
    const float squared = static_cast<float>(dx * dx + dy * dy + dz * dz);
    const int distance = static_cast<int>(static_cast<float>(std::sqrt(double(squared))));
    return r1 + r2 >= distance;
}

TEST(SpheresOverlapFastPath, AgreesWithTheRootAcrossRadiiAndDistances) {
    const int radii[] = {0, 1, 7, 99, 100, 101, 150, 1000, 1447, 1448, 2000, 5000};
    for (int r1 : radii) {
        for (int r2 : {0, 1, 100, 447}) {
            const int reach = r1 + r2;
            // Every distance around the boundary, along the axes and off them.
            for (int d = reach - 3; d <= reach + 3; ++d) {
                for (int off = 0; off <= 40; off += 4) {
                    for (int z : {0, 1, 2, 3}) {
                        ASSERT_EQ(spheresOverlap(0, 0, 0, r1, d, off, z, r2),
                                  overlapByRoot(0, 0, 0, r1, d, off, z, r2))
                            << r1 << " " << r2 << " " << d << " " << off << " " << z;
                    }
                }
            }
        }
    }
}

TEST(SpheresOverlapFastPath, AgreesWithTheRootOnAGridAroundTheNearRadius) {
    for (int x = -260; x <= 260; x += 1) {
        for (int y = -260; y <= 260; y += 3) {
            for (int z : {-37, 0, 5, 61}) {
                ASSERT_EQ(spheresOverlap(3, -2, 1, 100, x, y, z, 100),
                          overlapByRoot(3, -2, 1, 100, x, y, z, 100))
                    << x << " " << y << " " << z;
            }
        }
    }
}

TEST(SpheresOverlapFastPath, EveryExactSumTruncatesToItsIntegerRoot) {
    // The fast path's claim: for sums exact in float and roots below 2895, the truncated
    // float root is the integer square root.
    long long root = 0;
    for (long long n = 0; n <= (1LL << 24); ++n) {
        while ((root + 1) * (root + 1) <= n) {
            ++root;
        }
        const int truncated =
            static_cast<int>(static_cast<float>(std::sqrt(double(static_cast<float>(n)))));
        if (root < 2895) {
            ASSERT_EQ(truncated, root) << n;
        } else {
            ASSERT_GE(truncated, 2895) << n;
        }
    }
}

}  // namespace
