#!/bin/bash
# The action chooser of the real Quillon.exe: its controls, the URL rule,
# editing a stored combination in place, the Quick Help panel, the "..."
# browse, and the About box.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"

tab=$'\t'
# Whether the children of HWND are those listed for DIALOG in editor_controls.txt.
controls_are() {
    [ "$(uie children "$1")" = "$(awk -v want="== $2" '/^== / { on = ($0 == want); next } on' \
        "$(dirname "$0")/editor_controls.txt")" ] || { e2e_fail "dialog $2: $(uie children "$1")"; return 1; }
}

case_dialog_controls() {
    e2e_case "dialogs 140, 142 and 130 carry their controls, ids and captions in template order"
    q_start && q_dialog || return
    xdotool mousemove 0 0
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return
    controls_are "$Q_METHOD" 140 || return
    ui click "$Q_METHOD" 1034
    wait_for 10 q_checked_is "$Q_METHOD" 1034 1 || { e2e_fail "the mouse choice could not be checked"; return; }
    ui click "$Q_METHOD" 1
    q_window Q_PICK "$MouseTitle" || return
    controls_are "$Q_PICK" 142 || return
    q_choose "$Q_PICK" 1000 "A  (code:65)" && ui click "$Q_PICK" 1001
    wait_for 10 q_enabled_is "$Q_PICK" 1 1 || { e2e_fail "Next stayed disabled"; return; }
    ui click "$Q_PICK" 1
    q_window Q_CHOOSER "$ChooserTitle" || return
    controls_are "$Q_CHOOSER" 130 || return
    # A new combination: Disable chosen, Finish enabled, every argument disabled.
    q_checked_is "$Q_CHOOSER" 1008 1 && q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "not opened on Disable"; return; }
    local id
    for id in 1012 1013 1014 1015 1028 1039 1040 1041 1045 1046 1047; do
        q_enabled_is "$Q_CHOOSER" $id 0 || { e2e_fail "control $id is enabled for Disable"; return; }
    done
    q_checked_is "$Q_CHOOSER" 1042 1 && q_checked_is "$Q_CHOOSER" 1043 0 && q_checked_is "$Q_CHOOSER" 1044 0 &&
        q_checked_is "$Q_CHOOSER" 1008 1 ||
        { e2e_fail "a new combination does not act everywhere, or Acts: is no group of its own"; return; }
    # The Finish rule follows every choice.
    ui click "$Q_CHOOSER" 1011
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish stayed enabled with an empty URL"; return; }
    q_enabled_is "$Q_CHOOSER" 1014 1 && q_enabled_is "$Q_CHOOSER" 1012 0 || { e2e_fail "wrong edits enabled for URL"; return; }
    ui click "$Q_CHOOSER" 1008
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish stayed disabled for Disable"; return; }
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" || return
    e2e_pass
}

case_url_gets_scheme() {
    e2e_case "Go to URL: a bare host name is stored with http:// in front, https keeps its own, a file is refused"
    q_start && q_dialog || return
    q_wizard_by_mouse "U  (code:85)" || return
    [ "$(ui focus "$Q_CHOOSER")" = 1008 ] || { e2e_fail "the focus is on $(ui focus "$Q_CHOOSER"), not on the checked choice"; return; }
    ui click "$Q_CHOOSER" 1011
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish stayed enabled with an empty URL"; return; }
    q_click_at "$Q_CHOOSER" 1014 || { e2e_fail "could not point at the URL field"; return; }
    xdotool type --delay 30 "example.org"
    wait_for 10 q_text_is "$Q_CHOOSER" 1014 "example.org" ||
        { e2e_fail "the URL field holds '$(ui text "$Q_CHOOSER" 1014)'"; return; }
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish stayed disabled with a URL"; return; }
    local stored="keys=85 action=3 payload=b'http://example.org'"
    q_finish_adds "$stored" "U${tab}Go to URL: http://example.org" || return
    q_edit_row 0 || return
    uie settext "$Q_CHOOSER" 1014 'file:///C:/windows/notepad.exe' && ui click "$Q_CHOOSER" 1 || { e2e_fail "could not enter a file"; return; }
    q_box "Go to URL:" || return
    q_box_text | grep -qF '"Launch Application:"' || { e2e_fail "Finish did not refuse a file: $(q_box_text)"; return; }
    # Refused: once the handler that showed the box is done, the chooser is still open, nothing stored.
    ui click "$Q_BOX" 1
    q_closed "Go to URL:" && q_settled "$Q_CHOOSER" || return
    q_shown "$ChooserTitle" && q_record_is 0 "$stored" || { e2e_fail "closed, or stored $(q_record 0)"; return; }
    uie settext "$Q_CHOOSER" 1014 'https://example.test/x' && ui click "$Q_CHOOSER" 1 || { e2e_fail "could not enter an https address"; return; }
    wait_for 10 q_record_is 0 "keys=85 action=3 payload=b'https://example.test/x'" ||
        { e2e_fail "stored $(q_record 0)"; return; }
    e2e_pass
}

