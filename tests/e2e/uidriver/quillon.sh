# tests/e2e/uidriver/quillon.sh: helpers of the suites that drive the real
# Quillon.exe, sourced after tests/e2e/lib.sh.
#
# Quillon.exe, uidriver.exe, recorder.exe, hookhost.exe and quillmap.exe (which
# looks for Quillon's window) run on the Wine virtual desktop
# "shell" (the only kind that shows a taskbar with a tray), through per-program
# defaults in the prefix that are removed again when the suite ends.
#
#   ui ARGS...            uidriver.exe (see its header), output without CRs
#   q_start [ARGS]        starts $E2E_WORK/Quillon.exe; Q_PID, waits for Q_MAIN
#   q_dialog              waits for the visible main dialog; sets Q_DIALOG
#   q_box CAPTION         waits for a message box with CAPTION; sets Q_BOX
#   q_box_text            the text of Q_BOX
#   q_answer ID           clicks button ID (1 OK, 6 Yes, 7 No) of Q_BOX
#   q_wait_exit [SECS]    waits until Quillon.exe ended; its exit code in Q_CODE
#   q_autorun             the autorun value ('' when absent)
#   q_clear_autorun       deletes the autorun value
#   q_rows                the main dialog's rows, "keys<TAB>function" each
#   q_records FILE        the number of 3257-byte records in FILE

EnabledTitle=$E2E_ENABLED_TITLE
DisabledTitle="$E2E_ENABLED_TITLE- DISABLED!!"
RunKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

Q_UIDRIVER=$(e2e_binary uidriver.exe)
Q_STUBS=$(dirname "${Q_UIDRIVER:-.}")/stubs
Q_PID=""
Q_MAIN=""
Q_DIALOG=""
Q_BOX=""
Q_MENU=""
Q_CODE=""

# Keeps uidriver's exit code (a pipe into tr would lose it).
ui() {
    local out rc
    out=$(wine "$Q_UIDRIVER" "$@" 2>/dev/null)
    rc=$?
    out=${out//$'\r'/}
    [ -n "$out" ] && printf '%s\n' "$out"
    return $rc
}

q_regedit() {
    local file=$E2E_ARTIFACTS/desktop.reg
    printf 'REGEDIT4\n\n' >"$file"
    local program
    for program in Quillon.exe uidriver.exe recorder.exe hookhost.exe quillmap.exe; do
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
e2e_on_exit q_desktop_off

q_require() {
    [ -n "$Q_UIDRIVER" ] || { e2e_fail "uidriver.exe is not built"; return 1; }
    [ -f "$E2E_WORK/Quillon.exe" ] || { e2e_fail "Quillon.exe is not built"; return 1; }
}

q_find_main() { Q_MAIN=$(ui find "$E2E_MAIN_CLASS" "$E2E_MAIN_TITLE") && [ -n "$Q_MAIN" ]; }

q_start() {
    q_require || return 1
    e2e_wine Quillon.exe "$@"
    Q_PID=$E2E_LAST_PID
    Q_MAIN=""
    Q_DIALOG=""
    wait_for 30 q_find_main || { e2e_fail "Quillon's main window never appeared"; return 1; }
}

q_find_dialog() { Q_DIALOG=$(ui findvisible '#32770' "$1") && [ -n "$Q_DIALOG" ]; }
q_dialog() {
    local title=${1:-$EnabledTitle}
    wait_for 20 q_find_dialog "$title" || { e2e_fail "no main dialog titled \"$title\""; return 1; }
}
q_no_dialog() {
    ! ui findvisible '#32770' "$EnabledTitle" >/dev/null && ! ui findvisible '#32770' "$DisabledTitle" >/dev/null
}

q_find_box() { Q_BOX=$(ui findvisible '#32770' "$1") && [ -n "$Q_BOX" ]; }
q_box() { wait_for "${2:-20}" q_find_box "$1" || { e2e_fail "no message box \"$1\""; return 1; }; }
q_box_text() { ui text "$Q_BOX" 65535; }
q_answer() { ui click "$Q_BOX" "$1"; }

# Sets Q_CODE (never in a subshell: only this shell can wait for its children).
q_wait_exit() {
    Q_CODE=timeout
    wait_gone "${1:-20}" "$Q_PID" || return 1
    wait "$Q_PID"
    Q_CODE=$?
}

q_autorun() {
    wine reg query "$RunKey" /v QuillonStarup 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *QuillonStarup *REG_SZ *//p'
}
q_clear_autorun() { wine reg delete "$RunKey" /v QuillonStarup /f >/dev/null 2>&1; return 0; }

q_rows() { ui rows "$Q_DIALOG" 1016; }
q_rows_are() { [ "$(q_rows)" = "$1" ]; }

q_records() {
    local size
    size=$(stat -c %s "$1" 2>/dev/null) || { echo missing; return; }
    if [ $((size % 3257)) -ne 0 ]; then
        echo "broken($size)"
    else
        echo $((size / 3257))
    fi
}
q_records_are() { [ "$(q_records "$1")" = "$2" ]; }

q_checked_is() { [ "$(ui checked "$1" "$2")" = "$3" ]; }
q_enabled_is() { [ "$(ui enabled "$1" "$2")" = "$3" ]; }
q_title_is() { [ "$(ui text "$1")" = "$2" ]; }
q_tray_is() { [ "$(ui trayhas "$Q_MAIN")" = "$1" ]; }

# The tray menu at the pointer: right click, then pick the item at POSITION
# (1 = first, "last") with the keyboard.
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
    [ -n "$bottom" ] || return 1
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

q_regedit on
