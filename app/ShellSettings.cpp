#include "app/ShellSettings.h"

bool glslEnabled = true;
int meshSize = 32;
GLenum polygonMode = GL_FILL;
Camera* camera = nullptr;
