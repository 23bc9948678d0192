#include "platform/Win32Input.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/FakeInput.h"
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
    Camera camera;
    for (const PolledKey& held : polledKeys) {
        placeAtStart(camera);
        ASSERT_TRUE(type(held.windowsCode, true)) << held.name << " never arrived";
        expectOwnStep(camera, held);
        for (const PolledKey& key : polledKeys) {
            EXPECT_EQ(win32.isKeyHeld(key.virtualKey), &key == &held)
                << key.name << ", " << held.name;
        }
        ASSERT_TRUE(type(held.windowsCode, false)) << held.name << " up never arrived";
    }
}

TEST_F(Win32InputTest, TheCursorMovedByAnOffsetTurnsTheViewAsScriptedInputDoesAndIsPutBack) {
    // Right, up, and a turn where float sine and cosine would round otherwise.
    const POINT offsets[] = {{10, 0}, {0, -300}, {-138, -95}};
    FakeInput scripted;
    for (const POINT& offset : offsets) {
        Camera viaUser32, viaScript;
        placeAtStart(viaUser32);
        placeAtStart(viaScript);
        accumulatedPitch = 0.0f;
        ASSERT_TRUE(SetCursorPos(400 + offset.x, 300 + offset.y));
        viaUser32.update();
        const float pitchViaUser32 = accumulatedPitch;
        POINT back;
        ASSERT_TRUE(GetCursorPos(&back));
        EXPECT_TRUE(back.x == 400 && back.y == 300) << back.x << ", " << back.y;

        accumulatedPitch = 0.0f;
        setActiveInput(&scripted);
        scripted.setCursor(400 + offset.x, 300 + offset.y);
        viaScript.update();
        setActiveInput(&win32);
        // Bit for bit, as the camera's tests record them.
        EXPECT_EQ(std::memcmp(&pitchViaUser32, &accumulatedPitch, sizeof(float)), 0) << offset.x;
        EXPECT_EQ(std::memcmp(&viaUser32.vView, &viaScript.vView, sizeof(Vector3)), 0) << offset.x;
    }
}

}  // namespace
