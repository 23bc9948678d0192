// The block loop's own work, without a window and without the driver: the real
// BlockTerrain::render from the start pose, with every GL call it makes swallowed by the
// definitions in bench/GlInterpose.h and the two matrices answered from the start pose. What
// is left is the culling test, the slot bookkeeping, the height gate and the near test of every
// block, at each grid size.
#include "bench/GlInterpose.h"
#include "bench/StartPose.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/FakeInput.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BlockTerrain.h"

namespace {

constexpr int gridSizes[] = {128, 64, 48, 32, 16, 4};
constexpr int layers = 32;

// The viewer's projection: 45 degrees, 1024 by 768, near 1, far 500; built as GLU builds it.
void perspectiveMatrix(float* out) {
    const double fovy = 45.0;
    const double aspect = 1024.0 / 768.0;
    const double zNear = 1.0;
    const double zFar = 500.0;
    const double pi = 3.14159265358979323846;
    const double radians = fovy / 2.0 * pi / 180.0;
    const double deltaZ = zFar - zNear;
    const double cotangent = std::cos(radians) / std::sin(radians);
    double m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1.0;
    m[14] = -2.0 * zNear * zFar / deltaZ;
    for (int n = 0; n < 16; ++n) {
        out[n] = static_cast<float>(m[n]);
    }
}

void normalise(float* v) {
    const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f) {
        return;
    }
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void crossInto(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// The camera's look-at matrix, built as GLU builds it and as the driver applies the translation.
void lookAtMatrix(const LookAt& a, float* out) {
    float forward[3] = {static_cast<float>(a.centerX - a.eyeX),
                        static_cast<float>(a.centerY - a.eyeY),
                        static_cast<float>(a.centerZ - a.eyeZ)};
    float up[3] = {static_cast<float>(a.upX), static_cast<float>(a.upY), static_cast<float>(a.upZ)};
    float side[3];
    normalise(forward);
    crossInto(forward, up, side);
    normalise(side);
    crossInto(side, forward, up);
    float m[16] = {side[0], up[0], -forward[0], 0.0f, side[1], up[1], -forward[1], 0.0f,
                   side[2], up[2], -forward[2], 0.0f, 0.0f,    0.0f,  0.0f,        1.0f};
    const float x = static_cast<float>(-a.eyeX);
    const float y = static_cast<float>(-a.eyeY);
    const float z = static_cast<float>(-a.eyeZ);
    for (int r = 0; r < 4; ++r) {
        m[12 + r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    }
    for (int n = 0; n < 16; ++n) {
        out[n] = m[n];
    }
}

float projection[16];
float modelView[16];
Camera* startCamera = nullptr;
FakeInput* fakeInput = nullptr;
int builtSize = -1;

struct Row {
    int size;
    bool vHeld;
    double offered;
    double filled;
    double lines;
};
// By benchmark name: the library may call a benchmark more than once, the last call counts.
std::map<std::string, Row> rows;

std::string benchmarkName(int size, bool vHeld) {
    return "BlockLoop/" + std::to_string(size) + (vHeld ? "/V_held" : "/V_released");
}

void resetCounts() {
    std::fill(std::begin(glspy::counts), std::end(glspy::counts), 0);
    glspy::lineDraws = 0;
}

void blockLoop(benchmark::State& state, int size, bool vHeld) {
    if (builtSize != size) {
        blockTerrain.rebuild(size);
        builtSize = size;
    }
    fakeInput->releaseAllKeys();
    fakeInput->setKey(vk::v, vHeld);
    // The first frame after a rebuild culls by the origin's box; then the slots settle.
    for (int n = 0; n < 3; ++n) {
        blockTerrain.render(1.0f, 1.0f, 1.0f, layers, startCamera);
    }
    resetCounts();
    for (auto _ : state) {
        blockTerrain.render(1.0f, 1.0f, 1.0f, layers, startCamera);
    }
    if (glspy::counts[glspy::getFloatv] == 0 || glspy::counts[glspy::pushMatrix] == 0) {
        state.SkipWithError("the library's GL calls were not captured");
        return;
    }
    const double frames = static_cast<double>(state.iterations());
    Row row = {};
    row.size = size;
    row.vHeld = vHeld;
    row.offered = static_cast<double>(glspy::counts[glspy::translatef]) / frames;
    row.lines = static_cast<double>(glspy::lineDraws) / frames;
    row.filled = static_cast<double>(glspy::counts[glspy::drawElements]) / frames - row.lines;
    state.counters["fps"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["blocks"] = static_cast<double>(size) * size * layers;
    state.counters["offered"] = row.offered;
    state.counters["filled"] = row.filled;
    state.counters["lines"] = row.lines;
    rows[benchmarkName(size, vHeld)] = row;
}

// Keeps each run's time per frame for the table; on a busy machine the CPU time is the
// steadier measure of a single-threaded loop. A run that failed has no row, so the table leaves
// it out (how a run reports its failure differs between the library's releases).
class TableReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the output is mostly read from logs.
    TableReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.iterations > 0) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                wallSeconds[run.benchmark_name()] = run.GetAdjustedRealTime() / unit;
                cpuSeconds[run.benchmark_name()] = run.GetAdjustedCPUTime() / unit;
            }
        }
    }
    std::map<std::string, double> wallSeconds;
    std::map<std::string, double> cpuSeconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // No context: every call is swallowed, the GLEW entries included.
    glspy::mode = glspy::Mode::stub;
    glspy::installHooks();
    Camera camera;
    placeAtStartPose(camera);
    startCamera = &camera;
    perspectiveMatrix(projection);
    lookAtMatrix(camera.lookAt(), modelView);
    glspy::stubProjection = projection;
    glspy::stubModelView = modelView;
    FakeInput input;
    fakeInput = &input;
    setActiveInput(&input);

    for (int size : gridSizes) {
        for (bool vHeld : {false, true}) {
            benchmark::RegisterBenchmark(benchmarkName(size, vHeld).c_str(), blockLoop, size, vHeld)
                ->Unit(benchmark::kMillisecond);
        }
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nterrain seed at the last rebuild: %d\n", noiseTerrain.seed);
    std::printf(
        "\n| grid | V | ms per frame (CPU) | ms per frame (wall) | frames per s (CPU) | blocks | "
        "offered to drawBlock | filled | lines |\n|---|---|---|---|---|---|---|---|---|\n");
    for (int size : gridSizes) {
        for (bool vHeld : {false, true}) {
            const std::string name = benchmarkName(size, vHeld);
            if (rows.count(name) == 0 || reporter.cpuSeconds.count(name) == 0) {
                continue;
            }
            const Row& r = rows[name];
            const double cpu = reporter.cpuSeconds[name];
            const double wall = reporter.wallSeconds[name];
            std::printf("| %d | %s | %.3f | %.3f | %.0f | %d | %.0f | %.0f | %.0f |\n", r.size,
                        r.vHeld ? "held" : "released", cpu * 1e3, wall * 1e3, 1.0 / cpu,
                        r.size * r.size * layers, r.offered, r.filled, r.lines);
        }
    }
    setActiveInput(nullptr);
    return 0;
}
