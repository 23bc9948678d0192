#!/usr/bin/env bash
# Builds the viewer (Release) and runs it from the folder that holds data/.
# Without a display it runs under its own Xvfb for a few seconds and saves a screenshot. Options
# (--batched) go to the viewer.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

tools/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELMORA_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target kelmora -j"$(nproc)"

if [[ -n "${DISPLAY:-}" ]]; then
    exec build/release/kelmora "$@"
fi

exec tools/headless-run.sh build/release/kelmora screenshots/kelmora.png "$@"
