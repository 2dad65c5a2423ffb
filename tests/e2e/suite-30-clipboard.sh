# Clipboard capture: copies made in other applications are recorded with their side files;
# a copy marked secret, one made while a password manager is in front and one made during a
# pause leave no trace.

CLIP_FOLDER="$XDG_DATA_HOME/Vemra/Clipboard"
CLIP_DB="$CLIP_FOLDER/Clipboard.store"
OFFER="$BUILD/tests/e2e/e2e_clipoffer"

# offer TYPE VALUE [TYPE VALUE ...]: another application's copy; its owner serves until the
# next copy takes the selection.
offer() {
    "$OFFER" "$@" >"$W/offer.out" 2>&1 &
    PIDS+=($!)
    wait_until 5 grep -q offered "$W/offer.out"
}

# sql QUERY: one value from the clipboard database (read-only; WAL changes included).
sql() { sqlite3 -readonly "$CLIP_DB" "$1" 2>/dev/null; }
recorded_text() { [ "$(sql "SELECT count(*) FROM clipboard_item WHERE content = '$1'")" = 1 ]; }
item_count() { sql "SELECT count(*) FROM clipboard_item"; }
# Waits past the capture, then tells whether the count is still $1.
count_stays() { sleep 1.5; [ "$(item_count)" = "$1" ]; }
# Waits past the capture, then tells whether the query still counts nothing.
count_stays_without() { sleep 1.5; [ "$(sql "$1")" = 0 ]; }
side_files() { find "$CLIP_FOLDER/Images" "$CLIP_FOLDER/Thumbnails" "$CLIP_FOLDER/Text" -type f 2>/dev/null | wc -l; }

offer text/plain "on the clipboard before launch"
start_vemra --login-item
wait_until 15 tray_icon_window
wait_until 10 test -s "$CLIP_DB"
check "what is on the clipboard at launch is not recorded" \
    count_stays_without "SELECT count(*) FROM clipboard_item WHERE content = 'on the clipboard before launch'"

printf 'copied with xclip' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
PIDS+=($!)
check "a text copy is recorded" wait_until 5 recorded_text "copied with xclip"

# Another program copying ten times a second, each copy held until the next: none is missed.
"$OFFER" --burst 30 100 "burst copy" >"$W/burst.out" 2>&1 &
PIDS+=($!)
burst_recorded() { [ "$(sql "SELECT count(*) FROM clipboard_item WHERE content LIKE 'burst copy %'")" = 30 ]; }
check "every copy of a burst of 30 at ten a second is recorded" wait_until 10 burst_recorded

