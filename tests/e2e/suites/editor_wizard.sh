#!/bin/bash
# Adding combinations through the capture wizard of the real Quillon.exe: by
# typing them (the library's capture mode) and by picking keys with the mouse,
# each one working at once; Cancel at every step stores nothing.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"

case_add_by_typing() {
    e2e_case "typing left Ctrl+T and a two-line text adds a combination that types it at once"
    q_start && q_dialog || return
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    q_checked_is "$Q_METHOD" 1033 1 && q_checked_is "$Q_METHOD" 1034 0 ||
        { e2e_fail "dialog 140 did not open with typing chosen"; return; }
    e2e_keep_screenshot dialog-140
    ui click "$Q_METHOD" 1
    q_window Q_TYPING "$TypingTitle" || return
    q_point_at "$Q_TYPING"
    q_enabled_is "$Q_TYPING" 1003 0 || { e2e_fail "the capture field is not disabled"; return; }
    # Keys that would end a dialog are captured like any other.
    local key name
    for key in Return:Return Escape:Esc Tab:Tab; do
        name=${key#*:}
        e2e_keys tap "${key%%:*}" || return
        wait_for 10 q_text_is "$Q_TYPING" 1003 "$name" ||
            { e2e_fail "${key%%:*} showed '$(ui text "$Q_TYPING" 1003)'"; return; }
    done
    e2e_keys down Alt_L tap F4 up Alt_L || return
    wait_for 10 q_text_is "$Q_TYPING" 1003 "F4+Left.Alt" ||
        { e2e_fail "Alt+F4 showed '$(ui text "$Q_TYPING" 1003)'"; return; }
    q_shown "$TypingTitle" || { e2e_fail "a captured key closed dialog 141"; return; }
    e2e_keys down Control_L tap t || return
    wait_for 10 q_text_is "$Q_TYPING" 1003 "T+Left.Ctrl" ||
        { e2e_fail "left Ctrl+T showed '$(ui text "$Q_TYPING" 1003)'"; return; }
    e2e_keys up Control_L || return
    e2e_keep_screenshot dialog-141
    ui click "$Q_TYPING" 1
    q_window Q_CHOOSER "$ChooserTitle" || return
    ui click "$Q_CHOOSER" 1009
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish stayed enabled with an empty text"; return; }
    q_enabled_is "$Q_CHOOSER" 1012 1 || { e2e_fail "the text box is not enabled for Type text"; return; }
    q_click_at "$Q_CHOOSER" 1012 || { e2e_fail "could not point at the text box"; return; }
    xdotool type --delay 30 "Hello there"
    xdotool key Return
    xdotool type --delay 30 "second line"
    wait_for 10 q_text_is "$Q_CHOOSER" 1012 $'Hello there\nsecond line' ||
        { e2e_fail "the text box holds '$(ui text "$Q_CHOOSER" 1012)'"; return; }
    q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish is not enabled with a text"; return; }
    e2e_keep_screenshot dialog-130
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return
    wait_for 10 q_records_are 1 || { e2e_fail "mapping.mp holds $(q_records) records, not 1"; return; }
    q_record_is 0 "keys=17,84,162 action=1 payload=b'Hello there\\r\\nsecond line'" ||
        { e2e_fail "stored $(q_record 0)"; return; }
    q_rows | grep -q "^T+Left.Ctrl	Type Text: Hello there" || { e2e_fail "no row: $(q_rows)"; return; }
    e2e_start_recorder || return
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 15 e2e_typed_has_lines || { e2e_fail "the recorder got '$(e2e_typed | od -c | head -3)'"; return; }
    e2e_pass
}
# One line break between the lines, whether it arrives as CR, LF or both.
e2e_typed_has_lines() { [ "$(e2e_typed | tr '\r' '\n' | tr -s '\n')" = $'Hello there\nsecond line' ]; }

case_add_by_mouse() {
    e2e_case "picking A twice with the mouse and changing it to Shift+B works at once"
    q_start && q_dialog || return
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    ui click "$Q_METHOD" 1034
    wait_for 10 q_checked_is "$Q_METHOD" 1034 1 || { e2e_fail "the mouse choice could not be checked"; return; }
    q_checked_is "$Q_METHOD" 1033 0 || { e2e_fail "both choices are checked"; return; }
    ui click "$Q_METHOD" 1
    q_window Q_PICK "$MouseTitle" || return
    q_enabled_is "$Q_PICK" 1 0 || { e2e_fail "Next is enabled with no key"; return; }
    local items
    items=$(uie comboitems "$Q_PICK" 1000)
    [ "$(printf '%s\n' "$items" | grep -c .)" = 149 ] ||
        { e2e_fail "the key list has $(printf '%s\n' "$items" | grep -c .) entries"; return; }
    printf '%s\n' "$items" | grep -qE 'no-name|\(code:1[678]\)$' && { e2e_fail "the key list offers unnamed or generic keys"; return; }
    printf '%s\n' "$items" | grep -qxF "L.Shift  (code:160)" || { e2e_fail "no left Shift entry"; return; }
    # Nothing chosen yet: the message, and nothing else changes.
    ui click "$Q_PICK" 1001
    q_window INFO "Info..." || return
    e2e_keep_screenshot info-message
    ui click "$INFO" 1
    q_closed "Info..." && q_settled "$Q_PICK" || return
    q_enabled_is "$Q_PICK" 1 0 || { e2e_fail "Next got enabled"; return; }
    q_choose "$Q_PICK" 1000 "A  (code:65)" || { e2e_fail "no A entry"; return; }
    ui click "$Q_PICK" 1001
    wait_for 10 q_text_is "$Q_PICK" 1003 "A" || { e2e_fail "adding A showed '$(ui text "$Q_PICK" 1003)'"; return; }
    ui click "$Q_PICK" 1001
    wait_for 10 q_enabled_is "$Q_PICK" 1 1 || { e2e_fail "Next stayed disabled"; return; }
    q_text_is "$Q_PICK" 1003 "A" || { e2e_fail "adding A twice showed '$(ui text "$Q_PICK" 1003)'"; return; }
    ui click "$Q_PICK" 1007
    wait_for 10 q_text_is "$Q_PICK" 1003 "" || { e2e_fail "start over kept '$(ui text "$Q_PICK" 1003)'"; return; }
    wait_for 10 q_enabled_is "$Q_PICK" 1 0 || { e2e_fail "Next stayed enabled after starting over"; return; }
    ui click "$Q_PICK" 1001
    wait_for 10 q_text_is "$Q_PICK" 1003 "A" || { e2e_fail "re-adding A showed '$(ui text "$Q_PICK" 1003)'"; return; }
    wait_for 10 q_enabled_is "$Q_PICK" 1 1 || { e2e_fail "Next stayed disabled"; return; }
    e2e_keep_screenshot dialog-142
    ui click "$Q_PICK" 1
    q_window Q_CHOOSER "$ChooserTitle" || return
    q_enabled_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! is disabled for a single key"; return; }
    ui click "$Q_CHOOSER" 1027
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish stayed enabled with no target"; return; }
    local id
    for id in 1028 1039 1040 1041; do
        q_enabled_is "$Q_CHOOSER" $id 1 || { e2e_fail "control $id is disabled for Change Key"; return; }
    done
    ui click "$Q_CHOOSER" 1041
    wait_for 10 q_checked_is "$Q_CHOOSER" 1041 1 || { e2e_fail "Shift+ could not be checked"; return; }
    q_choose "$Q_CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish stayed disabled with a target"; return; }
    q_finish_adds "keys=65 action=4 payload=[66, 0, 0, 1, 0]" "A	Change Key To:  Shift + B" && e2e_start_recorder || return
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is B || { e2e_fail "A typed '$(e2e_typed)', not B"; return; }
    e2e_pass
}

