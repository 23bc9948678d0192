#pragma once

#include "platform/Input.h"

// Cursor and keys through user32. The key state is the thread's own, renewed as messages are
// handled, so it holds still while a frame is drawn.
class Win32Input : public Input {
public:
    bool readCursor(int& x, int& y) override;
    void moveCursor(int x, int y) override;
    bool isKeyHeld(int virtualKey) override;
};
