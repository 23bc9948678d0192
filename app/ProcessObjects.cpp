// The process-wide objects with constructors, all in this one file. Their order here is their
// construction order: the block terrain's constructor regenerates noiseTerrain and sizes its
// slot arrays from it, so the terrain source must exist first. At exit they are destroyed in
// the reverse order.
#include "generation/CoherentNoiseTerrain.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"
#include "terrain/Frustum.h"

CoherentNoiseTerrain noiseTerrain(32);
Frustum frustum;
BlockTerrain blockTerrain;
// Holds nothing until the viewer draws in batches.
BatchedRenderer batchedRenderer;
