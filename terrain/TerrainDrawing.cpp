#include <GL/glew.h>

#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"
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

// Whether some block of column (i, j), whose blocks run from y = low to y = high, can pass the
// near test: its nearest truncated point decides, since the test only fails farther out.
bool columnCanBeNear(int i, int j, float low, float high, const int* eye) {
    const int lowY = truncateToInt(low);
    const int highY = truncateToInt(high);
    const int nearestY = eye[1] < lowY ? lowY : (eye[1] > highY ? highY : eye[1]);
    return spheresOverlap(i, nearestY, j, nearRadius, eye[0], eye[1], eye[2], nearRadius);
}

}  // namespace

void BlockTerrain::render(float scaleX, float scaleY, float scaleZ, int layers, Camera* camera) {
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

    // Answers that are certain for a whole frame or column spare the per-block tests: every
    // cube in view, or no block of a column near the camera.
    const FieldBounds bounds = frameBounds(*this);
    const bool cullsNothing = frustum.everyCubeInFrustum(bounds.low, bounds.high, cullHalfSize);
    const int eye[3] = {truncateToInt(camera->positionX()), truncateToInt(camera->positionY()),
                        truncateToInt(camera->positionZ())};

    glPushMatrix();
    glScalef(scaleX, scaleY, scaleZ);
    // The side is read at every test: the terrain source owns it.
    for (int i = 0; i < noiseTerrain.getSize(); ++i) {
        for (int j = 0; j < noiseTerrain.getSize(); ++j) {
            const float height = noiseTerrain.heights[j * noiseTerrain.getSize() + i];
            columnMayBeNear =
                columnCanBeNear(i, j, blockY(height, 0), blockY(height, this->layers - 1), eye);
            for (int k = 0; k < this->layers; ++k) {
                const int size = noiseTerrain.getSize();
                const int slot = slotIndex(i, j, k, size);
                // Culled by the slot's remembered position, which blocks share.
                if (!cullsNothing &&
                    !frustum.cubeInFrustum(posX[slot], posY[slot], posZ[slot], cullHalfSize)) {
                    continue;
                }
                drawBlock(static_cast<float>(i), blockY(noiseTerrain.heights[j * size + i], k),
                          static_cast<float>(j), slot, camera);
            }
        }
    }
    glPopMatrix();
    columnMayBeNear = true;

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_DEPTH_TEST);
}

void BlockTerrain::drawBlock(float x, float y, float z, int slot, Camera* camera) {
    glPushMatrix();
    posX[slot] = x;
    posY[slot] = y;
    posZ[slot] = z;
    glTranslatef(x, y, z);
    if (y > minDrawHeight) {
        if (columnMayBeNear &&
            isNearCamera(x, y, z, camera->positionX(), camera->positionY(), camera->positionZ())) {
            glDrawElements(GL_TRIANGLES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        } else if (activeInput().isKeyHeld(vk::v)) {
            glDrawElements(GL_LINES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glPopMatrix();
}
