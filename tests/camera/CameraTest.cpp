#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <sstream>

#include "camera/Camera.h"
#include "platform/FakeInput.h"
#include "platform/VirtualKeys.h"

// Camera::update() ends in gluLookAt. With no current context GLVND sends it to its no-op
// dispatch, so these tests drive the real per-frame sequence without a window.

namespace {

// ---- Reference model, written from the algorithms alone: each float operation rounds on
// its own; sine, cosine and square root are taken in double and rounded back to float.

struct V {
    float x, y, z;
};

V sub(V a, V b) {
    return V{a.x - b.x, a.y - b.y, a.z - b.z};
}

V add(V a, V b) {
    return V{a.x + b.x, a.y + b.y, a.z + b.z};
}

V crossOf(V a, V b) {
    float cx = a.y * b.z;
    cx = cx - a.z * b.y;
    float cy = a.z * b.x;
    cy = cy - a.x * b.z;
    float cz = a.x * b.y;
    cz = cz - a.y * b.x;
    return V{cx, cy, cz};
}

float lengthOf(V a) {
    float sum = a.x * a.x;
    sum = sum + a.y * a.y;
    sum = sum + a.z * a.z;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

V unit(V a) {
    float len = lengthOf(a);
    return V{a.x / len, a.y / len, a.z / len};
}

struct HeldKeys {
    bool forward = false, back = false, left = false, right = false, rise = false, sink = false;
};

struct ModelCamera {
    V pos{0, 0, 0}, view{0, 0, 0}, up{0, 0, 0}, strafe{0, 0, 0};
    float pitch = 0.0f;  // the accumulated mouse pitch
    int cursorX = 400, cursorY = 300;
    bool cursorReadable = true;
    int moves = 0;
    int clamps = 0;
    int turns = 0;

    void turn(float angle, float ax, float ay, float az) {
        V d = sub(view, pos);
        float c = static_cast<float>(std::cos(static_cast<double>(angle)));
        float s = static_cast<float>(std::sin(static_cast<double>(angle)));
        float t = 1.0f - c;
        float m[3][3] = {
            {c + t * ax * ax, t * ax * ay - az * s, t * ax * az + ay * s},
            {t * ax * ay + az * s, c + t * ay * ay, t * ay * az - ax * s},
            {t * ax * az - ay * s, t * ay * az + ax * s, c + t * az * az},
        };
        float r[3];
        for (int row = 0; row < 3; ++row) {
            float acc = m[row][0] * d.x;
            acc = acc + m[row][1] * d.y;
            acc = acc + m[row][2] * d.z;
            r[row] = acc;
        }
        view = add(pos, V{r[0], r[1], r[2]});
    }

    void look() {
        if (!cursorReadable) {
            return;
        }
        int mx = cursorX;
        int my = cursorY;
        if (mx == 400 && my == 300) {
            return;
        }
        cursorX = 400;
        cursorY = 300;
        ++moves;
        float yawStep = static_cast<float>(static_cast<double>(400 - mx) / 1000.0);
        float pitchStep = static_cast<float>(static_cast<double>(300 - my) / 1000.0);
        pitch = pitch - pitchStep;
        if (pitch > 1.0f) {
            pitch = 1.0f;
            ++clamps;
            return;
        }
        if (pitch < -1.0f) {
            pitch = -1.0f;
            ++clamps;
            return;
        }
        V axis = unit(crossOf(sub(view, pos), up));
        turn(pitchStep, axis.x, axis.y, axis.z);
        turn(yawStep, 0.0f, 1.0f, 0.0f);
        ++turns;
    }

    void walk(float speed) {
        V dir = unit(sub(view, pos));
        pos.x = pos.x + dir.x * speed;
        pos.z = pos.z + dir.z * speed;
        view.x = view.x + dir.x * speed;
        view.z = view.z + dir.z * speed;
    }

    void sidestep(float speed) {
        pos.x = pos.x + strafe.x * speed;
        pos.z = pos.z + strafe.z * speed;
        view.x = view.x + strafe.x * speed;
        view.z = view.z + strafe.z * speed;
    }

    void frame(const HeldKeys& keys) {
        strafe = unit(crossOf(sub(view, pos), up));
        look();
        if (keys.forward) {
            walk(0.9f);
        }
        if (keys.back) {
            walk(-0.9f);
        }
        if (keys.left) {
            sidestep(-0.9f);
        }
        if (keys.right) {
            sidestep(0.9f);
        }
        if (keys.rise) {
            pos.y = static_cast<float>(static_cast<double>(pos.y) + 0.9);
        }
        if (keys.sink) {
            pos.y = static_cast<float>(static_cast<double>(pos.y) - 0.9);
        }
    }
};

ModelCamera modelAtStart() {
    ModelCamera m;
    m.pos = V{50, 120, 250};
    m.view = V{0, 0, -1};
    m.up = V{0, 1, 0};
    return m;
}

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool sameBits(Vector3 a, V b) {
    return bitsOf(a.x) == bitsOf(b.x) && bitsOf(a.y) == bitsOf(b.y) && bitsOf(a.z) == bitsOf(b.z);
}

bool sameBits(Vector3 a, Vector3 b) {
    return sameBits(a, V{b.x, b.y, b.z});
}

::testing::AssertionResult matchesModel(const Camera& camera, const FakeInput& fake,
                                        const ModelCamera& model) {
    auto show = [](const char* name, Vector3 a, V b) {
        std::ostringstream m;
        m.precision(9);
        m << name << " (" << a.x << ", " << a.y << ", " << a.z << ") vs model (" << b.x << ", "
          << b.y << ", " << b.z << ")\n";
        return m.str();
    };
    bool same = sameBits(camera.vPosition, model.pos) && sameBits(camera.vView, model.view) &&
                sameBits(camera.vUpVector, model.up) && sameBits(camera.vStrafe, model.strafe) &&
                bitsOf(accumulatedPitch) == bitsOf(model.pitch) && fake.cursorX == model.cursorX &&
                fake.cursorY == model.cursorY && fake.moveCount == model.moves;
    if (same) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << show("position", camera.vPosition, model.pos)
           << show("look-at", camera.vView, model.view) << show("up", camera.vUpVector, model.up)
           << show("strafe", camera.vStrafe, model.strafe) << "pitch " << accumulatedPitch << " vs "
           << model.pitch << ", cursor (" << fake.cursorX << ", " << fake.cursorY << ") moved "
           << fake.moveCount << " times vs (" << model.cursorX << ", " << model.cursorY << ") "
           << model.moves;
}

bool finite(Vector3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Heading of the horizontal part of a direction and its elevation above the horizontal.
double heading(Vector3 d) {
    return std::atan2(static_cast<double>(d.x), -static_cast<double>(d.z));
}

double elevation(Vector3 d) {
    return std::atan2(static_cast<double>(d.y), std::hypot(static_cast<double>(d.x), d.z));
}

// The start values of the viewer.
constexpr float startEye[3] = {50.0f, 120.0f, 250.0f};
constexpr float startLookAt[3] = {0.0f, 0.0f, -1.0f};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        accumulatedPitch = 0.0f;
        fake.setCursor(400, 300);
        setActiveInput(&fake);
        camera.place(startEye[0], startEye[1], startEye[2], startLookAt[0], startLookAt[1],
                     startLookAt[2], 0.0f, 1.0f, 0.0f);
    }

    void TearDown() override {
        setActiveInput(nullptr);
        accumulatedPitch = 0.0f;
    }

    void hold(std::initializer_list<int> keys) {
        fake.releaseAllKeys();
        for (int key : keys) {
            fake.setKey(key, true);
        }
    }

    // One displayed frame with the cursor at (x, y).
    void frameAt(int x, int y) {
        fake.setCursor(x, y);
        camera.update();
    }

    Vector3 direction() const { return camera.vView - camera.vPosition; }

    FakeInput fake;
    Camera camera;
};

class CameraStartPose : public CameraTest {};
class CameraMouseLook : public CameraTest {};
class CameraPitchLimit : public CameraTest {};
class CameraMovementKeys : public CameraTest {};
class CameraVerticalView : public CameraTest {};
class CameraAgainstModel : public CameraTest {};

}  // namespace

