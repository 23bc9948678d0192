#include "app/FrameRate.h"

#include <GL/freeglut.h>

#include <cstdio>

int currentTime = 0;
int previousTime = 0;
int frameInterval = 0;
unsigned int frameCount = 0;
char fpsText[12] = "";

void updateFrameRate(int interval, unsigned int& frames, char* text) {
    ++frames;
    if (interval == 0) {
        return;
    }
    int rate = static_cast<int>(frames * 1000.0 / interval);
    std::snprintf(text, sizeof(fpsText), "%d", rate);
    frames = 0;
}

void frameRateTick() {
    currentTime = glutGet(GLUT_ELAPSED_TIME);
    frameInterval = currentTime - previousTime;
    updateFrameRate(frameInterval, frameCount, fpsText);
    previousTime = currentTime;
}
