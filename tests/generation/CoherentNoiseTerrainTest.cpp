#include "generation/CoherentNoiseTerrain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "generation/Landscape.h"

namespace {

// The landscape graph rebuilt here from libnoise alone, so a wrong setting in randomise shows.
struct ReferenceGraph {
    noise::module::RidgedMulti mountains;
    noise::module::Billow plains;
    noise::module::ScaleBias plainsHeight;
    noise::module::Perlin control;
    noise::module::Select select;

    explicit ReferenceGraph(int seed) {
        mountains.SetSeed(seed);
        plains.SetSeed(seed);
        plains.SetFrequency(2.0);
        plainsHeight.SetSourceModule(0, plains);
        plainsHeight.SetScale(0.8);
        plainsHeight.SetBias(15.0);
        control.SetSeed(seed);
        control.SetOctaveCount(10);
        control.SetFrequency(0.4);
        control.SetPersistence(0.25);
        select.SetSourceModule(0, plainsHeight);
        select.SetSourceModule(1, mountains);
        select.SetControlModule(control);
        select.SetBounds(0.0, 1000.0);
        select.SetEdgeFalloff(0.125);
    }

    // The plane builder samples the module at y = 0 and stores a float.
    float height(double x, double z) const {
        return static_cast<float>(select.GetValue(x, 0.0, z));
    }
};

std::unique_ptr<CoherentNoiseTerrain> makeTerrain(int size) {
    return std::make_unique<CoherentNoiseTerrain>(size);
}

std::vector<float> copyHeights(const CoherentNoiseTerrain& terrain) {
    return std::vector<float>(std::begin(terrain.heights), std::end(terrain.heights));
}

}  // namespace

TEST(CoherentNoiseTerrainTest, HeightsAreTheGraphSampledAtTheBuilderPoints) {
    auto terrain = makeTerrain(4);
    randomiseLandscape(*terrain);
    const ReferenceGraph graph(terrain->seed);

    // x 20.0 and z 25.0 are never sampled: the builder steps up from the lower bounds.
    const double xs[] = {10.0, 12.5, 15.0, 17.5};
    const double zs[] = {7.0, 11.5, 16.0, 20.5};
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(terrain->heights[i + j * 4], graph.height(xs[i], zs[j]))
                << "column " << i << ", row " << j;
        }
    }

    // At 16 the steps 0.625 and 1.125 are exact, so the points are known without rounding.
    terrain->setSize(16);
    randomiseLandscape(*terrain);
    const ReferenceGraph graph16(terrain->seed);
    for (int j = 0; j < 16; ++j) {
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(terrain->heights[i + j * 16],
                      graph16.height(10.0 + i * 0.625, 7.0 + j * 1.125))
                << "column " << i << ", row " << j;
            ASSERT_EQ(terrain->heights[i + j * 16], terrain->heightMap.GetValue(i, j));
        }
    }
}

TEST(CoherentNoiseTerrainTest, SeedComesFromTheClockSoTheSameSecondGivesTheSameHeights) {
    auto terrain = makeTerrain(32);
    // Retry when the second rolls over between the two regenerations.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const time_t before = time(nullptr);
        randomiseLandscape(*terrain);
        const std::vector<float> first = copyHeights(*terrain);
        const int firstSeed = terrain->seed;
        randomiseLandscape(*terrain);
        const time_t after = time(nullptr);
        if (before != after) {
            continue;
        }
        EXPECT_EQ(terrain->seed, firstSeed);
        srand(static_cast<unsigned int>(before));
        EXPECT_EQ(terrain->seed, rand());
        for (int k = 0; k < 32 * 32; ++k) {
            ASSERT_EQ(terrain->heights[k], first[k]) << "entry " << k;
        }
        return;
    }
    FAIL() << "every attempt straddled a second";
}

