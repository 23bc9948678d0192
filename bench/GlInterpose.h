#pragma once

// The GL, GLU and GLUT entry points a frame of the viewer calls, defined again in the benchmark
// program. The static library's calls bind to these definitions at link time, so a benchmark
// can pass them on to the driver, record them while passing them on, or swallow them. Include
// this header from exactly one source file per program: it defines functions with C linkage.
//
// The buffer and program entry points are GLEW function pointers, not symbols; installHooks()
// points them here instead.

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
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

// What the tape keeps of each call: how many 32-bit arguments, in order, and whether a wide
// one follows (a pointer, or the index of the call's doubles or floats in the tape's pools).
struct CallShape {
    const char* name;
    unsigned char narrow;
    bool wide;
};

// clang-format off
inline constexpr CallShape shapes[codeCount] = {
    // name                   narrow  wide
    {"glClear",               1,      false},
    {"glLoadIdentity",        0,      false},
    {"gluLookAt",             0,      true},   // nine doubles
    {"glPushMatrix",          0,      false},
    {"glPopMatrix",           0,      false},
    {"glEnable",              1,      false},
    {"glDisable",             1,      false},
    {"glPolygonMode",         2,      false},
    {"glLightfv",             2,      true},   // floats
    {"glLightModelf",         2,      false},
    {"glUseProgram",          1,      false},
    {"glUseProgramObjectARB", 1,      false},
    {"glGetFloatv",           1,      false},
    {"glBindBuffer",          2,      false},
    {"glEnableClientState",   1,      false},
    {"glDisableClientState",  1,      false},
    {"glTexCoordPointer",     3,      true},   // offset
    {"glNormalPointer",       2,      true},   // offset
    {"glColorPointer",        3,      true},   // offset
    {"glVertexPointer",       3,      true},   // offset
    {"glMaterialfv",          2,      true},   // floats
    {"glMaterialf",           3,      false},
    {"glScalef",              3,      false},
    {"glTranslatef",          3,      false},
    {"glDrawElements",        3,      true},   // offset
    {"glColor3f",             3,      false},
    {"glMatrixMode",          1,      false},
    {"gluOrtho2D",            0,      true},   // four doubles
    {"glRasterPos2f",         2,      false},
    {"glutBitmapCharacter",   1,      true},   // font
    {"glutSwapBuffers",       0,      false},
};
// clang-format on

constexpr bool sameName(const char* a, const char* b) {
    return *a == *b && (*a == '\0' || sameName(a + 1, b + 1));
}
static_assert(sameName(shapes[translatef].name, "glTranslatef") &&
                  sameName(shapes[swapBuffers].name, "glutSwapBuffers"),
              "one row per call, in the order of Code");

// The calls of one frame as a packed byte stream: a code byte, then its arguments. Packed so
// that reading the tape back costs the floor as little memory traffic as possible.
struct Tape {
    std::vector<unsigned char> bytes;
    std::vector<double> doubles;
    std::vector<float> floats;
    std::size_t calls = 0;

    void clear() {
        bytes.clear();
        doubles.clear();
        floats.clear();
        calls = 0;
    }
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

template <typename T>
inline T take(const unsigned char*& p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    p += sizeof(T);
    return value;
}

inline Mode mode = Mode::forward;
inline Tape tape;
inline std::uint64_t counts[codeCount] = {};
// A call made from inside a recorded one (a library calling its own entry points) is not a
// call of ours: only depth 0 is recorded.
inline int depth = 0;
// Line draws among the counted glDrawElements, and buffer swaps in every mode.
inline std::uint64_t lineDraws = 0;
inline std::uint64_t swapCount = 0;
// Called just before each swap when set (untimed checks read the finished back buffer).
inline void (*beforeSwap)() = nullptr;
// In stub mode glGetFloatv answers from these when set, else it asks the driver.
inline const float* stubProjection = nullptr;
inline const float* stubModelView = nullptr;

inline std::uint32_t bits(float value) {
    std::uint32_t u;
    std::memcpy(&u, &value, sizeof u);
    return u;
}
inline std::uint64_t pointerBits(const void* p) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
}
inline const void* pointerOf(std::uint64_t u) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(u));
}

