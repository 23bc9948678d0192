#include "platform/X11Input.h"

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
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        connectFailed = true;
        return false;
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
    Window root = DefaultRootWindow(display);
    Window rootReturn = 0;
    Window childReturn = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    return XQueryPointer(display, root, &rootReturn, &childReturn, &x, &y, &winX, &winY, &mask) ==
           True;
}

void X11Input::moveCursor(int x, int y) {
    if (!connect()) {
        return;
    }
    Window root = DefaultRootWindow(display);
    XWarpPointer(display, None, root, 0, 0, 0, 0, x, y);
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
