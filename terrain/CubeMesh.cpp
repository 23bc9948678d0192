#include <GL/glew.h>

#include "terrain/BlockTerrain.h"

namespace {

struct CubeCorner {
    float x, y, z;
    float s, t;
    float nx, ny, nz;
};

// clang-format off
// Four vertices per face, faces +y, -y, +z, -z, -x, +x.
static const CubeCorner cubeCorners[24] = {
    // position       s, t      normal
    {1, 1, -1,    0, 0,   0, 1, 0},
    {-1, 1, -1,   0, 1,   0, 1, 0},
    {-1, 1, 1,    1, 1,   0, 1, 0},
    {1, 1, 1,     1, 0,   0, 1, 0},
    {1, -1, 1,    0, 0,   0, -1, 0},
    {-1, -1, 1,   0, 1,   0, -1, 0},
    {-1, -1, -1,  1, 1,   0, -1, 0},
    {1, -1, -1,   1, 0,   0, -1, 0},
    {1, 1, 1,     0, 0,   0, 0, 1},
    {-1, 1, 1,    0, 1,   0, 0, 1},
    {-1, -1, 1,   1, 1,   0, 0, 1},
    {1, -1, 1,    1, 0,   0, 0, 1},
    {1, -1, -1,   0, 0,   0, 0, -1},
    {-1, -1, -1,  0, 1,   0, 0, -1},
    {-1, 1, -1,   1, 1,   0, 0, -1},
    {1, 1, -1,    1, 0,   0, 0, -1},
    {-1, 1, 1,    0, 0,   -1, 0, 0},
    {-1, 1, -1,   0, 1,   -1, 0, 0},
    {-1, -1, -1,  1, 1,   -1, 0, 0},
    {-1, -1, 1,   1, 0,   -1, 0, 0},
    {1, 1, -1,    0, 0,   1, 0, 0},
    {1, 1, 1,     0, 1,   1, 0, 0},
    {1, -1, 1,    1, 1,   1, 0, 0},
    {1, -1, -1,   1, 0,   1, 0, 0},
};

// Two counter-clockwise triangles per face.
static const unsigned char cubeIndices[36] = {
    0,  1,  2,  2,  3,  0,
    4,  5,  6,  6,  7,  4,
    8,  9,  10, 10, 11, 8,
    12, 13, 14, 14, 15, 12,
    16, 17, 18, 18, 19, 16,
    20, 21, 22, 22, 23, 20,
};
// clang-format on

constexpr GLsizei vertexStride = sizeof(CubeVertex);
const GLvoid* const texCoordOffset = reinterpret_cast<const GLvoid*>(12);
const GLvoid* const normalOffset = reinterpret_cast<const GLvoid*>(20);
const GLvoid* const colourOffset = reinterpret_cast<const GLvoid*>(32);
const GLvoid* const positionOffset = nullptr;

}  // namespace

void BlockTerrain::createCube() {
    for (int v = 0; v < 24; ++v) {
        const CubeCorner& corner = cubeCorners[v];
        CubeVertex& vertex = vertices[v];
        vertex.x = corner.x;
        vertex.y = corner.y;
        vertex.z = corner.z;
        vertex.s = corner.s;
        vertex.t = corner.t;
        vertex.nx = corner.nx;
        vertex.ny = corner.ny;
        vertex.nz = corner.nz;
    }
    for (CubeVertex& vertex : vertices) {
        vertex.r = 1.0f;
        vertex.g = 1.0f;
        vertex.b = 1.0f;
        vertex.a = 1.0f;
    }
    for (int n = 0; n < 36; ++n) {
        indices[n] = cubeIndices[n];
    }
}

void BlockTerrain::setArrayPointers() {
    glTexCoordPointer(2, GL_FLOAT, vertexStride, texCoordOffset);
    glNormalPointer(GL_FLOAT, vertexStride, normalOffset);
    glColorPointer(4, GL_FLOAT, vertexStride, colourOffset);
    glVertexPointer(3, GL_FLOAT, vertexStride, positionOffset);
}

void BlockTerrain::createBuffers() {
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(vertices), vertices);
    setArrayPointers();

    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(indices), indices, GL_STATIC_DRAW);
}
