#pragma once

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"

// The eleven polled keys: the name xdotool presses, the code Windows gives the key (written out,
// not taken from the viewer's table, so that a wrong entry there shows), the code the viewer asks
// for, and the eye's move in one frame from the start pose with that key alone held.
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

// Each key pressed alone through the system (press(key, down) is false when that failed) is that
// key alone held, and a frame from the start pose, reading the keys, moves the eye its own way.
template <typename Press>
void expectEachKeyAlone(Input& input, Press press) {
    Camera camera;
    for (const PolledKey& held : polledKeys) {
        placeAtStart(camera);
        ASSERT_TRUE(press(held, true)) << held.name << " never arrived";
        camera.update();
        const Vector3 moved = camera.vPosition - Vector3(50.0f, 120.0f, 250.0f);
        EXPECT_LT(length(moved - held.step), 1e-4f) << held.name;
        for (const PolledKey& key : polledKeys) {
            EXPECT_EQ(input.isKeyHeld(key.virtualKey), &key == &held)
                << key.name << ", " << held.name;
        }
        ASSERT_TRUE(press(held, false)) << held.name << " up never arrived";
    }
}
