#include <GL/glew.h>

#include "camera/Camera.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockWalk.h"

namespace {

constexpr GLfloat afMaterialAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat afMaterialDiffuse[] = {0.5f, 1.0f, 0.5f, 1.0f};
constexpr GLfloat afMaterialSpecular[] = {0.0f, 0.5f, 0.0f, 0.5f};
constexpr GLfloat materialShininess = 0.5f;
constexpr GLsizei cubeIndexCount = 36;

// One block as its own draw: the shared cube moved to the block, filled or as lines.
void drawCubeAt(float x, float y, float z, BlockDraw draw) {
    glPushMatrix();
    glTranslatef(x, y, z);
    if (draw == BlockDraw::filled) {
        glDrawElements(GL_TRIANGLES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
    } else if (draw == BlockDraw::lines) {
        glDrawElements(GL_LINES, cubeIndexCount, GL_UNSIGNED_BYTE, nullptr);
    }
    glPopMatrix();
}

struct DrawEachBlock {
    void operator()(float x, float y, float z, int, int, BlockDraw draw) const {
        drawCubeAt(x, y, z, draw);
    }
};

}  // namespace

void BlockTerrain::beginFrame(float scaleX, float scaleY, float scaleZ, int layers) {
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
}

void BlockTerrain::endFrame() {
    glPopMatrix();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_DEPTH_TEST);
}

// Flattened: the walk runs for every block, and inlined it keeps its values in registers.
__attribute__((flatten)) void BlockTerrain::render(float scaleX, float scaleY, float scaleZ,
                                                   int layers, Camera* camera) {
    beginFrame(scaleX, scaleY, scaleZ, layers);
    DrawEachBlock drawEach;
    walkBlocks(camera, drawEach);
    endFrame();
}

void BlockTerrain::rememberBlock(float x, float y, float z, int slot) {
    posX[slot] = x;
    posY[slot] = y;
    posZ[slot] = z;
}

void BlockTerrain::drawBlock(float x, float y, float z, int slot, Camera* camera) {
    rememberBlock(x, y, z, slot);
    drawCubeAt(x, y, z, drawFor(x, y, z, camera));
}

BlockDraw BlockTerrain::drawFor(float x, float y, float z, Camera* camera) {
    if (!(y > minDrawHeight)) {
        return BlockDraw::none;
    }
    const bool near = column.active ? isNearInColumn(y, column.eyeY, column.nearBudget)
                                    : isNearCamera(x, y, z, camera->positionX(),
                                                   camera->positionY(), camera->positionZ());
    if (near) {
        return BlockDraw::filled;
    }
    return vKeyHeld() ? BlockDraw::lines : BlockDraw::none;
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
