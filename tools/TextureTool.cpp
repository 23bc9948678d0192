// kelmora-texture [SIZE]: regenerates the terrain at SIZE and writes its texture image.
#include <cstdio>
#include <cstring>

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

constexpr const char* usageLine = "Usage: kelmora-texture [SIZE]\n";

void printHelp() {
    std::printf("%s", usageLine);
    std::printf(
        "Generate the terrain of the current second on a SIZE by SIZE grid (default 32)\n"
        "and write it, coloured by height, to %s as a 24-bit BMP.\n"
        "SIZE is a whole number from 1 to %d.\n"
        "\n"
        "      --help     display this help and exit\n"
        "      --version  output version information and exit\n"
        "\n"
        "Exit status: 0 when the picture is written, 1 when it cannot be written,\n"
        "2 for a bad argument.\n",
        outputPath, CoherentNoiseTerrain::maxSize);
}

void printVersion() {
    std::printf(
        "kelmora-texture (Kelmora) %s\n"
        "Copyright (c) 2026 The Kelmora developers.\n"
        "License: MIT; the noiseutils library built into it: LGPL-2.1-or-later.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n",
        KELMORA_VERSION);
}

int usageError(const char* argument) {
    std::fprintf(stderr, "kelmora-texture: invalid argument '%s'\n%s", argument, usageLine);
    std::fprintf(stderr, "SIZE is a whole number from 1 to %d. Try 'kelmora-texture --help'.\n",
                 CoherentNoiseTerrain::maxSize);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int size = defaultSize;
    for (int n = 1; n < argc; ++n) {
        if (std::strcmp(argv[n], "--help") == 0) {
            printHelp();
            return 0;
        }
        if (std::strcmp(argv[n], "--version") == 0) {
            printVersion();
            return 0;
        }
    }
    if (argc > 2) {
        return usageError(argv[2]);
    }
    if (argc == 2 && !parseSize(argv[1], size)) {
        return usageError(argv[1]);
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
