#include "app/Callbacks.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdlib>

#include "app/FrameRate.h"
#include "app/KeyCommand.h"
#include "app/Overlay.h"
#include "app/ShaderProgram.h"
#include "app/ShellSettings.h"
#include "camera/Camera.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"

namespace {

constexpr double fieldOfView = 45.0;
constexpr double nearPlane = 1.0;
constexpr double farPlane = 500.0;
constexpr float terrainScale = 1.0f;
constexpr int terrainLayers = 32;

}  // namespace

void onDisplay() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    camera->update();
    glPushMatrix();
    setUpLighting();
    glPushMatrix();
    if (glslEnabled) {
        glUseProgram(phongProgram.program);
    } else {
        glUseProgramObjectARB(0);
    }
    if (batchedDrawing) {
        batchedRenderer.render(blockTerrain, terrainScale, terrainScale, terrainScale,
                               terrainLayers, camera);
    } else {
        blockTerrain.render(terrainScale, terrainScale, terrainScale, terrainLayers, camera);
    }
    glPopMatrix();
    drawOverlay();
    glPopMatrix();
    glutSwapBuffers();
}

void onIdle() {
    frameRateTick();
    glutPostRedisplay();
}

double aspectRatio(int width, int height) {
    return static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
}

void onReshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspectRatio(width, height), nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void onKeyboard(unsigned char key, int, int) {
    KeyCommand command = commandForKey(key);
    switch (command.action) {
        case KeyCommand::quit:
            std::exit(0);
        case KeyCommand::rebuild:
            if (blockTerrain.rebuild(command.gridSize)) {
                meshSize = command.gridSize;
            }
            break;
        case KeyCommand::enableGlsl:
            glslEnabled = true;
            break;
        case KeyCommand::disableGlsl:
            glslEnabled = false;
            break;
        case KeyCommand::none:
            break;
    }
}

void setUpLighting() {
    GLfloat afPropertiesAmbient[] = {0.5f, 0.8f, 0.5f, 1.0f};
    GLfloat afPropertiesDiffuse[] = {0.5f, 0.8f, 0.5f, 1.0f};
    GLfloat afPropertiesSpecular[] = {0.7f, 0.1f, 0.7f, 1.0f};
    // Light 0 keeps OpenGL's default position: a directional light along the view.
    glEnable(GL_LIGHTING);
    glPolygonMode(GL_FRONT, polygonMode);
    glLightfv(GL_LIGHT0, GL_AMBIENT, afPropertiesAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, afPropertiesDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, afPropertiesSpecular);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0.0f);
    glEnable(GL_LIGHT0);
}
