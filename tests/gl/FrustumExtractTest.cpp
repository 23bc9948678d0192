#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "GlContextSupport.h"
#include "ReferenceModel.h"
#include "app/ShellSettings.h"
#include "camera/Camera.h"
#include "platform/VirtualKeys.h"
#include "terrain/Frustum.h"

namespace {

enum PlaneName { rightPlane, leftPlane, bottomPlane, topPlane, farPlane, nearPlane };

struct Point {
    double x, y, z;
};

Point along(Point from, Point direction, double distance) {
    return {from.x + direction.x * distance, from.y + direction.y * distance,
            from.z + direction.z * distance};
}

Point unit(Point v) {
    const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}

Point crossOf(Point a, Point b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double valueAt(int plane, Point p) {
    const float* e = frustum.planes[plane];
    return e[0] * p.x + e[1] * p.y + e[2] * p.z + e[3];
}

void expectPlanesEqualTheModel(const FrameCalls& calls) {
    ASSERT_TRUE(calls.matricesCaptured);
    EXPECT_EQ(std::memcmp(frustum.proj, calls.projection, sizeof(frustum.proj)), 0);
    EXPECT_EQ(std::memcmp(frustum.modl, calls.modelView, sizeof(frustum.modl)), 0);
    const Planes expected = planesFromMatrices(calls.projection, calls.modelView);
    for (int p = 0; p < 6; ++p) {
        for (int e = 0; e < 4; ++e) {
            EXPECT_EQ(frustum.planes[p][e], expected.p[p][e]) << "plane " << p << " entry " << e;
        }
    }
}

// Each plane faces the way its name says, seen from the camera that drew the frame.
void expectPlanesFaceTheirSides() {
    const Point eye{camera->vPosition.x, camera->vPosition.y, camera->vPosition.z};
    const Point look =
        unit({camera->vView.x - eye.x, camera->vView.y - eye.y, camera->vView.z - eye.z});
    const Point right = unit(crossOf(look, {0.0, 1.0, 0.0}));
    const Point up = crossOf(right, look);
    const Point ahead = along(eye, look, 100.0);

    for (int p = 0; p < 6; ++p) {
        EXPECT_GT(valueAt(p, along(eye, look, 250.0)), 0.0) << "plane " << p;
    }
    // Normalised planes give distances: near 1 and far 500 units ahead of the eye.
    EXPECT_NEAR(valueAt(nearPlane, eye), -1.0, 1e-3);
    EXPECT_NEAR(valueAt(farPlane, eye), 500.0, 0.05);
    EXPECT_LT(valueAt(farPlane, along(eye, look, 600.0)), 0.0);

    EXPECT_LT(valueAt(rightPlane, along(ahead, right, 1000.0)), 0.0);
    EXPECT_GT(valueAt(leftPlane, along(ahead, right, 1000.0)), 0.0);
    EXPECT_LT(valueAt(leftPlane, along(ahead, right, -1000.0)), 0.0);
    EXPECT_GT(valueAt(rightPlane, along(ahead, right, -1000.0)), 0.0);
    EXPECT_LT(valueAt(topPlane, along(ahead, up, 1000.0)), 0.0);
    EXPECT_GT(valueAt(bottomPlane, along(ahead, up, 1000.0)), 0.0);
    EXPECT_LT(valueAt(bottomPlane, along(ahead, up, -1000.0)), 0.0);
    EXPECT_GT(valueAt(topPlane, along(ahead, up, -1000.0)), 0.0);
}

class FrustumExtract : public testing::Test {
protected:
    void SetUp() override { resetScene(); }
    void TearDown() override { resetScene(); }
};

TEST_F(FrustumExtract, StartPosePlanesComeFromTheReshapeProjectionAndTheCameraView) {
    const FrameCalls calls = drawCountedFrame();
    expectPlanesEqualTheModel(calls);
    expectPlanesFaceTheirSides();

    // The projection of the reshape step: 45 degrees, 1024 over 768, near 1, far 500.
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(frustum.proj[0], f * 768.0 / 1024.0, 1e-6);
    EXPECT_NEAR(frustum.proj[5], f, 1e-6);
    EXPECT_NEAR(frustum.proj[10], -501.0 / 499.0, 1e-6);
    EXPECT_FLOAT_EQ(frustum.proj[11], -1.0f);
    EXPECT_NEAR(frustum.proj[14], -1000.0 / 499.0, 1e-6);
    // Only the camera's view is on the model-view: it takes the eye to the origin.
    const float* m = frustum.modl;
    const double eye[3] = {50.0, 120.0, 250.0};
    for (int row = 0; row < 3; ++row) {
        const double mapped =
            m[row] * eye[0] + m[4 + row] * eye[1] + m[8 + row] * eye[2] + m[12 + row];
        EXPECT_NEAR(mapped, 0.0, 1e-3) << "row " << row;
    }
}

TEST_F(FrustumExtract, FollowsTheCameraAfterItTurnsAndWalks) {
    drawCountedFrame();
    float startPlanes[6][4];
    std::memcpy(startPlanes, frustum.planes, sizeof(startPlanes));

    FakeInput& input = glTestInput();
    input.setCursor(460, 270);
    input.setKey(vk::w, true);
    const FrameCalls calls = drawCountedFrame();
    expectPlanesEqualTheModel(calls);
    expectPlanesFaceTheirSides();
    EXPECT_NE(std::memcmp(startPlanes, frustum.planes, sizeof(startPlanes)), 0);
}

}  // namespace
