#!/usr/bin/env bash
# run-benchmarks.sh [BENCHMARK FLAG...]: builds the benchmarks in Release and runs them: the
# block loop without a window, then the whole frame, the floor and the start-up timings on a
# private Xvfb. Prints Google Benchmark's output and the tables. Flags such as
# --benchmark_filter=... go to both programs.
#
# BUILD_DIR chooses the build directory (default build/benchmarks). Every regeneration of the
# terrain is seeded from time(); the runs preload a time() that answers KELMORA_FIXED_TIME
# (default 1700000000) so the two programs and repeated runs draw the same landscape.
#
# The whole frame is measured once per driver setting in DRIVER_SETTINGS (a space-separated list
# of NAME=VALUE, "-" for the viewer's defaults; default "- LP_NUM_THREADS=1 mesa_glthread=true"),
# each in a process of its own, since Mesa reads them when the context is made.
#
# KELMORA_OTHER_PHONG=FOLDER (a folder with a PhongVert.c and a PhongFrag.c) also times the frame
# at 128, V released, with that program bound against ours, frame for frame in the same run; with
# DRIVER_SETTINGS=LP_NUM_THREADS=0 its CPU-time ratio holds steady on a busy machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/benchmarks}
fixed_time=${KELMORA_FIXED_TIME:-1700000000}

# The fixed clock is built with the tests, so they are configured but not built.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKELMORA_SANITIZE=OFF \
    -DKELMORA_BENCHMARKS=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2 --target kelmora_bench_blockloop kelmora_bench_frame \
    kelmora_fixed_time >/dev/null

preload=$(find "$build/tests" -maxdepth 1 -name 'libkelmora_fixed_time.so' | head -n 1)
[[ -n "$preload" ]] || { echo "The fixed clock library was not built"; exit 1; }
fixed=(env "LD_PRELOAD=$preload" "KELMORA_FIXED_TIME=$fixed_time")

echo "## Machine"
echo
echo "- nproc: $(nproc)"
echo "- CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "- Mesa: $(dpkg-query -W -f='${Version}' "libgl1-mesa-dri:$(dpkg --print-architecture)" 2>/dev/null || echo unknown)"
echo "- load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# The shaders are read from data/ under the working directory.
cd "$root"
echo "## Block loop without the driver"
echo
"${fixed[@]}" "$build/bench/kelmora_bench_blockloop" --benchmark_color=false "$@"
echo
for setting in ${DRIVER_SETTINGS:-- LP_NUM_THREADS=1 mesa_glthread=true}; do
    [[ $setting == - ]] && setting=""
    echo "## Whole frame against the floor, start-up and key 1: ${setting:-defaults}"
    echo
    xvfb-run -a -s "-screen 0 1280x1024x24" "${fixed[@]}" $setting \
        "$build/bench/kelmora_bench_frame" --benchmark_color=false "$@"
    echo
done
