#include "camera/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "camera/SphereTest.h"
#include "camera/Vector3.h"
#include "platform/FakeInput.h"
#include "tests/platform/PolledKeys.h"

namespace {

uint32_t bits(float value) {
    uint32_t u;
    std::memcpy(&u, &value, sizeof u);
    return u;
}

class CameraTest : public testing::Test {
protected:
    void SetUp() override {
        accumulatedPitch = 0.0f;
        input.setCursor(400, 300);
        setActiveInput(&input);
        placeAtStart(camera);
    }
    void TearDown() override { setActiveInput(nullptr); }

    // One frame with the cursor at (x, y) and these keys held.
    void frame(int x, int y, std::initializer_list<int> keys = {}) {
        input.releaseAllKeys();
        for (int key : keys) {
            input.setKey(key, true);
        }
        input.setCursor(x, y);
        camera.update();
    }
    Vector3 view() const { return camera.vView - camera.vPosition; }
    double heading() const { return std::atan2(view().x, -view().z); }  // to the right of -z
    double pitch() const { return std::atan2(view().y, std::hypot(view().x, view().z)); }

    FakeInput input;
    Camera camera;
};

TEST_F(CameraTest, AStillFrameLooksFromTheStartTenPixelsYawAHundredthAndAFullRadianPitches) {
    frame(400, 300);
    const LookAt a = camera.lookAt();
    EXPECT_TRUE(a.eyeX == 50 && a.eyeY == 120 && a.eyeZ == 250 && a.centerX == 0 &&
                a.centerY == 0 && a.centerZ == -1 && a.upX == 0 && a.upY == 1 && a.upZ == 0);
    EXPECT_EQ(input.moveCount, 0);
    const double before = heading();
    frame(410, 300);
    EXPECT_NEAR(heading() - before, 0.01, 1e-5);
    EXPECT_EQ(accumulatedPitch, 0.0f);
    EXPECT_EQ(input.moveCount, 1);
    EXPECT_TRUE(input.cursorX == 400 && input.cursorY == 300);
    const double level = pitch();
    frame(400, 1300);  // exactly the limit still turns
    EXPECT_EQ(accumulatedPitch, 1.0f);
    EXPECT_NEAR(pitch() - level, -1.0, 1e-4);
}

TEST_F(CameraTest, MousePitchStopsAtOneRadianAndThatFrameLosesItsYawToo) {
    const double start = pitch();
    for (int n = 0; n < 3; ++n) {
        frame(400, 0);
    }
    EXPECT_FLOAT_EQ(accumulatedPitch, -0.9f);
    EXPECT_NEAR(pitch() - start, 0.9, 1e-4);
    const Vector3 before = camera.vView;
    frame(450, 0);  // would reach -1.2
    EXPECT_EQ(accumulatedPitch, -1.0f);
    EXPECT_EQ(std::memcmp(&camera.vView, &before, sizeof before), 0);  // nor yaws
    frame(400, 600);  // the step back is applied in full
    EXPECT_FLOAT_EQ(accumulatedPitch, -0.7f);
    EXPECT_NEAR(pitch() - start, 0.6, 1e-4);
}

TEST_F(CameraTest, KeysOfOneRowStepOnceOppositesCancelAndQMovesTheEyeAlone) {
    frame(400, 300, {vk::w, vk::up, vk::q});
    const Vector3 start = camera.vPosition;
    EXPECT_LT(length(start - Vector3(50, 120, 250) - polled::ahead - polled::up), 1e-4f);
    EXPECT_EQ(camera.vView.y, 0.0f);
    frame(400, 300, {vk::w, vk::s, vk::a, vk::d, vk::q, vk::z});
    EXPECT_LT(length(camera.vPosition - start), 1e-4f);
    // The step is the double 0.9: from -0.9f the eye comes to 2.38e-8, where 0.9f gives 0.
    camera.vPosition.y = -0.9f;
    frame(400, 300, {vk::q});
    EXPECT_EQ(bits(camera.vPosition.y), 0x32cccccdu);
}

TEST_F(CameraTest, AScriptedFlightGivesTheRecordedFloatsBitForBit) {
    // Checked once against an independent float model: any change of operation, order or precision.
    const int keys[] = {vk::w, vk::s,  vk::a,    vk::d,    vk::q,
                        vk::z, vk::up, vk::down, vk::left, vk::right};
    uint32_t state = 7;
    for (int n = 0; n < 300; ++n) {
        state = state * 1664525u + 1013904223u;
        const int x = 400 + static_cast<int>(state >> 24) % 41 - 20;
        const int y = 300 + static_cast<int>((state >> 16) & 0xFF) % 31 - 15;
        frame(x, y, {keys[(state >> 8) % 10], keys[(state >> 4) % 10]});
    }
    const float got[10] = {camera.vPosition.x, camera.vPosition.y, camera.vPosition.z,
                           camera.vView.x,     camera.vView.y,     camera.vView.z,
                           camera.vStrafe.x,   camera.vStrafe.y,   camera.vStrafe.z,
                           accumulatedPitch};
    const uint32_t recorded[10] = {0x424bf5c2, 0x42f56666, 0x4370b6a6, 0xc2b84b81, 0x42b7b1c8,
                                   0xc04ecbd6, 0x3f5e55ff, 0x00000000, 0xbefdcb0e, 0xbead0e57};
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(bits(got[n]), recorded[n]) << "value " << n << " is " << got[n];
    }
}

