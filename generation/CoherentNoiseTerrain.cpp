#include "generation/CoherentNoiseTerrain.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr double plainsScale = 0.8;
constexpr double plainsBias = 15.0;
constexpr double selectLower = 0.0;
constexpr double selectUpper = 1000.0;
constexpr double selectFalloff = 0.125;

}  // namespace

// heights is left alone: the process-wide object starts zero-filled.
CoherentNoiseTerrain::CoherentNoiseTerrain(int size) : size(size), seed(0) {}

void CoherentNoiseTerrain::randomise(double octaveCount, double plainsFrequency,
                                     double controlFrequency, double controlPersistence,
                                     double lowerX, double upperX, double lowerZ, double upperZ) {
    // A size beyond the fixed array would write past heights; refuse it before anything changes.
    if (size < 1 || size > maxSize) {
        throw noise::ExceptionInvalidParam();
    }

    srand(static_cast<unsigned int>(time(nullptr)));
    seed = rand();

    mountainNoise.SetSeed(seed);
    plainsNoise.SetSeed(seed);
    controlNoise.SetSeed(seed);

    plainsNoise.SetFrequency(plainsFrequency);

    plainsHeight.SetSourceModule(0, plainsNoise);
    plainsHeight.SetScale(plainsScale);
    plainsHeight.SetBias(plainsBias);

    controlNoise.SetOctaveCount(static_cast<int>(octaveCount));
    controlNoise.SetFrequency(controlFrequency);
    controlNoise.SetPersistence(controlPersistence);

    terrainSelect.SetSourceModule(0, plainsHeight);
    terrainSelect.SetSourceModule(1, mountainNoise);
    terrainSelect.SetControlModule(controlNoise);
    terrainSelect.SetBounds(selectLower, selectUpper);
    terrainSelect.SetEdgeFalloff(selectFalloff);

    heightMapBuilder.SetSourceModule(terrainSelect);
    heightMapBuilder.SetDestNoiseMap(heightMap);
    heightMapBuilder.SetDestSize(size, size);
    heightMapBuilder.SetBounds(lowerX, upperX, lowerZ, upperZ);
    heightMapBuilder.Build();

    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            heights[i + j * size] = heightMap.GetValue(i, j);
        }
    }
}
