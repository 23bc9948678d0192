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

    // The heights each run of consecutive filled blocks of a column fills, from its lowest
    // block's y - 1 to its highest block's y + 1; a column with more runs than are kept says so.
    struct Runs {
        static constexpr int kept = 4;
        int count;
        float low[kept];
        float high[kept];
        bool tooMany() const { return count > kept; }
    };

    void operator()(float, float y, float, int column, int k, BlockDraw draw) {
        const uint64_t bit = uint64_t{1} << k;
        if (draw == BlockDraw::filled) {
            // The loop walks a column's blocks upwards: a block goes on the run below it or
            // starts one.
            Runs& runs = filledRuns[column];
            if (k > 0 && (filled[column] & bit >> 1) != 0 && !runs.tooMany()) {
                runs.high[runs.count - 1] = y + 1.0f;
            } else if (runs.count < Runs::kept) {
                runs.low[runs.count] = y - 1.0f;
                runs.high[runs.count] = y + 1.0f;
                ++runs.count;
            } else {
                runs.count = Runs::kept + 1;
            }
            filled[column] |= bit;
        } else if (draw == BlockDraw::lines) {
            lines[column] |= bit;
        }
    }

    std::unique_ptr<uint64_t[]> filled;
    std::unique_ptr<uint64_t[]> lines;
    std::unique_ptr<Runs[]> filledRuns;

private:
    int capacity = 0;
};
