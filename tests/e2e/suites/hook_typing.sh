#!/bin/bash
# TypeText through the library's typer thread, with a ChangeKey record in the
# same file that must leave the typed (injected) letters alone.
# Codes: 65 A, 84 T, 162 left Ctrl.
set -u
. "$(dirname "$0")/../lib.sh"

case_typed_text_is_not_remapped() {
    # The ChangeKey record comes first, so it is tried on every event first.
    e2e_hook_case "Left Ctrl+T types 'Hai Anna'; the ChangeKey A-to-B record leaves those letters alone" \
        $'A change B\nT+Left.Ctrl text "Hai Anna"' || return
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 15 e2e_typed_is "Hai Anna" || { e2e_fail "expected 'Hai Anna', got '$(e2e_typed)'"; return; }
    # The physical A is still changed, so the record was in force while typing.
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is "Hai Annab" || { e2e_fail "a physical A should give 'b', got '$(e2e_typed)'"; return; }
    e2e_got '^WM_KEYDOWN vk=84 ' && { e2e_fail "the T of the combination reached the window"; return; }
    e2e_pass
}

case_typed_text_twice() {
    e2e_hook_case "Each press of the combination types the text again, in order" 'T+Left.Ctrl text "ab1"' || return
    e2e_keys down Control_L tap t tap t up Control_L tap x || return
    # x was pressed after the second T, but the typer runs behind: both texts
    # come whole, whatever falls between them.
    wait_for 15 e2e_count_above '^WM_CHAR code=49 ' 1 || { e2e_fail "the text was not typed twice: '$(e2e_typed)'"; return; }
    local typed
    typed=$(e2e_typed)
    [ "${typed//x/}" = "ab1ab1" ] || { e2e_fail "expected 'ab1ab1' and an x, got '$typed'"; return; }
    e2e_pass
}

case_line_breaks() {
    e2e_hook_case "CR LF is typed as one Return, a lone CR as Return too" 'T+Left.Ctrl text "a\r\nb\rc"' || return
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 15 e2e_got '^WM_KEYUP vk=67 ' || { e2e_fail "the text never arrived: '$(e2e_typed | od -An -c)'"; return; }
    # One Return, whatever key the layout gives for LF (Ctrl, and the
    # unassigned key after the text, left aside).
    local downs
    downs=$(awk '$1 == "WM_KEYDOWN" && $2 != "vk=17" && $2 != "vk=232" { printf "%s ", substr($2, 4) }' "$E2E_RECORDER_LOG")
    [ "$downs" = "65 13 66 13 67 " ] || { e2e_fail "key-downs were: $downs (expected 65 13 66 13 67)"; return; }
    e2e_typed_is $'a\rb\rc' || { e2e_fail "typed '$(e2e_typed | od -An -c)'"; return; }
    e2e_pass
}

case_long_text() {
    local text="The quick brown fox jumps over the lazy dog, 0123456789! "
    text="$text${text^^}Pack my box with five dozen liquor jugs? (yes) - done."
    e2e_hook_case "A text of ${#text} characters with capitals and punctuation arrives whole and in order" \
        "T+Left.Ctrl text $(e2e_quoted "$text")" || return
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 30 e2e_typed_is "$text" || { e2e_fail "typed '$(e2e_typed)'"; return; }
    e2e_pass
}

caps_lock_is_on() { "$E2E_XKEYS" capslock; }

case_caps_lock() {
    e2e_hook_case "With Caps Lock on, Left Ctrl+T types 'Hi there' as stored" 'T+Left.Ctrl text "Hi there"' || return
    e2e_keys tap Caps_Lock || return
    wait_for 10 caps_lock_is_on || { e2e_fail "Caps Lock did not go on"; return; }
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is A || { e2e_fail "Caps Lock is not on for the window: typed '$(e2e_typed)'"; return; }
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 15 e2e_count_above '^WM_CHAR code=(69|101) ' 1 || { e2e_fail "the text never ended: '$(e2e_typed)'"; return; }
    e2e_typed_is "AHi there" || { e2e_fail "expected 'AHi there', got '$(e2e_typed)'"; return; }
    e2e_pass
}

# Caps Lock is the X server's: it is put back off for the next case, whatever
# the case did.
caps_lock_off() {
    caps_lock_is_on && "$E2E_XKEYS" tap Caps_Lock >/dev/null 2>&1
    wait_for 10 eval '! caps_lock_is_on'
}

case_typed_text_is_not_remapped
case_line_breaks
case_long_text
case_typed_text_twice
case_caps_lock
caps_lock_off
