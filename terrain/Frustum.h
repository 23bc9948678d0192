#pragma once

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
};

// The view volume of the frame being drawn.
extern Frustum frustum;
