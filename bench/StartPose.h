#pragma once

#include "camera/Camera.h"

// The pose the viewer starts in (eye at 50, 120, 250 looking toward 0, 0, -1, y up), with no
// mouse pitch applied yet: every benchmark frame is drawn from here.
inline void placeAtStartPose(Camera& camera) {
    camera.place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    accumulatedPitch = 0.0f;
}
