#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "GlContextSupport.h"
#include "ReferenceModel.h"
#include "app/ShellSettings.h"
#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockTerrain.h"

namespace {

constexpr int layers = 32;

class BlockDrawing : public testing::Test {
protected:
    void SetUp() override { resetScene(); }
    void TearDown() override { resetScene(); }

    // One real frame and the model's account of it, from the matrices that frame used.
    ModelCounts drawAndModel(FieldModel& model, FrameCalls& calls) {
        calls = drawCountedFrame();
        EXPECT_TRUE(calls.matricesCaptured);
        const Planes planes = planesFromMatrices(calls.projection, calls.modelView);
        return model.frame(planes, noiseTerrain.getSize(), layers, noiseTerrain.heights,
                           camera->positionX(), camera->positionY(), camera->positionZ(),
                           glTestInput().isKeyHeld(vk::v));
    }

    static void expectFrameMatches(const FrameCalls& calls, const ModelCounts& expected) {
        EXPECT_EQ(calls.filledDraws, expected.filled);
        EXPECT_EQ(calls.lineDraws, expected.lines);
        EXPECT_EQ(calls.otherDraws, 0);
        // Every block that passes culling gets one push, translate and pop, drawn or not.
        EXPECT_EQ(calls.loopPushes, expected.passedCulling);
        EXPECT_EQ(calls.loopTranslates, expected.passedCulling);
        EXPECT_EQ(calls.loopPops, expected.passedCulling);
    }
};

// The counts below are only reproducible if every regeneration draws the same seed.
TEST_F(BlockDrawing, TerrainIsSeededFromThePinnedClock) {
    std::srand(static_cast<unsigned int>(pinnedTime));
    EXPECT_EQ(noiseTerrain.seed, std::rand());
    const int columns = noiseTerrain.getSize() * noiseTerrain.getSize();
    const std::vector<float> first(noiseTerrain.heights, noiseTerrain.heights + columns);
    ASSERT_TRUE(blockTerrain.rebuild(32));
    EXPECT_EQ(std::memcmp(first.data(), noiseTerrain.heights, columns * sizeof(float)), 0);
}

TEST_F(BlockDrawing, Grid32FromTheStartIsAllFarSoOnlyLinesAndOnlyWithVHeld) {
    for (bool vHeld : {false, true}) {
        SCOPED_TRACE(vHeld ? "V held" : "V up");
        resetScene();
        glTestInput().setKey(vk::v, vHeld);
        FieldModel model;
        FrameCalls calls;
        const ModelCounts expected = drawAndModel(model, calls);
        expectFrameMatches(calls, expected);
        // The start pose looks at the origin, so the zeroed slots let blocks through.
        EXPECT_GT(expected.passedCulling, 0);
        EXPECT_EQ(expected.filled, 0);
        if (vHeld) {
            EXPECT_GT(expected.lines, 0);
        } else {
            EXPECT_EQ(expected.lines, 0);
        }
        std::printf("grid 32, %s: %ld passed culling, %ld filled, %ld lines\n",
                    vHeld ? "V held" : "V up", calls.loopPushes, calls.filledDraws,
                    calls.lineDraws);
    }
}

TEST_F(BlockDrawing, Grid128DrawsTheNearPartFilledAndSharedSlotsChangeTheSecondFrame) {
    for (bool vHeld : {false, true}) {
        SCOPED_TRACE(vHeld ? "V held" : "V up");
        glTestInput().setKey(vk::v, vHeld);
        ASSERT_TRUE(blockTerrain.rebuild(128));
        FieldModel model;
        FrameCalls first;
        const ModelCounts expectedFirst = drawAndModel(model, first);
        expectFrameMatches(first, expectedFirst);
        EXPECT_GT(expectedFirst.filled, 0);
        EXPECT_EQ(expectedFirst.lines > 0, vHeld);

        FrameCalls second;
        const ModelCounts expectedSecond = drawAndModel(model, second);
        expectFrameMatches(second, expectedSecond);
        // Same pose, same heights: only the slots remembered from the first frame differ.
        EXPECT_NE(second.loopPushes, first.loopPushes);
        EXPECT_NE(second.filledDraws + second.lineDraws, first.filledDraws + first.lineDraws);
        std::printf(
            "grid 128, %s: frame 1 %ld passed, %ld filled, %ld lines; frame 2 %ld passed, %ld "
            "filled, %ld lines\n",
            vHeld ? "V held" : "V up", first.loopPushes, first.filledDraws, first.lineDraws,
            second.loopPushes, second.filledDraws, second.lineDraws);
    }
}

TEST_F(BlockDrawing, AFlightThroughTheFieldMatchesTheModelFrameByFrame) {
    // Poses far and near, inside the field, looking away from it and back: every frame is
    // checked, the slots carrying over from one to the next as they do in the viewer.
    struct Pose {
        float eye[3];
        float centre[3];
    };
    const Pose poses[] = {
        {{16, 40, 60}, {16, 10, 0}},      {{16, 40, 60}, {16, 10, 0}},
        {{16, 22, 16}, {30, 15, 30}},     {{16, 22, 16}, {0, 15, 0}},
        {{-120, 60, 16}, {-300, 60, 16}}, {{-120, 60, 16}, {-300, 60, 16}},
        {{-120, 60, 16}, {0, 15, 16}},    {{300, 200, 300}, {0, 0, 0}},
        {{8, 300, 8}, {8.5f, 0, 8}},      {{40, 16, 2}, {0, 16, 30}},
    };
    for (int size : {32, 48}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(blockTerrain.rebuild(size));
        glTestInput().setKey(vk::v, true);
        FieldModel model;
        long filled = 0;
        for (const Pose& pose : poses) {
            camera->place(pose.eye[0], pose.eye[1], pose.eye[2], pose.centre[0], pose.centre[1],
                          pose.centre[2], 0.0f, 1.0f, 0.0f);
            FrameCalls calls;
            const ModelCounts expected = drawAndModel(model, calls);
            expectFrameMatches(calls, expected);
            filled += calls.filledDraws;
        }
        EXPECT_GT(filled, 0);
    }
}

}  // namespace