// Floats read by glLightfv and glMaterialfv for the names a frame uses.
inline int paramCount(GLenum pname) {
    switch (pname) {
        case GL_AMBIENT:
        case GL_DIFFUSE:
        case GL_SPECULAR:
        case GL_EMISSION:
        case GL_POSITION:
        case GL_AMBIENT_AND_DIFFUSE:
            return 4;
        case GL_SPOT_DIRECTION:
        case GL_COLOR_INDEXES:
            return 3;
        default:
            return 1;
    }
}

// The driver's own entry points.
struct Real {
    void(GLAPIENTRY* clear)(GLbitfield);
    void(GLAPIENTRY* loadIdentity)();
    void(GLAPIENTRY* lookAt)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                             GLdouble, GLdouble);
    void(GLAPIENTRY* pushMatrix)();
    void(GLAPIENTRY* popMatrix)();
    void(GLAPIENTRY* enable)(GLenum);
    void(GLAPIENTRY* disable)(GLenum);
    void(GLAPIENTRY* polygonMode)(GLenum, GLenum);
    void(GLAPIENTRY* lightfv)(GLenum, GLenum, const GLfloat*);
    void(GLAPIENTRY* lightModelf)(GLenum, GLfloat);
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLUSEPROGRAMOBJECTARBPROC useProgramObjectARB;
    void(GLAPIENTRY* getFloatv)(GLenum, GLfloat*);
    PFNGLBINDBUFFERPROC bindBuffer;
    void(GLAPIENTRY* enableClientState)(GLenum);
    void(GLAPIENTRY* disableClientState)(GLenum);
    void(GLAPIENTRY* texCoordPointer)(GLint, GLenum, GLsizei, const void*);
    void(GLAPIENTRY* normalPointer)(GLenum, GLsizei, const void*);
    void(GLAPIENTRY* colorPointer)(GLint, GLenum, GLsizei, const void*);
    void(GLAPIENTRY* vertexPointer)(GLint, GLenum, GLsizei, const void*);
    void(GLAPIENTRY* materialfv)(GLenum, GLenum, const GLfloat*);
    void(GLAPIENTRY* materialf)(GLenum, GLenum, GLfloat);
    void(GLAPIENTRY* scalef)(GLfloat, GLfloat, GLfloat);
    void(GLAPIENTRY* translatef)(GLfloat, GLfloat, GLfloat);
    void(GLAPIENTRY* drawElements)(GLenum, GLsizei, GLenum, const void*);
    void(GLAPIENTRY* color3f)(GLfloat, GLfloat, GLfloat);
    void(GLAPIENTRY* matrixMode)(GLenum);
    void(GLAPIENTRY* ortho2D)(GLdouble, GLdouble, GLdouble, GLdouble);
    void(GLAPIENTRY* rasterPos2f)(GLfloat, GLfloat);
    void(FGAPIENTRY* bitmapCharacter)(void*, int);
    void(FGAPIENTRY* swapBuffers)();
};
inline Real real = {};

template <typename F>
void resolve(F& slot, const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::printf("No %s behind the benchmark's own definition\n", name);
        std::exit(1);
    }
    slot = reinterpret_cast<F>(symbol);
}

