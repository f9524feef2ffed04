#!/bin/bash
# Quillon.exe's start-up: the main dialog or the background start, the single
# instance, loading and binding Quillhook.dll, and the autorun value.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"
q_shell_desktop

Mapping='T+Left.Ctrl text "Hello"
A change F5+Ctrl+Shift
B disable
C block
D url "http://example.org/"
E launch "C:\\Tools\\calc.exe"'

ExpectedRows=$(printf '%s\t%s\n' \
    "T+Left.Ctrl" "Type Text: Hello" \
    "A" "Change Key To:  Ctrl + Shift + F5" \
    "B" "DISABLE KEY COMBINATION! " \
    "C" "Completely BLOCK Key! " \
    "D" "Go to URL: http://example.org/" \
    "E" "Launch Application: C:\\Tools\\calc.exe")

case_dialog_at_start() {
    e2e_case "a start without /background shows the main dialog with the file's rows"
    e2e_mapping "$Mapping" && q_start && q_dialog || return
    wait_for 10 q_rows_are "$ExpectedRows" ||
        { q_rows >"$E2E_CASE_DIR/rows.txt"; e2e_fail "rows differ (rows.txt)"; return; }
    [ "$(ui owner "$Q_DIALOG")" = "$Q_MAIN" ] || { e2e_fail "the dialog is not owned by the main window"; return; }
    q_checked_is "$Q_DIALOG" 1017 1 && q_checked_is "$Q_DIALOG" 1018 0 ||
        { e2e_fail "radios do not show remapping on"; return; }
    q_enabled_is "$Q_DIALOG" 1019 1 || { e2e_fail "Add New Key Combination is disabled"; return; }
    [ "$(ui text "$Q_DIALOG" 1019)" = "Add New Key Combination" ] || { e2e_fail "button 1019 text"; return; }
    [ "$(ui text "$Q_DIALOG" 1021)" = "Terminate Application" ] || { e2e_fail "button 1021 text"; return; }
    [ "$(ui visible "$Q_MAIN")" = 0 ] || { e2e_fail "the main window is visible"; return; }
    # Caption, system menu, minimise box, own taskbar button; a report view
    # where several rows can be selected; columns of 200 pixels.
    local style exstyle
    read -r style exstyle <<<"$(ui style "$Q_DIALOG")"
    [ $((style & 0x00CA0000)) = $((0x00CA0000)) ] && [ $((exstyle & 0x40000)) = $((0x40000)) ] ||
        { e2e_fail "dialog style $style $exstyle"; return; }
    read -r style exstyle <<<"$(ui style "$Q_DIALOG" 1016)"
    [ $((style & 0x3)) = 1 ] && [ $((style & 0x4)) = 0 ] || { e2e_fail "list view style $style"; return; }
    local column
    for column in 0 1; do
        [ "$(ui colwidth "$Q_DIALOG" 1016 "$column")" = 200 ] ||
            { e2e_fail "column $column is $(ui colwidth "$Q_DIALOG" 1016 "$column") pixels wide"; return; }
    done
    q_tray_is 1 || { e2e_fail "no tray icon"; return; }
    e2e_keep_screenshot main-dialog
    e2e_pass
}

case_background_start() {
    e2e_case "/background opens no dialog and the mapping works at once"
    e2e_mapping 'A change B' && q_start /background && e2e_start_recorder || return
    e2e_key_gives a b || { e2e_fail "A was not changed into B: typed '$(e2e_typed)'"; return; }
    q_no_dialog || { e2e_fail "a dialog is open"; return; }
    q_tray_is 1 || { e2e_fail "no tray icon"; return; }
    e2e_pass
}

case_background_is_case_sensitive() {
    e2e_case "/Background (capital B) still opens the main dialog"
    q_start /Background && q_dialog || return
    e2e_pass
}

case_second_instance() {
    e2e_case "a second start says another instance runs and exits with 1001"
    q_start /background || return
    local first=$Q_PID main=$Q_MAIN
    q_launch "" || return
    q_box Error || return
    [ "$(q_box_text)" = "Another instance of Quillon is already running" ] ||
        { e2e_fail "text: $(q_box_text)"; return; }
    q_answer 1
    q_wait_exit
    [ "$Q_CODE" = 233 ] || { e2e_fail "exit code $Q_CODE, not 1001 (233 in 8 bits)"; return; }
    e2e_pid_alive "$first" || { e2e_fail "the first instance ended"; return; }
    [ "$(ui find "$E2E_MAIN_CLASS" "$E2E_MAIN_TITLE")" = "$main" ] || { e2e_fail "the first main window is gone"; return; }
    e2e_pass
}

