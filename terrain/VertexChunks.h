#pragma once

#include "terrain/BatchVertex.h"

// Where built vertices go, a chunk at a time: room to fill, then handed back to be drawn.
class VertexChunks {
public:
    virtual ~VertexChunks() = default;
    // Room for `capacity()` vertices.
    virtual BatchVertex* open() = 0;
    // The first `count` vertices of the open room are complete.
    virtual void close(int count) = 0;
    virtual int capacity() const = 0;
};
