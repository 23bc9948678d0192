#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"

namespace {

// The module graph built again from its documented settings.
struct Landscape {
    noise::module::RidgedMulti mountains;
    noise::module::Billow plains;
    noise::module::ScaleBias lifted;
    noise::module::Perlin control;
    noise::module::Select select;

    explicit Landscape(int seed) {
        mountains.SetSeed(seed);
        plains.SetSeed(seed);
        plains.SetFrequency(2.0);
        lifted.SetSourceModule(0, plains);
        lifted.SetScale(0.8);
        lifted.SetBias(15.0);
        control.SetSeed(seed);
        control.SetOctaveCount(10);
        control.SetFrequency(0.4);
        control.SetPersistence(0.25);
        select.SetSourceModule(0, lifted);
        select.SetSourceModule(1, mountains);
        select.SetControlModule(control);
        select.SetBounds(0.0, 1000.0);
        select.SetEdgeFalloff(0.125);
    }
};

std::vector<unsigned char> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The seed this platform's rand() draws after srand() with one of the seconds in [from, to].
bool isClockSeed(int seed, time_t from, time_t to) {
    for (time_t second = from; second <= to; ++second) {
        srand(static_cast<unsigned int>(second));
        if (rand() == seed) {
            return true;
        }
    }
    return false;
}

}  // namespace

#ifndef _WIN32
constexpr time_t pinned = 1500000000;

// Every regeneration in this binary draws the same seed. (mingw's time() is inline over the C
// runtime's imported _time64, which a program cannot replace: there the clock runs.)
extern "C" time_t time(time_t* out) noexcept {
    if (out != nullptr) {
        *out = pinned;
    }
    return pinned;
}
#endif

TEST(NoiseTerrain, HeightsAreTheGraphSampledAtTheBuilderPointsWithAClockSeed) {
    noiseTerrain.setSize(4);
    const time_t from = time(nullptr);
    randomiseLandscape(noiseTerrain);
    EXPECT_TRUE(isClockSeed(noiseTerrain.seed, from, time(nullptr))) << noiseTerrain.seed;
    Landscape landscape(noiseTerrain.seed);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            // x from 10 by 2.5 and z from 7 by 4.5: the upper bounds are never sampled.
            const double value = landscape.select.GetValue(10.0 + 2.5 * i, 0.0, 7.0 + 4.5 * j);
            EXPECT_EQ(noiseTerrain.heights[i + j * 4], static_cast<float>(value));
        }
    }
}

TEST(NoiseTerrain, AnOversizedGridOrNoOctaveIsRefusedLeavingTheHeights) {
    const float first = noiseTerrain.heights[0];
    noiseTerrain.setSize(513);
    EXPECT_THROW(randomiseLandscape(noiseTerrain), noise::ExceptionInvalidParam);
    EXPECT_EQ(noiseTerrain.heights[0], first);
    noiseTerrain.setSize(4);
    EXPECT_THROW(noiseTerrain.randomise(0.9, 2, 0.4, 0.25, 10, 20, 7, 25),
                 noise::ExceptionInvalidParam);  // octave count truncates to 0
    noiseTerrain.randomise(30.9, 2, 0.4, 0.25, 10, 20, 7, 25);
    noiseTerrain.setSize(32);
    randomiseLandscape(noiseTerrain);
}

TEST(TerrainTexture, TheBmpHoldsTheGradientColourOfEveryHeightRowZeroFirst) {
    std::filesystem::create_directory("../data");
    const float values[2][5] = {{-20.0f, -15.0f, 1.25f, 2.25f, 15.0f},
                                {20.0f, 1.75f, 8.625f, -6.875f, 100.0f}};
    const int colours[2][5][3] = {
        {{0, 0, 255}, {0, 0, 255}, {128, 128, 128}, {224, 224, 0}, {32, 160, 0}},
        {{32, 160, 0}, {176, 176, 64}, {128, 192, 0}, {64, 64, 191}, {32, 160, 0}}};
    noise::utils::NoiseMap& map = noiseTerrain.heightMap;
    map.SetSize(5, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            map.SetValue(x, y, values[y][x]);
        }
    }
    noiseTerrain.generateTexture();
    const std::vector<unsigned char> bmp = readFile("../data/terrainTex.bmp");
    ASSERT_EQ(bmp.size(), 54u + 2 * 16);  // rows of 15 bytes padded to 16
    EXPECT_TRUE(bmp[0] == 'B' && bmp[1] == 'M' && bmp[10] == 54 && bmp[18] == 5 && bmp[22] == 2 &&
                bmp[28] == 24 && bmp[30] == 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            const unsigned char* bgr = &bmp[54 + 16 * y + 3 * x];
            for (int c = 0; c < 3; ++c) {
                // Between two points a channel blends linearly; the points themselves are exact.
                EXPECT_NEAR(bgr[2 - c], colours[y][x][c], y == 1 && x >= 1 && x <= 3 ? 1 : 0)
                    << "pixel " << x << ", " << y << " channel " << c;
            }
        }
    }
    noiseTerrain.generateTexture();
    EXPECT_EQ(readFile("../data/terrainTex.bmp"), bmp);  // the gradient does not accumulate

#ifndef _WIN32  // Windows has no FIFO.
    // A FIFO in its place would block the writer: refused like an unwritable file.
    unlink("../data/terrainTex.bmp");
    ASSERT_EQ(mkfifo("../data/terrainTex.bmp", 0600), 0);
    EXPECT_THROW(noiseTerrain.generateTexture(), noise::ExceptionUnknown);
    unlink("../data/terrainTex.bmp");
#endif
    randomiseLandscape(noiseTerrain);
}
