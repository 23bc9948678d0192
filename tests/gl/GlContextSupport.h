#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "platform/FakeInput.h"

// The second time() answers in this binary, so every regeneration draws the same seed.
constexpr time_t pinnedTime = 1500000000;

// The input the camera and the block drawing poll: cursor on the centre point, keys as set.
FakeInput& glTestInput();

// Puts back what a test may have changed: the start pose, no keys, GLSL on, the 32 grid with
// every slot at the origin.
void resetScene();

// What one onDisplay issued through the interposed fixed-function entry points.
struct FrameCalls {
    long filledDraws = 0;  // GL_TRIANGLES, 36, GL_UNSIGNED_BYTE, offset 0
    long lineDraws = 0;    // GL_LINES, 36, GL_UNSIGNED_BYTE, offset 0
    long otherDraws = 0;   // any other glDrawElements
    // Between the terrain's scale and its matching pop, i.e. one bracket per block.
    long loopPushes = 0;
    long loopTranslates = 0;
    long loopPops = 0;
    // The matrices GL held when the terrain scaled its model-view, right after the frustum
    // was taken from them.
    bool matricesCaptured = false;
    float modelView[16] = {};
    float projection[16] = {};
};

// Draws one frame through onDisplay and returns the counted calls.
FrameCalls drawCountedFrame();

// Everything written to standard output (C stdio and iostreams) while `action` runs.
std::string captureStdout(const std::function<void()>& action);

// Heap allocations on this thread while `action` runs: operator new from anywhere and malloc
// called directly from the executable's own code. Returns -1 where they cannot be counted
// (the sanitizer build owns the allocator).
long countAllocations(const std::function<void()>& action);
