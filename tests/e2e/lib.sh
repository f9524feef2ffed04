# tests/e2e/lib.sh: the end-to-end harness, sourced by every suite.
#
# Sourcing it starts a private Xvfb (first free display from :90 up, us
# layout), makes or reuses the Wine prefix $QUILLON_CROSS_BUILD/e2e-prefix and
# sets a trap that, whatever happens, records the open case, kills what the
# suite started (wineserver -k on that prefix only, then its Xvfb) and exits
# non-zero when a case failed. Suites run with `set -u`, never `set -e`.
# The suites that drive Quillon.exe's windows add tests/e2e/uidriver/quillon.sh.
#
# Helpers that end in a failure say so themselves (e2e_fail) and return 1, so
# that a case goes on with `helper || return`.
#
# Environment (read):
#   QUILLON_CROSS_BUILD   Windows build dir (default <repo>/build/cross)
#   QUILLON_NATIVE_BUILD  native build dir  (default <repo>/build/native)
#   E2E_RESULTS           file that run.sh collects "PASS|FAIL suite case" lines in
#   E2E_SCREEN            size of the Xvfb screen (default 1024x768), set by a
#                         suite before it sources this file
# Set for the suite:
#   E2E_SUITE             suite name (script name without .sh)
#   DISPLAY, WINEPREFIX   the private display and prefix
#   E2E_ARTIFACTS         $QUILLON_CROSS_BUILD/e2e-artifacts/<suite>
#   E2E_WORK              the current case's working dir (fresh copy of binaries)
#   E2E_CASE_DIR          the current case's artifacts dir (logs, screenshots)
#   E2E_RECORDER_LOG      the recorder's key log of the current case
#
# Cases:
#   e2e_case NAME         ends the previous case (stops its Wine programs) and
#                         starts a new one: fresh $E2E_WORK with the Windows
#                         binaries that are built (Quillon.exe, Quillhook.dll
#                         and every tests/e2e/*.exe: recorder, hookhost, marker...)
#   e2e_hook_case NAME MAPPING [HOOKHOST ARGS]  the hook suites' opening:
#                         e2e_case, the mapping (text form; '' for none),
#                         hookhost.exe with the library, then the recorder
#   e2e_pass              the case passed (ignored once it has failed)
#   e2e_fail MSG          the case failed: message, screenshot; returns 1, so
#                         `check || { e2e_fail "why"; return; }`
#   e2e_skip MSG          the case could not run here: says why and counts as
#                         failed (a skipped end-to-end case proves nothing)
# Waiting (never a bare sleep, never a period of the program's own timers):
#   wait_for SECS CMD...  polls CMD every 0.1 s until it succeeds; 1 on timeout
#                         (SECS may have decimals); CMD's output is dropped
#   wait_gone SECS PID    waits until the process has ended
#   e2e_none_running NAME...  no process of our prefix has one of these names
#                         (Wine programs by their .exe name, scripts by theirs)
# Programs:
#   e2e_binary NAME       path of a built Windows binary in the cross build ('' if none)
#   e2e_tool NAME         path of a native tool (xkeys)
#   e2e_winpath PATH      the Wine (Z:) name of a Unix path
# The build's quillonversion.h:
#   e2e_define NAME       the text of its "#define NAME "text"" line
#   E2E_VERSION           the version (1.2.21), E2E_ENABLED_TITLE the program's
#                         title with it ("Quillon - 1.2 (Build 21)")
#   E2E_MAIN_CLASS, E2E_MAIN_TITLE  class and title of the hidden main window
#   e2e_wine NAME ARGS..  starts $E2E_WORK/NAME (or NAME itself when it holds a
#                         /) in the background under Wine, in its own dir;
#                         output in $E2E_CASE_DIR/<name>.out; sets E2E_LAST_PID
#                         (`wait` on it gives the program's exit code, 8 bits);
#                         the case's end stops it. E2E_WINE_DIR=DIR in front
#                         of it (or of a helper that calls it) runs it in DIR
#   e2e_start_ready SECONDS READY NAME ARGS..  e2e_wine NAME ARGS.., then waits
#                         until READY is written; a start that Wine ends before
#                         the program says anything is made once more
#   e2e_start_hookhost [ARGS]  hookhost.exe (Quillhook.dll from $E2E_WORK, with
#                         --log $E2E_CASE_DIR/hook.log); waits until hooked
#   e2e_hook_saw PATTERN  grep -E on that hook.log
#   e2e_start_recorder [--keys-to-system]  recorder.exe logging to
#                         $E2E_RECORDER_LOG; waits until its window has the
#                         focus (later it lets others take the focus: menus and
#                         dialogs under test); with the option its keys go on
#                         to DefWindowProc and the Alt menu is logged
#   e2e_focus_recorder    makes the recorder take the focus again; waits for it
#   e2e_fake_browser      the prefix's browser becomes a script that appends
#                         each address it gets to $E2E_BROWSER_LOG
#   e2e_stop_wine         ends every Wine process of the prefix (wineserver -k)
# Keys (XTEST, like a physical keyboard; only reach hooks while a Wine window
# has the focus):
#   e2e_keys ARGS         xkeys: down|up|tap KEYSYM ..., right modifiers as themselves
#   e2e_xdotool ARGS      xdotool on the private display
#   e2e_sync              taps F12 and waits until the recorder has it: every
#                         earlier physical key has then been through the hooks
#   e2e_key_gives KEY TEXT  taps KEY, syncs; true when the recorder got exactly TEXT for it
# Recorder log:
#   e2e_typed             the WM_CHAR characters received, as one string
#   e2e_typed_is TEXT     true when exactly TEXT was typed
#   e2e_got PATTERN       grep -E on the recorder log
#   e2e_count PATTERN     number of matching recorder lines
#   e2e_count_above PATTERN N  more than N of them
# Mapping file:
#   e2e_quillmap ARGS     the native quillmap (README: "Key combinations as text")
#   e2e_mapping [TEXT]    quillmap import of the text form, from TEXT or stdin,
#                         into $E2E_WORK/mapping.mp
#   e2e_mapping_file FILE [TEXT]  the same into FILE
#   e2e_quoted TEXT       TEXT as a quoted argument of the text form
# Artifacts:
#   e2e_screenshot NAME   $E2E_CASE_DIR/NAME.png of the whole display
#   e2e_keep_screenshot NAME  the same, kept in the suite's artifacts too
#   e2e_log MSG           a line in the suite's log (and on stderr)
# Suite cleanup:
#   e2e_on_exit FUNC      FUNC runs at the suite's end, after the last case has
#                         ended and before the prefix's server is stopped