convert -size 96x64 xc:orange "$W/picture.png" 2>/dev/null
xclip -selection clipboard -t image/png -i "$W/picture.png" -quiet >/dev/null 2>&1 &
PIDS+=($!)
image_recorded() {
    local row image thumbnail
    row=$(sql "SELECT pixel_width || 'x' || pixel_height || ' ' || (SELECT name FROM clipboard_name WHERE code = mime_code) || ' ' || image_path || ' ' || thumbnail_path
               FROM clipboard_item WHERE (SELECT name FROM clipboard_name WHERE code = kind_code) = 'image' ORDER BY last_copied_at DESC LIMIT 1")
    read -r size type image thumbnail <<<"$row"
    [ "$size" = 96x64 ] && [ "$type" = public.png ] && cmp -s "$CLIP_FOLDER/$image" "$W/picture.png" \
        && [ -s "$CLIP_FOLDER/$thumbnail" ]
}
check "an image copy is recorded with its image and thumbnail files" wait_until 5 image_recorded

printf 'file:///etc/hosts\r\nfile:///etc/passwd\r\n' | xclip -selection clipboard -t text/uri-list -quiet >/dev/null 2>&1 &
PIDS+=($!)
files_recorded() {
    [ "$(sql "SELECT count(*) FROM clipboard_item WHERE (SELECT name FROM clipboard_name WHERE code = kind_code) = 'file' AND content = '/etc/hosts' || char(10) || '/etc/passwd'")" = 1 ]
}
check "a copy of two files is recorded as a file list" wait_until 5 files_recorded

# A program that takes the clipboard and never answers for it, taking it again every 600 ms:
# the clipboard is read off the interface's thread with a time-out of 2 s per request, so the
# tray menu opens at once and the next real copy is recorded within the time-out and a margin.
# The figures are printed for comparison.
HANG="$BUILD/tests/e2e/e2e_cliphang"
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
below() { awk -v s="$1" -v limit="$2" 'BEGIN { exit !(s != "" && s < limit) }'; }
clip_menu_shown() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" 2>/dev/null); do
        xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"status-menu"' && return 0
    done
    return 1
}
"$HANG" 600 >"$W/hang.out" 2>&1 &
PIDS+=($!)
hang_pid=$!
if wait_until 5 grep -q taken "$W/hang.out" && wait_until 15 tray_icon_window; then
    sleep 2
    read -r ix iy iw ih <<<"$(tray_icon_geometry)"
    started=$(date +%s.%N)
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    menu_after=
    wait_until 15 clip_menu_shown && menu_after=$(since "$started")
    echo "MEASURE: the tray menu opened after ${menu_after:-more than 15}s beside an owner that never answers"
    check "beside an owner that never answers, the tray menu opens at once" below "$menu_after" 2
    xdotool key Escape
    sleep 0.5
    started=$(date +%s.%N)
    printf 'copied beside a silent owner' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
    PIDS+=($!)
    copy_after=
    wait_until 15 recorded_text "copied beside a silent owner" && copy_after=$(since "$started")
    echo "MEASURE: the next copy was recorded after ${copy_after:-more than 15}s beside an owner that never answers"
    check "beside an owner that never answers, the next copy is recorded within the time-out" below "$copy_after" 3

    # Ctrl+V in a text field asks the owner without waiting on it: what is typed after it, and
    # Return, go on at once (Qt's own paste waited seconds on such an owner).
    todo_past_paste() {
        [ "$(sqlite3 -readonly "$XDG_DATA_HOME/Vemra/Todos.store" \
            "SELECT count(*) FROM todo WHERE title LIKE 'typed %past a silent owner'" 2>/dev/null)" = 1 ]
    }
    xdotool key super+shift+t
    if wait_until 5 panel_on_tab todos; then
        sleep 0.3
        started=$(date +%s.%N)
        xdotool type --delay 20 "typed "
        xdotool key ctrl+v
        xdotool type --delay 20 "past a silent owner"
        xdotool key Return
        typed_after=
        wait_until 20 todo_past_paste && typed_after=$(since "$started")
        echo "MEASURE: a todo typed across Ctrl+V was stored after ${typed_after:-more than 20}s beside an owner that never answers"
        check "beside an owner that never answers, typing goes on across Ctrl+V" below "$typed_after" 3
        # The todo goes again: Down selects it, Delete deletes it.
        xdotool key Down Delete Escape
        no_todo_past_paste() { ! todo_past_paste; }
        check "the todo typed across Ctrl+V is deleted again" wait_until 5 no_todo_past_paste
        xdotool key Escape
        wait_until 5 panel_hidden
    else
        fail "the panel opened for typing beside an owner that never answers"
    fi
else
    fail "the silent clipboard owner did not take the clipboard"
fi
kill "$hang_pid" 2>/dev/null
wait "$hang_pid" 2>/dev/null
check "Vemra is still running after the silent owner" vemra_running

# A large picture comes in pieces (INCR) and is recorded whole.
head -c 3000000 /dev/urandom >"$W/noise.rgb"
convert -size 1000x1000 -depth 8 rgb:"$W/noise.rgb" "$W/large.png" 2>/dev/null
xclip -selection clipboard -t image/png -i "$W/large.png" -quiet >/dev/null 2>&1 &
PIDS+=($!)
large_recorded() {
    local image
    image=$(sql "SELECT image_path FROM clipboard_item WHERE (SELECT name FROM clipboard_name WHERE code = kind_code) = 'image' AND pixel_width = 1000 LIMIT 1")
    [ -n "$image" ] && cmp -s "$CLIP_FOLDER/$image" "$W/large.png"
}
check "a picture of 3 MB, sent in pieces, is recorded byte for byte" wait_until 10 large_recorded

