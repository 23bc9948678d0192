#include "terrain/CubeBatchCulling.h"

namespace {

CubeBatchCulling::Lanes splat(float value) {
    return CubeBatchCulling::Lanes{value, value, value, value};
}

}  // namespace

CubeBatchCulling::CubeBatchCulling(const Frustum& frustum, float size) {
    for (int p = 0; p < 6; ++p) {
        const float* plane = frustum.planes[p];
        a[p] = splat(plane[0]);
        b[p] = splat(plane[1]);
        c[p] = splat(plane[2]);
        d[p] = splat(plane[3]);
        offsetX[p] = splat(plane[0] > 0.0f ? size : -size);
        offsetY[p] = splat(plane[1] > 0.0f ? size : -size);
        offsetZ[p] = splat(plane[2] > 0.0f ? size : -size);
    }
}
