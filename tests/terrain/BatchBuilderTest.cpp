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

BatchBuilder cubeBuilder() {
    blockTerrain.createCube();
    return BatchBuilder(blockTerrain.vertices, blockTerrain.indices);
}

// Block k of column c = i * side + j drawn filled, as the loop's walk hands it on.
void choose(ChosenBlocks& chosen, const float* heights, int side, int c, int k) {
    const int i = c / side;
    const int j = c % side;
    chosen(float(i), blockY(heights[j * side + i], k), float(j), c, k, BlockDraw::filled);
}

BatchView viewFrom(float x, float y, float z, float nearReach = 1.3f) {
    return {{x, y, z}, true, nearReach};
}

TEST(Spans, JoinsWhatMeetsCutsWhatIsTakenAndHoldsOnlyInside) {
    Spans spans;
    spans.add(5.0f, 6.0f);
    spans.add(1.0f, 2.0f);
    spans.add(2.0f, 3.0f);  // touching: one interval
    spans.add(5.5f, 7.0f);
    ASSERT_EQ(spans.count, 2);
    EXPECT_TRUE(spans.low[0] == 1.0f && spans.high[0] == 3.0f);
    EXPECT_TRUE(spans.low[1] == 5.0f && spans.high[1] == 7.0f);
    EXPECT_TRUE(spans.holdsInside(2.5f));
    EXPECT_FALSE(spans.holdsInside(3.0f));  // an end is not inside

    Spans cut;
    cut.add(2.0f, 2.5f);
    cut.add(6.0f, 9.0f);
    spans.subtract(cut);
    ASSERT_EQ(spans.count, 3);
    EXPECT_TRUE(spans.high[0] == 2.0f && spans.low[1] == 2.5f && spans.high[2] == 6.0f);

    Spans tooMany;
    for (int n = 0; n <= Spans::capacity; ++n) {
        tooMany.add(2.0f * n, 2.0f * n + 1.0f);
    }
    EXPECT_TRUE(tooMany.overflowed);
    spans.subtract(tooMany);  // an overflowed set takes nothing away
    EXPECT_EQ(spans.count, 3);
}

