#pragma once

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "platform/VirtualKeys.h"

// The eleven polled keys: the name xdotool presses, the code Windows gives the key (written out
// here, not taken from the viewer's table, so that a wrong entry there shows), the code the viewer
// asks for, and the eye's move in one frame from the start pose with that key alone held.
struct PolledKey {
    const char* name;
    int windowsCode;
    int virtualKey;
    Vector3 step;
};

namespace polled {
inline const Vector3 none, ahead(-0.15920f, 0, -0.79917f),
    right(0.9f * 0.98073f, 0, 0.9f * -0.19536f), up(0, 0.9f, 0);
}  // namespace polled

inline const PolledKey polledKeys[] = {
    {"w", 'W', vk::w, polled::ahead},
    {"Up", 0x26, vk::up, polled::ahead},
    {"s", 'S', vk::s, polled::none - polled::ahead},
    {"Down", 0x28, vk::down, polled::none - polled::ahead},
    {"a", 'A', vk::a, polled::none - polled::right},
    {"Left", 0x25, vk::left, polled::none - polled::right},
    {"d", 'D', vk::d, polled::right},
    {"Right", 0x27, vk::right, polled::right},
    {"q", 'Q', vk::q, polled::up},
    {"z", 'Z', vk::z, polled::none - polled::up},
    {"v", 'V', vk::v, polled::none},
};

inline void placeAtStart(Camera& camera) {
    camera.place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
}

// One frame from the start pose, keys read from the system's input: the eye moves as `held` alone.
inline void expectOwnStep(Camera& camera, const PolledKey& held) {
    camera.update();
    const Vector3 moved = camera.vPosition - Vector3(50.0f, 120.0f, 250.0f);
    EXPECT_NEAR(moved.x, held.step.x, 1e-4f) << held.name;
    EXPECT_NEAR(moved.y, held.step.y, 1e-4f) << held.name;
    EXPECT_NEAR(moved.z, held.step.z, 1e-4f) << held.name;
}
