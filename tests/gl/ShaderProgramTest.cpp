#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "GlContextSupport.h"
#include "app/ShaderProgram.h"
#include "app/ShellSettings.h"

namespace {

GLint currentProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

GLint shaderStatus(GLuint shader) {
    GLint status = -1;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status;
}

GLint linkStatus(GLuint program) {
    GLint status = -1;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return "";
    }
    std::string log(static_cast<size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, &log[0]);
    return std::string(log.c_str()) + "\n";
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return "";
    }
    std::string log(static_cast<size_t>(length), '\0');
    glGetProgramInfoLog(program, length, nullptr, &log[0]);
    return std::string(log.c_str()) + "\n";
}

// Shader sources in a directory of their own, removed afterwards.
class ShaderFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kelmora-gl-shaders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        savedPhong = phongProgram;
    }
    void TearDown() override {
        for (const std::string& path : written) {
            std::remove(path.c_str());
        }
        rmdir(directory.c_str());
        phongProgram = savedPhong;
        resetScene();
    }

    std::string write(const char* name, const char* text) {
        const std::string path = directory + "/" + name;
        FILE* file = std::fopen(path.c_str(), "w");
        std::fputs(text, file);
        std::fclose(file);
        written.push_back(path);
        return path;
    }

    std::string directory;
    std::vector<std::string> written;
    ShaderProgram savedPhong;
};

constexpr const char* validVertex = "#version 110\nvoid main() { gl_Position = ftransform(); }\n";
constexpr const char* validFragment = "#version 110\nvoid main() { gl_FragColor = gl_Color; }\n";
constexpr const char* brokenFragment =
    "#version 110\nvoid main() { gl_FragColor = undeclaredColour; }\n";

TEST(ShaderPrograms, BothAreBuiltAndLinkedAtStartUp) {
    for (const ShaderProgram* built : {&phongProgram, &minimalProgram}) {
        EXPECT_NE(built->vertexShader, 0u);
        EXPECT_NE(built->fragmentShader, 0u);
        ASSERT_NE(built->program, 0u);
        EXPECT_EQ(shaderStatus(built->vertexShader), GL_TRUE);
        EXPECT_EQ(shaderStatus(built->fragmentShader), GL_TRUE);
        EXPECT_EQ(linkStatus(built->program), GL_TRUE);
    }
    EXPECT_NE(phongProgram.program, minimalProgram.program);
}

TEST(ShaderPrograms, DisplayBindsPhongWhileGlslIsOnAndProgramZeroOtherwise) {
    resetScene();
    drawCountedFrame();
    EXPECT_EQ(currentProgram(), static_cast<GLint>(phongProgram.program));
    glslEnabled = false;
    drawCountedFrame();
    EXPECT_EQ(currentProgram(), 0);
    drawCountedFrame();
    EXPECT_EQ(currentProgram(), 0);
    glslEnabled = true;
    drawCountedFrame();
    EXPECT_EQ(currentProgram(), static_cast<GLint>(phongProgram.program));
    resetScene();
}

TEST_F(ShaderFiles, AShaderThatDoesNotCompilePrintsItsLogsAndStillSaysLoaded) {
    const std::string vertexPath = write("vert.c", validVertex);
    const std::string fragmentPath = write("frag.c", brokenFragment);
    ShaderProgram broken;
    const std::string output = captureStdout([&] {
        buildShaderProgram(vertexPath.c_str(), fragmentPath.c_str(), broken,
                           "Broken shader loaded.");
    });

    // Start-up goes on with real handles; only the logs tell of the failure.
    ASSERT_NE(broken.vertexShader, 0u);
    ASSERT_NE(broken.fragmentShader, 0u);
    ASSERT_NE(broken.program, 0u);
    EXPECT_EQ(shaderStatus(broken.fragmentShader), GL_FALSE);
    EXPECT_EQ(linkStatus(broken.program), GL_FALSE);
    const std::string fragmentLog = shaderLog(broken.fragmentShader);
    EXPECT_NE(fragmentLog.find("undeclaredColour"), std::string::npos) << fragmentLog;
    // The logs in building order, each as "%s\n", then the loaded line.
    EXPECT_EQ(output, shaderLog(broken.vertexShader) + fragmentLog + programLog(broken.program) +
                          "Broken shader loaded.\n");
}

TEST_F(ShaderFiles, AMissingFileIsNamedAndLeavesTheFixedFunctionPath) {
    const std::string fragmentPath = write("frag.c", validFragment);
    const std::string missingPath = directory + "/no-such-vert.c";
    const std::string output = captureStdout([&] {
        buildShaderProgram(missingPath.c_str(), fragmentPath.c_str(), phongProgram,
                           "Phong shader loaded.");
    });
    const ShaderProgram failed = phongProgram;

    EXPECT_EQ(failed.vertexShader, 0u);
    EXPECT_EQ(failed.fragmentShader, 0u);
    EXPECT_EQ(failed.program, 0u);
    const size_t lineEnd = output.find('\n');
    ASSERT_NE(lineEnd, std::string::npos) << output;
    const std::string firstLine = output.substr(0, lineEnd);
    EXPECT_NE(firstLine.find(missingPath), std::string::npos) << output;
    EXPECT_EQ(firstLine.find(fragmentPath), std::string::npos) << output;
    EXPECT_EQ(output.substr(lineEnd + 1), "Phong shader loaded.\n");

    // With GLSL still on, the next frame binds program 0: the fixed-function pipeline.
    glslEnabled = true;
    glUseProgram(savedPhong.program);
    drawCountedFrame();
    EXPECT_EQ(currentProgram(), 0);
}

}  // namespace
