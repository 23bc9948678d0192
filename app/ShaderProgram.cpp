#include "app/ShaderProgram.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/TextFile.h"

ShaderProgram phongProgram;
ShaderProgram minimalProgram;

namespace {

void reportUnreadable(const char* path) {
    std::printf("Cannot read shader file %s: missing, empty, too large or not a regular file\n",
                path);
    std::fflush(stdout);
}

// The shader and program logs differ only in the two calls that fetch them.
template <typename QueryLength, typename FetchLog>
void printInfoLog(GLuint object, QueryLength queryLength, FetchLog fetchLog) {
    GLint infologLength = 0;
    GLsizei charsWritten = 0;
    queryLength(object, &infologLength);
    if (infologLength > 0) {
        char* infoLog = static_cast<char*>(std::malloc(static_cast<size_t>(infologLength)));
        if (infoLog == nullptr) {
            return;
        }
        fetchLog(object, infologLength, &charsWritten, infoLog);
        std::printf("%s\n", infoLog);
        std::free(infoLog);
    }
}

}  // namespace

void buildShaderProgram(const char* vertexPath, const char* fragmentPath,
                        ShaderProgram& shaderProgram, const char* loadedLine) {
    shaderProgram.vertexShader = glCreateShader(GL_VERTEX_SHADER);
    shaderProgram.fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);

    char* vertexText = readTextFile(vertexPath);
    char* fragmentText = readTextFile(fragmentPath);

    // A null source is not valid input for glShaderSource: give up on this program.
    if (vertexText == nullptr || fragmentText == nullptr) {
        if (vertexText == nullptr) {
            reportUnreadable(vertexPath);
        }
        if (fragmentText == nullptr) {
            reportUnreadable(fragmentPath);
        }
        std::free(vertexText);
        std::free(fragmentText);
        glDeleteShader(shaderProgram.vertexShader);
        glDeleteShader(shaderProgram.fragmentShader);
        shaderProgram = ShaderProgram();
        std::cout << loadedLine << std::endl;
        return;
    }

    const GLchar* vertexSource = vertexText;
    const GLchar* fragmentSource = fragmentText;
    glShaderSource(shaderProgram.vertexShader, 1, &vertexSource, nullptr);
    glShaderSource(shaderProgram.fragmentShader, 1, &fragmentSource, nullptr);
    std::free(vertexText);
    std::free(fragmentText);

    glCompileShader(shaderProgram.vertexShader);
    glCompileShader(shaderProgram.fragmentShader);
    printShaderLog(shaderProgram.vertexShader);
    printShaderLog(shaderProgram.fragmentShader);

    shaderProgram.program = glCreateProgram();
    glAttachShader(shaderProgram.program, shaderProgram.vertexShader);
    glAttachShader(shaderProgram.program, shaderProgram.fragmentShader);
    glLinkProgram(shaderProgram.program);
    printProgramLog(shaderProgram.program);

    std::cout << loadedLine << std::endl;
}

void printShaderLog(unsigned int shader) {
    printInfoLog(
        shader,
        [](GLuint object, GLint* length) { glGetShaderiv(object, GL_INFO_LOG_LENGTH, length); },
        [](GLuint object, GLsizei size, GLsizei* written, GLchar* log) {
            glGetShaderInfoLog(object, size, written, log);
        });
}

void printProgramLog(unsigned int program) {
    printInfoLog(
        program,
        [](GLuint object, GLint* length) { glGetProgramiv(object, GL_INFO_LOG_LENGTH, length); },
        [](GLuint object, GLsizei size, GLsizei* written, GLchar* log) {
            glGetProgramInfoLog(object, size, written, log);
        });
}
