#pragma once

// One vertex of a batch: a corner of the shared cube moved to its block, with the cube vertex's
// texture coordinates, normal and colour (as bytes: the cube's 1.0 is 255 exactly).
struct BatchVertex {
    float x, y, z;
    float s, t;
    float nx, ny, nz;
    unsigned char r, g, b, a;
};

static_assert(sizeof(BatchVertex) == 36, "the batch buffer's stride is 36 bytes");
