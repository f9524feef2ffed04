#!/bin/bash
# Quillon.exe's remapping switch from the tray menu and the main dialog, the
# tray icon's clicks, session changes and a restarted shell.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"

q_dialog_shows() {
    local state=$1 title=$2 enabled=$3 disabled=$4
    q_title_is "$Q_DIALOG" "$title" && q_checked_is "$Q_DIALOG" 1017 "$enabled" &&
        q_checked_is "$Q_DIALOG" 1018 "$disabled" && q_enabled_is "$Q_DIALOG" 1019 "$state"
}

# Gives the recorder the focus (a menu or dialog may have taken it), taps A
# and waits until the recorder has it (whatever it became).
q_tap_a() { e2e_focus_recorder && e2e_keys tap a && e2e_sync; }

case_tray_switch() {
    e2e_case "the tray menu's Disable lets keys through, Enable restores the mapping; the dialog follows"
    echo 'A change B' | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    q_start || return
    q_dialog || return
    e2e_start_recorder || return
    q_tap_a || { e2e_fail "the sync key never arrived"; return; }
    e2e_typed_is b || { e2e_fail "while on, A gave '$(e2e_typed)'"; return; }
    q_tray_colour green || { e2e_fail "the tray does not show the enabled icon"; return; }

    q_tray_menu || return
    e2e_screenshot tray-menu-on
    q_menu_pick first
    wait_for 10 q_dialog_shows 0 "$DisabledTitle" 0 1 ||
        { e2e_fail "the dialog does not show remapping off"; return; }
    wait_for 10 q_tray_colour red || { e2e_fail "the tray does not show the disabled icon"; return; }
    q_tap_a || { e2e_fail "the sync key never arrived while off"; return; }
    e2e_typed_is ba || { e2e_fail "while off, A gave '$(e2e_typed)'"; return; }

    q_tray_menu || return
    e2e_screenshot tray-menu-off
    q_menu_pick first
    wait_for 10 q_dialog_shows 1 "$EnabledTitle" 1 0 ||
        { e2e_fail "the dialog does not show remapping on again"; return; }
    wait_for 10 q_tray_colour green || { e2e_fail "the tray does not show the enabled icon again"; return; }
    q_tap_a || { e2e_fail "the sync key never arrived after Enable"; return; }
    e2e_typed_is bab || { e2e_fail "after Enable, A gave '$(e2e_typed)'"; return; }
    e2e_pass
}

case_dialog_radios() {
    e2e_case "the dialog's radio buttons switch remapping; other buttons keep Add disabled while off"
    echo 'A change B' | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    q_start || return
    q_dialog || return
    ui click "$Q_DIALOG" 1018
    wait_for 10 q_dialog_shows 0 "$DisabledTitle" 0 1 || { e2e_fail "Application Disabled did not switch off"; return; }
    wait_for 10 q_tray_colour red || { e2e_fail "the tray icon did not follow"; return; }
    # Any other command runs the common tail, which keeps 1019 following the hook.
    ui click "$Q_DIALOG" 1032
    ui send "$Q_DIALOG" 0 0 0 >/dev/null
    q_enabled_is "$Q_DIALOG" 1019 0 || { e2e_fail "Edit enabled Add while off"; return; }
    ui click "$Q_DIALOG" 1017
    wait_for 10 q_dialog_shows 1 "$EnabledTitle" 1 0 || { e2e_fail "Application Enabled did not switch on"; return; }
    e2e_start_recorder || return
    q_tap_a || { e2e_fail "the sync key never arrived"; return; }
    e2e_typed_is b || { e2e_fail "after switching on, A gave '$(e2e_typed)'"; return; }
    e2e_pass
}

q_focus_is() { [ "$(ui focus "$Q_DIALOG")" = "$1" ]; }

