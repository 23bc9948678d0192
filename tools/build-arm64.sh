#!/usr/bin/env bash
# Cross-builds the viewer, the texture tool and the unit tests for arm64 Linux into
# build/arm64/build with Debian's aarch64 toolchain and the arm64 libraries installed as a
# foreign architecture; the e2e_arm64 test runs them under qemu-user.
# libnoise's Debian packages are not multiarch (libnoise0 puts its library in /usr/lib, so its
# arm64 package would replace the machine's own): they are unpacked into build/arm64/libnoise.
# Exits 3, with the reason in build/arm64/unavailable.txt, when the stage does not apply here
# (KELMORA_ARM64_SKIP gives a reason, a machine that is not x86-64) or the cross tools
# cannot be had; any other failure is an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/arm64
libnoise=$work/libnoise
mkdir -p "$work"
rm -f "$work/unavailable.txt"

unavailable() {
    echo "$1" | tee "$work/unavailable.txt"
    exit 3
}

[[ -z ${KELMORA_ARM64_SKIP:-} ]] && reason="" || reason="KELMORA_ARM64_SKIP says: $KELMORA_ARM64_SKIP"
architecture=$(dpkg --print-architecture)
if [[ -z $reason && $architecture != amd64 ]]; then
    reason="this machine is $architecture: its native build is the one tested; the arm64 cross build is made on amd64"
fi
[[ -z $reason ]] || unavailable "The arm64 build is skipped: $reason"

if ! "$root/tools/install-deps.sh" --arm64; then
    unavailable "The arm64 build needs the aarch64 cross compiler, qemu-user and the arm64 libraries, which could not be installed"
fi
if [[ ! -e $libnoise/usr/lib/libnoise.so ]]; then
    rm -rf "$libnoise" "$work/debs"
    mkdir -p "$work/debs"
    if ! (cd "$work/debs" && apt-get download -qq libnoise0:arm64 libnoise-dev:arm64) >"$work/debs.log" 2>&1; then
        tail -n 20 "$work/debs.log"
        unavailable "libnoise's arm64 packages could not be downloaded"
    fi
    for deb in "$work"/debs/*.deb; do
        dpkg-deb -x "$deb" "$libnoise"
    done
fi

echo "== Kelmora for arm64"
build=$work/build
if ! { cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/Aarch64Linux.cmake" \
             -DKELMORA_ARM64_LIBNOISE="$libnoise" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
             -DKELMORA_BENCHMARKS=OFF &&
       cmake --build "$build" -j"$(nproc)" --target kelmora kelmora-texture kelmora_unit_tests; } \
       >"$work/build.log" 2>&1; then
    tail -n 30 "$work/build.log"
    echo "Building for arm64 failed (full log: $work/build.log)"
    exit 1
fi
file -b "$build/kelmora"
