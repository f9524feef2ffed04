#!/bin/bash
# LaunchApplication and GoToUrl: the library opens the payload through the
# shell on the key-up of the combination. Codes: 71 G, 76 L, 162 left Ctrl.
set -u
. "$(dirname "$0")/../lib.sh"

# The text form takes backslashes doubled.
mapping_text() { local text=$1; printf '%s' "${text//\\/\\\\}"; }
marker_exists() { [ -s "$E2E_WORK/marker-ran.txt" ]; }

case_launch_on_key_up() {
    e2e_case "LaunchApplication left Ctrl+L starts marker.exe on the key-up"
    local target
    target=$(e2e_winpath "$E2E_WORK/marker.exe")
    e2e_mapping <<<"L+Left.Ctrl launch \"$(mapping_text "$target")\"" ||
        { e2e_fail "quillmap import failed"; return; }
    e2e_start_hookhost || return
    e2e_start_recorder || return
    e2e_keys down Control_L down l || { e2e_fail "xkeys failed"; return; }
    e2e_sync || { e2e_fail "the sync key never arrived"; return; }
    marker_exists && { e2e_fail "marker.exe started on the key-down"; return; }
    e2e_keys up l up Control_L || { e2e_fail "xkeys failed"; return; }
    wait_for 20 marker_exists || { e2e_fail "marker.exe never ran ($target)"; return; }
    e2e_got ' vk=76 ' && { e2e_fail "the L of the combination reached the window"; return; }
    e2e_pass
}

browser_logged() { grep -qxF -- "$1" "$E2E_CASE_DIR/browser.log" 2>/dev/null; }

case_url_reaches_browser() {
    e2e_case "GoToUrl left Ctrl+G hands the address to the browser"
    local url="http://example.com/quillon-e2e?key=ctrl-g&side=left"
    local browser=$E2E_CASE_DIR/browser.sh
    printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done >>"%s"\n' "$E2E_CASE_DIR/browser.log" >"$browser"
    chmod +x "$browser"
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$browser" /f \
        >"$E2E_CASE_DIR/reg.out" 2>&1 || { e2e_fail "wine reg add failed: $(cat "$E2E_CASE_DIR/reg.out")"; return; }
    e2e_mapping <<<"G+Left.Ctrl url \"$url\"" || { e2e_fail "quillmap import failed"; return; }
    e2e_start_hookhost || return
    e2e_start_recorder || return
    e2e_keys down Control_L tap g up Control_L || { e2e_fail "xkeys failed"; return; }
    wait_for 30 browser_logged "$url" ||
        { e2e_fail "the browser never got $url (log: $(cat "$E2E_CASE_DIR/browser.log" 2>/dev/null))"; return; }
    e2e_got ' vk=71 ' && { e2e_fail "the G of the combination reached the window"; return; }
    e2e_pass
}

case_launch_on_key_up
case_url_reaches_browser
