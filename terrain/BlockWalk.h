#pragma once

#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"
#include "terrain/CubeBatchCulling.h"
#include "terrain/FieldBounds.h"
#include "terrain/Frustum.h"

// The block loop's decisions, shared by every way of drawing the chosen blocks: included only by
// the renderers, which instantiate the walk with what they do with each block.

namespace blockwalk {

constexpr float cullHalfSize = 4.0f;

// Every position this frame can cull by or draw at: the remembered slots it reads, and the
// blocks of the current grid, which overwrite them as they pass.
inline FieldBounds frameBounds(const BlockTerrain& terrain) {
    const int size = noiseTerrain.getSize();
    float lowest = noiseTerrain.heights[0];
    float highest = lowest;
    for (int column = 1; column < size * size; ++column) {
        const float height = noiseTerrain.heights[column];
        lowest = height < lowest ? height : lowest;
        highest = height > highest ? height : highest;
    }
    const int slotsRead = static_cast<int>(highestSlot(size, terrain.layers)) + 1;
    FieldBounds bounds =
        slotBounds(terrain.posX.get(), terrain.posY.get(), terrain.posZ.get(), slotsRead);
    const float lastColumn = static_cast<float>(size - 1);
    bounds.include(0.0f, lowest, 0.0f);
    bounds.include(lastColumn, blockY(highest, terrain.layers - 1), lastColumn);
    return bounds;
}

// The scalar test for the last few slots of a column, as bits like CubeBatchCulling's.
inline unsigned cubesInView(const BlockTerrain& terrain, int first, int count) {
    unsigned passed = 0;
    for (int n = 0; n < count; ++n) {
        const int slot = first + n;
        if (frustum.cubeInFrustum(terrain.posX[slot], terrain.posY[slot], terrain.posZ[slot],
                                  cullHalfSize)) {
            passed |= 1u << n;
        }
    }
    return passed;
}

}  // namespace blockwalk

// i outermost, then j, then k: a block is culled by its slot's remembered position, the slot
// then takes the block's own, and `visit` gets (x, y, z, column i * side + j, k, how to draw).
template <typename Visit>
inline void BlockTerrain::walkBlocks(Camera* camera, Visit& visit) {
    using blockwalk::cullHalfSize;
    // Every cube in view is a whole-frame answer that spares the per-block test.
    const FieldBounds bounds = blockwalk::frameBounds(*this);
    const bool cullsNothing = frustum.everyCubeInFrustum(bounds.low, bounds.high, cullHalfSize);
    const CubeBatchCulling cubeTest(frustum, cullHalfSize);
    const int eyeX = truncateToInt(camera->positionX());
    const int eyeZ = truncateToInt(camera->positionZ());
    column.eyeY = truncateToInt(camera->positionY());
    column.vHeld = -1;

    // The side is read at every test: the terrain source owns it.
    for (int i = 0; i < noiseTerrain.getSize(); ++i) {
        for (int j = 0; j < noiseTerrain.getSize(); ++j) {
            const int size = noiseTerrain.getSize();
            const float height = noiseTerrain.heights[j * size + i];
            const int base = slotIndex(i, j, 0, size);
            const int columnIndex = i * size + j;
            const float x = static_cast<float>(i);
            const float z = static_cast<float>(j);
            column.active = true;
            column.nearBudget = columnNearBudget(i, j, eyeX, eyeZ);
            // A column's slots are its own within the column, so all of them can be read
            // before any is written: four at a time. Culled by the slot's remembered position,
            // which blocks of other columns share.
            for (int k = 0; k < this->layers; k += 4) {
                const int count = this->layers - k < 4 ? this->layers - k : 4;
                const int first = base + k;
                unsigned passed = 0xF;
                if (!cullsNothing) {
                    passed = count == 4 ? cubeTest.test(&posX[first], &posY[first], &posZ[first])
                                        : blockwalk::cubesInView(*this, first, count);
                }
                // Far from the eye with V released, a block draws nothing whatever its height:
                // it only takes its slot.
                const bool plain = column.nearBudget < 0 && column.vHeld == 0;
                for (int n = 0; n < count; ++n) {
                    if ((passed & (1u << n)) != 0) {
                        const float y = blockY(height, k + n);
                        rememberBlock(x, y, z, base + k + n);
                        visit(x, y, z, columnIndex, k + n,
                              plain ? BlockDraw::none : drawFor(x, y, z, camera));
                    }
                }
            }
        }
    }
    column.active = false;
}
