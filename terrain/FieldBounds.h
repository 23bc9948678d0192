#pragma once

// An axis-aligned box around every position a frame's culling or near test can see.
struct FieldBounds {
    float low[3];
    float high[3];

    void include(float x, float y, float z);
};

// The box around the first `count` remembered slot positions.
FieldBounds slotBounds(const float* posX, const float* posY, const float* posZ, int count);
