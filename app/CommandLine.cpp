#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* usageLine = "Usage: kelmora [--batched] [-display DISPLAY]\n";

void printHelp() {
    std::printf("%s", usageLine);
    std::printf(
        "Fly through a landscape generated from coherent noise, shown as a field of lit\n"
        "blocks in an OpenGL 2.0 window.\n"
        "\n"
        "      --batched  draw the chosen blocks in a few large draws per frame instead of\n"
        "                 one draw each: the same blocks and picture, many times faster\n"
        "      --help     display this help and exit\n"
        "      --version  output version information and exit\n"
        "\n"
        "Mouse: turn.  W/S or up/down: walk.  A/D or left/right: step aside.\n"
        "Q/Z: rise/sink.  V (held): distant blocks as lines.\n"
        "1 to 6: new landscape at grid size 128, 64, 48, 32, 16 or 4.\n"
        "f/g: Phong shader / fixed-function pipeline.  Esc: quit.\n"
        "\n"
        "Other arguments go to freeglut.  See kelmora(1) for the files and the console.\n");
}

void printVersion() {
    std::printf(
        "kelmora %s\n"
        "Copyright (c) 2026 The Kelmora developers.\n"
        "License: MIT; the noiseutils library built into it: LGPL-2.1-or-later.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n",
        KELMORA_VERSION);
}

}  // namespace

CommandLine readCommandLine(int& argc, char** argv) {
    CommandLine options;
    int kept = 1;
    bool optionsEnded = false;
    for (int n = 1; n < argc; ++n) {
        const char* argument = argv[n];
        if (optionsEnded || std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
            argv[kept++] = argv[n];
            continue;
        }
        if (std::strcmp(argument, "--batched") == 0) {
            options.batched = true;
            continue;
        }
        if (std::strcmp(argument, "--help") == 0) {
            printHelp();
            options.exitStatus = 0;
            return options;
        }
        if (std::strcmp(argument, "--version") == 0) {
            printVersion();
            options.exitStatus = 0;
            return options;
        }
        // freeglut's options have one dash; a second one is ours, and not one we know.
        if (std::strncmp(argument, "--", 2) == 0) {
            std::fprintf(stderr,
                         "kelmora: unrecognized option '%s'\n%sTry 'kelmora --help' for more "
                         "information.\n",
                         argument, usageLine);
            options.exitStatus = 2;
            return options;
        }
        argv[kept++] = argv[n];
    }
    argv[kept] = nullptr;
    argc = kept;
    return options;
}
