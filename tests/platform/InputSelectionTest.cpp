#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/FakeInput.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "platform/X11Input.h"

TEST(ActiveInputSwitch, TestInputReplacesTheSystemsAndNullRestoresIt) {
    Input& system = activeInput();
    FakeInput fake;
    setActiveInput(&fake);
    EXPECT_EQ(&activeInput(), static_cast<Input*>(&fake));
    setActiveInput(nullptr);
    EXPECT_EQ(&activeInput(), &system);
    EXPECT_NE(&activeInput(), static_cast<Input*>(&fake));
}

TEST(X11InputWithoutDisplay, CursorIsUnreadableAndNoKeyIsHeld) {
    const char* saved = std::getenv("DISPLAY");
    std::string previous = saved != nullptr ? saved : "";
    setenv("DISPLAY", "", 1);  // no server to connect to
    {
        X11Input input;
        int x = 12, y = 34;
        EXPECT_FALSE(input.readCursor(x, y));
        EXPECT_FALSE(input.isKeyHeld(vk::w));
        EXPECT_FALSE(input.isKeyHeld(-1));
        EXPECT_FALSE(input.isKeyHeld(256));
        input.moveCursor(400, 300);  // must not crash either
        EXPECT_FALSE(input.readCursor(x, y));
    }
    if (saved != nullptr) {
        setenv("DISPLAY", previous.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}
