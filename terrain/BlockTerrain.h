#pragma once

#include <cstdint>
#include <memory>

#include "terrain/BlockRules.h"
#include "terrain/CubeVertex.h"

class Camera;

// The height map shown as a field of blocks, one stack of `layers` cubes per column.
class BlockTerrain {
public:
    int side;  // grid side at construction; fixes the slot arrays' capacity
    int layers;
    float minDrawHeight;
    CubeVertex vertices[24] = {};
    unsigned char indices[36] = {};
    unsigned int vertexBuffer;
    unsigned int indexBuffer;
    // Per slot, where a block last passed the culling test through it.
    std::unique_ptr<float[]> posX;
    std::unique_ptr<float[]> posY;
    std::unique_ptr<float[]> posZ;

    BlockTerrain();
    BlockTerrain(const BlockTerrain&) = delete;
    BlockTerrain& operator=(const BlockTerrain&) = delete;

    // Regenerates the terrain at a new side; a side whose slots would not fit is refused
    // (false) and the grid stays as it was.
    bool rebuild(int newSide);
    void createCube();
    void createBuffers();
    void render(float scaleX, float scaleY, float scaleZ, int layers, Camera* camera);
    void drawBlock(float x, float y, float z, int slot, Camera* camera);

    // What render does around its block loop: extracts the frustum, clears, binds the cube and
    // sets its arrays and the material, pushes the scaled matrix; endFrame undoes it.
    void beginFrame(float scaleX, float scaleY, float scaleZ, int layers);
    void endFrame();
    // render's block loop without its drawing: every block that passes the culling test takes
    // its slot and goes to `visit` with how the loop draws it (BlockWalk.h).
    template <typename Visit>
    void walkBlocks(Camera* camera, Visit& visit);
    // The four interleaved array pointers into the bound cube buffer.
    static void setArrayPointers();

    int slotCapacity() const { return side * side * layers; }

private:
    // What render works out once for the frame or the column it is drawing; outside render,
    // drawBlock tests each block in full.
    struct ColumnState {
        bool active = false;
        int eyeY = 0;
        int64_t nearBudget = 0;  // see columnNearBudget
        int vHeld = -1;          // V as first asked in this frame; -1: not asked yet
    };

    void allocateSlots();
    // A block that passed the culling test: its slot takes its position.
    void rememberBlock(float x, float y, float z, int slot);
    BlockDraw drawFor(float x, float y, float z, Camera* camera);
    bool vKeyHeld();
    ColumnState column;
};

// The one block field.
extern BlockTerrain blockTerrain;
