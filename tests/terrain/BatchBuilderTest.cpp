#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "terrain/BatchBuilder.h"
#include "terrain/BlockRules.h"
#include "terrain/BlockTerrain.h"
#include "terrain/ChosenBlocks.h"
#include "terrain/Spans.h"
#include "terrain/VertexChunks.h"

namespace {

// Every vertex the builder hands out, in small chunks so that chunking is exercised.
class Collect : public VertexChunks {
public:
    BatchVertex* open() override { return room; }
    void close(int count) override { vertices.insert(vertices.end(), room, room + count); }
    int capacity() const override { return 40; }
    std::vector<BatchVertex> vertices;

private:
    BatchVertex room[40];
};

// Columns of filled blocks, chosen as the block loop's walk chooses them: in order, upwards.
struct Field {
    int side;
    std::vector<float> heights;
    ChosenBlocks chosen;

    Field(int side, std::vector<float> heights) : side(side), heights(std::move(heights)) {
        chosen.reserve(side * side);
    }
    float y(int c, int k) const { return blockY(heights[(c % side) * side + c / side], k); }
    void choose(int c, int k) {
        chosen(float(c / side), y(c, k), float(c % side), c, k, BlockDraw::filled);
    }
    // Whether a filled cube holds the point's outer side: strictly inside across the face, and
    // from the point on along the normal (touching there counts).
    bool holdsBeyond(const float* p, int axis, bool outward) const {
        for (int c = 0; c < side * side; ++c) {
            for (int k = 0; k < 64; ++k) {
                const float centre[3] = {float(c / side), y(c, k), float(c % side)};
                bool holds = (chosen.filled[c] >> k & 1) != 0;
                for (int a = 0; a < 3 && holds; ++a) {
                    const float low = centre[a] - 1.0f;
                    const float high = centre[a] + 1.0f;
                    holds = a != axis ? low < p[a] && p[a] < high
                            : outward ? low <= p[a] && p[a] < high
                                      : low < p[a] && p[a] <= high;
                }
                if (holds) {
                    return true;
                }
            }
        }
        return false;
    }
    std::vector<BatchVertex> faces(const float* eye) const {
        blockTerrain.createCube();
        Collect out;
        BatchBuilder(blockTerrain.vertices, blockTerrain.indices)
            .buildFaces(chosen, heights.data(), side, {{eye[0], eye[1], eye[2]}, true, 1.3f}, out);
        return out.vertices;
    }
};

// How many quads sent face this way in this plane and cover the point (strictly inside).
int covering(const std::vector<BatchVertex>& v, const float* p, int axis, bool outward) {
    int count = 0;
    for (std::size_t q = 0; q < v.size(); q += 4) {
        const float normal[3] = {v[q].nx, v[q].ny, v[q].nz};
        bool inside = normal[axis] == (outward ? 1.0f : -1.0f);
        for (int a = 0; a < 3 && inside; ++a) {
            float low = INFINITY;
            float high = -INFINITY;
            for (std::size_t m = q; m < q + 4; ++m) {
                const float at[3] = {v[m].x, v[m].y, v[m].z};
                low = std::min(low, at[a]);
                high = std::max(high, at[a]);
            }
            inside = a == axis ? low == p[a] : low < p[a] && p[a] < high;
        }
        count += inside;
    }
    return count;
}

TEST(Spans, TouchingJoinsAndAnOverflowedSetTakesNothingAway) {
    Spans spans;
    spans.add(1.0f, 2.0f);
    spans.add(2.0f, 3.0f);
    EXPECT_TRUE(spans.count == 1 && spans.holdsInside(2.0f) && !spans.holdsInside(3.0f));
    Spans tooMany;
    for (int n = 0; n <= Spans::capacity; ++n) {
        tooMany.add(2.0f * n, 2.0f * n + 1.0f);
    }
    spans.subtract(tooMany);
    EXPECT_TRUE(tooMany.overflowed && spans.count == 1 && spans.high[0] == 3.0f);
}

TEST(BatchView, OnlyTheViewersPerspectiveLetsFacesBeDropped) {
    // gluPerspective(45, 4 / 3, 1, 500), column-major.
    float p[16] = {1.81066f, 0, 0,          0,  0, 2.414214f, 0,          0,
                   0,        0, -1.004008f, -1, 0, 0,         -2.004008f, 0};
    const BatchView view = viewFromProjection(p, 1.0f, 2.0f, 3.0f);
    // The near rectangle's corner is sqrt(1 + 0.5523² + 0.4142²) = 1.2155 from the eye.
    EXPECT_TRUE(view.dropFaces && view.eye[2] == 3.0f);
    EXPECT_NEAR(view.nearReach, 1.05f * 1.2155f, 1e-3f);
    p[8] = 0.1f;  // off centre
    EXPECT_FALSE(viewFromProjection(p, 0, 0, 0).dropFaces);
}

// Random fields with runs and holes, seen from outside: every point of a filled cube's face that
// the eye sees from the front and that no other cube holds beyond it is sent exactly once; no
// point inside the field is sent.
TEST(BatchBuilder, SendsTheSurfaceOfTheFilledCubesEachPointOnce) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<float> heights(25);
        for (float& height : heights) {
            height = 13.0f + 3.0f * unit(random);
        }
        Field field(5, heights);
        for (int c = 0; c < 25; ++c) {
            const int from = static_cast<int>(unit(random) * 3);
            const int to = std::min(6, from + static_cast<int>(unit(random) * 6));
            for (int k = from; k < to; ++k) {
                if (unit(random) < 0.9f) {
                    field.choose(c, k);
                }
            }
        }
        const float eye[3] = {-9.0f + 26.0f * unit(random), 30.0f + 10.0f * unit(random),
                              -9.0f + 26.0f * unit(random)};
        const std::vector<BatchVertex> sent = field.faces(eye);
        for (int c = 0; c < 25; ++c) {
            for (int k = 0; k < 6; ++k) {
                const float centre[3] = {float(c / 5), field.y(c, k), float(c % 5)};
                for (int face = 0; face < 6 && (field.chosen.filled[c] >> k & 1) != 0; ++face) {
                    const int axis = face / 2;
                    const bool outward = face % 2 == 1;
                    float p[3];
                    p[axis] = centre[axis] + (outward ? 1.0f : -1.0f);
                    if ((eye[axis] > p[axis]) != outward) {
                        continue;  // seen from behind
                    }
                    // Points on the face, off the unit grid's lines.
                    for (float u : {-0.77f, -0.31f, 0.23f, 0.61f}) {
                        for (float w : {-0.83f, -0.42f, 0.18f, 0.69f}) {
                            p[(axis + 1) % 3] = centre[(axis + 1) % 3] + u;
                            p[(axis + 2) % 3] = centre[(axis + 2) % 3] + w;
                            ASSERT_EQ(covering(sent, p, axis, outward),
                                      field.holdsBeyond(p, axis, outward) ? 0 : 1)
                                << "trial " << trial << ", column " << c << ", block " << k
                                << ", face " << face;
                        }
                    }
                }
            }
        }
    }
}

