#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/TextFile.h"

namespace {

class ReadTextFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "kelmora_textfile_XXXXXX";
        std::strcpy(dirBuffer, pattern.c_str());
        ASSERT_NE(mkdtemp(dirBuffer), nullptr);
        dir = dirBuffer;
    }

    void TearDown() override {
        for (const std::string& path : written) {
            std::remove(path.c_str());
        }
        rmdir(dir.c_str());
    }

    std::string write(const char* name, const std::string& content) {
        std::string path = dir + "/" + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file != nullptr) {
            std::fwrite(content.data(), 1, content.size(), file);
            std::fclose(file);
        }
        written.push_back(path);
        return path;
    }

    // Reads through readTextFile, checks the NUL and hands back the text.
    std::string readBack(const std::string& path, size_t expectedLength) {
        char* text = readTextFile(path.c_str());
        EXPECT_NE(text, nullptr) << path;
        if (text == nullptr) {
            return std::string();
        }
        EXPECT_EQ(text[expectedLength], '\0');
        std::string result(text, expectedLength);
        std::free(text);
        return result;
    }

    char dirBuffer[4096];
    std::string dir;
    std::vector<std::string> written;
};

}  // namespace

TEST_F(ReadTextFile, NothingToReadGivesNull) {
    EXPECT_EQ(readTextFile(nullptr), nullptr);
    EXPECT_EQ(readTextFile((dir + "/missing.c").c_str()), nullptr);
    EXPECT_EQ(readTextFile(write("empty.c", "").c_str()), nullptr);
    EXPECT_EQ(readTextFile(dir.c_str()), nullptr);
}

TEST_F(ReadTextFile, WholeTextComesBackTerminated) {
    const std::string source = "void main()\n{\n    gl_FragColor = vec4(1.0, 0.5, 0.25, 1.0);\n}\n";
    std::string path = write("shader.c", source);
    EXPECT_EQ(readBack(path, source.size()), source);

    EXPECT_EQ(readBack(write("one.c", "x"), 1), "x");
    // No end of line at the end: the last character is kept.
    EXPECT_EQ(readBack(write("noeol.c", "a\nb"), 3), "a\nb");
}

TEST_F(ReadTextFile, CarriageReturnsAreKeptOnLinux) {
    const std::string source = "line one\r\nline two\r\n\r\n";
    std::string path = write("crlf.c", source);
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    ASSERT_EQ(static_cast<size_t>(status.st_size), source.size());
    EXPECT_EQ(readBack(path, source.size()), source);
}

TEST_F(ReadTextFile, LargeFileIsReadWhole) {
    std::string source;
    for (int i = 0; source.size() < 200000; ++i) {
        source += "// line " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(readBack(write("large.c", source), source.size()), source);
}
