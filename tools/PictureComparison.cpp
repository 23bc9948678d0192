// kelmora_picture_comparison [--all]: the batched renderer's pictures against the block loop's,
// pixel for pixel, in the viewer itself under a pinned clock (run it from the folder that holds
// data/, on a display). At poses flown with the keys and the mouse, with V released and held,
// with the Phong program and the fixed path, both renderers draw the frame from the same state,
// beside the loop's own frame with the eye moved by 1/8192 of a unit: how far rounding alone
// moves the picture. Prints a table; ends with status 1 when the overlay's text differs, or when a
// case's share of differing pixels passes both its target (0.1 % with V released, 1 % held) and
// half again the loop's own share.
// Without --all: the 128 and 16 grids, at the start and below the surface.
#include "tools/TwinFrames.h"

#include <GL/freeglut.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "generation/CoherentNoiseTerrain.h"

namespace {

constexpr int width = 1024;
constexpr int height = 768;
using Picture = std::vector<unsigned char>;
Picture* capture = nullptr;  // the next frame's back buffer, read before it is shown

}  // namespace

extern "C" void glutSwapBuffers() {
    static const auto swap = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    if (capture != nullptr) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, capture->data());
        capture = nullptr;
    }
    swap();
}

namespace {

// Each pose is flown on from the one before it.
struct Pose {
    const char* name;
    std::initializer_list<twin::Step> steps;
    bool always;  // compared without --all too
};

const Pose poses[] = {
    {"start", {}, true},
    {"turned left, risen", {{1, 250, 300, {}}, {40, 400, 300, {vk::q}}}, false},
    {"walked in, looking down",
     {{1, 550, 300, {}}, {230, 400, 300, {vk::w}}, {1, 400, 520, {}}},
     false},
    {"turned right, lower", {{1, 300, 300, {}}, {60, 400, 300, {vk::z, vk::d}}}, false},
    {"just above the plains", {{22, 400, 300, {vk::z}}, {10, 400, 300, {vk::w, vk::left}}}, false},
    {"below the surface", {{20, 400, 300, {vk::z}}}, true},
    {"below, looking up and back", {{1, 800, 40, {}}, {12, 400, 300, {vk::s}}}, false},
};

struct Difference {
    int pixels = 0;
    int beyondOne = 0;  // by more than one level in some channel
    int largest = 0;
    int text = 0;  // in the overlay's lines, white in one picture and not in the other
};

Difference compare(const Picture& a, const Picture& b) {
    Difference d;
    for (std::size_t p = 0; p < a.size(); p += 3) {
        int most = 0;
        for (int c = 0; c < 3; ++c) {
            most = std::max(most, std::abs(a[p + c] - b[p + c]));
        }
        d.pixels += most > 0;
        d.beyondOne += most > 1;
        d.largest = std::max(d.largest, most);
        // Rows come bottom up; the overlay's three lines lie in the top 75 rows.
        const bool overlay = static_cast<int>(p / 3 / width) >= height - 75;
        const bool white[2] = {a[p] == 255 && a[p + 1] == 255 && a[p + 2] == 255,
                               b[p] == 255 && b[p + 1] == 255 && b[p + 2] == 255};
        d.text += overlay && white[0] != white[1];
    }
    return d;
}

double percent(int pixels) {
    return 100.0 * pixels / (width * height);
}

int blocks(const uint64_t* chosen) {
    int count = 0;
    for (int c = 0; c < noiseTerrain.getSize() * noiseTerrain.getSize(); ++c) {
        count += __builtin_popcountll(chosen[c]);
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    twin::startUp(&argc, argv);
    int failures = 0;
    std::printf(
        "| grid | pose | V | shading | blocks filled + lines | differing pixels | share | by more "
        "than one level | largest difference | loop against itself | overlay text |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const char* key = all ? "123456" : "15"; *key != '\0'; ++key) {
        twin::startAt(static_cast<unsigned char>(*key));
        for (const Pose& pose : poses) {
            twin::fly(pose.steps, false, [] { onDisplay(); });
            for (int n = 0; n < 4 && (all || pose.always); ++n) {
                const bool vHeld = n >= 2;
                glslEnabled = n % 2 == 0;
                twin::press(400, 300, {}, vHeld);
                Picture pictures[3];
                const float eyeShift[2] = {0.0f, 1.0f / 8192.0f};
                twin::drawTwice(2, eyeShift, [&](int frame) {
                    pictures[frame].resize(width * height * 3);
                    capture = &pictures[frame];
                });
                const Difference d = compare(pictures[0], pictures[2]);
                const Difference own = compare(pictures[0], pictures[1]);
                const bool over =
                    (percent(d.pixels) > (vHeld ? 1.0 : 0.1) && d.pixels > 1.5 * own.pixels) ||
                    d.text > 0;
                failures += over;
                std::printf(
                    "| %d | %s | %s | %s | %d + %d | %d | %.4f %% | %.4f %% | %d | %.4f %% | %s "
                    "|%s\n",
                    noiseTerrain.getSize(), pose.name, vHeld ? "held" : "released",
                    glslEnabled ? "Phong" : "fixed", blocks(batchedRenderer.chosen.filled.get()),
                    blocks(batchedRenderer.chosen.lines.get()), d.pixels, percent(d.pixels),
                    percent(d.beyondOne), d.largest, percent(own.pixels),
                    d.text == 0 ? "alike" : "differs", over ? " over" : "");
                std::fflush(stdout);
            }
            glslEnabled = true;
        }
    }
    return failures == 0 ? 0 : 1;
}
