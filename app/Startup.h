#pragma once

// Everything from creating the camera to the first reshape; the caller then enters the main
// loop. Ends the process with status 1 when OpenGL 2.0 is missing.
void startUp(int* argc, char** argv);
