#!/bin/bash
# LaunchApplication and GoToUrl: the library opens the payload through the
# shell on the key-up of the combination. Codes: 71 G, 75 K, 76 L, 162 left Ctrl.
set -u
. "$(dirname "$0")/../lib.sh"

marker_ran() { [ -s "$1/marker-ran.txt" ]; }

case_launch_on_key_up() {
    e2e_case "LaunchApplication left Ctrl+L starts the marker on the key-up"
    # K held with the combination launches a second marker: the launcher opens
    # in order, so once that one has run and no marker runs any more, a launch
    # on the key-down of L would have shown. (markerw.exe has no console, which
    # would take the focus from the recorder.)
    local target second=$E2E_WORK/second
    mkdir -p "$second" && cp "$E2E_WORK/markerw.exe" "$second/" || { e2e_fail "markerw.exe is not built"; return; }
    target=$(e2e_winpath "$E2E_WORK/markerw.exe")
    e2e_mapping "L+Left.Ctrl launch $(e2e_quoted "$target")
K+L+Left.Ctrl launch $(e2e_quoted "$(e2e_winpath "$second/markerw.exe")")" &&
        e2e_start_hookhost && e2e_start_recorder || return
    e2e_keys down Control_L down l tap k || return
    wait_for 20 marker_ran "$second" || { e2e_fail "the second marker never ran"; return; }
    wait_for 20 e2e_none_running markerw.exe || { e2e_fail "the marker did not end"; return; }
    marker_ran "$E2E_WORK" && { e2e_fail "the marker started on the key-down"; return; }
    e2e_keys up l up Control_L || return
    wait_for 20 marker_ran "$E2E_WORK" || { e2e_fail "the marker never ran ($target)"; return; }
    e2e_sync || return
    e2e_got ' vk=7[56] ' && { e2e_fail "a key of the combinations reached the window"; return; }
    e2e_pass
}

browser_logged() { grep -qxF -- "$1" "$E2E_BROWSER_LOG" 2>/dev/null; }

case_url_reaches_browser() {
    local url="http://example.com/quillon-e2e?key=ctrl-g&side=left"
    e2e_hook_case "GoToUrl left Ctrl+G hands the address to the browser" "G+Left.Ctrl url \"$url\"" &&
        e2e_fake_browser || return
    e2e_keys down Control_L tap g up Control_L || return
    wait_for 30 browser_logged "$url" ||
        { e2e_fail "the browser never got $url (log: $(cat "$E2E_BROWSER_LOG" 2>/dev/null))"; return; }
    e2e_sync || return
    e2e_got ' vk=71 ' && { e2e_fail "the G of the combination reached the window"; return; }
    e2e_pass
}

case_launch_on_key_up
case_url_reaches_browser
