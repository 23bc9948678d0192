#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/FakeInput.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "platform/X11Input.h"

TEST(FakeInputCursor, ReadsWhatWasSetAndRecordsMoves) {
    FakeInput fake;
    fake.setCursor(410, 290);
    int x = 0, y = 0;
    ASSERT_TRUE(fake.readCursor(x, y));
    EXPECT_EQ(x, 410);
    EXPECT_EQ(y, 290);
    EXPECT_EQ(fake.moveCount, 0);  // setting the script is not a move

    fake.moveCursor(400, 300);
    EXPECT_EQ(fake.moveCount, 1);
    ASSERT_TRUE(fake.readCursor(x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
}

TEST(FakeInputCursor, UnreadableCursorLeavesTheOutputsAlone) {
    FakeInput fake;
    fake.setCursor(1, 2);
    fake.setCursorReadable(false);
    int x = -7, y = -8;
    EXPECT_FALSE(fake.readCursor(x, y));
    EXPECT_EQ(x, -7);
    EXPECT_EQ(y, -8);
    fake.setCursorReadable(true);
    EXPECT_TRUE(fake.readCursor(x, y));
    EXPECT_EQ(x, 1);
}

TEST(FakeInputKeys, HeldKeysAreAnsweredAndCounted) {
    FakeInput fake;
    fake.setKey(vk::w, true);
    fake.setKey(vk::left, true);
    EXPECT_TRUE(fake.isKeyHeld(vk::w));
    EXPECT_TRUE(fake.isKeyHeld(vk::left));
    EXPECT_FALSE(fake.isKeyHeld(vk::s));
    EXPECT_EQ(fake.keyQueries, 3);

    fake.setKey(vk::w, false);
    EXPECT_FALSE(fake.isKeyHeld(vk::w));
    fake.releaseAllKeys();
    for (int key = 0; key < 256; ++key) {
        EXPECT_FALSE(fake.isKeyHeld(key)) << "key " << key;
    }
}

TEST(FakeInputKeys, CodesOutsideAByteAreNeverHeld) {
    FakeInput fake;
    fake.setKey(-1, true);
    fake.setKey(256, true);
    EXPECT_FALSE(fake.isKeyHeld(-1));
    EXPECT_FALSE(fake.isKeyHeld(256));
    EXPECT_FALSE(fake.isKeyHeld(1 << 20));
}

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
