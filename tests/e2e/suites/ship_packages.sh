#!/bin/bash
# The downloads: the version resources of the built files, the portable zip,
# and the per-user installer with its uninstaller, run silently as a user would
# from a script (build them first: cmake --build --preset cross --target package).
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"

# No menu entries of the host for the shortcut the installer makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

Version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$QUILLON_CROSS_BUILD/CMakeCache.txt")
Packages=$QUILLON_CROSS_BUILD/packages
Setup=$Packages/Quillon-$Version-win64-setup.exe
Zip=$Packages/Quillon-$Version-win64.zip
UninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'

winenv() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unixpath() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
WinInst="$(winenv LOCALAPPDATA)\\Programs\\Quillon"
Inst=$(unixpath "$WinInst")
Shortcut=$(unixpath "$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Quillon.lnk")

pk_clean() {
    [ -n "$Inst" ] && rm -rf "$Inst"
    [ -n "$Shortcut" ] && rm -f "$Shortcut"
    wine reg delete "$UninstallKey" /f >/dev/null 2>&1
    q_clear_autorun
}
e2e_on_exit pk_clean

pk_entry() {
    wine reg query "$UninstallKey" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}

# Runs a package program under Wine and waits for its exit code.
pk_run() {
    e2e_wine "$@"
    local pid=$E2E_LAST_PID
    wait_gone 120 "$pid" || { e2e_fail "$(basename "$1") did not end"; return 1; }
    wait "$pid" || { e2e_fail "$(basename "$1") ended with $?"; return 1; }
}

pk_start_installed() {
    e2e_wine "$Inst/Quillon.exe" /background
    Q_PID=$E2E_LAST_PID
    wait_for 60 q_find_main || { e2e_fail "the installed Quillon never started"; return 1; }
}

