#include "terrain/Frustum.h"

#include <GL/gl.h>

#include <cmath>

namespace {

struct PlaneRecipe {
    int column;
    float sign;
};

// Column 3 of the combined matrix plus or minus one of columns 0 to 2.
constexpr PlaneRecipe planeRecipes[6] = {
    {0, -1.0f},  // right
    {0, +1.0f},  // left
    {1, +1.0f},  // bottom
    {1, -1.0f},  // top
    {2, -1.0f},  // far
    {2, +1.0f},  // near
};

}  // namespace

void Frustum::extract() {
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    glGetFloatv(GL_MODELVIEW_MATRIX, modl);
    extractFrom(proj, modl);
}

void Frustum::extractFrom(const float* projection, const float* modelView) {
    for (int n = 0; n < 16; ++n) {
        proj[n] = projection[n];
        modl[n] = modelView[n];
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            clip[4 * r + c] = modl[4 * r] * proj[c] + modl[4 * r + 1] * proj[4 + c] +
                              modl[4 * r + 2] * proj[8 + c] + modl[4 * r + 3] * proj[12 + c];
        }
    }
    for (int p = 0; p < 6; ++p) {
        int n = planeRecipes[p].column;
        float* plane = planes[p];
        if (planeRecipes[p].sign < 0.0f) {
            plane[0] = clip[3] - clip[n];
            plane[1] = clip[7] - clip[4 + n];
            plane[2] = clip[11] - clip[8 + n];
            plane[3] = clip[15] - clip[12 + n];
        } else {
            plane[0] = clip[3] + clip[n];
            plane[1] = clip[7] + clip[4 + n];
            plane[2] = clip[11] + clip[8 + n];
            plane[3] = clip[15] + clip[12 + n];
        }
        float t = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        plane[0] /= t;
        plane[1] /= t;
        plane[2] /= t;
        plane[3] /= t;
    }
}
