#include "app/ShellSettings.h"

bool glslEnabled = true;
int meshSize = 32;
GLenum polygonMode = GL_FILL;
bool batchedDrawing = false;
Camera* camera = nullptr;
