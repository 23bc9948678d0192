#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "terrain/Frustum.h"

namespace {

// gluPerspective as a column-major float matrix.
void perspective(double fovY, double aspect, double zNear, double zFar, float* m) {
    const double f = 1.0 / std::tan(fovY * M_PI / 360.0);
    for (int n = 0; n < 16; ++n) m[n] = 0.0f;
    m[0] = static_cast<float>(f / aspect);
    m[5] = static_cast<float>(f);
    m[10] = static_cast<float>((zFar + zNear) / (zNear - zFar));
    m[11] = -1.0f;
    m[14] = static_cast<float>(2.0 * zFar * zNear / (zNear - zFar));
}

// gluLookAt as a column-major float matrix.
void lookAt(const double eye[3], const double centre[3], const double up[3], float* m) {
    double f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& c : f) c /= fl;
    double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2],
                   f[0] * up[1] - f[1] * up[0]};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& c : s) c /= sl;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    const double rows[3][3] = {{s[0], s[1], s[2]}, {u[0], u[1], u[2]}, {-f[0], -f[1], -f[2]}};
    for (int n = 0; n < 16; ++n) m[n] = 0.0f;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m[4 * c + r] = static_cast<float>(rows[r][c]);
        m[12 + r] =
            static_cast<float>(-(rows[r][0] * eye[0] + rows[r][1] * eye[1] + rows[r][2] * eye[2]));
    }
    m[15] = 1.0f;
}

class StartPoseFrustum : public ::testing::Test {
protected:
    void SetUp() override {
        perspective(45.0, 1024.0 / 768.0, 1.0, 500.0, proj);
        const double eye[3] = {50, 120, 250}, centre[3] = {0, 0, -1}, up[3] = {0, 1, 0};
        lookAt(eye, centre, up, modl);
        frustum.extractFrom(proj, modl);
    }
    float proj[16];
    float modl[16];
    Frustum frustum;
};

TEST_F(StartPoseFrustum, PlanesMatchTheClipMatrixRowsComputedIndependently) {
    // Clip = projection x model-view, in double; plane rows are w -/+ x, w +/- y, w -/+ z.
    double clip[4][4];  // clip[row][column]
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += double(proj[4 * k + r]) * modl[4 * c + k];
            clip[r][c] = sum;
        }
    }
    const int axis[6] = {0, 0, 1, 1, 2, 2};
    const double sign[6] = {-1, 1, 1, -1, -1, 1};
    for (int p = 0; p < 6; ++p) {
        double plane[4];
        for (int c = 0; c < 4; ++c) plane[c] = clip[3][c] + sign[p] * clip[axis[p]][c];
        const double t = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(frustum.planes[p][c], plane[c] / t, 1e-4 * (1.0 + std::fabs(plane[c] / t)))
                << "plane " << p << " component " << c;
        }
        const float* q = frustum.planes[p];
        EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2], 1.0f, 1e-6f);
    }
}

TEST_F(StartPoseFrustum, PlanesMeanWhatTheirNamesSay) {
    // The eye's own view line is inside every side plane; the near plane lies 1 unit ahead.
    const float* nearPlane = frustum.planes[5];
    const float* farPlane = frustum.planes[4];
    const float eyeSide =
        nearPlane[0] * 50 + nearPlane[1] * 120 + nearPlane[2] * 250 + nearPlane[3];
    EXPECT_NEAR(eyeSide, -1.0f, 1e-3f);
    EXPECT_NEAR(farPlane[0] * 50 + farPlane[1] * 120 + farPlane[2] * 250 + farPlane[3], 500.0f,
                0.05f);
    EXPECT_TRUE(frustum.cubeInFrustum(0.0f, 0.0f, 0.0f, 4.0f));        // the origin, looked at
    EXPECT_FALSE(frustum.cubeInFrustum(50.0f, 120.0f, 260.0f, 4.0f));  // behind the eye
    EXPECT_FALSE(frustum.cubeInFrustum(-400.0f, 0.0f, 0.0f, 4.0f));    // far out to the left
    EXPECT_TRUE(frustum.cubeInFrustum(50.0f, 120.0f, 250.0f, 50.0f));  // around the camera
}

class SinglePlane : public ::testing::Test {
protected:
    // Every plane is x > 0 unless a test changes one.
    void SetUp() override {
        for (auto& plane : frustum.planes) {
            plane[0] = 1.0f;
            plane[1] = plane[2] = plane[3] = 0.0f;
        }
    }
    Frustum frustum;
};

TEST_F(SinglePlane, ACornerExactlyOnThePlaneIsOutside) {
    EXPECT_FALSE(frustum.cubeInFrustum(-4.0f, 0.0f, 0.0f, 4.0f));
    EXPECT_TRUE(frustum.cubeInFrustum(-3.5f, 0.0f, 0.0f, 4.0f));
}

