#include "terrain/BatchBuilder.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "terrain/BlockRules.h"
#include "terrain/ChosenBlocks.h"
#include "terrain/Spans.h"
#include "terrain/VertexChunks.h"

namespace {

// A face is left out as facing away only when the eye is this far behind its plane: nearer,
// the rounding of its corners might still turn it towards the eye.
constexpr float facingMargin = 1.0f / 16.0f;
// Half the side of the box around a block that holds every block whose inside can hide a part
// of one of its faces (those of the cells around it, up to two units up or down).
constexpr float coverReach = 4.0f;

bool has(uint64_t blocks, int k) {
    return k >= 0 && k < 64 && ((blocks >> k) & 1) != 0;
}

// Each run of consecutive blocks fills from the lowest one's y - 1 to the highest one's y + 1.
void addRuns(Spans& spans, uint64_t blocks, float height) {
    while (blocks != 0) {
        const int first = __builtin_ctzll(blocks);
        const uint64_t rest = ~(blocks >> first);
        const int length = rest == 0 ? 64 : __builtin_ctzll(rest);
        spans.add(blockY(height, first) - 1.0f, blockY(height, first + length - 1) + 1.0f);
        const int end = first + length;
        blocks = end >= 64 ? 0 : blocks & ~((uint64_t{1} << end) - 1);
    }
}

// What a column's runs of filled blocks fill, as the block loop's walk kept them; a column with
// too many to keep adds nothing, so it hides nothing.
void addKept(Spans& spans, const ChosenBlocks::Runs& runs) {
    for (int n = 0; n < runs.count && !runs.tooMany(); ++n) {
        spans.add(runs.low[n], runs.high[n]);
    }
}

// Whether some point of the box of half-side coverReach around `centre` lies within the near
// plane's reach of the eye.
bool coverNearEye(const BatchView& view, const float* centre) {
    float squared = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float below = centre[axis] - coverReach - view.eye[axis];
        const float above = view.eye[axis] - (centre[axis] + coverReach);
        const float gap = below > 0.0f ? below : above > 0.0f ? above : 0.0f;
        squared += gap * gap;
    }
    return squared < view.nearReach * view.nearReach;
}

}  // namespace

BatchView viewFromProjection(const float* p, float eyeX, float eyeY, float eyeZ) {
    BatchView view = {{eyeX, eyeY, eyeZ}, false, 0.0f};
    for (int n : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) {
        if (p[n] != 0.0f) {
            return view;
        }
    }
    if (!(p[0] > 0.0f && p[5] > 0.0f && p[10] < -1.0f && p[11] == -1.0f && p[14] < 0.0f)) {
        return view;
    }
    // gluPerspective's matrix: the near distance, and the half-widths of the view at depth 1.
    const double near = static_cast<double>(p[14]) / (static_cast<double>(p[10]) - 1.0);
    const double tanX = 1.0 / p[0];
    const double tanY = 1.0 / p[5];
    // A little beyond the near rectangle's corners, for the matrix's rounding.
    view.nearReach = static_cast<float>(1.05 * near * std::sqrt(1.0 + tanX * tanX + tanY * tanY));
    view.dropFaces = std::isfinite(view.nearReach);
    return view;
}

struct BatchBuilder::Frame {
    const ChosenBlocks& chosen;
    const float* heights;
    int side;
    const BatchView& view;

    bool inside(int i, int j) const { return i >= 0 && j >= 0 && i < side && j < side; }
    uint64_t filled(int i, int j) const { return inside(i, j) ? chosen.filled[i * side + j] : 0; }
    void addRunsOf(Spans& spans, int i, int j) const {
        if (inside(i, j)) {
            addKept(spans, chosen.filledRuns[i * side + j]);
        }
    }
    float height(int i, int j) const { return heights[j * side + i]; }
    bool facingAway(float plane, int axis, bool outward) const {
        const float inFront = outward ? view.eye[axis] - plane : plane - view.eye[axis];
        return view.dropFaces && inFront < -facingMargin;
    }
};

// Hands out room for one quad at a time, drawing each chunk as it fills.
class BatchBuilder::QuadWriter {
public:
    explicit QuadWriter(VertexChunks& out)
        : out(out), perChunk(out.capacity() / 4), room(out.open()) {}
    BatchVertex* next() {
        if (quads == perChunk) {
            out.close(4 * quads);
            written += quads;
            quads = 0;
            room = out.open();
        }
        return room + 4 * quads++;
    }
    long finish() {
        out.close(4 * quads);
        return written + quads;
    }

private:
    VertexChunks& out;
    const int perChunk;
    BatchVertex* room;
    int quads = 0;
    long written = 0;
};

