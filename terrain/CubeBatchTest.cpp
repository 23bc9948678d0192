#include "terrain/CubeBatchTest.h"

CubeBatchTest::CubeBatchTest(const Frustum& frustum, float size) {
    for (int p = 0; p < 6; ++p) {
        const float* plane = frustum.planes[p];
        a[p] = _mm_set1_ps(plane[0]);
        b[p] = _mm_set1_ps(plane[1]);
        c[p] = _mm_set1_ps(plane[2]);
        d[p] = _mm_set1_ps(plane[3]);
        offsetX[p] = _mm_set1_ps(plane[0] > 0.0f ? size : -size);
        offsetY[p] = _mm_set1_ps(plane[1] > 0.0f ? size : -size);
        offsetZ[p] = _mm_set1_ps(plane[2] > 0.0f ? size : -size);
    }
}
