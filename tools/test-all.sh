#!/bin/bash
# Builds every preset and runs every test: native unit tests (ASan+UBSan),
# the ThreadSanitizer build, the Windows build's tests under Wine, a smoke run
# of the fuzz targets, and the end-to-end suites that drive the real Quillon.exe under Wine and Xvfb.
# Installs what is missing with apt-get when run as root.
set -u
cd "$(dirname "$0")/.."
jobs=${QUILLON_JOBS:-2}

tools/deps.sh test || exit 1

failures=0
step() {
    echo
    echo "=== $*"
    "$@" || { echo "=== FAILED: $*"; failures=$((failures + 1)); return 1; }
}

preset() {
    local name=$1
    cmake --preset "$name" >/dev/null &&
        cmake --build --preset "$name" -j "$jobs" &&
        ctest --preset "$name" -j "$jobs"
}

step preset native
step preset native-tsan
step preset cross
# Fuzz targets, a short fixed number of runs each from the seed corpus.
step preset fuzz
# The end-to-end suites need both builds: Windows binaries and native tools.
if [ -x build/cross/Quillon.exe ] && [ -d build/native ]; then
    step env QUILLON_CROSS_BUILD="$PWD/build/cross" QUILLON_NATIVE_BUILD="$PWD/build/native" \
        tests/e2e/run.sh
else
    echo "=== FAILED: the Windows build is missing, so the end-to-end suites cannot run"
    failures=$((failures + 1))
fi

echo
if [ "$failures" -eq 0 ]; then
    echo "All test steps passed."
    exit 0
fi
echo "$failures test step(s) failed."
exit 1