TEST(CameraConstruction, AllVectorsStartAtZeroAndPlaceLeavesStrafe) {
    Camera camera;
    const Vector3 zero;
    EXPECT_TRUE(sameBits(camera.vPosition, zero));
    EXPECT_TRUE(sameBits(camera.vView, zero));
    EXPECT_TRUE(sameBits(camera.vUpVector, zero));
    EXPECT_TRUE(sameBits(camera.vStrafe, zero));

    camera.vStrafe = Vector3(0.25f, 0.5f, 0.75f);
    camera.place(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_TRUE(sameBits(camera.vPosition, Vector3(1, 2, 3)));
    EXPECT_TRUE(sameBits(camera.vView, Vector3(4, 5, 6)));
    EXPECT_TRUE(sameBits(camera.vUpVector, Vector3(7, 8, 9)));
    EXPECT_TRUE(sameBits(camera.vStrafe, Vector3(0.25f, 0.5f, 0.75f)));
    EXPECT_EQ(camera.positionX(), 1.0f);
    EXPECT_EQ(camera.positionY(), 2.0f);
    EXPECT_EQ(camera.positionZ(), 3.0f);
}

TEST_F(CameraStartPose, FirstStillFrameSetsStrafeAndLooksAtTheStartValues) {
    camera.update();

    EXPECT_NEAR(camera.vStrafe.x, 0.98073f, 1e-5f);
    EXPECT_EQ(camera.vStrafe.y, 0.0f);
    EXPECT_NEAR(camera.vStrafe.z, -0.19536f, 1e-5f);
    ModelCamera model = modelAtStart();
    model.frame(HeldKeys());
    EXPECT_TRUE(matchesModel(camera, fake, model));

    LookAt a = camera.lookAt();
    const double expected[9] = {50, 120, 250, 0, 0, -1, 0, 1, 0};
    const double actual[9] = {a.eyeX,    a.eyeY, a.eyeZ, a.centerX, a.centerY,
                              a.centerZ, a.upX,  a.upY,  a.upZ};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(actual[i], expected[i]) << "argument " << i;
    }
    EXPECT_EQ(fake.moveCount, 0);
    EXPECT_EQ(accumulatedPitch, 0.0f);
}

