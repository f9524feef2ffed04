#!/bin/bash
# The action chooser of the real Quillon.exe: its controls, the URL rule,
# editing a stored combination in place, the Quick Help panel, the "..."
# browse, and the About box.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/editor_helpers.bash"

tab=$'\t'
children_of() { uie children "$1"; }

case_dialog_controls() {
    e2e_case "dialogs 140, 142 and 130 carry their controls, ids and captions in template order"
    start_quillon || return
    xdotool mousemove 0 0
    click "$MAIN" 1019
    wait_dialog METHOD "$METHOD_TITLE" || { e2e_fail "dialog 140 did not open"; return; }
    local expected
    expected=$(printf '%s\n' \
        "-1${tab}Button${tab}\"Choose how to select the Key Or Key Combination:\"" \
        "1033${tab}Button${tab}\"I want to type in the Key or Key combination from my keyboard.\"" \
        "-1${tab}Static${tab}\"(this is the fastest way)\"" \
        "1034${tab}Button${tab}\"I want to use the mouse to select the Key or Key Combination.\"" \
        "-1${tab}Static${tab}\"(useful for replacing broken keys)\"" \
        "1${tab}Button${tab}\"Next >\"" \
        "2${tab}Button${tab}\"Cancel\"")
    [ "$(children_of "$METHOD")" = "$expected" ] || { e2e_fail "dialog 140: $(children_of "$METHOD")"; return; }
    click "$METHOD" 1034
    wait_for 10 is_checked "$METHOD" 1034 || { e2e_fail "the mouse choice could not be checked"; return; }
    click "$METHOD" 1
    wait_dialog PICK "$MOUSE_TITLE" || { e2e_fail "dialog 142 did not open"; return; }
    expected=$(printf '%s\n' \
        "-1${tab}Button${tab}\"Use your mouse to select the Key or Key Combination:\"" \
        "-1${tab}Static${tab}\"1. Choose a Key from the list\"" \
        "1000${tab}ComboBox${tab}\"\"" \
        "-1${tab}Static${tab}\"2. Add the Key selected above to the combination\"" \
        "1001${tab}Button${tab}\"Add selected key to key combination\"" \
        "-1${tab}Static${tab}\"3. Repeat step 1 and 2 until you have the corrent key combination. \"" \
        "-1${tab}Button${tab}\"\"" \
        "-1${tab}Static${tab}\"The Keys you have selected so far:\"" \
        "1003${tab}Edit${tab}\"\"" \
        "1007${tab}Button${tab}\"Remove Selected Keys and start over\"" \
        "1${tab}Button${tab}\"Next >\"" \
        "2${tab}Button${tab}\"Cancel\"")
    [ "$(children_of "$PICK")" = "$expected" ] || { e2e_fail "dialog 142: $(children_of "$PICK")"; return; }
    choose "$PICK" 1000 "A  (code:65)" && click "$PICK" 1001
    wait_for 10 is_enabled "$PICK" 1 || { e2e_fail "Next stayed disabled"; return; }
    click "$PICK" 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "dialog 130 did not open"; return; }
    expected=$(printf '%s\n' \
        "1${tab}Button${tab}\"Finish!\"" \
        "-1${tab}Button${tab}\"Choose a step for the selected Key or Key Combination:\"" \
        "1008${tab}Button${tab}\"Disable Key or Key Combination!\"" \
        "1029${tab}Button${tab}\"BLOCK Key!\"" \
        "1009${tab}Button${tab}\"Type text:\"" \
        "1010${tab}Button${tab}\"Launch Application:\"" \
        "1013${tab}Edit${tab}\"\"" \
        "1015${tab}Button${tab}\"...\"" \
        "1011${tab}Button${tab}\"Go to URL:\"" \
        "1014${tab}Edit${tab}\"\"" \
        "1027${tab}Button${tab}\"Change Key To:\"" \
        "1028${tab}ComboBox${tab}\"\"" \
        "-1${tab}Button${tab}\"Quick Help:\"" \
        "1030${tab}Static${tab}\"$DEFAULT_HELP\"" \
        "2${tab}Button${tab}\"Cancel\"" \
        "1039${tab}Button${tab}\"Ctrl+\"" \
        "1040${tab}Button${tab}\"Atl+\"" \
        "1041${tab}Button${tab}\"Shift+\"" \
        "1012${tab}Edit${tab}\"\"" \
        "-1${tab}Button${tab}\"\"" \
        "-1${tab}Static${tab}\"Acts:\"" \
        "1042${tab}Button${tab}\"everywhere\"" \
        "1043${tab}Button${tab}\"only in\"" \
        "1044${tab}Button${tab}\"everywhere except\"" \
        "1045${tab}Edit${tab}\"\"" \
        "1046${tab}ComboBox${tab}\"\"" \
        "1047${tab}Button${tab}\"...\"")
    [ "$(children_of "$CHOOSER")" = "$expected" ] || { e2e_fail "dialog 130: $(children_of "$CHOOSER")"; return; }
    # A new combination: Disable chosen, Finish enabled, every argument disabled.
    is_checked "$CHOOSER" 1008 && is_enabled "$CHOOSER" 1 || { e2e_fail "not opened on Disable"; return; }
    local id
    for id in 1012 1013 1014 1015 1028 1039 1040 1041 1045 1046 1047; do
        is_disabled "$CHOOSER" $id || { e2e_fail "control $id is enabled for Disable"; return; }
    done
    is_checked "$CHOOSER" 1042 && is_unchecked "$CHOOSER" 1043 && is_unchecked "$CHOOSER" 1044 && is_checked "$CHOOSER" 1008 ||
        { e2e_fail "a new combination does not act everywhere, or Acts: is no group of its own"; return; }
    # The Finish rule follows every choice.
    click "$CHOOSER" 1011
    wait_for 10 is_disabled "$CHOOSER" 1 || { e2e_fail "Finish stayed enabled with an empty URL"; return; }
    is_enabled "$CHOOSER" 1014 && is_disabled "$CHOOSER" 1012 || { e2e_fail "wrong edits enabled for URL"; return; }
    click "$CHOOSER" 1008
    wait_for 10 is_enabled "$CHOOSER" 1 || { e2e_fail "Finish stayed disabled for Disable"; return; }
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    e2e_pass
}

