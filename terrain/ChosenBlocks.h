#pragma once

#include <cstdint>
#include <memory>

#include "terrain/BlockRules.h"

// Which blocks of each column the block loop drew filled, and which as lines, in one frame: a
// bit per layer, columns in the loop's order (i * side + j). It is the loop's visitor.
class ChosenBlocks {
public:
    static constexpr int maxLayers = 64;

    // Room for grids of up to `maxColumns` columns.
    void reserve(int maxColumns);
    bool fits(int columns, int layers) const {
        return columns <= capacity && layers >= 0 && layers <= maxLayers;
    }
    // Forgets the last frame's choice; the next walks `columns` columns.
    void clear(int columns);

    void operator()(float, float, float, int column, int k, BlockDraw draw) {
        const uint64_t bit = uint64_t{1} << k;
        if (draw == BlockDraw::filled) {
            filled[column] |= bit;
        } else if (draw == BlockDraw::lines) {
            lines[column] |= bit;
        }
    }

    std::unique_ptr<uint64_t[]> filled;
    std::unique_ptr<uint64_t[]> lines;

private:
    int capacity = 0;
};