before=$(item_count)
files_before=$(side_files)
offer text/plain "hunter2-secret-e2e" x-kde-passwordManagerHint secret
check "a copy marked secret is not recorded" count_stays "$before"
check "a copy marked secret leaves no side file" test "$(side_files)" = "$files_before"
no_trace() { ! grep -qs "hunter2-secret-e2e" "$CLIP_DB" "$CLIP_DB-wal" "$CLIP_DB-journal"; }
check "a copy marked secret is nowhere in the database files" no_trace

xterm -class keepassxc -title "Password Manager" -e sleep 60 &
PIDS+=($!)
keeper_pid=$!
if wait_until 10 xdotool search --class keepassxc; then
    keeper=$(xdotool search --class keepassxc | head -1)
    xdotool windowactivate --sync "$keeper" >/dev/null 2>&1
    offer text/plain "copied-in-the-password-manager"
    check "a copy made while a password manager is in front is not recorded" count_stays "$before"
else
    fail "the password manager stand-in did not open"
fi
kill "$keeper_pid" 2>/dev/null
wait "$keeper_pid" 2>/dev/null

# A terminal in front makes a copy code, whatever it reads like; Debian names xterm's entry
# "debian-xterm".
xterm -title "Terminal" -e sleep 60 &
PIDS+=($!)
terminal_pid=$!
if wait_until 10 xdotool search --pid "$terminal_pid"; then
    xdotool windowactivate --sync "$(xdotool search --pid "$terminal_pid" | head -1)" >/dev/null 2>&1
    offer text/plain "plain words copied in a terminal"
    recorded_as_code() {
        [ "$(sql "SELECT (SELECT name FROM clipboard_name WHERE code = kind_code) || ' ' || (SELECT name FROM clipboard_name WHERE code = app_id_code) FROM clipboard_item WHERE content = 'plain words copied in a terminal'")" = "code debian-xterm" ]
    }
    check "a copy made in xterm is recorded as code" wait_until 5 recorded_as_code
else
    fail "the terminal did not open"
fi
kill "$terminal_pid" 2>/dev/null
wait "$terminal_pid" 2>/dev/null
before=$(item_count)

# "Pause Clipboard History" in the tray icon's menu: the sixth entry without a focus session.
toggle_pause() {
    local ix iy iw ih
    read -r ix iy iw ih <<<"$(tray_icon_geometry)"
    [ -n "$ih" ] || return 1
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    sleep 0.5
    xdotool key Down Down Down Down Down Return
    sleep 0.5
}
settings_paused() { grep -qs '^clipboardPaused=true' "$XDG_CONFIG_HOME/Vemra/Vemra.ini"; }
settings_resumed() { grep -qs '^clipboardPaused=false' "$XDG_CONFIG_HOME/Vemra/Vemra.ini"; }
toggle_pause
check "Pause Clipboard History pauses recording" wait_until 5 settings_paused
offer text/plain "copied-during-the-pause"
check "a copy made during the pause is not recorded" count_stays "$before"
toggle_pause
check "choosing the entry again resumes recording" wait_until 5 settings_resumed
offer text/plain "copied after the pause"
check "a copy after the pause is recorded" wait_until 5 recorded_text "copied after the pause"
check "the copy made during the pause stays unrecorded" test "$(sql "SELECT count(*) FROM clipboard_item WHERE content = 'copied-during-the-pause'")" = 0
screenshot clipboard-after-pause
stop_vemra
check "ended as a logout ends it (SIGTERM), the history folds its log back" test ! -e "$CLIP_DB-wal"
