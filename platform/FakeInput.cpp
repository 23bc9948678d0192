#include "platform/FakeInput.h"

bool FakeInput::readCursor(int& x, int& y) {
    if (!cursorReadable) {
        return false;
    }
    x = cursorX;
    y = cursorY;
    return true;
}

void FakeInput::moveCursor(int x, int y) {
    cursorX = x;
    cursorY = y;
    ++moveCount;
}

bool FakeInput::isKeyHeld(int virtualKey) {
    ++keyQueries;
    return virtualKey >= 0 && virtualKey < 256 && held[virtualKey];
}

void FakeInput::setCursor(int x, int y) {
    cursorX = x;
    cursorY = y;
}

void FakeInput::setCursorReadable(bool readable) {
    cursorReadable = readable;
}

void FakeInput::setKey(int virtualKey, bool isHeld) {
    if (virtualKey >= 0 && virtualKey < 256) {
        held[virtualKey] = isHeld;
    }
}

void FakeInput::releaseAllKeys() {
    for (bool& key : held) {
        key = false;
    }
}