BatchBuilder::BatchBuilder(const CubeVertex* cube, const unsigned char* indices) {
    for (int v = 0; v < 24; ++v) {
        const CubeVertex& from = cube[v];
        auto byte = [](float channel) {
            return static_cast<unsigned char>(std::lround(channel * 255.0f));
        };
        corners[v] = {from.x,  from.y,  from.z,       from.s,       from.t,       from.nx,
                      from.ny, from.nz, byte(from.r), byte(from.g), byte(from.b), byte(from.a)};
    }
    for (int f = 0; f < 6; ++f) {
        const float normal[3] = {corners[4 * f].nx, corners[4 * f].ny, corners[4 * f].nz};
        normalAxis[f] = normal[0] != 0.0f ? 0 : normal[1] != 0.0f ? 1 : 2;
        outward[f] = normal[normalAxis[f]] > 0.0f;
    }
    // Every face's triangles run over its four corners alike.
    for (int n = 0; n < 6; ++n) {
        pattern[n] = indices[n];
    }

    auto same = [this](int a, int b, float dy) {
        return corners[a].x == corners[b].x && corners[a].y == corners[b].y + dy &&
               corners[a].z == corners[b].z;
    };
    auto sameEdge = [&same](int a, int b, int c, int d, float dy) {
        return (same(a, c, dy) && same(b, d, dy)) || (same(a, d, dy) && same(b, c, dy));
    };
    // Segments from a vertex to itself draw nothing; of two along one edge, the later one is
    // drawn over the earlier.
    for (int n = 0; n < 36; n += 2) {
        const int a = indices[n];
        const int b = indices[n + 1];
        bool drawnAgain = same(a, b, 0.0f);
        for (int m = n + 2; m < 36 && !drawnAgain; m += 2) {
            drawnAgain = sameEdge(a, b, indices[m], indices[m + 1], 0.0f);
        }
        if (!drawnAgain) {
            segments[segmentCount].from = static_cast<unsigned char>(a);
            segments[segmentCount].to = static_cast<unsigned char>(b);
            ++segmentCount;
        }
    }
    for (int n = 0; n < segmentCount; ++n) {
        Segment& segment = segments[n];
        const BatchVertex& from = corners[segment.from];
        const BatchVertex& to = corners[segment.to];
        segment.upright = from.x == to.x && from.z == to.z;
        // The block two layers up, drawn later, has bottom edges where this one has top edges.
        segment.redrawnAbove = false;
        for (int m = 0; m < segmentCount; ++m) {
            segment.redrawnAbove =
                segment.redrawnAbove ||
                sameEdge(segment.from, segment.to, segments[m].from, segments[m].to, 2.0f);
        }
    }
}

void BatchBuilder::wholeFaces(const Frame& frame, const float* centre, QuadWriter& quads) const {
    for (int f = 0; f < 6; ++f) {
        const BatchVertex* corner = &corners[4 * f];
        const float offset[3] = {corner->x, corner->y, corner->z};
        const int axis = normalAxis[f];
        if (frame.facingAway(centre[axis] + offset[axis], axis, outward[f])) {
            continue;  // back-face culling would drop it
        }
        BatchVertex* quad = quads.next();
        for (int m = 0; m < 4; ++m) {
            quad[m] = corner[m];
            quad[m].x = centre[0] + corner[m].x;
            quad[m].y = centre[1] + corner[m].y;
            quad[m].z = centre[2] + corner[m].z;
        }
    }
}

void BatchBuilder::emitPiece(int f, const float* centre, const float* low, const float* high,
                             QuadWriter& quads) const {
    const BatchVertex* corner = &corners[4 * f];
    const int axis = normalAxis[f];
    BatchVertex* quad = quads.next();
    for (int m = 0; m < 4; ++m) {
        const float offset[3] = {corner[m].x, corner[m].y, corner[m].z};
        float position[3];
        float along[3];  // how far along the whole face, 0 to 1, for the texture coordinates
        for (int a = 0; a < 3; ++a) {
            position[a] = a == axis ? centre[a] + offset[a] : offset[a] > 0.0f ? high[a] : low[a];
            along[a] = (position[a] - centre[a] + 1.0f) * 0.5f;
        }
        quad[m] = corner[m];
        quad[m].x = position[0];
        quad[m].y = position[1];
        quad[m].z = position[2];
        // The whole face's texture coordinates are bilinear over its corners.
        quad[m].s = 0.0f;
        quad[m].t = 0.0f;
        for (int n = 0; n < 4; ++n) {
            const float cornerOffset[3] = {corner[n].x, corner[n].y, corner[n].z};
            float weight = 1.0f;
            for (int a = 0; a < 3; ++a) {
                if (a != axis) {
                    weight *= cornerOffset[a] > 0.0f ? along[a] : 1.0f - along[a];
                }
            }
            quad[m].s += weight * corner[n].s;
            quad[m].t += weight * corner[n].t;
        }
    }
}