EditMapping='C text "first"
A change B+Ctrl+Shift
D block'

case_edit_change_key() {
    e2e_case "editing a Change Key row opens with its modifiers, no target and Finish disabled, and keeps its place"
    e2e_mapping "$EditMapping" && q_start && q_dialog || return
    wait_for 10 q_row_count_is 3 || { e2e_fail "rows: $(q_rows)"; return; }
    local before
    before=$(q_rows)
    q_edit_row 1 || return
    q_checked_is "$Q_CHOOSER" 1027 1 && q_checked_is "$Q_CHOOSER" 1008 0 || { e2e_fail "Change Key To: is not chosen"; return; }
    q_checked_is "$Q_CHOOSER" 1039 1 && q_checked_is "$Q_CHOOSER" 1040 0 && q_checked_is "$Q_CHOOSER" 1041 1 ||
        { e2e_fail "the stored modifiers are not shown"; return; }
    q_text_is "$Q_CHOOSER" 1028 "" || { e2e_fail "a target is selected: $(ui text "$Q_CHOOSER" 1028)"; return; }
    q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish is enabled without a target"; return; }
    q_enabled_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! is disabled for the single key A"; return; }
    # Cancel first: nothing changes.
    local sum
    sum=$(cksum <"$E2E_WORK/mapping.mp")
    ui click "$Q_CHOOSER" 2
    # A save after Cancel would come in the handler that ran the chooser.
    q_closed "$ChooserTitle" && q_settled "$Q_DIALOG" || return
    [ "$(cksum <"$E2E_WORK/mapping.mp")" = "$sum" ] && q_rows_are "$before" ||
        { e2e_fail "Cancel changed the combinations"; return; }
    q_edit_row 1 || return
    q_choose "$Q_CHOOSER" 1028 "Z  (code:90)" || { e2e_fail "no Z target entry"; return; }
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish stayed disabled with a target"; return; }
    ui click "$Q_CHOOSER" 1040
    wait_for 10 q_checked_is "$Q_CHOOSER" 1040 1 || { e2e_fail "Atl+ could not be checked"; return; }
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return
    local expected
    expected=$(printf '%s\n' "$before" | sed "2s/.*/A${tab}Change Key To:  Ctrl + Alt + Shift + Z/")
    wait_for 10 q_rows_are "$expected" || { e2e_fail "rows: $(q_rows)"; return; }
    q_records_are 3 || { e2e_fail "mapping.mp holds $(q_records) records"; return; }
    q_record_is 1 "keys=65 action=4 payload=[90, 1, 1, 1, 0]" || { e2e_fail "stored $(q_record 1)"; return; }
    q_record_is 0 "keys=67 action=1 payload=b'first'" && q_record_is 2 "keys=68 action=5 payload=b''" ||
        { e2e_fail "the other records changed"; return; }
    e2e_start_recorder || return
    e2e_keys tap a && e2e_sync || return
    e2e_got 'vk=90 ' || { e2e_fail "A did not become Z: $(grep -c . "$E2E_RECORDER_LOG") lines"; return; }
    e2e_got 'vk=65 ' && { e2e_fail "A itself arrived"; return; }
    e2e_pass
}

row_zero_point() {
    local rect
    rect=$(ui rect "$Q_DIALOG" 1016) || return 1
    set -- $rect
    ROW_X=$(($1 + 40))
    ROW_Y=$(($2 + 30))
}

case_edit_by_double_click() {
    e2e_case "a double click on a Type text row opens it with its text and Finish enabled"
    e2e_mapping "$EditMapping" && q_start && q_dialog || return
    wait_for 10 q_row_count_is 3 || { e2e_fail "rows: $(q_rows)"; return; }
    row_zero_point || { e2e_fail "no list view"; return; }
    xdotool mousemove "$ROW_X" "$ROW_Y" click --repeat 2 --delay 80 1
    q_window Q_CHOOSER "$ChooserTitle" || return
    q_checked_is "$Q_CHOOSER" 1009 1 || { e2e_fail "Type text: is not chosen"; return; }
    q_text_is "$Q_CHOOSER" 1012 "first" && q_text_is "$Q_CHOOSER" 1013 "" && q_text_is "$Q_CHOOSER" 1014 "" ||
        { e2e_fail "the edits do not hold the stored text alone"; return; }
    q_enabled_is "$Q_CHOOSER" 1 1 && q_enabled_is "$Q_CHOOSER" 1012 1 || { e2e_fail "Finish or the text box is disabled"; return; }
    q_enabled_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! is disabled for the single key C"; return; }
    ui click "$Q_CHOOSER" 1029
    wait_for 10 q_checked_is "$Q_CHOOSER" 1029 1 || { e2e_fail "BLOCK Key! could not be chosen"; return; }
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return
    wait_for 10 q_record_is 0 "keys=67 action=5 payload=b''" || { e2e_fail "stored $(q_record 0)"; return; }
    q_rows | head -n 1 | grep -qxF "C${tab}Completely BLOCK Key! " || { e2e_fail "rows: $(q_rows)"; return; }
    e2e_pass
}