// Finds the driver's symbols behind ours. Call before any GL call.
inline void resolveReal() {
    resolve(real.clear, "glClear");
    resolve(real.loadIdentity, "glLoadIdentity");
    resolve(real.lookAt, "gluLookAt");
    resolve(real.pushMatrix, "glPushMatrix");
    resolve(real.popMatrix, "glPopMatrix");
    resolve(real.enable, "glEnable");
    resolve(real.disable, "glDisable");
    resolve(real.polygonMode, "glPolygonMode");
    resolve(real.lightfv, "glLightfv");
    resolve(real.lightModelf, "glLightModelf");
    resolve(real.getFloatv, "glGetFloatv");
    resolve(real.enableClientState, "glEnableClientState");
    resolve(real.disableClientState, "glDisableClientState");
    resolve(real.texCoordPointer, "glTexCoordPointer");
    resolve(real.normalPointer, "glNormalPointer");
    resolve(real.colorPointer, "glColorPointer");
    resolve(real.vertexPointer, "glVertexPointer");
    resolve(real.materialfv, "glMaterialfv");
    resolve(real.materialf, "glMaterialf");
    resolve(real.scalef, "glScalef");
    resolve(real.translatef, "glTranslatef");
    resolve(real.drawElements, "glDrawElements");
    resolve(real.color3f, "glColor3f");
    resolve(real.matrixMode, "glMatrixMode");
    resolve(real.ortho2D, "gluOrtho2D");
    resolve(real.rasterPos2f, "glRasterPos2f");
    resolve(real.bitmapCharacter, "glutBitmapCharacter");
    resolve(real.swapBuffers, "glutSwapBuffers");
}

// Appends one call in record mode and counts it in record and stub modes. Returns whether
// the call is to reach the driver.
inline bool note(Code code, std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0,
                 std::uint64_t extra = 0) {
    if (mode == Mode::record) {
        if (depth == 0) {
            ++counts[code];
            ++tape.calls;
            tape.put(static_cast<unsigned char>(code));
            const std::uint32_t narrow[3] = {a, b, c};
            for (int n = 0; n < shapes[code].narrow; ++n) {
                tape.put(narrow[n]);
            }
            if (shapes[code].wide) {
                tape.put(extra);
            }
        }
        return true;
    }
    ++counts[code];
    return false;
}

inline std::uint64_t keepDoubles(std::initializer_list<double> values) {
    std::uint64_t at = tape.doubles.size();
    if (mode == Mode::record && depth == 0) {
        tape.doubles.insert(tape.doubles.end(), values);
    }
    return at;
}

inline std::uint64_t keepFloats(const GLfloat* values, int n) {
    std::uint64_t at = tape.floats.size();
    if (mode == Mode::record && depth == 0) {
        tape.floats.insert(tape.floats.end(), values, values + n);
    }
    return at;
}

// Runs a forwarded call one level deeper, so calls it makes itself are not recorded.
struct Nested {
    Nested() { ++depth; }
    ~Nested() { --depth; }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;
};

inline void GLAPIENTRY hookUseProgram(GLuint program) {
    if (mode == Mode::forward) {
        real.useProgram(program);
        return;
    }
    if (note(useProgram, program)) {
        Nested nested;
        real.useProgram(program);
    }
}

inline void GLAPIENTRY hookUseProgramObjectARB(GLhandleARB handle) {
    if (mode == Mode::forward) {
        real.useProgramObjectARB(handle);
        return;
    }
    if (note(useProgramObjectARB, handle)) {
        Nested nested;
        real.useProgramObjectARB(handle);
    }
}

inline void GLAPIENTRY hookBindBuffer(GLenum target, GLuint buffer) {
    if (mode == Mode::forward) {
        real.bindBuffer(target, buffer);
        return;
    }
    if (note(bindBuffer, target, buffer)) {
        Nested nested;
        real.bindBuffer(target, buffer);
    }
}

// Points GLEW's buffer and program entries here; after glewInit, or on its own without a
// context (then only stub mode may run).
inline void installHooks() {
    real.useProgram = __glewUseProgram;
    real.useProgramObjectARB = __glewUseProgramObjectARB;
    real.bindBuffer = __glewBindBuffer;
    __glewUseProgram = hookUseProgram;
    __glewUseProgramObjectARB = hookUseProgramObjectARB;
    __glewBindBuffer = hookBindBuffer;
}

