#pragma once

#include <cstring>

#include "terrain/Frustum.h"

// The frustum's cube test for four cubes at once, bit for bit what cubeInFrustum answers for
// each: every plane is asked about its deciding corner with the same float operations in the
// same order, four lanes wide. Written with the compiler's vector types, so one source becomes
// SSE on x86-64, NEON on arm64 and plain float code where there is neither; only the gathering
// of the lanes' answers into bits is x86's own.
class CubeBatchCulling {
public:
    // `size` must not be negative.
    CubeBatchCulling(const Frustum& frustum, float size);

    // Bit n is set when cubeInFrustum(x[n], y[n], z[n], size) holds, n from 0 to 3.
    unsigned test(const float* x, const float* y, const float* z) const {
        const Lanes cx = load(x);
        const Lanes cy = load(y);
        const Lanes cz = load(z);
        Mask inside = {-1, -1, -1, -1};
        for (int p = 0; p < 6; ++p) {
            // a*x + b*y + c*z + d, left to right; x - s is exactly x + (-s).
            const Lanes ax = a[p] * (cx + offsetX[p]);
            const Lanes by = b[p] * (cy + offsetY[p]);
            const Lanes cz2 = c[p] * (cz + offsetZ[p]);
            const Lanes value = ax + by + cz2 + d[p];
            // NaN compares false: outside, as in the scalar test.
            inside &= value > Lanes{};
        }
#if defined(__SSE__)
        // Each lane is all ones or all zeros: its sign bit, gathered in one instruction.
        return static_cast<unsigned>(__builtin_ia32_movmskps(reinterpret_cast<Lanes>(inside)));
#else
        const Mask bits = inside & Mask{1, 2, 4, 8};
        return static_cast<unsigned>(bits[0] | bits[1] | bits[2] | bits[3]);
#endif
    }

    using Lanes = float __attribute__((vector_size(16)));
    using Mask = int __attribute__((vector_size(16)));

private:
    // The rows of slots are not 16-byte aligned.
    static Lanes load(const float* values) {
        Lanes lanes;
        std::memcpy(&lanes, values, sizeof lanes);
        return lanes;
    }

    Lanes a[6], b[6], c[6], d[6];
    // +size or -size: towards the corner the plane's normal points to.
    Lanes offsetX[6], offsetY[6], offsetZ[6];
};
