#include "bench/GlInterpose.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace glspy {

Mode mode = Mode::forward;
Tape tape;
std::uint64_t counts[codeCount] = {};
std::uint64_t lineDraws = 0;
std::uint64_t swapCount = 0;
const float* stubProjection = nullptr;
const float* stubModelView = nullptr;

void Tape::clear() {
    bytes.clear();
    doubles.clear();
    floats.clear();
    calls = 0;
}

namespace {

// What the tape keeps of each call: how many 32-bit arguments, and whether a 64-bit one
// follows (a pointer, or the index of the call's doubles or floats in the tape's pools).
struct CallShape {
    unsigned char narrow;
    bool wide;
};

// clang-format off
constexpr CallShape shapes[codeCount] = {
    {1, false},  // glClear
    {0, false},  // glLoadIdentity
    {0, true},   // gluLookAt: nine doubles
    {0, false},  // glPushMatrix
    {0, false},  // glPopMatrix
    {1, false},  // glEnable
    {1, false},  // glDisable
    {2, false},  // glPolygonMode
    {2, true},   // glLightfv: floats
    {2, false},  // glLightModelf
    {1, false},  // glUseProgram
    {1, false},  // glUseProgramObjectARB
    {1, false},  // glGetFloatv
    {2, false},  // glBindBuffer
    {1, false},  // glEnableClientState
    {1, false},  // glDisableClientState
    {3, true},   // glTexCoordPointer: offset
    {2, true},   // glNormalPointer: offset
    {3, true},   // glColorPointer: offset
    {3, true},   // glVertexPointer: offset
    {2, true},   // glMaterialfv: floats
    {3, false},  // glMaterialf
    {3, false},  // glScalef
    {3, false},  // glTranslatef
    {3, true},   // glDrawElements: offset
    {3, false},  // glColor3f
    {1, false},  // glMatrixMode
    {0, true},   // gluOrtho2D: four doubles
    {2, false},  // glRasterPos2f
    {1, true},   // glutBitmapCharacter: font
    {0, false},  // glutSwapBuffers
};
// clang-format on

// A call made from inside a passed-on one (a library calling its own entry points) is not a
// call of ours: only depth 0 is recorded.
int depth = 0;

std::uint32_t bits(float value) {
    std::uint32_t u;
    std::memcpy(&u, &value, sizeof u);
    return u;
}

std::uint64_t pointerBits(const void* p) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
}

const void* pointerOf(std::uint64_t u) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(u));
}

template <typename T>
T take(const unsigned char*& p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    p += sizeof(T);
    return value;
}

