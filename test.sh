#!/usr/bin/env bash
# Builds the normal and the sanitizer (ASan + UBSan) configurations and runs every test,
# unit and end-to-end, in both through CTest; builds the Windows zip, tested under Wine once, and
# the arm64 build, tested under qemu-user once. It first names the Debian packages it will install
# and what for; KELMORA_SKIP_CROSS=1 skips the Windows and arm64 stages and their packages (their
# tests then report Skipped).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

cross=""
[[ ${KELMORA_SKIP_CROSS:-0} == 0 ]] || cross="skipped by KELMORA_SKIP_CROSS"
named=()
announce() {  # what for, install-deps.sh's option; each list leaves out packages named before
    local package missing new=()
    missing=$(tools/install-deps.sh ${2:+"$2"} --list)
    for package in $missing; do
        [[ " ${named[*]} " == *" $package "* ]] || new+=("$package")
    done
    named+=("${new[@]}")
    echo "  for $1: ${new[*]:-nothing missing}"
}
echo "== Debian packages that ./test.sh installs with apt-get where missing, with what they need"
announce "the viewer"
announce "its tests" --test
if [[ -n $cross ]]; then
    echo "  for the Windows and arm64 stages: none, $cross"
elif [[ $(dpkg --print-architecture) != amd64 ]]; then
    echo "  for the Windows and arm64 stages: none, both are made on amd64 only"
else
    announce "the Windows stage (mingw-w64, Wine)" --windows
    if [[ -n ${KELMORA_ARM64_SKIP:-} ]]; then
        echo "  for the arm64 stage: none, skipped: $KELMORA_ARM64_SKIP"
    else
        announce "the arm64 stage (cross compiler, qemu-user, arm64 libraries)" --arm64
    fi
    echo "  (KELMORA_SKIP_CROSS=1 skips the Windows and arm64 stages and their packages)"
fi

tools/install-deps.sh --test
jobs=$(nproc)
status=0
# The Windows zip for the Wine test; where it cannot be made or is skipped (status 3) that test
# says why and skips, but not in CI, whose machines all make it: there a skip would hide a fault.
echo "== windows build"
tools/build-windows.sh || [[ $? -eq 3 && ${CI:-} != true ]] || status=1
# The arm64 cross build for the qemu test; where it does not apply or cannot be made (status 3),
# that test says why and skips. Its script takes a reason to skip from KELMORA_ARM64_SKIP.
echo "== arm64 build"
[[ -z $cross ]] || export KELMORA_ARM64_SKIP=$cross
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
