#!/bin/bash
# Quillhook.dll under a real low-level hook (hookhost.exe) with XTEST keys:
# key-level rules (ChangeKey, BlockKey), a disabled combination and
# side-specific matching, no key left down, real scan codes, no menu from Alt,
# held modifiers kept held. Codes: 17 Ctrl, 27 Escape, 37 Left, 40 Down,
# 65 A, 66 B, 74 J, 84 T, 87 W, 113 F2, 120 F9, 162 left Ctrl.
set -u
. "$(dirname "$0")/../lib.sh"

# The keys whose last message in the recorder was a key-down.
keys_left_down() {
    awk '/^WM_(SYS)?KEYDOWN / { down[$2] = 1 } /^WM_(SYS)?KEYUP / { delete down[$2] }
         END { for (k in down) printf "%s ", k }' "$E2E_RECORDER_LOG"
}
# Nothing is left down in the window once the sync key has come through.
nothing_left_down() {
    e2e_sync || return 1
    [ -z "$(keys_left_down)" ] || { e2e_fail "left down in the window: $(keys_left_down)"; return 1; }
}

case_change_key_with_shift() {
    e2e_hook_case "ChangeKey A to B with Shift: A types a capital B, Shift does not stick" 'A change B+Shift' || return
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is B || { e2e_fail "expected 'B', the recorder got '$(e2e_typed)'"; return; }
    e2e_got '^WM_KEYDOWN vk=16 ' || { e2e_fail "no Shift press came with the B"; return; }
    # A key that is not in the record goes through as itself, unshifted.
    e2e_keys tap c || return
    wait_for 10 e2e_typed_is Bc || { e2e_fail "expected 'Bc' (Shift released), got '$(e2e_typed)'"; return; }
    e2e_got '^WM_KEY(DOWN|UP) vk=65 ' && { e2e_fail "the A itself reached the window"; return; }
    e2e_pass
}

case_change_key_releases_the_combination() {
    e2e_hook_case "ChangeKey left Ctrl+A to B: the window gets a plain b, not Ctrl+B" 'A+Left.Ctrl change B' || return
    e2e_keys down Control_L tap a up Control_L || return
    # Ctrl+B would be the control character 2.
    wait_for 10 e2e_typed_is b || { e2e_fail "expected 'b', got '$(e2e_typed | od -An -c)'"; return; }
    e2e_sync || return
    e2e_typed_is b || { e2e_fail "more than 'b' arrived: '$(e2e_typed | od -An -c)'"; return; }
    e2e_got '^WM_KEY(DOWN|UP) vk=65 ' && { e2e_fail "the A itself reached the window"; return; }
    e2e_pass
}

case_modifier_changed_into_escape() {
    e2e_hook_case "ChangeKey left Ctrl to Escape: after one tap, x types a plain x" 'Left.Ctrl change Esc' || return
    e2e_keys tap Control_L tap x || return
    wait_for 10 e2e_got '^WM_CHAR code=(120|24) ' || { e2e_fail "no x arrived: '$(e2e_typed | od -An -c)'"; return; }
    e2e_got '^WM_CHAR code=24 ' && { e2e_fail "x arrived as Ctrl+X: Ctrl was left down"; return; }
    e2e_got '^WM_KEYDOWN vk=27 ' || { e2e_fail "no Escape arrived"; return; }
    nothing_left_down && e2e_pass
}

case_key_changed_into_ctrl_in_a_chord() {
    e2e_hook_case "ChangeKey F9 to Ctrl: F9 held while C is tapped gives Ctrl+C, nothing left down" 'F9 change Ctrl' || return
    e2e_keys down F9 tap c up F9 || return
    wait_for 10 e2e_typed_is $'\x03' || { e2e_fail "expected Ctrl+C, got '$(e2e_typed | od -An -c)'"; return; }
    nothing_left_down || return
    e2e_got ' vk=120 ' && { e2e_fail "F9 itself reached the window"; return; }
    e2e_pass
}

