// kelmora-texture [SIZE]: regenerates the terrain at SIZE and writes its texture image.
#include <cstdio>
#include <cstdlib>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"

namespace {

constexpr int defaultSize = 32;
constexpr const char* outputPath = "../data/terrainTex.bmp";

bool parseSize(const char* text, int& size) {
    if (text[0] == '\0') {
        return false;
    }
    int value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
        value = value * 10 + (*c - '0');
        if (value > CoherentNoiseTerrain::maxSize) {
            return false;
        }
    }
    if (value < 1) {
        return false;
    }
    size = value;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int size = defaultSize;
    if (argc > 2 || (argc == 2 && !parseSize(argv[1], size))) {
        std::fprintf(stderr, "usage: kelmora-texture [SIZE]   (SIZE a whole number from 1 to %d)\n",
                     CoherentNoiseTerrain::maxSize);
        return 2;
    }
    try {
        noiseTerrain.setSize(size);
        randomiseLandscape(noiseTerrain);
        noiseTerrain.generateTexture();
    } catch (const noise::Exception&) {
        std::fprintf(stderr, "kelmora-texture: cannot write %s\n", outputPath);
        return 1;
    }
    std::printf("%s\n", outputPath);
    return 0;
}
