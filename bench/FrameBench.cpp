// One whole frame of the viewer (the real onDisplay) at each grid size from the start pose, in
// a real window, against a floor: the same frame's GL calls recorded once and played straight
// to the driver with none of our logic. Also the start-up time to the first frame and the time
// from key 1 to the next frame. Needs a display; tools/run-benchmarks.sh runs it on Xvfb.
#include "bench/GlInterpose.h"
#include "bench/StartPose.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/Callbacks.h"
#include "app/ShaderProgram.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"
#include "camera/Camera.h"
#include "generation/CoherentNoiseTerrain.h"
#include "platform/FakeInput.h"
#include "platform/Input.h"
#include "platform/VirtualKeys.h"
#include "terrain/BatchedRenderer.h"
#include "terrain/BlockTerrain.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int gridSizes[] = {128, 64, 48, 32, 16, 4};
// Timed pairs (one frame of ours, one of the floor) per size and V state. Under llvmpipe a
// frame that draws costs about 15 microseconds a draw (half a second and more at 128); a frame
// that draws little takes a few milliseconds, so it gets many pairs. llvmpipe's own threads
// make drawing frames vary by several per cent, hence at least 21 pairs.
constexpr int pairsFor(int size, bool vHeld) {
    return size >= 128 ? 21 : vHeld && size >= 32 ? 31 : 201;
}
constexpr int keyOneRepeats = 3;
constexpr int windowWidth = 1024;
constexpr int windowHeight = 768;

// Set by the first initialiser of the program, before the library's process-wide objects.
Clock::time_point initStart;
double processAgeAtInit = -1.0;

