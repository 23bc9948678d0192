#include <gtest/gtest.h>

#include <cmath>

#include "camera/SphereTest.h"
#include "camera/Vector3.h"

namespace {

void expectVector(Vector3 v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST(Vector3, ArithmeticIsComponentwiseAndCrossIsRightHanded) {
    expectVector(Vector3(), 0, 0, 0);
    expectVector(Vector3(1, 2, 3) + Vector3(4, 5, 6), 5, 7, 9);
    expectVector(Vector3(1, 2, 3) - Vector3(4, 6, 8), -3, -4, -5);
    expectVector(Vector3(1, 2, 3) / 2.0f, 0.5f, 1, 1.5f);
    expectVector(cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), 0, 0, 1);
    expectVector(cross(Vector3(0, 1, 0), Vector3(0, 0, 1)), 1, 0, 0);
    expectVector(cross(Vector3(0, 0, -1), Vector3(0, 1, 0)), 1, 0, 0);  // right of a view
    expectVector(cross(Vector3(2, 4, 6), Vector3(1, 2, 3)), 0, 0, 0);
    expectVector(cross(Vector3(1, 2, 3), Vector3(4, 5, 6)), -3, 6, -3);
    expectVector(cross(Vector3(4, 5, 6), Vector3(1, 2, 3)), 3, -6, 3);
}

TEST(Vector3, LengthRoundsTheSumToFloatBeforeTheRoot) {
    EXPECT_EQ(length(Vector3(3, 4, 0)), 5.0f);
    EXPECT_EQ(length(Vector3()), 0.0f);
    // 2^24 + 1 is not a float: the sum rounds to 2^24 before the root is taken.
    EXPECT_EQ(length(Vector3(4096.0f, 1.0f, 0.0f)), 4096.0f);
    expectVector(normalized(Vector3(0, 0, -2)), 0, 0, -1);
    const Vector3 n = normalized(Vector3(-50, -120, -251));
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-6);
}

TEST(SpheresOverlap, TheTruncatedDistanceDecides) {
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 100));  // touching
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 99));
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 106, 150, 150, 0, 106));  // 212.13 truncates to 212
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 20, 0, 100));   // 40400: root 200.998
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 20, 1, 100));  // 40401: root 201
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 201, 0, 0, 100));
    EXPECT_TRUE(spheresOverlap(5, 5, 5, 0, 5, 5, 5, 0));
    // Far beyond the field the distance never wraps round to a small one.
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 46341, 46341, 0, 100));
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, INT32_MIN, 0, 0, 100));
}

}  // namespace