case_url_gets_scheme() {
    e2e_case "Go to URL: a bare host name is stored with http:// in front, https keeps its own, a file is refused"
    start_quillon || return
    wizard_by_mouse "U  (code:85)" || return
    [ "$(ui focus "$CHOOSER")" = 1008 ] || { e2e_fail "the focus is on $(ui focus "$CHOOSER"), not on the checked choice"; return; }
    click "$CHOOSER" 1011
    wait_for 10 is_disabled "$CHOOSER" 1 || { e2e_fail "Finish stayed enabled with an empty URL"; return; }
    click_at "$CHOOSER" 1014 || { e2e_fail "could not point at the URL field"; return; }
    xdotool type --delay 30 "example.org"
    wait_for 10 text_is "$CHOOSER" 1014 "example.org" ||
        { e2e_fail "the URL field holds '$(ui text "$CHOOSER" 1014)'"; return; }
    wait_for 10 is_enabled "$CHOOSER" 1 || { e2e_fail "Finish stayed disabled with a URL"; return; }
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 mapping_size_is 3257 || { e2e_fail "mapping.mp is $(mapping_size) bytes"; return; }
    mapping_record_is 0 "keys=85 action=3 payload=b'http://example.org'" || { e2e_fail "stored $(mapping_record 0)"; return; }
    rows_are "U${tab}Go to URL: http://example.org" || { e2e_fail "rows: $(rows_of)"; return; }
    ui select "$MAIN" 1016 0 >/dev/null && click "$MAIN" 1032
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "Edit did not open dialog 130"; return; }
    uie settext "$CHOOSER" 1014 'file:///C:/windows/notepad.exe' >/dev/null && click "$CHOOSER" 1
    wait_dialog REFUSAL "Go to URL:" && ui text "$REFUSAL" 65535 | grep -qF '"Launch Application:"' ||
        { e2e_fail "Finish did not refuse a file: $(ui text "${REFUSAL:-0}" 65535)"; return; }
    click "$REFUSAL" 1
    wait_for 10 dialog_gone "Go to URL:" && dialog_shown "$CHOOSER_TITLE" &&
        mapping_record_is 0 "keys=85 action=3 payload=b'http://example.org'" || { e2e_fail "closed, or stored $(mapping_record 0)"; return; }
    uie settext "$CHOOSER" 1014 'https://example.test/x' >/dev/null && click "$CHOOSER" 1
    wait_for 10 mapping_record_is 0 "keys=85 action=3 payload=b'https://example.test/x'" ||
        { e2e_fail "stored $(mapping_record 0)"; return; }
    e2e_pass
}

EditMapping='C text "first"
A change B+Ctrl+Shift
D block'