case_block_for_single_key() {
    e2e_case "BLOCK Key! is offered for left Ctrl alone and not for left Ctrl+T"
    q_start && q_dialog || return
    q_wizard_by_typing "Left.Ctrl" tap Control_L || return
    q_enabled_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! is disabled for left Ctrl alone"; return; }
    ui click "$Q_CHOOSER" 1029
    wait_for 10 q_checked_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! could not be chosen"; return; }
    q_checked_is "$Q_CHOOSER" 1008 0 || { e2e_fail "Disable stayed checked next to BLOCK"; return; }
    q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish is disabled for BLOCK"; return; }
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" || return
    q_wizard_by_typing "T+Left.Ctrl" down Control_L tap t up Control_L || return
    q_enabled_is "$Q_CHOOSER" 1029 0 || { e2e_fail "BLOCK Key! is enabled for two keys"; return; }
    q_enabled_is "$Q_CHOOSER" 1027 1 || { e2e_fail "Change Key To: is disabled for two keys"; return; }
    # A save after Cancel would come in the handler that ran the wizard.
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" && q_settled "$Q_DIALOG" || return
    q_records_are missing && q_row_count_is 0 || { e2e_fail "a cancelled wizard stored something"; return; }
    e2e_pass
}

case_cancel_at_each_step() {
    e2e_case "Cancel at each step of the wizard stores nothing and leaves capture off"
    q_start && q_dialog || return
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    ui click "$Q_METHOD" 2
    q_closed "$MethodTitle" || return

    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    ui click "$Q_METHOD" 1
    q_window Q_TYPING "$TypingTitle" || return
    q_point_at "$Q_TYPING"
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 10 q_text_is "$Q_TYPING" 1003 "T+Left.Ctrl" || { e2e_fail "nothing was captured"; return; }
    ui click "$Q_TYPING" 2
    q_closed "$TypingTitle" || return

    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    ui click "$Q_METHOD" 1034
    wait_for 10 q_checked_is "$Q_METHOD" 1034 1 || { e2e_fail "the mouse choice could not be checked"; return; }
    ui click "$Q_METHOD" 1
    q_window Q_PICK "$MouseTitle" || return
    q_choose "$Q_PICK" 1000 "A  (code:65)" && ui click "$Q_PICK" 1001
    wait_for 10 q_text_is "$Q_PICK" 1003 "A" || { e2e_fail "A was not added"; return; }
    ui click "$Q_PICK" 2
    q_closed "$MouseTitle" || return

    q_wizard_by_mouse "A  (code:65)" || return
    ui click "$Q_CHOOSER" 1009
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1012 1 || { e2e_fail "the text box stayed disabled"; return; }
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" && q_settled "$Q_DIALOG" || return

    q_row_count_is 0 || { e2e_fail "rows after Cancel: $(q_rows)"; return; }
    q_records_are missing || { e2e_fail "mapping.mp holds $(q_records) records after Cancel"; return; }
    # Capture is off: keys reach other windows again.
    e2e_start_recorder || return
    e2e_keys down Control_L tap t up Control_L tap a || return
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
