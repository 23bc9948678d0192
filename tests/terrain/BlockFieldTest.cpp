#include <gtest/gtest.h>

#include <cmath>

#include "camera/Vector3.h"
#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"

namespace {

TEST(BlockRules, DiagonalNeighboursShareASlotAndTheHighestFits) {
    for (int side : {4, 16, 32, 48, 64, 128}) {
        EXPECT_EQ(slotIndex(3, 5, 2, side), slotIndex(4, 5, 1, side));
        EXPECT_EQ(slotIndex(3, 5, 2, side), 5 + 5 * side);
        EXPECT_EQ(slotIndex(side - 1, 2, 1, side), slotIndex(0, 3, 0, side));
    }
    EXPECT_EQ(highestSlot(128, 32), 16414);
    EXPECT_EQ(highestSlot(4, 32), 46);
    EXPECT_EQ(blockY(14.5f, 3), 17.5f);
}

TEST(BlockRules, NearIsASquaredDistanceOf40400AfterTruncation) {
    EXPECT_TRUE(isNearCamera(200.0f, 20.0f, 0.0f, 0.0f, 0.0f, 0.0f));    // 40400
    EXPECT_FALSE(isNearCamera(200.0f, 20.0f, 1.0f, 0.0f, 0.0f, 0.0f));   // 40401
    EXPECT_TRUE(isNearCamera(-0.9f, 0.0f, 0.0f, 200.9f, -20.9f, 0.9f));  // -0.9 becomes 0
    EXPECT_FALSE(isNearCamera(0.0f, 0.0f, 0.0f, 3.0e9f, -3.0e9f, 3.0e9f));
    // The per-column form decides every block as the full test does.
    for (int eyeX : {-300, -150, 0, 37, 199, 250, 2000000000}) {
        for (int eyeY : {-250, 0, 14, 120, 300}) {
            const int eye[3] = {eyeX, eyeY, eyeX / 3};
            for (int i = 0; i < 128; i += 9) {
                for (int j = 0; j < 128; j += 7) {
                    const int64_t budget = columnNearBudget(i, j, eye[0], eye[2]);
                    for (float y = -5.5f; y < 60.0f; y += 1.75f) {
                        ASSERT_EQ(
                            isNearInColumn(y, eye[1], budget),
                            isNearCamera(static_cast<float>(i), y, static_cast<float>(j),
                                         static_cast<float>(eye[0]), static_cast<float>(eye[1]),
                                         static_cast<float>(eye[2])));
                    }
                }
            }
        }
    }
}

TEST(BlockTerrain, ARebuildRegeneratesAndClearsEverySlotAndAnOversizedOneIsRefused) {
    blockTerrain.posX[16414] = 3.0f;
    blockTerrain.posZ[7] = 2.0f;
    ASSERT_TRUE(blockTerrain.rebuild(128));
    EXPECT_EQ(noiseTerrain.getSize(), 128);
    EXPECT_EQ(blockTerrain.posX[16414], 0.0f);
    EXPECT_EQ(blockTerrain.posZ[7], 0.0f);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(blockTerrain.rebuild(181));  // its highest slot would pass the arrays' end
    EXPECT_FALSE(blockTerrain.rebuild(0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Grid size 181 refused: its blocks do not fit the 32768 block slots\n"
              "Grid size 0 refused: its blocks do not fit the 32768 block slots\n");
    EXPECT_EQ(noiseTerrain.getSize(), 128);
    ASSERT_TRUE(blockTerrain.rebuild(32));
}

TEST(BlockTerrain, TheCubeIsTwentyFourOutwardFacingWhiteVerticesInThirtySixIndices) {
    blockTerrain.createCube();
    const float faceNormals[6][3] = {{0, 1, 0},  {0, -1, 0}, {0, 0, 1},
                                     {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}};
    const float texCoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int v = 0; v < 24; ++v) {
        const CubeVertex& vertex = blockTerrain.vertices[v];
        const float* normal = faceNormals[v / 4];
        const float position[3] = {vertex.x, vertex.y, vertex.z};
        const float given[3] = {vertex.nx, vertex.ny, vertex.nz};
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(given[axis], normal[axis]) << "vertex " << v;
            EXPECT_EQ(std::abs(position[axis]), 1.0f);
            if (normal[axis] != 0.0f) {
                EXPECT_EQ(position[axis], normal[axis]) << "vertex " << v << " off its face";
            }
        }
        EXPECT_TRUE(vertex.s == texCoords[v % 4][0] && vertex.t == texCoords[v % 4][1]) << v;
        EXPECT_TRUE(vertex.r == 1 && vertex.g == 1 && vertex.b == 1 && vertex.a == 1);
    }
    for (int f = 0; f < 6; ++f) {
        const int corners[6] = {0, 1, 2, 2, 3, 0};
        for (int n = 0; n < 6; ++n) {
            EXPECT_EQ(blockTerrain.indices[6 * f + n], 4 * f + corners[n]);
        }
        // Counter-clockwise seen from outside: the edges' cross product points outwards.
        const CubeVertex* p = &blockTerrain.vertices[4 * f];
        auto at = [p](int n) { return Vector3(p[n].x, p[n].y, p[n].z); };
        const Vector3 turn = cross(at(1) - at(0), at(2) - at(0));
        EXPECT_GT(turn.x * p->nx + turn.y * p->ny + turn.z * p->nz, 0.0f) << "face " << f;
    }
}

}  // namespace