TEST(CoherentNoiseTerrainTest, SmallerGridLeavesTheLargerGridsTailAlone) {
    auto terrain = makeTerrain(128);
    randomiseLandscape(*terrain);
    const std::vector<float> large = copyHeights(*terrain);

    terrain->setSize(16);
    randomiseLandscape(*terrain);

    for (int k = 16 * 16; k < CoherentNoiseTerrain::maxSize * CoherentNoiseTerrain::maxSize; ++k) {
        ASSERT_EQ(terrain->heights[k], large[k]) << "entry " << k;
    }
    for (int j = 0; j < 16; ++j) {
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(terrain->heights[i + j * 16], terrain->heightMap.GetValue(i, j));
        }
    }
}

TEST(CoherentNoiseTerrainTest, PurePlainsStayNearFifteen) {
    auto terrain = makeTerrain(128);
    // A wide square of the plane (step 3.125, exact) so that plenty of plains are certain.
    terrain->randomise(10.0, 2.0, 0.4, 0.25, -200.0, 200.0, -200.0, 200.0);
    const ReferenceGraph graph(terrain->seed);

    int plainsColumns = 0;
    for (int j = 0; j < 128; ++j) {
        for (int i = 0; i < 128; ++i) {
            const double x = -200.0 + i * 3.125;
            const double z = -200.0 + j * 3.125;
            // Clear of the 0.125 blend band below the lower bound, with a margin.
            const bool purePlains = graph.control.GetValue(x, 0.0, z) < -0.2;
            const double billow = graph.plains.GetValue(x, 0.0, z);
            if (!purePlains || billow < -1.0 || billow > 1.0) {
                continue;
            }
            ++plainsColumns;
            const float height = terrain->heights[i + j * 128];
            ASSERT_GE(height, 14.2f) << "column " << i << ", row " << j;
            ASSERT_LE(height, 15.8f) << "column " << i << ", row " << j;
        }
    }
    EXPECT_GT(plainsColumns, 1000);
}

TEST(CoherentNoiseTerrainTest, OctaveCountIsTruncatedAndCheckedByLibnoise) {
    auto terrain = makeTerrain(4);
    randomiseLandscape(*terrain);
    const std::vector<float> before = copyHeights(*terrain);

    EXPECT_THROW(terrain->randomise(0.9, 2.0, 0.4, 0.25, 10.0, 20.0, 7.0, 25.0),
                 noise::ExceptionInvalidParam);
    for (int k = 0; k < 16; ++k) {
        ASSERT_EQ(terrain->heights[k], before[k]);
    }

    EXPECT_NO_THROW(terrain->randomise(30.9, 2.0, 0.4, 0.25, 10.0, 20.0, 7.0, 25.0));
    EXPECT_EQ(terrain->controlNoise.GetOctaveCount(), 30);
}

TEST(CoherentNoiseTerrainTest, SizeOutsideTheArrayIsRefusedBeforeAnythingChanges) {
    auto terrain = makeTerrain(4);
    randomiseLandscape(*terrain);
    const std::vector<float> before = copyHeights(*terrain);
    const int seedBefore = terrain->seed;

    for (int bad : {513, 100000, 0, -4}) {
        terrain->setSize(bad);
        EXPECT_EQ(terrain->getSize(), bad);
        EXPECT_THROW(randomiseLandscape(*terrain), noise::ExceptionInvalidParam) << bad;
        EXPECT_EQ(terrain->getSize(), bad);
        EXPECT_EQ(terrain->seed, seedBefore);
        EXPECT_EQ(terrain->heightMap.GetWidth(), 4);
        EXPECT_EQ(copyHeights(*terrain), before) << bad;
    }

    // The largest grid fills the array exactly.
    terrain->setSize(CoherentNoiseTerrain::maxSize);
    randomiseLandscape(*terrain);
    const int last = CoherentNoiseTerrain::maxSize - 1;
    EXPECT_EQ(terrain->heights[last + last * CoherentNoiseTerrain::maxSize],
              terrain->heightMap.GetValue(last, last));
}
