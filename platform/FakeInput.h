#pragma once

#include "platform/Input.h"

// Scripted input for tests: a settable cursor and key set that records where the cursor was moved.
class FakeInput : public Input {
public:
    bool readCursor(int& x, int& y) override;
    void moveCursor(int x, int y) override;
    bool isKeyHeld(int virtualKey) override;

    void setCursor(int x, int y);
    void setCursorReadable(bool readable);
    void setKey(int virtualKey, bool held);
    void releaseAllKeys();

    int cursorX = 0;
    int cursorY = 0;
    int moveCount = 0;
    int keyQueries = 0;

private:
    bool cursorReadable = true;
    bool held[256] = {};
};
