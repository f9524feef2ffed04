#!/bin/bash
# Faults the real Quillon.exe meets with its "mapping.mp" (missing, empty,
# damaged, too long, removed or overwritten while running, held open by another
# program, write-protected, a disk that fills up in the middle of a save, a
# folder named outside the code page) and a flooded typing queue. For
# each: the message it calls for, the library going on with the table it
# holds, and no combination that was saved before lost.
# A read-only folder cannot be had here: the suites run as root, which Unix
# permissions do not stop, and Wine follows them; the native tests cover it.
# Codes: 65 A, 66 B, 67 C, 69 E, 70 F, 84 T, 162 left Ctrl.
set -u

# A tmpfs left mounted by a killed run would stop the harness clearing its dirs.
hard_unmount_all() {
    local root=$1 mounts
    mounts=$(awk -v root="$root" 'index($2, root) == 1 { print $2 }' /proc/mounts 2>/dev/null)
    [ -n "$mounts" ] && printf '%s\n' "$mounts" | sort -r | while read -r m; do umount -l "$m" 2>/dev/null; done
    return 0
}
hard_cross=$(cd "${QUILLON_CROSS_BUILD:-$(dirname "$0")/../../../build/cross}" 2>/dev/null && pwd)
[ -n "$hard_cross" ] && hard_unmount_all "$hard_cross/e2e-work/hard_faults/"

. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../uidriver/quillon.sh"
q_shell_desktop

CorruptText="The key combiantions data stored on disk appears to be corrupt! Will ingore it."
TooManyText='The key combinations file holds more than 300 combinations. Only the first 300 were loaded. The whole file will be kept as "mapping.mp.bad" beside the program when the combinations are next saved.'
UnreadableText='The key combinations file "mapping.mp" is there but cannot be read now: another program may be holding it. The combinations in it are kept and nothing is overwritten. Quillon reads the file again when the main window opens and before it saves a change.'
WriteFailedText="There was a problem attempting to Write the combinations to the Disk. You changes can not be saved. Maybe the file is write protected?"

# A changes into B, C is blocked: both can be seen at the recorder.
GoodMapping='A change B
C block'

Record=3257

# The good mapping still acts: A gives b, C gives nothing, X is passed.
q_good_table_acts() {
    e2e_key_gives a b || { e2e_fail "$1: A does not give b (typed '$(e2e_typed)')"; return 1; }
    e2e_key_gives c "" || { e2e_fail "$1: C is not blocked (typed '$(e2e_typed)')"; return 1; }
    e2e_key_gives x x || { e2e_fail "$1: X did not pass (typed '$(e2e_typed)')"; return 1; }
}
q_no_table_acts() {
    e2e_key_gives a a && e2e_key_gives c c || { e2e_fail "$1: a key acts with no table (typed '$(e2e_typed)')"; return 1; }
}

# No message box of Quillon, shown or about to be: asked once Quillon has
# finished what it was doing (a box exists before its own loop answers).
q_no_box() { q_settled && ! q_exists WARNING && ! q_exists "Error..."; }
# A box with CAPTION other than OLD (two boxes of one caption in a row).
q_find_other_box() { q_find Q_BOX "$1" && [ "$Q_BOX" != "$2" ]; }
q_other_box() { wait_for 20 q_find_other_box "$1" "$2" || { e2e_fail "no second \"$1\" box"; return 1; }; }

q_delete_nothing() { q_delete_rows ""; }
q_missing() { [ ! -e "$1" ]; }
# A save swaps a new file in: it has another inode.
q_inode() { stat -c %i "$E2E_WORK/mapping.mp" 2>/dev/null; }
q_inode_not() { [ "$(q_inode)" != "$1" ]; }

