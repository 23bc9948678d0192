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

// The near test for a whole column (i, j) at once. With integer coordinates the test holds
// exactly when the squared distance is at most (2 * nearRadius + 1)² - 1 = 40400, so a column
// keeps what is left of that for the y distance; negative: no block of the column is near.
constexpr int64_t nearReach = 2 * nearRadius + 1;

inline int64_t columnNearBudget(int i, int j, int eyeX, int eyeZ) {
    const int64_t dx = static_cast<int64_t>(eyeX) - i;
    const int64_t dz = static_cast<int64_t>(eyeZ) - j;
    if (dx <= -nearReach || dx >= nearReach || dz <= -nearReach || dz >= nearReach) {
        return -1;  // also keeps the squares far from overflow
    }
    return nearReach * nearReach - 1 - dx * dx - dz * dz;
}

// isNearCamera for a block of that column: its truncated y against the camera's.
inline bool isNearInColumn(float y, int eyeY, int64_t budget) {
    if (budget < 0) {
        return false;  // most columns: decided without looking at the block
    }
    const int64_t dy = static_cast<int64_t>(eyeY) - truncateToInt(y);
    return dy > -nearReach && dy < nearReach && dy * dy <= budget;
}

// How the loop draws a block that passed the culling test.
enum class BlockDraw { none, filled, lines };
