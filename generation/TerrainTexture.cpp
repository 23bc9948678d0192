#include "generation/CoherentNoiseTerrain.h"

#include <sys/stat.h>

namespace {

struct GradientPoint {
    double position;
    noise::uint8 red, green, blue, alpha;
};

// Added highest first; the gradient sorts them by position.
constexpr GradientPoint gradient[] = {
    {15.0, 32, 160, 0, 255},
    {2.25, 224, 224, 0, 255},
    {1.25, 128, 128, 128, 255},
    {-15.0, 0, 0, 255, 255},
};

constexpr const char* texturePath = "../data/terrainTex.bmp";

}  // namespace

void CoherentNoiseTerrain::generateTexture() { writeTexture(texturePath); }

void CoherentNoiseTerrain::writeTexture(const char* path) {
    textureRenderer.SetSourceNoiseMap(heightMap);
    textureRenderer.SetDestImage(textureImage);

    textureRenderer.ClearGradient();
    for (const GradientPoint& point : gradient) {
        textureRenderer.AddGradientPoint(
            point.position, noise::utils::Color(point.red, point.green, point.blue, point.alpha));
    }
    textureRenderer.Render();

    // Opening a FIFO for writing blocks until a reader comes: only a regular file, or none yet,
    // may be replaced. Anything else fails as an unwritable file does.
    struct stat status;
    if (stat(path, &status) == 0 && !S_ISREG(status.st_mode)) {
        throw noise::ExceptionUnknown();
    }

    noise::utils::WriterBMP writer;
    writer.SetSourceImage(textureImage);
    writer.SetDestFilename(path);
    writer.WriteDestFile();
}