# A click into Quillon's windows leaves the X focus on them, where the
# recorder cannot take it back: a new recorder window gets it.
q_new_recorder() {
    local window
    window=$(ui find QuillonE2ERecorder -)
    if ! { [ -n "$window" ] && ui post "$window" 16 0 0 && wait_gone 10 "$E2E_RECORDER_PID"; }; then
        # Only the harness's own window: one that does not go is killed.
        e2e_log "  the recorder (window '$window') did not close on WM_CLOSE: killed"
        { kill -9 "$E2E_RECORDER_PID"; wait "$E2E_RECORDER_PID"; } 2>/dev/null
    fi
    e2e_start_recorder
}
# After a save: no message box (and, unless told, no mapping.mp.bad); with
# WHAT, a new recorder and the good table acting.
q_clean_save() {
    q_no_box || { e2e_fail "the save showed a message box"; return 1; }
    [ "${2:-}" = with-bad ] || q_missing "$E2E_WORK/mapping.mp.bad" || { e2e_fail "a mapping.mp.bad appeared"; return 1; }
    [ -z "${1:-}" ] || { q_new_recorder && q_good_table_acts "$1"; }
}
# Waits until mapping.mp is the same as FILE.
q_saved_as() { wait_for 10 q_same "$1" "$E2E_WORK/mapping.mp" || { e2e_fail "the save did not write $2"; return 1; }; }

case_missing() {
    e2e_case "no mapping.mp: nothing is shown, nothing acts, a save creates an empty file"
    rm -f "$E2E_WORK/mapping.mp"
    q_start && q_dialog || return
    q_no_box || { e2e_fail "a message box opened"; return; }
    q_rows_are "" || { e2e_fail "rows without a file: $(q_rows)"; return; }
    e2e_start_recorder && q_no_table_acts "without a file" && q_delete_nothing || return
    wait_for 10 q_records_are 0 || { e2e_fail "the save left $(q_records)"; return; }
    q_clean_save && q_new_recorder && q_no_table_acts "after the save" || return
    e2e_pass
}

case_empty() {
    e2e_case "mapping.mp of 0 bytes: an empty table with no message; a save keeps 0 bytes"
    : >"$E2E_WORK/mapping.mp"
    local inode
    inode=$(q_inode)
    q_start && q_dialog || return
    q_no_box || { e2e_fail "a message box opened"; return; }
    q_rows_are "" || { e2e_fail "rows of an empty file: $(q_rows)"; return; }
    e2e_start_recorder && q_no_table_acts "with an empty file" && q_delete_nothing || return
    wait_for 10 q_inode_not "$inode" || { e2e_fail "no save replaced the file"; return; }
    q_records_are 0 || { e2e_fail "the save left $(q_records)"; return; }
    q_clean_save && e2e_pass
}

case_odd_size() {
    e2e_case "mapping.mp of two records and 100 bytes: WARNING from library and dialog, file kept, saved aside as .bad unless write-protected"
    e2e_mapping "$GoodMapping" || return
    head -c 100 /dev/urandom >>"$E2E_WORK/mapping.mp"
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/damaged.mp"
    # The library warns while it starts, before the main window exists.
    q_launch "" && q_box WARNING 30 && q_box_says "$CorruptText" || return
    local first=$Q_BOX
    q_box_ok && q_wait_main || return
    # The dialog's own load warns again.
    q_other_box WARNING "$first" && q_box_says "$CorruptText" && q_box_ok && q_dialog || return
    q_rows_are "" || { e2e_fail "rows of a damaged file: $(q_rows)"; return; }
    q_same "$E2E_CASE_DIR/damaged.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "the warning changed the file"; return; }
    e2e_start_recorder && q_no_table_acts "with a damaged file" || return
    # Write-protected, it is neither kept aside nor replaced.
    chmod a-w "$E2E_WORK/mapping.mp"
    q_delete_nothing && q_box "Error..." && q_box_ok || return
    q_same "$E2E_CASE_DIR/damaged.mp" "$E2E_WORK/mapping.mp" && q_missing "$E2E_WORK/mapping.mp.bad" ||
        { e2e_fail "the write-protected file was moved or changed"; return; }
    chmod u+w "$E2E_WORK/mapping.mp"
    # The save keeps the damaged file whole beside the new, empty one.
    q_delete_nothing || return
    wait_for 10 q_same "$E2E_CASE_DIR/damaged.mp" "$E2E_WORK/mapping.mp.bad" ||
        { e2e_fail "mapping.mp.bad is not the damaged file"; return; }
    wait_for 10 q_records_are 0 || { e2e_fail "the new file holds $(q_records)"; return; }
    q_no_box || { e2e_fail "the save showed a message box"; return; }
    e2e_pass
}