TEST_F(CameraTest, TurnsWhereFloatSineOrCosineWouldRoundOtherwiseGiveTheRecordedBits) {
    // sinf rounds 0.138 and 0.095 to the other neighbour of the double sine, cosf 0.821.
    const int cursor[2][2] = {{262, 205}, {1221, 1121}};
    const uint32_t recorded[2][3] = {{0xc215a60e, 0x41c68b5c, 0xbfb2d500},
                                     {0x42cc72dd, 0xc30ba62e, 0x43173a50}};
    for (int n = 0; n < 2; ++n) {
        frame(cursor[n][0], cursor[n][1]);
        const float got[3] = {camera.vView.x, camera.vView.y, camera.vView.z};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(bits(got[i]), recorded[n][i]) << "frame " << n << " value " << i;
        }
    }
}

TEST_F(CameraTest, AnUnreadableCursorOrAVerticalViewMovesNothingOddly) {
    input.setCursorReadable(false);
    frame(900, 900);
    EXPECT_EQ(input.moveCount, 0);
    EXPECT_EQ(accumulatedPitch, 0.0f);

    input.setCursorReadable(true);
    camera.place(0, 10, 0, 0, 0, 0, 0, 1, 0);  // straight down, before any strafe
    frame(420, 310, {vk::w, vk::d});
    frame(420, 310, {vk::w, vk::d});
    for (float v : {camera.vPosition.x, camera.vPosition.z, camera.vView.x, camera.vView.y,
                    camera.vView.z, camera.vStrafe.x, camera.vStrafe.z}) {
        EXPECT_TRUE(std::isfinite(v));
    }
}

void expectVector(Vector3 v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST(Vector3, ArithmeticIsComponentwiseAndCrossIsRightHanded) {
    expectVector(Vector3(1, 2, 3) + Vector3(4, 5, 6), 5, 7, 9);
    expectVector(Vector3(1, 2, 3) - Vector3(4, 6, 8), -3, -4, -5);
    expectVector(Vector3(1, 2, 3) / 2.0f, 0.5f, 1, 1.5f);
    expectVector(cross(Vector3(0, 0, -1), Vector3(0, 1, 0)), 1, 0, 0);  // right of a view
    expectVector(cross(Vector3(1, 2, 3), Vector3(4, 5, 6)), -3, 6, -3);
}

TEST(Vector3, LengthRoundsTheSumToFloatBeforeTheRoot) {
    EXPECT_EQ(length(Vector3(3, 4, 0)), 5.0f);
    // 2^24 + 1 is not a float: the sum rounds to 2^24 before the root is taken.
    EXPECT_EQ(length(Vector3(4096.0f, 1.0f, 0.0f)), 4096.0f);
    expectVector(normalized(Vector3(0, 0, -2)), 0, 0, -1);
}

TEST(SpheresOverlap, TheTruncatedDistanceDecides) {
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 100));  // touching
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 0, 0, 99));
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 106, 150, 150, 0, 106));  // 212.13 truncates to 212
    EXPECT_TRUE(spheresOverlap(0, 0, 0, 100, 200, 20, 0, 100));   // 40400: root 200.998
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 200, 20, 1, 100));  // 40401: root 201
    // Far beyond the field the distance never wraps round to a small one.
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, 46341, 46341, 0, 100));
    EXPECT_FALSE(spheresOverlap(0, 0, 0, 100, INT32_MIN, 0, 0, 100));
}

}  // namespace
