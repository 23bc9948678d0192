#include "app/Startup.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdlib>
#include <iostream>

#include "app/Callbacks.h"
#include "app/ShaderProgram.h"
#include "app/ShellSettings.h"
#include "camera/Camera.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"

namespace {

constexpr int windowWidth = 1024;
constexpr int windowHeight = 768;
constexpr const char* windowTitle = "OpenGL Kelmora Demo";

}  // namespace

void startUp(int* argc, char** argv) {
    camera = new Camera();
    glutInit(argc, argv);
    glutInitContextVersion(2, 0);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(windowTitle);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutSetCursor(GLUT_CURSOR_NONE);
    camera->place(50.0f, 120.0f, 250.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);

    glEnable(GL_DEPTH_TEST);
    glClearColor(0.1f, 0.57f, 0.8f, 1.0f);  // the sky
    glClearDepth(1.0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_DST_COLOR);  // preset only: blending stays off
    glColor4f(0.0f, 1.0f, 0.0f, 0.4f);

    glewInit();
    if (glewIsSupported("GL_VERSION_2_0")) {
        std::cout << "OpenGL 2.0 supported" << std::endl;
    } else {
        std::cout << "OpenGL 2.0 not supported\n" << std::endl;
        std::exit(1);
    }

    blockTerrain.createCube();
    blockTerrain.createBuffers();
    if (batchedDrawing) {
        batchedRenderer.createBuffers(blockTerrain);
        std::cout << "Batched renderer in use: the chosen blocks go to the driver in a few large "
                     "draws per frame"
                  << std::endl;
    }
    buildShaderProgram("data/PhongVert.c", "data/PhongFrag.c", phongProgram,
                       "Phong shader loaded.");
    buildShaderProgram("data/minimalVert.c", "data/minimalFrag.c", minimalProgram,
                       "Def shader loaded.");
    onReshape(windowWidth, windowHeight);
}