// Appends one call in record mode and counts it in record and stub modes. Returns whether the
// call is to reach the driver.
bool note(Code code, std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0,
          std::uint64_t extra = 0) {
    if (mode != Mode::record) {
        ++counts[code];
        return false;
    }
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

std::uint64_t keepDoubles(std::initializer_list<double> values) {
    const std::uint64_t at = tape.doubles.size();
    if (mode == Mode::record && depth == 0) {
        tape.doubles.insert(tape.doubles.end(), values);
    }
    return at;
}

// Lights and materials of a frame pass four floats, but for the shininess.
std::uint64_t keepFloats(GLenum pname, const GLfloat* values) {
    const std::uint64_t at = tape.floats.size();
    if (mode == Mode::record && depth == 0) {
        tape.floats.insert(tape.floats.end(), values, values + (pname == GL_SHININESS ? 1 : 4));
    }
    return at;
}

// Straight on in forward mode; otherwise `keep` notes the call and says whether it goes on,
// one level deeper so that the calls it makes itself are not recorded.
template <typename Keep, typename F, typename... A>
void pass(Keep keep, F function, A... args) {
    if (mode == Mode::forward) {
        function(args...);
    } else if (keep()) {
        ++depth;
        function(args...);
        --depth;
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
Real real = {};

template <typename F>
void resolve(F& slot, const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::printf("No %s behind the benchmark's own definition\n", name);
        std::exit(1);
    }
    slot = reinterpret_cast<F>(symbol);
}

void GLAPIENTRY hookUseProgram(GLuint program) {
    pass([&] { return note(useProgram, program); }, real.useProgram, program);
}

void GLAPIENTRY hookUseProgramObjectARB(GLhandleARB handle) {
    pass([&] { return note(useProgramObjectARB, handle); }, real.useProgramObjectARB, handle);
}

void GLAPIENTRY hookBindBuffer(GLenum target, GLuint buffer) {
    pass([&] { return note(bindBuffer, target, buffer); }, real.bindBuffer, target, buffer);
}

}  // namespace

void resolveReal() {
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

void installHooks() {
    real.useProgram = __glewUseProgram;
    real.useProgramObjectARB = __glewUseProgramObjectARB;
    real.bindBuffer = __glewBindBuffer;
    __glewUseProgram = hookUseProgram;
    __glewUseProgramObjectARB = hookUseProgramObjectARB;
    __glewBindBuffer = hookBindBuffer;
}

void replay(const Tape& t) {
    GLfloat scratch[16];
    const double* d = t.doubles.data();
    const float* f = t.floats.data();
    const unsigned char* p = t.bytes.data();
    const unsigned char* const end = p + t.bytes.size();
    // Arguments are read in order into named locals: the order of a call's arguments is not.
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
            case normalPointer: {
                const GLenum type = take<std::uint32_t>(p);
                const GLsizei stride = take<GLsizei>(p);
                glNormalPointer(type, stride, pointerOf(take<std::uint64_t>(p)));
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
            case color3f: {
                const float x = take<float>(p);
                const float y = take<float>(p);
                glColor3f(x, y, take<float>(p));
                break;
            }
            case drawElements: {
                const GLenum primitive = take<std::uint32_t>(p);
                const GLsizei count = take<GLsizei>(p);
                const GLenum type = take<std::uint32_t>(p);
                glDrawElements(primitive, count, type, pointerOf(take<std::uint64_t>(p)));
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
using namespace glspy;

extern "C" {

void GLAPIENTRY glClear(GLbitfield mask) {
    pass([&] { return note(clear, mask); }, real.clear, mask);
}

void GLAPIENTRY glLoadIdentity() {
    pass([] { return note(loadIdentity); }, real.loadIdentity);
}

void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
    pass(
        [&] {
            return note(lookAt, 0, 0, 0,
                        keepDoubles({eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ}));
        },
        real.lookAt, eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}

void GLAPIENTRY glPushMatrix() {
    pass([] { return note(pushMatrix); }, real.pushMatrix);
}

void GLAPIENTRY glPopMatrix() {
    pass([] { return note(popMatrix); }, real.popMatrix);
}

void GLAPIENTRY glEnable(GLenum cap) {
    pass([&] { return note(enable, cap); }, real.enable, cap);
}

void GLAPIENTRY glDisable(GLenum cap) {
    pass([&] { return note(disable, cap); }, real.disable, cap);
}

void GLAPIENTRY glPolygonMode(GLenum face, GLenum polygon) {
    pass([&] { return note(polygonMode, face, polygon); }, real.polygonMode, face, polygon);
}

void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    pass([&] { return note(lightfv, light, pname, 0, keepFloats(pname, params)); }, real.lightfv,
         light, pname, params);
}

void GLAPIENTRY glLightModelf(GLenum pname, GLfloat param) {
    pass([&] { return note(lightModelf, pname, bits(param)); }, real.lightModelf, pname, param);
}

void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params) {
    const float* answer = pname == GL_PROJECTION_MATRIX  ? stubProjection
                          : pname == GL_MODELVIEW_MATRIX ? stubModelView
                                                         : nullptr;
    if (mode == Mode::stub && answer != nullptr) {
        ++counts[getFloatv];
        std::memcpy(params, answer, 16 * sizeof(float));
        return;
    }
    // Without a stub answer the driver is asked even in stub mode.
    pass([&] { return note(getFloatv, pname) || mode == Mode::stub; }, real.getFloatv, pname,
         params);
}

void GLAPIENTRY glEnableClientState(GLenum cap) {
    pass([&] { return note(enableClientState, cap); }, real.enableClientState, cap);
}

void GLAPIENTRY glDisableClientState(GLenum cap) {
    pass([&] { return note(disableClientState, cap); }, real.disableClientState, cap);
}

void GLAPIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    pass(
        [&] {
            return note(texCoordPointer, static_cast<std::uint32_t>(size), type,
                        static_cast<std::uint32_t>(stride), pointerBits(pointer));
        },
        real.texCoordPointer, size, type, stride, pointer);
}

void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    pass(
        [&] {
            return note(normalPointer, type, static_cast<std::uint32_t>(stride), 0,
                        pointerBits(pointer));
        },
        real.normalPointer, type, stride, pointer);
}

void GLAPIENTRY glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    pass(
        [&] {
            return note(colorPointer, static_cast<std::uint32_t>(size), type,
                        static_cast<std::uint32_t>(stride), pointerBits(pointer));
        },
        real.colorPointer, size, type, stride, pointer);
}

void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    pass(
        [&] {
            return note(vertexPointer, static_cast<std::uint32_t>(size), type,
                        static_cast<std::uint32_t>(stride), pointerBits(pointer));
        },
        real.vertexPointer, size, type, stride, pointer);
}

void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    pass([&] { return note(materialfv, face, pname, 0, keepFloats(pname, params)); },
         real.materialfv, face, pname, params);
}

void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    pass([&] { return note(materialf, face, pname, bits(param)); }, real.materialf, face, pname,
         param);
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    pass([&] { return note(scalef, bits(x), bits(y), bits(z)); }, real.scalef, x, y, z);
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    pass([&] { return note(translatef, bits(x), bits(y), bits(z)); }, real.translatef, x, y, z);
}

void GLAPIENTRY glDrawElements(GLenum primitive, GLsizei count, GLenum type, const void* indices) {
    pass(
        [&] {
            lineDraws += primitive == GL_LINES && (mode == Mode::stub || depth == 0) ? 1 : 0;
            return note(drawElements, primitive, static_cast<std::uint32_t>(count), type,
                        pointerBits(indices));
        },
        real.drawElements, primitive, count, type, indices);
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    pass([&] { return note(color3f, bits(red), bits(green), bits(blue)); }, real.color3f, red,
         green, blue);
}

void GLAPIENTRY glMatrixMode(GLenum matrix) {
    pass([&] { return note(matrixMode, matrix); }, real.matrixMode, matrix);
}

void GLAPIENTRY gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    pass(
        [&] {
            return note(ortho2D, 0, 0, 0, keepDoubles({left, right, bottom, top}));
        },
        real.ortho2D, left, right, bottom, top);
}

void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) {
    pass([&] { return note(rasterPos2f, bits(x), bits(y)); }, real.rasterPos2f, x, y);
}

void FGAPIENTRY glutBitmapCharacter(void* font, int character) {
    pass(
        [&] {
            return note(bitmapCharacter, static_cast<std::uint32_t>(character), 0, 0,
                        pointerBits(font));
        },
        real.bitmapCharacter, font, character);
}

void FGAPIENTRY glutSwapBuffers() {
    ++swapCount;
    pass([] { return note(swapBuffers); }, real.swapBuffers);
}

}  // extern "C"