TEST_F(SinglePlane, ACubeStraddlingThePlaneIsInside) {
    EXPECT_TRUE(frustum.cubeInFrustum(0.0f, 7.0f, -3.0f, 4.0f));
    EXPECT_FALSE(frustum.cubeInFrustum(-10.0f, 0.0f, 0.0f, 4.0f));
}

TEST_F(SinglePlane, AnyOnePlaneWithEveryCornerBehindRejects) {
    frustum.planes[4][0] = -1.0f;  // x < 0 for the far plane
    EXPECT_FALSE(frustum.cubeInFrustum(10.0f, 0.0f, 0.0f, 4.0f));
    EXPECT_TRUE(frustum.cubeInFrustum(0.0f, 0.0f, 0.0f, 4.0f));
}

TEST_F(SinglePlane, ANaNPlaneCountsAsBehind) {
    frustum.planes[2][3] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(frustum.cubeInFrustum(10.0f, 0.0f, 0.0f, 4.0f));
}

TEST(ZeroFrustum, BeforeTheFirstExtractionEveryCubeIsOutside) {
    Frustum frustum;
    EXPECT_FALSE(frustum.cubeInFrustum(0.0f, 0.0f, 0.0f, 4.0f));
    EXPECT_FALSE(frustum.cubeInFrustum(10.0f, -3.0f, 2.0f, 1000.0f));
}

TEST(DegenerateFrustum, AZeroLengthPlaneRejectsEverything) {
    float zero[16] = {};
    float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Frustum frustum;
    frustum.extractFrom(zero, identity);
    EXPECT_FALSE(frustum.cubeInFrustum(0.0f, 0.0f, 0.0f, 4.0f));
}

}  // namespace

namespace {

// The test written out: every corner in order, the first strictly positive one saves a plane.
bool cubeInsideByEveryCorner(const Frustum& frustum, float x, float y, float z, float s) {
    const float corners[8][3] = {
        {x - s, y - s, z - s}, {x + s, y - s, z - s}, {x - s, y + s, z - s}, {x + s, y + s, z - s},
        {x - s, y - s, z + s}, {x + s, y - s, z + s}, {x - s, y + s, z + s}, {x + s, y + s, z + s}};
    for (const float* p : frustum.planes) {
        bool inFront = false;
        for (const float* c : corners) {
            if (p[0] * c[0] + p[1] * c[1] + p[2] * c[2] + p[3] > 0.0f) {
                inFront = true;
                break;
            }
        }
        if (!inFront) {
            return false;
        }
    }
    return true;
}

TEST(CubeTestAgreement, OneCornerPerPlaneDecidesAsAllEightDo) {
    unsigned state = 12345u;
    auto next = [&state](float low, float high) {
        state = state * 1664525u + 1013904223u;
        return low + (high - low) * static_cast<float>(state >> 8) / 16777216.0f;
    };
    Frustum frustum;
    int inside = 0;
    for (int round = 0; round < 200; ++round) {
        for (auto& plane : frustum.planes) {
            for (int c = 0; c < 3; ++c) {
                // Some exact zeros, so ties between corners are covered too.
                plane[c] = (round % 5 == 0 && c == round % 3) ? 0.0f : next(-1.0f, 1.0f);
            }
            plane[3] = next(-40.0f, 40.0f);
        }
        for (int cube = 0; cube < 500; ++cube) {
            const float x = next(-60.0f, 60.0f), y = next(-60.0f, 60.0f), z = next(-60.0f, 60.0f);
            const float size = cube % 50 == 0 ? -4.0f : 4.0f;
            const bool expected = cubeInsideByEveryCorner(frustum, x, y, z, size);
            ASSERT_EQ(frustum.cubeInFrustum(x, y, z, size), expected) << round << " " << cube;
            inside += expected;
        }
    }
    EXPECT_GT(inside, 0);
}

TEST(CubeTestAgreement, ExactTiesOnGridCornersDecideAsAllEightDo) {
    Frustum frustum;
    for (auto& plane : frustum.planes) {
        plane[0] = 1.0f;
        plane[1] = plane[2] = plane[3] = 0.0f;
    }
    for (int p = 0; p < 6; ++p) {
        for (int axis = 0; axis < 3; ++axis) {
            for (float sign : {-1.0f, 1.0f}) {
                Frustum f = frustum;
                f.planes[p][0] = f.planes[p][1] = f.planes[p][2] = 0.0f;
                f.planes[p][axis] = sign;
                for (float v = -6.0f; v <= 6.0f; v += 0.5f) {
                    const float c[3] = {axis == 0 ? v : 9.0f, axis == 1 ? v : 9.0f,
                                        axis == 2 ? v : 9.0f};
                    ASSERT_EQ(f.cubeInFrustum(c[0], c[1], c[2], 4.0f),
                              cubeInsideByEveryCorner(f, c[0], c[1], c[2], 4.0f));
                }
            }
        }
    }
}

}  // namespace
