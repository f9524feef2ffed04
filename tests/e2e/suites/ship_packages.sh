#!/bin/bash
# The downloads (cmake --build --preset cross --target package): the files'
# version resources, the portable zip, and the per-user installer and its
# uninstaller, run silently.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"
q_shell_desktop
# No menu entries on the host for the installer's shortcut.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

Version=$E2E_VERSION
Setup=$QUILLON_CROSS_BUILD/packages/Quillon-$Version-win64-setup.exe
Zip=$QUILLON_CROSS_BUILD/packages/Quillon-$Version-win64.zip
UninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
winenv() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unixpath() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
WinInst="$(winenv LOCALAPPDATA)\\Programs\\Quillon"
Inst=$(unixpath "$WinInst")
Shortcut=$(unixpath "$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Quillon.lnk")

pk_clean() { [ -n "$Inst" ] && rm -rf "$Inst" "$Shortcut"; wine reg delete "$UninstallKey" /f >/dev/null 2>&1; q_clear_autorun; }
e2e_on_exit pk_clean
pk_entry() { wine reg query "$UninstallKey" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }

# Runs a package's program to its end; fails unless it ends with 0.
pk_run() {
    e2e_wine "$@"
    wait_gone 120 "$E2E_LAST_PID" && wait "$E2E_LAST_PID" || { e2e_fail "$* failed ($?)"; return 1; }
}
pk_start() { q_launch "$1" /background && q_wait_main 60; }

case_versions_and_zip() {
    e2e_case "the zip holds exactly its four files in Quillon-$Version/, each carrying version $Version, and runs unpacked"
    local file out top=Quillon-$Version
    out=$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$Zip")
    [ "$out" = "$top/ $top/Quillhook.dll $top/Quillon.exe $top/README.txt $top/quillmap.exe" ] ||
        { e2e_fail "the zip holds: $out"; return; }
    python3 -m zipfile -e "$Zip" "$E2E_WORK/portable" || { e2e_fail "the zip does not unpack"; return; }
    for file in Quillon.exe Quillhook.dll quillmap.exe; do
        out=$(ui version "$(e2e_winpath "$E2E_WORK/portable/$top/$file")" | tr '\n' ' ')
        [[ $out == "fixed $Version.0 $Version.0 translation 0409 04e4 ProductName=Quillon ProductVersion=$Version FileVersion=$Version FileDescription=Quillon "*" OriginalFilename=$file " ]] ||
            { e2e_fail "$file's version resource: $out"; return; }
    done
    pk_start "$E2E_WORK/portable/$top" && e2e_pass
}

case_install_and_start() {
    e2e_case "a silent install puts files, shortcut and uninstall entry in place; Quillon starts there and acts"
    pk_clean
    pk_run "$Setup" /S || return
    cmp "$Inst/Quillon.exe" "$E2E_WORK/Quillon.exe" && cmp "$Inst/Quillhook.dll" "$E2E_WORK/Quillhook.dll" &&
        cmp "$Inst/quillmap.exe" "$(e2e_binary quillmap.exe)" && [ -f "$Inst/README.txt" ] &&
        [ -f "$Inst/Uninstall.exe" ] || { e2e_fail "files: $(ls "$Inst")"; return; }
    grep -qaF "$WinInst\\Quillon.exe" "$Shortcut" || { e2e_fail "no Start-menu shortcut to Quillon.exe"; return; }
    [ "$(pk_entry DisplayName)|$(pk_entry DisplayVersion)|$(pk_entry DisplayIcon)|$(pk_entry UninstallString)" = \
        "Quillon|$Version|$WinInst\\Quillon.exe,0|\"$WinInst\\Uninstall.exe\"" ] && [ -n "$(pk_entry Publisher)" ] &&
        [ $(($(pk_entry EstimatedSize))) -gt 0 ] || { e2e_fail "uninstall entry: $(wine reg query "$UninstallKey")"; return; }
    e2e_mapping 'A change B' && cp "$E2E_WORK/mapping.mp" "$Inst/" || { e2e_fail "no mapping.mp"; return; }
    pk_start "$Inst" && e2e_start_recorder || return
    e2e_key_gives a b || { e2e_fail "A was not changed into B: '$(e2e_typed)'"; return; }
    q_autorun_is "$WinInst\\Quillon.exe  /background" || { e2e_fail "autorun value: $(q_autorun)"; return; }
    e2e_pass
}

# The Quillon of $1 in the tray; the recorder keeps the tray's desktop once it has gone.
pk_start_in_tray() { pk_start "$1" && e2e_start_recorder && wait_for 10 q_tray_is 1; }
# Asked to end, it ended as its Exit does (0, tray icon removed), not forced (9).
pk_ended_gently() {
    q_wait_exit && [ "$Q_CODE" = 0 ] && q_tray_is 0 ||
        { e2e_fail "Quillon: exit code $Q_CODE, tray icon $(ui trayhas "$Q_MAIN")"; return 1; }
}

case_reinstall() {
    e2e_case "installing over a running Quillon ends it gently, replaces the files and keeps mapping.mp"
    pk_start_in_tray "$Inst" || { e2e_fail "no Quillon in the tray"; return; }
    cp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before"
    touch -d 2001-01-01 "$Inst/Quillon.exe" "$Inst/Quillhook.dll" "$Inst/quillmap.exe"
    # The B that Quillon holds down for a held A is let go when it ends.
    e2e_keys down a && wait_for 10 e2e_got '^WM_KEYDOWN vk=66 ' && pk_run "$Setup" /S && pk_ended_gently &&
        wait_for 10 e2e_got '^WM_KEYUP vk=66 '
    local held=$?
    e2e_keys up a
    [ "$held" = 0 ] || { e2e_fail "A held: B was not pressed, or not let go as Quillon ended"; return; }
    [ "$(find "$Inst" -type f -iname 'Quill*' -newermt 2002-01-01 | wc -l)" = 3 ] || { e2e_fail "files not replaced"; return; }
    cmp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before" || { e2e_fail "mapping.mp changed"; return; }
    e2e_pass
}

pk_removed() { [ -z "$(ls "$Inst"/{Quillon.exe,Quillhook.dll,quillmap.exe,README.txt,Uninstall.exe} "$Shortcut" 2>/dev/null)$(pk_entry DisplayName)" ]; }
case_uninstall() {
    e2e_case "a silent uninstall ends Quillon gently, removes it and its autorun value and keeps the key combinations"
    pk_start_in_tray "$Inst" && wait_for 10 q_autorun_set || { e2e_fail "no Quillon in the tray with its autorun value"; return; }
    cp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before"
    echo damaged >"$Inst/mapping.mp.bad"
    # It goes on from a copy of itself in the temporary folder.
    pk_run "$Inst/Uninstall.exe" /S || return
    wait_for 60 pk_removed || { e2e_fail "left behind: $(ls "$Inst" "$Shortcut")"; return; }
    pk_ended_gently || return
    [ -z "$(q_autorun)" ] || { e2e_fail "autorun '$(q_autorun)' is left"; return; }
    cmp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before" && [ -f "$Inst/mapping.mp.bad" ] ||
        { e2e_fail "the key combinations were not kept"; return; }
    e2e_pass
}

case_versions_and_zip
case_install_and_start
case_reinstall
case_uninstall