// The eye inside a field of 3 by 3 columns of three blocks: all within the near plane's reach,
// so every face whose front the eye is in front of is sent whole, as the cube has it.
TEST(BatchBuilder, BlocksNearTheEyeKeepEveryFaceItSees) {
    Field field(3, std::vector<float>(9, 14.5f));
    for (int c = 0; c < 9; ++c) {
        for (int k = 0; k < 3; ++k) {
            field.choose(c, k);
        }
    }
    const float eye[3] = {1.03f, 15.47f, 0.96f};  // within a sixteenth of some planes
    const std::vector<BatchVertex> sent = field.faces(eye);
    int expected = 0;
    for (int c = 0; c < 9; ++c) {
        for (int k = 0; k < 3; ++k) {
            const float centre[3] = {float(c / 3), field.y(c, k), float(c % 3)};
            for (int a = 0; a < 3; ++a) {
                expected += (eye[a] > centre[a] + 1.0f - 1.0f / 16) +
                            (eye[a] < centre[a] - 1.0f + 1.0f / 16);
            }
        }
    }
    ASSERT_EQ(static_cast<int>(sent.size()), 4 * expected);
    for (std::size_t n = 0; n < sent.size(); ++n) {
        const CubeVertex* corner = blockTerrain.vertices;
        while (
            !(corner->nx == sent[n].nx && corner->ny == sent[n].ny && corner->nz == sent[n].nz)) {
            ++corner;  // the first corner of the face sent
        }
        corner += n % 4;
        EXPECT_TRUE(sent[n].s == corner->s && sent[n].t == corner->t && sent[n].r == 255 &&
                    std::abs(sent[n].x - sent[n - n % 4].x) <= 2.0f)
            << n;
    }
}

// A lone line block: the 18 segments of the cube's indices less the 6 that go from a vertex to
// itself and the 2 drawn again along the same edge. A run of three: its upright edges as one
// segment each, and the bottom block's top edges left to the top block's bottom edges.
TEST(BatchBuilder, LineBlocksLoseOnlySegmentsThatDrawNothingNew) {
    Field field(1, {14.25f});
    blockTerrain.createCube();
    const BatchBuilder builder(blockTerrain.vertices, blockTerrain.indices);
    field.chosen.lines[0] = 0b1;
    Collect lone;
    EXPECT_EQ(builder.buildLines(field.chosen, field.heights.data(), 1, lone), 10);
    field.chosen.lines[0] = 0b111;
    Collect run;
    EXPECT_EQ(builder.buildLines(field.chosen, field.heights.data(), 1, run), 3 * 7 - 3 + 3);
    int upright = 0;
    for (std::size_t n = 0; n < run.vertices.size(); n += 2) {
        const BatchVertex& a = run.vertices[n];
        const BatchVertex& b = run.vertices[n + 1];
        ASSERT_FALSE(a.x == b.x && a.y == b.y && a.z == b.z);
        if (a.x == b.x && a.z == b.z) {
            ++upright;
            EXPECT_TRUE(std::min(a.y, b.y) == 13.25f && std::max(a.y, b.y) == 17.25f);
        }
    }
    EXPECT_EQ(upright, 3);
}

}  // namespace
