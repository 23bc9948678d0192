#include "terrain/BlockTerrain.h"

#include <cstdio>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"
#include "terrain/BlockRules.h"

BlockTerrain::BlockTerrain() {
    randomiseLandscape(noiseTerrain);
    vertexBuffer = 0;
    indexBuffer = 0;
    side = noiseTerrain.getSize();
    minDrawHeight = 14.0f;
    layers = 32;
    allocateSlots();
}

void BlockTerrain::allocateSlots() {
    const int capacity = slotCapacity();
    posX.reset(new float[capacity]());
    posY.reset(new float[capacity]());
    posZ.reset(new float[capacity]());
}

bool BlockTerrain::rebuild(int newSide) {
    if (newSide < 1 || newSide > CoherentNoiseTerrain::maxSize ||
        highestSlot(newSide, layers) >= slotCapacity()) {
        std::printf("Grid size %d refused: its blocks do not fit the %d block slots\n", newSide,
                    slotCapacity());
        std::fflush(stdout);
        return false;
    }
    posX.reset();
    posY.reset();
    posZ.reset();
    noiseTerrain.setSize(newSide);
    randomiseLandscape(noiseTerrain);
    allocateSlots();
    return true;
}
