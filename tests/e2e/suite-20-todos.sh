# The todos road: a todo typed into the panel is stored at once, survives a relaunch, and is
# completed from the keyboard with confetti.

todo_db="$XDG_DATA_HOME/Vemra/Todos.store"
# todo_row TITLE: prints "title|is_completed" of the stored todo with that title.
todo_row() { sqlite3 "$todo_db" "SELECT title, is_completed FROM todo WHERE title = '$1';" 2>/dev/null; }
todo_row_is() { [ "$(todo_row "$1")" = "$2" ]; }
# settings_hold LINE: the settings file (QSettings' INI) has that line.
settings_hold() { cat "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null | grep -qx "$1"; }

start_vemra
check "the panel opens on the todos tab" wait_until 15 panel_on_tab todos
sleep 0.3
xdotool type --delay 30 "Buy oat milk"
xdotool key Return
check "Return stores the typed todo at once" wait_until 5 todo_row_is "Buy oat milk" "Buy oat milk|0"
sleep 0.3
screenshot todo-added

# Ctrl+D shows the calendar card, and the panel remembers it.
xdotool key ctrl+d
check "Ctrl+D turns the panel's calendar on" wait_until 5 settings_hold "cardShowsCalendar=true"
sleep 0.3
screenshot todo-calendar
xdotool key ctrl+d
check "a second Ctrl+D turns it off" wait_until 5 settings_hold "cardShowsCalendar=false"

# With nothing typed and no day chosen, Escape closes the panel.
xdotool key Escape
check "Escape with nothing to undo closes the panel" wait_until 5 panel_hidden
stop_vemra

start_vemra
check "after a relaunch the panel opens again" wait_until 15 panel_on_tab todos
sleep 0.5
# The first row can only be selected and completed when the relaunched list shows the todo.
xdotool key Down
sleep 0.2
xdotool key space
sleep 0.25
screenshot todo-completed-confetti
check "the relaunched list completes the stored todo" wait_until 5 todo_row_is "Buy oat milk" "Buy oat milk|1"
check "the database holds exactly one row" test "$(sqlite3 "$todo_db" 'SELECT count(*) FROM todo;' 2>/dev/null)" = 1

# Ctrl+O moves from the panel to the expanded window, where typing goes into its own input and
# Escape never closes it.
expanded_window() {
    local w x y width height
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^Vemra$' 2>/dev/null); do
        xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"panel"' && continue
        read -r x y width height <<<"$(window_geometry "$w")"
        ((width >= 400)) && { echo "$w"; return 0; }
    done
    return 1
}
xdotool key ctrl+o
check "Ctrl+O opens the expanded window" wait_until 5 expanded_window
check "Ctrl+O closes the panel" wait_until 5 panel_hidden
sleep 0.5
xdotool type --delay 30 "Call the plumber"
xdotool key Return
check "Return in the window stores the todo" wait_until 5 todo_row_is "Call the plumber" "Call the plumber|0"
xdotool key Escape Escape Escape
sleep 0.5
check "Escape leaves the window open" wait_until 1 expanded_window
screenshot todo-window
stop_vemra

# A todo some 300 days ahead, alone in the list: its day heading filters the list to it, and the
# clear-all question for that day takes a line of its own instead of being cut.
sqlite3 "$todo_db" "DELETE FROM todo;
    INSERT INTO todo (id, title, is_completed, created_at, updated_at, sort_order, day)
    VALUES ('6F1C2B0E-6D43-4C57-9B1A-2E5D7A0C9E11', 'Water the ferns', 0, $(date +%s)000, $(date +%s)000, 0,
            $(date -d '+300 days 12:00' +%s)000);"
panel_size() { local x y w h; read -r x y w h <<<"$(window_geometry "$(panel_window)")"; echo "$x $y $w $h"; }
start_vemra
check "the panel opens with the dated todo" wait_until 15 panel_on_tab todos
sleep 0.5
read -r px py pw ph <<<"$(panel_size)"
# The heading sits at the top of the list, under the header, the tab switcher and the input.
xdotool mousemove $((px + 40)) $((py + 144)) click 1
sleep 0.4
screenshot todo-day-placeholder
# "Clear all" sits left of the "Open in window" button at the right of the footer.
xdotool mousemove $((px + pw - 10 - 22 - 12 - 35)) $((py + ph - 19)) click 1
sleep 0.5
read -r _ _ _ asked <<<"$(panel_size)"
check "the clear-all question for a date of next year gets a line of its own" test "$asked" -gt "$ph"
screenshot todo-clear-question
xdotool key Escape

# Rows that move under a pointer standing still: the highlight follows the pointer.
xdotool mousemove $((px + 120)) $((py + 170))
sleep 0.3
xdotool type --delay 30 "Repot the basil"
xdotool key Return
sleep 0.6
screenshot todo-hover-after-add

# At its smallest size with the calendar on, the expanded window keeps its footer.
xdotool key ctrl+o
check "Ctrl+O opens the expanded window again" wait_until 5 expanded_window
sleep 0.5
xdotool key ctrl+d
check "Ctrl+D turns the window's calendar on" wait_until 5 settings_hold "windowShowsCalendar=true"
xdotool windowsize "$(expanded_window)" 420 520
sleep 0.6
read -r _ _ ww wh <<<"$(window_geometry "$(expanded_window)")"
check "the window does not shrink below its calendar and footer" test "$wh" -gt 520
screenshot todo-window-smallest-calendar

# The selected row's menu from the keyboard: the Menu key and Shift+F10 open it, the arrows walk
# into "Move to", Return chooses its first day that is not the todo's own. Escape lets go of the
# row the last move left selected, and Down selects the first row, the basil.
todo_day() { sqlite3 "$todo_db" "SELECT coalesce(day, 'none') FROM todo WHERE title = '$1';" 2>/dev/null; }
todo_day_is_not() { [ "$(todo_day "$1")" != "$2" ]; }
for menu_key in Menu shift+F10; do
    before=$(todo_day "Repot the basil")
    xdotool key Escape Down
    sleep 0.3
    xdotool key "$menu_key"
    sleep 0.4
    screenshot "todo-row-menu-from-$menu_key"
    xdotool key Down Down Right
    sleep 0.3
    xdotool key Return
    check "$menu_key opens the selected row's menu, whose keys give it another day" \
        wait_until 5 todo_day_is_not "Repot the basil" "$before"
done
stop_vemra
