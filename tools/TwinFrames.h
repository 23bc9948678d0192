#pragma once

// The viewer's own frames, drawn twice from one state (the slots, the camera, the cursor): once
// by the block loop and once by the batched renderer, under a pinned clock. What the picture
// comparison and the block comparison share; include it in one source of a program, since it
// pins that program's time().
#include <GL/glew.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "app/Callbacks.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"
#include "camera/Camera.h"
#include "platform/FakeInput.h"
#include "platform/VirtualKeys.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"

// The terrain is generated during static initialisation: this must work before main.
extern "C" time_t time(time_t* out) noexcept {
    constexpr time_t pinned = 1700000000;
    if (out != nullptr) {
        *out = pinned;
    }
    return pinned;
}

namespace twin {

inline FakeInput input;

// The viewer started with scripted input and the batched renderer's buffers made.
inline void startUp(int* argc, char** argv) {
    setActiveInput(&input);
    input.setCursor(400, 300);
    batchedDrawing = true;
    ::startUp(argc, argv);
}

// Everything a frame starts from that a frame changes.
struct State {
    std::vector<float> x, y, z;
    Camera eye;
    float pitch;
    int cursor[2];

    State()
        : x(blockTerrain.posX.get(), blockTerrain.posX.get() + blockTerrain.slotCapacity()),
          y(blockTerrain.posY.get(), blockTerrain.posY.get() + blockTerrain.slotCapacity()),
          z(blockTerrain.posZ.get(), blockTerrain.posZ.get() + blockTerrain.slotCapacity()),
          eye(*camera),
          pitch(accumulatedPitch),
          cursor{input.cursorX, input.cursorY} {}
    void restore() const {
        std::copy(x.begin(), x.end(), blockTerrain.posX.get());
        std::copy(y.begin(), y.end(), blockTerrain.posY.get());
        std::copy(z.begin(), z.end(), blockTerrain.posZ.get());
        *camera = eye;
        accumulatedPitch = pitch;
        input.setCursor(cursor[0], cursor[1]);
    }
};

// A new grid from the start pose, with the Phong program.
inline void startAt(unsigned char sizeKey) {
    onKeyboard(sizeKey, 0, 0);
    camera->place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    accumulatedPitch = 0.0f;
    glslEnabled = true;
}

inline void press(int cursorX, int cursorY, std::initializer_list<int> keys, bool vHeld) {
    input.releaseAllKeys();
    for (int key : keys) {
        input.setKey(key, true);
    }
    input.setKey(vk::v, vHeld);
    input.setCursor(cursorX, cursorY);
}

struct Step {
    int frames;
    int cursorX, cursorY;  // for the first frame; the rest keep the cursor still
    std::initializer_list<int> keys;
};

// Each step's frames, drawn by `frame` after the input is set.
template <typename Frame>
void fly(std::initializer_list<Step> steps, bool vHeld, Frame frame) {
    for (const Step& step : steps) {
        for (int n = 0; n < step.frames; ++n) {
            press(n == 0 ? step.cursorX : 400, n == 0 ? step.cursorY : 300, step.keys, vHeld);
            frame();
        }
    }
}

// The frame the input makes, drawn by the loop (`loopFrames` times, each from the same state,
// the n-th with the eye moved by `eyeShift[n]`) and then by the batched renderer, whose frame
// goes on. `before(n)` runs before each of them, n = loopFrames for the batched one.
template <typename Before>
void drawTwice(int loopFrames, const float* eyeShift, Before before) {
    const State start;
    for (int n = 0; n <= loopFrames; ++n) {
        start.restore();
        const float shift = n < loopFrames ? eyeShift[n] : 0.0f;
        camera->vPosition.x += shift;
        camera->vView.x += shift;
        batchedDrawing = n == loopFrames;
        before(n);
        onDisplay();
    }
}

}  // namespace twin
