#!/bin/bash
# Adding combinations through the capture wizard of the real Quillon.exe: by
# typing them (the library's capture mode) and by picking keys with the mouse,
# each one working at once; Cancel at every step stores nothing.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/editor_helpers.bash"

case_add_by_typing() {
    e2e_case "typing left Ctrl+T and a two-line text adds a combination that types it at once"
    start_quillon || return
    local before
    before=$(mapping_size)
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return; }
    is_checked "$METHOD" 1033 && is_unchecked "$METHOD" 1034 ||
        { e2e_fail "dialog 140 did not open with typing chosen"; return; }
    keep_screenshot dialog-140
    click "$METHOD" 1
    wait_dialog TYPING "$TYPING_TITLE" || { e2e_fail "dialog 141 did not open"; return; }
    pointer_over "$TYPING"
    is_disabled "$TYPING" 1003 || { e2e_fail "the capture field is not disabled"; return; }
    # Keys that would end a dialog are captured like any other.
    local key name
    for key in Return:Return Escape:Esc Tab:Tab; do
        name=${key#*:}
        e2e_keys tap "${key%%:*}" || { e2e_fail "xkeys failed"; return; }
        wait_for 10 text_is "$TYPING" 1003 "$name" ||
            { e2e_fail "${key%%:*} showed '$(ui text "$TYPING" 1003)'"; return; }
    done
    e2e_keys down Alt_L tap F4 up Alt_L || { e2e_fail "xkeys failed"; return; }
    wait_for 10 text_is "$TYPING" 1003 "F4+Left.Alt" ||
        { e2e_fail "Alt+F4 showed '$(ui text "$TYPING" 1003)'"; return; }
    dialog_shown "$TYPING_TITLE" || { e2e_fail "a captured key closed dialog 141"; return; }
    e2e_keys down Control_L tap t || { e2e_fail "xkeys failed"; return; }
    wait_for 10 text_is "$TYPING" 1003 "T+Left.Ctrl" ||
        { e2e_fail "left Ctrl+T showed '$(ui text "$TYPING" 1003)'"; return; }
    e2e_keys up Control_L
    keep_screenshot dialog-141
    click "$TYPING" 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "dialog 130 did not open"; return; }
    click "$CHOOSER" 1009
    wait_for 10 is_disabled "$CHOOSER" 1 || { e2e_fail "Finish stayed enabled with an empty text"; return; }
    is_enabled "$CHOOSER" 1012 || { e2e_fail "the text box is not enabled for Type text"; return; }
    click_at "$CHOOSER" 1012 || { e2e_fail "could not point at the text box"; return; }
    xdotool type --delay 30 "Hello there"
    xdotool key Return
    xdotool type --delay 30 "second line"
    wait_for 10 text_is "$CHOOSER" 1012 $'Hello there\nsecond line' ||
        { e2e_fail "the text box holds '$(ui text "$CHOOSER" 1012)'"; return; }
    is_enabled "$CHOOSER" 1 || { e2e_fail "Finish is not enabled with a text"; return; }
    keep_screenshot dialog-130
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 mapping_size_is $((before + 3257)) ||
        { e2e_fail "mapping.mp is $(mapping_size) bytes, not $((before + 3257))"; return; }
    mapping_record_is 0 "keys=17,84,162 action=1 payload=b'Hello there\\r\\nsecond line'" ||
        { e2e_fail "stored $(mapping_record 0)"; return; }
    rows_of | grep -q "^T+Left.Ctrl	Type Text: Hello there" || { e2e_fail "no row: $(rows_of)"; return; }
    start_recorder || return
    e2e_keys down Control_L tap t up Control_L || { e2e_fail "xkeys failed"; return; }
    wait_for 15 e2e_typed_has_lines || { e2e_fail "the recorder got '$(e2e_typed | od -c | head -3)'"; return; }
    e2e_pass
}
# One line break between the lines, whether it arrives as CR, LF or both.
e2e_typed_has_lines() { [ "$(e2e_typed | tr '\r' '\n' | tr -s '\n')" = $'Hello there\nsecond line' ]; }

