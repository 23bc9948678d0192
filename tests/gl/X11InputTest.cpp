#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/VirtualKeys.h"
#include "platform/X11Input.h"

namespace {

// The real X server that the GL tests run on, driven with xdotool.
class X11InputOnAServer : public ::testing::Test {
protected:
    static void xdotool(const char* arguments) {
        const std::string command = std::string("xdotool ") + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    X11Input input;
};

TEST_F(X11InputOnAServer, CursorIsReadAndMovedInScreenCoordinates) {
    xdotool("mousemove 612 345");
    int x = 0, y = 0;
    ASSERT_TRUE(input.readCursor(x, y));
    EXPECT_EQ(x, 612);
    EXPECT_EQ(y, 345);

    input.moveCursor(400, 300);
    ASSERT_TRUE(input.readCursor(x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
}

TEST_F(X11InputOnAServer, MovementKeysAreAnsweredFromTheFramesSnapshot) {
    const struct {
        const char* name;
        int code;
    } keys[] = {{"Up", vk::up}, {"Down", vk::down}, {"Left", vk::left}, {"Right", vk::right},
                {"w", vk::w},   {"a", vk::a},       {"s", vk::s},       {"d", vk::d},
                {"q", vk::q},   {"z", vk::z},       {"v", vk::v}};
    int x = 0, y = 0;
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        xdotool((std::string("keydown ") + key.name).c_str());
        input.readCursor(x, y);  // the frame's start takes the snapshot
        EXPECT_TRUE(input.isKeyHeld(key.code));
        EXPECT_FALSE(input.isKeyHeld(key.code == vk::w ? vk::s : vk::w));

        xdotool((std::string("keyup ") + key.name).c_str());
        // Within the frame the answer holds still, as the frame saw it.
        EXPECT_TRUE(input.isKeyHeld(key.code));
        input.readCursor(x, y);
        EXPECT_FALSE(input.isKeyHeld(key.code));
    }
    // A code the viewer does not poll is never held.
    EXPECT_FALSE(input.isKeyHeld(0x42));
}

}  // namespace
