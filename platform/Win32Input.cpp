#include "platform/Win32Input.h"

#include <windows.h>

namespace {

constexpr SHORT keyDownBit = 0x80;

}  // namespace

bool Win32Input::readCursor(int& x, int& y) {
    POINT mousePos;
    if (!GetCursorPos(&mousePos)) {
        return false;
    }
    x = mousePos.x;
    y = mousePos.y;
    return true;
}

void Win32Input::moveCursor(int x, int y) {
    SetCursorPos(x, y);
}

bool Win32Input::isKeyHeld(int virtualKey) {
    return (GetKeyState(virtualKey) & keyDownBit) != 0;
}
