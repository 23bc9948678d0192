#include "camera/SphereTest.h"

#include <cmath>
#include <cstdint>

bool spheresOverlap(int x1, int y1, int z1, int r1, int x2, int y2, int z2, int r2) {
    // 32-bit arithmetic that wraps like the hardware instead of being undefined far from home.
    uint32_t dx = static_cast<uint32_t>(x2) - static_cast<uint32_t>(x1);
    uint32_t dy = static_cast<uint32_t>(y2) - static_cast<uint32_t>(y1);
    uint32_t dz = static_cast<uint32_t>(z2) - static_cast<uint32_t>(z1);
    int32_t squared = static_cast<int32_t>(dx * dx + dy * dy + dz * dz);
    float root = static_cast<float>(std::sqrt(static_cast<double>(static_cast<float>(squared))));
    // A wrapped, negative sum gives NaN; x86 truncates that (and overflow) to INT32_MIN.
    int32_t distance =
        (root >= 0.0f && root < 2147483648.0f) ? static_cast<int32_t>(root) : INT32_MIN;
    return static_cast<int64_t>(r1) + r2 >= distance;
}