TEST_F(CameraMouseLook, CursorAtTheCentreMovesNothing) {
    camera.update();
    Camera before = camera;
    for (int i = 0; i < 5; ++i) {
        frameAt(400, 300);
    }
    EXPECT_TRUE(sameBits(camera.vPosition, before.vPosition));
    EXPECT_TRUE(sameBits(camera.vView, before.vView));
    EXPECT_TRUE(sameBits(camera.vStrafe, before.vStrafe));
    EXPECT_EQ(fake.moveCount, 0);
    EXPECT_EQ(accumulatedPitch, 0.0f);
}

TEST_F(CameraMouseLook, TenPixelsRightYawsOneHundredthOfARadianRight) {
    Vector3 before = direction();
    frameAt(410, 300);

    EXPECT_EQ(accumulatedPitch, 0.0f);
    EXPECT_EQ(fake.cursorX, 400);
    EXPECT_EQ(fake.cursorY, 300);
    EXPECT_EQ(fake.moveCount, 1);
    EXPECT_TRUE(sameBits(camera.vPosition, Vector3(50, 120, 250)));

    Vector3 after = direction();
    // Turning right about the vertical through the eye: heading grows, height and reach stay.
    EXPECT_NEAR(heading(after) - heading(before), 0.01, 1e-5);
    EXPECT_EQ(after.y, before.y);
    EXPECT_NEAR(length(after), length(before), 1e-3f);

    ModelCamera model = modelAtStart();
    model.cursorX = 410;
    model.frame(HeldKeys());
    EXPECT_TRUE(matchesModel(camera, fake, model));
}

