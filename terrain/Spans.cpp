#include "terrain/Spans.h"

void Spans::add(float newLow, float newHigh) {
    if (!(newLow < newHigh) || overflowed) {
        return;
    }
    // The intervals before the new one stay; those it meets are folded into it.
    int first = 0;
    while (first < count && high[first] < newLow) {
        ++first;
    }
    int last = first;
    while (last < count && low[last] <= newHigh) {
        newLow = low[last] < newLow ? low[last] : newLow;
        newHigh = high[last] > newHigh ? high[last] : newHigh;
        ++last;
    }
    const int shift = 1 - (last - first);
    if (count + shift > capacity) {
        overflowed = true;
        return;
    }
    if (shift > 0) {
        for (int n = count - 1; n >= last; --n) {
            low[n + shift] = low[n];
            high[n + shift] = high[n];
        }
    } else if (shift < 0) {
        for (int n = last; n < count; ++n) {
            low[n + shift] = low[n];
            high[n + shift] = high[n];
        }
    }
    low[first] = newLow;
    high[first] = newHigh;
    count += shift;
}

void Spans::subtract(const Spans& other) {
    if (other.overflowed || other.count == 0) {
        return;
    }
    Spans left;
    for (int n = 0; n < count; ++n) {
        float from = low[n];
        for (int m = 0; m < other.count && from < high[n]; ++m) {
            if (other.high[m] <= from || other.low[m] >= high[n]) {
                continue;
            }
            left.add(from, other.low[m]);
            from = other.high[m];
        }
        left.add(from, high[n]);
    }
    left.overflowed = left.overflowed || overflowed;
    *this = left;
}

bool Spans::holdsInside(float t) const {
    for (int n = 0; n < count; ++n) {
        if (low[n] < t && t < high[n]) {
            return true;
        }
    }
    return false;
}