case_real_scan_codes() {
    e2e_hook_case "ChangeKey F2 to Left and A to Down: the keys carry their own scan codes and extended bits" \
        $'F2 change Left\nA change Down' || return
    # Changed, physical, changed again: all alike, whatever was seen before.
    e2e_keys tap F2 tap Left tap F2 tap a || return
    wait_for 10 e2e_got '^WM_KEYUP vk=40 ' || { e2e_fail "no Down arrived"; return; }
    local left
    left=$(grep '^WM_KEYDOWN vk=37 ' "$E2E_RECORDER_LOG" | tr -d '\r' | awk '{ printf "%s %s ", $3, $5 }')
    [ "$left" = "ext=1 scan=75 ext=1 scan=75 ext=1 scan=75 " ] || { e2e_fail "Left key-downs came as: $left"; return; }
    # Down is E0 50.
    e2e_got '^WM_KEYDOWN vk=40 ext=1 up=0 scan=80.?$' ||
        { e2e_fail "Down came as: $(grep '^WM_KEYDOWN vk=40 ' "$E2E_RECORDER_LOG")"; return; }
    e2e_got ' vk=(113|65) ' && { e2e_fail "F2 or A itself reached the window"; return; }
    e2e_pass
}

case_alt_opens_no_menu() {
    e2e_case "Left Alt+J changed into Down in a window whose keys go to DefWindowProc: Down, and no menu"
    e2e_mapping 'J+Left.Alt change Down' && e2e_start_hookhost && e2e_start_recorder --keys-to-system || return
    # The user's own lone Alt tap opens the menu, as it always does.
    e2e_keys tap Alt_L || return
    wait_for 10 e2e_got '^WM_SYSCOMMAND SC_KEYMENU' || { e2e_fail "a lone Alt tap opened no menu"; return; }
    local before
    before=$(e2e_count '^WM_SYSCOMMAND SC_KEYMENU')
    e2e_keys down Alt_L tap j up Alt_L || return
    wait_for 10 e2e_got '^WM_KEYUP vk=40 ' || { e2e_fail "no Down arrived"; return; }
    e2e_sync || return
    [ "$(e2e_count '^WM_SYSCOMMAND SC_KEYMENU')" = "$before" ] || { e2e_fail "Alt+J opened the menu"; return; }
    e2e_got ' vk=74 ' && { e2e_fail "J itself reached the window"; return; }
    e2e_pass
}

case_held_ctrl_stays_held() {
    e2e_hook_case "Left Ctrl+J changed into Down, then C with Ctrl still held: Ctrl+C" 'J+Left.Ctrl change Down' || return
    e2e_keys down Control_L tap j tap c up Control_L || return
    # Ctrl+C is the control character 3; a plain c would be 99.
    wait_for 10 e2e_got '^WM_CHAR code=(3|99) ' || { e2e_fail "C never arrived"; return; }
    e2e_got '^WM_KEYDOWN vk=40 ' || { e2e_fail "no Down arrived"; return; }
    e2e_typed_is $'\x03' || { e2e_fail "expected Ctrl+C, got '$(e2e_typed | od -An -c)'"; return; }
    e2e_sync || return
    [ -z "$(keys_left_down)" ] || { e2e_fail "left down in the window: $(keys_left_down)"; return; }
    e2e_pass
}

case_block_key() {
    e2e_hook_case "BlockKey B: neither the press nor the release arrives, other keys do" 'B block' || return
    e2e_keys down b && e2e_sync || return
    # Blocked whatever else is held.
    e2e_keys up b down Shift_L tap b up Shift_L tap c || return
    wait_for 10 e2e_typed_is c || { e2e_fail "expected only 'c', got '$(e2e_typed)'"; return; }
    e2e_sync || return
    e2e_hook_saw '^hook vk=66 .*up=0 injected=0' && e2e_hook_saw '^hook vk=66 .*up=1 injected=0' ||
        { e2e_fail "the B press and release never reached the hook"; return; }
    [ "$(grep -c '^hook vk=66 .*up=0 injected=0' "$E2E_CASE_DIR/hook.log")" -ge 2 ] ||
        { e2e_fail "the hook saw B pressed once, not twice"; return; }
    e2e_got ' vk=66 ' && { e2e_fail "B reached the window: $(grep ' vk=66 ' "$E2E_RECORDER_LOG" | head -n 2 | tr '\n' ' ')"; return; }
    e2e_pass
}