# A start that must fail: the message box CAPTION says TEXT, OK ends with 1.
q_start_fails() {
    q_launch "" /background && q_box "$1" || return 1
    [ "$(q_box_text)" = "$2" ] || { e2e_fail "text: '$(q_box_text)'"; return 1; }
    q_answer 1
    q_wait_exit
    [ "$Q_CODE" = 1 ] || { e2e_fail "exit code $Q_CODE"; return 1; }
}

case_missing_library() {
    e2e_case "a missing Quillhook.dll is reported and ends with 1; one in the current folder or on PATH is never loaded"
    rm -f "$E2E_WORK/Quillhook.dll"
    # A stranger's Quillhook.dll that marks the current folder when it is loaded.
    local current=$E2E_WORK/current
    mkdir -p "$current"
    cp "$(dirname "$Q_UIDRIVER")/planted/Quillhook.dll" "$current/" || { e2e_fail "planted/Quillhook.dll is not built"; return; }
    E2E_WINE_DIR=$current WINEPATH=$(e2e_winpath "$current") \
        q_start_fails "Error loading library" "Failed to load the libray." || return
    [ ! -e "$current/planted-Quillhook-loaded" ] || { e2e_fail "the Quillhook.dll of the current folder was loaded"; return; }
    e2e_pass
}

# Every export of the list the program binds them by (hook/exportlist.h):
# name, failure text and caption, the last two empty for the common ones.
mapfile -t Exports < <(sed -n 's/^QUILLHOOK_EXPORT(\([A-Za-z0-9_]*\), "\(.*\)", "\(.*\)")$/\1|\2|\3/p' \
    "$(dirname "$0")/../../../hook/exportlist.h")

case_missing_export() {
    local export text caption
    IFS='|' read -r export text caption <<<"$1"
    [ -n "$text" ] || text="Error loading $export. Get Last Error: %d "
    [ -n "$caption" ] || caption="Can not load DLL function"
    # The number is GetLastError: 127, procedure not found.
    text=${text/\%d/127}
    e2e_case "a library without $export is reported and ends with 1"
    [ -f "$Q_STUBS/lacks-$export.dll" ] || { e2e_fail "lacks-$export.dll is not built"; return; }
    cp "$Q_STUBS/lacks-$export.dll" "$E2E_WORK/Quillhook.dll"
    q_start_fails "$caption" "$text" && e2e_pass
}

case_autorun() {
    e2e_case "the autorun value is written at start, quoted for a blank, removed on No"
    q_clear_autorun
    local folder="$E2E_WORK/with blank"
    mkdir -p "$folder"
    cp "$E2E_WORK/Quillon.exe" "$E2E_WORK/Quillhook.dll" "$folder/"
    q_launch "$folder" /background && q_wait_main || return
    local expected
    expected="\"$(e2e_winpath "$folder/Quillon.exe")\"  /background"
    wait_for 10 q_autorun_is "$expected" || { e2e_fail "autorun value: '$(q_autorun)'"; return; }

    q_tray_menu || return
    e2e_keep_screenshot tray-menu
    q_menu_pick last && q_autoload_answer 7 || return
    [ -z "$(q_autorun)" ] || { e2e_fail "the value is still there: $(q_autorun)"; return; }

    # A path without a blank is written as it is.
    q_start /background || return
    expected="$(e2e_winpath "$E2E_WORK/Quillon.exe")  /background"
    wait_for 10 q_autorun_is "$expected" || { e2e_fail "unquoted value: '$(q_autorun)'"; return; }
    e2e_pass
}

case_dialog_at_start
case_background_start
case_background_is_case_sensitive
case_second_instance
case_missing_library
[ "${#Exports[@]}" -gt 0 ] || { e2e_case "the export list names the exports"; e2e_fail "no exports read from hook/exportlist.h"; }
for entry in "${Exports[@]}"; do
    case_missing_export "$entry"
done
case_autorun
