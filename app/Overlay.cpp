#include "app/Overlay.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/FrameRate.h"
#include "app/ShellSettings.h"

char meshSizeText[12] = "";

namespace {

constexpr double overlayWidth = 1024.0;
constexpr double overlayHeight = 768.0;

constexpr float labelX = 5.0f;
constexpr float fpsX = 55.0f;
constexpr float sizeX[3] = {205.0f, 255.0f, 305.0f};
constexpr float crossX[2] = {235.0f, 285.0f};
constexpr float fpsLineY = 25.0f;
constexpr float shadingLineY = 45.0f;
constexpr float sizeLineY = 65.0f;

}  // namespace

void drawText(const char* text, float x, float y) {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);  // before the raster position, which takes the colour

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, overlayWidth, 0.0, overlayHeight);
    glScalef(1.0f, -1.0f, 1.0f);  // y grows downwards from the top edge
    glTranslatef(0.0f, -static_cast<float>(overlayHeight), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glRasterPos2f(x, y);
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(*c));
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

void drawOverlay() {
    drawText("FPS: ", labelX, fpsLineY);
    drawText(fpsText, fpsX, fpsLineY);
    drawText(glslEnabled ? "Using GLSL 1.1" : "Using emulated fixed function pipeline", labelX,
             shadingLineY);
    drawText("Terrain voxel mesh size: ", labelX, sizeLineY);
    std::snprintf(meshSizeText, sizeof(meshSizeText), "%d", meshSize);
    drawText(meshSizeText, sizeX[0], sizeLineY);
    drawText("x", crossX[0], sizeLineY);
    drawText(meshSizeText, sizeX[1], sizeLineY);
    drawText("x", crossX[1], sizeLineY);
    drawText(meshSizeText, sizeX[2], sizeLineY);
}