case_focus_leaves_unchecked_radio() {
    e2e_case "Application Enabled clicked, Disable from the tray, the dialog clicked: the focus is on Application Disabled, remapping stays off"
    q_start || return
    q_dialog || return
    local left top right bottom
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG" 1017)"
    e2e_xdotool mousemove $((left + 6)) $(((top + bottom) / 2)) click 1
    wait_for 10 q_focus_is 1017 || { e2e_fail "the click left the focus on $(ui focus "$Q_DIALOG")"; return; }
    q_tray_menu && q_menu_pick first || return
    wait_for 10 q_dialog_shows 0 "$DisabledTitle" 0 1 || { e2e_fail "Disable did not switch off"; return; }
    read -r left top right bottom <<<"$(ui rect "$Q_DIALOG")"
    e2e_xdotool mousemove $((left + 60)) $((top + 8)) click 1
    wait_for 10 q_focus_is 1018 || { e2e_fail "the focus is on $(ui focus "$Q_DIALOG")"; return; }
    ui send "$Q_DIALOG" 0 0 0 >/dev/null
    q_dialog_shows 0 "$DisabledTitle" 0 1 || { e2e_fail "remapping switched itself back on"; return; }
    # Opened while off, too.
    ui click "$Q_DIALOG" 1022
    wait_for 10 q_no_dialog && ui tray "$Q_MAIN" 514 && q_dialog "$DisabledTitle" || return
    wait_for 10 q_focus_is 1018 || { e2e_fail "opened while off, the focus is on $(ui focus "$Q_DIALOG")"; return; }
    e2e_pass
}

# A hook in front that passes no event on to the hooks after it: to
# Quillon, as if the system had dropped its hook.
q_cut_hook() { e2e_start_hookhost --no-library --cut; }
# Session unlock (689, 8) and resume (536, 18) as Windows sends them; the
# send returns once Quillon has handled the post.
q_unlock() { ui post "$Q_MAIN" 689 8 1 && ui send "$Q_MAIN" 0 0 0 >/dev/null; }
q_resume() { ui post "$Q_MAIN" 536 18 0 && ui send "$Q_MAIN" 0 0 0 >/dev/null; }
q_hook_back() {
    local before
    before=$(e2e_count '^WM_KEYDOWN vk=119 ')
    e2e_keys tap F9 && e2e_sync && e2e_count_above '^WM_KEYDOWN vk=119 ' "$before"
}

case_hook_reinstalled() {
    e2e_case "unlock, resume and keys that raw input shows the hook missed install it again, each press acting once; while off nothing is installed"
    printf 'A change B\nF9 change F8\n' | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    q_start /background || return
    e2e_start_recorder || return
    q_unlock && q_resume && q_tap_a || { e2e_fail "the sync key never arrived"; return; }
    ui post "$Q_MAIN" 273 1018 0
    q_unlock && q_resume && q_tap_a || { e2e_fail "the sync key never arrived while off"; return; }
    ui post "$Q_MAIN" 273 1017 0
    q_cut_hook && q_unlock && q_tap_a || { e2e_fail "no sync key after a cut and an unlock"; return; }
    q_cut_hook && q_resume && q_tap_a || { e2e_fail "no sync key after a cut and a resume"; return; }
    # Raw input: the first A after the cut passes unmapped, its two events
    # missed; once a press of F9 arrives as F8 the hook is back.
    q_cut_hook && q_tap_a && wait_for 10 q_hook_back && q_tap_a || { e2e_fail "no sync key after the last cut"; return; }
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
    ui tray "$Q_MAIN" 514
    ui post "$Q_MAIN" 273 32771 0 # Define Mapping while open: nothing
    ui send "$Q_MAIN" 0 0 0 >/dev/null
    q_dialog_count_is 1 || { e2e_fail "$(q_dialog_count) dialogs are open"; return; }
    ui click "$Q_DIALOG" 1022
    wait_for 10 q_dialog_count_is 0 || { e2e_fail "Hide did not close the dialog"; return; }
    ui post "$Q_MAIN" 273 32771 0
    q_dialog || return
    e2e_pass
}

case_session_change() {
    e2e_case "a session change makes the library forget held keys"
    echo 'T+Left.Ctrl text "Z"' | e2e_mapping || { e2e_fail "quillmap import failed"; return; }
    q_start /background || return
    e2e_start_recorder || return
    # Without a session change left Ctrl + T types Z.
    e2e_keys down Control_L tap t up Control_L || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is Z || { e2e_fail "left Ctrl + T typed '$(e2e_typed)'"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }

    local tees
    tees=$(e2e_count '^WM_KEYDOWN vk=84 ')
    e2e_keys down Control_L || { e2e_fail "xkeys failed"; return; }
    # Wine never sends one itself. The two sends after the post return only
    # once Quillon has taken its queue past the notification.
    ui post "$Q_MAIN" 689 7 1
    ui send "$Q_MAIN" 0 0 0 >/dev/null
    ui send "$Q_MAIN" 0 0 0 >/dev/null
    e2e_keys tap t up Control_L || { e2e_fail "xkeys failed"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }
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
