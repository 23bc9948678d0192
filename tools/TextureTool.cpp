// kelmora-texture [-o FILE] [SIZE]: regenerates the terrain at SIZE and writes its texture image.
#include <cstdio>
#include <cstring>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"

namespace {

constexpr int defaultSize = 32;
// Where the viewer's data folder is when run from a folder beside it, as in the source tree.
constexpr const char* defaultOutput = "../data/terrainTex.bmp";

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

constexpr const char* usageLine = "Usage: kelmora-texture [-o FILE] [SIZE]\n";

void printHelp() {
    std::printf("%s", usageLine);
    std::printf(
        "Generate the terrain of the current second on a SIZE by SIZE grid (default 32)\n"
        "and write it, coloured by height, as a 24-bit BMP.\n"
        "SIZE is a whole number from 1 to %d.\n"
        "\n"
        "  -o, --output=FILE  write the picture to FILE (default %s)\n"
        "      --help         display this help and exit\n"
        "      --version      output version information and exit\n"
        "\n"
        "Exit status: 0 when the picture is written, 1 when it cannot be written,\n"
        "2 for a bad argument.\n",
        CoherentNoiseTerrain::maxSize, defaultOutput);
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

// The command line; --help and --version win wherever they stand, else the first bad argument.
struct Arguments {
    void (*action)() = nullptr;
    const char* output = defaultOutput;
    const char* size = nullptr;
    const char* bad = nullptr;
    bool missingValue = false;  // bad is an option without its value
};

Arguments parseArguments(int argc, char** argv) {
    Arguments parsed;
    auto fault = [&parsed](const char* argument, bool missingValue) {
        if (parsed.bad == nullptr) {
            parsed.bad = argument;
            parsed.missingValue = missingValue;
        }
    };
    bool options = true;
    for (int n = 1; n < argc; ++n) {
        const char* argument = argv[n];
        if (!options || argument[0] != '-' || argument[1] == '\0') {
            if (parsed.size != nullptr) {
                fault(argument, false);
            }
            parsed.size = argument;
        } else if (std::strcmp(argument, "--") == 0) {
            options = false;
        } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "--version") == 0) {
            if (parsed.action == nullptr) {
                parsed.action = argument[2] == 'h' ? printHelp : printVersion;
            }
        } else if (std::strcmp(argument, "-o") == 0 || std::strcmp(argument, "--output") == 0) {
            if (n + 1 < argc) {
                parsed.output = argv[++n];
            } else {
                fault(argument, true);
            }
        } else if (std::strncmp(argument, "--output=", 9) == 0) {
            parsed.output = argument + 9;
        } else if (argument[1] == 'o') {
            parsed.output = argument + 2;  // -oFILE
        } else {
            fault(argument, false);
        }
    }
    return parsed;
}

int usageError(const Arguments& parsed) {
    if (parsed.missingValue) {
        std::fprintf(stderr, "kelmora-texture: option '%s' requires an argument\n", parsed.bad);
    } else {
        std::fprintf(stderr, "kelmora-texture: invalid argument '%s'\n", parsed.bad);
    }
    std::fprintf(stderr, "%sSIZE is a whole number from 1 to %d. Try 'kelmora-texture --help'.\n",
                 usageLine, CoherentNoiseTerrain::maxSize);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments parsed = parseArguments(argc, argv);
    if (parsed.action != nullptr) {
        parsed.action();
        return 0;
    }
    int size = defaultSize;
    if (parsed.bad == nullptr && parsed.size != nullptr && !parseSize(parsed.size, size)) {
        parsed.bad = parsed.size;
    }
    if (parsed.bad != nullptr) {
        return usageError(parsed);
    }
    try {
        noiseTerrain.setSize(size);
        randomiseLandscape(noiseTerrain);
        noiseTerrain.writeTexture(parsed.output);
    } catch (const noise::Exception&) {
        std::fprintf(stderr,
                     "kelmora-texture: cannot write %s: its folder must exist and be writable "
                     "(choose the file with -o FILE)\n",
                     parsed.output);
        return 1;
    }
    std::printf("%s\n", parsed.output);
    return 0;
}
