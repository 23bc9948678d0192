#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/Callbacks.h"
#include "app/FrameRate.h"
#include "app/KeyCommand.h"
#include "app/TextFile.h"

TEST(KeyCommands, EveryByteHasItsCommandAndCaseMatters) {
    const int sizes[6] = {128, 64, 48, 32, 16, 4};
    for (int key = 0; key < 256; ++key) {
        const KeyCommand command = commandForKey(static_cast<unsigned char>(key));
        KeyCommand::Action expected = key == 27                  ? KeyCommand::quit
                                      : key == 'f'               ? KeyCommand::enableGlsl
                                      : key == 'g'               ? KeyCommand::disableGlsl
                                      : key >= '1' && key <= '6' ? KeyCommand::rebuild
                                                                 : KeyCommand::none;
        EXPECT_EQ(command.action, expected) << "key " << key;
        if (expected == KeyCommand::rebuild) {
            EXPECT_EQ(command.gridSize, sizes[key - '1']);
        }
    }
}

TEST(FrameRate, ThousandOverTheLastIntervalTruncatedAndZeroKeepsTheText) {
    char text[12] = "";
    unsigned int frames = 0;
    const std::pair<int, const char*> cases[] = {{1000, "1"}, {1001, "0"}, {3, "333"},
                                                 {16, "62"},  {17, "58"},  {-4, "-250"}};
    for (const auto& [interval, shown] : cases) {
        updateFrameRate(interval, frames, text);
        EXPECT_STREQ(text, shown);
        EXPECT_EQ(frames, 0u);
    }
    // Two idle calls within a millisecond: the text stays and the frame counts into the next.
    updateFrameRate(0, frames, text);
    EXPECT_STREQ(text, "-250");
    updateFrameRate(10, frames, text);
    EXPECT_STREQ(text, "200");
}

TEST(Reshape, AspectIsWidthOverHeightAndAZeroHeightCountsAsOne) {
    EXPECT_DOUBLE_EQ(aspectRatio(1024, 768), 1024.0 / 768.0);
    EXPECT_DOUBLE_EQ(aspectRatio(1024, 0), 1024.0);
}

namespace {

// The text read back, after writing `content` when there is one; "(null)" for none.
std::string readBack(const std::string& file, const char* content = nullptr) {
    if (content != nullptr) {
        std::ofstream(file, std::ios::binary) << content;
    }
    char* text = readTextFile(file.c_str());
    const std::string result = text != nullptr ? text : "(null)";
    std::free(text);
    return result;
}

}  // namespace

TEST(TextFile, WholeTextComesBackAndNothingReadableEmptyOrHugeGivesNull) {
    const std::string path = testing::TempDir() + "kelmora_";
    EXPECT_EQ(readTextFile(nullptr), nullptr);
#ifdef _WIN32
    const char* crLfRead = "void main()\n{\n}";  // read in text mode
#else
    const char* crLfRead = "void main()\r\n{\n}";
#endif
    EXPECT_EQ(readBack(path + "text", "void main()\r\n{\n}"), crLfRead);
    EXPECT_EQ(readBack(path + "empty", ""), "(null)");
    EXPECT_EQ(readBack(path + "missing"), "(null)");
    EXPECT_EQ(readBack(testing::TempDir()), "(null)");
    EXPECT_EQ(readBack(path + "huge", "x"), "x");
    ASSERT_EQ(truncate((path + "huge").c_str(), (16L << 20) + 1), 0);  // sparse
    EXPECT_EQ(readBack(path + "huge"), "(null)");
    ASSERT_EQ(truncate((path + "huge").c_str(), 16L << 20), 0);
    EXPECT_EQ(readBack(path + "huge"), "x");  // read whole; the zeros end the string

#ifndef _WIN32  // Windows has no FIFO.
    unlink((path + "fifo").c_str());
    ASSERT_EQ(mkfifo((path + "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readBack(path + "fifo"), "(null)");  // would block for ever waiting for a writer
    unlink((path + "fifo").c_str());
#endif
}
