#include "terrain/Frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "terrain/CubeBatchCulling.h"

namespace {

// The cube test as written down: the first of eight corners strictly in front settles a plane.
bool eightCorners(const Frustum& frustum, float x, float y, float z, float s) {
    for (const float* p : frustum.planes) {
        bool front = false;
        for (int corner = 0; corner < 8 && !front; ++corner) {
            const float cx = corner & 1 ? x + s : x - s;
            const float cy = corner & 2 ? y + s : y - s;
            const float cz = corner & 4 ? z + s : z - s;
            front = p[0] * cx + p[1] * cy + p[2] * cz + p[3] > 0.0f;
        }
        if (!front) {
            return false;
        }
    }
    return true;
}

// Only plane 0 is real; the others pass everything.
Frustum onePlane(float a, float b, float c, float d) {
    return Frustum{
        {{a, b, c, d}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}};
}

TEST(Frustum, PlanesOfAnOrthographicViewAreNormalisedInOrder) {
    // glOrtho(-10, 10, -5, 5, 1, 100) after a translation by (-1, -2, -3), column-major.
    const float projection[16] = {0.1f, 0,          0, 0, 0, 0.2f,         0, 0, 0,
                                  0,    -2.0f / 99, 0, 0, 0, -101.0f / 99, 1};
    const float modelView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1};
    Frustum frustum;
    frustum.extractFrom(projection, modelView);
    // Inside: -9 <= x <= 11, -3 <= y <= 7, -97 <= z <= 2.
    const float expected[6][4] = {{-1, 0, 0, 11}, {1, 0, 0, 9},  {0, 1, 0, 3},
                                  {0, -1, 0, 7},  {0, 0, 1, 97}, {0, 0, -1, 2}};
    for (int p = 0; p < 6; ++p) {
        for (int n = 0; n < 4; ++n) {
            EXPECT_NEAR(frustum.planes[p][n], expected[p][n], 1e-4) << "plane " << p;
        }
    }
}

TEST(Frustum, OnlyStrictlyPositiveCornersAreInside) {
    Frustum frustum = onePlane(1, 0, 0, -5);                // x > 5 is inside
    EXPECT_FALSE(frustum.cubeInFrustum(1.0f, 0, 0, 4.0f));  // a corner exactly on the plane
    EXPECT_TRUE(frustum.cubeInFrustum(1.5f, 0, 0, 4.0f));   // straddling
    const float x[4] = {1.0f, 1.5f, -20.0f, 1.0f};
    const float zero[4] = {};
    EXPECT_EQ(CubeBatchCulling(frustum, 4.0f).test(x, zero, zero), 0b0010u);
    // The whole-frame answer is yes for every box of cubes that pass, however close.
    const float straddler[3] = {1.5f, 0.0f, 0.0f};
    EXPECT_TRUE(frustum.everyCubeInFrustum(straddler, straddler, 4.0f));
    EXPECT_FALSE(onePlane(NAN, 0, 0, 1).cubeInFrustum(0, 0, 0, 4.0f));
    EXPECT_FALSE(Frustum().cubeInFrustum(0, 0, 0, 4.0f));  // before the first extraction
}

TEST(Frustum, TheOneCornerTestsAgreeWithTheEightCornerTest) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> coefficient(-1.0f, 1.0f);
    std::uniform_int_distribution<int> grid(-40, 40);
    for (int round = 0; round < 2000; ++round) {
        Frustum frustum;
        for (float* p : frustum.planes) {
            // Small integers and halves: many corner values come out exactly 0.
            for (int n = 0; n < 4; ++n) {
                p[n] = round % 2 ? coefficient(random) : grid(random) / 8.0f;
            }
        }
        const CubeBatchCulling batch(frustum, 4.0f);
        float x[4], y[4], z[4];
        for (int n = 0; n < 4; ++n) {
            x[n] = static_cast<float>(grid(random));
            y[n] = grid(random) + 0.25f * (n - 1);
            z[n] = static_cast<float>(grid(random));
        }
        const unsigned passed = batch.test(x, y, z);
        for (int n = 0; n < 4; ++n) {
            const bool reference = eightCorners(frustum, x[n], y[n], z[n], 4.0f);
            ASSERT_EQ(frustum.cubeInFrustum(x[n], y[n], z[n], 4.0f), reference);
            ASSERT_EQ((passed >> n & 1u) != 0, reference) << "lane " << n;
        }
        // A box answered as wholly in view holds only cubes in view.
        const float low[3] = {x[0] < x[1] ? x[0] : x[1], y[2], z[0] < z[1] ? z[0] : z[1]};
        const float high[3] = {x[0] < x[1] ? x[1] : x[0], y[2] + 3.0f, z[0] < z[1] ? z[1] : z[0]};
        if (frustum.everyCubeInFrustum(low, high, 4.0f)) {
            for (int corner = 0; corner < 8; ++corner) {
                ASSERT_TRUE(eightCorners(frustum, corner & 1 ? high[0] : low[0],
                                         corner & 2 ? high[1] : low[1],
                                         corner & 4 ? high[2] : low[2], 4.0f));
            }
        }
    }
}

}  // namespace