void BatchBuilder::occupancy(const Frame& frame, int a, int b, Spans& out) const {
    for (int di = 0; di < 2; ++di) {
        for (int dj = 0; dj < 2; ++dj) {
            frame.addRunsOf(out, a + di, b + dj);
        }
    }
}

// Tops and bottoms by quarters, one per unit cell: a quarter lies inside the field when the
// blocks over that cell fill the height around it.
void BatchBuilder::capPieces(const Frame& frame, int i, int j, uint64_t blocks,
                             QuadWriter& quads) const {
    const uint64_t filled = frame.filled(i, j);
    const float height = frame.height(i, j);
    while (blocks != 0) {
        const int k = __builtin_ctzll(blocks);
        blocks &= blocks - 1;
        const float centre[3] = {static_cast<float>(i), blockY(height, k), static_cast<float>(j)};
        for (int f = 0; f < 6; ++f) {
            if (normalAxis[f] != 1 || has(filled, outward[f] ? k + 1 : k - 1)) {
                continue;  // a side, or inside the next block of the column
            }
            const float plane = centre[1] + corners[4 * f].y;
            if (frame.facingAway(plane, 1, outward[f])) {
                continue;
            }
            bool shown[2][2];
            for (int a = 0; a < 2; ++a) {
                for (int b = 0; b < 2; ++b) {
                    Spans occupied;
                    occupancy(frame, i - 1 + a, j - 1 + b, occupied);
                    shown[a][b] = occupied.overflowed || !occupied.holdsInside(plane);
                }
            }
            // Quarters that show side by side go as one quad.
            auto emitCells = [&](int a0, int a1, int b0, int b1) {
                const float low[3] = {static_cast<float>(i - 1 + a0), 0.0f,
                                      static_cast<float>(j - 1 + b0)};
                const float high[3] = {static_cast<float>(i + a1), 0.0f,
                                       static_cast<float>(j + b1)};
                emitPiece(f, centre, low, high, quads);
                for (int a = a0; a <= a1; ++a) {
                    for (int b = b0; b <= b1; ++b) {
                        shown[a][b] = false;
                    }
                }
            };
            if (shown[0][0] && shown[0][1] && shown[1][0] && shown[1][1]) {
                emitCells(0, 1, 0, 1);
            }
            for (int a = 0; a < 2; ++a) {
                if (shown[a][0] && shown[a][1]) {
                    emitCells(a, a, 0, 1);
                }
            }
            for (int b = 0; b < 2; ++b) {
                if (shown[0][b] && shown[1][b]) {
                    emitCells(0, 1, b, b);
                }
            }
            for (int a = 0; a < 2; ++a) {
                for (int b = 0; b < 2; ++b) {
                    if (shown[a][b]) {
                        emitCells(a, a, b, b);
                    }
                }
            }
        }
    }
}

// Sides by halves, one per unit cell along the face: the part of the column's run of blocks
// that the cell beyond does not fill shows, and where the column beside this one has a block
// whose face lies in the same place and is drawn later, that one shows instead.
void BatchBuilder::sidePieces(const Frame& frame, int i, int j, uint64_t blocks,
                              QuadWriter& quads) const {
    const uint64_t filled = frame.filled(i, j);
    const float height = frame.height(i, j);
    const int here[3] = {i, 0, j};
    for (int f = 0; f < 6; ++f) {
        const int axis = normalAxis[f];
        if (axis == 1) {
            continue;
        }
        const int across = 2 - axis;  // the other horizontal axis, along the face
        const float plane = static_cast<float>(here[axis]) + (outward[f] ? 1.0f : -1.0f);
        if (frame.facingAway(plane, axis, outward[f])) {
            continue;
        }
        Spans shown[2];
        for (int upper = 0; upper < 2; ++upper) {
            addRuns(shown[upper], filled, height);
            int cell[3] = {0, 0, 0};
            cell[axis] = outward[f] ? here[axis] + 1 : here[axis] - 2;
            cell[across] = here[across] - 1 + upper;
            Spans beyond;
            occupancy(frame, cell[0], cell[2], beyond);
            shown[upper].subtract(beyond);
            if (upper == 1) {
                int next[3] = {i, 0, j};
                ++next[across];
                Spans laterFaces;
                frame.addRunsOf(laterFaces, next[0], next[2]);
                shown[upper].subtract(laterFaces);
            }
            if (shown[upper].overflowed) {
                shown[upper] = Spans();
                addRuns(shown[upper], filled, height);  // too broken up to trim: shown whole
            }
        }
        // Halves that show alike go as one quad.
        const bool alike = shown[0].count == shown[1].count &&
                           std::equal(shown[0].low, shown[0].low + shown[0].count, shown[1].low) &&
                           std::equal(shown[0].high, shown[0].high + shown[0].count, shown[1].high);
        for (int upper = 0; upper < (alike ? 1 : 2); ++upper) {
            float low[3] = {0.0f, 0.0f, 0.0f};
            float high[3] = {0.0f, 0.0f, 0.0f};
            low[across] = static_cast<float>(here[across] - 1 + (alike ? 0 : upper));
            high[across] = static_cast<float>(here[across] + (alike ? 1 : upper));
            const Spans& piece = shown[upper];
            for (uint64_t rest = blocks; rest != 0 && piece.count != 0; rest &= rest - 1) {
                const int k = __builtin_ctzll(rest);
                const float y = blockY(height, k);
                const float centre[3] = {static_cast<float>(i), y, static_cast<float>(j)};
                // Where the next block's face begins, that one is drawn later.
                const float top = has(filled, k + 1) ? blockY(height, k + 1) - 1.0f : y + 1.0f;
                const float bottom = y - 1.0f;
                for (int n = 0; n < piece.count; ++n) {
                    low[1] = piece.low[n] > bottom ? piece.low[n] : bottom;
                    high[1] = piece.high[n] < top ? piece.high[n] : top;
                    if (low[1] < high[1]) {
                        emitPiece(f, centre, low, high, quads);
                    }
                }
            }
        }
    }
}

