#include "camera/Camera.h"

#include <GL/glu.h>

#include <cmath>

#include "platform/Input.h"
#include "platform/VirtualKeys.h"

float accumulatedPitch = 0.0f;

namespace {

constexpr int centreX = 400;
constexpr int centreY = 300;
constexpr double mouseDivisor = 1000.0;
constexpr float pitchLimit = 1.0f;
constexpr float walkSpeed = 0.9f;  // float on purpose: walking moves 0.89999998 a frame
constexpr double climbStep = 0.9;  // double on purpose: Q and Z add it to the float height

}  // namespace

void Camera::place(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy,
                   float uz) {
    vPosition = Vector3(px, py, pz);
    vView = Vector3(vx, vy, vz);
    vUpVector = Vector3(ux, uy, uz);
}

void Camera::turnView(float angle, float x, float y, float z) {
    Vector3 d = vView - vPosition;
    float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    float t = 1.0f - c;

    // Each component is summed term by term in float, rounded after every term.
    Vector3 vNewView;
    vNewView.x = (c + t * x * x) * d.x;
    vNewView.x += (t * x * y - z * s) * d.y;
    vNewView.x += (t * x * z + y * s) * d.z;

    vNewView.y = (t * x * y + z * s) * d.x;
    vNewView.y += (c + t * y * y) * d.y;
    vNewView.y += (t * y * z - x * s) * d.z;

    vNewView.z = (t * x * z - y * s) * d.x;
    vNewView.z += (t * y * z + x * s) * d.y;
    vNewView.z += (c + t * z * z) * d.z;

    vView = vPosition + vNewView;
}

Vector3 Camera::rightOfView(Vector3 fallback) const {
    Vector3 vCross = cross(vView - vPosition, vUpVector);
    // A view straight up or down has no right-hand side; keep the last one found.
    if (!(length(vCross) > 0.0f)) {
        return fallback;
    }
    return normalized(vCross);
}

void Camera::mouseLook() {
    Input& input = activeInput();
    int mouseX = 0;
    int mouseY = 0;
    if (!input.readCursor(mouseX, mouseY)) {
        return;
    }
    if (mouseX == centreX && mouseY == centreY) {
        return;
    }
    input.moveCursor(centreX, centreY);

    float yawStep = static_cast<float>((centreX - mouseX) / mouseDivisor);
    float pitchStep = static_cast<float>((centreY - mouseY) / mouseDivisor);

    accumulatedPitch = accumulatedPitch - pitchStep;
    // The whole frame's movement is dropped at the limit, yaw included.
    if (accumulatedPitch > pitchLimit) {
        accumulatedPitch = pitchLimit;
        return;
    }
    if (accumulatedPitch < -pitchLimit) {
        accumulatedPitch = -pitchLimit;
        return;
    }

    Vector3 vAxis = rightOfView(vStrafe);
    turnView(pitchStep, vAxis.x, vAxis.y, vAxis.z);
    turnView(yawStep, 0.0f, 1.0f, 0.0f);
}

void Camera::walk(float speed) {
    Vector3 vDirection = vView - vPosition;
    if (!(length(vDirection) > 0.0f)) {
        return;  // eye on the look-at point: no direction to walk in
    }
    Vector3 vVector = normalized(vDirection);
    vPosition.x += vVector.x * speed;
    vPosition.z += vVector.z * speed;
    vView.x += vVector.x * speed;
    vView.z += vVector.z * speed;
}

void Camera::sidestep(float speed) {
    vPosition.x += vStrafe.x * speed;
    vPosition.z += vStrafe.z * speed;
    vView.x += vStrafe.x * speed;
    vView.z += vStrafe.z * speed;
}

void Camera::readMovementKeys() {
    Input& input = activeInput();
    if (input.isKeyHeld(vk::up) || input.isKeyHeld(vk::w)) {
        walk(walkSpeed);
    }
    if (input.isKeyHeld(vk::down) || input.isKeyHeld(vk::s)) {
        walk(-walkSpeed);
    }
    if (input.isKeyHeld(vk::left) || input.isKeyHeld(vk::a)) {
        sidestep(-walkSpeed);
    }
    if (input.isKeyHeld(vk::right) || input.isKeyHeld(vk::d)) {
        sidestep(walkSpeed);
    }
    if (input.isKeyHeld(vk::q)) {
        vPosition.y = static_cast<float>(vPosition.y + climbStep);
    }
    if (input.isKeyHeld(vk::z)) {
        vPosition.y = static_cast<float>(vPosition.y - climbStep);
    }
}

void Camera::update() {
    vStrafe = rightOfView(vStrafe);
    mouseLook();
    readMovementKeys();
    applyView();
}

LookAt Camera::lookAt() const {
    return LookAt{vPosition.x, vPosition.y, vPosition.z, vView.x,    vView.y,
                  vView.z,     vUpVector.x, vUpVector.y, vUpVector.z};
}

void Camera::applyView() const {
    LookAt a = lookAt();
    gluLookAt(a.eyeX, a.eyeY, a.eyeZ, a.centerX, a.centerY, a.centerZ, a.upX, a.upY, a.upZ);
}