// Plays the tape back: the same calls with the same arguments, and nothing else. They go
// through the same forwarding definitions below that the viewer's own calls reach in this
// program, so the forwarding costs both sides alike (call it in forward mode).
inline void replay(const Tape& t) {
    GLfloat scratch[16];
    const double* d = t.doubles.data();
    const float* f = t.floats.data();
    const unsigned char* p = t.bytes.data();
    const unsigned char* const end = p + t.bytes.size();
    while (p < end) {
        switch (*p++) {
            case clear:
                glClear(take<std::uint32_t>(p));
                break;
            case loadIdentity:
                glLoadIdentity();
                break;
            case lookAt: {
                const double* v = d + take<std::uint64_t>(p);
                gluLookAt(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
                break;
            }
            case pushMatrix:
                glPushMatrix();
                break;
            case popMatrix:
                glPopMatrix();
                break;
            case enable:
                glEnable(take<std::uint32_t>(p));
                break;
            case disable:
                glDisable(take<std::uint32_t>(p));
                break;
            case polygonMode: {
                const GLenum face = take<std::uint32_t>(p);
                glPolygonMode(face, take<std::uint32_t>(p));
                break;
            }
            case lightfv: {
                const GLenum light = take<std::uint32_t>(p);
                const GLenum pname = take<std::uint32_t>(p);
                glLightfv(light, pname, f + take<std::uint64_t>(p));
                break;
            }
            case lightModelf: {
                const GLenum pname = take<std::uint32_t>(p);
                glLightModelf(pname, take<float>(p));
                break;
            }
            case useProgram:
                glUseProgram(take<std::uint32_t>(p));
                break;
            case useProgramObjectARB:
                glUseProgramObjectARB(take<std::uint32_t>(p));
                break;
            case getFloatv:
                glGetFloatv(take<std::uint32_t>(p), scratch);
                break;
            case bindBuffer: {
                const GLenum target = take<std::uint32_t>(p);
                glBindBuffer(target, take<std::uint32_t>(p));
                break;
            }
            case enableClientState:
                glEnableClientState(take<std::uint32_t>(p));
                break;
            case disableClientState:
                glDisableClientState(take<std::uint32_t>(p));
                break;
            case texCoordPointer: {
                const GLint size = take<GLint>(p);
                const GLenum type = take<std::uint32_t>(p);
                const GLsizei stride = take<GLsizei>(p);
                glTexCoordPointer(size, type, stride, pointerOf(take<std::uint64_t>(p)));
                break;
            }
            case normalPointer: {
                const GLenum type = take<std::uint32_t>(p);
                const GLsizei stride = take<GLsizei>(p);
                glNormalPointer(type, stride, pointerOf(take<std::uint64_t>(p)));
                break;
            }
            case colorPointer: {
                const GLint size = take<GLint>(p);
                const GLenum type = take<std::uint32_t>(p);
                const GLsizei stride = take<GLsizei>(p);
                glColorPointer(size, type, stride, pointerOf(take<std::uint64_t>(p)));
                break;
            }
            case vertexPointer: {
                const GLint size = take<GLint>(p);
                const GLenum type = take<std::uint32_t>(p);
                const GLsizei stride = take<GLsizei>(p);
                glVertexPointer(size, type, stride, pointerOf(take<std::uint64_t>(p)));
                break;
            }
            case materialfv: {
                const GLenum face = take<std::uint32_t>(p);
                const GLenum pname = take<std::uint32_t>(p);
                glMaterialfv(face, pname, f + take<std::uint64_t>(p));
                break;
            }
            case materialf: {
                const GLenum face = take<std::uint32_t>(p);
                const GLenum pname = take<std::uint32_t>(p);
                glMaterialf(face, pname, take<float>(p));
                break;
            }
            case scalef: {
                const float x = take<float>(p);
                const float y = take<float>(p);
                glScalef(x, y, take<float>(p));
                break;
            }
            case translatef: {
                const float x = take<float>(p);
                const float y = take<float>(p);
                glTranslatef(x, y, take<float>(p));
                break;
            }
            case drawElements: {
                const GLenum primitive = take<std::uint32_t>(p);
                const GLsizei count = take<GLsizei>(p);
                const GLenum type = take<std::uint32_t>(p);
                glDrawElements(primitive, count, type, pointerOf(take<std::uint64_t>(p)));
                break;
            }
            case color3f: {
                const float red = take<float>(p);
                const float green = take<float>(p);
                glColor3f(red, green, take<float>(p));
                break;
            }
            case matrixMode:
                glMatrixMode(take<std::uint32_t>(p));
                break;
            case ortho2D: {
                const double* v = d + take<std::uint64_t>(p);
                gluOrtho2D(v[0], v[1], v[2], v[3]);
                break;
            }
            case rasterPos2f: {
                const float x = take<float>(p);
                glRasterPos2f(x, take<float>(p));
                break;
            }
            case bitmapCharacter: {
                const int character = take<int>(p);
                glutBitmapCharacter(const_cast<void*>(pointerOf(take<std::uint64_t>(p))),
                                    character);
                break;
            }
            case swapBuffers:
                glutSwapBuffers();
                break;
            default:
                std::printf("Unknown call %d on the tape\n", p[-1]);
                std::exit(1);
        }
    }
}

}  // namespace glspy

