#!/bin/bash
# The ground the hook suites stand on: XTEST keys reach a low-level hook as
# physical (non-injected) events and then the focused recorder window, and a
# right-hand modifier sent with xkeys arrives as itself.
set -u
. "$(dirname "$0")/../lib.sh"

case_xtest_reaches_hook() {
    e2e_hook_case "XTEST keys reach a WH_KEYBOARD_LL hook, then the focused window" "" --no-library || return
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is a || { e2e_fail "the recorder did not get 'a': $(e2e_typed)"; return; }
    e2e_sync || return
    e2e_hook_saw '^hook vk=65 .*up=0 injected=0' || { e2e_fail "the hook did not see A down as a physical key"; return; }
    e2e_hook_saw '^hook vk=65 .*up=1 injected=0' || { e2e_fail "the hook did not see A up as a physical key"; return; }
    e2e_pass
}

case_right_control_is_right() {
    e2e_hook_case "xkeys sends right Ctrl alone, without the left one" "" --no-library || return
    e2e_keys down Control_R tap a up Control_R && e2e_sync || return
    e2e_hook_saw '^hook vk=163 .*up=0 injected=0' || { e2e_fail "the hook never saw right Ctrl (163) down"; return; }
    e2e_hook_saw '^hook vk=162 ' && { e2e_fail "left Ctrl (162) arrived too"; return; }
    e2e_got '^WM_KEYDOWN vk=17 ext=1' || { e2e_fail "the window did not get an extended Ctrl"; return; }
    e2e_pass
}

# Byte N of the mapping file, as a decimal number.
mapping_byte() { od -An -tu1 -j "$1" -N1 "$E2E_WORK/mapping.mp" | tr -d ' '; }

case_quillmap_layout() {
    e2e_case "quillmap import writes 3257-byte records with folded keys and the payload in place"
    e2e_mapping <<'EOF_MAP' || return
# comment lines and blank lines are no records

T+Left.Ctrl text "H\"i\\"
A change B+Ctrl+Shift
EOF_MAP
    [ "$(stat -c %s "$E2E_WORK/mapping.mp")" = $((2 * 3257)) ] || { e2e_fail "not two records"; return; }
    local checks="84:128 162:128 17:128 163:0 16:0 256:1 257:72 258:34 259:105 260:92 261:0"
    checks="$checks $((3257 + 65)):128 $((3257 + 17)):0 $((3257 + 256)):4 $((3257 + 257)):66"
    checks="$checks $((3257 + 258)):1 $((3257 + 259)):0 $((3257 + 260)):1"
    local check
    for check in $checks; do
        [ "$(mapping_byte "${check%%:*}")" = "${check##*:}" ] ||
            { e2e_fail "byte ${check%%:*} is $(mapping_byte "${check%%:*}"), not ${check##*:}"; return; }
    done
    # A line that does not parse leaves no file behind.
    rm -f "$E2E_WORK/mapping.mp"
    if e2e_quillmap import - "$E2E_WORK/mapping.mp" <<<'#300 block' 2>/dev/null || [ -e "$E2E_WORK/mapping.mp" ]; then
        e2e_fail "key code 300 was accepted"
        return
    fi
    e2e_pass
}

case_recorder_yields_focus() {
    e2e_hook_case "The recorder leaves the focus to a newer window and takes it back when asked" "" --no-library || return
    local other=$E2E_CASE_DIR/other.log
    e2e_wine recorder.exe "$(e2e_winpath "$other")" "$(e2e_winpath "$E2E_CASE_DIR/other.ready")"
    wait_for 30 e2e_file_nonempty "$E2E_CASE_DIR/other.ready" || { e2e_fail "the second window never got the focus"; return; }
    e2e_keys tap x || return
    wait_for 10 grep -q '^WM_CHAR code=120 ' "$other" || { e2e_fail "x did not reach the newer window"; return; }
    # The pointer elsewhere must not keep the keys from the recorder.
    e2e_xdotool mousemove 1000 700 || { e2e_fail "xdotool failed"; return; }
    e2e_focus_recorder || return
    e2e_keys tap y || return
    wait_for 10 e2e_typed_is y || { e2e_fail "the recorder got '$(e2e_typed)', not 'y'"; return; }
    grep -q '^WM_CHAR code=121 ' "$other" && { e2e_fail "y reached the newer window too"; return; }
    e2e_pass
}

case_quillmap_layout
case_xtest_reaches_hook
case_right_control_is_right
case_recorder_yields_focus
