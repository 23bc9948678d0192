#pragma once

// The GL, GLU and GLUT entry points a frame of the viewer calls are defined again in
// GlInterpose.cpp, which a benchmark program links in. The static library's calls bind to those
// definitions at link time, so a benchmark can pass them on to the driver, record them while
// passing them on, or swallow them.
//
// The buffer and program entry points are GLEW function pointers, not symbols; installHooks()
// points them there instead.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace glspy {

enum class Mode {
    forward,  // straight to the driver
    record,   // append to the tape, then to the driver
    stub,     // count only; nothing reaches the driver
};

enum Code : std::uint32_t {
    clear,
    loadIdentity,
    lookAt,
    pushMatrix,
    popMatrix,
    enable,
    disable,
    polygonMode,
    lightfv,
    lightModelf,
    useProgram,
    useProgramObjectARB,
    getFloatv,
    bindBuffer,
    enableClientState,
    disableClientState,
    texCoordPointer,
    normalPointer,
    colorPointer,
    vertexPointer,
    materialfv,
    materialf,
    scalef,
    translatef,
    drawElements,
    color3f,
    matrixMode,
    ortho2D,
    rasterPos2f,
    bitmapCharacter,
    swapBuffers,
    codeCount
};

// The calls of one frame as a packed byte stream: a code byte, its 32-bit arguments, and a
// 64-bit one where the call has a pointer or values kept in the pools. Packed so that reading
// the tape back costs the floor as little memory traffic as possible.
struct Tape {
    std::vector<unsigned char> bytes;
    std::vector<double> doubles;
    std::vector<float> floats;
    std::size_t calls = 0;

    void clear();
    template <typename T>
    void put(T value) {
        const std::size_t at = bytes.size();
        bytes.resize(at + sizeof(T));
        std::memcpy(bytes.data() + at, &value, sizeof(T));
    }
    bool operator==(const Tape& other) const {
        return bytes == other.bytes && doubles == other.doubles && floats == other.floats;
    }
};

extern Mode mode;
extern Tape tape;
// Calls counted in the record and stub modes, by code; line draws among the glDrawElements.
extern std::uint64_t counts[codeCount];
extern std::uint64_t lineDraws;
// Buffer swaps in every mode.
extern std::uint64_t swapCount;
// In stub mode glGetFloatv answers from these when set, else it asks the driver.
extern const float* stubProjection;
extern const float* stubModelView;

// Finds the driver's symbols behind ours. Call before any GL call.
void resolveReal();
// Points GLEW's buffer and program entries here; after glewInit, or on its own without a
// context (then only stub mode may run).
void installHooks();
// Plays the tape back: the same calls with the same arguments, and nothing else. They go
// through the same forwarding definitions that the viewer's own calls reach, so forwarding
// costs both sides alike (call it in forward mode).
void replay(const Tape& t);

}  // namespace glspy
