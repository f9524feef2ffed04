#!/bin/bash
# Quillon.exe's main dialog: deleting and editing rows, the record limit, the
# ways to close it, the ways to end the program, and how it and the chooser
# look at 100% and 200%.
set -u
# Room for the dialogs at 200% (case_scaling).
E2E_SCREEN=2048x1536
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"
q_shell_desktop

SixChanges='A change B
C change D
E change F
G change H
I change J
K change L'


case_delete_selected() {
    e2e_case "deleting selected rows removes exactly those records, and the library follows"
    e2e_mapping "$SixChanges" && q_start && q_dialog || return
    wait_for 10 q_records_are 6 || { e2e_fail "no six records to start from"; return; }
    # Two adjacent rows and the last one.
    q_delete_rows 1,2,5 || return
    local rows
    rows=$(printf '%s\t%s\n' A "Change Key To:  B" G "Change Key To:  H" I "Change Key To:  J")
    wait_for 10 q_rows_are "$rows" || { q_rows >"$E2E_CASE_DIR/rows.txt"; e2e_fail "rows after delete (rows.txt)"; return; }
    wait_for 10 q_records_are 3 || { e2e_fail "the file holds $(q_records) records"; return; }
    sed -n '1p;4p;5p' <<<"$SixChanges" | e2e_mapping_file "$E2E_CASE_DIR/expected.mp" || return
    q_same "$E2E_CASE_DIR/expected.mp" "$E2E_WORK/mapping.mp" ||
        { e2e_fail "the file does not hold records 0, 3 and 4 in order"; return; }

    e2e_start_recorder || return
    e2e_key_gives c c || { e2e_fail "deleted C still acts: typed '$(e2e_typed)'"; return; }
    e2e_key_gives k k || { e2e_fail "deleted K still acts: typed '$(e2e_typed)'"; return; }
    e2e_key_gives a b || { e2e_fail "kept A does not act: typed '$(e2e_typed)'"; return; }
    e2e_key_gives g h || { e2e_fail "kept G does not act: typed '$(e2e_typed)'"; return; }

    # A file removed while the program runs: the next opening lists the
    # table's records, and a delete writes the others.
    ui click "$Q_DIALOG" 1022
    q_closed "$EnabledTitle" || return
    rm -f "$E2E_WORK/mapping.mp"
    ui tray "$Q_MAIN" 514
    q_dialog || return
    wait_for 10 q_rows_are "$rows" || { e2e_fail "without a file the list shows '$(q_rows)'"; return; }
    q_delete_rows 1 || return
    # The file is swapped in whole: once it holds two records, they are final.
    wait_for 10 q_records_are 2 || { e2e_fail "the file holds $(q_records) records, not 2"; return; }
    cmp -s -n 3257 "$E2E_CASE_DIR/expected.mp" "$E2E_WORK/mapping.mp" &&
        cmp -s -i 6514:3257 "$E2E_CASE_DIR/expected.mp" "$E2E_WORK/mapping.mp" ||
        { e2e_fail "the file is not the first and third record"; return; }
    e2e_pass
}

