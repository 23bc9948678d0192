#!/usr/bin/env bash
# Builds the normal and the sanitizer (ASan + UBSan) configurations and runs every test,
# unit and end-to-end, in both through CTest; builds the Windows zip, tested under Wine once, and
# the arm64 build, tested under qemu-user once.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

tools/install-deps.sh --test
jobs=$(nproc)
status=0
# The Windows zip for the Wine test; where it cannot be made (status 3) that test says why and skips.
echo "== windows build"
tools/build-windows.sh || [[ $? -eq 3 ]] || status=1
# The arm64 cross build for the qemu test; where it does not apply or cannot be made (status 3),
# that test says why and skips.
echo "== arm64 build"
tools/build-arm64.sh || [[ $? -eq 3 ]] || status=1
for config in release asan; do
    sanitize=OFF
    [[ $config == asan ]] && sanitize=ON
    echo "== $config build"
    cmake -S . -B "build/$config" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
          -DKELMORA_SANITIZE=$sanitize -DKELMORA_BENCHMARKS=$([[ $config == release ]] && echo ON || echo OFF) >/dev/null
    cmake --build "build/$config" -j"$jobs"
    echo "== $config tests"
    ctest --test-dir "build/$config" --output-on-failure -j"$jobs" || status=1
done
exit $status
