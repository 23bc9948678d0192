#include "terrain/BlockRules.h"

#include <cstdint>

#include "camera/SphereTest.h"

namespace {

constexpr int nearRadius = 100;

// Truncation toward zero as the hardware does it, without undefined behaviour far out.
int truncateToInt(float value) {
    if (value >= -2147483648.0f && value < 2147483648.0f) {
        return static_cast<int>(value);
    }
    return INT32_MIN;
}

}  // namespace

bool isNearCamera(float x, float y, float z, float cameraX, float cameraY, float cameraZ) {
    return spheresOverlap(truncateToInt(x), truncateToInt(y), truncateToInt(z), nearRadius,
                          truncateToInt(cameraX), truncateToInt(cameraY), truncateToInt(cameraZ),
                          nearRadius);
}
