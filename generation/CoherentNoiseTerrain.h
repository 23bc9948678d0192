#pragma once

#include <noise/noise.h>
#include <noiseutils.h>

#include "generation/DefMethod.h"

// Column heights sampled from a clock-seeded graph of coherent-noise modules.
class CoherentNoiseTerrain : public DefMethod {
public:
    static constexpr int maxSize = 512;

    float heights[maxSize * maxSize];  // column (i, j) at i + j * size
    int size;
    int seed;
    noise::module::RidgedMulti mountainNoise;
    noise::module::Billow plainsNoise;
    noise::module::ScaleBias plainsHeight;
    noise::module::Perlin controlNoise;
    noise::module::Select terrainSelect;
    noise::utils::NoiseMap heightMap;
    noise::utils::NoiseMapBuilderPlane heightMapBuilder;
    noise::utils::RendererImage textureRenderer;
    noise::utils::Image textureImage;

    explicit CoherentNoiseTerrain(int size);
    CoherentNoiseTerrain(const CoherentNoiseTerrain&) = delete;
    CoherentNoiseTerrain& operator=(const CoherentNoiseTerrain&) = delete;

    // Raises noise::ExceptionInvalidParam for a size outside 1 to 512, before anything changes.
    void randomise(double octaveCount, double plainsFrequency, double controlFrequency,
                   double controlPersistence, double lowerX, double upperX, double lowerZ,
                   double upperZ);
    int getSize() const { return size; }
    void setSize(int newSize) { size = newSize; }

    void generateTexture() override;
    // Raises noise::ExceptionUnknown when the file cannot be written.
    void writeTexture(const char* path);
};

// The one terrain source; the block terrain reads its heights every frame.
extern CoherentNoiseTerrain noiseTerrain;
