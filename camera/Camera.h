#pragma once

#include "camera/Vector3.h"

// Mouse pitch applied so far, in radians; only mouse look reads or changes it.
extern float accumulatedPitch;

// The nine gluLookAt arguments, each float component widened to double.
struct LookAt {
    double eyeX, eyeY, eyeZ;
    double centerX, centerY, centerZ;
    double upX, upY, upZ;
};

// The first-person eye, steered once per frame by the mouse and the movement keys.
class Camera {
public:
    Vector3 vPosition;
    Vector3 vView;  // look-at point, not a direction
    Vector3 vUpVector;
    Vector3 vStrafe;

    Camera() = default;

    void place(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy,
               float uz);
    void turnView(float angle, float x, float y, float z);
    void mouseLook();
    void walk(float speed);
    void sidestep(float speed);
    void readMovementKeys();
    void update();
    void applyView() const;
    LookAt lookAt() const;

    float positionX() const { return vPosition.x; }
    float positionY() const { return vPosition.y; }
    float positionZ() const { return vPosition.z; }

private:
    Vector3 rightOfView(Vector3 fallback) const;
};
