# Helpers of the editor suites (sourced after lib.sh; not a suite itself).
# The UI driver reads and clicks controls; xdotool and xkeys are the user's
# pointer and keyboard.

EDITOR_UIDRIVER=$QUILLON_CROSS_BUILD/tests/e2e/uidriver.exe
EDITOR_UIEDIT=$QUILLON_CROSS_BUILD/tests/e2e/uiedit.exe

MAIN_TITLE=$E2E_ENABLED_TITLE
METHOD_TITLE="How do you want to select the key/key combination?"
TYPING_TITLE="Type in the Key or Key Combination"
MOUSE_TITLE="Use your mouse to select the Key or Key Combination"
CHOOSER_TITLE="Choose a function for the selected Key or Key Combination..."
DEFAULT_HELP="Hover your mouse over the buttons in this dialog to see here a description of what they do..."
FINISH_HELP="Finish will accept all your settings and the key function will be come active immediately."

ui() { wine "$EDITOR_UIDRIVER" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
uie() { wine "$EDITOR_UIEDIT" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Visible dialog with that title, as a handle on stdout.
dialog_of() { ui findvisible "#32770" "$1"; }
dialog_shown() { [ -n "$(dialog_of "$1")" ]; }
dialog_gone() { ! dialog_shown "$1"; }

# wait_dialog VAR TITLE: waits for the dialog and keeps its handle in VAR.
wait_dialog() {
    local handle
    wait_for 20 dialog_shown "$2" || return 1
    handle=$(dialog_of "$2")
    [ -n "$handle" ] || return 1
    printf -v "$1" '%s' "$handle"
}

text_is() { [ "$(ui text "$1" "$2")" = "$3" ]; }
is_enabled() { [ "$(ui enabled "$1" "$2")" = 1 ]; }
is_disabled() { [ "$(ui enabled "$1" "$2")" = 0 ]; }
is_checked() { [ "$(ui checked "$1" "$2")" = 1 ]; }
is_unchecked() { [ "$(ui checked "$1" "$2")" = 0 ]; }
click() { ui click "$1" "$2" >/dev/null; }
choose() { uie comboselect "$1" "$2" "$3" >/dev/null; }

# The pointer onto the middle of control ID, then a left click there.
point_at() {
    local at
    at=$(uie center "$@") || return 1
    # shellcheck disable=SC2086
    xdotool mousemove $at
}
click_at() { point_at "$1" "$2" && xdotool click 1; }

# Without a window manager the X keyboard focus follows the pointer: keys
# reach Wine (and so the hooks) only while the pointer is over one of its
# windows. These put it over the window that should get them.
pointer_over() { point_at "$1"; }
start_recorder() {
    e2e_start_recorder || return 1
    local recorder
    recorder=$(ui find QuillonE2ERecorder -) && [ -n "$recorder" ] || { e2e_fail "no recorder window"; return 1; }
    pointer_over "$recorder"
}

# A screenshot of a dialog, kept in the case's and the suite's artifacts.
keep_screenshot() {
    e2e_screenshot "$1"
    [ -f "$E2E_CASE_DIR/$1.png" ] && cp "$E2E_CASE_DIR/$1.png" "$E2E_ARTIFACTS/$1.png"
    return 0
}

# Starts Quillon.exe in the case's directory and waits for its main dialog.
start_quillon() {
    e2e_wine Quillon.exe
    QUILLON_PID=$E2E_LAST_PID
    wait_dialog MAIN "$MAIN_TITLE" || { e2e_fail "the main dialog never opened"; return 1; }
}

mapping_size() {
    local file=$E2E_WORK/mapping.mp
    if [ -f "$file" ]; then stat -c %s "$file"; else echo 0; fi
}
mapping_size_is() { [ "$(mapping_size)" = "$1" ]; }

# mapping_record N: record N of mapping.mp as "keys=<codes> action=<n> payload=<python repr>"
# (the text up to its terminator; for ChangeKey the first five bytes).
mapping_record() {
    python3 - "$E2E_WORK/mapping.mp" "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
n = int(sys.argv[2])
record = data[n * 3257:(n + 1) * 3257]
if len(record) != 3257:
    sys.exit(1)
keys = ",".join(str(i) for i in range(256) if record[i])
action = record[256]
payload = record[257:]
if action == 4:
    shown = list(payload[:5])
else:
    shown = payload.split(b"\0", 1)[0]
print("keys=%s action=%d payload=%r" % (keys, action, shown))
PY
}
mapping_record_is() { [ "$(mapping_record "$1")" = "$2" ]; }

rows_of() { ui rows "$MAIN" 1016; }
rows_are() { [ "$(rows_of)" = "$1" ]; }
row_count_is() { [ "$(rows_of | grep -c .)" = "$1" ]; }

# Runs the wizard up to the action chooser by picking keys (codes) with the
# mouse dialog; sets CHOOSER.
wizard_by_mouse() {
    local entry
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return 1; }
    click "$METHOD" 1034
    wait_for 10 is_checked "$METHOD" 1034 || { e2e_fail "the mouse choice could not be checked"; return 1; }
    click "$METHOD" 1
    wait_dialog PICK "$MOUSE_TITLE" || { e2e_fail "dialog 142 did not open"; return 1; }
    for entry in "$@"; do
        choose "$PICK" 1000 "$entry" || { e2e_fail "no entry '$entry' in the key list"; return 1; }
        click "$PICK" 1001
    done
    wait_for 10 is_enabled "$PICK" 1 || { e2e_fail "Next stayed disabled after adding keys"; return 1; }
    click "$PICK" 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "dialog 130 did not open"; return 1; }
}

# The same by typing: KEYS are xkeys arguments pressed in dialog 141, TEXT the
# combination text to wait for.
wizard_by_typing() {
    local text=$1
    shift
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return 1; }
    click "$METHOD" 1
    wait_dialog TYPING "$TYPING_TITLE" || { e2e_fail "dialog 141 did not open"; return 1; }
    pointer_over "$TYPING"
    e2e_keys "$@" || { e2e_fail "xkeys failed"; return 1; }
    wait_for 10 text_is "$TYPING" 1003 "$text" ||
        { e2e_fail "captured '$(ui text "$TYPING" 1003)', not '$text'"; return 1; }
    click "$TYPING" 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "dialog 130 did not open"; return 1; }
}
