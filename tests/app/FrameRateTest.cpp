#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/FrameRate.h"

namespace {

class FrameRateUpdate : public ::testing::Test {
protected:
    std::string tick(int interval) {
        updateFrameRate(interval, frames, text);
        return text;
    }

    unsigned int frames = 0;
    char text[sizeof(fpsText)] = "";
};

}  // namespace

TEST_F(FrameRateUpdate, ShowsThousandOverTheLastIntervalTruncated) {
    struct Case {
        int interval;
        const char* shown;
    };
    const Case cases[] = {{16, "62"},  {17, "58"},  {3, "333"}, {1, "1000"},
                          {1000, "1"}, {1001, "0"}, {7, "142"}, {-1, "-1000"}};
    for (const Case& c : cases) {
        EXPECT_EQ(tick(c.interval), c.shown) << "interval " << c.interval;
        EXPECT_EQ(frames, 0u) << "interval " << c.interval;
    }
}

TEST_F(FrameRateUpdate, ZeroIntervalKeepsTheTextAndKeepsCounting) {
    EXPECT_EQ(tick(0), "");
    EXPECT_EQ(frames, 1u);

    EXPECT_EQ(tick(20), "100");  // two frames in 20 ms
    EXPECT_EQ(frames, 0u);

    EXPECT_EQ(tick(0), "100");
    EXPECT_EQ(frames, 1u);
    EXPECT_EQ(tick(4), "500");  // two frames in 4 ms
    EXPECT_EQ(frames, 0u);
    EXPECT_EQ(tick(4), "250");  // the counter started again
}

TEST_F(FrameRateUpdate, TextFitsItsBufferAndIsTerminated) {
    std::memset(text, 'x', sizeof text);
    tick(3);
    EXPECT_EQ(std::strlen(text), 3u);
    EXPECT_GE(sizeof(fpsText), 12u);  // "-2147483648" and its NUL
}
