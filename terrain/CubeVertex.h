#pragma once

// One interleaved vertex of the shared cube, laid out exactly as the GL vertex buffer.
struct CubeVertex {
    float x, y, z;
    float s, t;
    float nx, ny, nz;
    float r, g, b, a;
    float reserved[4];
};

static_assert(sizeof(CubeVertex) == 64, "the vertex buffer stride is 64 bytes");
