#pragma once

#include <GL/gl.h>

class Camera;

// true: terrain drawn with the Phong program; false: with the fixed-function pipeline.
extern bool glslEnabled;
// Grid size last chosen by a key, as the overlay shows it.
extern int meshSize;
// Passed to glPolygonMode at start-up and every frame; stays GL_FILL.
extern GLenum polygonMode;
// true: the chosen blocks are drawn in batches (--batched) rather than one draw each.
extern bool batchedDrawing;
// The one camera, created on the heap at start-up and never destroyed.
extern Camera* camera;
