#pragma once

#include <emmintrin.h>

#include "terrain/Frustum.h"

// The frustum's cube test for four cubes at once, bit for bit what cubeInFrustum answers for
// each: every plane is asked about its deciding corner with the same float operations in the
// same order, four lanes wide (SSE2 is part of every x86-64).
class CubeBatchTest {
public:
    // `size` must not be negative.
    CubeBatchTest(const Frustum& frustum, float size);

    // Bit n is set when cubeInFrustum(x[n], y[n], z[n], size) holds, n from 0 to 3.
    unsigned test(const float* x, const float* y, const float* z) const {
        const __m128 cx = _mm_loadu_ps(x);
        const __m128 cy = _mm_loadu_ps(y);
        const __m128 cz = _mm_loadu_ps(z);
        __m128 inside = _mm_castsi128_ps(_mm_set1_epi32(-1));
        for (int p = 0; p < 6; ++p) {
            // a*x + b*y + c*z + d, left to right; x - s is exactly x + (-s).
            const __m128 ax = _mm_mul_ps(a[p], _mm_add_ps(cx, offsetX[p]));
            const __m128 by = _mm_mul_ps(b[p], _mm_add_ps(cy, offsetY[p]));
            const __m128 cz2 = _mm_mul_ps(c[p], _mm_add_ps(cz, offsetZ[p]));
            const __m128 value = _mm_add_ps(_mm_add_ps(_mm_add_ps(ax, by), cz2), d[p]);
            // NaN compares false: outside, as in the scalar test.
            inside = _mm_and_ps(inside, _mm_cmpgt_ps(value, _mm_setzero_ps()));
        }
        return static_cast<unsigned>(_mm_movemask_ps(inside));
    }

private:
    __m128 a[6], b[6], c[6], d[6];
    // +size or -size: towards the corner the plane's normal points to.
    __m128 offsetX[6], offsetY[6], offsetZ[6];
};
