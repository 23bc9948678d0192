#include "terrain/ChosenBlocks.h"

#include <algorithm>

void ChosenBlocks::reserve(int maxColumns) {
    capacity = maxColumns;
    filled.reset(new uint64_t[maxColumns]());
    lines.reset(new uint64_t[maxColumns]());
    filledRuns.reset(new Runs[maxColumns]());
}

void ChosenBlocks::clear(int columns) {
    std::fill(filled.get(), filled.get() + columns, uint64_t{0});
    std::fill(lines.get(), lines.get() + columns, uint64_t{0});
    for (int column = 0; column < columns; ++column) {
        filledRuns[column].count = 0;
    }
}
