#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "camera/Vector3.h"

namespace {

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

::testing::AssertionResult sameBits(Vector3 actual, float x, float y, float z) {
    if (bitsOf(actual.x) == bitsOf(x) && bitsOf(actual.y) == bitsOf(y) &&
        bitsOf(actual.z) == bitsOf(z)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got (" << actual.x << ", " << actual.y << ", " << actual.z << "), want (" << x
           << ", " << y << ", " << z << ")";
}

// A fixed stream of awkward floats, so the rounding cases are the same on every run.
class FloatStream {
public:
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Magnitudes below 512 with up to 24 significant bits, both signs.
        float value = static_cast<float>(state >> 8) / 32768.0f;
        return (state & 1u) != 0 ? -value : value;
    }

private:
    uint32_t state = 12345u;
};

}  // namespace

TEST(Vector3Arithmetic, DefaultIsZeroAndComponentsKeepTheirOrder) {
    EXPECT_TRUE(sameBits(Vector3(), 0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(sameBits(Vector3(1.5f, -2.0f, 3.25f), 1.5f, -2.0f, 3.25f));
    static_assert(sizeof(Vector3) == 3 * sizeof(float), "three floats and nothing else");
}

TEST(Vector3Arithmetic, AddSubtractDivideComponentwiseInFloat) {
    Vector3 a(1.0f, 2.0f, 3.0f);
    Vector3 b(0.1f, -0.2f, 1e8f);
    EXPECT_TRUE(sameBits(a + b, 1.0f + 0.1f, 2.0f - 0.2f, 3.0f + 1e8f));
    EXPECT_TRUE(sameBits(a - b, 1.0f - 0.1f, 2.0f + 0.2f, 3.0f - 1e8f));
    // A true division per component, not a multiplication by the reciprocal.
    EXPECT_TRUE(sameBits(a / 3.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f));
    EXPECT_TRUE(
        sameBits(Vector3(0.3f, 7.0f, -5.0f) / 0.7f, 0.3f / 0.7f, 7.0f / 0.7f, -5.0f / 0.7f));
}

TEST(Vector3Cross, AxisIdentitiesAreRightHanded) {
    Vector3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    EXPECT_TRUE(sameBits(cross(x, y), 0, 0, 1));
    EXPECT_TRUE(sameBits(cross(y, z), 1, 0, 0));
    EXPECT_TRUE(sameBits(cross(z, x), 0, 1, 0));
    // Looking along -z with y up, the right-hand side is +x.
    Vector3 right = cross(Vector3(0, 0, -1), y);
    EXPECT_EQ(right.x, 1.0f);
    EXPECT_EQ(right.y, 0.0f);
    EXPECT_EQ(right.z, 0.0f);
}

TEST(Vector3Cross, ParallelVectorsGiveZero) {
    Vector3 c = cross(Vector3(2, -4, 6), Vector3(-1, 2, -3));
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_EQ(c.z, 0.0f);
}

TEST(Vector3Cross, SwappingOperandsNegatesAndResultIsPerpendicular) {
    FloatStream stream;
    for (int i = 0; i < 500; ++i) {
        Vector3 a(stream.next(), stream.next(), stream.next());
        Vector3 b(stream.next(), stream.next(), stream.next());
        Vector3 ab = cross(a, b);
        Vector3 ba = cross(b, a);
        ASSERT_TRUE(sameBits(ba, -ab.x, -ab.y, -ab.z)) << "case " << i;
        // Each component is a.y*b.z - a.z*b.y with both products rounded on their own.
        ASSERT_TRUE(
            sameBits(ab, a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x))
            << "case " << i;
        double scale = static_cast<double>(length(a)) * length(b) * length(ab);
        double dotA = static_cast<double>(ab.x) * a.x + static_cast<double>(ab.y) * a.y +
                      static_cast<double>(ab.z) * a.z;
        ASSERT_LE(std::fabs(dotA), scale * 1e-6 + 1e-6) << "case " << i;
    }
}

TEST(Vector3Length, ExactForPythagoreanTriplesAndZero) {
    EXPECT_EQ(bitsOf(length(Vector3(3, 4, 0))), bitsOf(5.0f));
    EXPECT_EQ(bitsOf(length(Vector3(-2, 3, -6))), bitsOf(7.0f));
    EXPECT_EQ(bitsOf(length(Vector3())), bitsOf(0.0f));
}

TEST(Vector3Length, SumIsRoundedToFloatBeforeTheRoot) {
    // For these the float sum and an exact sum round to different lengths.
    const float cases[][3] = {
        {0x1.e442c8p+5f, 0x1.7a2214p+6f, 0x1.022c02p+7f},
        {0x1.09dc78p+5f, 0x1.6a1c32p+7f, 0x1.2a702cp+7f},
        {0x1.3d5a8p+5f, 0x1.7d35b8p+6f, 0x1.5f50f2p+7f},
    };
    for (const auto& c : cases) {
        float sum = c[0] * c[0];
        sum = sum + c[1] * c[1];
        sum = sum + c[2] * c[2];
        float expected = static_cast<float>(std::sqrt(static_cast<double>(sum)));
        double exactSum = static_cast<double>(c[0]) * c[0] + static_cast<double>(c[1]) * c[1] +
                          static_cast<double>(c[2]) * c[2];
        ASSERT_NE(expected, static_cast<float>(std::sqrt(exactSum)));  // the case has teeth
        EXPECT_EQ(bitsOf(length(Vector3(c[0], c[1], c[2]))), bitsOf(expected));
    }
}

TEST(Vector3Normalized, AxisVectorsComeOutExact) {
    EXPECT_TRUE(sameBits(normalized(Vector3(0, 0, -2)), 0, 0, -1));
    EXPECT_TRUE(sameBits(normalized(Vector3(0, 5, 0)), 0, 1, 0));
    EXPECT_TRUE(sameBits(normalized(Vector3(3, 0, 4)), 0.6f, 0.0f, 0.8f));
}

TEST(Vector3Normalized, DividesByTheLengthAndGivesUnitLength) {
    FloatStream stream;
    for (int i = 0; i < 1000; ++i) {
        Vector3 v(stream.next(), stream.next(), stream.next());
        float len = length(v);
        Vector3 n = normalized(v);
        ASSERT_TRUE(sameBits(n, v.x / len, v.y / len, v.z / len)) << "case " << i;
        ASSERT_NEAR(length(n), 1.0f, 4e-7f) << "case " << i;
    }
}
