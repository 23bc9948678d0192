#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/ShaderProgram.h"

namespace {

// The log the fake driver holds, with its terminating NUL counted in its length as GL does.
std::string driverLog;
GLint reportedLength = 0;

void GLAPIENTRY fakeGetiv(GLuint, GLenum pname, GLint* value) {
    if (pname == GL_INFO_LOG_LENGTH) {
        *value = reportedLength;
    }
}

void GLAPIENTRY fakeGetInfoLog(GLuint, GLsizei size, GLsizei* written, GLchar* log) {
    const GLsizei count = std::min<GLsizei>(size - 1, static_cast<GLsizei>(driverLog.size()));
    std::memcpy(log, driverLog.data(), count);
    log[count] = '\0';
    *written = count;
}

// The printers reach GL through GLEW's function pointers, so a fake driver stands in for one.
class InfoLogPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        saved = {__glewGetShaderiv, __glewGetShaderInfoLog, __glewGetProgramiv,
                 __glewGetProgramInfoLog};
        __glewGetShaderiv = fakeGetiv;
        __glewGetShaderInfoLog = fakeGetInfoLog;
        __glewGetProgramiv = fakeGetiv;
        __glewGetProgramInfoLog = fakeGetInfoLog;
    }
    void TearDown() override {
        __glewGetShaderiv = saved.shaderiv;
        __glewGetShaderInfoLog = saved.shaderLog;
        __glewGetProgramiv = saved.programiv;
        __glewGetProgramInfoLog = saved.programLog;
    }

    void holdLog(const std::string& text) {
        driverLog = text;
        reportedLength = text.empty() ? 1 : static_cast<GLint>(text.size() + 1);
    }

    template <typename Print>
    static std::string printed(Print print) {
        testing::internal::CaptureStdout();
        print();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    struct {
        PFNGLGETSHADERIVPROC shaderiv;
        PFNGLGETSHADERINFOLOGPROC shaderLog;
        PFNGLGETPROGRAMIVPROC programiv;
        PFNGLGETPROGRAMINFOLOGPROC programLog;
    } saved;
};

TEST_F(InfoLogPrinting, ALogIsPrintedWithALineEnd) {
    holdLog("0:3(1): error: syntax error");
    EXPECT_EQ(printed([] { printShaderLog(1); }), "0:3(1): error: syntax error\n");
    EXPECT_EQ(printed([] { printProgramLog(3); }), "0:3(1): error: syntax error\n");
}

TEST_F(InfoLogPrinting, ALengthOfOneIsAnEmptyLine) {
    holdLog("");
    EXPECT_EQ(printed([] { printShaderLog(1); }), "\n");
    EXPECT_EQ(printed([] { printProgramLog(3); }), "\n");
}

TEST_F(InfoLogPrinting, NoLogPrintsNothing) {
    driverLog.clear();
    reportedLength = 0;
    EXPECT_EQ(printed([] { printShaderLog(1); }), "");
    reportedLength = -5;
    EXPECT_EQ(printed([] { printProgramLog(3); }), "");
}

}  // namespace