case_edit_selected() {
    e2e_case "editing the selected row keeps its place and keys; Cancel changes nothing"
    sed -n '1,3p' <<<"$SixChanges" | e2e_mapping && q_start && q_dialog || return
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/before.mp"
    q_edit_row 1 || return
    [ "$(ui owner "$Q_CHOOSER")" = "$Q_DIALOG" ] || { e2e_fail "the chooser is not owned by the dialog"; return; }
    ui click "$Q_CHOOSER" 2
    # A save after Cancel would come in the handler that ran the chooser.
    q_closed "$ChooserTitle" && q_settled "$Q_DIALOG" || return
    q_same "$E2E_CASE_DIR/before.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "Cancel changed the file"; return; }

    # A double click on the row (the first below the list's header) opens it too.
    local left top right bottom
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG" 1016)"
    e2e_xdotool mousemove $((left + 40)) $((top + 40)) click --repeat 2 --delay 80 1
    q_window Q_CHOOSER "$ChooserTitle" || return
    ui click "$Q_CHOOSER" 1029 # Completely BLOCK Key
    ui click "$Q_CHOOSER" 1
    local rows
    rows=$(printf '%s\t%s\n' A "Change Key To:  B" C "Completely BLOCK Key! " E "Change Key To:  F")
    wait_for 10 q_rows_are "$rows" || { q_rows >"$E2E_CASE_DIR/rows.txt"; e2e_fail "rows after edit (rows.txt)"; return; }
    wait_for 10 q_records_are 3 || { e2e_fail "the file lost records"; return; }
    # Records 0 and 2 and the keys of record 1 stay; record 1's action is BlockKey.
    cmp -s -n 3257 "$E2E_CASE_DIR/before.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "record 0 changed"; return; }
    cmp -s -i 6514 "$E2E_CASE_DIR/before.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "record 2 changed"; return; }
    cmp -s -i 3257 -n 256 "$E2E_CASE_DIR/before.mp" "$E2E_WORK/mapping.mp" ||
        { e2e_fail "editing changed the keys of record 1"; return; }
    [ "$(od -An -tu1 -j $((3257 + 256)) -N1 "$E2E_WORK/mapping.mp" | tr -d ' ')" = 5 ] ||
        { e2e_fail "record 1 is not a BlockKey record"; return; }
    e2e_start_recorder || return
    e2e_key_gives c "" || { e2e_fail "the edited C is not blocked: typed '$(e2e_typed)'"; return; }
    e2e_pass
}

case_record_limit() {
    e2e_case "with 300 combinations Add says so and opens no wizard"
    local i
    for i in $(seq 1 300); do echo "#$((65 + i % 26)) block"; done | e2e_mapping && q_start && q_dialog || return
    ui click "$Q_DIALOG" 1019
    q_box "Too many key combinations :)" || return
    [ "$(q_box_text)" = "You have reached the maximum limit of allowed key combinations. Please remove some of key combinations before trying to add some more." ] ||
        { e2e_fail "text: $(q_box_text)"; return; }
    [ "$(ui owner "$Q_BOX")" = "$Q_DIALOG" ] || { e2e_fail "the message is not owned by the dialog"; return; }
    # Once the handler that showed the box is done, a wizard would exist.
    q_box_ok && q_settled "$Q_DIALOG" || return
    q_exists "$MethodTitle" && { e2e_fail "the wizard opened"; return; }
    e2e_pass
}

case_closing_the_dialog() {
    e2e_case "Hide, Enter, Escape, minimise and the close box end the dialog; the program runs on"
    q_start || return
    local way
    for way in "273 1022 0" "273 1 0" "273 2 0" "274 61472 0" "274 61536 0"; do
        q_dialog || return
        # shellcheck disable=SC2086
        ui post "$Q_DIALOG" $way
        q_closed "$EnabledTitle" || return
        e2e_pid_alive "$Q_PID" || { e2e_fail "message $way ended the program"; return; }
        q_tray_is 1 || { e2e_fail "no tray icon after $way"; return; }
        ui tray "$Q_MAIN" 514
    done
    q_dialog || return
    # A real Escape key, once a click on its caption has given the dialog the focus.
    local left top right bottom
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG")"
    e2e_xdotool mousemove $((left + 60)) $((top + 8)) click 1
    e2e_xdotool key Escape
    q_closed "$EnabledTitle" || return
    # Running on: the tray icon opens the dialog again.
    ui tray "$Q_MAIN" 514
    q_dialog || return
    e2e_pass
}

case_terminate() {
    e2e_case "Terminate Application asks about autorun and ends with 0; Yes keeps the value"
    q_start && q_dialog || return
    wait_for 10 q_autorun_set || { e2e_fail "no autorun value at start"; return; }
    ui click "$Q_DIALOG" 1021
    q_autoload_answer 6 || return
    q_autorun_set || { e2e_fail "Yes removed the autorun value"; return; }
    e2e_pass
}

case_tray_exit() {
    e2e_case "the tray menu's Exit asks about autorun, naming the enabled title also while off, and ends with 0"
    q_start /background || return
    ui post "$Q_MAIN" 273 1018 0
    wait_for 10 q_tray_colour red || { e2e_fail "Disable did not take"; return; }
    q_tray_menu && q_menu_pick last && q_autoload_answer 6 || return
    e2e_pass
}