case_edit_change_key() {
    e2e_case "editing a Change Key row opens with its modifiers, no target and Finish disabled, and keeps its place"
    printf '%s\n' "$EditMapping" | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    start_quillon || return
    wait_for 10 row_count_is 3 || { e2e_fail "rows: $(rows_of)"; return; }
    local before
    before=$(rows_of)
    ui select "$MAIN" 1016 1 >/dev/null || { e2e_fail "could not select row 1"; return; }
    click "$MAIN" 1032
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "Edit did not open dialog 130"; return; }
    is_checked "$CHOOSER" 1027 && is_unchecked "$CHOOSER" 1008 || { e2e_fail "Change Key To: is not chosen"; return; }
    is_checked "$CHOOSER" 1039 && is_unchecked "$CHOOSER" 1040 && is_checked "$CHOOSER" 1041 ||
        { e2e_fail "the stored modifiers are not shown"; return; }
    text_is "$CHOOSER" 1028 "" || { e2e_fail "a target is selected: $(ui text "$CHOOSER" 1028)"; return; }
    is_disabled "$CHOOSER" 1 || { e2e_fail "Finish is enabled without a target"; return; }
    is_enabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is disabled for the single key A"; return; }
    # Cancel first: nothing changes.
    local sum
    sum=$(cksum <"$E2E_WORK/mapping.mp")
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    [ "$(cksum <"$E2E_WORK/mapping.mp")" = "$sum" ] && rows_are "$before" ||
        { e2e_fail "Cancel changed the combinations"; return; }
    ui select "$MAIN" 1016 1 >/dev/null
    click "$MAIN" 1032
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "Edit did not reopen dialog 130"; return; }
    choose "$CHOOSER" 1028 "Z  (code:90)" || { e2e_fail "no Z target entry"; return; }
    wait_for 10 is_enabled "$CHOOSER" 1 || { e2e_fail "Finish stayed disabled with a target"; return; }
    click "$CHOOSER" 1040
    wait_for 10 is_checked "$CHOOSER" 1040 || { e2e_fail "Atl+ could not be checked"; return; }
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    local expected
    expected=$(printf '%s\n' "$before" | sed "2s/.*/A${tab}Change Key To:  Ctrl + Alt + Shift + Z/")
    wait_for 10 rows_are "$expected" || { e2e_fail "rows: $(rows_of)"; return; }
    mapping_size_is $((3 * 3257)) || { e2e_fail "mapping.mp is $(mapping_size) bytes"; return; }
    mapping_record_is 1 "keys=65 action=4 payload=[90, 1, 1, 1, 0]" || { e2e_fail "stored $(mapping_record 1)"; return; }
    mapping_record_is 0 "keys=67 action=1 payload=b'first'" && mapping_record_is 2 "keys=68 action=5 payload=b''" ||
        { e2e_fail "the other records changed"; return; }
    start_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }
    e2e_got 'vk=90 ' || { e2e_fail "A did not become Z: $(grep -c . "$E2E_RECORDER_LOG") lines"; return; }
    if e2e_got 'vk=65 '; then
        e2e_fail "A itself arrived"
        return
    fi
    e2e_pass
}

row_zero_point() {
    local rect
    rect=$(uie rect "$MAIN" 1016) || return 1
    set -- $rect
    ROW_X=$(($1 + 40))
    ROW_Y=$(($2 + 30))
}

case_edit_by_double_click() {
    e2e_case "a double click on a Type text row opens it with its text and Finish enabled"
    printf '%s\n' "$EditMapping" | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    start_quillon || return
    wait_for 10 row_count_is 3 || { e2e_fail "rows: $(rows_of)"; return; }
    row_zero_point || { e2e_fail "no list view"; return; }
    xdotool mousemove "$ROW_X" "$ROW_Y" click --repeat 2 --delay 80 1
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "the double click did not open dialog 130"; return; }
    is_checked "$CHOOSER" 1009 || { e2e_fail "Type text: is not chosen"; return; }
    text_is "$CHOOSER" 1012 "first" && text_is "$CHOOSER" 1013 "" && text_is "$CHOOSER" 1014 "" ||
        { e2e_fail "the edits do not hold the stored text alone"; return; }
    is_enabled "$CHOOSER" 1 && is_enabled "$CHOOSER" 1012 || { e2e_fail "Finish or the text box is disabled"; return; }
    is_enabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is disabled for the single key C"; return; }
    click "$CHOOSER" 1029
    wait_for 10 is_checked "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! could not be chosen"; return; }
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 mapping_record_is 0 "keys=67 action=5 payload=b''" || { e2e_fail "stored $(mapping_record 0)"; return; }
    rows_of | head -n 1 | grep -qxF "C${tab}Completely BLOCK Key! " || { e2e_fail "rows: $(rows_of)"; return; }
    e2e_pass
}

