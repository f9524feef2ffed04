# tests/e2e/uidriver/quillon.sh: the vocabulary of the suites that drive the
# real Quillon.exe and its windows, sourced after tests/e2e/lib.sh (whose
# rule holds here too: a helper that fails says why and returns 1).
#
# Handles are those of uidriver.exe ("0x..."); ID is a control id.
# Tools:
#   ui ARGS...            uidriver.exe (see its header), output without CRs, its exit code
#   uie ARGS...           uiedit.exe (see its header): combo boxes, children, pointer points
#   q_shell_desktop       Quillon.exe and the helpers run on the Wine virtual
#                         desktop "shell" (the only kind with a taskbar and a
#                         tray) until the suite ends
# The program:
#   q_launch FOLDER [ARGS]  starts FOLDER/Quillon.exe ('' = $E2E_WORK); sets Q_PID
#   q_wait_main [SECS]    waits for its hidden main window; sets Q_MAIN
#   q_start [ARGS]        q_launch '' ARGS, then q_wait_main
#   q_wait_exit [SECS]    waits until Quillon.exe ended; its exit code in Q_CODE
#   q_settled [HWND]      a message sent to HWND (default Q_MAIN) is answered:
#                         its thread has finished the handler it was in. Sent
#                         messages go before posted ones, so this proves
#                         nothing about a post (a click) not yet taken
#   q_hook_installs       how many hooks Quillon has installed (its main window's
#                         property "QuillonHookInstalls")
# Windows (dialogs and message boxes, by their title):
#   q_window VAR TITLE [SECS]  waits for a visible one; its handle in VAR
#   q_dialog [TITLE]      the main dialog (EnabledTitle by default) into Q_DIALOG
#   q_box CAPTION [SECS]  a message box into Q_BOX
#   q_shown TITLE         one is visible now
#   q_exists TITLE        one exists, shown or not
#   q_closed TITLE [SECS] waits until none is visible
#   q_no_dialog           no main dialog is shown, on or off
#   q_box_text            the text of Q_BOX
#   q_box_says TEXT       Q_BOX says TEXT and has no owner window
#   q_answer ID           clicks button ID (1 OK, 6 Yes, 7 No) of Q_BOX
#   q_box_ok              answers OK, waits until Q_BOX is gone and Quillon settled
# Controls:
#   q_text_is HWND ID TEXT, q_checked_is HWND ID 0|1, q_enabled_is HWND ID 0|1,
#   q_title_is HWND TEXT, q_focus_is HWND ID
#   q_choose HWND ID ENTRY  picks ENTRY of combo box ID, as the mouse does
#   q_point_at HWND [ID]  the pointer onto the middle of it (and so the X keyboard focus)
#   q_click_at HWND ID    the same, then a left click there
# The main dialog (Q_DIALOG) and the wizard:
#   q_rows                its rows, "keys<TAB>function" each
#   q_rows_are ROWS, q_row_count, q_row_count_is N
#   q_delete_rows ROWS    selects exactly ROWS (comma list from 0, "" = none)
#                         and clicks Delete (a save even with none)
#   q_edit_row ROW        selects ROW, clicks Edit; waits for the chooser (Q_CHOOSER)
#   q_wizard_by_mouse ENTRY...  Add, the mouse dialog, each key entry picked:
#                         sets Q_METHOD, Q_PICK and Q_CHOOSER (the action chooser)
#   q_wizard_by_typing TEXT KEYS...  Add, the typing dialog, xkeys KEYS
#                         captured as TEXT: sets Q_METHOD, Q_TYPING and Q_CHOOSER
#   q_finish_adds RECORD ROWS  Finish in the chooser: mapping.mp then holds
#                         that one record (as q_record shows it), the dialog ROWS
# Files:
#   q_records [FILE]      records of 3257 bytes in FILE (default mapping.mp of
#                         the case), "missing" or "broken(SIZE)"
#   q_records_are N [FILE]
#   q_record N            record N of mapping.mp: "keys=<codes> action=<n> payload=<python repr>"
#   q_record_is N TEXT
#   q_same FILE FILE      the same bytes
#   q_hold FILE           another program holds FILE open, sharing nothing,
#                         until q_let_go (which waits until it has let go)
# Tray and autorun:
#   q_tray_is 0|1         the shell holds Quillon's icon or not
#   q_tray_menu           right click on the icon; waits for the menu (Q_MENU)
#   q_menu_pick first|last  clicks that item of the open menu
#   q_tray_colour green|red  the tray area shows the icon in use (on, off)
#   q_autorun             the start-with-Windows value (read with the wide call,
#                         as UTF-8; '' when there is none)
#   q_autorun_is VALUE, q_autorun_set, q_clear_autorun
#   q_autoload_answer ID  the question at the end is asked, answered with ID;
#                         Quillon then ends with 0
# Variables: EnabledTitle, DisabledTitle and the wizard's titles and texts below.

