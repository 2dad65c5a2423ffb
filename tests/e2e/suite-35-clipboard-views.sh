# The clipboard tab: entries copied in other applications are found by typing, copied back from
# the keyboard without being recorded again, previewed, deleted one at a time and cleared by
# period, with their side files.

VIEWS_FOLDER="$XDG_DATA_HOME/Vemra/Clipboard"
VIEWS_DB="$VIEWS_FOLDER/Clipboard.store"
views_sql() { sqlite3 -readonly "$VIEWS_DB" "$1" 2>/dev/null; }
views_count() { views_sql "SELECT count(*) FROM clipboard_item WHERE content = '$1'"; }
views_recorded() { [ "$(views_count "$1")" = 1 ]; }
views_gone() { [ "$(views_count "$1")" = 0 ]; }
# xclip serves the selection until another copy takes it.
views_copy() {
    printf '%s' "$2" | xclip -selection clipboard -t "$1" -quiet >/dev/null 2>&1 &
    PIDS+=($!)
}
views_clipboard_is() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
# Milliseconds since the epoch at the start of today, as the store keeps its times.
views_today() { echo $(($(date -d "$(date +%F)" +%s) * 1000)); }
views_today_count() { views_sql "SELECT count(*) FROM clipboard_item WHERE last_copied_at >= $(views_today)"; }
views_today_files() {
    local path n=0
    for path in $(views_sql "SELECT coalesce(image_path, '') || ' ' || coalesce(thumbnail_path, '') FROM clipboard_item WHERE last_copied_at >= $(views_today)"); do
        [ -e "$VIEWS_FOLDER/$path" ] && n=$((n + 1))
    done
    echo "$n"
}

views_open_panel() {
    local ix iy iw ih
    panel_shown && return 0
    read -r ix iy iw ih <<<"$(tray_icon_geometry)"
    [ -n "$ih" ] || return 1
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
    wait_until 5 panel_shown || return 1
    sleep 0.3
    xdotool key ctrl+2
    wait_until 5 panel_on_tab clipboard
    sleep 0.3
}
# views_click_panel DX DY: a click at DX, DY from the panel's lower right corner.
views_click_panel() {
    local w px py pw ph
    w=$(panel_window) || return 1
    read -r px py pw ph <<<"$(window_geometry "$w")"
    xdotool mousemove $((px + pw - $1)) $((py + ph - $2)) click 1
}

start_vemra --login-item
wait_until 15 tray_icon_window
wait_until 10 test -s "$VIEWS_DB"

views_copy text/plain "views-alpha apple"
wait_until 5 views_recorded "views-alpha apple"
views_copy text/plain "views-beta banana"
wait_until 5 views_recorded "views-beta banana"
views_copy text/plain "https://example.com/views-link"
wait_until 5 views_recorded "https://example.com/views-link"
printf 'file:///etc/hosts\r\n' | xclip -selection clipboard -t text/uri-list -quiet >/dev/null 2>&1 &
PIDS+=($!)
wait_until 5 sh -c "sqlite3 -readonly '$VIEWS_DB' \"SELECT count(*) FROM clipboard_item WHERE (SELECT name FROM clipboard_name WHERE code = kind_code) = 'file' AND content = '/etc/hosts'\" | grep -qx 1"
convert -size 160x100 gradient:orange-purple "$W/views-picture.png" 2>/dev/null
xclip -selection clipboard -t image/png -i "$W/views-picture.png" -quiet >/dev/null 2>&1 &
PIDS+=($!)
views_picture() { views_sql "SELECT count(*) FROM clipboard_item WHERE (SELECT name FROM clipboard_name WHERE code = kind_code) = 'image' AND pixel_width = 160 AND pixel_height = 100" | grep -qx 1; }
wait_until 5 views_picture
views_copy text/plain "views-gamma cherry"
check "three texts copied with xclip are recorded" wait_until 5 views_recorded "views-gamma cherry"

check "Ctrl+2 opens the panel's clipboard tab" views_open_panel
sleep 0.5
screenshot clipboard-views-panel

# Typing narrows the list; Down selects its first row and Return copies it back and closes.
rows_before=$(views_sql "SELECT count(*) FROM clipboard_item")
xdotool type --delay 40 "views-b"
sleep 0.4
screenshot clipboard-views-search
xdotool key Down
sleep 0.2
xdotool key Return
check "Down and Return copy the entry the search narrowed to" wait_until 5 views_clipboard_is "views-beta banana"
check "Return in the panel closes it" wait_until 5 panel_hidden
sleep 1
check "the copy-back is not recorded as a new entry" test "$(views_sql "SELECT count(*) FROM clipboard_item")" = "$rows_before"
check "the copy-back counts one more copy of the entry" test "$(views_sql "SELECT copy_count FROM clipboard_item WHERE content = 'views-beta banana'")" = 2

# Space previews the selected row; the preview takes no Delete, Escape goes back to the list,
# where Delete removes the row from the database. The copied-back entry is the newest now.
views_open_panel
xdotool key Down
sleep 0.2
xdotool key space
sleep 0.5
xdotool key Delete
sleep 0.5
check "Space opens the preview, which leaves Delete alone" views_recorded "views-beta banana"
screenshot clipboard-views-preview
xdotool key Escape
sleep 0.4
xdotool key Delete
check "after Escape closes the preview, Delete removes the entry from the database" wait_until 5 views_gone "views-beta banana"

# The preview of a picture, for a look.
xdotool key Escape
xdotool type --delay 40 "image"
sleep 0.3
xdotool key Down space
sleep 0.8
screenshot clipboard-views-image-preview
xdotool key Escape Escape Escape
sleep 0.3

# The window's clipboard tab, for a look: Ctrl+O from the panel's clipboard footer.
views_open_panel
xdotool key ctrl+o
sleep 1.2
screenshot clipboard-views-window
xdotool key Escape
sleep 0.3

# "Clear History" → "Today" → "Delete" empties today's entries with their side files.
views_open_panel
check "today holds entries with side files before the clearing" test "$(views_today_files)" -gt 0
views_click_panel 123 19
sleep 0.5
xdotool key Down Return
sleep 0.5
screenshot clipboard-views-clear
views_click_panel 40 19
check "Clear History, Today, Delete empties today's entries in the database" wait_until 5 test "$(views_today_count)" = 0
check "and removes their side files" wait_until 5 test "$(views_today_files)" = 0
views_side_files() { find "$VIEWS_FOLDER/Images" "$VIEWS_FOLDER/Thumbnails" -type f -newer "$W/views-picture.png" 2>/dev/null | wc -l; }
check "no picture copied today is left in the side-file folders" wait_until 5 test "$(views_side_files)" = 0
stop_vemra
