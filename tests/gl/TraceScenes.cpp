// The real start-up and a fixed script of frames, keys and window sizes, with scripted input and
// a pinned clock, so that every run makes exactly the same GL calls. trace_check.py runs it
// under apitrace and compares the calls with the recorded ones. It fails by itself when a frame
// allocates memory.
#include <GL/freeglut.h>
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "app/Callbacks.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/FakeInput.h"
#include "platform/VirtualKeys.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"

// The terrain is generated during static initialisation: this must work before main.
extern "C" time_t time(time_t* out) noexcept {
    constexpr time_t pinned = 1500000000;
    if (out != nullptr) {
        *out = pinned;
    }
    return pinned;
}

namespace {

bool counting = false;
long allocations = 0;

}  // namespace

// The sanitizer build owns the allocator; elsewhere count the executable's own allocations.
#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(size_t size);
extern "C" char __executable_start;
extern "C" char etext;

// The driver allocates too, and compiles shader variants while drawing: only calls from the
// executable's own code count.
#define COUNT_ALLOCATION()                                                           \
    do {                                                                             \
        const char* caller = static_cast<const char*>(__builtin_return_address(0));  \
        allocations += counting && caller >= &__executable_start && caller < &etext; \
    } while (false)

extern "C" void* malloc(size_t size) noexcept {
    COUNT_ALLOCATION();
    return __libc_malloc(size);
}

void* operator new(std::size_t size) {
    COUNT_ALLOCATION();
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}
#endif

namespace {

FakeInput input;

// One frame with the cursor at (x, y) and these keys held.
void frame(int x, int y, std::initializer_list<int> keys = {}) {
    input.releaseAllKeys();
    for (int key : keys) {
        input.setKey(key, true);
    }
    input.setCursor(x, y);
    counting = true;
    onDisplay();
    counting = false;
}

void still(int frames, std::initializer_list<int> keys = {}) {
    for (int n = 0; n < frames; ++n) {
        frame(400, 300, keys);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setActiveInput(&input);
    input.setCursor(400, 300);
    startUp(&argc, argv);

    still(2);           // the start pose: the first frame culls by the origin's box
    still(1, {vk::v});  // far blocks as lines
    onKeyboard('g', 0, 0);
    still(1, {vk::v});  // the fixed-function pipeline
    onKeyboard('F', 0, 0);
    onKeyboard('f', 0, 0);
    onKeyboard('3', 0, 0);
    // A flight over the 48 grid: every key and the mouse, one or two at a time.
    frame(400, 300, {vk::w, vk::up});
    frame(430, 285, {vk::v, vk::a});
    frame(380, 310, {vk::v, vk::d, vk::q});
    frame(400, 300, {vk::v, vk::s, vk::left, vk::z});
    frame(400, 0, {vk::v, vk::down});
    frame(400, 0, {vk::v, vk::right, vk::w});
    frame(400, 0, {vk::v});
    frame(400, 0, {vk::v});  // the pitch limit drops this one
    frame(405, 600, {vk::v, vk::w, vk::s});
    frame(400, 600, {vk::v});
    frame(400, 600, {vk::v});
    onKeyboard('6', 0, 0);
    still(2, {vk::v});
    onReshape(512, 384);
    still(1, {vk::v});
    onReshape(1024, 0);
    still(1);
    onReshape(1024, 768);
    onKeyboard('1', 0, 0);
    still(2);  // 128: the near part filled
    // Turned away, a rebuild leaves the field empty until the origin's box is in view again.
    onKeyboard('6', 0, 0);
    frame(1400, 300, {vk::v});
    frame(1400, 300, {vk::v});
    onKeyboard('4', 0, 0);
    still(1, {vk::v});
    frame(-600, 300, {vk::v});
    frame(-600, 300, {vk::v});
    still(1, {vk::v});
    // Whole-number heights put each column's second block exactly at the gate, y 14: undrawn.
    for (int column = 0; column < 32 * 32; ++column) {
        noiseTerrain.heights[column] = 13.0f;
    }
    still(2, {vk::v});

    // The batched renderer, its buffers made here so that start-up stays as it is by default:
    // a rebuild at 128, V held, both shading paths.
    batchedRenderer.createBuffers(blockTerrain);
    batchedDrawing = true;
    onKeyboard('1', 0, 0);
    still(2, {vk::v});
    onKeyboard('g', 0, 0);
    still(1, {vk::v});

    std::printf("frames allocated %ld times\n", allocations);
    return allocations == 0 ? 0 : 1;
}
