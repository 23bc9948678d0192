#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "GlContextSupport.h"
#include "terrain/BlockTerrain.h"

namespace {

constexpr GLint vertexBytes = 24 * 64;
constexpr GLint indexBytes = 36;

std::vector<unsigned char> bufferContents(GLenum target, GLuint buffer, GLint& size) {
    glBindBuffer(target, buffer);
    size = 0;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    std::vector<unsigned char> contents(static_cast<size_t>(size > 0 ? size : 0));
    glGetBufferSubData(target, 0, size, contents.data());
    return contents;
}

void expectBuffersHoldTheCube() {
    GLint size = 0;
    const std::vector<unsigned char> vertexData =
        bufferContents(GL_ARRAY_BUFFER, blockTerrain.vertexBuffer, size);
    ASSERT_EQ(size, vertexBytes);
    ASSERT_EQ(sizeof(blockTerrain.vertices), static_cast<size_t>(vertexBytes));
    EXPECT_EQ(std::memcmp(vertexData.data(), blockTerrain.vertices, vertexBytes), 0);

    const std::vector<unsigned char> indexData =
        bufferContents(GL_ELEMENT_ARRAY_BUFFER, blockTerrain.indexBuffer, size);
    ASSERT_EQ(size, indexBytes);
    EXPECT_EQ(std::memcmp(indexData.data(), blockTerrain.indices, indexBytes), 0);
}

GLint integerState(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

std::intptr_t pointerOffset(GLenum name) {
    void* pointer = nullptr;
    glGetPointerv(name, &pointer);
    return reinterpret_cast<std::intptr_t>(pointer);
}

TEST(CubeBuffers, HoldExactlyTheCubeTablesAndSurviveARebuild) {
    resetScene();
    ASSERT_NE(blockTerrain.vertexBuffer, 0u);
    ASSERT_NE(blockTerrain.indexBuffer, 0u);
    EXPECT_NE(blockTerrain.vertexBuffer, blockTerrain.indexBuffer);
    expectBuffersHoldTheCube();

    const unsigned int vertexBuffer = blockTerrain.vertexBuffer;
    const unsigned int indexBuffer = blockTerrain.indexBuffer;
    ASSERT_TRUE(blockTerrain.rebuild(64));
    EXPECT_EQ(blockTerrain.vertexBuffer, vertexBuffer);
    EXPECT_EQ(blockTerrain.indexBuffer, indexBuffer);
    expectBuffersHoldTheCube();
    resetScene();
}

TEST(CubeBuffers, AFrameLeavesThemBoundWithTheInterleavedPointersAndArraysOff) {
    resetScene();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    drawCountedFrame();

    EXPECT_EQ(integerState(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(blockTerrain.vertexBuffer));
    EXPECT_EQ(integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING),
              static_cast<GLint>(blockTerrain.indexBuffer));
    // Offsets into the 64-byte vertex: position 0, texture 12, normal 20, colour 32.
    EXPECT_EQ(pointerOffset(GL_VERTEX_ARRAY_POINTER), 0);
    EXPECT_EQ(pointerOffset(GL_TEXTURE_COORD_ARRAY_POINTER), 12);
    EXPECT_EQ(pointerOffset(GL_NORMAL_ARRAY_POINTER), 20);
    EXPECT_EQ(pointerOffset(GL_COLOR_ARRAY_POINTER), 32);
    for (GLenum stride : {GL_VERTEX_ARRAY_STRIDE, GL_TEXTURE_COORD_ARRAY_STRIDE,
                          GL_NORMAL_ARRAY_STRIDE, GL_COLOR_ARRAY_STRIDE}) {
        EXPECT_EQ(integerState(stride), 64);
    }
    for (GLenum binding : {GL_VERTEX_ARRAY_BUFFER_BINDING, GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING,
                           GL_NORMAL_ARRAY_BUFFER_BINDING, GL_COLOR_ARRAY_BUFFER_BINDING}) {
        EXPECT_EQ(integerState(binding), static_cast<GLint>(blockTerrain.vertexBuffer));
    }
    EXPECT_EQ(integerState(GL_VERTEX_ARRAY_SIZE), 3);
    EXPECT_EQ(integerState(GL_TEXTURE_COORD_ARRAY_SIZE), 2);
    EXPECT_EQ(integerState(GL_COLOR_ARRAY_SIZE), 4);
    for (GLenum array :
         {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY}) {
        EXPECT_FALSE(glIsEnabled(array));
    }
}

}  // namespace