// Seconds since boot at which the kernel started this process, from /proc (tick resolution).
double processStartSinceBoot() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    if (stat == nullptr) {
        return -1.0;
    }
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* afterName = read ? std::strrchr(line, ')') : nullptr;
    if (afterName == nullptr) {
        return -1.0;
    }
    // Fields after the name start at field 3; the start time is field 22.
    unsigned long long ticks = 0;
    const char* p = afterName + 2;
    for (int field = 3; field < 22 && p != nullptr; ++field) {
        p = std::strchr(p, ' ');
        p = p != nullptr ? p + 1 : nullptr;
    }
    if (p == nullptr || std::sscanf(p, "%llu", &ticks) != 1) {
        return -1.0;
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double secondsSinceBoot() {
    timespec now = {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

__attribute__((constructor(101))) void noteProcessStart() {
    initStart = Clock::now();
    const double started = processStartSinceBoot();
    if (started >= 0.0) {
        processAgeAtInit = secondsSinceBoot() - started;
    }
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : 0.5 * (values[mid - 1] + values[mid]);
}

FakeInput* fakeInput = nullptr;
int builtSize = -1;

void placeAtStart() {
    placeAtStartPose(*camera);
    // The cursor at the point mouse look re-centres to: the view does not turn.
    fakeInput->setCursor(400, 300);
}

double timeOurFrame() {
    const Clock::time_point start = Clock::now();
    onDisplay();
    glFinish();
    return secondsBetween(start, Clock::now());
}

double timeFloorFrame(const glspy::Tape& tape) {
    const Clock::time_point start = Clock::now();
    glspy::replay(tape);
    glFinish();
    return secondsBetween(start, Clock::now());
}

// Our frame and the floor's with every GL call swallowed: what our frame spends outside the
// driver is the difference, once the swallowing costs both alike.
double timeWithoutDriver(const glspy::Tape* floorTape) {
    glspy::mode = glspy::Mode::stub;
    const Clock::time_point start = Clock::now();
    if (floorTape != nullptr) {
        glspy::replay(*floorTape);
    } else {
        onDisplay();
    }
    const double seconds = secondsBetween(start, Clock::now());
    glspy::mode = glspy::Mode::forward;
    return seconds;
}

void resetCounts() {
    std::fill(std::begin(glspy::counts), std::end(glspy::counts), 0);
    glspy::lineDraws = 0;
}

void recordFrame(glspy::Tape& into) {
    glspy::tape.clear();
    resetCounts();
    glspy::mode = glspy::Mode::record;
    onDisplay();
    glspy::mode = glspy::Mode::forward;
    glFinish();
    into = glspy::tape;
}

struct Row {
    int size;
    bool vHeld;
    int pairs;
    double oursSeconds;
    double floorSeconds;
    double ratio;
    double likeRatio;
    double withoutDriverSeconds;
    std::uint64_t calls;
    std::uint64_t filledDraws;
    std::uint64_t lineDraws;
    bool tapeSteady;
};
std::vector<Row> rows;

void prepareSize(int size) {
    if (builtSize != size) {
        blockTerrain.rebuild(size);
        meshSize = size;
        builtSize = size;
    }
    placeAtStart();
    fakeInput->releaseAllKeys();
    // The first frame after a rebuild culls every block by the origin's box.
    onDisplay();
    glFinish();
}

void frameBenchmark(benchmark::State& state, int size, bool vHeld) {
    prepareSize(size);
    fakeInput->setKey(vk::v, vHeld);
    onDisplay();
    glFinish();

    glspy::Tape tape;
    recordFrame(tape);
    Row row = {};
    row.size = size;
    row.vHeld = vHeld;
    row.calls = tape.calls;
    row.lineDraws = glspy::lineDraws;
    row.filledDraws = glspy::counts[glspy::drawElements] - glspy::lineDraws;
    if (glspy::counts[glspy::pushMatrix] == 0 || glspy::counts[glspy::translatef] == 0 ||
        glspy::counts[glspy::swapBuffers] != 1 || glspy::counts[glspy::lookAt] != 1) {
        state.SkipWithError("the library's GL calls were not captured");
        return;
    }
    // A second frame must make the same calls, or the floor is not our frame's.
    glspy::Tape second;
    recordFrame(second);
    row.tapeSteady = tape == second;

    std::vector<double> ours;
    std::vector<double> floor;
    std::vector<double> ratios;
    for (auto _ : state) {
        double our = 0.0;
        double bare = 0.0;
        // Alternate which goes first so drift falls on both alike.
        if (ours.size() % 2 == 0) {
            our = timeOurFrame();
            bare = timeFloorFrame(tape);
        } else {
            bare = timeFloorFrame(tape);
            our = timeOurFrame();
        }
        ours.push_back(our);
        floor.push_back(bare);
        ratios.push_back(our / bare);
        state.SetIterationTime(our);
    }
    std::vector<double> withoutDriver;
    for (int n = 0; n < std::max<int>(15, static_cast<int>(ours.size())); ++n) {
        const double our = timeWithoutDriver(nullptr);
        withoutDriver.push_back(our - timeWithoutDriver(&tape));
    }

    row.pairs = static_cast<int>(ours.size());
    row.oursSeconds = median(ours);
    row.floorSeconds = median(floor);
    row.ratio = median(ratios);
    // The order alternates, so each kind's frames meet their own kind across the pairs'
    // borders: those neighbours' ratio would be 1 but for noise, which it measures.
    std::vector<double> likeRatios;
    for (std::size_t n = 1; n < ours.size(); n += 2) {
        likeRatios.push_back(floor[n] / floor[n - 1]);
        if (n + 1 < ours.size()) {
            likeRatios.push_back(ours[n] / ours[n + 1]);
        }
    }
    row.likeRatio = median(likeRatios);
    row.withoutDriverSeconds = median(withoutDriver);
    rows.push_back(row);

    state.counters["fps_ours"] = 1.0 / row.oursSeconds;
    state.counters["fps_floor"] = 1.0 / row.floorSeconds;
    state.counters["ratio"] = row.ratio;
    state.counters["like_ratio"] = row.likeRatio;
    state.counters["outside_driver"] = row.withoutDriverSeconds / row.oursSeconds;
    state.counters["draws"] = static_cast<double>(row.filledDraws + row.lineDraws);
}

// The batched renderer against the block loop's own draws: the same frame from the same pose,
// drawn one way and then the other, the order alternating.
struct BatchedRow {
    int size;
    bool vHeld;
    int pairs;
    double loopSeconds;
    double batchedSeconds;
    double ratio;
    double likeRatio;
    long quads;
    long segments;
};
std::vector<BatchedRow> batchedRows;

void batchedBenchmark(benchmark::State& state, int size, bool vHeld) {
    prepareSize(size);
    fakeInput->setKey(vk::v, vHeld);
    for (bool batched : {false, true}) {
        batchedDrawing = batched;
        timeOurFrame();  // the driver builds its variants for each way at its first frame
    }
    std::vector<double> times[2];
    std::vector<double> ratios;
    for (auto _ : state) {
        double pair[2] = {};
        const int first = static_cast<int>(ratios.size() % 2);
        for (int turn = 0; turn < 2; ++turn) {
            const int which = turn ^ first;
            batchedDrawing = which == 1;
            pair[which] = timeOurFrame();
        }
        times[0].push_back(pair[0]);
        times[1].push_back(pair[1]);
        ratios.push_back(pair[0] / pair[1]);
        state.SetIterationTime(pair[1]);
    }
    batchedDrawing = false;
    BatchedRow row = {size,
                      vHeld,
                      static_cast<int>(ratios.size()),
                      median(times[0]),
                      median(times[1]),
                      median(ratios),
                      0.0,
                      batchedRenderer.lastQuads,
                      batchedRenderer.lastSegments};
    // Each kind's frames meet their own kind across the pairs' borders (see frameBenchmark).
    std::vector<double> likeRatios;
    for (std::size_t n = 1; n < ratios.size(); ++n) {
        const int kind = n % 2 == 1 ? 1 : 0;
        likeRatios.push_back(times[kind][n] / times[kind][n - 1]);
    }
    row.likeRatio = median(likeRatios);
    batchedRows.push_back(row);
    state.counters["fps_loop"] = 1.0 / row.loopSeconds;
    state.counters["fps_batched"] = 1.0 / row.batchedSeconds;
    state.counters["speed_up"] = row.ratio;
}

// KELMORA_OTHER_PHONG names a folder holding another PhongVert.c and PhongFrag.c: the 128 frame
// with V released is then timed with that program bound against ours, frame for frame.
ShaderProgram otherPhong;
struct ShaderRow {
    int pairs = 0;
    double oursSeconds = 0.0;
    double otherSeconds = 0.0;
    double ratio = 0.0;
    double cpuRatio = 0.0;
} shaderRow;

// With LP_NUM_THREADS=0 llvmpipe shades in the calling thread, so the process's CPU time is the
// frame's work, however busy the machine is.
double processCpuSeconds() {
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

void shaderBenchmark(benchmark::State& state) {
    const unsigned int ours = phongProgram.program;
    prepareSize(128);
    fakeInput->setKey(vk::v, false);
    phongProgram.program = otherPhong.program;
    timeOurFrame();  // the driver builds the program's variants at its first frame
    std::vector<double> oursTimes;
    std::vector<double> otherTimes;
    std::vector<double> ratios;
    std::vector<double> cpuRatios;
    for (auto _ : state) {
        double times[2] = {};
        double cpu[2] = {};
        // Alternate which goes first so drift falls on both alike.
        const int first = static_cast<int>(ratios.size() % 2);
        for (int turn = 0; turn < 2; ++turn) {
            const int which = turn ^ first;
            phongProgram.program = which == 0 ? ours : otherPhong.program;
            const double cpuBefore = processCpuSeconds();
            times[which] = timeOurFrame();
            cpu[which] = processCpuSeconds() - cpuBefore;
        }
        oursTimes.push_back(times[0]);
        otherTimes.push_back(times[1]);
        ratios.push_back(times[0] / times[1]);
        cpuRatios.push_back(cpu[0] / cpu[1]);
        state.SetIterationTime(times[0]);
    }
    phongProgram.program = ours;
    shaderRow.pairs = static_cast<int>(ratios.size());
    shaderRow.oursSeconds = median(oursTimes);
    shaderRow.otherSeconds = median(otherTimes);
    shaderRow.ratio = median(ratios);
    shaderRow.cpuRatio = median(cpuRatios);
    state.counters["ratio"] = shaderRow.ratio;
}

struct StartTimes {
    double execToInit = -1.0;
    double staticInit = 0.0;
    double startUp = 0.0;
    double firstFrame = 0.0;
    double fromInit = 0.0;
};

// Start-up as the viewer does it, then the main loop's own steps until its first frame is done.
StartTimes startAndDrawFirstFrame(Clock::time_point mainStart, int* argc, char** argv) {
    StartTimes times;
    startUp(argc, argv);
    const Clock::time_point started = Clock::now();
    glspy::installHooks();
    const std::uint64_t swapsBefore = glspy::swapCount;
    const Clock::time_point giveUp = started + std::chrono::seconds(30);
    while (glspy::swapCount == swapsBefore && Clock::now() < giveUp) {
        glutMainLoopEvent();
        if (glspy::swapCount == swapsBefore) {
            onIdle();
        }
    }
    glFinish();
    const Clock::time_point drawn = Clock::now();
    times.execToInit = processAgeAtInit;
    times.staticInit = secondsBetween(initStart, mainStart);
    times.startUp = secondsBetween(mainStart, started);
    times.firstFrame = secondsBetween(started, drawn);
    times.fromInit = secondsBetween(initStart, drawn);
    return times;
}

struct KeyTimes {
    double rebuild = 0.0;
    double frame = 0.0;
    double total = 0.0;
};

KeyTimes timeKeyOne() {
    std::vector<double> rebuilds;
    std::vector<double> frames;
    std::vector<double> totals;
    for (int n = 0; n < keyOneRepeats; ++n) {
        placeAtStart();
        fakeInput->releaseAllKeys();
        onDisplay();
        glFinish();
        const Clock::time_point pressed = Clock::now();
        onKeyboard('1', 0, 0);
        const Clock::time_point rebuilt = Clock::now();
        onDisplay();
        glFinish();
        const Clock::time_point drawn = Clock::now();
        rebuilds.push_back(secondsBetween(pressed, rebuilt));
        frames.push_back(secondsBetween(rebuilt, drawn));
        totals.push_back(secondsBetween(pressed, drawn));
    }
    KeyTimes times;
    times.rebuild = median(rebuilds);
    times.frame = median(frames);
    times.total = median(totals);
    builtSize = 128;
    return times;
}

void printTables(const StartTimes& start, const KeyTimes& key, const KeyTimes& batchedKey) {
    const char* threads = std::getenv("LP_NUM_THREADS");
    const char* glthread = std::getenv("mesa_glthread");
    std::printf(
        "\nGL_RENDERER: %s\nGL_VERSION: %s\nLP_NUM_THREADS: %s, mesa_glthread: %s\n"
        "terrain seed at the last rebuild: %d\n",
        reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
        reinterpret_cast<const char*>(glGetString(GL_VERSION)),
        threads != nullptr ? threads : "unset", glthread != nullptr ? glthread : "unset",
        noiseTerrain.seed);
    std::printf(
        "\n| grid | V | fps ours | fps floor | ratio ours/floor | ratio like/like | ms ours | "
        "ms floor | ms outside driver | share outside driver | draws (filled + lines) | GL calls "
        "| pairs |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& r : rows) {
        std::printf(
            "| %d | %s | %.2f | %.2f | %.3f | %.3f | %.2f | %.2f | %.2f | %.1f %% | %llu + %llu "
            "| %llu | %d |\n",
            r.size, r.vHeld ? "held" : "released", 1.0 / r.oursSeconds, 1.0 / r.floorSeconds,
            r.ratio, r.likeRatio, r.oursSeconds * 1e3, r.floorSeconds * 1e3,
            r.withoutDriverSeconds * 1e3, 100.0 * r.withoutDriverSeconds / r.oursSeconds,
            static_cast<unsigned long long>(r.filledDraws),
            static_cast<unsigned long long>(r.lineDraws), static_cast<unsigned long long>(r.calls),
            r.pairs);
    }
    for (const Row& r : rows) {
        if (!r.tapeSteady) {
            std::printf("note: grid %d, V %s: two frames in a row made different calls\n", r.size,
                        r.vHeld ? "held" : "released");
        }
    }
    std::printf("\n| start-up step | ms |\n|---|---|\n");
    if (start.execToInit >= 0.0) {
        std::printf("| exec to the program's first initialiser (10 ms ticks) | %.0f |\n",
                    start.execToInit * 1e3);
    }
    std::printf("| static objects (32 grid generated) | %.1f |\n", start.staticInit * 1e3);
    std::printf("| startUp (window, GL state, buffers, shaders) | %.1f |\n", start.startUp * 1e3);
    std::printf("| main loop to the first frame finished | %.1f |\n", start.firstFrame * 1e3);
    std::printf("| first initialiser to the first frame finished | %.1f |\n", start.fromInit * 1e3);
    if (start.execToInit >= 0.0) {
        std::printf("| process start to the first frame finished | %.0f |\n",
                    (start.execToInit + start.fromInit) * 1e3);
    }
    std::printf(
        "\n| key 1 (median of %d) | ms |\n|---|---|\n| onKeyboard('1'): regenerate at 128 | "
        "%.1f |\n| next frame (culled by the origin's box) | %.1f |\n| key to frame finished | "
        "%.1f |\n",
        keyOneRepeats, key.rebuild * 1e3, key.frame * 1e3, key.total * 1e3);
    std::printf(
        "\n| grid | V | fps loop | fps batched | speed-up (loop / batched time) | like / like | "
        "ms loop | ms batched | quads | segments | pairs |\n|---|---|---|---|---|---|---|---|---|"
        "---|---|\n");
    for (const BatchedRow& r : batchedRows) {
        std::printf("| %d | %s | %.2f | %.2f | %.2f | %.3f | %.2f | %.2f | %ld | %ld | %d |\n",
                    r.size, r.vHeld ? "held" : "released", 1.0 / r.loopSeconds,
                    1.0 / r.batchedSeconds, r.ratio, r.likeRatio, r.loopSeconds * 1e3,
                    r.batchedSeconds * 1e3, r.quads, r.segments, r.pairs);
    }
    std::printf(
        "\n| key 1, batched (median of %d) | ms |\n|---|---|\n| onKeyboard('1'): regenerate at "
        "128 | %.1f |\n| next frame (culled by the origin's box) | %.1f |\n| key to frame "
        "finished | %.1f |\n",
        keyOneRepeats, batchedKey.rebuild * 1e3, batchedKey.frame * 1e3, batchedKey.total * 1e3);
    if (shaderRow.pairs > 0) {
        std::printf(
            "\n| Phong program, 128, V released | ms ours | ms other | ratio ours/other | CPU "
            "time ratio | pairs |\n|---|---|---|---|---|---|\n| %s | %.1f | %.1f | %.3f | %.3f | "
            "%d |\n",
            std::getenv("KELMORA_OTHER_PHONG"), shaderRow.oursSeconds * 1e3,
            shaderRow.otherSeconds * 1e3, shaderRow.ratio, shaderRow.cpuRatio, shaderRow.pairs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point mainStart = Clock::now();
    benchmark::Initialize(&argc, argv);
    glspy::resolveReal();
    const StartTimes start = startAndDrawFirstFrame(mainStart, &argc, argv);
    // Start-up is timed as the viewer starts by default; the batched buffers come after.
    batchedRenderer.createBuffers(blockTerrain);
    if (glspy::swapCount == 0) {
        std::printf("The main loop drew no frame\n");
        return 1;
    }

    FakeInput input;
    fakeInput = &input;
    setActiveInput(&input);
    const KeyTimes key = timeKeyOne();
    batchedDrawing = true;
    const KeyTimes batchedKey = timeKeyOne();
    batchedDrawing = false;

    using Timed = void (*)(benchmark::State&, int, bool);
    const std::pair<const char*, Timed> kinds[] = {{"Frame/", frameBenchmark},
                                                   {"Batched/", batchedBenchmark}};
    for (const auto& [kind, timed] : kinds) {
        for (int size : gridSizes) {
            for (bool vHeld : {false, true}) {
                const std::string name =
                    kind + std::to_string(size) + (vHeld ? "/V_held" : "/V_released");
                benchmark::RegisterBenchmark(name.c_str(), timed, size, vHeld)
                    ->Iterations(pairsFor(size, vHeld))
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    if (const char* other = std::getenv("KELMORA_OTHER_PHONG")) {
        const std::string vertex = std::string(other) + "/PhongVert.c";
        const std::string fragment = std::string(other) + "/PhongFrag.c";
        buildShaderProgram(vertex.c_str(), fragment.c_str(), otherPhong,
                           "Other Phong shader loaded.");
        benchmark::RegisterBenchmark("Phong/128/V_released", shaderBenchmark)
            ->Iterations(pairsFor(128, false))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTables(start, key, batchedKey);
    setActiveInput(nullptr);
    return 0;
}
