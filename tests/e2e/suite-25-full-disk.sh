# A full disk, as a 1 MB tmpfs over the data folder: a todo typed while it is full stays in
# memory and the failure is told; a SIGTERM (what a logout sends) while the disk is still full
# does not end the program silently but asks, and once room has come back the todo is written
# as the program ends. Needs root for the mount; skipped without it. The small disk is a data
# folder of its own, not the one the other suites share, so that nothing they write can meet
# what it leaves, even where it can't be unmounted.

full_home="$W/full-disk-data"
full_data="$full_home/Vemra"
mkdir -p "$full_data"
if [ "$(id -u)" -ne 0 ] || ! mount -t tmpfs -o size=1m,mode=0700 vemra-full "$full_data" 2>/dev/null; then
    echo "SKIP: a small tmpfs can't be mounted here"
else
    full_row_count() { sqlite3 "$full_data/Todos.store" "SELECT count(*) FROM todo WHERE title = '$1';" 2>/dev/null; }
    log_says() { grep -q "$1" "$W/vemra.log"; }

    XDG_DATA_HOME="$full_home" start_vemra
    check "the panel opens over the small disk" wait_until 15 panel_on_tab todos
    sleep 0.3
    dd if=/dev/zero of="$full_data/filler" bs=16k >/dev/null 2>&1
    xdotool type --delay 30 "Kept through a full disk"
    xdotool key Return
    check "a save to the full disk fails and is told" wait_until 10 log_says "database or disk is full"
    check "nothing of it reached the file" test "$(full_row_count "Kept through a full disk")" = 0
    sleep 0.5
    xdotool key Return # dismisses the alert
    sleep 0.3

    kill -TERM "$VEMRA_PID"
    sleep 1.5
    check "a SIGTERM with the disk still full asks instead of quitting" vemra_running
    screenshot full-disk-quit-alert
    rm -f "$full_data/filler"
    xdotool key Return # Try Again
    wait_for_exit() { ! vemra_running; }
    check "Try Again with room on the disk ends the program" wait_until 10 wait_for_exit
    check "the todo typed while the disk was full is in the file" test "$(full_row_count "Kept through a full disk")" = 1
    stop_vemra
    umount "$full_data" || umount -l "$full_data" || echo "e2e: could not unmount $full_data"
fi
