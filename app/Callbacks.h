#pragma once

// The GLUT callbacks that make up the frame loop, and the lighting step of every frame.
void onDisplay();
void onIdle();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void setUpLighting();

// Width over height; a zero height (a minimised window) counts as 1 so nothing divides by 0.
double aspectRatio(int width, int height);