TEST_F(CameraMouseLook, UpwardCursorTiltsTheViewUpAndCountsNegativePitch) {
    Vector3 before = direction();
    frameAt(400, 250);
    EXPECT_FLOAT_EQ(accumulatedPitch, -0.05f);
    EXPECT_NEAR(elevation(direction()) - elevation(before), 0.05, 1e-5);
    EXPECT_NEAR(heading(direction()), heading(before), 1e-5);
    EXPECT_TRUE(sameBits(camera.vPosition, Vector3(50, 120, 250)));
}

TEST_F(CameraMouseLook, PitchAxisComesFromTheCurrentViewNotTheStoredStrafe) {
    // No update yet, so the stored strafe vector is still zero.
    Vector3 before = direction();
    fake.setCursor(400, 250);
    camera.mouseLook();
    EXPECT_NEAR(elevation(direction()) - elevation(before), 0.05, 1e-5);
    EXPECT_NEAR(length(direction()), length(before), 1e-3f);
}

TEST_F(CameraMouseLook, UnreadableCursorIsAFrameWithoutMovement) {
    camera.update();
    Camera before = camera;
    fake.setCursorReadable(false);
    frameAt(450, 0);
    EXPECT_TRUE(sameBits(camera.vView, before.vView));
    EXPECT_TRUE(sameBits(camera.vPosition, before.vPosition));
    EXPECT_EQ(fake.moveCount, 0);
    EXPECT_EQ(accumulatedPitch, 0.0f);

    // The keys are still read in such a frame.
    hold({vk::w});
    frameAt(450, 0);
    EXPECT_FALSE(sameBits(camera.vPosition, before.vPosition));
    EXPECT_EQ(fake.moveCount, 0);
}

TEST_F(CameraMouseLook, StrafeOfAFrameIsTakenBeforeItsMouseTurn) {
    camera.update();
    Vector3 strafe = camera.vStrafe;
    hold({vk::d});
    frameAt(500, 300);
    // The sidestep used the strafe vector from before the 0.1 radian turn.
    EXPECT_TRUE(sameBits(camera.vStrafe, strafe));
    EXPECT_EQ(camera.vPosition.x, 50.0f + strafe.x * 0.9f);
    EXPECT_EQ(camera.vPosition.z, 250.0f + strafe.z * 0.9f);
    // The next frame's strafe follows the turned view.
    hold({});
    camera.update();
    EXPECT_FALSE(sameBits(camera.vStrafe, strafe));
}

TEST_F(CameraPitchLimit, FourthStepUpIsClampedAndDropsTheWholeFrame) {
    const double startElevation = elevation(direction());
    const float expectedPitch[3] = {-0.3f, -0.6f, -0.9f};
    ModelCamera model = modelAtStart();
    for (int frame = 0; frame < 3; ++frame) {
        frameAt(400, 0);
        model.cursorY = 0;
        model.frame(HeldKeys());
        EXPECT_NEAR(accumulatedPitch, expectedPitch[frame], 1e-6f) << "frame " << frame;
        EXPECT_NEAR(elevation(direction()), startElevation + 0.3 * (frame + 1), 1e-4)
            << "frame " << frame;
        ASSERT_TRUE(matchesModel(camera, fake, model)) << "frame " << frame;
    }
    Vector3 view = camera.vView;
    // -1.2 would pass the limit: the counter stops at -1 and the yaw goes too.
    frameAt(450, 0);
    EXPECT_EQ(accumulatedPitch, -1.0f);
    EXPECT_TRUE(sameBits(camera.vView, view));
    EXPECT_EQ(fake.moveCount, 4);
    EXPECT_EQ(fake.cursorX, 400);
    EXPECT_EQ(fake.cursorY, 300);
}