case_close_from_outside() {
    e2e_case "WM_CLOSE from outside ends the program with 0 and no question"
    q_start /background || return
    ui post "$Q_MAIN" 16 0 0
    q_wait_exit
    [ "$Q_CODE" = 0 ] || { e2e_fail "exit code $Q_CODE (a question box may be waiting)"; return; }
    e2e_pass
}

case_long_payload() {
    e2e_case "a 2999-character text shows cut to the row's 3000-character buffer"
    local text
    text=$(head -c 2999 /dev/zero | tr '\0' 'x')
    e2e_mapping "A text \"$text\"" && q_start && q_dialog || return
    local function
    function=$(q_rows | cut -f2)
    [ "${#function}" = 2999 ] || { e2e_fail "the function text has ${#function} characters"; return; }
    [ "$function" = "Type Text: ${text:0:2988}" ] || { e2e_fail "the function text is not the cut text"; return; }
    e2e_pass
}

case_import_while_running() {
    e2e_case "quillmap.exe import while Quillon runs: the imported keys act at once and the dialog lists them, open or closed at the time"
    e2e_mapping 'A change B' || return
    local quillmap
    quillmap=$(e2e_binary quillmap.exe)
    [ -n "$quillmap" ] || { e2e_fail "quillmap.exe is not built"; return; }
    cp "$quillmap" "$E2E_WORK/"
    q_start && q_dialog && e2e_start_recorder || return
    e2e_key_gives a b || { e2e_fail "before the import A gave '$(e2e_typed)'"; return; }
    printf '%s\n' '# new keys' 'A change C' 'T+Left.Ctrl text "Zq"' >"$E2E_CASE_DIR/new.txt"
    # From Quillon's folder: the default file is its mapping.mp.
    e2e_wine quillmap.exe import "$(e2e_winpath "$E2E_CASE_DIR/new.txt")"
    local code=0
    wait "$E2E_LAST_PID" || code=$?
    [ "$code" = 0 ] || { e2e_fail "quillmap.exe ended with $code: $(cat "$E2E_CASE_DIR/quillmap.exe.out")"; return; }
    grep -q 'the running Quillon loads them now' "$E2E_CASE_DIR/quillmap.exe.out" ||
        { e2e_fail "quillmap.exe did not tell Quillon: $(cat "$E2E_CASE_DIR/quillmap.exe.out")"; return; }
    # Into another file, Quillon is not told and nothing says it loads them.
    mv "$E2E_CASE_DIR/quillmap.exe.out" "$E2E_CASE_DIR/quillmap-own-file.out"
    e2e_wine quillmap.exe import "$(e2e_winpath "$E2E_CASE_DIR/new.txt")" "$(e2e_winpath "$E2E_CASE_DIR/other.mp")"
    wait "$E2E_LAST_PID" || { e2e_fail "quillmap.exe import into another file failed"; return; }
    ! grep -qE 'loads them|could not be told' "$E2E_CASE_DIR/quillmap.exe.out" ||
        { e2e_fail "quillmap.exe spoke of Quillon for another file: $(cat "$E2E_CASE_DIR/quillmap.exe.out")"; return; }
    e2e_mapping_file "$E2E_CASE_DIR/expected.mp" <"$E2E_CASE_DIR/new.txt" || return
    q_same "$E2E_CASE_DIR/expected.mp" "$E2E_WORK/mapping.mp" ||
        { e2e_fail "quillmap.exe and quillmap wrote different files"; return; }
    local rows
    rows=$(printf '%s\t%s\n' A "Change Key To:  C" T+Left.Ctrl "Type Text: Zq")
    wait_for 10 q_rows_are "$rows" || { q_rows >"$E2E_CASE_DIR/rows.txt"; e2e_fail "the dialog's rows (rows.txt)"; return; }
    # The list is refilled after the library has reloaded, in the same message.
    e2e_focus_recorder || return
    e2e_key_gives a c || { e2e_fail "after the import A gave '$(e2e_typed)'"; return; }
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 15 e2e_typed_is "bcZq" || { e2e_fail "left Ctrl+T typed '$(e2e_typed)'"; return; }
    # With the dialog closed the program takes the import too: a file removed
    # before the dialog opens again loses nothing.
    ui click "$Q_DIALOG" 1022
    wait_for 10 q_no_dialog || { e2e_fail "Hide did not close the dialog"; return; }
    echo 'A change D' >"$E2E_CASE_DIR/later.txt"
    e2e_wine quillmap.exe import "$(e2e_winpath "$E2E_CASE_DIR/later.txt")"
    wait "$E2E_LAST_PID" || { e2e_fail "the second quillmap.exe import failed"; return; }
    # The notice is posted: once the library acts on it, the program has read the file too.
    e2e_focus_recorder || return
    wait_for 10 e2e_key_gives a d || { e2e_fail "after the second import A gave '$(e2e_typed)'"; return; }
    rm -f "$E2E_WORK/mapping.mp"
    ui post "$Q_MAIN" 273 32771 0
    q_dialog || return
    wait_for 10 q_rows_are "$(printf '%s\t%s' A "Change Key To:  D")" ||
        { q_rows >"$E2E_CASE_DIR/rows-later.txt"; e2e_fail "the reopened dialog's rows (rows-later.txt)"; return; }
    e2e_pass
}