case_too_many() {
    e2e_case "301 records: the library warns once, the first 300 act, a save keeps the whole file as .bad"
    {
        echo 'A change B'
        local i
        for i in $(seq 2 300); do echo 'C block'; done
    } | e2e_mapping || return
    # Record 301 is beyond the table: E must stay E. Import refuses more than
    # 300, so it is appended by hand.
    e2e_mapping_file "$E2E_CASE_DIR/record301.mp" 'E change F' || return
    cat "$E2E_CASE_DIR/record301.mp" >>"$E2E_WORK/mapping.mp"
    q_records_are 301 || { e2e_fail "the file holds $(q_records)"; return; }
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/long.mp"
    q_launch "" && q_box WARNING 30 && q_box_says "$TooManyText" && q_box_ok && q_wait_main || return
    ui tray "$Q_MAIN" 514
    q_dialog || return
    q_no_box || { e2e_fail "the dialog warned again"; return; }
    [ "$(q_row_count)" = 300 ] || { e2e_fail "the dialog lists $(q_row_count) rows"; return; }
    e2e_start_recorder && q_good_table_acts "301 records" || return
    e2e_key_gives e e || { e2e_fail "record 301 acts: E gave '$(e2e_typed)'"; return; }
    q_delete_nothing || return
    wait_for 10 q_same "$E2E_CASE_DIR/long.mp" "$E2E_WORK/mapping.mp.bad" ||
        { e2e_fail "mapping.mp.bad is not the whole 301-record file"; return; }
    wait_for 10 q_records_are 300 || { e2e_fail "the new file holds $(q_records)"; return; }
    cmp -s -n $((300 * Record)) "$E2E_CASE_DIR/long.mp" "$E2E_WORK/mapping.mp" ||
        { e2e_fail "the new file is not the first 300 records"; return; }
    # The reload after the save finds 300 records: no warning.
    q_clean_save "after the save" with-bad && e2e_pass
}

case_removed_while_running() {
    e2e_case "mapping.mp removed while running in the background: the library keeps acting, the dialog lists it, a save writes it whole again"
    e2e_mapping "$GoodMapping" || return
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/good.mp"
    q_start /background && e2e_start_recorder && q_good_table_acts "at start" || return
    rm -f "$E2E_WORK/mapping.mp"
    q_good_table_acts "with the file gone" || return
    ui tray "$Q_MAIN" 514
    q_dialog || return
    [ "$(q_row_count)" = 2 ] || { e2e_fail "the dialog lists $(q_row_count) rows, not the two loaded at start"; return; }
    q_delete_nothing && q_saved_as "$E2E_CASE_DIR/good.mp" "the two records back" || return
    q_clean_save "after the save" && e2e_pass
}

case_garbage_while_running() {
    e2e_case "mapping.mp overwritten with garbage while running: the dialog warns, the table holds, a save keeps the garbage as .bad"
    e2e_mapping "$GoodMapping" || return
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/good.mp"
    q_start && q_dialog && e2e_start_recorder && q_good_table_acts "at start" || return
    head -c 5000 /dev/urandom >"$E2E_CASE_DIR/garbage.mp"
    cp "$E2E_CASE_DIR/garbage.mp" "$E2E_WORK/mapping.mp"
    q_good_table_acts "with garbage on disk" || return
    # Reopening the dialog loads the file again.
    ui click "$Q_DIALOG" 1022
    q_closed "$EnabledTitle" || return
    ui tray "$Q_MAIN" 514
    q_box WARNING && q_box_says "$CorruptText" && q_box_ok && q_dialog || return
    [ "$(q_row_count)" = 2 ] || { e2e_fail "the dialog lists $(q_row_count) rows, not the table's two"; return; }
    q_same "$E2E_CASE_DIR/garbage.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "the warning changed the file"; return; }
    q_new_recorder && q_good_table_acts "after the warning" || return
    q_delete_nothing && q_saved_as "$E2E_CASE_DIR/good.mp" "the two records" || return
    q_same "$E2E_CASE_DIR/garbage.mp" "$E2E_WORK/mapping.mp.bad" || { e2e_fail "mapping.mp.bad is not the garbage"; return; }
    q_clean_save "after the save" with-bad && e2e_pass
}

