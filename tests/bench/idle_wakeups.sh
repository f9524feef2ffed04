#!/bin/bash
# Idle wake-ups of the real Quillon.exe under Wine: starts it with /background
# on a private Xvfb display, in a Wine prefix of its own inside the build tree,
# lets it settle, then counts the context switches of all its threads over
# SECONDS seconds from /proc and prints them as wake-ups a second. A
# measurement, not a test.
#   tests/bench/idle_wakeups.sh [CROSS_BUILD_DIR] [SECONDS]
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build/cross}" 2>/dev/null && pwd) || { echo "idle_wakeups: no build dir" >&2; exit 1; }
seconds=${2:-20}
[ -f "$build/Quillon.exe" ] && [ -f "$build/Quillhook.dll" ] ||
    { echo "idle_wakeups: $build has no Quillon.exe and Quillhook.dll" >&2; exit 1; }

export WINEPREFIX=$build/idle-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
xvfb="" display=""
cleanup() {
    wineserver -k >/dev/null 2>&1
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Polls CMD every 0.1 s for up to SECS seconds.
wait_for() {
    local tries=$(($1 * 10))
    shift
    while [ "$tries" -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

for n in $(seq 150 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    if wait_for 20 xdpyinfo -display ":$n" && kill -0 "$xvfb" 2>/dev/null; then
        display=":$n"
        break
    fi
    kill "$xvfb" 2>/dev/null
    xvfb=""
done
[ -n "$display" ] || { echo "idle_wakeups: no free X display" >&2; exit 1; }
export DISPLAY=$display

[ -f "$WINEPREFIX/system.reg" ] || { wine wineboot -i >/dev/null 2>&1; wineserver -w; }
cp "$build/Quillon.exe" "$build/Quillhook.dll" "$work/"
(cd "$work" && exec wine "$work/Quillon.exe" /background) >/dev/null 2>&1 &

# The process whose command line names our copy of Quillon.exe.
quillon_pid() {
    local dir
    for dir in /proc/[0-9]*; do
        { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null | grep -q "${work//\//.}.Quillon.exe" || continue
        [ "$(cat "$dir/comm" 2>/dev/null)" = Quillon.exe ] || continue
        echo "${dir#/proc/}"
        return 0
    done
    return 1
}
# The library is mapped once the hidden main window is being created.
library_loaded() { grep -q 'Quillhook.dll' /proc/"$pid"/maps; }
wait_for 60 quillon_pid || { echo "idle_wakeups: Quillon.exe did not start" >&2; exit 1; }
pid=$(quillon_pid)
wait_for 60 library_loaded || { echo "idle_wakeups: Quillhook.dll was never loaded" >&2; exit 1; }
# Let the rest of the start-up end before counting.
sleep 5

# Voluntary and involuntary switches of each thread: "tid count" lines.
switches() {
    local task
    for task in /proc/"$pid"/task/*; do
        awk -v t="${task##*/}" '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print t, n + 0 }' \
            "$task/status" 2>/dev/null
    done
}
switches >"$work/before"
sleep "$seconds"
switches >"$work/after"
kill -0 "$pid" 2>/dev/null || { echo "idle_wakeups: Quillon.exe ended during the run" >&2; exit 1; }
# Per thread, then the sum (a thread that came or went counts from zero).
awk 'NR == FNR { b[$1] = $2; next } { d = $2 - b[$1]; printf "  thread %s: %d\n", $1, d }' \
    "$work/before" "$work/after"
threads=$(wc -l <"$work/after")
before=$(awk '{ n += $2 } END { print n + 0 }' "$work/before")
after=$(awk '{ n += $2 } END { print n + 0 }' "$work/after")
awk -v n=$((after - before)) -v s="$seconds" -v t="$threads" \
    'BEGIN { printf "Quillon.exe idle: %d context switches in %d s over %d threads = %.1f wake-ups a second\n", n, s, t, n / s }'
