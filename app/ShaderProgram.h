#pragma once

// The OpenGL handles of one GLSL program; 0 until it is built.
struct ShaderProgram {
    unsigned int vertexShader = 0;
    unsigned int fragmentShader = 0;
    unsigned int program = 0;
};

// Bound by the display step while GLSL is enabled.
extern ShaderProgram phongProgram;
// Built and logged only.
extern ShaderProgram minimalProgram;

// Compiles and links the two files into `shaderProgram`, prints the info logs and then
// `loadedLine`. A source file that cannot be read is named on the console and leaves the
// handles at 0, so the display step falls back to the fixed-function pipeline.
void buildShaderProgram(const char* vertexPath, const char* fragmentPath,
                        ShaderProgram& shaderProgram, const char* loadedLine);
void printShaderLog(unsigned int shader);
void printProgramLog(unsigned int program);
