# Export and import through the Data pane: todos and copies go out through the real file
# dialog, come back into a fresh data folder with the same contents after the confirmation,
# and importing the same file again adds nothing.

transfer_window() {
    xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^(General|Clipboard|Focus|Data|About)$' 2>/dev/null | head -1
}
transfer_on_data() {
    local w
    w=$(transfer_window)
    [ -n "$w" ] && [ "$(xdotool getwindowname "$w")" = Data ]
}
# transfer_click DX DY: DX from the window's right edge (negative) or "c+N" from its centre, DY
# from the top of its client area, measured with xwininfo.
transfer_click() {
    local w x y width cx
    w=$(transfer_window)
    [ -n "$w" ] || return 1
    read -r x y width <<<"$(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {print x, y, $NF}')"
    case $1 in
    c*) cx=$((x + width / 2 + ${1#c})) ;;
    *) cx=$((x + width + $1)) ;;
    esac
    xdotool mousemove "$cx" $((y + $2)) click 1
}
# A dialog of ours: a window named "Vemra" that is not the panel (file dialog or alert).
transfer_dialog() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^Vemra$' 2>/dev/null); do
        xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"panel"' || { echo "$w"; return 0; }
    done
    return 1
}
transfer_no_dialog() { ! transfer_dialog >/dev/null; }
# transfer_choose BUTTON_Y: clicks the Data pane's button on that row and gives the file dialog
# the export's path.
transfer_choose() {
    transfer_click -68 "$1"
    wait_until 5 transfer_dialog || return 1
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 10 "$transfer_file"
    xdotool key Return
}
transfer_open_data() {
    xdotool key ctrl+comma
    wait_until 5 transfer_window && sleep 0.5 && transfer_click c+69 30 && wait_until 5 transfer_on_data
}
# What the two databases hold, in whole seconds (the file keeps no fractions), without the
# todos' positions, which an import renumbers below the todos already there.
transfer_rows() {
    sqlite3 "$1/Vemra/Todos.store" "SELECT id, title, is_completed, created_at / 1000, updated_at / 1000,
        completed_at / 1000, day FROM todo ORDER BY id"
    sqlite3 "$1/Vemra/Clipboard/Clipboard.store" "SELECT id, (SELECT name FROM clipboard_name WHERE code = kind_code), content, content_hash, created_at / 1000,
        last_copied_at / 1000, copy_count, (SELECT name FROM clipboard_name WHERE code = mime_code), (SELECT name FROM clipboard_name WHERE code = app_name_code), (SELECT name FROM clipboard_name WHERE code = app_id_code) FROM clipboard_item ORDER BY id"
}
transfer_same() { diff <(transfer_rows "$XDG_DATA_HOME" 2>&1) <(transfer_rows "$transfer_fresh" 2>&1) >/dev/null; }
transfer_recorded() {
    [ "$(sqlite3 "$XDG_DATA_HOME/Vemra/Clipboard/Clipboard.store" \
        "SELECT count(*) FROM clipboard_item WHERE content = '$1'" 2>/dev/null)" = 1 ]
}

transfer_file="$HOME/transfer export.json"
transfer_fresh="$W/transfer-fresh"
import_y=158
rm -f "$transfer_file"
rm -rf "$transfer_fresh"

start_vemra
check "the panel opens at launch" wait_until 15 panel_on_tab todos
sleep 0.3
for title in "Carried / over" "Zoë’s “list”"; do
    xdotool type --delay 20 "$title"
    xdotool key Return
    sleep 0.3
done
for copy in "transfer copy one" "https://example.org/transfer"; do
    printf '%s' "$copy" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
    PIDS+=($!)
    check "\"$copy\" is recorded" wait_until 5 transfer_recorded "$copy"
done
wait_until 5 panel_on_tab todos
check "the Data pane opens" transfer_open_data
transfer_choose 104
check "Export… writes the file the dialog names" wait_until 10 test -s "$transfer_file"
check "the export holds the todos and the copies" sh -c "grep -q '\"title\" : \"Carried / over\"' '$transfer_file' &&
    grep -q '\"content\" : \"transfer copy one\"' '$transfer_file'"
stop_vemra

# A fresh data folder, the same settings.
mkdir -p "$transfer_fresh"
XDG_DATA_HOME="$transfer_fresh" start_vemra
check "the panel opens with no todos" wait_until 15 panel_on_tab todos
sleep 0.3
if check "the Data pane opens again" transfer_open_data; then
    transfer_choose $import_y
    check "the import asks first" wait_until 10 transfer_dialog
    sleep 0.5
    screenshot transfer-confirmation
    xdotool key Return
    check "the fresh folder holds what was exported" wait_until 10 transfer_same

    before=$(transfer_rows "$transfer_fresh" | md5sum)
    transfer_choose $import_y
    check "a second import says there is nothing new" wait_until 10 transfer_dialog
    sleep 0.5
    screenshot transfer-nothing-new
    xdotool key Return
    check "the alert closes" wait_until 5 transfer_no_dialog
    check "a second import adds nothing" [ "$(transfer_rows "$transfer_fresh" | md5sum)" = "$before" ]
fi
