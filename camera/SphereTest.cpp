#include "camera/SphereTest.h"

#include <cmath>
#include <cstdint>

bool spheresOverlap(int x1, int y1, int z1, int r1, int x2, int y2, int z2, int r2) {
    // Squares summed exactly wherever a 32-bit sum would fit, and without wrapping round into a
    // small distance when the camera is far from the field.
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double dz = static_cast<double>(z2) - z1;
    const float squared = static_cast<float>(dx * dx + dy * dy + dz * dz);
    const float root = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    if (!(root < 2147483648.0f)) {
        return false;  // farther than any radius an int can hold
    }
    return static_cast<int64_t>(r1) + r2 >= static_cast<int32_t>(root);
}