TEST_F(CameraPitchLimit, StepBackAfterAClampIsAppliedInFull) {
    for (int frame = 0; frame < 4; ++frame) {
        frameAt(400, 0);
    }
    ASSERT_EQ(accumulatedPitch, -1.0f);
    double clampedElevation = elevation(direction());
    frameAt(400, 400);
    EXPECT_NEAR(accumulatedPitch, -0.9f, 1e-6f);
    EXPECT_NEAR(elevation(direction()), clampedElevation - 0.1, 1e-4);
}

TEST_F(CameraPitchLimit, ExactlyOneRadianPassesAndTheNextPixelIsClamped) {
    double startElevation = elevation(direction());
    frameAt(400, 1300);
    EXPECT_EQ(accumulatedPitch, 1.0f);
    EXPECT_NEAR(elevation(direction()), startElevation - 1.0, 1e-4);

    Vector3 view = camera.vView;
    frameAt(400, 301);
    EXPECT_EQ(accumulatedPitch, 1.0f);
    EXPECT_TRUE(sameBits(camera.vView, view));
}

TEST_F(CameraMovementKeys, WalkForwardFromTheStartPose) {
    hold({vk::w});
    camera.update();
    EXPECT_NEAR(camera.vPosition.x - 50.0f, -0.15920f, 1e-5f);
    EXPECT_EQ(camera.vPosition.y, 120.0f);
    EXPECT_NEAR(camera.vPosition.z - 250.0f, -0.79917f, 1e-5f);
    EXPECT_NEAR(camera.vView.x - 0.0f, -0.15920f, 1e-5f);
    EXPECT_EQ(camera.vView.y, 0.0f);
    EXPECT_NEAR(camera.vView.z + 1.0f, -0.79917f, 1e-5f);
    EXPECT_EQ(camera.positionX(), camera.vPosition.x);
    EXPECT_EQ(camera.positionZ(), camera.vPosition.z);

    ModelCamera model = modelAtStart();
    HeldKeys keys;
    keys.forward = true;
    model.frame(keys);
    EXPECT_TRUE(matchesModel(camera, fake, model));
}

TEST_F(CameraMovementKeys, BothKeysOfARowActOnce) {
    const int pairs[][2] = {
        {vk::w, vk::up}, {vk::s, vk::down}, {vk::a, vk::left}, {vk::d, vk::right}};
    for (const auto& pair : pairs) {
        Camera single;
        single.place(50, 120, 250, 0, 0, -1, 0, 1, 0);
        hold({pair[0]});
        single.update();

        camera.place(50, 120, 250, 0, 0, -1, 0, 1, 0);
        hold({pair[0], pair[1]});
        camera.update();
        EXPECT_TRUE(sameBits(camera.vPosition, single.vPosition)) << "key " << pair[0];
        EXPECT_TRUE(sameBits(camera.vView, single.vView)) << "key " << pair[0];

        Camera arrow;
        arrow.place(50, 120, 250, 0, 0, -1, 0, 1, 0);
        hold({pair[1]});
        arrow.update();
        EXPECT_TRUE(sameBits(arrow.vPosition, single.vPosition)) << "key " << pair[1];
    }
}

TEST_F(CameraMovementKeys, ForwardAndBackTogetherStayPut) {
    hold({vk::w, vk::s});
    for (int i = 0; i < 10; ++i) {
        camera.update();
    }
    EXPECT_NEAR(camera.vPosition.x, 50.0f, 1e-4f);
    EXPECT_EQ(camera.vPosition.y, 120.0f);
    EXPECT_NEAR(camera.vPosition.z, 250.0f, 1e-4f);
    EXPECT_NEAR(camera.vView.x, 0.0f, 1e-4f);
    EXPECT_NEAR(camera.vView.z, -1.0f, 1e-4f);
}

