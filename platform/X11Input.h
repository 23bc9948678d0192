#pragma once

#include "platform/Input.h"

typedef struct _XDisplay Display;

// Cursor and keys through the X server, on a display connection of its own.
//
// Reading the key map is a server round trip, far dearer than a block's draw call, and the
// block drawing asks for V once per far block. So the key map is read together with the
// cursor, once per frame at the start of drawing, and key questions are answered from that
// snapshot: like the per-thread key state of Windows, it holds still while a frame is drawn.
//
// The cursor is read and put back in the frame of the window being drawn (the current GL
// drawable when the connection is made), not the screen's: a Wayland compositor places the
// window where it likes, and Xwayland locks the pointer for mouse look only when the warp lands
// inside that window. At the screen's top-left the two frames are one.
class X11Input : public Input {
public:
    X11Input();
    ~X11Input() override;
    X11Input(const X11Input&) = delete;
    X11Input& operator=(const X11Input&) = delete;

    bool readCursor(int& x, int& y) override;
    void moveCursor(int x, int y) override;
    bool isKeyHeld(int virtualKey) override;

private:
    bool connect();
    void readKeymap();

    Display* display = nullptr;
    unsigned long frame = 0;  // Xlib's Window: the one whose frame the cursor is in, or the root
    bool connectFailed = false;
    bool haveKeymap = false;
    char keymap[32] = {};
    unsigned char keycodes[256] = {};
};