case_add_by_mouse() {
    e2e_case "picking A twice with the mouse and changing it to Shift+B works at once"
    start_quillon || return
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return; }
    click "$METHOD" 1034
    wait_for 10 is_checked "$METHOD" 1034 || { e2e_fail "the mouse choice could not be checked"; return; }
    is_unchecked "$METHOD" 1033 || { e2e_fail "both choices are checked"; return; }
    click "$METHOD" 1
    wait_dialog PICK "$MOUSE_TITLE" || { e2e_fail "dialog 142 did not open"; return; }
    is_disabled "$PICK" 1 || { e2e_fail "Next is enabled with no key"; return; }
    local items
    items=$(uie comboitems "$PICK" 1000)
    [ "$(printf '%s\n' "$items" | grep -c .)" = 149 ] ||
        { e2e_fail "the key list has $(printf '%s\n' "$items" | grep -c .) entries"; return; }
    if printf '%s\n' "$items" | grep -qE 'no-name|\(code:1[678]\)$'; then
        e2e_fail "the key list offers unnamed or generic keys"
        return
    fi
    printf '%s\n' "$items" | grep -qxF "L.Shift  (code:160)" || { e2e_fail "no left Shift entry"; return; }
    # Nothing chosen yet: the message, and nothing else changes.
    click "$PICK" 1001
    wait_dialog INFO "Info..." || { e2e_fail "no Info... message"; return; }
    keep_screenshot info-message
    click "$INFO" 1
    wait_for 10 dialog_gone "Info..." || { e2e_fail "the Info... message did not close"; return; }
    is_disabled "$PICK" 1 || { e2e_fail "Next got enabled"; return; }
    choose "$PICK" 1000 "A  (code:65)" || { e2e_fail "no A entry"; return; }
    click "$PICK" 1001
    wait_for 10 text_is "$PICK" 1003 "A" || { e2e_fail "adding A showed '$(ui text "$PICK" 1003)'"; return; }
    click "$PICK" 1001
    wait_for 10 is_enabled "$PICK" 1 || { e2e_fail "Next stayed disabled"; return; }
    text_is "$PICK" 1003 "A" || { e2e_fail "adding A twice showed '$(ui text "$PICK" 1003)'"; return; }
    click "$PICK" 1007
    wait_for 10 text_is "$PICK" 1003 "" || { e2e_fail "start over kept '$(ui text "$PICK" 1003)'"; return; }
    wait_for 10 is_disabled "$PICK" 1 || { e2e_fail "Next stayed enabled after starting over"; return; }
    click "$PICK" 1001
    wait_for 10 text_is "$PICK" 1003 "A" || { e2e_fail "re-adding A showed '$(ui text "$PICK" 1003)'"; return; }
    wait_for 10 is_enabled "$PICK" 1 || { e2e_fail "Next stayed disabled"; return; }
    keep_screenshot dialog-142
    click "$PICK" 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "dialog 130 did not open"; return; }
    is_enabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is disabled for a single key"; return; }
    click "$CHOOSER" 1027
    wait_for 10 is_disabled "$CHOOSER" 1 || { e2e_fail "Finish stayed enabled with no target"; return; }
    local id
    for id in 1028 1039 1040 1041; do
        is_enabled "$CHOOSER" $id || { e2e_fail "control $id is disabled for Change Key"; return; }
    done
    click "$CHOOSER" 1041
    wait_for 10 is_checked "$CHOOSER" 1041 || { e2e_fail "Shift+ could not be checked"; return; }
    choose "$CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    wait_for 10 is_enabled "$CHOOSER" 1 || { e2e_fail "Finish stayed disabled with a target"; return; }
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 mapping_size_is 3257 || { e2e_fail "mapping.mp is $(mapping_size) bytes"; return; }
    mapping_record_is 0 "keys=65 action=4 payload=[66, 0, 0, 1, 0]" || { e2e_fail "stored $(mapping_record 0)"; return; }
    rows_are "A	Change Key To:  Shift + B" || { e2e_fail "rows: $(rows_of)"; return; }
    start_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is B || { e2e_fail "A typed '$(e2e_typed)', not B"; return; }
    e2e_pass
}

