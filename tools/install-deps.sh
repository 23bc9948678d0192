#!/usr/bin/env bash
# Installs the Debian packages the viewer needs; with --test, also what its tests need; with
# --windows, the cross compiler and Wine for the Windows build and its test; with --arm64, the
# aarch64 cross compiler and qemu-user for the arm64 build and its test.
# Only missing packages are installed, so a ready machine needs no network. With --list last (or
# alone), it only prints those missing packages.
set -euo pipefail

# dpkg-dev and file: dpkg-shlibdeps and the file utility, through which cpack works out the
# Debian package's dependencies.
packages=(build-essential cmake pkg-config dpkg-dev file
          freeglut3-dev libglew-dev libglu1-mesa-dev libnoise-dev libx11-dev
          libgl1-mesa-dri xvfb xauth xdotool x11-utils imagemagick)
if [[ "${1:-}" == "--test" ]]; then
    # libxfixes3: the end-to-end tests read the visible cursor through it. sway, xwayland, grim
    # and libwayland-dev (wayland-scanner, the client library): mouse look in a Wayland session.
    packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev python3 apitrace apitrace-tracers
              lintian appstream desktop-file-utils libxfixes3 sway xwayland grim libwayland-dev)
fi
if [[ "${1:-}" == "--windows" ]]; then
    # libxcursor1: Wine makes its mouse cursors with it, and wine only recommends it.
    # googletest: its sources, cross-built for the Windows unit tests. distro-info-data: which
    # release comes before the machine's, whose sources also serve freeglut and GLEW.
    packages+=(g++-mingw-w64-x86-64-win32 wine wine64 libxcursor1 python3 googletest distro-info-data)
fi
if [[ "${1:-}" == "--arm64" ]]; then
    # Native packages only: tools/build-arm64.sh fetches the arm64 libraries into a sysroot of
    # its own.
    packages+=(g++-aarch64-linux-gnu qemu-user-static python3)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [[ ${*: -1} == --list ]]; then
    echo "${missing[*]}"
    exit 0
fi
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}) and no sudo to install them as $(id -un)"; exit 1; }
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
log=$(mktemp)
# Another apt run (an unattended upgrade, say) may hold the lock for a while: wait for it.
wait_lock=(-o DPkg::Lock::Timeout=600)
if ! { $sudo apt-get "${wait_lock[@]}" update -qq &&
       $sudo env DEBIAN_FRONTEND=noninteractive apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends \
           "${missing[@]}"; } >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "Installing the packages above failed (full log: $log)"
    exit 1
fi
rm -f "$log"
