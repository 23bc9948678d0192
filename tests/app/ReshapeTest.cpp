#include <gtest/gtest.h>

#include <cmath>

#include "app/Callbacks.h"

TEST(ReshapeAspectRatio, WidthOverHeightAsAFloatingQuotient) {
    EXPECT_DOUBLE_EQ(aspectRatio(1024, 768), 1024.0 / 768.0);
    EXPECT_NEAR(aspectRatio(2048, 768), 2.67, 0.005);
    EXPECT_DOUBLE_EQ(aspectRatio(2048, 768), 2048.0 / 768.0);
    // Not an integer division.
    EXPECT_DOUBLE_EQ(aspectRatio(768, 1024), 0.75);
    EXPECT_DOUBLE_EQ(aspectRatio(1, 3), 1.0 / 3.0);
}

TEST(ReshapeAspectRatio, ZeroHeightCountsAsOnePixel) {
    double ratio = aspectRatio(1024, 0);
    EXPECT_TRUE(std::isfinite(ratio));
    EXPECT_DOUBLE_EQ(ratio, 1024.0);
    EXPECT_TRUE(std::isfinite(aspectRatio(0, 0)));
}
