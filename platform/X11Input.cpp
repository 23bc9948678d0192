#include "platform/X11Input.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/VirtualKeys.h"

namespace {

struct KeyBinding {
    int virtualKey;
    KeySym keysym;
};

constexpr KeyBinding keyBindings[] = {
    {vk::left, XK_Left}, {vk::up, XK_Up}, {vk::right, XK_Right}, {vk::down, XK_Down},
    {vk::a, XK_a},       {vk::d, XK_d},   {vk::q, XK_q},         {vk::s, XK_s},
    {vk::v, XK_v},       {vk::w, XK_w},   {vk::z, XK_z},
};

}  // namespace

X11Input::X11Input() = default;

X11Input::~X11Input() {
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

bool X11Input::connect() {
    if (display != nullptr) {
        return true;
    }
    if (connectFailed) {
        return false;
    }
    // The drawing window's own server: freeglut's -display may name another one than DISPLAY,
    // and the window is only known there.
    Display* glDisplay = glXGetCurrentDisplay();
    display = XOpenDisplay(glDisplay != nullptr ? DisplayString(glDisplay) : nullptr);
    if (display == nullptr) {
        connectFailed = true;
        return false;
    }
    // Window ids hold across connections; without a current context (no window) the screen is
    // the frame.
    frame = glDisplay != nullptr ? glXGetCurrentDrawable() : None;
    if (frame == None) {
        frame = DefaultRootWindow(display);
    }
    for (const KeyBinding& binding : keyBindings) {
        keycodes[binding.virtualKey] = XKeysymToKeycode(display, binding.keysym);
    }
    return true;
}

void X11Input::readKeymap() {
    XQueryKeymap(display, keymap);
    haveKeymap = true;
}

bool X11Input::readCursor(int& x, int& y) {
    if (!connect()) {
        return false;
    }
    readKeymap();
    // Relative to the window, in the same one round trip: the window's placement is read afresh
    // each frame, since the user or the compositor may move it at any time.
    Window rootReturn = 0;
    Window childReturn = 0;
    int rootX = 0;
    int rootY = 0;
    unsigned int mask = 0;
    return XQueryPointer(display, frame, &rootReturn, &childReturn, &rootX, &rootY, &x, &y,
                         &mask) == True;
}

void X11Input::moveCursor(int x, int y) {
    if (!connect()) {
        return;
    }
    XWarpPointer(display, None, frame, 0, 0, 0, 0, x, y);
    XFlush(display);
}

bool X11Input::isKeyHeld(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255 || !connect()) {
        return false;
    }
    unsigned char keycode = keycodes[virtualKey];
    if (keycode == 0) {
        return false;
    }
    if (!haveKeymap) {
        readKeymap();
    }
    return (keymap[keycode / 8] & (1 << (keycode % 8))) != 0;
}