long BatchBuilder::buildFaces(const ChosenBlocks& chosen, const float* heights, int side,
                              const BatchView& view, VertexChunks& out) const {
    const Frame frame = {chosen, heights, side, view};
    QuadWriter quads(out);
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            const uint64_t filled = chosen.filled[i * side + j];
            if (filled == 0) {
                continue;
            }
            const float height = frame.height(i, j);
            // Blocks near the eye keep their faces whole; the rest are sent as pieces.
            uint64_t pieces = view.dropFaces ? filled : 0;
            for (uint64_t rest = filled; rest != 0; rest &= rest - 1) {
                const int k = __builtin_ctzll(rest);
                const float centre[3] = {static_cast<float>(i), blockY(height, k),
                                         static_cast<float>(j)};
                if (!view.dropFaces || coverNearEye(view, centre)) {
                    pieces &= ~(uint64_t{1} << k);
                    wholeFaces(frame, centre, quads);
                }
            }
            if (pieces != 0) {
                capPieces(frame, i, j, pieces, quads);
                sidePieces(frame, i, j, pieces, quads);
            }
        }
    }
    return quads.finish();
}

long BatchBuilder::buildLines(const ChosenBlocks& chosen, const float* heights, int side,
                              VertexChunks& out) const {
    const int ends = out.capacity() / 2 * 2;
    BatchVertex* room = out.open();
    int count = 0;
    long written = 0;
    auto emit = [&](const BatchVertex& corner, float x, float y, float z) {
        BatchVertex& end = room[count];
        end = corner;
        end.x = x;
        end.y = y;
        end.z = z;
        if (++count == ends) {
            out.close(count);
            written += count;
            count = 0;
            room = out.open();
        }
    };
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            const uint64_t lines = chosen.lines[i * side + j];
            const float height = heights[j * side + i];
            const float x = static_cast<float>(i);
            const float z = static_cast<float>(j);
            int runStart = 0;
            for (uint64_t rest = lines; rest != 0; rest &= rest - 1) {
                const int k = __builtin_ctzll(rest);
                runStart = has(lines, k - 1) ? runStart : k;
                const bool runEnds = !has(lines, k + 1);
                const bool twoUp = has(lines, k + 2);
                const float y = blockY(height, k);
                for (int n = 0; n < segmentCount; ++n) {
                    const Segment& segment = segments[n];
                    const BatchVertex& from = corners[segment.from];
                    const BatchVertex& to = corners[segment.to];
                    if (segment.upright) {
                        // The blocks of a run overlap by half along their upright edges: one
                        // segment from the run's bottom to its top, where its last block is.
                        if (runEnds) {
                            const float bottom = blockY(height, runStart) - 1.0f;
                            const float top = y + 1.0f;
                            emit(from, x + from.x, from.y > 0.0f ? top : bottom, z + from.z);
                            emit(to, x + to.x, to.y > 0.0f ? top : bottom, z + to.z);
                        }
                    } else if (!(twoUp && segment.redrawnAbove)) {
                        emit(from, x + from.x, y + from.y, z + from.z);
                        emit(to, x + to.x, y + to.y, z + to.z);
                    }
                }
            }
        }
    }
    out.close(count);
    return (written + count) / 2;
}
