#!/usr/bin/env bash
# Cross-builds the viewer, the texture tool and the unit tests for arm64 Linux into
# build/arm64/build with Debian's aarch64 toolchain; the e2e_arm64 test runs them under qemu-user.
# The arm64 libraries (and Mesa's llvmpipe, for the test) are Debian's arm64 packages with their
# whole dependency closure, fetched through a private apt configuration made from the machine's
# own sources and unpacked into build/arm64/sysroot: the machine gets no foreign architecture.
# The sysroot is made once; its downloads are kept in build/arm64/apt.
# Exits 3, with the reason in build/arm64/unavailable.txt, when the stage does not apply here
# (KELMORA_ARM64_SKIP gives a reason, a machine that is not x86-64) or the cross tools or the
# arm64 packages cannot be had; any other failure is an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/arm64
sysroot=$work/sysroot
apt=$work/apt
# The C and C++ libraries to build with come with the cross compiler; libstdc++6 is the programs'
# runtime, and libgl1-mesa-dri holds llvmpipe, which renders the viewer under qemu.
packages=(libstdc++6 freeglut3-dev libglew-dev libglu1-mesa-dev libx11-dev libgl1-mesa-dri
          libgtest-dev libnoise-dev)
mkdir -p "$work"
rm -f "$work/unavailable.txt"

unavailable() {
    echo "$1" | tee "$work/unavailable.txt"
    exit 3
}

# The machine's apt sources as arm64 binary sources: deb-src entries dropped, architecture
# restrictions lifted (a third-party source without arm64 is then only skipped by apt).
private_sources() {
    local file
    rm -rf "$apt/parts"
    mkdir -p "$apt/parts"
    : >"$apt/sources.list"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] || continue
        sed -En '/^[[:space:]]*deb[[:space:]]/{s/([[[:space:]])arch[+-]?=[^][:space:]]*/\1/g
                                               s/\[[[:space:]]*\]//; p}' "$file" >>"$apt/sources.list"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             { n = split($0, line, "\n"); keep = 0; out = ""
               for (i = 1; i <= n; i++) {
                   if (line[i] ~ /^Types:/) { keep = line[i] ~ /[[:space:]]deb([[:space:]]|$)/; line[i] = "Types: deb" }
                   if (line[i] !~ /^Architectures:/) out = out line[i] "\n"
               }
               if (keep) printf "%s\n", out }' "$file" >"$apt/parts/$(basename "$file")"
    done
}

# Downloads the closure of the packages (apt computes it against an empty package database,
# with no package taken as essential) and unpacks every one into a fresh sysroot.
make_sysroot() {
    private_sources
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/state" "$apt/preferences.d"
    : >"$apt/state/status"
    local options=(-o APT::Architecture=arm64 -o APT::Architectures::=arm64
                   -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
                   -o Dir::Etc::Preferences="$apt/preferences" -o Dir::Etc::PreferencesParts="$apt/preferences.d"
                   -o Dir::State="$apt/state" -o Dir::State::Lists="$apt/lists"
                   -o Dir::State::status="$apt/state/status" -o Dir::Cache="$apt/cache"
                   -o pkgCacheGen::Essential=none -o Acquire::Languages=none
                   -o APT::Install-Recommends=false -qq)
    local plan
    if ! { apt-get "${options[@]}" update &&
           apt-get "${options[@]}" install -y --download-only "${packages[@]}" &&
           plan=$(apt-get "${options[@]}" install -s "${packages[@]}"); } >"$apt/log" 2>&1; then
        tail -n 20 "$apt/log"
        unavailable "The arm64 packages ${packages[*]} could not be fetched from the machine's apt sources"
    fi
    rm -rf "$sysroot"
    # Merged /usr, as on Debian: the loader's path /lib/ld-linux-aarch64.so.1 is in usr/lib.
    mkdir -p "$sysroot/usr/lib" "$sysroot/usr/bin" "$sysroot/usr/sbin"
    ln -s usr/lib "$sysroot/lib"
    ln -s usr/bin "$sysroot/bin"
    ln -s usr/sbin "$sysroot/sbin"
    # "Inst NAME (VERSION RELEASES [ARCH])", with " []" after it where apt orders by hand: the
    # file apt saved is NAME_VERSION_ARCH.deb, ':' written %3a.
    local name version arch debs=()
    while read -r name version arch; do
        debs+=("$apt/cache/archives/${name}_${version//:/%3a}_$arch.deb")
        dpkg-deb --fsys-tarfile "${debs[-1]}" | tar -x --keep-directory-symlink -C "$sysroot"
    done < <(sed -En 's/^Inst ([^ ]+) \(([^ ]+) [^[]*\[([^]]+)\]\).*/\1 \2 \3/p' <<<"$plan")
    if [[ ${#debs[@]} -eq 0 || ${#debs[@]} -ne $(grep -c '^Inst ' <<<"$plan") ]]; then
        echo "Unpacked ${#debs[@]} of the packages apt planned (log: $apt/log)"
        exit 1
    fi
    echo "$stamp" >"$sysroot/.stamp"
    echo "Unpacked ${#debs[@]} arm64 packages ($(du -ch "${debs[@]}" | tail -n 1 | cut -f1)) into $sysroot"
}

[[ -z ${KELMORA_ARM64_SKIP:-} ]] && reason="" || reason="KELMORA_ARM64_SKIP says: $KELMORA_ARM64_SKIP"
architecture=$(dpkg --print-architecture)
if [[ -z $reason && $architecture != amd64 ]]; then
    reason="this machine is $architecture: its native build is the one tested; the arm64 cross build is made on amd64"
fi
[[ -z $reason ]] || unavailable "The arm64 build is skipped: $reason"

if ! "$root/tools/install-deps.sh" --arm64; then
    unavailable "The arm64 build needs the aarch64 cross compiler and qemu-user, which could not be installed"
fi
# Made again when this script (the package list, say) or the Debian release (the cross
# compiler's must match) changes.
# shellcheck source=/dev/null
stamp="$(sha1sum <"$0" | cut -c1-12) for $(. /etc/os-release && echo "$VERSION_CODENAME")"
if [[ $(cat "$sysroot/.stamp" 2>/dev/null) != "$stamp" ]]; then
    echo "== arm64 libraries into $sysroot"
    make_sysroot
    # The build's cache names the libraries it found: it starts again with the new ones (and
    # what an earlier scheme left beside it goes).
    rm -rf "$work/build" "$work/libnoise" "$work/debs" "$work/debs.log"
fi

echo "== Kelmora for arm64"
build=$work/build
if ! { cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/Aarch64Linux.cmake" \
             -DKELMORA_ARM64_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
             -DKELMORA_BENCHMARKS=OFF &&
       cmake --build "$build" -j"$(nproc)" --target kelmora kelmora-texture kelmora_unit_tests; } \
       >"$work/build.log" 2>&1; then
    tail -n 30 "$work/build.log"
    echo "Building for arm64 failed (full log: $work/build.log)"
    exit 1
fi
file -b "$build/kelmora"
