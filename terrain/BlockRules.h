#pragma once

#include <cstdint>

#include "camera/SphereTest.h"

// The per-block decisions of the drawing loop, as plain arithmetic.

// Blocks share slots: (i, j, k) and (i + 1, j, k - 1) land on the same one.
inline int slotIndex(int i, int j, int k, int side) {
    return i + k + j * side;
}

// The highest slot a side reaches; it must stay below the slot arrays' capacity.
inline long long highestSlot(int side, int layers) {
    return static_cast<long long>(side) * side + layers - 2;
}

// The float height plus the layer, formed in double and stored as float.
inline float blockY(float height, int k) {
    return static_cast<float>(static_cast<double>(height) + k);
}

// Truncation toward zero as the hardware does it, without undefined behaviour far out.
inline int truncateToInt(float value) {
    if (value >= -2147483648.0f && value < 2147483648.0f) {
        return static_cast<int>(value);
    }
    return INT32_MIN;
}

constexpr int nearRadius = 100;

// Near: the block's and the camera's spheres of radius 100 overlap, by the truncated integer
// distance of the truncated coordinates.
inline bool isNearCamera(float x, float y, float z, float cameraX, float cameraY, float cameraZ) {
    return spheresOverlap(truncateToInt(x), truncateToInt(y), truncateToInt(z), nearRadius,
                          truncateToInt(cameraX), truncateToInt(cameraY), truncateToInt(cameraZ),
                          nearRadius);
}