case_disabled_combination() {
    e2e_hook_case "DisableCombination left Ctrl+W: swallowed, W alone still arrives" 'W+Left.Ctrl disable' || return
    e2e_keys down Control_L tap w up Control_L && e2e_sync || return
    e2e_got ' vk=87 ' && { e2e_fail "W reached the window with left Ctrl held"; return; }
    e2e_got '^WM_KEYUP vk=17 ' || { e2e_fail "left Ctrl itself was swallowed"; return; }
    e2e_keys tap w || return
    wait_for 10 e2e_typed_is w || { e2e_fail "expected 'w' alone, got '$(e2e_typed)'"; return; }
    e2e_pass
}

case_side_specific() {
    e2e_hook_case "Left Ctrl+T does not fire with right Ctrl" 'T+Left.Ctrl text "Hi"' || return
    e2e_keys down Control_R tap t up Control_R || return
    # Right Ctrl+T passes on as itself: the control character 20.
    wait_for 10 e2e_typed_is $'\x14' || { e2e_fail "right Ctrl+T: expected ^T, got '$(e2e_typed | od -An -c)'"; return; }
    e2e_sync || return
    e2e_typed_is $'\x14' || { e2e_fail "right Ctrl+T typed '$(e2e_typed | od -An -c)'"; return; }
    # The same keys with the left Ctrl fire, so the record was loaded.
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 10 e2e_typed_is $'\x14Hi' || { e2e_fail "left Ctrl+T: expected 'Hi' after ^T, got '$(e2e_typed | od -An -c)'"; return; }
    e2e_pass
}

# Another program with a window: the recorder under the file name $1, with a
# log and a ready file of its own; focus_program makes it, or recorder.exe,
# the window in front that the recorder helpers read.
start_program() {
    cp "$E2E_WORK/recorder.exe" "$E2E_WORK/$1" || return 1
    local ready=$E2E_CASE_DIR/$1.ready
    : >"$E2E_CASE_DIR/$1.log"
    e2e_start_ready 30 "$ready" "$1" "$(e2e_winpath "$E2E_CASE_DIR/$1.log")" "$(e2e_winpath "$ready")"
    local ok=$?
    eval "pid_of_${1%.exe}=$E2E_LAST_PID"
    return $ok
}
focus_program() {
    local ready=$E2E_CASE_DIR/$1.ready
    [ "$1" = recorder.exe ] && ready=$E2E_CASE_DIR/recorder.ready
    eval "E2E_RECORDER_PID=\$pid_of_${1%.exe}"
    E2E_RECORDER_LOG=${ready%.ready}.log
    rm -f "$ready"
    e2e_pointer_to_recorder
    : >"$ready.focus"
    wait_for 20 e2e_file_nonempty "$ready" || { e2e_fail "$1 did not come to the front"; return 1; }
}

case_combinations_for_some_programs_only() {
    e2e_case "A into B only in recorder.exe, C into D everywhere except: b and c there, a and d in other.exe"
    e2e_mapping <<<$'A change B in recorder.exe\nC change D not-in RECORDER.EXE' || { e2e_fail "quillmap import failed"; return; }
    e2e_start_hookhost || return
    start_program other.exe || { e2e_fail "other.exe never got the focus"; return; }
    e2e_start_recorder || return
    pid_of_recorder=$E2E_RECORDER_PID
    e2e_keys tap a tap c || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is bc || { e2e_fail "in recorder.exe: expected 'bc', got '$(e2e_typed)'"; return; }
    focus_program other.exe || return
    e2e_keys tap a tap c || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is ad || { e2e_fail "in other.exe: expected 'ad', got '$(e2e_typed)'"; return; }
    focus_program recorder.exe || return
    e2e_keys tap c tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is bccb || { e2e_fail "back in recorder.exe: expected 'bccb', got '$(e2e_typed)'"; return; }
    e2e_pass
}

case_change_key_with_shift
case_change_key_releases_the_combination
case_modifier_changed_into_escape
case_key_changed_into_ctrl_in_a_chord
case_real_scan_codes
case_alt_opens_no_menu
case_held_ctrl_stays_held
case_block_key
case_disabled_combination
case_side_specific
case_combinations_for_some_programs_only
