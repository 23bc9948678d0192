#pragma once

#include "generation/CoherentNoiseTerrain.h"

// Regenerates with the viewer's landscape: 10 control octaves, plains frequency 2.0, control
// frequency 0.4 and persistence 0.25, over x 10 to 20 and z 7 to 25 of the noise plane.
inline void randomiseLandscape(CoherentNoiseTerrain& terrain) {
    terrain.randomise(10.0, 2.0, 0.4, 0.25, 10.0, 20.0, 7.0, 25.0);
}