TEST(BatchView, OnlyTheViewersPerspectiveLetsFacesBeDropped) {
    // gluPerspective(45, 4 / 3, 1, 500), column-major.
    const float perspective[16] = {1.81066f, 0, 0,          0,  0, 2.414214f, 0,          0,
                                   0,        0, -1.004008f, -1, 0, 0,         -2.004008f, 0};
    const BatchView view = viewFromProjection(perspective, 1.0f, 2.0f, 3.0f);
    EXPECT_TRUE(view.dropFaces);
    // The near rectangle's corner is sqrt(1 + 0.5523² + 0.4142²) = 1.2155 from the eye.
    EXPECT_NEAR(view.nearReach, 1.05f * 1.2155f, 1e-3f);
    EXPECT_EQ(view.eye[2], 3.0f);
    float orthographic[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(viewFromProjection(orthographic, 0, 0, 0).dropFaces);
    float offCentre[16];
    std::copy(perspective, perspective + 16, offCentre);
    offCentre[8] = 0.1f;
    EXPECT_FALSE(viewFromProjection(offCentre, 0, 0, 0).dropFaces);
}

// A quad the builder sent: the rectangle it covers and the way it faces.
struct Rect {
    int axis;
    bool outward;
    float plane;
    float low[3], high[3];
};

std::vector<Rect> rects(const std::vector<BatchVertex>& v) {
    std::vector<Rect> out;
    for (std::size_t q = 0; q + 3 < v.size(); q += 4) {
        Rect r = {};
        const float n[3] = {v[q].nx, v[q].ny, v[q].nz};
        r.axis = n[0] != 0 ? 0 : n[1] != 0 ? 1 : 2;
        r.outward = n[r.axis] > 0;
        for (int a = 0; a < 3; ++a) {
            r.low[a] = INFINITY;
            r.high[a] = -INFINITY;
        }
        for (int m = 0; m < 4; ++m) {
            const float p[3] = {v[q + m].x, v[q + m].y, v[q + m].z};
            r.plane = p[r.axis];
            for (int a = 0; a < 3; ++a) {
                r.low[a] = std::min(r.low[a], p[a]);
                r.high[a] = std::max(r.high[a], p[a]);
            }
        }
        out.push_back(r);
    }
    return out;
}

// Random fields of a few columns, with runs and holes, seen from outside: every point of the
// filled cubes' faces that the eye sees from the front and that no other cube holds beyond it is
// sent exactly once; no point inside the field is sent.
TEST(BatchBuilder, SendsTheSurfaceOfTheFilledCubesEachPointOnce) {
    const BatchBuilder builder = cubeBuilder();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    constexpr int side = 5;
    constexpr int layers = 6;
    for (int trial = 0; trial < 20; ++trial) {
        ChosenBlocks chosen;
        chosen.reserve(side * side);
        float heights[side * side];
        for (float& height : heights) {
            height = 13.0f + 3.0f * unit(random);
        }
        // Chosen as the block loop's walk chooses them: columns in order, each upwards.
        for (int c = 0; c < side * side; ++c) {
            const int from = static_cast<int>(unit(random) * 3);
            const int to = from + static_cast<int>(unit(random) * layers);
            for (int k = from; k < std::min(to, layers); ++k) {
                if (unit(random) < 0.9f) {
                    choose(chosen, heights, side, c, k);
                }
            }
        }
        const float eye[3] = {-9.0f + 26.0f * unit(random), 30.0f + 10.0f * unit(random),
                              -9.0f + 26.0f * unit(random)};
        Collect out;
        builder.buildFaces(chosen, heights, side, layers, viewFrom(eye[0], eye[1], eye[2]), out);
        const std::vector<Rect> sent = rects(out.vertices);

        // Whether a cube holds the point's outer side: strictly inside across the face, and
        // along the normal from the point on (a cube that only touches there holds it too).
        auto heldBeyond = [&](const float* p, int axis, bool outward) {
            for (int i = 0; i < side; ++i) {
                for (int j = 0; j < side; ++j) {
                    for (int k = 0; k < layers; ++k) {
                        const float c[3] = {float(i), blockY(heights[j * side + i], k), float(j)};
                        bool holds = (chosen.filled[i * side + j] >> k & 1) != 0;
                        for (int a = 0; a < 3 && holds; ++a) {
                            const float low = c[a] - 1.0f;
                            const float high = c[a] + 1.0f;
                            holds = a != axis ? low < p[a] && p[a] < high
                                    : outward ? low <= p[a] && p[a] < high
                                              : low < p[a] && p[a] <= high;
                        }
                        if (holds) {
                            return true;
                        }
                    }
                }
            }
            return false;
        };
        for (int i = 0; i < side; ++i) {
            for (int j = 0; j < side; ++j) {
                for (int k = 0; k < layers; ++k) {
                    if ((chosen.filled[i * side + j] >> k & 1) == 0) {
                        continue;
                    }
                    const float centre[3] = {float(i), blockY(heights[j * side + i], k), float(j)};
                    for (int axis = 0; axis < 3; ++axis) {
                        for (bool outward : {false, true}) {
                            const float plane = centre[axis] + (outward ? 1.0f : -1.0f);
                            if ((eye[axis] > plane) != outward) {
                                continue;  // seen from behind
                            }
                            // Sample points on the face, off the unit grid's lines.
                            for (float u : {-0.77f, -0.31f, 0.23f, 0.61f}) {
                                for (float w : {-0.83f, -0.42f, 0.18f, 0.69f}) {
                                    float p[3];
                                    const int a1 = (axis + 1) % 3;
                                    const int a2 = (axis + 2) % 3;
                                    p[axis] = plane;
                                    p[a1] = centre[a1] + u;
                                    p[a2] = centre[a2] + w;
                                    int covered = 0;
                                    for (const Rect& r : sent) {
                                        covered += r.axis == axis && r.outward == outward &&
                                                   r.plane == plane && p[a1] > r.low[a1] &&
                                                   p[a1] < r.high[a1] && p[a2] > r.low[a2] &&
                                                   p[a2] < r.high[a2];
                                    }
                                    ASSERT_EQ(covered, heldBeyond(p, axis, outward) ? 0 : 1)
                                        << "trial " << trial << ", block " << i << " " << j << " "
                                        << k << ", face " << axis << outward;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(BatchBuilder, BlocksNearTheEyeKeepEveryFaceItSees) {
    const BatchBuilder builder = cubeBuilder();
    ChosenBlocks chosen;
    chosen.reserve(9);
    float heights[9];
    std::fill(heights, heights + 9, 14.5f);
    for (int c = 0; c < 9; ++c) {
        for (int k = 0; k < 3; ++k) {
            choose(chosen, heights, 3, c, k);
        }
    }
    // The eye inside the middle column, between its first two blocks.
    Collect out;
    builder.buildFaces(chosen, heights, 3, 3, viewFrom(1.2f, 15.4f, 0.9f), out);
    int whole = 0;
    for (const Rect& r : rects(out.vertices)) {
        bool full = true;
        for (int a = 0; a < 3; ++a) {
            full = full && (a == r.axis || r.high[a] - r.low[a] == 2.0f);
        }
        whole += full;
    }
    // Every block of the field is within reach of the near plane's cut: 27 blocks, each with the
    // faces whose front the eye is in front of.
    int expected = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                const float c[3] = {float(i), blockY(14.5f, k), float(j)};
                const float eye[3] = {1.2f, 15.4f, 0.9f};
                for (int a = 0; a < 3; ++a) {
                    expected += eye[a] > c[a] + 1.0f - 1.0f / 16;
                    expected += eye[a] < c[a] - 1.0f + 1.0f / 16;
                }
            }
        }
    }
    EXPECT_EQ(whole, expected);
    EXPECT_EQ(static_cast<int>(out.vertices.size()), 4 * expected);
}

// A lone line block: the 18 segments of the cube's indices less the 6 that go from a vertex to
// itself and the 2 drawn again along the same edge. A run of three: its upright edges as one
// segment each, and the bottom block's top edges left to the top block's bottom edges.
TEST(BatchBuilder, LineBlocksLoseOnlySegmentsThatDrawNothingNew) {
    const BatchBuilder builder = cubeBuilder();
    ChosenBlocks chosen;
    chosen.reserve(1);
    const float height[1] = {14.25f};
    chosen.lines[0] = 0b1;
    Collect lone;
    EXPECT_EQ(builder.buildLines(chosen, height, 1, lone), 10);
    chosen.lines[0] = 0b111;
    Collect run;
    EXPECT_EQ(builder.buildLines(chosen, height, 1, run), 3 * 7 - 3 + 3);
    int upright = 0;
    for (std::size_t n = 0; n < run.vertices.size(); n += 2) {
        const BatchVertex& a = run.vertices[n];
        const BatchVertex& b = run.vertices[n + 1];
        ASSERT_NE(a.x == b.x && a.y == b.y && a.z == b.z, true);
        if (a.x == b.x && a.z == b.z) {
            ++upright;
            EXPECT_EQ(std::min(a.y, b.y), 13.25f);
            EXPECT_EQ(std::max(a.y, b.y), 17.25f);
        }
    }
    EXPECT_EQ(upright, 3);
}

}  // namespace