e2e_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${QUILLON_CROSS_BUILD:=$e2e_repo/build/cross}"
: "${QUILLON_NATIVE_BUILD:=$e2e_repo/build/native}"
QUILLON_CROSS_BUILD=$(cd "$QUILLON_CROSS_BUILD" 2>/dev/null && pwd) || {
    echo "e2e: no cross build dir (QUILLON_CROSS_BUILD)" >&2
    exit 1
}
QUILLON_NATIVE_BUILD=$(cd "$QUILLON_NATIVE_BUILD" 2>/dev/null && pwd) || {
    echo "e2e: no native build dir (QUILLON_NATIVE_BUILD)" >&2
    exit 1
}
export QUILLON_CROSS_BUILD QUILLON_NATIVE_BUILD

E2E_SUITE=$(basename "$0" .sh)
E2E_ARTIFACTS=$QUILLON_CROSS_BUILD/e2e-artifacts/$E2E_SUITE
E2E_WORKROOT=$QUILLON_CROSS_BUILD/e2e-work/$E2E_SUITE
E2E_PREFIX=$QUILLON_CROSS_BUILD/e2e-prefix
# One suite at a time per cross build: its prefix, artifacts and work dirs are
# shared, and wineserver -k would end the other suite's programs.
exec 8>"$E2E_PREFIX.lock"
flock -w 900 8 || {
    echo "e2e: $E2E_PREFIX stayed busy for 15 minutes" >&2
    exit 1
}
rm -rf "$E2E_ARTIFACTS" "$E2E_WORKROOT"
mkdir -p "$E2E_ARTIFACTS" "$E2E_WORKROOT"
E2E_SUITE_LOG=$E2E_ARTIFACTS/suite.log
: >"$E2E_SUITE_LOG"

