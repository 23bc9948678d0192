#include "camera/Vector3.h"

#include <cmath>

Vector3 cross(Vector3 a, Vector3 b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float length(Vector3 v) {
    // The sum is rounded to float before the root; the root is taken in double.
    float sum = v.x * v.x + v.y * v.y + v.z * v.z;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

Vector3 normalized(Vector3 v) {
    return v / length(v);
}