case_versions() {
    e2e_case "Quillon.exe and Quillhook.dll carry version $Version"
    [ -n "$Version" ] || { e2e_fail "no project version in the cross build's cache"; return; }
    local file description out
    for file in Quillon.exe:"Quillon key remapper" Quillhook.dll:"Quillon keyboard hook library"; do
        description=${file#*:}
        file=${file%%:*}
        out=$(ui version "$(e2e_winpath "$E2E_WORK/$file")") || { e2e_fail "$file has no version resource"; return; }
        [ "$out" = "fixed $Version.0 $Version.0
translation 0409 04e4
ProductName=Quillon
ProductVersion=$Version
FileVersion=$Version
FileDescription=$description
OriginalFilename=$file" ] || { e2e_fail "$file: $out"; return; }
    done
    e2e_pass
}

case_zip() {
    e2e_case "the zip holds exactly its three files and runs where it is unpacked"
    [ -f "$Zip" ] || { e2e_fail "no $Zip: build the packages first"; return; }
    local names
    names=$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$Zip")
    [ "$names" = "Quillhook.dll Quillon.exe README.txt" ] || { e2e_fail "the zip holds: $names"; return; }
    python3 -m zipfile -e "$Zip" "$E2E_WORK/portable" || { e2e_fail "the zip does not unpack"; return; }
    e2e_wine "$E2E_WORK/portable/Quillon.exe" /background
    wait_for 60 q_find_main || { e2e_fail "the unpacked Quillon never started"; return; }
    e2e_pass
}

case_install() {
    e2e_case "a silent install puts the files, the shortcut and the uninstall entry in place"
    [ -f "$Setup" ] || { e2e_fail "no $Setup: build the packages first"; return; }
    pk_clean
    pk_run "$Setup" /S || return
    local file
    for file in Quillon.exe Quillhook.dll; do
        cmp -s "$Inst/$file" "$E2E_WORK/$file" || { e2e_fail "$file is not the built one in $Inst"; return; }
    done
    [ -f "$Inst/README.txt" ] && [ -f "$Inst/Uninstall.exe" ] || { e2e_fail "no read-me or uninstaller"; return; }
    grep -qaF "$WinInst\\Quillon.exe" "$Shortcut" || { e2e_fail "no Start-menu shortcut to Quillon.exe"; return; }
    [ "$(pk_entry DisplayName)" = Quillon ] && [ "$(pk_entry DisplayVersion)" = "$Version" ] &&
        [ -n "$(pk_entry Publisher)" ] && [ "$(pk_entry DisplayIcon)" = "$WinInst\\Quillon.exe,0" ] &&
        [ "$(pk_entry UninstallString)" = "\"$WinInst\\Uninstall.exe\"" ] &&
        [ $(($(pk_entry EstimatedSize))) -gt 0 ] ||
        { e2e_fail "uninstall entry: $(wine reg query "$UninstallKey" 2>&1 | tr -d '\r')"; return; }
    e2e_pass
}

case_start_installed() {
    e2e_case "the installed Quillon starts from its folder and a mapped key acts"
    echo 'keys=65 action=ChangeKey target=66' | e2e_mapping || { e2e_fail "mkmapping failed"; return; }
    cp "$E2E_WORK/mapping.mp" "$Inst/" || { e2e_fail "Quillon is not installed"; return; }
    pk_start_installed || return
    e2e_start_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }
    e2e_typed_is b || { e2e_fail "A was not changed into B: typed '$(e2e_typed)'"; return; }
    [ "$(q_autorun)" = "$WinInst\\Quillon.exe  /background" ] || { e2e_fail "autorun value: $(q_autorun)"; return; }
    e2e_pass
}

case_reinstall() {
    e2e_case "installing over a running Quillon ends it, replaces the files and keeps mapping.mp"
    pk_start_installed || return
    cp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before" || { e2e_fail "no mapping.mp"; return; }
    touch -d 2001-01-01 "$Inst/Quillon.exe" "$Inst/Quillhook.dll"
    pk_run "$Setup" /S || return
    wait_gone 10 "$Q_PID" || { e2e_fail "Quillon still runs"; return; }
    q_no_dialog && ! ui findvisible '#32770' "Autoload at start-up?" >/dev/null ||
        { e2e_fail "a question is open"; return; }
    [ "$(find "$Inst/Quillon.exe" "$Inst/Quillhook.dll" -newermt 2002-01-01 | wc -l)" = 2 ] ||
        { e2e_fail "the program files were not replaced"; return; }
    cmp -s "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before" || { e2e_fail "mapping.mp changed"; return; }
    e2e_pass
}

pk_removed() {
    [ ! -e "$Inst/Quillon.exe" ] && [ ! -e "$Inst/Quillhook.dll" ] && [ ! -e "$Inst/README.txt" ] &&
        [ ! -e "$Inst/Uninstall.exe" ] && [ ! -e "$Shortcut" ] &&
        ! wine reg query "$UninstallKey" >/dev/null 2>&1
}

case_uninstall() {
    e2e_case "a silent uninstall ends Quillon, removes it and keeps the key combinations"
    pk_start_installed || return
    wait_for 10 q_autorun_set || { e2e_fail "no autorun value to remove"; return; }
    cp "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before"
    echo damaged >"$Inst/mapping.mp.bad"
    # The uninstaller goes on from a copy of itself in the temporary folder.
    pk_run "$Inst/Uninstall.exe" /S || return
    wait_for 60 pk_removed || { e2e_fail "left behind: $(ls "$Inst") $(ls "$Shortcut" 2>/dev/null)"; return; }
    wait_gone 10 "$Q_PID" || { e2e_fail "Quillon still runs"; return; }
    [ -z "$(q_autorun)" ] || { e2e_fail "the autorun value is still there: $(q_autorun)"; return; }
    cmp -s "$Inst/mapping.mp" "$E2E_CASE_DIR/mapping.before" && [ -f "$Inst/mapping.mp.bad" ] ||
        { e2e_fail "the key combinations were not kept"; return; }
    e2e_pass
}
q_autorun_set() { [ -n "$(q_autorun)" ]; }

case_versions
case_zip
case_install
case_start_installed
case_reinstall
case_uninstall
