#include "terrain/FieldBounds.h"

void FieldBounds::include(float x, float y, float z) {
    const float p[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis) {
        if (p[axis] < low[axis]) {
            low[axis] = p[axis];
        }
        if (p[axis] > high[axis]) {
            high[axis] = p[axis];
        }
    }
}

FieldBounds slotBounds(const float* posX, const float* posY, const float* posZ, int count) {
    FieldBounds bounds = {{posX[0], posY[0], posZ[0]}, {posX[0], posY[0], posZ[0]}};
    for (int slot = 1; slot < count; ++slot) {
        bounds.include(posX[slot], posY[slot], posZ[slot]);
    }
    return bounds;
}
