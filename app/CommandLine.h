#pragma once

// The viewer's own options, taken out of the command line before the rest goes to freeglut.
struct CommandLine {
    bool batched = false;
    // Set when the program is to end at once with this status (after --help, --version or a
    // usage error, whose text is already written).
    int exitStatus = -1;
};

// Reads and removes --batched; answers --help and --version on standard output, and an
// unknown long option with a usage error on standard error. Other arguments stay for freeglut.
CommandLine readCommandLine(int& argc, char** argv);
