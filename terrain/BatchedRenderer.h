#pragma once

#include <memory>

#include "terrain/BatchBuilder.h"
#include "terrain/ChosenBlocks.h"
#include "terrain/VertexChunks.h"

class BlockTerrain;
class Camera;

// The opt-in way of drawing a frame: the block loop decides every block as render does, and
// the chosen cubes reach the driver in a few large draws instead of one each.
class BatchedRenderer : private VertexChunks {
public:
    // Sizes everything once, for every grid the terrain can hold; needs the GL context and the
    // terrain's cube and buffers.
    void createBuffers(const BlockTerrain& terrain);
    // As BlockTerrain::render, with the same frame set-up and the same state left behind.
    void render(BlockTerrain& terrain, float scaleX, float scaleY, float scaleZ, int layers,
                Camera* camera);

    // Vertices a draw takes at most: a quad's four indices must fit 16 bits.
    static constexpr int chunkVertices = 65536;

    ChosenBlocks chosen;
    long lastQuads = 0;
    long lastSegments = 0;

private:
    BatchVertex* open() override { return staging.get(); }
    void close(int count) override;
    int capacity() const override { return chunkVertices; }
    void setArrayPointers() const;

    std::unique_ptr<BatchBuilder> builder;
    std::unique_ptr<BatchVertex[]> staging;
    unsigned int streamBuffer = 0;
    unsigned int quadIndexBuffer = 0;
    unsigned int drawing = 0;  // the primitive close draws
};

// The one batched renderer; its buffers exist only when the viewer draws in batches.
extern BatchedRenderer batchedRenderer;
