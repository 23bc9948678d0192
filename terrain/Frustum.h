#pragma once

#include <utility>

// The six planes of the view volume, taken from OpenGL's projection and model-view matrices.
class Frustum {
public:
    // Right, left, bottom, top, far, near; each (a, b, c, d), positive on the inner side,
    // with (a, b, c) of unit length.
    float planes[6][4] = {};
    float proj[16] = {};
    float modl[16] = {};
    float clip[16] = {};

    // Reads both matrices from the current context.
    void extract();
    // The same from given column-major matrices.
    void extractFrom(const float* projection, const float* modelView);
    // False only when the cube lies wholly outside one plane; a corner exactly on it is outside.
    bool cubeInFrustum(float x, float y, float z, float size) const;
    // True only when cubeInFrustum holds for every cube of half-size `size` (not negative)
    // centred inside the box from `low` to `high`.
    bool everyCubeInFrustum(const float* low, const float* high, float size) const;
};

// The plane's value a*x + b*y + c*z + d, in that order, is strictly positive (NaN is not).
inline bool strictlyInFront(const float* plane, float x, float y, float z) {
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3] > 0.0f;
}

// Runs for every block of every frame, so it is inline and asks each plane about one corner
// only: the one its normal points to. Rounded products and sums never decrease when an
// operand grows, so that corner's value, evaluated as a*x + b*y + c*z + d, is the largest of
// the eight, and the cube is outside a plane exactly when it is not strictly positive (NaN
// counts as outside too).
inline bool Frustum::cubeInFrustum(float x, float y, float z, float size) const {
    float lowX = x - size;
    float highX = x + size;
    float lowY = y - size;
    float highY = y + size;
    float lowZ = z - size;
    float highZ = z + size;
    if (highX < lowX) {  // a negative size turns the cube inside out
        std::swap(lowX, highX);
        std::swap(lowY, highY);
        std::swap(lowZ, highZ);
    }
    for (const float* p : planes) {
        if (!strictlyInFront(p, p[0] > 0.0f ? highX : lowX, p[1] > 0.0f ? highY : lowY,
                             p[2] > 0.0f ? highZ : lowZ)) {
            return false;
        }
    }
    return true;
}

// For each plane, the smallest value any such cube's deciding corner can take lies at the
// box's low side where the normal is positive and its high side elsewhere.
inline bool Frustum::everyCubeInFrustum(const float* low, const float* high, float size) const {
    if (!(size >= 0.0f)) {
        return false;
    }
    for (const float* p : planes) {
        if (!strictlyInFront(p, p[0] > 0.0f ? low[0] + size : high[0] - size,
                             p[1] > 0.0f ? low[1] + size : high[1] - size,
                             p[2] > 0.0f ? low[2] + size : high[2] - size)) {
            return false;
        }
    }
    return true;
}

// The view volume of the frame being drawn.
extern Frustum frustum;
