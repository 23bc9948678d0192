#pragma once

#include <vector>

// An independent account of what one frame of the block field should draw, built from the
// matrices GL held, so the counts of the real frame can be checked against it.

struct Planes {
    float p[6][4];  // right, left, bottom, top, far, near; (a, b, c, d), inside positive
};

// Combined as the projection times the model-view, each plane normalised in float.
Planes planesFromMatrices(const float projection[16], const float modelView[16]);

// Strictly positive at one corner for every plane; corners in the order the culling uses.
bool boxInView(const Planes& planes, float x, float y, float z, float halfSize);

// Truncated coordinates, integer squared distance, float root truncated: near up to 200.
bool nearEye(float x, float y, float z, float eyeX, float eyeY, float eyeZ);

struct ModelCounts {
    long passedCulling = 0;
    long filled = 0;
    long lines = 0;
};

// The per-slot positions the culling remembers, carried from frame to frame like the field's.
class FieldModel {
public:
    FieldModel();
    ModelCounts frame(const Planes& planes, int side, int layers, const float* heights, float eyeX,
                      float eyeY, float eyeZ, bool vHeld);

private:
    std::vector<float> slotX;
    std::vector<float> slotY;
    std::vector<float> slotZ;
};
