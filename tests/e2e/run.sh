#!/bin/bash
# Runs every end-to-end suite (tests/e2e/suites/*.sh), each in its own bash
# process, and ends with "N passed, N failed" over all their cases.
#   QUILLON_CROSS_BUILD=... QUILLON_NATIVE_BUILD=... tests/e2e/run.sh [SUITE...]
# SUITE names (hook_keys, or a path) limit the run. A suite that runs longer
# than E2E_SUITE_TIMEOUT seconds (default 900) is stopped and counts as failed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
: "${QUILLON_CROSS_BUILD:=$repo/build/cross}"
: "${QUILLON_NATIVE_BUILD:=$repo/build/native}"
: "${E2E_SUITE_TIMEOUT:=900}"
export QUILLON_CROSS_BUILD QUILLON_NATIVE_BUILD

suites=()
if [ $# -gt 0 ]; then
    for name in "$@"; do
        case "$name" in
        */*) suites+=("$name") ;;
        *) suites+=("$here/suites/${name%.sh}.sh") ;;
        esac
    done
else
    for suite in "$here"/suites/*.sh; do
        [ -f "$suite" ] && suites+=("$suite")
    done
fi

results=$(mktemp)
child=""
stop() {
    [ -n "$child" ] && kill -TERM "$child" 2>/dev/null && wait "$child"
    rm -f "$results"
    exit 130
}
trap stop INT TERM

passed=0
failed=0
for suite in "${suites[@]}"; do
    name=$(basename "$suite" .sh)
    if [ ! -f "$suite" ]; then
        echo "FAIL $name: no such suite"
        failed=$((failed + 1))
        continue
    fi
    echo "== $name"
    before=$(wc -l <"$results")
    # timeout passes our TERM on to the suite, whose trap then cleans up.
    E2E_RESULTS=$results timeout --kill-after=60 "$E2E_SUITE_TIMEOUT" bash "$suite" &
    child=$!
    wait "$child"
    rc=$?
    child=""
    cases=$(($(wc -l <"$results") - before))
    # A suite that died or failed without a failed case still counts once.
    if [ "$rc" -ne 0 ] && ! tail -n "$cases" "$results" | grep -q '^FAIL' ; then
        echo "FAIL $name: the suite exited with $rc"
        echo "FAIL $name (exit $rc)" >>"$results"
    elif [ "$cases" -eq 0 ]; then
        echo "FAIL $name: the suite ran no case"
        echo "FAIL $name (no case)" >>"$results"
    fi
done

passed=$(grep -c '^PASS' "$results")
failed=$(grep -c '^FAIL' "$results")
if [ "$failed" -gt 0 ]; then
    echo "Failed cases:"
    grep '^FAIL' "$results" | sed 's/^/  /'
fi
rm -f "$results"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
