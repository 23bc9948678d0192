// The batched renderer draws exactly the blocks the block loop draws, filled and as lines: over a
// flight at every grid size, with V released and held, the loop's own draws (each cube's draw
// call and the translation before it) are compared, frame by frame and block by block, with the
// blocks the batched renderer chose for the same frame, flown again from the same start.
#include <GL/glew.h>
#include <dlfcn.h>

#include <cstdio>
#include <initializer_list>
#include <vector>

#include "app/Callbacks.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"
#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/FakeInput.h"
#include "platform/VirtualKeys.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"

extern "C" time_t time(time_t* out) noexcept {
    constexpr time_t pinned = 1700000000;
    if (out != nullptr) {
        *out = pinned;
    }
    return pinned;
}

namespace {

struct Drawn {
    float x, y, z;
    BlockDraw how;
    bool operator==(const Drawn& o) const {
        return x == o.x && y == o.y && z == o.z && how == o.how;
    }
};

// The loop's draws of the frame being drawn; its cubes are not handed to the driver.
std::vector<Drawn> loopDraws;
float translation[3];

}  // namespace

extern "C" void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    using Translate = void (*)(GLfloat, GLfloat, GLfloat);
    static const auto real = reinterpret_cast<Translate>(dlsym(RTLD_NEXT, "glTranslatef"));
    translation[0] = x;
    translation[1] = y;
    translation[2] = z;
    real(x, y, z);
}

extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    using Draw = void (*)(GLenum, GLsizei, GLenum, const void*);
    static const auto real = reinterpret_cast<Draw>(dlsym(RTLD_NEXT, "glDrawElements"));
    if (type != GL_UNSIGNED_BYTE) {
        real(mode, count, type, indices);  // the batched renderer's
        return;
    }
    loopDraws.push_back({translation[0], translation[1], translation[2],
                         mode == GL_TRIANGLES ? BlockDraw::filled : BlockDraw::lines});
}

namespace {

FakeInput input;

struct Step {
    int cursorX, cursorY;
    std::initializer_list<int> keys;
    bool nearTheField = false;  // the eye first put down beside the field, looking at it
};

// Turns that take the origin's box out of view and back, walks into reach and out again, from
// the start and then from beside the field.
const Step flight[] = {
    {400, 300, {}},         {400, 300, {}},      {700, 300, {vk::w}}, {100, 300, {vk::w}},
    {400, 420, {vk::z}},    {430, 290, {vk::d}}, {1400, 300, {}},     {-600, 300, {}},
    {400, 300, {}, true},   {400, 300, {}},      {380, 310, {vk::q}}, {400, 300, {vk::up}},
    {400, 200, {vk::down}}, {460, 300, {vk::a}}, {400, 380, {vk::z}}, {200, 300, {vk::s}},
};
constexpr int framesPerStep = 3;

// The blocks the batched renderer chose in its last frame, in the loop's order.
std::vector<Drawn> batchedDraws() {
    std::vector<Drawn> drawn;
    const int size = noiseTerrain.getSize();
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            const uint64_t filled = batchedRenderer.chosen.filled[i * size + j];
            const uint64_t lines = batchedRenderer.chosen.lines[i * size + j];
            for (int k = 0; k < 64; ++k) {
                const float y = blockY(noiseTerrain.heights[j * size + i], k);
                if ((filled >> k & 1) != 0) {
                    drawn.push_back({float(i), y, float(j), BlockDraw::filled});
                }
                if ((lines >> k & 1) != 0) {
                    drawn.push_back({float(i), y, float(j), BlockDraw::lines});
                }
            }
        }
    }
    return drawn;
}

// Flies the whole flight from a fresh grid; each frame's blocks go to `frames`.
void flyFrom(unsigned char sizeKey, bool batched, bool vHeld,
             std::vector<std::vector<Drawn>>& frames) {
    onKeyboard(sizeKey, 0, 0);
    camera->place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    accumulatedPitch = 0.0f;
    batchedDrawing = batched;
    for (const Step& step : flight) {
        if (step.nearTheField) {
            const float middle = noiseTerrain.getSize() / 2.0f;
            camera->place(middle + 30.0f, 70.0f, 2.0f * middle + 40.0f, middle, 20.0f, middle, 0.0f,
                          1.0f, 0.0f);
        }
        for (int n = 0; n < framesPerStep; ++n) {
            input.releaseAllKeys();
            for (int key : step.keys) {
                input.setKey(key, true);
            }
            input.setKey(vk::v, vHeld);
            input.setCursor(n == 0 ? step.cursorX : 400, n == 0 ? step.cursorY : 300);
            loopDraws.clear();
            onDisplay();
            frames.push_back(batched ? batchedDraws() : loopDraws);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    setActiveInput(&input);
    input.setCursor(400, 300);
    batchedDrawing = true;
    startUp(&argc, argv);
    int failures = 0;
    for (unsigned char key : {'1', '2', '3', '4', '5', '6'}) {
        for (bool vHeld : {false, true}) {
            std::vector<std::vector<Drawn>> loop;
            std::vector<std::vector<Drawn>> batched;
            flyFrom(key, false, vHeld, loop);
            flyFrom(key, true, vHeld, batched);
            long filled = 0;
            long lines = 0;
            for (std::size_t frame = 0; frame < loop.size(); ++frame) {
                for (const Drawn& d : loop[frame]) {
                    filled += d.how == BlockDraw::filled;
                    lines += d.how == BlockDraw::lines;
                }
                if (loop[frame] != batched[frame]) {
                    std::printf(
                        "grid %d, V %s, frame %zu: the loop drew %zu blocks, the batched "
                        "renderer %zu, not the same\n",
                        noiseTerrain.getSize(), vHeld ? "held" : "released", frame + 1,
                        loop[frame].size(), batched[frame].size());
                    ++failures;
                    break;
                }
            }
            std::printf("grid %d, V %s: %zu frames, %ld filled and %ld line blocks drawn alike\n",
                        noiseTerrain.getSize(), vHeld ? "held" : "released", loop.size(), filled,
                        lines);
        }
    }
    return failures == 0 ? 0 : 1;
}