case_read_only() {
    e2e_case "write-protected mapping.mp: a delete says Error..., the file and the library stay as they were"
    e2e_mapping "$GoodMapping" || return
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/good.mp"
    chmod a-w "$E2E_WORK/mapping.mp"
    q_start && q_dialog && e2e_start_recorder && q_good_table_acts "at start" || return
    # Deleting the BlockKey row is a real change that cannot be saved.
    q_delete_rows 1 || return
    q_box "Error..." && q_box_says "$WriteFailedText" && q_box_ok || return
    q_same "$E2E_CASE_DIR/good.mp" "$E2E_WORK/mapping.mp" || { e2e_fail "the protected file changed"; return; }
    q_missing "$E2E_WORK/mapping.mp.tmp" || { e2e_fail "mapping.mp.tmp was left behind"; return; }
    # No reload: C is still blocked.
    q_new_recorder && q_good_table_acts "after the failed save" || return
    # Writable again, the next save writes the program's table whole.
    chmod u+w "$E2E_WORK/mapping.mp"
    e2e_mapping_file "$E2E_CASE_DIR/expected.mp" "${GoodMapping%%$'\n'*}" || return
    q_delete_nothing && q_saved_as "$E2E_CASE_DIR/expected.mp" "the one record left" || return
    q_no_box || { e2e_fail "a box opened after the second save"; return; }
    q_new_recorder || return
    e2e_key_gives c c || { e2e_fail "the deleted C still acts after the save (typed '$(e2e_typed)')"; return; }
    e2e_key_gives a b || { e2e_fail "A does not give b after the save"; return; }
    e2e_pass
}

HardMounts=()
hard_unmount() {
    local m
    for m in "${HardMounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
    HardMounts=()
}
e2e_on_exit hard_unmount

disk_free() { df -B1 --output=avail "$1" | tail -n 1 | tr -d ' '; }

case_disk_full() {
    e2e_case "a disk that fills up half-way through a save: Error..., the old file whole, the library as it was"
    local folder=$E2E_WORKROOT/tmpfs-program
    mkdir -p "$folder"
    mount -t tmpfs -o size=4m tmpfs "$folder" 2>"$E2E_CASE_DIR/mount.err" ||
        { e2e_skip "tmpfs cannot be mounted ($(cat "$E2E_CASE_DIR/mount.err"))"; return; }
    HardMounts+=("$folder")
    cp "$E2E_WORK/Quillon.exe" "$E2E_WORK/Quillhook.dll" "$folder/"
    {
        echo 'A change B'
        echo 'C block'
        local i
        for i in $(seq 3 40); do echo "#$((70 + i % 10))+Left.Ctrl text \"record $i\""; done
    } | e2e_mapping_file "$folder/mapping.mp" || return
    cp "$folder/mapping.mp" "$E2E_CASE_DIR/good.mp"
    # Leave room for about half the file: the temporary copy runs out of space.
    local free room=$((20 * Record))
    free=$(disk_free "$folder")
    [ "$free" -gt "$room" ] || { e2e_fail "the tmpfs has only $free bytes free"; return; }
    dd if=/dev/zero of="$folder/filler" bs=4096 count=$(((free - room) / 4096)) 2>/dev/null
    free=$(disk_free "$folder")
    e2e_log "  free on the program's disk: $free bytes for a file of $(stat -c %s "$folder/mapping.mp")"
    [ "$free" -lt $((40 * Record)) ] && [ "$free" -gt 0 ] || { e2e_fail "could not fill the disk ($free free)"; return; }
    q_launch "$folder" && q_wait_main || return
    ui tray "$Q_MAIN" 514
    q_dialog || return
    [ "$(q_row_count)" = 40 ] || { e2e_fail "the dialog lists $(q_row_count) rows"; return; }
    e2e_start_recorder && q_good_table_acts "at start" || return
    q_delete_rows 1 || return
    q_box "Error..." && q_box_says "$WriteFailedText" && q_box_ok || return
    q_same "$E2E_CASE_DIR/good.mp" "$folder/mapping.mp" || { e2e_fail "the file changed: $(q_records "$folder/mapping.mp")"; return; }
    q_missing "$folder/mapping.mp.tmp" || { e2e_fail "the half-written mapping.mp.tmp was left behind"; return; }
    q_new_recorder && q_good_table_acts "after the failed save" || return
    # With room again the next save writes the 39 records whole.
    rm -f "$folder/filler"
    q_delete_nothing || return
    wait_for 10 q_records_are 39 "$folder/mapping.mp" ||
        { e2e_fail "the second save left $(q_records "$folder/mapping.mp")"; return; }
    cmp -s -n "$Record" "$E2E_CASE_DIR/good.mp" "$folder/mapping.mp" &&
        cmp -s -i $((2 * Record)):"$Record" "$E2E_CASE_DIR/good.mp" "$folder/mapping.mp" ||
        { e2e_fail "the second save is not the table without record 2"; return; }
    q_no_box || { e2e_fail "a box opened after the second save"; return; }
    q_new_recorder || return
    e2e_key_gives c c || { e2e_fail "the deleted C still acts after the save"; return; }
    e2e_pass
}

