#pragma once

// A set of closed intervals of height, kept sorted and apart. A set that would need more than it
// holds marks itself overflowed, and its users then take it as hiding nothing.
class Spans {
public:
    static constexpr int capacity = 16;

    // Adds [low, high], joining the intervals it meets or touches.
    void add(float low, float high);
    // Takes every point of `other` away; the pieces left keep their ends.
    void subtract(const Spans& other);
    // Whether one interval holds `t` strictly inside.
    bool holdsInside(float t) const;

    int count = 0;
    bool overflowed = false;
    float low[capacity];
    float high[capacity];
};
