#include <GL/glew.h>

#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"
#include "terrain/CubeBatchCulling.h"
#include "terrain/FieldBounds.h"
#include "terrain/Frustum.h"

namespace {

constexpr GLfloat afMaterialAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat afMaterialDiffuse[] = {0.5f, 1.0f, 0.5f, 1.0f};
constexpr GLfloat afMaterialSpecular[] = {0.0f, 0.5f, 0.0f, 0.5f};
constexpr GLfloat materialShininess = 0.5f;
constexpr float cullHalfSize = 4.0f;
constexpr GLsizei cubeIndexCount = 36;

// Every position this frame can cull by or draw at: the remembered slots it reads, and the
// blocks of the current grid, which overwrite them as they pass.
FieldBounds frameBounds(const BlockTerrain& terrain) {
    const int size = noiseTerrain.getSize();
    float lowest = noiseTerrain.heights[0];
    float highest = lowest;
    for (int column = 1; column < size * size; ++column) {
        const float height = noiseTerrain.heights[column];
        lowest = height < lowest ? height : lowest;
        highest = height > highest ? height : highest;
    }
    const int slotsRead = static_cast<int>(highestSlot(size, terrain.layers)) + 1;
    FieldBounds bounds =
        slotBounds(terrain.posX.get(), terrain.posY.get(), terrain.posZ.get(), slotsRead);
    const float lastColumn = static_cast<float>(size - 1);
    bounds.include(0.0f, lowest, 0.0f);
    bounds.include(lastColumn, blockY(highest, terrain.layers - 1), lastColumn);
    return bounds;
}

// The scalar test for the last few slots of a column, as bits like CubeBatchCulling's.
unsigned cubesInView(const BlockTerrain& terrain, int first, int count) {
    unsigned passed = 0;
    for (int n = 0; n < count; ++n) {
        const int slot = first + n;
        if (frustum.cubeInFrustum(terrain.posX[slot], terrain.posY[slot], terrain.posZ[slot],
                                  cullHalfSize)) {
            passed |= 1u << n;
        }
    }
    return passed;
}

}  // namespace

// Flattened: drawBlock runs for every block, and inlined it keeps its values in registers.
__attribute__((flatten)) void BlockTerrain::render(float scaleX, float scaleY, float scaleZ,
                                                   int layers, Camera* camera) {
    this->layers = layers;
    frustum.extract();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    setArrayPointers();

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, afMaterialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, afMaterialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, afMaterialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, materialShininess);
    glEnable(GL_DEPTH_TEST);

    // Every cube in view is a whole-frame answer that spares the per-block test.
    const FieldBounds bounds = frameBounds(*this);
    const bool cullsNothing = frustum.everyCubeInFrustum(bounds.low, bounds.high, cullHalfSize);
    const CubeBatchCulling cubeTest(frustum, cullHalfSize);
    const int eyeX = truncateToInt(camera->positionX());
    const int eyeZ = truncateToInt(camera->positionZ());
    column.eyeY = truncateToInt(camera->positionY());
    column.vHeld = -1;

    glPushMatrix();
    glScalef(scaleX, scaleY, scaleZ);
    // The side is read at every test: the terrain source owns it.
    for (int i = 0; i < noiseTerrain.getSize(); ++i) {
        for (int j = 0; j < noiseTerrain.getSize(); ++j) {
            const int size = noiseTerrain.getSize();
            const float height = noiseTerrain.heights[j * size + i];
            const int base = slotIndex(i, j, 0, size);
            const float x = static_cast<float>(i);
            const float z = static_cast<float>(j);
            column.active = true;
            column.nearBudget = columnNearBudget(i, j, eyeX, eyeZ);
            // A column's slots are its own within the column, so all of them can be read
            // before any is written: four at a time. Culled by the slot's remembered position,
            // which blocks of other columns share.
            for (int k = 0; k < this->layers; k += 4) {
                const int count = this->layers - k < 4 ? this->layers - k : 4;
                const int first = base + k;
                unsigned passed = 0xF;
                if (!cullsNothing) {
                    passed = count == 4 ? cubeTest.test(&posX[first], &posY[first], &posZ[first])
                                        : cubesInView(*this, first, count);
                }
                // Far from the eye with V released, a block draws nothing whatever its height:
                // it only takes its slot and makes its matrix calls.
                const bool plain = column.nearBudget < 0 && column.vHeld == 0;
                for (int n = 0; n < count; ++n) {
                    if ((passed & (1u << n)) != 0) {
                        const float y = blockY(height, k + n);
                        if (plain) {
                            glPushMatrix();
                            placeBlock(x, y, z, base + k + n);
                            glPopMatrix();
                        } else {
                            drawBlock(x, y, z, base + k + n, camera);
                        }
                    }
                }
            }
        }
    }
    glPopMatrix();
    column.active = false;

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_DEPTH_TEST);
}

void BlockTerrain::placeBlock(float x, float y, float z, int slot) {
    posX[slot] = x;
    posY[slot] = y;
    posZ[slot] = z;
    glTranslatef(x, y, z);
}

void BlockTerrain::drawBlock(float x, float y, float z, int slot, Camera* camera) {
    glPushMatrix();
    placeBlock(x, y, z, slot);
    if (y > minDrawHeight) {
        const bool near = column.active ? isNearInColumn(y, column.eyeY, column.nearBudget)
                                        : isNearCamera(x, y, z, camera->positionX(),
                                                       camera->positionY(), camera->positionZ());
        if (near) {
            glDrawElements(GL_TRIANGLES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        } else if (vKeyHeld()) {
            glDrawElements(GL_LINES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glPopMatrix();
}

// Within a frame the answer holds still (the X11 key map is read once per frame), so the loop
// asks once, at the first far block above the gate.
bool BlockTerrain::vKeyHeld() {
    if (!column.active) {
        return activeInput().isKeyHeld(vk::v);
    }
    if (column.vHeld < 0) {
        column.vHeld = activeInput().isKeyHeld(vk::v) ? 1 : 0;
    }
    return column.vHeld == 1;
}