# The typer holds at most 12 waiting texts. T and then Y are held down with
# left Ctrl, for 2 and 4 seconds: the server's auto-repeat presses them far
# faster than a text of 600 characters is typed, and some Y texts find room
# as the T texts are typed. A logging hook in front of
# Quillon's counts the presses.
texts_begun() { e2e_typed | tr -cd '[' | wc -c; }
texts_begun_above() { [ "$(texts_begun)" -gt "$1" ]; }
typed_to_the_end() { [[ $(e2e_typed) == *"[end]" ]]; }

case_typing_flood() {
    e2e_case "T held with Ctrl for 2 s, then Y for 4 s: every queued text is typed whole and in order, the rest dropped"
    local filler1="the quick brown fox jumps over the lazy dog " filler2="pack my box with five dozen liquor jugs " i
    local text1="[one:" text2="[two:"
    for i in $(seq 14); do text1="$text1$filler1"; text2="$text2$filler2"; done
    text1="$text1]"
    text2="$text2]"
    e2e_mapping "T+Left.Ctrl text \"$text1\"
Y+Left.Ctrl text \"$text2\"
F9 text \"[end]\"" || return
    q_start /background && e2e_start_hookhost --no-library && e2e_start_recorder || return
    # -d holds each key in the server: auto-repeat does the pressing.
    e2e_keys down Control_L down t && e2e_keys -d 2000 up t && e2e_keys down y && e2e_keys -d 4000 up y &&
        e2e_keys up Control_L || return
    # Every press has been through Quillon's hook once the logging hook in
    # front of it has the release of Ctrl.
    wait_for 30 e2e_hook_saw '^hook vk=162 .*up=1 injected=0' || { e2e_fail "left Ctrl's release never came"; return; }
    # The second text begun from now on was taken from the queue after the
    # last press: from then the queue has room. A text queued then (F9,
    # swallowed whole, changes nothing of what is typed) comes after every
    # text of the flood.
    local begun
    begun=$(texts_begun)
    wait_for 240 texts_begun_above $((begun + 1)) || { e2e_fail "the typing stopped after $(texts_begun) texts"; return; }
    e2e_keys tap F9 || return
    wait_for 240 typed_to_the_end || { e2e_fail "the typing never ended"; return; }
    local presses
    presses=$(awk '$4 == "up=0" && $5 == "injected=0" && ($2 == "vk=84" || $2 == "vk=89") { printf "%s", ($2 == "vk=84" ? "t" : "y") }' \
        "$E2E_CASE_DIR/hook.log")
    local typed rest got=""
    typed=$(e2e_typed)
    printf '%s' "$typed" >"$E2E_CASE_DIR/typed.txt"
    # Cut the typed text into whole texts; anything else is a broken text.
    rest=${typed%"[end]"}
    while [ -n "$rest" ]; do
        case "$rest" in
        "$text1"*) got="${got}t"; rest=${rest#"$text1"} ;;
        "$text2"*) got="${got}y"; rest=${rest#"$text2"} ;;
        *) e2e_fail "a broken text at '${rest:0:40}' after ${#got} whole ones (typed.txt)"; return ;;
        esac
    done
    local pressed_t=${presses//y/} pressed_y=${presses//t/} got_t=${got//y/} got_y=${got//t/}
    local dropped=$((${#presses} - ${#got}))
    e2e_log "  flood: ${#presses} presses (${#pressed_t} T, ${#pressed_y} Y), ${#got} texts typed whole (${#got_t} T, ${#got_y} Y), $dropped dropped"
    echo "flood: ${#presses} presses (${#pressed_t} T, ${#pressed_y} Y), ${#got} texts typed whole (${#got_t} T, ${#got_y} Y), $dropped dropped"
    # In order: every T text before every Y text, as pressed.
    [ "$got" = "$got_t$got_y" ] || { e2e_fail "texts out of order: $got"; return; }
    [ "${#got_t}" -le "${#pressed_t}" ] && [ "${#got_y}" -le "${#pressed_y}" ] ||
        { e2e_fail "more texts than presses: $got for $presses"; return; }
    [ "${#got_t}" -ge 12 ] || { e2e_fail "only ${#got_t} T texts: the queue holds 12"; return; }
    [ "${#got_y}" -ge 1 ] || { e2e_fail "no Y text, though the queue emptied while Y was held"; return; }
    [ "$dropped" -gt 0 ] || { e2e_fail "nothing was dropped: the flood did not fill the queue"; return; }
    e2e_pid_alive "$Q_PID" || { e2e_fail "Quillon.exe ended"; return; }
    q_find_main || { e2e_fail "Quillon's main window is gone"; return; }
    # The queue is free again: one more press types its text.
    e2e_keys down Control_L tap y up Control_L || return
    # Left Ctrl may still be held when the typer lets it go towards the
    # system: the release and the text go out in one piece, so no character
    # comes with Ctrl.
    after_flood_typed() { e2e_typed_is "$typed$text2"; }
    wait_for 30 after_flood_typed || { e2e_fail "a press after the flood typed '$(e2e_typed | tail -c 40)'"; return; }
    e2e_pass
}

case_held_at_startup() {
    e2e_case "mapping.mp held open by another program at start-up: said once, a save can replace nothing (Error...), let go the next save takes it in whole"
    e2e_mapping "$GoodMapping" || return
    cp "$E2E_WORK/mapping.mp" "$E2E_CASE_DIR/good.mp"
    q_hold "$E2E_WORK/mapping.mp" || return
    q_launch "" && q_box WARNING 30 && q_box_says "$UnreadableText" && q_box_ok && q_wait_main && q_dialog || return
    q_no_box || { e2e_fail "the held file was said again when the dialog opened"; return; }
    q_rows_are "" || { e2e_fail "rows of a file that could not be read: $(q_rows)"; return; }
    e2e_start_recorder && q_no_table_acts "with the file held" || return
    # Held sharing nothing, it can neither be read nor kept aside: the save fails.
    q_delete_nothing && q_box "Error..." && q_box_says "$WriteFailedText" && q_box_ok || return
    q_same "$E2E_CASE_DIR/good.mp" "$E2E_WORK/mapping.mp" && q_missing "$E2E_WORK/mapping.mp.bad" ||
        { e2e_fail "the held file was changed or moved"; return; }
    q_let_go || return
    # The save reads the file first: its records become the table, the library's too.
    q_delete_nothing || return
    wait_for 10 q_row_count_is 2 || { e2e_fail "the dialog lists $(q_row_count) rows after the file was let go"; return; }
    q_saved_as "$E2E_CASE_DIR/good.mp" "the two records it read" || return
    q_clean_save "after the file was let go" && e2e_pass
}

case_folder_outside_code_page() {
    local folder="$E2E_WORKROOT/Łódź Zażółć"
    e2e_case "a folder named with letters outside the ANSI code page: the combinations load, act and save, the autorun value names the program"
    mkdir -p "$folder"
    cp "$E2E_WORK/Quillon.exe" "$E2E_WORK/Quillhook.dll" "$folder/"
    e2e_mapping_file "$folder/mapping.mp" "$GoodMapping" || return
    q_clear_autorun
    q_launch "$folder" && q_wait_main && q_dialog || return
    q_row_count_is 2 || { e2e_fail "the dialog lists $(q_row_count) rows"; return; }
    e2e_start_recorder && q_good_table_acts "in the folder" || return
    # Deleting the BlockKey row saves beside the program; the library follows.
    q_delete_rows 1 || return
    wait_for 10 q_records_are 1 "$folder/mapping.mp" || { e2e_fail "the save left $(q_records "$folder/mapping.mp")"; return; }
    q_clean_save && q_new_recorder || return
    e2e_key_gives c c || { e2e_fail "the deleted C still acts (typed '$(e2e_typed)')"; return; }
    wait_for 10 q_autorun_is "\"$(e2e_winpath "$folder/Quillon.exe")\"  /background" ||
        { e2e_fail "autorun value: '$(q_autorun)'"; return; }
    e2e_pass
}

case_missing
case_empty
case_odd_size
case_too_many
case_removed_while_running
case_garbage_while_running
case_held_at_startup
case_read_only
case_disk_full
case_folder_outside_code_page
case_typing_flood
