#include <gtest/gtest.h>

#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"

namespace {

TEST(BlockSlots, NeighboursAlongTheDiagonalShareASlot) {
    const int side = 32;
    EXPECT_EQ(slotIndex(3, 5, 2, side), 5 + 5 * side);
    EXPECT_EQ(slotIndex(4, 5, 1, side), 5 + 5 * side);
    // Where i + k reaches the side, the slot is one of the next row's.
    EXPECT_EQ(slotIndex(side - 1, 7, 1, side), slotIndex(0, 8, 0, side));
}

TEST(BlockSlots, HighestSlotStaysInsideTheArraysForEveryKeyedSize) {
    EXPECT_EQ(slotIndex(127, 127, 31, 128), 16414);
    EXPECT_EQ(highestSlot(128, 32), 16414);
    EXPECT_EQ(highestSlot(4, 32), 46);
    EXPECT_LT(highestSlot(180, 32), 32 * 32 * 32);
    EXPECT_GE(highestSlot(181, 32), 32 * 32 * 32);
}

TEST(BlockHeight, HeightPlusLayerIsFormedInDoubleThenStoredAsFloat) {
    const float height = 14.3f;
    EXPECT_EQ(blockY(height, 0), height);
    for (int k = 1; k < 32; ++k) {
        EXPECT_EQ(blockY(height, k), static_cast<float>(static_cast<double>(height) + k));
    }
    // A float sum would round differently here: 16777216 + 1 is not representable.
    EXPECT_EQ(blockY(16777216.0f, 1), 16777216.0f);
    EXPECT_EQ(blockY(0.1f, 3), static_cast<float>(0.1f + 3.0));
}

TEST(NearTest, BoundaryIsTheSquaredDistance40400) {
    // 200² + 20² = 40400: the truncated root is 200 and 100 + 100 reaches it.
    EXPECT_TRUE(isNearCamera(200.0f, 20.0f, 0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(isNearCamera(200.0f, 20.0f, 1.0f, 0.0f, 0.0f, 0.0f));  // 40401
    EXPECT_TRUE(isNearCamera(50.0f, 120.0f, 250.0f, 50.0f, 120.0f, 250.0f));
}

TEST(NearTest, CoordinatesTruncateTowardZero) {
    // -0.9 becomes 0, so this is again d² = 40400.
    EXPECT_TRUE(isNearCamera(200.9f, 20.9f, -0.9f, 0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(isNearCamera(-0.9f, 0.0f, 0.0f, 200.9f, -20.9f, 0.9f));
    EXPECT_FALSE(isNearCamera(-1.0f, 0.0f, 0.0f, 200.5f, 20.5f, 0.0f));  // 201² + 20²
}

TEST(NearTest, ACameraFarFromTheFieldNeverWrapsRoundToNear) {
    // 32-bit squares of these distances would wrap to negative or small sums.
    EXPECT_FALSE(isNearCamera(0.0f, 0.0f, 0.0f, 46341.0f, 0.0f, 0.0f));
    EXPECT_FALSE(isNearCamera(0.0f, 0.0f, 0.0f, 65536.0f, 0.0f, 0.0f));
    EXPECT_FALSE(isNearCamera(0.0f, 0.0f, 0.0f, 1.0e6f, 1.0e6f, 1.0e6f));
    EXPECT_FALSE(isNearCamera(0.0f, 0.0f, 0.0f, 3.0e9f, -3.0e9f, 3.0e9f));
}

class BlockTerrainRebuild : public ::testing::Test {
protected:
    void TearDown() override { blockTerrain.rebuild(32); }
};

TEST_F(BlockTerrainRebuild, ConstructionSizesTheSlotsFromTheFirstGrid) {
    EXPECT_EQ(blockTerrain.side, 32);
    EXPECT_EQ(blockTerrain.layers, 32);
    EXPECT_EQ(blockTerrain.minDrawHeight, 14.0f);
    EXPECT_EQ(blockTerrain.slotCapacity(), 32768);
}

TEST_F(BlockTerrainRebuild, RebuildRegeneratesAndClearsEverySlot) {
    blockTerrain.posX[100] = 3.0f;
    blockTerrain.posY[16414] = 4.0f;
    blockTerrain.posZ[32767] = 5.0f;
    ASSERT_TRUE(blockTerrain.rebuild(128));
    EXPECT_EQ(noiseTerrain.getSize(), 128);
    EXPECT_EQ(blockTerrain.side, 32);
    for (int slot = 0; slot < blockTerrain.slotCapacity(); ++slot) {
        ASSERT_EQ(blockTerrain.posX[slot], 0.0f);
        ASSERT_EQ(blockTerrain.posY[slot], 0.0f);
        ASSERT_EQ(blockTerrain.posZ[slot], 0.0f);
    }
    ASSERT_TRUE(blockTerrain.rebuild(4));
    EXPECT_EQ(noiseTerrain.getSize(), 4);
}

TEST_F(BlockTerrainRebuild, SidesWhoseSlotsWouldNotFitAreRefusedAndChangeNothing) {
    ASSERT_TRUE(blockTerrain.rebuild(48));
    blockTerrain.posX[7] = 9.0f;
    const float* before = blockTerrain.posX.get();
    const float firstHeight = noiseTerrain.heights[0];
    for (int side : {181, 200, 512, 513, 0, -4}) {
        EXPECT_FALSE(blockTerrain.rebuild(side)) << side;
        EXPECT_EQ(noiseTerrain.getSize(), 48);
        EXPECT_EQ(blockTerrain.posX.get(), before);
        EXPECT_EQ(blockTerrain.posX[7], 9.0f);
        EXPECT_EQ(noiseTerrain.heights[0], firstHeight);
    }
    EXPECT_TRUE(blockTerrain.rebuild(180));
}

}  // namespace
