#include "terrain/BatchedRenderer.h"

#include <GL/glew.h>

#include <cstddef>
#include <vector>

#include "camera/Camera.h"
#include "terrain/BlockWalk.h"

namespace {

constexpr GLsizei stride = sizeof(BatchVertex);
const GLvoid* offsetOf(std::size_t bytes) {
    return reinterpret_cast<const GLvoid*>(bytes);
}

}  // namespace

void BatchedRenderer::createBuffers(const BlockTerrain& terrain) {
    builder.reset(new BatchBuilder(terrain.vertices, terrain.indices));
    // A grid's side squared stays below the slot capacity, which bounds its columns.
    chosen.reserve(terrain.slotCapacity());
    staging.reset(new BatchVertex[chunkVertices]);

    glGenBuffers(1, &streamBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, chunkVertices * sizeof(BatchVertex), nullptr, GL_STREAM_DRAW);

    std::vector<GLushort> quadIndices(chunkVertices / 4 * 6);
    const unsigned char* pattern = builder->quadPattern();
    for (std::size_t n = 0; n < quadIndices.size(); ++n) {
        quadIndices[n] = static_cast<GLushort>(n / 6 * 4 + pattern[n % 6]);
    }
    glGenBuffers(1, &quadIndexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, quadIndices.size() * sizeof(GLushort), quadIndices.data(),
                 GL_STATIC_DRAW);

    glBindBuffer(GL_ARRAY_BUFFER, terrain.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, terrain.indexBuffer);
}

void BatchedRenderer::setArrayPointers() const {
    glTexCoordPointer(2, GL_FLOAT, stride, offsetOf(offsetof(BatchVertex, s)));
    glNormalPointer(GL_FLOAT, stride, offsetOf(offsetof(BatchVertex, nx)));
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, offsetOf(offsetof(BatchVertex, r)));
    glVertexPointer(3, GL_FLOAT, stride, offsetOf(0));
}

void BatchedRenderer::close(int count) {
    if (count == 0) {
        return;
    }
    // A new store for each chunk: a driver still drawing from the last one need not wait.
    glBufferData(GL_ARRAY_BUFFER, count * sizeof(BatchVertex), staging.get(), GL_STREAM_DRAW);
    if (drawing == GL_TRIANGLES) {
        glDrawElements(GL_TRIANGLES, count / 4 * 6, GL_UNSIGNED_SHORT, nullptr);
    } else {
        glDrawArrays(GL_LINES, 0, count);
    }
}

__attribute__((flatten)) void BatchedRenderer::render(BlockTerrain& terrain, float scaleX,
                                                      float scaleY, float scaleZ, int layers,
                                                      Camera* camera) {
    const int side = noiseTerrain.getSize();
    if (builder == nullptr || !chosen.fits(side * side, layers)) {
        terrain.render(scaleX, scaleY, scaleZ, layers, camera);
        return;
    }
    terrain.beginFrame(scaleX, scaleY, scaleZ, layers);
    chosen.clear(side * side);
    terrain.walkBlocks(camera, chosen);

    BatchView view = viewFromProjection(frustum.proj, camera->positionX(), camera->positionY(),
                                        camera->positionZ());
    // The faces are judged in grid units, which are the world's only at scale 1.
    view.dropFaces = view.dropFaces && scaleX == 1.0f && scaleY == 1.0f && scaleZ == 1.0f;
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndexBuffer);
    setArrayPointers();
    drawing = GL_TRIANGLES;
    lastQuads = builder->buildFaces(chosen, noiseTerrain.heights, side, view, *this);
    drawing = GL_LINES;
    lastSegments = builder->buildLines(chosen, noiseTerrain.heights, side, *this);

    // The loop leaves the cube's buffers bound and its arrays set.
    glBindBuffer(GL_ARRAY_BUFFER, terrain.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, terrain.indexBuffer);
    BlockTerrain::setArrayPointers();
    terrain.endFrame();
}