// The definitions the library's calls bind to.
extern "C" {

void GLAPIENTRY glClear(GLbitfield mask) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.clear(mask);
        return;
    }
    if (note(clear, mask)) {
        Nested nested;
        real.clear(mask);
    }
}

void GLAPIENTRY glLoadIdentity() {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.loadIdentity();
        return;
    }
    if (note(loadIdentity)) {
        Nested nested;
        real.loadIdentity();
    }
}

void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
    using namespace glspy;
    if (mode == Mode::forward ||
        note(lookAt, 0, 0, 0,
             keepDoubles({eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ}))) {
        Nested nested;
        real.lookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
    }
}

void GLAPIENTRY glPushMatrix() {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.pushMatrix();
        return;
    }
    if (note(pushMatrix)) {
        Nested nested;
        real.pushMatrix();
    }
}

void GLAPIENTRY glPopMatrix() {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.popMatrix();
        return;
    }
    if (note(popMatrix)) {
        Nested nested;
        real.popMatrix();
    }
}

void GLAPIENTRY glEnable(GLenum cap) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.enable(cap);
        return;
    }
    if (note(enable, cap)) {
        Nested nested;
        real.enable(cap);
    }
}

void GLAPIENTRY glDisable(GLenum cap) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.disable(cap);
        return;
    }
    if (note(disable, cap)) {
        Nested nested;
        real.disable(cap);
    }
}

void GLAPIENTRY glPolygonMode(GLenum face, GLenum polygon) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.polygonMode(face, polygon);
        return;
    }
    if (note(polygonMode, face, polygon)) {
        Nested nested;
        real.polygonMode(face, polygon);
    }
}

void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.lightfv(light, pname, params);
        return;
    }
    if (note(lightfv, light, pname, 0, keepFloats(params, paramCount(pname)))) {
        Nested nested;
        real.lightfv(light, pname, params);
    }
}

void GLAPIENTRY glLightModelf(GLenum pname, GLfloat param) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.lightModelf(pname, param);
        return;
    }
    if (note(lightModelf, pname, bits(param))) {
        Nested nested;
        real.lightModelf(pname, param);
    }
}

void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.getFloatv(pname, params);
        return;
    }
    if (note(getFloatv, pname)) {
        Nested nested;
        real.getFloatv(pname, params);
        return;
    }
    const float* answer = pname == GL_PROJECTION_MATRIX  ? stubProjection
                          : pname == GL_MODELVIEW_MATRIX ? stubModelView
                                                         : nullptr;
    if (answer != nullptr) {
        std::memcpy(params, answer, 16 * sizeof(float));
    } else {
        real.getFloatv(pname, params);
    }
}

void GLAPIENTRY glEnableClientState(GLenum cap) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.enableClientState(cap);
        return;
    }
    if (note(enableClientState, cap)) {
        Nested nested;
        real.enableClientState(cap);
    }
}

void GLAPIENTRY glDisableClientState(GLenum cap) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.disableClientState(cap);
        return;
    }
    if (note(disableClientState, cap)) {
        Nested nested;
        real.disableClientState(cap);
    }
}

void GLAPIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.texCoordPointer(size, type, stride, pointer);
        return;
    }
    if (note(texCoordPointer, static_cast<std::uint32_t>(size), type,
             static_cast<std::uint32_t>(stride), pointerBits(pointer))) {
        Nested nested;
        real.texCoordPointer(size, type, stride, pointer);
    }
}

void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.normalPointer(type, stride, pointer);
        return;
    }
    if (note(normalPointer, type, static_cast<std::uint32_t>(stride), 0, pointerBits(pointer))) {
        Nested nested;
        real.normalPointer(type, stride, pointer);
    }
}

void GLAPIENTRY glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.colorPointer(size, type, stride, pointer);
        return;
    }
    if (note(colorPointer, static_cast<std::uint32_t>(size), type,
             static_cast<std::uint32_t>(stride), pointerBits(pointer))) {
        Nested nested;
        real.colorPointer(size, type, stride, pointer);
    }
}

void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.vertexPointer(size, type, stride, pointer);
        return;
    }
    if (note(vertexPointer, static_cast<std::uint32_t>(size), type,
             static_cast<std::uint32_t>(stride), pointerBits(pointer))) {
        Nested nested;
        real.vertexPointer(size, type, stride, pointer);
    }
}

void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.materialfv(face, pname, params);
        return;
    }
    if (note(materialfv, face, pname, 0, keepFloats(params, paramCount(pname)))) {
        Nested nested;
        real.materialfv(face, pname, params);
    }
}

void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.materialf(face, pname, param);
        return;
    }
    if (note(materialf, face, pname, bits(param))) {
        Nested nested;
        real.materialf(face, pname, param);
    }
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.scalef(x, y, z);
        return;
    }
    if (note(scalef, bits(x), bits(y), bits(z))) {
        Nested nested;
        real.scalef(x, y, z);
    }
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.translatef(x, y, z);
        return;
    }
    if (note(translatef, bits(x), bits(y), bits(z))) {
        Nested nested;
        real.translatef(x, y, z);
    }
}

void GLAPIENTRY glDrawElements(GLenum primitive, GLsizei count, GLenum type, const void* indices) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.drawElements(primitive, count, type, indices);
        return;
    }
    lineDraws += (primitive == GL_LINES && (mode == Mode::stub || depth == 0)) ? 1 : 0;
    if (note(drawElements, primitive, static_cast<std::uint32_t>(count), type,
             pointerBits(indices))) {
        Nested nested;
        real.drawElements(primitive, count, type, indices);
    }
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.color3f(red, green, blue);
        return;
    }
    if (note(color3f, bits(red), bits(green), bits(blue))) {
        Nested nested;
        real.color3f(red, green, blue);
    }
}

void GLAPIENTRY glMatrixMode(GLenum matrix) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.matrixMode(matrix);
        return;
    }
    if (note(matrixMode, matrix)) {
        Nested nested;
        real.matrixMode(matrix);
    }
}

void GLAPIENTRY gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    using namespace glspy;
    if (mode == Mode::forward || note(ortho2D, 0, 0, 0, keepDoubles({left, right, bottom, top}))) {
        Nested nested;
        real.ortho2D(left, right, bottom, top);
    }
}

void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.rasterPos2f(x, y);
        return;
    }
    if (note(rasterPos2f, bits(x), bits(y))) {
        Nested nested;
        real.rasterPos2f(x, y);
    }
}

void FGAPIENTRY glutBitmapCharacter(void* font, int character) {
    using namespace glspy;
    if (mode == Mode::forward) {
        real.bitmapCharacter(font, character);
        return;
    }
    if (note(bitmapCharacter, static_cast<std::uint32_t>(character), 0, 0, pointerBits(font))) {
        Nested nested;
        real.bitmapCharacter(font, character);
    }
}

void FGAPIENTRY glutSwapBuffers() {
    using namespace glspy;
    ++swapCount;
    if (beforeSwap != nullptr) {
        beforeSwap();
    }
    if (mode == Mode::forward) {
        real.swapBuffers();
        return;
    }
    if (note(swapBuffers)) {
        Nested nested;
        real.swapBuffers();
    }
}

}  // extern "C"
