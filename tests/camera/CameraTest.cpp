#include "camera/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "platform/FakeInput.h"
#include "platform/VirtualKeys.h"

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
        camera.place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
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

TEST(Camera, ConstructionZeroesEverythingAndPlacingKeepsTheStrafe) {
    Camera camera;
    for (const Vector3& v : {camera.vPosition, camera.vView, camera.vUpVector, camera.vStrafe}) {
        EXPECT_TRUE(v.x == 0.0f && v.y == 0.0f && v.z == 0.0f);
    }
    camera.vStrafe = Vector3(1, 2, 3);
    camera.place(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(camera.vStrafe.z, 3.0f);
    EXPECT_EQ(camera.vView.y, 5.0f);
    EXPECT_EQ(camera.vUpVector.z, 9.0f);
}

TEST_F(CameraTest, AStillFrameLooksFromTheStartPoseAndLeavesTheCursor) {
    frame(400, 300);
    const LookAt a = camera.lookAt();
    const double expected[9] = {50, 120, 250, 0, 0, -1, 0, 1, 0};
    const double actual[9] = {a.eyeX,    a.eyeY, a.eyeZ, a.centerX, a.centerY,
                              a.centerZ, a.upX,  a.upY,  a.upZ};
    for (int n = 0; n < 9; ++n) {
        EXPECT_EQ(actual[n], expected[n]) << "argument " << n;
    }
    EXPECT_NEAR(camera.vStrafe.x, 0.98073f, 1e-5f);
    EXPECT_EQ(camera.vStrafe.y, 0.0f);
    EXPECT_NEAR(camera.vStrafe.z, -0.19536f, 1e-5f);
    EXPECT_EQ(input.moveCount, 0);
}

TEST_F(CameraTest, TenPixelsRightYawsAHundredthOfARadianRight) {
    const double before = heading();
    const double height = view().y;
    frame(410, 300);
    EXPECT_NEAR(heading() - before, 0.01, 1e-5);
    EXPECT_NEAR(view().y, height, 1e-3);
    EXPECT_EQ(accumulatedPitch, 0.0f);
    EXPECT_EQ(input.moveCount, 1);
    EXPECT_EQ(input.cursorX, 400);
    EXPECT_EQ(input.cursorY, 300);
}

TEST_F(CameraTest, MousePitchStopsAtOneRadianAndThatFrameLosesItsYawToo) {
    const double start = pitch();
    const float counts[3] = {-0.3f, -0.6f, -0.9f};
    for (float expected : counts) {
        frame(400, 0);
        EXPECT_FLOAT_EQ(accumulatedPitch, expected);
    }
    EXPECT_NEAR(pitch() - start, 0.9, 1e-4);
    const Vector3 before = camera.vView;
    frame(450, 0);  // would reach -1.2
    EXPECT_EQ(accumulatedPitch, -1.0f);
    EXPECT_EQ(bits(camera.vView.x), bits(before.x));
    EXPECT_EQ(bits(camera.vView.z), bits(before.z));
    EXPECT_EQ(input.moveCount, 4);
    frame(400, 600);  // the step back is applied in full
    EXPECT_FLOAT_EQ(accumulatedPitch, -0.7f);
    EXPECT_NEAR(pitch() - start, 0.6, 1e-4);
}

TEST_F(CameraTest, APitchOfExactlyOneRadianStillTurns) {
    const double start = pitch();
    frame(400, 1300);
    EXPECT_EQ(accumulatedPitch, 1.0f);
    EXPECT_NEAR(pitch() - start, -1.0, 1e-4);
}

TEST_F(CameraTest, KeysWalkSidestepRiseAndSinkPerFrame) {
    frame(400, 300, {vk::w, vk::up});  // both keys of a row act once
    EXPECT_NEAR(camera.vPosition.x, 50.0f - 0.15920f, 1e-4f);
    EXPECT_EQ(camera.vPosition.y, 120.0f);
    EXPECT_NEAR(camera.vPosition.z, 250.0f - 0.79917f, 1e-4f);
    EXPECT_NEAR(camera.vView.z, -1.0f - 0.79917f, 1e-4f);

    const Vector3 start = camera.vPosition;
    frame(400, 300, {vk::w, vk::s});
    EXPECT_NEAR(camera.vPosition.x, start.x, 1e-4f);
    EXPECT_NEAR(camera.vPosition.z, start.z, 1e-4f);

    frame(400, 300, {vk::d});
    EXPECT_NEAR(camera.vPosition.x - start.x, 0.9f * 0.98073f, 1e-4f);
    EXPECT_NEAR(camera.vPosition.z - start.z, 0.9f * -0.19536f, 1e-4f);
    frame(400, 300, {vk::a, vk::left});
    EXPECT_NEAR(camera.vPosition.x, start.x, 1e-4f);

    const Vector3 lookAt = camera.vView;
    for (int n = 0; n < 10; ++n) {
        frame(400, 300, {vk::q});
    }
    EXPECT_FLOAT_EQ(camera.vPosition.y, 129.0f);
    EXPECT_EQ(bits(camera.vView.y), bits(lookAt.y));  // Q moves the eye alone
    frame(400, 300, {vk::z});
    EXPECT_NEAR(camera.vPosition.y, 128.1f, 1e-4f);
    // The step is the double 0.9: from -0.9f the eye comes to 2.38e-8, where 0.9f gives 0.
    camera.vPosition.y = -0.9f;
    frame(400, 300, {vk::q});
    EXPECT_EQ(bits(camera.vPosition.y), 0x32cccccdu);
}

TEST_F(CameraTest, AScriptedFlightGivesTheRecordedFloatsBitForBit) {
    // Recorded from the camera once its arithmetic had been checked against an independent
    // float model: any change to an operation, its order or its precision shows here.
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

}  // namespace