TEST_F(CameraMovementKeys, SidestepMovesBothPointsAlongTheStrafeVector) {
    hold({vk::d});
    camera.update();
    EXPECT_NEAR(camera.vPosition.x - 50.0f, 0.9f * 0.98073f, 1e-5f);
    EXPECT_EQ(camera.vPosition.y, 120.0f);
    EXPECT_NEAR(camera.vPosition.z - 250.0f, 0.9f * -0.19536f, 1e-5f);
    EXPECT_NEAR(camera.vView.x, 0.9f * 0.98073f, 1e-5f);
    EXPECT_EQ(camera.vView.y, 0.0f);
    EXPECT_NEAR(camera.vView.z + 1.0f, 0.9f * -0.19536f, 1e-5f);

    ModelCamera model = modelAtStart();
    HeldKeys right;
    right.right = true;
    model.frame(right);
    EXPECT_TRUE(matchesModel(camera, fake, model));

    hold({vk::a});
    camera.update();
    HeldKeys left;
    left.left = true;
    model.frame(left);
    EXPECT_TRUE(matchesModel(camera, fake, model));
    EXPECT_NEAR(camera.vPosition.x, 50.0f, 1e-4f);
    EXPECT_NEAR(camera.vPosition.z, 250.0f, 1e-4f);
}

TEST_F(CameraMovementKeys, SidestepIgnoresTheHeightOfTheStrafeVector) {
    camera.vStrafe = Vector3(0.6f, 0.8f, 0.0f);
    camera.sidestep(0.9f);
    EXPECT_EQ(camera.vPosition.x, 50.0f + 0.6f * 0.9f);
    EXPECT_EQ(camera.vPosition.y, 120.0f);
    EXPECT_EQ(camera.vView.y, 0.0f);
}

TEST_F(CameraMovementKeys, TenFramesOfRiseLiftTheEyeAndLeaveTheLookAtPoint) {
    hold({vk::q});
    ModelCamera model = modelAtStart();
    HeldKeys rise;
    rise.rise = true;
    for (int i = 0; i < 10; ++i) {
        camera.update();
        model.frame(rise);
        ASSERT_TRUE(matchesModel(camera, fake, model)) << "frame " << i;
    }
    EXPECT_NEAR(camera.vPosition.y, 129.0f, 1e-4f);
    EXPECT_EQ(camera.vPosition.x, 50.0f);
    EXPECT_EQ(camera.vPosition.z, 250.0f);
    EXPECT_TRUE(sameBits(camera.vView, Vector3(0, 0, -1)));
    EXPECT_EQ(accumulatedPitch, 0.0f);
}

TEST_F(CameraMovementKeys, RiseAndSinkStepByTheDoubleNineTenths) {
    // From these heights adding the double 0.9 and adding the float 0.9 part ways.
    struct Case {
        int key;
        float startY;
        double step;
    };
    const Case cases[] = {{vk::q, 0.0f, 0.9}, {vk::z, 5.0f, -0.9}};
    for (const Case& c : cases) {
        camera.place(50, c.startY, 250, 0, 0, -1, 0, 1, 0);
        hold({c.key});
        float withDouble = c.startY;
        float withFloat = c.startY;
        bool parted = false;
        for (int i = 0; i < 10; ++i) {
            camera.update();
            withDouble = static_cast<float>(withDouble + c.step);
            withFloat = withFloat + static_cast<float>(c.step);
            parted = parted || bitsOf(withDouble) != bitsOf(withFloat);
            ASSERT_EQ(bitsOf(camera.vPosition.y), bitsOf(withDouble))
                << "key " << c.key << " frame " << i;
        }
        ASSERT_TRUE(parted) << "key " << c.key;
    }
}

