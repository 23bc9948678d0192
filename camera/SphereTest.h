#pragma once

#include <cmath>
#include <cstdint>

// True when the truncated distance between the centres is at most r1 + r2: the squared
// distance is rounded to float, its root taken and truncated to an int.
inline bool spheresOverlap(int x1, int y1, int z1, int r1, int x2, int y2, int z2, int r2) {
    // Squares summed exactly (in 64 bits they cannot wrap round into a small distance when the
    // camera is far from the field).
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t dz = static_cast<int64_t>(z2) - z1;
    const int64_t reach = static_cast<int64_t>(r1) + r2;
    if (dx * dx <= (int64_t{1} << 24) && dy * dy <= (int64_t{1} << 24) &&
        dz * dz <= (int64_t{1} << 24)) {
        const int64_t squared = dx * dx + dy * dy + dz * dz;
        // Where the sum is exact in float and (reach + 1)² < 2^23, a correctly rounded root
        // truncates to at most reach exactly when squared < (reach + 1)²: no root is needed.
        if (squared <= (int64_t{1} << 24) && reach >= 0 && reach < 2895) {
            return squared < (reach + 1) * (reach + 1);
        }
    }
    const double dxd = static_cast<double>(dx);
    const double dyd = static_cast<double>(dy);
    const double dzd = static_cast<double>(dz);
    const float squared = static_cast<float>(dxd * dxd + dyd * dyd + dzd * dzd);
    const float root = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    if (!(root < 2147483648.0f)) {
        return false;  // farther than any radius an int can hold
    }
    return reach >= static_cast<int32_t>(root);
}
