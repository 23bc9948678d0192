// The batched renderer draws exactly the blocks the block loop draws, filled and as lines: over a
// flight at every grid size, from the start and from beside the field, with V released and held,
// each frame is drawn from one state by the loop, whose cube draws (each draw call and the
// translation before it) are counted here and not drawn, and by the batched renderer, whose
// chosen blocks must be those, block for block.
#include "tools/TwinFrames.h"

#include <dlfcn.h>

#include <cstdio>

#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BlockRules.h"

namespace {

struct Drawn {
    float x, y, z;
    BlockDraw how;
    bool operator==(const Drawn& o) const {
        return x == o.x && y == o.y && z == o.z && how == o.how;
    }
};

std::vector<Drawn> loopDraws;
float translation[3];

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    static const auto translate = real<void (*)(GLfloat, GLfloat, GLfloat)>("glTranslatef");
    translation[0] = x;
    translation[1] = y;
    translation[2] = z;
    translate(x, y, z);
}

extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static const auto draw = real<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    if (type != GL_UNSIGNED_BYTE) {
        draw(mode, count, type, indices);  // the batched renderer's quads
        return;
    }
    loopDraws.push_back({translation[0], translation[1], translation[2],
                         mode == GL_TRIANGLES ? BlockDraw::filled : BlockDraw::lines});
}

namespace {

// The blocks the batched renderer chose in its last frame, in the loop's order.
std::vector<Drawn> batchedDraws() {
    std::vector<Drawn> drawn;
    const int size = noiseTerrain.getSize();
    for (int c = 0; c < size * size; ++c) {
        for (int k = 0; k < 64; ++k) {
            const float y = blockY(noiseTerrain.heights[(c % size) * size + c / size], k);
            for (BlockDraw how : {BlockDraw::filled, BlockDraw::lines}) {
                const auto& chosen = how == BlockDraw::filled ? batchedRenderer.chosen.filled
                                                              : batchedRenderer.chosen.lines;
                if ((chosen[c] >> k & 1) != 0) {
                    drawn.push_back({float(c / size), y, float(c % size), how});
                }
            }
        }
    }
    return drawn;
}

// Turns that take the origin's box out of view and back, walks into reach and out.
const std::initializer_list<twin::Step> flight = {
    {3, 400, 300, {}},      {3, 700, 300, {vk::w}}, {3, 100, 300, {vk::w}},
    {3, 400, 420, {vk::z}}, {3, 1400, 300, {}},     {3, -600, 300, {}},
    {8, 400, 300, {vk::w}}, {3, 380, 310, {vk::q}}, {3, 400, 200, {vk::down}},
    {3, 460, 300, {vk::a}}, {8, 400, 380, {vk::z}}, {3, 200, 300, {vk::s}},
};

}  // namespace

int main(int argc, char** argv) {
    twin::startUp(&argc, argv);
    int failures = 0;
    for (const char* key = "123456"; *key != '\0'; ++key) {
        for (int start = 0; start < 4; ++start) {
            const bool vHeld = start % 2 == 1;
            twin::startAt(static_cast<unsigned char>(*key));
            if (start >= 2) {
                const float middle = noiseTerrain.getSize() / 2.0f;
                camera->place(middle + 30.0f, 70.0f, 2.0f * middle + 40.0f, middle, 20.0f, middle,
                              0.0f, 1.0f, 0.0f);
            }
            int frames = 0;
            int unlike = 0;
            long drawn[2] = {0, 0};
            twin::fly(flight, vHeld, [&] {
                const float still = 0.0f;
                twin::drawTwice(1, &still, [](int n) {
                    if (n == 0) {
                        loopDraws.clear();  // the batched frame draws no cube of its own
                    }
                });
                unlike += loopDraws != batchedDraws();
                ++frames;
                for (const Drawn& block : loopDraws) {
                    ++drawn[block.how == BlockDraw::lines];
                }
            });
            std::printf(
                "grid %d, from %s, V %s: %d of %d frames unlike; %ld filled and %ld line "
                "blocks\n",
                noiseTerrain.getSize(), start < 2 ? "the start" : "beside the field",
                vHeld ? "held" : "released", unlike, frames, drawn[0], drawn[1]);
            failures += unlike;
        }
    }
    return failures == 0 ? 0 : 1;
}
