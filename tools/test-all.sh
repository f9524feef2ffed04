#!/bin/bash
# Builds every preset and runs every test: native unit tests (ASan+UBSan),
# the ThreadSanitizer build, the optimised build with a short run of each
# benchmark, the Windows build's tests under Wine, a smoke run of the fuzz
# targets, the Windows packages, and the end-to-end suites that drive the real
# Quillon.exe under Wine and Xvfb. Installs what is missing with apt-get when
# run as root. Ends with one line: "N passed, N failed" over every test.
set -u
cd "$(dirname "$0")/.."
jobs=${QUILLON_JOBS:-2}

tools/deps.sh test || exit 1

log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0
failed=0

# Runs one step, adds up the counts its test runner printed; a step that fails
# without counting (a build error) counts as one failure.
step() {
    echo
    echo "=== $*"
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local counted=0 line p f t
    while read -r line; do
        if [[ $line =~ tests\ passed,\ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
            f=${BASH_REMATCH[1]}
            t=${BASH_REMATCH[2]}
            passed=$((passed + t - f))
            failed=$((failed + f))
            counted=1
        elif [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
            p=${BASH_REMATCH[1]}
            f=${BASH_REMATCH[2]}
            passed=$((passed + p))
            failed=$((failed + f))
            counted=1
        fi
    done <"$log"
    if [ "$rc" -ne 0 ]; then
        echo "=== FAILED: $*"
        [ "$counted" -eq 0 ] && failed=$((failed + 1))
    fi
    return 0
}

preset() {
    local name=$1
    cmake --preset "$name" >/dev/null &&
        cmake --build --preset "$name" -j "$jobs" &&
        ctest --preset "$name" -j "$jobs" --no-tests=error
}

# Whether every benchmark that BENCH lists has a row with a time in OUTPUT.
bench_rows_complete() {
    local bench=$1 output=$2 name missing=0
    while read -r name; do
        awk -v name="$name" '$1 == name && $2 ~ /^[0-9.]+$/ { found = 1 } END { exit !found }' "$output" ||
            { echo "no row for $name"; missing=1; }
    done < <("$bench" --benchmark_list_tests)
    [ "$missing" = 0 ]
}

# The optimised build of every target, and each benchmark run briefly so
# that none of them rots: it must end well and print a row for each benchmark.
benchmarks() {
    cmake --preset native-release >/dev/null &&
        cmake --build --preset native-release -j "$jobs" || return 1
    local bench ok=0 bad=0 output
    output=$(mktemp)
    for bench in build/native-release/tests/bench/*_bench; do
        [ -x "$bench" ] || continue
        "$bench" --benchmark_min_time=0.01 >"$output"
        local rc=$?
        cat "$output"
        if [ "$rc" = 0 ] && [ -n "$("$bench" --benchmark_list_tests)" ] && bench_rows_complete "$bench" "$output"; then
            ok=$((ok + 1))
        else
            echo "FAILED: $bench"
            bad=$((bad + 1))
        fi
    done
    rm -f "$output"
    echo "$ok passed, $bad failed"
    [ $((ok + bad)) -gt 0 ] && [ "$bad" -eq 0 ]
}

e2e() {
    if [ ! -x build/cross/Quillon.exe ] || [ ! -d build/native ]; then
        echo "the Windows build is missing, so the end-to-end suites cannot run"
        return 1
    fi
    QUILLON_CROSS_BUILD="$PWD/build/cross" QUILLON_NATIVE_BUILD="$PWD/build/native" tests/e2e/run.sh
}

step preset native
step preset native-tsan
step benchmarks
step preset cross
# The zip and the installer, into build/cross/packages/, for the end-to-end suites.
step cmake --build --preset cross --target package
step preset fuzz
step e2e

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
