#pragma once

// A point or direction in world space; every component stays single precision.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

    Vector3 operator+(Vector3 b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
    Vector3 operator-(Vector3 b) const { return Vector3(x - b.x, y - b.y, z - b.z); }
    Vector3 operator/(float s) const { return Vector3(x / s, y / s, z / s); }
};

Vector3 cross(Vector3 a, Vector3 b);
float length(Vector3 v);
Vector3 normalized(Vector3 v);
