#!/bin/sh
# Installs the Debian packages that building and testing Quillon needs, when
# they are missing. As root it runs apt-get; otherwise it names what is missing.
# Usage: tools/deps.sh [build|run|test]
set -u
need=${1:-test}

packages_build="cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev mingw-w64 binutils-mingw-w64-x86-64 python3 nsis"
packages_run="wine wine64 xvfb xdotool x11-xkb-utils x11-utils"
# stress-ng keeps the cores busy to prove the suites steady under load; the
# test command itself does not run it.
packages_test="libxtst-dev imagemagick clang libclang-rt-14-dev stress-ng"

case "$need" in
build) wanted="$packages_build" ;;
run) wanted="$packages_build $packages_run" ;;
*) wanted="$packages_build $packages_run $packages_test" ;;
esac

missing=""
for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null && apt-get install -y -qq $missing >/dev/null || {
        echo "apt-get could not install:$missing" >&2
        exit 1
    }
else
    echo "These Debian packages are missing:$missing" >&2
    echo "Install them as root: apt-get install$missing" >&2
    exit 1
fi
