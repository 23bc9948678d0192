#!/usr/bin/env bash
# Builds build/windows/kelmora-<version>-windows-x64.zip: the viewer cross-compiled with mingw-w64,
# with freeglut and GLEW built from Debian's source packages and libnoise from its source folder
# (../shared/deps/libnoise beside the clone, else its public repository at the pinned commit).
# Beside it, build/windows/kelmora/tests/kelmora_unit_tests.exe, with GoogleTest built from the
# sources Debian's googletest package ships.
# Everything is kept in build/windows, so a second run only rebuilds what changed.
# Exits 3, with the reason in build/windows/unavailable.txt, with KELMORA_SKIP_CROSS=1, on a
# machine that is not x86-64, or when the cross tools or libnoise's source cannot be had; any
# other failure is an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/windows
prefix=$work/prefix
toolchain=$root/cmake/MingwW64.cmake
libnoise_repository=${KELMORA_LIBNOISE_REPOSITORY:-https://github.com/qknight/libnoise}
libnoise_commit=9ce0737b55812f7de907e86dc633724524e3a8e8
mkdir -p "$work"
rm -f "$work/unavailable.txt" "$work"/kelmora-*-windows-x64.zip

unavailable() {
    echo "$1" | tee "$work/unavailable.txt"
    exit 3
}

cross_cmake() {  # source folder, build folder, extra options
    local source=$1 build=$2
    shift 2
    # Configured once: the build reconfigures by itself when a CMakeLists changes.
    if ! { [[ -f $build/Makefile ]] ||
           cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
                 -DKELMORA_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
                 -DCMAKE_BUILD_TYPE=Release "$@" && cmake --build "$build" -j2; } >"$build.log" 2>&1; then
        tail -n 30 "$build.log"
        echo "Building $source for Windows failed (full log: $build.log)"
        exit 1
    fi
}

# Debian's source packages through a private apt configuration made from the machine's own
# sources (deb lines turned into deb-src), with the release before the machine's beside its own;
# the system's configuration is left as it is. Each package comes in the newest version that the
# mirror holds: a mirror may list a source without serving it (Debian 13's freeglut 3.4.0-4 here),
# and then the release before makes the zip.
fetch_debian_sources() {
    local apt=$work/apt release previous file package version
    rm -rf "$work"/src/freeglut* "$work"/src/glew*
    mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$work/src"
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    previous=$(awk -F, -v release="$release" '$3 == release { print before; exit } { before = $3 }' \
                   /usr/share/distro-info/debian.csv)
    local lines=(-e 's/^[[:space:]]*deb[[:space:]]/deb-src /p') parts=(-e 's/^Types:.*/Types: deb-src/')
    if [[ -n $release && -n $previous ]]; then
        lines+=(-e "/^deb-src /s/[[:space:]]$release\([[:space:]]\)/ $previous\1/p")
        parts+=(-e "/^Suites:/s/[[:space:]]$release\([[:space:]]\|$\)/ $release $previous\1/")
    fi
    : >"$apt/sources.list"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] && sed -n "${lines[@]}" "$file" >>"$apt/sources.list"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] && sed "${parts[@]}" "$file" >"$apt/parts/$(basename "$file")"
    done
    local options=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
                   -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -qq)
    # A suite that the mirror no longer has (an old release) is no error: the packages tell.
    apt-get "${options[@]}" update >"$apt/log" 2>&1 || true
    for package; do
        for version in $(apt-cache "${options[@]}" showsrc --only-source "$package" 2>>"$apt/log" |
                         sed -n 's/^Version: //p' | sort -rVu); do
            (cd "$work/src" && apt-get "${options[@]}" source "$package=$version") >>"$apt/log" 2>&1 &&
                continue 2
        done
        tail -n 20 "$apt/log"
        unavailable "The source package $package could not be fetched from the machine's apt sources"
    done
}

