# The settings road: Ctrl+, from the panel opens the settings window on General, where a new
# New Todo shortcut is recorded; it works at once, the old one no longer does, and it survives
# a relaunch. The status menu's "Settings…" opens the same window, whose reset button puts the
# standard shortcut back for the suites that follow.

# The settings window: a visible window of our process titled with its pane.
settings_window() { xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name "^$1\$" 2>/dev/null | head -1; }
settings_shown() { [ -n "$(settings_window "$1")" ]; }
settings_hidden() { [ -z "$(settings_window "$1")" ]; }
settings_file() { cat "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null; }
# stored_new_todo_key HEX: the stored New Todo shortcut has that key code (10 is Y, 11 is T).
# QSettings writes the dictionary as an escaped binary variant; the code follows "keyCode".
stored_new_todo_key() {
    settings_file | grep '^hotKey=' | grep -qF '\x43\0o\0\x64\0\x65\0\0\0\x4\0\0\0\0\0\0\0\x'"$1"'\0'
}

# click_in_settings DX DY: clicks at DX from the General pane's right edge, DY from its top.
# The New Todo recorder's key cap and its trailing button, on the second row of the General
# pane's second section.
# The client area is measured with xwininfo: xdotool's position of a framed window is off by
# the frame.
click_in_settings() {
    local w x y width
    w=$(settings_window General)
    [ -n "$w" ] || return 1
    read -r x y width <<<"$(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {print x, y, $NF}')"
    xdotool mousemove $((x + width - $1)) $((y + $2)) click 1
}
recorder_x=110
reset_x=40
recorder_y=245

start_vemra
check "the panel opens at launch" wait_until 15 panel_on_tab todos
xdotool key Escape
wait_until 5 panel_hidden
xdotool key super+shift+t
wait_until 5 panel_on_tab todos
sleep 0.3
xdotool key ctrl+comma
check "Ctrl+, from the panel opens the settings window on General" wait_until 5 settings_shown General
check "opening the settings closes the panel" wait_until 5 panel_hidden
sleep 0.5
# Past the toolbar's four other panes, Tab reaches the first appearance thumbnail: its ring is whole.
xdotool key Tab Tab Tab Tab Tab
sleep 0.3
screenshot settings-appearance-focus

click_in_settings $recorder_x $recorder_y
sleep 0.3
xdotool key super+shift+y
check "the recorded Super+Shift+Y is stored at once" wait_until 5 stored_new_todo_key 10
sleep 0.3
screenshot settings-general
w=$(settings_window General)
[ -n "$w" ] && xdotool windowactivate --sync "$w" key --clearmodifiers alt+F4
check "the settings window closes" wait_until 5 settings_hidden General

xdotool key super+shift+t
sleep 1
check "Super+Shift+T no longer opens the panel" panel_hidden
xdotool key super+shift+y
check "Super+Shift+Y opens the panel on the todos tab" wait_until 5 panel_on_tab todos
xdotool key Escape
wait_until 5 panel_hidden
stop_vemra

start_vemra --login-item
wait_until 15 tray_icon_window
sleep 1
xdotool key super+shift+y
check "after a relaunch Super+Shift+Y still opens the panel" wait_until 5 panel_on_tab todos
xdotool key Escape
wait_until 5 panel_hidden

# "Settings…" from the status menu: the third entry after "Start Focus Session…" and
# "Open Vemra Window".
# The status menu's window is tagged as such; keys sent before it maps are lost.
status_menu_shown() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" 2>/dev/null); do
        xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"status-menu"' && return 0
    done
    return 1
}
open_settings_from_menu() {
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    wait_until 5 status_menu_shown || return 1
    sleep 0.2
    xdotool key Down Down Down Return
    wait_until 5 settings_shown General
}
wait_until 15 tray_icon_window
read -r ix iy iw ih <<<"$(tray_icon_geometry)"
if [ -n "$ih" ]; then
    # One more try if the first menu missed its keys.
    open_settings_from_menu || { xdotool key Escape; open_settings_from_menu; }
    check "Settings… in the status menu opens the settings window on General" wait_until 5 settings_shown General
    sleep 0.5
    screenshot settings-after-relaunch
    click_in_settings $reset_x $recorder_y
    check "the reset button stores the standard shortcut again" wait_until 5 stored_new_todo_key 11
    w=$(settings_window General)
    [ -n "$w" ] && xdotool windowactivate --sync "$w" key --clearmodifiers alt+F4
    wait_until 5 settings_hidden General
    xdotool key super+shift+t
    check "Super+Shift+T opens the panel again" wait_until 5 panel_on_tab todos
    xdotool key Escape
    wait_until 5 panel_hidden
else
    fail "Settings… in the status menu opens the settings window (no tray icon)"
fi
stop_vemra

# Whatever happened above, the suites after this one start from the standard shortcut.
sed -i '/^hotKey=/d' "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null
