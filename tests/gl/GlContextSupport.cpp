// One window and GL context for the whole binary, a pinned clock, and counters on the GL entry
// points the block loop calls. The library is linked statically, so its calls to the functions
// defined here resolve to them; each forwards to the real one in libGL.
#include "GlContextSupport.h"

#include <GL/glew.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "app/Callbacks.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"
#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BlockTerrain.h"

// The terrain regenerates during static initialisation, before main: this must work with
// nothing initialised yet.
extern "C" time_t time(time_t* out) noexcept {
    if (out != nullptr) {
        *out = pinnedTime;
    }
    return pinnedTime;
}

namespace {

template <typename Function>
Function realGl(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "no %s after the test executable\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

struct Recorder {
    bool active = false;
    bool inBlockLoop = false;
    int depth = 0;  // pushes inside the block loop not yet popped
    FrameCalls calls;
};

Recorder recorder;

}  // namespace

extern "C" {

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static const auto real =
        realGl<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    if (recorder.active) {
        const bool cubeDraw = count == 36 && type == GL_UNSIGNED_BYTE && indices == nullptr;
        if (cubeDraw && mode == GL_TRIANGLES) {
            ++recorder.calls.filledDraws;
        } else if (cubeDraw && mode == GL_LINES) {
            ++recorder.calls.lineDraws;
        } else {
            ++recorder.calls.otherDraws;
        }
    }
    real(mode, count, type, indices);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    static const auto real = realGl<void (*)(GLfloat, GLfloat, GLfloat)>("glScalef");
    if (recorder.active && !recorder.calls.matricesCaptured) {
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        // The overlay scales its projection; the terrain scales the model-view.
        if (mode == GL_MODELVIEW) {
            glGetFloatv(GL_MODELVIEW_MATRIX, recorder.calls.modelView);
            glGetFloatv(GL_PROJECTION_MATRIX, recorder.calls.projection);
            recorder.calls.matricesCaptured = true;
            recorder.inBlockLoop = true;
            recorder.depth = 0;
        }
    }
    real(x, y, z);
}

void glPushMatrix() {
    static const auto real = realGl<void (*)()>("glPushMatrix");
    if (recorder.inBlockLoop) {
        ++recorder.calls.loopPushes;
        ++recorder.depth;
    }
    real();
}

void glPopMatrix() {
    static const auto real = realGl<void (*)()>("glPopMatrix");
    if (recorder.inBlockLoop) {
        if (recorder.depth == 0) {
            recorder.inBlockLoop = false;  // the pop that matches the terrain's scale
        } else {
            --recorder.depth;
            ++recorder.calls.loopPops;
        }
    }
    real();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    static const auto real = realGl<void (*)(GLfloat, GLfloat, GLfloat)>("glTranslatef");
    if (recorder.inBlockLoop) {
        ++recorder.calls.loopTranslates;
    }
    real(x, y, z);
}

}  // extern "C"

// Allocation counting replaces the allocator, which the sanitizer build owns.
#if !defined(__SANITIZE_ADDRESS__)

extern "C" void* __libc_malloc(size_t size);
extern "C" char __executable_start;
extern "C" char etext;

namespace {

bool countingAllocations = false;
pthread_t countingThread;
long allocationCount = 0;

bool countsHere() {
    return countingAllocations && pthread_equal(pthread_self(), countingThread);
}

}  // namespace

// The driver allocates through malloc too; only the executable's own direct calls count.
extern "C" void* malloc(size_t size) noexcept {
    if (countsHere()) {
        const char* caller = static_cast<const char*>(__builtin_return_address(0));
        if (caller >= &__executable_start && caller < &etext) {
            ++allocationCount;
        }
    }
    return __libc_malloc(size);
}

void* operator new(std::size_t size) {
    if (countsHere()) {
        ++allocationCount;
    }
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

long countAllocations(const std::function<void()>& action) {
    countingThread = pthread_self();
    allocationCount = 0;
    countingAllocations = true;
    action();
    countingAllocations = false;
    return allocationCount;
}

#else

long countAllocations(const std::function<void()>& action) {
    action();
    return -1;
}

#endif

namespace {

constexpr int centreX = 400;
constexpr int centreY = 300;
constexpr int startGridSize = 32;

Camera startPose;

class GlContext : public testing::Environment {
public:
    void SetUp() override {
        // Before the first frame: the real pointer position would turn the camera.
        setActiveInput(&glTestInput());
        glTestInput().setCursor(centreX, centreY);
        static char name[] = "kelmora_gl_tests";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        startUp(&argc, argv);
        startPose = *camera;
    }
};

testing::Environment* const glContext = testing::AddGlobalTestEnvironment(new GlContext);

}  // namespace

FakeInput& glTestInput() {
    static FakeInput input;
    return input;
}

void resetScene() {
    FakeInput& input = glTestInput();
    input.releaseAllKeys();
    input.setCursorReadable(true);
    input.setCursor(centreX, centreY);
    *camera = startPose;
    accumulatedPitch = 0.0f;
    glslEnabled = true;
    blockTerrain.rebuild(startGridSize);
    meshSize = startGridSize;
}

FrameCalls drawCountedFrame() {
    recorder = Recorder();
    recorder.active = true;
    onDisplay();
    recorder.active = false;
    recorder.inBlockLoop = false;
    return recorder.calls;
}

std::string captureStdout(const std::function<void()>& action) {
    std::cout.flush();
    std::fflush(stdout);
    FILE* sink = std::tmpfile();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    action();
    std::cout.flush();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);

    std::string text;
    std::rewind(sink);
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), sink)) > 0) {
        text.append(buffer, count);
    }
    std::fclose(sink);
    return text;
}
