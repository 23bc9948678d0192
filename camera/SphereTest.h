#pragma once

// True when the truncated distance between the centres is at most r1 + r2.
bool spheresOverlap(int x1, int y1, int z1, int r1, int x2, int y2, int z2, int r2);
