#include "ReferenceModel.h"

#include <cmath>

namespace {

constexpr int slotCount = 32 * 32 * 32;
constexpr float cullHalfSize = 4.0f;
constexpr float lowestDrawnY = 14.0f;
constexpr int nearDistance = 200;

}  // namespace

Planes planesFromMatrices(const float projection[16], const float modelView[16]) {
    float clip[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            clip[4 * r + c] = modelView[4 * r] * projection[c] +
                              modelView[4 * r + 1] * projection[4 + c] +
                              modelView[4 * r + 2] * projection[8 + c] +
                              modelView[4 * r + 3] * projection[12 + c];
        }
    }
    // Column 3 minus or plus column 0 (right, left), 1 (top, bottom), 2 (far, near).
    const int column[6] = {0, 0, 1, 1, 2, 2};
    const float sign[6] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
    Planes planes;
    for (int p = 0; p < 6; ++p) {
        float* plane = planes.p[p];
        for (int e = 0; e < 4; ++e) {
            plane[e] = clip[4 * e + 3] + sign[p] * clip[4 * e + column[p]];
        }
        const float t = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        for (int e = 0; e < 4; ++e) {
            plane[e] /= t;
        }
    }
    return planes;
}

bool boxInView(const Planes& planes, float x, float y, float z, float halfSize) {
    const float s = halfSize;
    const float corners[8][3] = {
        {x - s, y - s, z - s}, {x + s, y - s, z - s}, {x - s, y + s, z - s}, {x + s, y + s, z - s},
        {x - s, y - s, z + s}, {x + s, y - s, z + s}, {x - s, y + s, z + s}, {x + s, y + s, z + s},
    };
    for (const auto& plane : planes.p) {
        bool anyInside = false;
        for (const auto& corner : corners) {
            if (plane[0] * corner[0] + plane[1] * corner[1] + plane[2] * corner[2] + plane[3] >
                0.0f) {
                anyInside = true;
                break;
            }
        }
        if (!anyInside) {
            return false;
        }
    }
    return true;
}

bool nearEye(float x, float y, float z, float eyeX, float eyeY, float eyeZ) {
    const int dx = static_cast<int>(eyeX) - static_cast<int>(x);
    const int dy = static_cast<int>(eyeY) - static_cast<int>(y);
    const int dz = static_cast<int>(eyeZ) - static_cast<int>(z);
    const int squared = dx * dx + dy * dy + dz * dz;
    const float root =
        static_cast<float>(std::sqrt(static_cast<double>(static_cast<float>(squared))));
    return nearDistance >= static_cast<int>(root);
}

FieldModel::FieldModel() : slotX(slotCount, 0.0f), slotY(slotCount, 0.0f), slotZ(slotCount, 0.0f) {}

ModelCounts FieldModel::frame(const Planes& planes, int side, int layers, const float* heights,
                              float eyeX, float eyeY, float eyeZ, bool vHeld) {
    ModelCounts counts;
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            for (int k = 0; k < layers; ++k) {
                const int slot = i + k + j * side;
                if (!boxInView(planes, slotX[slot], slotY[slot], slotZ[slot], cullHalfSize)) {
                    continue;
                }
                ++counts.passedCulling;
                const float x = static_cast<float>(i);
                const float y = static_cast<float>(static_cast<double>(heights[j * side + i]) + k);
                const float z = static_cast<float>(j);
                slotX[slot] = x;
                slotY[slot] = y;
                slotZ[slot] = z;
                if (!(y > lowestDrawnY)) {
                    continue;
                }
                if (nearEye(x, y, z, eyeX, eyeY, eyeZ)) {
                    ++counts.filled;
                } else if (vHeld) {
                    ++counts.lines;
                }
            }
        }
    }
    return counts;
}
