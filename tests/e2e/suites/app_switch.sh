#!/bin/bash
# Quillon.exe's remapping switch from the tray menu and the main dialog, the
# tray icon's clicks, session changes and a restarted shell.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"
q_shell_desktop

# Whether the main dialog shows the switch ON (1) or off (0).
q_dialog_shows() {
    local on=$1 title=$DisabledTitle
    [ "$on" = 1 ] && title=$EnabledTitle
    q_title_is "$Q_DIALOG" "$title" && q_checked_is "$Q_DIALOG" 1017 "$on" &&
        q_checked_is "$Q_DIALOG" 1018 $((1 - on)) && q_enabled_is "$Q_DIALOG" 1019 "$on"
}
# Waits until the dialog and the tray icon show the switch ON (1) or off (0).
q_shows_switch() {
    local colour=red
    [ "$1" = 1 ] && colour=green
    wait_for 10 q_dialog_shows "$1" || { e2e_fail "the dialog does not show the switch at $1"; return 1; }
    wait_for 10 q_tray_colour "$colour" || { e2e_fail "the tray does not show the $colour icon"; return 1; }
}

# Gives the recorder the focus (a menu or dialog may have taken it), taps A
# and waits until the recorder has it (whatever it became).
q_tap_a() { e2e_focus_recorder && e2e_keys tap a && e2e_sync; }

case_tray_switch() {
    e2e_case "the tray menu's Disable lets keys through, Enable restores the mapping; the dialog follows"
    e2e_mapping 'A change B' && q_start && q_dialog && e2e_start_recorder && q_tap_a || return
    e2e_typed_is b || { e2e_fail "while on, A gave '$(e2e_typed)'"; return; }
    q_tray_colour green || { e2e_fail "the tray does not show the enabled icon"; return; }
    q_tray_menu || return
    e2e_screenshot tray-menu-on
    q_menu_pick first && q_shows_switch 0 && q_tap_a || return
    e2e_typed_is ba || { e2e_fail "while off, A gave '$(e2e_typed)'"; return; }
    q_tray_menu || return
    e2e_screenshot tray-menu-off
    q_menu_pick first && q_shows_switch 1 && q_tap_a || return
    e2e_typed_is bab || { e2e_fail "after Enable, A gave '$(e2e_typed)'"; return; }
    e2e_pass
}

case_dialog_radios() {
    e2e_case "the dialog's radio buttons switch remapping; other buttons keep Add disabled while off"
    e2e_mapping 'A change B' && q_start && q_dialog || return
    ui click "$Q_DIALOG" 1018
    q_shows_switch 0 || return
    # Any other command runs the common tail, which keeps 1019 following the
    # hook; sent, it has been handled when the send returns.
    ui send "$Q_DIALOG" 273 1032 0 >/dev/null || { e2e_fail "Edit did not return"; return; }
    q_enabled_is "$Q_DIALOG" 1019 0 || { e2e_fail "Edit enabled Add while off"; return; }
    ui click "$Q_DIALOG" 1017
    q_shows_switch 1 && e2e_start_recorder && q_tap_a || return
    e2e_typed_is b || { e2e_fail "after switching on, A gave '$(e2e_typed)'"; return; }
    e2e_pass
}

case_focus_leaves_unchecked_radio() {
    e2e_case "Application Enabled clicked, Disable from the tray, the dialog clicked: the focus is on Application Disabled, remapping stays off"
    q_start && q_dialog || return
    local left top right bottom
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG" 1017)"
    e2e_xdotool mousemove $((left + 6)) $(((top + bottom) / 2)) click 1
    wait_for 10 q_focus_is "$Q_DIALOG" 1017 || { e2e_fail "the click left the focus on $(ui focus "$Q_DIALOG")"; return; }
    q_tray_menu && q_menu_pick first || return
    wait_for 10 q_dialog_shows 0 || { e2e_fail "Disable did not switch off"; return; }
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG")"
    e2e_xdotool mousemove $((left + 60)) $((top + 8)) click 1
    wait_for 10 q_focus_is "$Q_DIALOG" 1018 || { e2e_fail "the focus is on $(ui focus "$Q_DIALOG")"; return; }
    # A radio that clicks itself does so as it gets the focus, in that handler.
    q_settled "$Q_DIALOG" && q_dialog_shows 0 || { e2e_fail "remapping switched itself back on"; return; }
    # Opened while off, too.
    ui click "$Q_DIALOG" 1022
    wait_for 10 q_no_dialog || { e2e_fail "Hide did not end the dialog"; return; }
    ui tray "$Q_MAIN" 514
    q_dialog "$DisabledTitle" || return
    wait_for 10 q_focus_is "$Q_DIALOG" 1018 || { e2e_fail "opened while off, the focus is on $(ui focus "$Q_DIALOG")"; return; }
    e2e_pass
}

# A hook in front that passes no event on to the hooks after it: to
# Quillon, as if the system had dropped its hook.
q_cut_hook() { e2e_start_hookhost --no-library --cut; }
# Session unlock (689, 8) and resume (536, 18), sent as Windows sends them:
# Quillon has handled each when the send returns.
q_unlock() { ui send "$Q_MAIN" 689 8 1 >/dev/null || { e2e_fail "the unlock was not handled"; return 1; }; }
q_resume() { ui send "$Q_MAIN" 536 18 0 >/dev/null || { e2e_fail "the resume was not handled"; return 1; }; }
q_switch() { ui send "$Q_MAIN" 273 "$1" 0 >/dev/null || { e2e_fail "command $1 was not handled"; return 1; }; }
q_installs_above() { [ "$(q_hook_installs)" -gt "$1" ]; }