e2e_case_name=""
e2e_case_state=""   # open, passed or failed
e2e_case_message=""
e2e_case_number=0
e2e_passed=0
e2e_failed=0
e2e_pids=()         # background processes of the current case
e2e_xvfb_pid=""
e2e_cleaning=0
e2e_exit_hooks=()
E2E_WORK=""
E2E_CASE_DIR=""
E2E_RECORDER_LOG=""
E2E_LAST_PID=""
E2E_BROWSER_LOG=""
E2E_HOOKHOST_PID=""
E2E_RECORDER_PID=""

e2e_log() {
    printf '%s %s\n' "$(date +%H:%M:%S)" "$*" >>"$E2E_SUITE_LOG"
    printf '%s\n' "$*" >&2
}

wait_for() {
    local timeout=$1
    shift
    # Whole and decimal seconds in nanoseconds, in bash's 64-bit arithmetic.
    local whole=${timeout%%.*} fraction=0
    [ "$whole" = "$timeout" ] || fraction=${timeout#*.}000000000
    local deadline=$(($(date +%s%N) + ${whole:-0} * 1000000000 + 10#${fraction:0:9}))
    while :; do
        "$@" >/dev/null 2>&1 && return 0
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

e2e_pid_alive() { kill -0 "$1" 2>/dev/null; }
e2e_pid_gone() { ! kill -0 "$1" 2>/dev/null; }
wait_gone() { wait_for "$1" e2e_pid_gone "$2"; }

# --- programs -------------------------------------------------------------

e2e_binary() {
    local name=$1 dir
    for dir in tests/e2e hook app .; do
        if [ -f "$QUILLON_CROSS_BUILD/$dir/$name" ]; then
            printf '%s\n' "$QUILLON_CROSS_BUILD/$dir/$name"
            return 0
        fi
    done
    find "$QUILLON_CROSS_BUILD" -maxdepth 3 -name "$name" -type f \
        -not -path '*/e2e-*' -not -path '*/CMakeFiles/*' 2>/dev/null | head -n 1
}

e2e_tool() {
    local path=$QUILLON_NATIVE_BUILD/tests/e2e/tools/$1
    [ -x "$path" ] || {
        echo "e2e: native tool $1 is not built in $QUILLON_NATIVE_BUILD" >&2
        return 1
    }
    printf '%s\n' "$path"
}

e2e_define() {
    sed -n "s/^#define $1 \"\(.*\)\"\$/\1/p" "$QUILLON_CROSS_BUILD/generated/quillonversion.h" 2>/dev/null
}
E2E_VERSION=$(e2e_define QUILLON_VERSION_TEXT)
E2E_ENABLED_TITLE="Quillon - ${E2E_VERSION%.*} (Build ${E2E_VERSION##*.})"
E2E_MAIN_CLASS=$(e2e_define QUILLON_WINDOW_CLASS)
E2E_MAIN_TITLE=$(e2e_define QUILLON_WINDOW_TITLE)

e2e_winpath() {
    local path=$1
    printf 'Z:%s\n' "${path//\//\\}"
}

e2e_wine() {
    local path=$1
    shift
    case "$path" in
    */*) ;;
    *) path=$E2E_WORK/$path ;;
    esac
    local dir name
    dir=$(dirname "$path")
    name=$(basename "$path")
    (cd "${E2E_WINE_DIR:-$dir}" && exec wine "$path" "$@") >>"$E2E_CASE_DIR/$name.out" 2>&1 </dev/null &
    E2E_LAST_PID=$!
    e2e_pids+=("$E2E_LAST_PID")
}

e2e_file_nonempty() { [ -s "$1" ]; }
# A program that ends before it is ready need not be waited for.
e2e_ready_or_gone() { [ -s "$1" ] || ! kill -0 "$2" 2>/dev/null; }

# Wine now and then ends a process as it starts, before it says anything of
# its own (at most ld.so's assertion on the way out). A program that ended
# having said something of its own fails at once.
E2E_LDSO_ASSERTION="Inconsistency detected by ld.so"
e2e_start_ready() {
    local seconds=$1 ready=$2 program=$3 name out said size rc
    shift 3
    name=$(basename "$program")
    out=$E2E_CASE_DIR/$name.out
    for _ in 1 2; do
        rm -f "$ready"
        size=$(stat -c %s "$out" 2>/dev/null || echo 0)
        e2e_wine "$program" "$@"
        wait_for "$seconds" e2e_ready_or_gone "$ready" "$E2E_LAST_PID" || return 1
        [ -s "$ready" ] && return 0
        wait "$E2E_LAST_PID" 2>/dev/null
        rc=$?
        said=$(tail -c +$((size + 1)) "$out" 2>/dev/null | grep -v "^$E2E_LDSO_ASSERTION")
        [ -z "$said" ] || return 1
        e2e_log "  $name ended with $rc before it was ready, saying nothing of its own: started once more"
    done
    return 1
}

e2e_start_hookhost() {
    [ -f "$E2E_WORK/hookhost.exe" ] || { e2e_fail "hookhost.exe is not built"; return 1; }
    [ -f "$E2E_WORK/Quillhook.dll" ] || { e2e_fail "Quillhook.dll is not built"; return 1; }
    local ready=$E2E_CASE_DIR/hookhost.ready
    e2e_start_ready 60 "$ready" hookhost.exe --ready "$(e2e_winpath "$ready")" \
        --log "$(e2e_winpath "$E2E_CASE_DIR/hook.log")" "$@"
    local ok=$?
    E2E_HOOKHOST_PID=$E2E_LAST_PID
    [ "$ok" = 0 ] || { e2e_fail "hookhost.exe did not install its hook: $(tail -n 3 "$E2E_CASE_DIR/hookhost.exe.out" 2>/dev/null)"; return 1; }
}
e2e_hook_saw() { grep -qE -- "$1" "$E2E_CASE_DIR/hook.log" 2>/dev/null; }

e2e_start_recorder() {
    local ready=$E2E_CASE_DIR/recorder.ready
    E2E_RECORDER_LOG=$E2E_CASE_DIR/recorder.log
    : >"$E2E_RECORDER_LOG"
    e2e_start_ready 30 "$ready" recorder.exe "$(e2e_winpath "$E2E_RECORDER_LOG")" "$(e2e_winpath "$ready")" "$@"
    local ok=$?
    E2E_RECORDER_PID=$E2E_LAST_PID
    [ "$ok" = 0 ] || { e2e_fail "recorder.exe never got the focus: $(tail -n 2 "$E2E_CASE_DIR/recorder.exe.out" 2>/dev/null)"; return 1; }
    e2e_pointer_to_recorder
}

# Without a window manager X hands the keys to the window under the pointer.
e2e_pointer_to_recorder() {
    local window
    window=$(xdotool search --pid "$E2E_RECORDER_PID" --name '^Quillon e2e recorder$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && xdotool mousemove --window "$window" 60 60 >/dev/null 2>&1
    return 0
}

e2e_focus_recorder() {
    local ready=$E2E_CASE_DIR/recorder.ready
    rm -f "$ready"
    e2e_pointer_to_recorder
    : >"$ready.focus"
    wait_for 20 e2e_file_nonempty "$ready" || { e2e_fail "recorder.exe did not get the focus back"; return 1; }
}

e2e_fake_browser() {
    local browser=$E2E_CASE_DIR/browser.sh
    E2E_BROWSER_LOG=$E2E_CASE_DIR/browser.log
    printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done >>"%s"\n' "$E2E_BROWSER_LOG" >"$browser"
    chmod +x "$browser"
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$browser" /f \
        >"$E2E_CASE_DIR/reg.out" 2>&1 || { e2e_fail "wine reg add failed: $(cat "$E2E_CASE_DIR/reg.out")"; return 1; }
}

e2e_stop_wine() {
    local pid
    WINEPREFIX=$E2E_PREFIX wineserver -k >/dev/null 2>&1
    for pid in "${e2e_pids[@]}"; do
        wait_gone 10 "$pid" || kill -9 "$pid" 2>/dev/null
    done
    e2e_pids=()
    # A later start must find no dying server: one that lingers is killed.
    wait_for 15 e2e_no_wineserver && return 0
    e2e_log "  the prefix's wineserver did not end: killed"
    # shellcheck disable=SC2046
    kill -9 $(e2e_prefix_pids 'wineserver*') 2>/dev/null
    wait_for 15 e2e_no_wineserver || { e2e_log "  the prefix's wineserver does not end"; return 1; }
}

# Processes of our prefix are told apart from the others' by their
# environment; a name is matched (as a glob) against the process name and
# the last parts of its first two arguments. Prints their ids.
e2e_prefix_pids() {
    local dir comm args name pattern
    for dir in /proc/[0-9]*; do
        read -r comm 2>/dev/null <"$dir/comm" || continue
        args=$({ tr '\0' '\n' <"$dir/cmdline"; } 2>/dev/null | head -n 2 | sed 's:.*[/\\]::')
        for pattern in "$@"; do
            for name in "$comm" $args; do
                # shellcheck disable=SC2254
                case "$name" in
                $pattern)
                    { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$E2E_PREFIX" &&
                        echo "${dir#/proc/}" && continue 3
                    ;;
                esac
            done
        done
    done
}
e2e_none_running() { [ -z "$(e2e_prefix_pids "$@")" ]; }
e2e_no_wineserver() { e2e_none_running 'wineserver*'; }

# --- keys and the recorder log -------------------------------------------

e2e_keys() { "$E2E_XKEYS" "$@" || { e2e_fail "xkeys $* failed"; return 1; }; }
e2e_xdotool() { xdotool "$@"; }

e2e_count() {
    [ -n "$E2E_RECORDER_LOG" ] || { echo 0; return; }
    grep -cE -- "$1" "$E2E_RECORDER_LOG" 2>/dev/null || true
}
e2e_got() { grep -qE -- "$1" "$E2E_RECORDER_LOG" 2>/dev/null; }
e2e_count_above() { [ "$(e2e_count "$1")" -gt "$2" ]; }

e2e_sync() {
    local before
    before=$(e2e_count '^WM_KEYUP vk=123 ')
    e2e_keys tap F12 || return 1
    wait_for 10 e2e_count_above '^WM_KEYUP vk=123 ' "$before" || { e2e_fail "the sync key never arrived"; return 1; }
}

e2e_key_gives() {
    local before
    before=$(e2e_typed)
    e2e_keys tap "$1" && e2e_sync || return 1
    [ "$(e2e_typed)" = "$before$2" ]
}

e2e_typed() {
    [ -n "$E2E_RECORDER_LOG" ] || return 0
    # ch= shows the character; code= keeps those that do not print.
    awk '/^WM_CHAR / { for (i = 2; i <= NF; i++) if ($i ~ /^code=/) printf "%c", substr($i, 6) + 0 }' \
        "$E2E_RECORDER_LOG"
}
e2e_typed_is() { [ "$(e2e_typed)" = "$1" ]; }

e2e_quillmap() {
    local path=$QUILLON_NATIVE_BUILD/quillmap/quillmap
    [ -x "$path" ] || {
        echo "e2e: quillmap is not built in $QUILLON_NATIVE_BUILD" >&2
        return 1
    }
    "$path" "$@" >/dev/null
}

e2e_mapping_file() {
    local file=$1 errors=$E2E_CASE_DIR/quillmap.err
    if [ $# -gt 1 ]; then
        printf '%s\n' "$2" | e2e_quillmap import - "$file" 2>"$errors"
    else
        e2e_quillmap import - "$file" 2>"$errors"
    fi || { e2e_fail "quillmap import failed: $(head -c 300 "$errors")"; return 1; }
}
e2e_mapping() { e2e_mapping_file "$E2E_WORK/mapping.mp" "$@"; }

e2e_quoted() {
    local text=${1//\\/\\\\}
    printf '"%s"' "${text//\"/\\\"}"
}

e2e_screenshot() {
    [ -n "$E2E_CASE_DIR" ] || return 0
    import -display "$DISPLAY" -window root "$E2E_CASE_DIR/$1.png" >/dev/null 2>&1 || true
}
e2e_keep_screenshot() {
    e2e_screenshot "$1"
    [ -f "$E2E_CASE_DIR/$1.png" ] && cp "$E2E_CASE_DIR/$1.png" "$E2E_ARTIFACTS/$1.png"
    return 0
}

# --- cases -------------------------------------------------------------------

e2e_record() {
    local verdict=$1
    local line="$verdict $E2E_SUITE $e2e_case_name"
    [ -n "$e2e_case_message" ] && line="$line: $e2e_case_message"
    if [ "$verdict" = PASS ]; then
        e2e_passed=$((e2e_passed + 1))
    else
        e2e_failed=$((e2e_failed + 1))
    fi
    printf '%s\n' "$line" >>"$E2E_ARTIFACTS/results.txt"
    [ -n "${E2E_RESULTS:-}" ] && printf '%s\n' "$line" >>"$E2E_RESULTS"
    printf '%s\n' "$line"
}

e2e_end_case() {
    [ -n "$e2e_case_name" ] || return 0
    case "$e2e_case_state" in
    passed) e2e_record PASS ;;
    failed) e2e_record FAIL ;;
    *)
        e2e_case_message="no verdict"
        e2e_screenshot no-verdict
        e2e_record FAIL
        ;;
    esac
    e2e_stop_wine
    e2e_release_keys
    e2e_case_name=""
}

# A case that fails with a key held must not leave it down for the next one;
# released once no Windows program is left to see it.
e2e_release_keys() {
    [ -n "${E2E_XKEYS:-}" ] || return 0
    "$E2E_XKEYS" up Shift_L up Shift_R up Control_L up Control_R up Alt_L up Alt_R up Super_L >/dev/null 2>&1
}

e2e_case() {
    e2e_end_case
    e2e_case_name=$1
    e2e_case_state=open
    e2e_case_message=""
    local slug
    e2e_case_number=$((e2e_case_number + 1))
    slug=$(printf '%02d_%s' "$e2e_case_number" "$1" | tr -c 'A-Za-z0-9_.-' '_' | cut -c1-64)
    E2E_CASE_DIR=$E2E_ARTIFACTS/$slug
    E2E_WORK=$E2E_WORKROOT/$slug
    E2E_RECORDER_LOG=""
    rm -rf "$E2E_CASE_DIR" "$E2E_WORK"
    mkdir -p "$E2E_CASE_DIR" "$E2E_WORK"
    local name path
    for name in Quillon.exe Quillhook.dll; do
        path=$(e2e_binary "$name")
        [ -n "$path" ] && cp "$path" "$E2E_WORK/"
    done
    for path in "$QUILLON_CROSS_BUILD"/tests/e2e/*.exe; do
        [ -f "$path" ] && cp "$path" "$E2E_WORK/"
    done
    e2e_log "case: $1"
}

e2e_hook_case() {
    local name=$1 mapping=$2
    shift 2
    e2e_case "$name"
    if [ -n "$mapping" ]; then e2e_mapping "$mapping" || return 1; fi
    e2e_start_hookhost "$@" && e2e_start_recorder
}

e2e_pass() {
    if [ "$e2e_case_state" = open ]; then
        e2e_case_state=passed
    fi
}

e2e_fail() {
    local message="$*"
    e2e_log "  FAIL: $message"
    if [ "$e2e_case_state" = failed ]; then
        e2e_case_message="$e2e_case_message; $message"
    else
        e2e_case_message=$message
        e2e_screenshot failure
    fi
    e2e_case_state=failed
    return 1
}

e2e_skip() {
    e2e_fail "could not run here: $*"
}

# --- display, prefix, cleanup ----------------------------------------------

e2e_on_exit() { e2e_exit_hooks+=("$1"); }

e2e_cleanup() {
    local status=$?
    [ "$e2e_cleaning" = 1 ] && return
    e2e_cleaning=1
    trap - EXIT INT TERM
    e2e_end_case
    local hook
    for hook in "${e2e_exit_hooks[@]}"; do
        "$hook"
    done
    [ -n "$E2E_PREFIX_LOCKED" ] && WINEPREFIX=$E2E_PREFIX wineserver -k >/dev/null 2>&1
    if [ -n "$e2e_xvfb_pid" ]; then
        kill "$e2e_xvfb_pid" 2>/dev/null
        wait_gone 10 "$e2e_xvfb_pid" || kill -9 "$e2e_xvfb_pid" 2>/dev/null
    fi
    printf '%s: %d passed, %d failed\n' "$E2E_SUITE" "$e2e_passed" "$e2e_failed"
    if [ "$e2e_failed" -gt 0 ]; then
        exit 1
    fi
    exit "$status"
}

e2e_signal() {
    e2e_log "interrupted"
    [ -n "$e2e_case_name" ] && [ "$e2e_case_state" != failed ] && e2e_fail "interrupted"
    exit 130
}

e2e_display_answers() { xdpyinfo -display ":$1" >/dev/null 2>&1; }

e2e_start_xvfb() {
    local n
    for n in $(seq 90 189); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${E2E_SCREEN:-1024x768}x24" -nolisten tcp -noreset >"$E2E_ARTIFACTS/xvfb.log" 2>&1 &
        e2e_xvfb_pid=$!
        # The lock file names the server that owns the display: ours, or one
        # that won a race for the same number.
        if wait_for 20 e2e_display_answers "$n" && e2e_pid_alive "$e2e_xvfb_pid" &&
            [ "$(tr -dc 0-9 <"/tmp/.X$n-lock" 2>/dev/null)" = "$e2e_xvfb_pid" ]; then
            export DISPLAY=":$n"
            setxkbmap -display "$DISPLAY" -layout us || e2e_log "setxkbmap failed"
            e2e_log "display $DISPLAY (Xvfb $e2e_xvfb_pid)"
            return 0
        fi
        # Someone else took that number in the meantime: try the next one.
        kill "$e2e_xvfb_pid" 2>/dev/null
        e2e_xvfb_pid=""
    done
    echo "e2e: no free X display from :90 to :189" >&2
    return 1
}

e2e_prefix_ready() { [ -f "$E2E_PREFIX/system.reg" ] && [ -f "$E2E_PREFIX/.quillon-e2e" ]; }

e2e_make_prefix() {
    export WINEPREFIX=$E2E_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    E2E_PREFIX_LOCKED=1
    if ! e2e_prefix_ready; then
        e2e_log "making the Wine prefix $E2E_PREFIX"
        rm -rf "$E2E_PREFIX"
        mkdir -p "$E2E_PREFIX"
        wine wineboot -i >"$E2E_ARTIFACTS/wineboot.log" 2>&1
        wineserver -w
        [ -f "$E2E_PREFIX/system.reg" ] || { echo "e2e: wineboot made no prefix" >&2; return 1; }
        touch "$E2E_PREFIX/.quillon-e2e"
    fi
    # Nothing of an earlier, killed run may linger in our prefix.
    wineserver -k >/dev/null 2>&1
    wait_for 15 e2e_no_wineserver || { echo "e2e: an earlier wineserver of $E2E_PREFIX does not end" >&2; return 1; }
}

E2E_PREFIX_LOCKED=""
trap e2e_cleanup EXIT
trap e2e_signal INT TERM

E2E_XKEYS=$(e2e_tool xkeys) || exit 1
e2e_start_xvfb || exit 1
e2e_make_prefix || exit 1