TEST_F(CameraVerticalView, StraightDownKeepsEverythingFinite) {
    camera.update();  // a valid strafe vector from the start pose
    camera.place(10, 100, 10, 10, 0, 10, 0, 1, 0);
    camera.update();
    EXPECT_TRUE(finite(camera.vStrafe));
    EXPECT_TRUE(finite(camera.vView));

    hold({vk::w, vk::a});
    frameAt(420, 320);
    hold({vk::d, vk::q, vk::s});
    frameAt(390, 280);
    hold({vk::w});
    for (int i = 0; i < 5; ++i) {
        frameAt(400 + i, 300 - i);
        ASSERT_TRUE(finite(camera.vStrafe)) << "frame " << i;
        ASSERT_TRUE(finite(camera.vView)) << "frame " << i;
        ASSERT_TRUE(finite(camera.vPosition)) << "frame " << i;
    }
}

TEST_F(CameraVerticalView, StraightDownBeforeAnyStrafeStaysFinite) {
    Camera fresh;
    fresh.place(0, 50, 0, 0, -50, 0, 0, 1, 0);
    hold({vk::w, vk::d});
    for (int i = 0; i < 5; ++i) {
        fake.setCursor(410 + i, 310 + i);
        fresh.update();
        ASSERT_TRUE(finite(fresh.vStrafe)) << "frame " << i;
        ASSERT_TRUE(finite(fresh.vView)) << "frame " << i;
        ASSERT_TRUE(finite(fresh.vPosition)) << "frame " << i;
    }
}

TEST_F(CameraAgainstModel, TurnViewMatchesBitForBit) {
    uint32_t state = 0x2545F491u;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) / 16777216.0f;  // [0, 1)
    };
    ModelCamera model = modelAtStart();
    for (int i = 0; i < 300; ++i) {
        float angle = (next() - 0.5f) * 6.0f;
        V axis = unit(V{next() - 0.5f, next() - 0.5f, next() - 0.5f});
        camera.turnView(angle, axis.x, axis.y, axis.z);
        model.turn(angle, axis.x, axis.y, axis.z);
        ASSERT_TRUE(sameBits(camera.vView, model.view)) << "turn " << i;
        ASSERT_TRUE(sameBits(camera.vPosition, model.pos)) << "turn " << i;
    }
}

TEST_F(CameraAgainstModel, ScriptedFlightMatchesBitForBit) {
    // A fixed script of cursor positions and held keys: small moves, still frames, unreadable
    // frames and large vertical jerks that reach the pitch limit from both sides.
    uint32_t state = 0x9E3779B9u;
    auto next = [&state](uint32_t range) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % range);
    };
    const int keyCodes[10] = {vk::up, vk::w,     vk::down, vk::s, vk::left,
                              vk::a,  vk::right, vk::d,    vk::q, vk::z};

    ModelCamera model = modelAtStart();
    for (int frame = 0; frame < 600; ++frame) {
        int x = 400 + next(61) - 30;
        int y = 300 + next(61) - 30;
        if (frame % 7 == 0) {
            x = 400;
            y = 300;
        }
        if (frame % 50 >= 10 && frame % 50 < 14) {
            y = 300 + ((frame / 50) % 2 == 0 ? -550 : 550);
        }
        bool readable = frame % 23 != 5;

        bool held[10];
        fake.releaseAllKeys();
        for (int k = 0; k < 10; ++k) {
            held[k] = next(5) == 0;
            fake.setKey(keyCodes[k], held[k]);
        }
        HeldKeys keys;
        keys.forward = held[0] || held[1];
        keys.back = held[2] || held[3];
        keys.left = held[4] || held[5];
        keys.right = held[6] || held[7];
        keys.rise = held[8];
        keys.sink = held[9];

        fake.setCursorReadable(readable);
        fake.setCursor(x, y);
        model.cursorReadable = readable;
        model.cursorX = x;
        model.cursorY = y;

        camera.update();
        model.frame(keys);
        ASSERT_TRUE(matchesModel(camera, fake, model)) << "frame " << frame;
    }
    // The script really went through turns and clamps.
    EXPECT_GT(model.turns, 300);
    EXPECT_GT(model.clamps, 3);
}