case_hook_reinstalled() {
    e2e_case "unlock, resume and keys that raw input shows the hook missed install it again, each press acting once; while off nothing is installed"
    e2e_mapping 'A change B' && q_start /background && e2e_start_recorder || return
    q_unlock && q_resume && q_tap_a || return
    local installs
    installs=$(q_hook_installs)
    q_switch 1018 && q_unlock && q_resume && q_tap_a || return
    [ "$(q_hook_installs)" = "$installs" ] || { e2e_fail "a hook was installed while off"; return; }
    q_switch 1017 || return
    q_cut_hook && q_unlock && q_tap_a || return
    q_cut_hook && q_resume && q_tap_a || return
    # Raw input: the first A after the cut passes unmapped, its two events missed.
    installs=$(q_hook_installs)
    q_cut_hook && q_tap_a || return
    wait_for 20 q_installs_above "$installs" || { e2e_fail "the keys the hook missed did not install it again"; return; }
    q_tap_a || return
    e2e_typed_is babbab || { e2e_fail "A typed '$(e2e_typed)', not b (on), a (off), b, b, a, b"; return; }
    e2e_pass
}

q_dialog_count() { ui list | grep -cF "#32770 \"$EnabledTitle\" 1"; }
q_dialog_count_is() { [ "$(q_dialog_count)" = "$1" ]; }

case_tray_left_click() {
    e2e_case "a left click on the tray icon opens the dialog, or raises the open one"
    q_start /background || return
    q_dialog_count_is 0 || { e2e_fail "a dialog is open after /background"; return; }
    ui tray "$Q_MAIN" 514
    q_dialog || return
    # Another click and Define Mapping while it is open, sent: a second
    # dialog would keep the send from returning.
    ui send "$Q_MAIN" 1025 110 514 >/dev/null && q_switch 32771 || return
    q_dialog_count_is 1 || { e2e_fail "$(q_dialog_count) dialogs are open"; return; }
    ui click "$Q_DIALOG" 1022
    wait_for 10 q_dialog_count_is 0 || { e2e_fail "Hide did not close the dialog"; return; }
    ui post "$Q_MAIN" 273 32771 0
    q_dialog || return
    e2e_pass
}

case_session_change() {
    e2e_case "a session change makes the library forget held keys"
    e2e_mapping 'T+Left.Ctrl text "Z"' && q_start /background && e2e_start_recorder || return
    # Without a session change left Ctrl + T types Z.
    e2e_keys down Control_L tap t up Control_L || return
    wait_for 10 e2e_typed_is Z || { e2e_fail "left Ctrl + T typed '$(e2e_typed)'"; return; }
    e2e_sync || return
    local tees
    tees=$(e2e_count '^WM_KEYDOWN vk=84 ')
    # Wine never sends one itself (session lock, 7); handled when the send returns.
    e2e_keys down Control_L && e2e_sync || return
    ui send "$Q_MAIN" 689 7 1 >/dev/null || { e2e_fail "the session change was not handled"; return; }
    e2e_keys tap t up Control_L && e2e_sync || return
    # Ctrl + T reaches the window as the control character 0x14; only one Z.
    [ "$(e2e_typed | tr -cd Z)" = Z ] || { e2e_fail "the combination still matched: typed '$(e2e_typed)'"; return; }
    [ "$(e2e_count '^WM_KEYDOWN vk=84 ')" -gt "$tees" ] || { e2e_fail "T did not pass on"; return; }
    e2e_pass
}

case_taskbar_created() {
    e2e_case "a TaskbarCreated broadcast brings the tray icon back in its current state"
    q_start /background || return
    wait_for 10 q_tray_colour green || { e2e_fail "no enabled tray icon at start"; return; }
    ui post "$Q_MAIN" 273 1018 0
    wait_for 10 q_tray_colour red || { e2e_fail "Disable did not change the tray icon"; return; }
    # What a crashed shell leaves: no icon at all.
    ui traydelete "$Q_MAIN" || { e2e_fail "could not remove the icon"; return; }
    wait_for 10 q_tray_is 0 || { e2e_fail "the icon is still there"; return; }
    q_tray_colour red && { e2e_fail "the icon is still shown"; return; }
    ui broadcast TaskbarCreated
    wait_for 10 q_tray_is 1 || { e2e_fail "the icon did not come back"; return; }
    wait_for 10 q_tray_colour red || { e2e_fail "the icon came back, but not as disabled"; return; }
    q_tray_colour green && { e2e_fail "the enabled icon came back"; return; }
    e2e_screenshot tray-after-restart
    ui post "$Q_MAIN" 273 1017 0
    wait_for 10 q_tray_colour green || { e2e_fail "Enable did not change the restored icon"; return; }
    e2e_pass
}

case_tray_switch
case_dialog_radios
case_tray_left_click
case_session_change
case_taskbar_created
case_focus_leaves_unchecked_radio
case_hook_reinstalled