case_block_for_single_key() {
    e2e_case "BLOCK Key! is offered for left Ctrl alone and not for left Ctrl+T"
    start_quillon || return
    wizard_by_typing "Left.Ctrl" tap Control_L || return
    is_enabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is disabled for left Ctrl alone"; return; }
    click "$CHOOSER" 1029
    wait_for 10 is_checked "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! could not be chosen"; return; }
    is_unchecked "$CHOOSER" 1008 || { e2e_fail "Disable stayed checked next to BLOCK"; return; }
    is_enabled "$CHOOSER" 1 || { e2e_fail "Finish is disabled for BLOCK"; return; }
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    wizard_by_typing "T+Left.Ctrl" down Control_L tap t up Control_L || return
    is_disabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is enabled for two keys"; return; }
    is_enabled "$CHOOSER" 1027 || { e2e_fail "Change Key To: is disabled for two keys"; return; }
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    mapping_size_is 0 && row_count_is 0 || { e2e_fail "a cancelled wizard stored something"; return; }
    e2e_pass
}

case_cancel_at_each_step() {
    e2e_case "Cancel at each step of the wizard stores nothing and leaves capture off"
    start_quillon || return
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return; }
    click "$METHOD" 2
    wait_for 10 dialog_gone "$METHOD_TITLE" || { e2e_fail "Cancel did not end dialog 140"; return; }

    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not reopen"; return; }
    click "$METHOD" 1
    wait_dialog TYPING "$TYPING_TITLE" || { e2e_fail "dialog 141 did not open"; return; }
    pointer_over "$TYPING"
    e2e_keys down Control_L tap t up Control_L
    wait_for 10 text_is "$TYPING" 1003 "T+Left.Ctrl" || { e2e_fail "nothing was captured"; return; }
    click "$TYPING" 2
    wait_for 10 dialog_gone "$TYPING_TITLE" || { e2e_fail "Cancel did not end dialog 141"; return; }

    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not reopen"; return; }
    click "$METHOD" 1034
    wait_for 10 is_checked "$METHOD" 1034 || { e2e_fail "the mouse choice could not be checked"; return; }
    click "$METHOD" 1
    wait_dialog PICK "$MOUSE_TITLE" || { e2e_fail "dialog 142 did not open"; return; }
    choose "$PICK" 1000 "A  (code:65)" && click "$PICK" 1001
    wait_for 10 text_is "$PICK" 1003 "A" || { e2e_fail "A was not added"; return; }
    click "$PICK" 2
    wait_for 10 dialog_gone "$MOUSE_TITLE" || { e2e_fail "Cancel did not end dialog 142"; return; }

    wizard_by_mouse "A  (code:65)" || return
    click "$CHOOSER" 1009
    wait_for 10 is_enabled "$CHOOSER" 1012 || { e2e_fail "the text box stayed disabled"; return; }
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }

    row_count_is 0 || { e2e_fail "rows after Cancel: $(rows_of)"; return; }
    mapping_size_is 0 || { e2e_fail "mapping.mp is $(mapping_size) bytes after Cancel"; return; }
    # Capture is off: keys reach other windows again.
    start_recorder || return
    e2e_keys down Control_L tap t up Control_L tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_ends_in_a || { e2e_fail "keys still captured: '$(e2e_typed)'"; return; }
    e2e_pass
}
e2e_typed_ends_in_a() { e2e_typed | grep -q 'a$'; }

# Arguments name the cases to run (all by default).
if [ "$#" -gt 0 ]; then
    for name in "$@"; do "$name"; done
else
    case_add_by_typing
    case_add_by_mouse
    case_block_for_single_key
    case_cancel_at_each_step
fi