EnabledTitle=$E2E_ENABLED_TITLE
DisabledTitle="$E2E_ENABLED_TITLE- DISABLED!!"
MethodTitle="How do you want to select the key/key combination?"
TypingTitle="Type in the Key or Key Combination"
MouseTitle="Use your mouse to select the Key or Key Combination"
ChooserTitle="Choose a function for the selected Key or Key Combination..."
DefaultHelp="Hover your mouse over the buttons in this dialog to see here a description of what they do..."
FinishHelp="Finish will accept all your settings and the key function will be come active immediately."
RunKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

Q_UIDRIVER=$(e2e_binary uidriver.exe)
Q_UIEDIT=$(e2e_binary uiedit.exe)
Q_STUBS=$(dirname "${Q_UIDRIVER:-.}")/stubs
Q_PID=""
Q_MAIN=""
Q_DIALOG=""
Q_BOX=""
Q_MENU=""
Q_CODE=""
Q_METHOD=""
Q_PICK=""
Q_TYPING=""
Q_CHOOSER=""
Q_HELD=""
Q_HOLDER=""

# Keeps the exit code (a pipe into tr would lose it). What Wine says on the
# way is kept in the case's tools.err; a Wine that ended the tool is logged.
q_tool() {
    local out rc dir=${E2E_CASE_DIR:-$E2E_ARTIFACTS}
    out=$(wine "$@" 2>"$dir/tool.err")
    rc=$?
    if [ -s "$dir/tool.err" ]; then
        cat "$dir/tool.err" >>"$dir/tools.err"
        grep -q "$E2E_LDSO_ASSERTION" "$dir/tool.err" &&
            e2e_log "  Wine ended $(basename "$1") $2 with $rc (ld.so asserted)"
    fi
    out=${out//$'\r'/}
    [ -n "$out" ] && printf '%s\n' "$out"
    return $rc
}
ui() { q_tool "$Q_UIDRIVER" "$@"; }
uie() { q_tool "$Q_UIEDIT" "$@"; }

q_regedit() {
    local file=$E2E_ARTIFACTS/desktop.reg
    printf 'REGEDIT4\n\n' >"$file"
    local program
    for program in Quillon.exe uidriver.exe uiedit.exe recorder.exe hookhost.exe quillmap.exe; do
        if [ "$1" = on ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\Explorer]\n"Desktop"="shell"\n\n' \
                "$program" >>"$file"
        else
            printf '[-HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\Explorer]\n\n' "$program" >>"$file"
        fi
    done
    if [ "$1" = on ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"shell"="1024x768"\n\n' >>"$file"
    fi
    wine regedit /s "$(e2e_winpath "$file")" >/dev/null 2>&1
}
q_desktop_off() {
    q_regedit off
    # Written to disk before the harness stops the server.
    timeout 20 wineserver -w >/dev/null 2>&1
}
q_shell_desktop() {
    e2e_on_exit q_desktop_off
    q_regedit on
    Q_SHELL=1
}
# Wine gives the desktop's explorer 10 s to start, then leaves a program
# without a desktop window (its first window is never made): a loaded
# machine may need longer, so a start waits for the taskbar first.
q_shell_up() { ui find Shell_TrayWnd - >/dev/null; }

# --- the program -------------------------------------------------------------

q_launch() {
    local folder=${1:-$E2E_WORK}
    shift
    [ -n "$Q_UIDRIVER" ] || { e2e_fail "uidriver.exe is not built"; return 1; }
    [ -f "$folder/Quillon.exe" ] || { e2e_fail "Quillon.exe is not built"; return 1; }
    [ -z "${Q_SHELL:-}" ] || wait_for 60 q_shell_up || { e2e_fail "the shell desktop's taskbar never appeared"; return 1; }
    e2e_wine "$folder/Quillon.exe" "$@"
    Q_PID=$E2E_LAST_PID
    Q_MAIN=""
    Q_DIALOG=""
}
q_find_main() { Q_MAIN=$(ui find "$E2E_MAIN_CLASS" "$E2E_MAIN_TITLE") && [ -n "$Q_MAIN" ]; }
q_wait_main() {
    wait_for "${1:-30}" q_find_main && return 0
    ui list >"$E2E_CASE_DIR/windows.txt"
    e2e_fail "Quillon's main window never appeared (Quillon.exe $(e2e_pid_alive "$Q_PID" && echo runs || echo ended); windows.txt)"
}
q_start() { q_launch "" "$@" && q_wait_main; }

# Sets Q_CODE (never in a subshell: only this shell can wait for its children).
q_wait_exit() {
    Q_CODE=timeout
    wait_gone "${1:-20}" "$Q_PID" || return 1
    wait "$Q_PID"
    Q_CODE=$?
}

q_settled() {
    local window=${1:-$Q_MAIN}
    [ -n "$window" ] || return 0
    ui send "$window" 0 0 0 >/dev/null
}

q_hook_installs() { ui prop "$Q_MAIN" QuillonHookInstalls; }

# --- windows -----------------------------------------------------------------

q_find() {
    local found
    found=$(ui findvisible '#32770' "$2") && [ -n "$found" ] && printf -v "$1" '%s' "$found"
}
q_window() { wait_for "${3:-20}" q_find "$1" "$2" || { e2e_fail "no window \"$2\""; return 1; }; }
q_dialog() { q_window Q_DIALOG "${1:-$EnabledTitle}"; }
q_box() { q_window Q_BOX "$1" "${2:-20}"; }
q_shown() { ui findvisible '#32770' "$1" >/dev/null; }
q_exists() { ui find '#32770' "$1" >/dev/null; }
q_not_shown() { ! q_shown "$1"; }
q_closed() { wait_for "${2:-10}" q_not_shown "$1" || { e2e_fail "\"$1\" did not close"; return 1; }; }
q_no_dialog() { ! q_shown "$EnabledTitle" && ! q_shown "$DisabledTitle"; }

q_box_text() { ui text "$Q_BOX" 65535; }
q_answer() { ui click "$Q_BOX" "$1"; }
q_box_says() {
    [ "$(q_box_text)" = "$1" ] || { e2e_fail "box text: '$(q_box_text)'"; return 1; }
    [ "$(ui owner "$Q_BOX")" = 0x0 ] || { e2e_fail "the box has the owner $(ui owner "$Q_BOX")"; return 1; }
}
q_invisible() { [ "$(ui visible "$1")" != 1 ]; }
q_box_ok() {
    q_answer 1
    wait_for 10 q_invisible "$Q_BOX" || { e2e_fail "the box did not close"; return 1; }
    q_settled
}

# --- controls ------------------------------------------------------------------

q_text_is() { [ "$(ui text "$1" "$2")" = "$3" ]; }
q_checked_is() { [ "$(ui checked "$1" "$2")" = "$3" ]; }
q_enabled_is() { [ "$(ui enabled "$1" "$2")" = "$3" ]; }
q_title_is() { [ "$(ui text "$1")" = "$2" ]; }
q_focus_is() { [ "$(ui focus "$1")" = "$2" ]; }
q_choose() { uie comboselect "$1" "$2" "$3" >/dev/null; }

# Without a window manager the X keyboard focus follows the pointer: keys
# reach Wine (and so the hooks) only while it is over one of its windows.
q_point_at() {
    local at
    at=$(uie center "$@") || return 1
    # shellcheck disable=SC2086
    e2e_xdotool mousemove $at
}
q_click_at() { q_point_at "$1" "$2" && e2e_xdotool click 1; }

# --- the main dialog and the wizard ---------------------------------------

q_rows() { ui rows "$Q_DIALOG" 1016; }
q_rows_are() { [ "$(q_rows)" = "$1" ]; }
q_row_count() { q_rows | grep -c .; }
q_row_count_is() { [ "$(q_row_count)" = "$1" ]; }
q_delete_rows() {
    ui select "$Q_DIALOG" 1016 "$1" || { e2e_fail "could not select the rows '$1'"; return 1; }
    ui click "$Q_DIALOG" 1020
}
q_edit_row() {
    ui select "$Q_DIALOG" 1016 "$1" || { e2e_fail "could not select row $1"; return 1; }
    ui click "$Q_DIALOG" 1032
    q_window Q_CHOOSER "$ChooserTitle"
}

q_wizard_by_mouse() {
    local entry
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return 1
    ui click "$Q_METHOD" 1034
    wait_for 10 q_checked_is "$Q_METHOD" 1034 1 || { e2e_fail "the mouse choice could not be checked"; return 1; }
    ui click "$Q_METHOD" 1
    q_window Q_PICK "$MouseTitle" || return 1
    for entry in "$@"; do
        q_choose "$Q_PICK" 1000 "$entry" || { e2e_fail "no entry '$entry' in the key list"; return 1; }
        ui click "$Q_PICK" 1001
    done
    wait_for 10 q_enabled_is "$Q_PICK" 1 1 || { e2e_fail "Next stayed disabled after adding keys"; return 1; }
    ui click "$Q_PICK" 1
    q_window Q_CHOOSER "$ChooserTitle"
}

q_wizard_by_typing() {
    local text=$1
    shift
    ui click "$Q_DIALOG" 1019
    q_window Q_METHOD "$MethodTitle" || return 1
    ui click "$Q_METHOD" 1
    q_window Q_TYPING "$TypingTitle" || return 1
    q_point_at "$Q_TYPING"
    e2e_keys "$@" || return 1
    wait_for 10 q_text_is "$Q_TYPING" 1003 "$text" ||
        { e2e_fail "captured '$(ui text "$Q_TYPING" 1003)', not '$text'"; return 1; }
    ui click "$Q_TYPING" 1
    q_window Q_CHOOSER "$ChooserTitle"
}

q_finish_adds() {
    ui click "$Q_CHOOSER" 1
    q_closed "$ChooserTitle" || return 1
    wait_for 10 q_records_are 1 || { e2e_fail "mapping.mp holds $(q_records) records"; return 1; }
    q_record_is 0 "$1" || { e2e_fail "stored $(q_record 0)"; return 1; }
    q_rows_are "$2" || { e2e_fail "rows: $(q_rows)"; return 1; }
}

# --- files ---------------------------------------------------------------------

q_records() {
    local size
    size=$(stat -c %s "${1:-$E2E_WORK/mapping.mp}" 2>/dev/null) || { echo missing; return; }
    if [ $((size % 3257)) -ne 0 ]; then
        echo "broken($size)"
    else
        echo $((size / 3257))
    fi
}
q_records_are() { [ "$(q_records "${2:-}")" = "$1" ]; }

# The text up to its terminator; for ChangeKey the first five bytes.
q_record() {
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
q_record_is() { [ "$(q_record "$1")" = "$2" ]; }
q_same() { cmp -s "$1" "$2"; }

# Stands for a backup or sync program that keeps the file to itself.
q_hold() {
    Q_HELD=$E2E_CASE_DIR/held.ready
    e2e_start_ready 30 "$Q_HELD" "$Q_UIDRIVER" hold "$(e2e_winpath "$1")" "$(e2e_winpath "$Q_HELD")"
    local ok=$?
    Q_HOLDER=$E2E_LAST_PID
    [ "$ok" = 0 ] || { e2e_fail "$1 could not be held"; return 1; }
}
q_let_go() {
    rm -f "$Q_HELD"
    wait_gone 20 "$Q_HOLDER" || { e2e_fail "the holder did not let go"; return 1; }
}

# --- tray and autorun ------------------------------------------------------------

q_tray_is() { [ "$(ui trayhas "$Q_MAIN")" = "$1" ]; }

# The tray menu at the pointer: a right click on the icon.
q_tray_menu() {
    e2e_xdotool mousemove 960 700
    ui tray "$Q_MAIN" 517
    wait_for 10 q_menu_open || { e2e_fail "the tray menu did not open"; return 1; }
}
q_menu_open() { Q_MENU=$(ui findvisible '#32768' -) && [ -n "$Q_MENU" ]; }
# Clicks the first or the last item of the open menu (screen coordinates;
# the virtual desktop sits at the display's origin).
q_menu_pick() {
    local left top right bottom y
    read -r left top right bottom <<<"$(ui rect "$Q_MENU")"
    [ -n "$bottom" ] || { e2e_fail "the menu has no rectangle"; return 1; }
    case "$1" in
    first) y=$((top + 10)) ;;
    last) y=$((bottom - 10)) ;;
    esac
    e2e_xdotool mousemove $(((left + right) / 2)) "$y"
    e2e_xdotool click 1
}

# Whether the tray area of the taskbar shows a colour of the icon in use
# (green arrow while on, red bar while off).
q_tray_colour() {
    local shot=$E2E_CASE_DIR/tray-area.png
    import -display "$DISPLAY" -window root -crop 120x28+904+740 "$shot" >/dev/null 2>&1 || return 1
    local colour=$1
    case "$colour" in
    green) colour='#1EA046' ;;
    red) colour='#D02828' ;;
    esac
    local count
    count=$(convert "$shot" -fuzz 12% -fill black +opaque "$colour" -fill white -opaque "$colour" \
        -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null)
    [ "${count:-0}" -ge 3 ]
}

q_autorun() { ui autorun; }
q_autorun_is() { [ "$(q_autorun)" = "$1" ]; }
q_autorun_set() { [ -n "$(q_autorun)" ]; }
q_clear_autorun() { wine reg delete "$RunKey" /v QuillonStarup /f >/dev/null 2>&1; return 0; }

q_autoload_answer() {
    q_box "Autoload at start-up?" || return 1
    [ "$(q_box_text)" = "Do you want to load $EnabledTitle automatically when your computer starts?" ] ||
        { e2e_fail "question: $(q_box_text)"; return 1; }
    q_answer "$1"
    q_wait_exit
    [ "$Q_CODE" = 0 ] || { e2e_fail "exit code $Q_CODE"; return 1; }
}