help_is() { text_is "$CHOOSER" 1030 "$1"; }

case_quick_help() {
    e2e_case "Quick Help follows the pointer: Finish shows its text, the empty area the default"
    start_quillon || return
    wizard_by_typing "T+Left.Ctrl" down Control_L tap t up Control_L || return
    point_at "$CHOOSER" 1 || { e2e_fail "could not point at Finish"; return; }
    wait_for 10 help_is "$FINISH_HELP" || { e2e_fail "over Finish: '$(ui text "$CHOOSER" 1030)'"; return; }
    keep_screenshot quick-help-finish
    # A disabled control still explains itself.
    is_disabled "$CHOOSER" 1029 || { e2e_fail "BLOCK Key! is enabled for two keys"; return; }
    point_at "$CHOOSER" 1029
    wait_for 10 help_is "$(printf 'As opposed to Disable Key this will completely BLOCK a key on your keyboard. All combinations that use this key will STOP working!\n\nFor this option to be enabled you have to select just ONE key and not a key combination.')" ||
        { e2e_fail "over BLOCK Key!: '$(ui text "$CHOOSER" 1030)'"; return; }
    local rect
    rect=$(uie rect "$CHOOSER") || { e2e_fail "no dialog rectangle"; return; }
    set -- $rect
    xdotool mousemove $(($1 + 12)) $(($4 - 12))
    wait_for 10 help_is "$DEFAULT_HELP" || { e2e_fail "over the empty area: '$(ui text "$CHOOSER" 1030)'"; return; }
    point_at "$CHOOSER" 1
    wait_for 10 help_is "$FINISH_HELP" || { e2e_fail "back over Finish: '$(ui text "$CHOOSER" 1030)'"; return; }
    point_at "$CHOOSER" 1030
    wait_for 10 help_is "$DEFAULT_HELP" || { e2e_fail "over the help label: '$(ui text "$CHOOSER" 1030)'"; return; }
    # The last control seen outlives the dialog: reopened with the pointer
    # resting on Finish again, the panel keeps its template text.
    point_at "$CHOOSER" 1
    wait_for 10 help_is "$FINISH_HELP" || { e2e_fail "over Finish once more: '$(ui text "$CHOOSER" 1030)'"; return; }
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    wizard_by_mouse "A  (code:65)" || return
    help_is "$DEFAULT_HELP" || { e2e_fail "reopened with '$(ui text "$CHOOSER" 1030)'"; return; }
    if wait_for 1 help_changed; then
        e2e_fail "the panel was rewritten for the same control: '$(ui text "$CHOOSER" 1030)'"
        return
    fi
    click "$CHOOSER" 2
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Cancel did not end dialog 130"; return; }
    e2e_pass
}
help_changed() { ! help_is "$DEFAULT_HELP"; }

case_browse_for_application() {
    e2e_case "\"...\" opens \"Choose Your Application...\" and the chosen program fills the path"
    start_quillon || return
    wizard_by_mouse "N  (code:78)" || return
    click "$CHOOSER" 1010
    wait_for 10 is_enabled "$CHOOSER" 1015 || { e2e_fail "... stayed disabled"; return; }
    is_disabled "$CHOOSER" 1 || { e2e_fail "Finish is enabled without a path"; return; }
    click "$CHOOSER" 1015
    wait_dialog OPEN "Choose Your Application..." || { e2e_fail "no open-file dialog"; return; }
    keep_screenshot open-file-dialog
    xdotool type --delay 30 'C:\windows\notepad.exe'
    xdotool key Return
    wait_for 10 dialog_gone "Choose Your Application..." || { e2e_fail "the open-file dialog stayed"; return; }
    wait_for 10 path_is_notepad || { e2e_fail "the path is '$(ui text "$CHOOSER" 1013)'"; return; }
    wait_for 10 is_enabled "$CHOOSER" 1 || { e2e_fail "Finish stayed disabled with a path"; return; }
    local path
    path=$(ui text "$CHOOSER" 1013)
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 mapping_size_is 3257 || { e2e_fail "mapping.mp is $(mapping_size) bytes"; return; }
    mapping_record_is 0 "keys=78 action=2 payload=b'${path//\\/\\\\}'" || { e2e_fail "stored $(mapping_record 0)"; return; }
    rows_are "N${tab}Launch Application: $path" || { e2e_fail "rows: $(rows_of)"; return; }
    e2e_pass
}
path_is_notepad() { ui text "$CHOOSER" 1013 | grep -qix 'c:\\windows\\notepad\.exe'; }

