#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"

namespace {

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

class Bmp {
public:
    explicit Bmp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool empty() const { return bytes.empty(); }
    size_t fileSize() const { return bytes.size(); }
    uint32_t u32(size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
    }
    uint16_t u16(size_t at) const { return uint16_t(bytes[at] | bytes[at + 1] << 8); }
    int width() const { return int(u32(18)); }
    int height() const { return int(u32(22)); }
    int bitsPerPixel() const { return u16(28); }
    size_t rowBytes() const { return (size_t(width()) * 3 + 3) & ~size_t(3); }
    // Stored blue, green, red; the first stored row is row 0.
    Rgb pixel(int x, int y) const {
        const size_t at = u32(10) + size_t(y) * rowBytes() + size_t(x) * 3;
        return {bytes[at + 2], bytes[at + 1], bytes[at]};
    }
    std::vector<unsigned char> bytes;
};

// generateTexture writes ../data/terrainTex.bmp: run it from <tmp>/work with <tmp>/data beside.
class TerrainTextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kelmora-texture-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        ASSERT_EQ(mkdir((root + "/work").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root + "/data").c_str(), 0755), 0);
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        savedCwd = cwd;
        ASSERT_EQ(chdir((root + "/work").c_str()), 0);
    }

    void TearDown() override {
        if (!savedCwd.empty()) {
            EXPECT_EQ(chdir(savedCwd.c_str()), 0);
        }
        std::remove(texturePath().c_str());
        rmdir((root + "/data").c_str());
        rmdir((root + "/work").c_str());
        rmdir(root.c_str());
    }

    std::string texturePath() const { return root + "/data/terrainTex.bmp"; }

    std::string root;
    std::string savedCwd;
    std::unique_ptr<CoherentNoiseTerrain> terrain = std::make_unique<CoherentNoiseTerrain>(4);
};

}  // namespace

TEST_F(TerrainTextureTest, PixelsFollowTheGradientColumnByColumnRowZeroFirst) {
    // Width 5 makes each 15-byte row pad to 16.
    const float rows[2][5] = {{15.0f, 1000.0f, 2.25f, -15.0f, -1000.0f},
                              {-15.0f, 2.25f, 15.0f, 2.25f, 15.0f}};
    terrain->heightMap.SetSize(5, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            terrain->heightMap.SetValue(x, y, rows[y][x]);
        }
    }
    terrain->generateTexture();

    const Bmp bmp(texturePath());
    ASSERT_FALSE(bmp.empty());
    EXPECT_EQ(bmp.bytes[0], 'B');
    EXPECT_EQ(bmp.bytes[1], 'M');
    EXPECT_EQ(bmp.width(), 5);
    EXPECT_EQ(bmp.height(), 2);
    EXPECT_EQ(bmp.bitsPerPixel(), 24);
    EXPECT_EQ(bmp.u32(30), 0u);  // uncompressed
    ASSERT_EQ(bmp.fileSize(), bmp.u32(10) + 2 * 16);

    const Rgb green{32, 160, 0}, yellow{224, 224, 0}, blue{0, 0, 255};
    const Rgb expected[2][5] = {{green, green, yellow, blue, blue},
                                {blue, yellow, green, yellow, green}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(bmp.pixel(x, y), expected[y][x]) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(TerrainTextureTest, ImageHasTheGridSizeAndRepeatsWithoutRegeneration) {
    for (int size : {4, 128}) {
        terrain->setSize(size);
        randomiseLandscape(*terrain);
        terrain->generateTexture();
        const Bmp first(texturePath());
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(first.width(), size);
        EXPECT_EQ(first.height(), size);
        EXPECT_EQ(first.bitsPerPixel(), 24);

        // Without clearing the gradient first, libnoise would refuse the repeated points.
        terrain->generateTexture();
        EXPECT_EQ(Bmp(texturePath()).bytes, first.bytes) << "size " << size;
    }
}

TEST_F(TerrainTextureTest, FailuresRaiseLibnoiseExceptions) {
    // Nothing regenerated yet: the empty height map cannot be rendered and nothing is written.
    EXPECT_THROW(terrain->generateTexture(), noise::ExceptionInvalidParam);
    EXPECT_TRUE(Bmp(texturePath()).empty());

    randomiseLandscape(*terrain);
    ASSERT_EQ(rmdir((root + "/data").c_str()), 0);
    EXPECT_THROW(terrain->generateTexture(), noise::ExceptionUnknown);
}
