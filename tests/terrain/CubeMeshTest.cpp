#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "terrain/BlockTerrain.h"

namespace {

class CubeMesh : public ::testing::Test {
protected:
    void SetUp() override { blockTerrain.createCube(); }
    const CubeVertex* v = blockTerrain.vertices;
    const unsigned char* idx = blockTerrain.indices;
};

TEST_F(CubeMesh, VertexRecordMatchesTheBufferLayout) {
    EXPECT_EQ(sizeof(CubeVertex), 64u);
    EXPECT_EQ(offsetof(CubeVertex, s), 12u);
    EXPECT_EQ(offsetof(CubeVertex, nx), 20u);
    EXPECT_EQ(offsetof(CubeVertex, r), 32u);
    EXPECT_EQ(offsetof(CubeVertex, reserved), 48u);
    EXPECT_EQ(sizeof(blockTerrain.vertices), 1536u);
    EXPECT_EQ(sizeof(blockTerrain.indices), 36u);
}

TEST_F(CubeMesh, FacesComeInTheirOrderWithOutwardNormalsWhiteAndUnusedFloatsZero) {
    const float faceNormals[6][3] = {{0, 1, 0},  {0, -1, 0}, {0, 0, 1},
                                     {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}};
    const float texCoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int n = 0; n < 24; ++n) {
        const CubeVertex& vertex = v[n];
        const float* normal = faceNormals[n / 4];
        EXPECT_EQ(vertex.nx, normal[0]) << n;
        EXPECT_EQ(vertex.ny, normal[1]) << n;
        EXPECT_EQ(vertex.nz, normal[2]) << n;
        // Every corner lies on its face's side of the 2-unit cube.
        EXPECT_EQ(vertex.x * normal[0] + vertex.y * normal[1] + vertex.z * normal[2], 1.0f) << n;
        EXPECT_EQ(std::fabs(vertex.x) + std::fabs(vertex.y) + std::fabs(vertex.z), 3.0f) << n;
        EXPECT_EQ(vertex.s, texCoords[n % 4][0]) << n;
        EXPECT_EQ(vertex.t, texCoords[n % 4][1]) << n;
        EXPECT_EQ(vertex.r, 1.0f);
        EXPECT_EQ(vertex.g, 1.0f);
        EXPECT_EQ(vertex.b, 1.0f);
        EXPECT_EQ(vertex.a, 1.0f);
        for (float reserved : vertex.reserved) {
            EXPECT_EQ(reserved, 0.0f);
        }
    }
    // Spot checks against the table, one per face.
    EXPECT_EQ(v[0].x, 1.0f);
    EXPECT_EQ(v[0].z, -1.0f);
    EXPECT_EQ(v[6].x, -1.0f);
    EXPECT_EQ(v[6].z, -1.0f);
    EXPECT_EQ(v[10].x, -1.0f);
    EXPECT_EQ(v[10].y, -1.0f);
    EXPECT_EQ(v[14].x, -1.0f);
    EXPECT_EQ(v[14].y, 1.0f);
    EXPECT_EQ(v[16].y, 1.0f);
    EXPECT_EQ(v[16].z, 1.0f);
    EXPECT_EQ(v[23].y, -1.0f);
    EXPECT_EQ(v[23].z, -1.0f);
}

TEST_F(CubeMesh, IndicesSplitEachFaceIntoTwoTriangles) {
    for (int face = 0; face < 6; ++face) {
        const int b = 4 * face;
        const int expected[6] = {b, b + 1, b + 2, b + 2, b + 3, b};
        for (int n = 0; n < 6; ++n) {
            EXPECT_EQ(idx[6 * face + n], expected[n]) << face;
        }
    }
}

TEST_F(CubeMesh, EveryTriangleIsCounterClockwiseSeenFromOutside) {
    for (int t = 0; t < 12; ++t) {
        const CubeVertex& a = v[idx[3 * t]];
        const CubeVertex& b = v[idx[3 * t + 1]];
        const CubeVertex& c = v[idx[3 * t + 2]];
        const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const float wx = c.x - a.x, wy = c.y - a.y, wz = c.z - a.z;
        const float nx = uy * wz - uz * wy;
        const float ny = uz * wx - ux * wz;
        const float nz = ux * wy - uy * wx;
        // The winding's normal points the same way as the face's outward normal.
        EXPECT_GT(nx * a.nx + ny * a.ny + nz * a.nz, 0.0f) << "triangle " << t;
    }
}

TEST_F(CubeMesh, DrawnAsLinesEachFaceShowsTwoEdgesAndADegenerateSegment) {
    for (int face = 0; face < 6; ++face) {
        const unsigned char* f = idx + 6 * face;
        EXPECT_EQ(f[0] + 1, f[1]);  // first to second vertex
        EXPECT_EQ(f[2], f[3]);      // degenerate
        EXPECT_EQ(f[4], f[5] + 3);  // fourth back to first
    }
}

}  // namespace