# Wine's system DPI and the "shell" desktop's size, read by the programs of a
# fresh server.
q_display_scale() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f &&
        wine reg add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f &&
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$2" /f
} >/dev/null 2>&1
q_display_unscaled() { q_display_scale 96 1024x768; timeout 20 wineserver -w; return 0; }
# A window's picture among the suite's artifacts; sets Q_WIDTH.
q_window_shot() {
    local left top right bottom
    read -r left top right bottom <<<"$(ui rect "$2")"
    Q_WIDTH=$((right - left))
    import -display "$DISPLAY" -window root -crop "${Q_WIDTH}x$((bottom - top))+$left+$top" "$E2E_ARTIFACTS/$1.png"
}

# Last: the other cases run at 100%.
case_scaling() {
    e2e_case "at 100% and 200% the main dialog and the chooser are drawn at that DPI, every row whole"
    e2e_on_exit q_display_unscaled
    local dpi widths=()
    for dpi in 96 192; do
        e2e_stop_wine
        q_display_scale "$dpi" "$((dpi * 32 / 3))x$((dpi * 8))"
        printf '%s\n' 'T+Left.Ctrl text "Hello, World"' 'L+Left.Ctrl launch "C:\\windows\\notepad.exe"' \
            'G+Left.Ctrl url "https://example.test/quillon"' 'A change F5+Ctrl+Shift' 'C block' 'W disable' |
            e2e_mapping && q_start && q_dialog || return
        wait_for 10 q_row_count_is 6 || { e2e_fail "rows: $(q_rows)"; return; }
        # Sharp: the program draws at the DPI itself, the system stretches nothing.
        [ "$(ui dpi "$Q_DIALOG")" = "dpi=$dpi awareness=2" ] || { e2e_fail "at $dpi: $(ui dpi "$Q_DIALOG")"; return; }
        ui colfits "$Q_DIALOG" 1016 >"$E2E_CASE_DIR/columns.txt" ||
            { e2e_fail "a column cuts its text (column width needed): $(tr '\n' ' ' <"$E2E_CASE_DIR/columns.txt")"; return; }
        q_window_shot "main-$((dpi * 100 / 96))" "$Q_DIALOG" && q_edit_row 2 && [ "$(ui dpi "$Q_CHOOSER")" = "dpi=$dpi awareness=2" ] &&
            q_window_shot "chooser-$((dpi * 100 / 96))" "$Q_CHOOSER" || { e2e_fail "the chooser at $dpi: $(ui dpi "$Q_CHOOSER")"; return; }
        widths+=("$Q_WIDTH")
    done
    # Unclipped: the chooser's template grew with its font.
    [ $((widths[1] * 10)) -ge $((widths[0] * 18)) ] && [ $((widths[1] * 10)) -le $((widths[0] * 22)) ] ||
        { e2e_fail "the chooser is ${widths[0]} pixels wide at 100%, ${widths[1]} at 200%"; return; }
    e2e_pass
}

case_import_while_running
case_delete_selected
case_edit_selected
case_record_limit
case_closing_the_dialog
case_terminate
case_tray_exit
case_close_from_outside
case_long_payload
case_scaling