help_is() { q_text_is "$Q_CHOOSER" 1030 "$1"; }

case_quick_help() {
    e2e_case "Quick Help follows the pointer: Finish shows its text, the empty area the default"
    q_start && q_dialog || return
    q_wizard_by_typing "T+Left.Ctrl" down Control_L tap t up Control_L || return
    q_point_at "$Q_CHOOSER" 1 || { e2e_fail "could not point at Finish"; return; }
    wait_for 10 help_is "$FinishHelp" || { e2e_fail "over Finish: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    e2e_keep_screenshot quick-help-finish
    # A disabled control still explains itself.
    q_enabled_is "$Q_CHOOSER" 1029 0 || { e2e_fail "BLOCK Key! is enabled for two keys"; return; }
    q_point_at "$Q_CHOOSER" 1029
    wait_for 10 help_is "$(printf 'As opposed to Disable Key this will completely BLOCK a key on your keyboard. All combinations that use this key will STOP working!\n\nFor this option to be enabled you have to select just ONE key and not a key combination.')" ||
        { e2e_fail "over BLOCK Key!: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    local rect
    rect=$(ui rect "$Q_CHOOSER") || { e2e_fail "no dialog rectangle"; return; }
    set -- $rect
    xdotool mousemove $(($1 + 12)) $(($4 - 12))
    wait_for 10 help_is "$DefaultHelp" || { e2e_fail "over the empty area: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    q_point_at "$Q_CHOOSER" 1
    wait_for 10 help_is "$FinishHelp" || { e2e_fail "back over Finish: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    q_point_at "$Q_CHOOSER" 1030
    wait_for 10 help_is "$DefaultHelp" || { e2e_fail "over the help label: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    # The last control seen outlives the dialog: reopened with the pointer
    # resting on Finish again, the panel keeps its template text.
    q_point_at "$Q_CHOOSER" 1
    wait_for 10 help_is "$FinishHelp" || { e2e_fail "over Finish once more: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" || return
    q_wizard_by_mouse "A  (code:65)" || return
    help_is "$DefaultHelp" || { e2e_fail "reopened with '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    # The panel's timer tick, sent: when the send returns, the panel has been
    # looked at with the pointer on Finish.
    ui send "$Q_CHOOSER" 0x113 1 0 >/dev/null || { e2e_fail "the chooser did not take its tick"; return; }
    help_is "$DefaultHelp" || { e2e_fail "the panel was rewritten for the same control: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    ui click "$Q_CHOOSER" 2
    q_closed "$ChooserTitle" || return
    e2e_pass
}

case_browse_for_application() {
    e2e_case "\"...\" opens \"Choose Your Application...\" and the chosen program fills the path"
    q_start && q_dialog || return
    q_wizard_by_mouse "N  (code:78)" || return
    ui click "$Q_CHOOSER" 1010
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1015 1 || { e2e_fail "... stayed disabled"; return; }
    q_enabled_is "$Q_CHOOSER" 1 0 || { e2e_fail "Finish is enabled without a path"; return; }
    ui click "$Q_CHOOSER" 1015
    q_window OPEN "Choose Your Application..." || return
    e2e_keep_screenshot open-file-dialog
    xdotool type --delay 30 'C:\windows\notepad.exe'
    xdotool key Return
    q_closed "Choose Your Application..." || return
    wait_for 10 path_is_notepad || { e2e_fail "the path is '$(ui text "$Q_CHOOSER" 1013)'"; return; }
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1 1 || { e2e_fail "Finish stayed disabled with a path"; return; }
    local path
    path=$(ui text "$Q_CHOOSER" 1013)
    q_finish_adds "keys=78 action=2 payload=b'${path//\\/\\\\}'" "N${tab}Launch Application: $path" && e2e_pass
}
path_is_notepad() { ui text "$Q_CHOOSER" 1013 | grep -qix 'c:\\windows\\notepad\.exe'; }

exported_last() { "$QUILLON_NATIVE_BUILD/quillmap/quillmap" export "$E2E_WORK/mapping.mp" 2>/dev/null | tail -n 1; }
NamesHelp="Enter here the programs by the file names of their executables, separated by commas, for example notepad.exe, code.exe. Capitals do not matter. At most 8 programs; their names take room from a text, which can then be shorter than 2999 characters."

case_where_set_and_edited() {
    e2e_case "Acts: only in a program picked from the open windows, then everywhere except: row, file and keys follow"
    q_start && q_dialog && e2e_start_recorder || return
    q_wizard_by_mouse "A  (code:65)" || return
    ui click "$Q_CHOOSER" 1027
    q_choose "$Q_CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    ui click "$Q_CHOOSER" 1043
    wait_for 10 q_enabled_is "$Q_CHOOSER" 1045 1 || { e2e_fail "the names stayed disabled for only in"; return; }
    q_checked_is "$Q_CHOOSER" 1027 1 || { e2e_fail "choosing only in unchecked Change Key To:"; return; }
    uie comboitems "$Q_CHOOSER" 1046 | grep -qxF recorder.exe ||
        { e2e_fail "the open programs are: $(uie comboitems "$Q_CHOOSER" 1046 | tr '\n' ' ')"; return; }
    q_choose "$Q_CHOOSER" 1046 recorder.exe || { e2e_fail "could not pick recorder.exe"; return; }
    wait_for 10 q_text_is "$Q_CHOOSER" 1045 "recorder.exe" || { e2e_fail "names: '$(ui text "$Q_CHOOSER" 1045)'"; return; }
    q_click_at "$Q_CHOOSER" 1045 || { e2e_fail "could not point at the names"; return; }
    xdotool key End type --delay 30 ", Code.exe"
    wait_for 10 q_text_is "$Q_CHOOSER" 1045 "recorder.exe, Code.exe" ||
        { e2e_fail "names: '$(ui text "$Q_CHOOSER" 1045)'"; return; }
    wait_for 10 help_is "$NamesHelp" || { e2e_fail "over the names: '$(ui text "$Q_CHOOSER" 1030)'"; return; }
    e2e_keep_screenshot chooser-where
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return
    wait_for 10 q_rows_are "A${tab}Change Key To:  B (only in recorder.exe, Code.exe)" || { e2e_fail "rows: $(q_rows)"; return; }
    [ "$(exported_last)" = "A change B in recorder.exe,Code.exe" ] || { e2e_fail "stored: $(exported_last)"; return; }
    e2e_focus_recorder || return
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is b || { e2e_fail "in recorder.exe A gave '$(e2e_typed)', not b"; return; }

    q_edit_row 0 || return
    q_checked_is "$Q_CHOOSER" 1043 1 && q_text_is "$Q_CHOOSER" 1045 "recorder.exe, Code.exe" && q_enabled_is "$Q_CHOOSER" 1046 1 ||
        { e2e_fail "the stored where is not shown: '$(ui text "$Q_CHOOSER" 1045)'"; return; }
    ui click "$Q_CHOOSER" 1044
    wait_for 10 q_checked_is "$Q_CHOOSER" 1044 1 || { e2e_fail "everywhere except could not be chosen"; return; }
    q_choose "$Q_CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return
    wait_for 10 q_rows_are "A${tab}Change Key To:  B (not in recorder.exe, Code.exe)" || { e2e_fail "rows: $(q_rows)"; return; }
    e2e_focus_recorder || return
    e2e_keys tap a || return
    wait_for 10 e2e_typed_is ba || { e2e_fail "after the edit A gave '$(e2e_typed)' in recorder.exe"; return; }
    e2e_pass
}

case_about_box() {
    e2e_case "the Help menu's About opens the About box, and OK closes it"
    q_start && q_dialog || return
    ui post "$Q_MAIN" 0x111 104 0
    q_window ABOUT "About" || return
    uie children "$ABOUT" | grep -qxF -- "-1${tab}Static${tab}\"Latchet Version 1.0\"" ||
        { e2e_fail "About shows: $(uie children "$ABOUT")"; return; }
    e2e_keep_screenshot about-box
    ui click "$ABOUT" 1
    q_closed "About" || return
    e2e_pass
}

if [ "$#" -gt 0 ]; then
    for name in "$@"; do "$name"; done
else
    case_dialog_controls
    case_url_gets_scheme
    case_edit_change_key
    case_edit_by_double_click
    case_quick_help
    case_browse_for_application
    case_where_set_and_edited
    case_about_box
fi
