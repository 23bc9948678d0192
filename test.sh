#!/usr/bin/env bash
# Builds the normal and the sanitizer (ASan + UBSan) configurations and runs every test,
# unit and end-to-end, in both through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

tools/install-deps.sh --test
jobs=$(nproc)
status=0
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
