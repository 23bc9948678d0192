#pragma once

// The operating system's cursor and key state, as the camera and the block drawing poll them.
class Input {
public:
    virtual ~Input() = default;
    // Cursor position in pixels (x right, y down); false when it cannot be read. Windows gives
    // the screen's frame; X11 the drawing window's, which is the screen's at its top-left.
    virtual bool readCursor(int& x, int& y) = 0;
    virtual void moveCursor(int x, int y) = 0;
    // Whether the key with this Windows virtual-key code is held down.
    virtual bool isKeyHeld(int virtualKey) = 0;
};

// The input every poll goes to: the system's unless a test has put its own in place.
Input& activeInput();
// nullptr puts the system's input back.
void setActiveInput(Input* input);
