#pragma once

#include <cstdint>

#include "terrain/BatchVertex.h"
#include "terrain/CubeVertex.h"

class ChosenBlocks;
class Spans;
class VertexChunks;

// What the builder knows of the frame's view, in grid units.
struct BatchView {
    float eye[3];
    // False: every face of every filled block is sent whole.
    bool dropFaces;
    // Points nearer the eye than this can be cut away by the near plane, so they cannot be
    // counted on to hide anything.
    float nearReach;
};

// The view of a perspective projection (column-major) with the eye at `eye`; faces are dropped
// only for the symmetric, right-handed perspective the viewer sets up.
BatchView viewFromProjection(const float* projection, float eyeX, float eyeY, float eyeZ);

// Turns the loop's chosen blocks into vertices.
//
// Filled blocks become quads, two triangles each as the cube's indices make them. The cubes
// overlap (two units wide, one apart), so most of their faces lie inside the field: only the
// surface of the filled cubes' union is sent, each point of it once, in pieces of the cubes'
// faces cut along the unit grid. Faces the eye sees from behind are left out, and the faces of
// blocks near the eye are sent whole, since the near plane may cut what would hide them.
//
// Line blocks become the segments of the cube's indices, but those that draw nothing (a vertex
// to itself) or that a block drawn later draws again along the same edge; the upright edges of
// a run of line blocks, which overlap by half, become one segment each.
class BatchBuilder {
public:
    // The shared cube's 24 vertices and 36 indices.
    BatchBuilder(const CubeVertex* cube, const unsigned char* indices);

    // Returns the quads written.
    long buildFaces(const ChosenBlocks& chosen, const float* heights, int side,
                    const BatchView& view, VertexChunks& out) const;
    // Returns the segments written.
    long buildLines(const ChosenBlocks& chosen, const float* heights, int side,
                    VertexChunks& out) const;

    // The six indices of a quad's two triangles, counted from its first corner.
    const unsigned char* quadPattern() const { return pattern; }

private:
    struct Frame;
    class QuadWriter;

    void wholeFaces(const Frame& frame, const float* centre, QuadWriter& quads) const;
    void capPieces(const Frame& frame, int i, int j, uint64_t blocks, QuadWriter& quads) const;
    void sidePieces(const Frame& frame, int i, int j, uint64_t blocks, QuadWriter& quads) const;
    void occupancy(const Frame& frame, int a, int b, Spans& out) const;
    // A piece of face f of the cube at `centre`, from `low` to `high` on the face's own axes.
    void emitPiece(int f, const float* centre, const float* low, const float* high,
                   QuadWriter& quads) const;

    BatchVertex corners[24];
    int normalAxis[6];
    bool outward[6];  // the face's normal points along its axis
    struct Segment {
        unsigned char from;
        unsigned char to;
        bool upright;       // along y: consecutive blocks overlap on it by half
        bool redrawnAbove;  // the block two layers up has the same edge at its bottom
    };
    Segment segments[18];
    int segmentCount = 0;
    unsigned char pattern[6];
};
