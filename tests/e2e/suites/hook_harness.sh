#!/bin/bash
# The ground the hook suites stand on: XTEST keys reach a low-level hook as
# physical (non-injected) events and then the focused recorder window, and a
# right-hand modifier sent with xkeys arrives as itself.
set -u
. "$(dirname "$0")/../lib.sh"

case_xtest_reaches_hook() {
    e2e_case "XTEST keys reach a WH_KEYBOARD_LL hook, then the focused window"
    e2e_start_hookhost --no-library || return
    e2e_start_recorder || return
    e2e_keys tap a || { e2e_fail "xkeys failed"; return; }
    wait_for 10 e2e_typed_is a || { e2e_fail "the recorder did not get 'a': $(e2e_typed)"; return; }
    grep -q '^hook vk=65 .*up=0 injected=0' "$E2E_CASE_DIR/hook.log" ||
        { e2e_fail "the hook did not see A down as a physical key"; return; }
    grep -q '^hook vk=65 .*up=1 injected=0' "$E2E_CASE_DIR/hook.log" ||
        { e2e_fail "the hook did not see A up as a physical key"; return; }
    e2e_pass
}

case_right_control_is_right() {
    e2e_case "xkeys sends right Ctrl alone, without the left one"
    e2e_start_hookhost --no-library || return
    e2e_start_recorder || return
    e2e_keys down Control_R tap a up Control_R || { e2e_fail "xkeys failed"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }
    grep -q '^hook vk=163 .*up=0 injected=0' "$E2E_CASE_DIR/hook.log" ||
        { e2e_fail "the hook never saw right Ctrl (163) down"; return; }
    if grep -q '^hook vk=162 ' "$E2E_CASE_DIR/hook.log"; then
        e2e_fail "left Ctrl (162) arrived too"
        return
    fi
    e2e_got '^WM_KEYDOWN vk=17 ext=1' || { e2e_fail "the window did not get an extended Ctrl"; return; }
    e2e_pass
}

case_xtest_reaches_hook
case_right_control_is_right
