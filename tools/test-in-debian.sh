#!/usr/bin/env bash
# test-in-debian.sh SUITE: runs README's test command on the committed tree inside a bare Debian
# root of SUITE (trixie: Debian 13), as on a new machine of that release.
#
# The root is made once with debootstrap (minbase) from the Debian mirror this machine's apt
# already uses, and kept with the packages it downloads in $KELMORA_ROOT_CACHE
# (/var/cache/kelmora-roots), outside the clone. Each run unpacks it afresh, clones the committed
# tree into it and runs ./test.sh there with a clean environment; then it ends every process left
# inside, unmounts and removes the root. Needs root (chroot, mount). Skipped, with the reason, on a
# machine that is itself of SUITE and where it cannot run.
set -euo pipefail
suite=${1:-}
[[ $suite =~ ^[a-z]+$ ]] || { echo "Usage: tools/test-in-debian.sh SUITE (for instance trixie)" >&2; exit 2; }
project=$(cd "$(dirname "$0")/.." && pwd)
cache=${KELMORA_ROOT_CACHE:-/var/cache/kelmora-roots}
# shellcheck source=/dev/null
. /etc/os-release
skip() { echo "test-in-debian $suite: skipped: $1"; exit 0; }
[[ ${VERSION_CODENAME:-} == "$suite" ]] && skip "this machine is Debian $VERSION_ID ($suite) itself, where ./test.sh has just run"
[[ $(id -u) == 0 ]] || skip "making and entering a Debian root needs root (chroot, mount)"
[[ ${ID:-} == debian ]] || skip "debootstrap and the mirror come from a Debian system's own apt"

# The Debian mirror of this machine's own release, from apt's sources (one-line or deb822).
mirror() {
    local file sources=()
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] && sources+=("$file")
    done
    awk -v release="$VERSION_CODENAME" '
            /^deb / { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) break
                      if ($(i + 1) == release) { print $i; exit } }
            /^URIs:/ { uri = $2 }
            /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == release && uri != "") { print uri; exit } }
            /^$/ { uri = "" }' "${sources[@]}" /dev/null
}

phase_start=$SECONDS
phase() { echo "== debian $suite: $1 ($((SECONDS - phase_start)) s so far)"; }
base=$cache/debian-$suite-minbase.tgz
archives=$cache/apt-$suite
mkdir -p "$cache" "$archives/partial"
# git clones the tree into the root; a bare machine may lack it.
command -v git >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null; } ||
    { echo "test-in-debian $suite: git cannot be installed"; exit 1; }
if [[ ! -f $base ]]; then
    command -v debootstrap >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null 2>&1 ||
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; } ||
        { echo "test-in-debian $suite: debootstrap cannot be installed"; exit 1; }
    url=$(mirror)
    [[ -n $url ]] || { echo "test-in-debian $suite: no Debian mirror for $VERSION_CODENAME in apt's sources"; exit 1; }
    phase "making a minimal root with debootstrap (once)"
    fresh=$(mktemp -d "$cache/bootstrap.XXXXXX")
    if ! debootstrap --variant=minbase "$suite" "$fresh" "$url" >"$cache/bootstrap-$suite.log" 2>&1; then
        rm -rf --one-file-system "$fresh"
        tail -n 5 "$cache/bootstrap-$suite.log"
        echo "test-in-debian $suite: debootstrap failed"
        exit 1
    fi
    tar -C "$fresh" -czf "$base.new" . && mv "$base.new" "$base"
    rm -rf --one-file-system "$fresh"
fi

root=$(mktemp -d /var/tmp/kelmora-debian-$suite.XXXXXX)
mounts=(proc dev dev/pts dev/shm tmp)
# Every process whose root is ours is a leftover of the run (an Xvfb, a viewer): end it.
stop_inside() {
    local signal p left
    for signal in TERM KILL; do
        left=0
        for p in /proc/[0-9]*; do
            if [[ $(readlink "$p/root" 2>/dev/null) == "$root" ]]; then
                kill -s $signal "${p#/proc/}" 2>/dev/null && left=1
            fi
        done
        ((left)) || return 0
        sleep 2
    done
}
# Unmounted deepest first; nothing is removed while any mount is left, for the root has the
# host's /dev bound in.
cleanup() {
    local i
    trap '' INT TERM HUP  # a second signal must not cut the unmounting short
    stop_inside
    # The packages it downloaded are kept for the next run.
    ln "$root"/var/cache/apt/archives/*.deb "$archives/" 2>/dev/null || true
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        if mountpoint -q "$root/${mounts[i]}"; then
            umount "$root/${mounts[i]}" || umount -l "$root/${mounts[i]}" || true
        fi
    done
    if grep -q " $root/" /proc/self/mounts; then
        echo "test-in-debian $suite: $root is still mounted; left in place"
        return
    fi
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
phase "unpacking the root into $root"
tar -C "$root" -xzf "$base"
# 755 as on a machine (mktemp and the archive leave 700): the tests' unprivileged user must reach it.
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
# Private, so that no mount below it reaches this machine's /dev.
mount --bind /dev "$root/dev"
mount --make-private "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# The bind leaves /dev/shm an empty folder of this machine's /dev; Wayland screenshots need it.
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs tmpfs "$root/tmp"
# Hard links to the kept packages (a cache on another file system than /var/tmp keeps none), not
# the folder itself: apt locks its archives folder, and two runs at once must not find it taken.
ln "$archives"/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
# A chroot shares this machine's abstract sockets: an X display in use out here is in use in
# there, so each gets a lock file and the X servers the tests start take other numbers.
for n in $( { ls /tmp/.X*-lock 2>/dev/null | sed -E 's/.*\.X([0-9]+)-lock/\1/'
              grep -o -E '@/tmp/\.X11-unix/X[0-9]+' /proc/net/unix | sed 's/.*X//'; } | sort -un); do
    printf '%10d\n' 1 >"$root/tmp/.X$n-lock"
done
git clone -q "$project" "$root/root/project"
# As beside any clone: libnoise's source for the Windows build, read only.
if [[ -d $project/../shared/deps ]]; then
    mkdir -p "$root/root/shared"
    cp -r "$project/../shared/deps" "$root/root/shared/deps"
    chmod -R a-w "$root/root/shared"
fi

phase "running ./test.sh at $(git -C "$project" rev-parse --short HEAD)"
status=0
# In the background, so that a signal reaches the trap at once rather than after the tests.
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI=true \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c 'cd /root/project && ./test.sh' </dev/null &
wait $! || status=$?
phase "./test.sh ended with status $status"
exit $status