libnoise_source() {
    local shared=${KELMORA_LIBNOISE_SOURCE:-$root/../shared/deps/libnoise}
    if [[ -f $shared/CMakeLists.txt ]]; then
        echo "$shared"
        return
    fi
    local clone=$work/src/libnoise
    if [[ ! -f $clone/CMakeLists.txt ]]; then
        rm -rf "$clone"
        echo "$shared is absent: fetching libnoise $libnoise_commit from $libnoise_repository" >&2
        if ! { git init -q "$clone" &&
               GIT_TERMINAL_PROMPT=0 timeout 120 git -C "$clone" fetch -q --depth 1 \
                   "$libnoise_repository" "$libnoise_commit" &&
               git -C "$clone" checkout -q FETCH_HEAD; } >&2; then
            rm -rf "$clone"
            return 1
        fi
    fi
    echo "$clone"
}

[[ ${KELMORA_SKIP_CROSS:-0} == 0 ]] || unavailable "The Windows build is skipped by KELMORA_SKIP_CROSS"
# Wine runs the x86-64 zip only on an x86-64 machine (an arm64 Debian's wine is arm64's own).
architecture=$(dpkg --print-architecture)
[[ $architecture == amd64 ]] ||
    unavailable "The Windows zip is built and tested under Wine on amd64 only (this machine is $architecture)"
# libnoise's source first: without it there is nothing to install the cross tools for.
if [[ ! -f $prefix/bin/libnoise.dll ]]; then
    libnoise=$(libnoise_source) ||
        unavailable "libnoise's source is not in ${KELMORA_LIBNOISE_SOURCE:-../shared/deps/libnoise} and could not be fetched from $libnoise_repository (offline?)"
fi
if ! "$root/tools/install-deps.sh" --windows; then
    unavailable "The Windows build needs the mingw-w64 cross compiler and Wine, which could not be installed"
fi

mkdir -p "$prefix/licences"
if [[ ! -f $prefix/lib/libfreeglut.dll.a || ! -f $prefix/lib/libglew32.dll.a ]]; then
    echo "== freeglut and GLEW from Debian's source packages"
    ls -d "$work"/src/freeglut-*/ "$work"/src/glew-*/ >/dev/null 2>&1 || fetch_debian_sources freeglut glew
    freeglut=$(ls -d "$work"/src/freeglut-*/ | head -n 1)
    glew=$(ls -d "$work"/src/glew-*/ | head -n 1)
    cross_cmake "$freeglut" "$work/freeglut" -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=OFF
    cmake --install "$work/freeglut" --strip >>"$work/freeglut.log"
    cross_cmake "$glew/build/cmake" "$work/glew" -DBUILD_UTILS=OFF
    cmake --install "$work/glew" --strip >>"$work/glew.log"
    cp "$freeglut/COPYING" "$prefix/licences/freeglut.txt"
    cp "$glew/LICENSE.txt" "$prefix/licences/glew.txt"
fi
if [[ ! -f $prefix/lib/libgtest.a ]]; then
    echo "== GoogleTest from /usr/src/googletest"
    # A copy, with the port header that stands in for the compiler's missing std::mutex.
    rm -rf "$work/src/googletest"
    cp -r /usr/src/googletest "$work/src/googletest"
    cp "$root/tools/gtest-win32-port.h" "$work/src/googletest/googletest/include/gtest/internal/custom/gtest-port.h"
    cross_cmake "$work/src/googletest" "$work/googletest" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON
    cmake --install "$work/googletest" >>"$work/googletest.log"
fi
if [[ ! -f $prefix/bin/libnoise.dll ]]; then
    echo "== libnoise from $libnoise"
    cross_cmake "$libnoise" "$work/libnoise" -DBUILD_LIBNOISE_UTILS=OFF -DBUILD_LIBNOISE_EXAMPLES=OFF
    cmake --install "$work/libnoise" --strip >>"$work/libnoise.log"
fi

echo "== Kelmora for Windows, with its unit tests"
# A folder configured before the unit tests were built here is configured again with them.
grep -qs '^BUILD_TESTING:BOOL=ON' "$work/kelmora/CMakeCache.txt" || rm -f "$work/kelmora/Makefile"
cross_cmake "$root" "$work/kelmora" -DBUILD_TESTING=ON -DKELMORA_BENCHMARKS=OFF
(cd "$work/kelmora" && cpack -G ZIP -B "$work" >"$work/cpack.log")
rm -rf "$work/_CPack_Packages"
ls "$work"/kelmora-*-windows-x64.zip
