#include <GL/glew.h>

#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"
#include "terrain/Frustum.h"

namespace {

constexpr GLfloat afMaterialAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat afMaterialDiffuse[] = {0.5f, 1.0f, 0.5f, 1.0f};
constexpr GLfloat afMaterialSpecular[] = {0.0f, 0.5f, 0.0f, 0.5f};
constexpr GLfloat materialShininess = 0.5f;
constexpr float cullHalfSize = 4.0f;
constexpr GLsizei cubeIndexCount = 36;

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

    glPushMatrix();
    glScalef(scaleX, scaleY, scaleZ);
    // The side is read at every test: the terrain source owns it.
    for (int i = 0; i < noiseTerrain.getSize(); ++i) {
        for (int j = 0; j < noiseTerrain.getSize(); ++j) {
            for (int k = 0; k < this->layers; ++k) {
                const int size = noiseTerrain.getSize();
                const int slot = slotIndex(i, j, k, size);
                // Culled by the slot's remembered position, which blocks share.
                if (!frustum.cubeInFrustum(posX[slot], posY[slot], posZ[slot], cullHalfSize)) {
                    continue;
                }
                drawBlock(static_cast<float>(i), blockY(noiseTerrain.heights[j * size + i], k),
                          static_cast<float>(j), slot, camera);
            }
        }
    }
    glPopMatrix();

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
        if (isNearCamera(x, y, z, camera->positionX(), camera->positionY(), camera->positionZ())) {
            glDrawElements(GL_TRIANGLES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        } else if (activeInput().isKeyHeld(vk::v)) {
            glDrawElements(GL_LINES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glPopMatrix();
}