exported_last() { "$QUILLON_NATIVE_BUILD/quillmap/quillmap" export "$E2E_WORK/mapping.mp" 2>/dev/null | tail -n 1; }
NAMES_HELP="Enter here the programs by the file names of their executables, separated by commas, for example notepad.exe, code.exe. Capitals do not matter. At most 8 programs; their names take room from a text, which can then be shorter than 2999 characters."

case_where_set_and_edited() {
    e2e_case "Acts: only in a program picked from the open windows, then everywhere except: row, file and keys follow"
    start_quillon || return
    start_recorder || return
    wizard_by_mouse "A  (code:65)" || return
    click "$CHOOSER" 1027
    choose "$CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    click "$CHOOSER" 1043
    wait_for 10 is_enabled "$CHOOSER" 1045 || { e2e_fail "the names stayed disabled for only in"; return; }
    is_checked "$CHOOSER" 1027 || { e2e_fail "choosing only in unchecked Change Key To:"; return; }
    uie comboitems "$CHOOSER" 1046 | grep -qxF recorder.exe ||
        { e2e_fail "the open programs are: $(uie comboitems "$CHOOSER" 1046 | tr '\n' ' ')"; return; }
    choose "$CHOOSER" 1046 recorder.exe || { e2e_fail "could not pick recorder.exe"; return; }
    wait_for 10 text_is "$CHOOSER" 1045 "recorder.exe" || { e2e_fail "names: '$(ui text "$CHOOSER" 1045)'"; return; }
    click_at "$CHOOSER" 1045 || { e2e_fail "could not point at the names"; return; }
    xdotool key End type --delay 30 ", Code.exe"
    wait_for 10 text_is "$CHOOSER" 1045 "recorder.exe, Code.exe" ||
        { e2e_fail "names: '$(ui text "$CHOOSER" 1045)'"; return; }
    wait_for 10 help_is "$NAMES_HELP" || { e2e_fail "over the names: '$(ui text "$CHOOSER" 1030)'"; return; }
    keep_screenshot chooser-where
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 rows_are "A${tab}Change Key To:  B (only in recorder.exe, Code.exe)" || { e2e_fail "rows: $(rows_of)"; return; }
    [ "$(exported_last)" = "A change B in recorder.exe,Code.exe" ] || { e2e_fail "stored: $(exported_last)"; return; }
    e2e_focus_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is b || { e2e_fail "in recorder.exe A gave '$(e2e_typed)', not b"; return; }

    ui select "$MAIN" 1016 0 >/dev/null || { e2e_fail "could not select row 0"; return; }
    click "$MAIN" 1032
    wait_dialog CHOOSER "$CHOOSER_TITLE" || { e2e_fail "Edit did not open dialog 130"; return; }
    is_checked "$CHOOSER" 1043 && text_is "$CHOOSER" 1045 "recorder.exe, Code.exe" && is_enabled "$CHOOSER" 1046 ||
        { e2e_fail "the stored where is not shown: '$(ui text "$CHOOSER" 1045)'"; return; }
    click "$CHOOSER" 1044
    wait_for 10 is_checked "$CHOOSER" 1044 || { e2e_fail "everywhere except could not be chosen"; return; }
    choose "$CHOOSER" 1028 "B  (code:66)" || { e2e_fail "no B target entry"; return; }
    click "$CHOOSER" 1
    wait_for 10 dialog_gone "$CHOOSER_TITLE" || { e2e_fail "Finish did not end dialog 130"; return; }
    wait_for 10 rows_are "A${tab}Change Key To:  B (not in recorder.exe, Code.exe)" || { e2e_fail "rows: $(rows_of)"; return; }
    e2e_focus_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is ba || { e2e_fail "after the edit A gave '$(e2e_typed)' in recorder.exe"; return; }
    e2e_pass
}

case_about_box() {
    e2e_case "the Help menu's About opens the About box, and OK closes it"
    start_quillon || return
    local window
    window=$(ui find "$E2E_MAIN_CLASS" "$E2E_MAIN_TITLE") || { e2e_fail "no main window"; return; }
    ui post "$window" 0x111 104 0 >/dev/null
    wait_dialog ABOUT "About" || { e2e_fail "no About box"; return; }
    children_of "$ABOUT" | grep -qxF -- "-1${tab}Static${tab}\"Latchet Version 1.0\"" ||
        { e2e_fail "About shows: $(children_of "$ABOUT")"; return; }
    keep_screenshot about-box
    click "$ABOUT" 1
    wait_for 10 dialog_gone "About" || { e2e_fail "OK did not close the About box"; return; }
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
