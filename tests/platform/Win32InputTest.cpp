#include "platform/Win32Input.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "tests/platform/PolledKeys.h"

namespace {

// Typed keys go to the thread whose window has the focus, and GetKeyState changes only as that
// thread takes their messages: the test owns a focused window and handles its own messages.
class Win32InputTest : public testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExA(0, "STATIC", "Kelmora input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
        setActiveInput(&win32);
    }
    void TearDown() override {
        setActiveInput(nullptr);
        DestroyWindow(window);
    }

    // Types the key and handles messages until its own has been taken; false after 5 s without.
    bool type(int code, bool down) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(code);
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        if (SendInput(1, &input, sizeof input) != 1) {
            return false;
        }
        const UINT kind = down ? WM_KEYDOWN : WM_KEYUP;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(1)) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
                if (message.message == kind && message.wParam == static_cast<WPARAM>(code)) {
                    return true;
                }
            }
        }
        return false;
    }

    HWND window = nullptr;
    Win32Input win32;
};

TEST_F(Win32InputTest, EachPolledKeyTypedAloneIsThatKeyAloneHeldAndMovesTheEyeItsOwnWay) {
    ASSERT_TRUE(SetCursorPos(400, 300));
    expectEachKeyAlone(
        win32, [this](const PolledKey& key, bool down) { return type(key.windowsCode, down); });
}

TEST_F(Win32InputTest, TheCursorTurnsTheViewToTheCameraTestsBitsAndIsPutBack) {
    // Both axes, in a turn where float sine and cosine would round otherwise.
    ASSERT_TRUE(SetCursorPos(262, 205));
    Camera camera;
    placeAtStart(camera);
    accumulatedPitch = 0.0f;
    camera.update();
    const uint32_t recorded[3] = {0xc215a60e, 0x41c68b5c, 0xbfb2d500};
    EXPECT_EQ(std::memcmp(&camera.vView, recorded, sizeof recorded), 0);
    POINT back;
    ASSERT_TRUE(GetCursorPos(&back));
    EXPECT_TRUE(back.x == 400 && back.y == 300) << back.x << ", " << back.y;
}

}  // namespace
