# The settings panes: Ctrl+, opens the window and every pane can be visited from its toolbar;
# "Launch at Login" writes and removes the autostart entry; the default focus length chosen in
# the Focus pane is the one the Focus tab starts; "Export…" in the Data pane writes, through the
# real file dialog, a file that holds the todo typed before; each pane is photographed in the
# light and the dark appearance.

# The settings window: a visible window of our process titled with one of the pane titles.
panes_window() {
    xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^(General|Clipboard|Focus|Data|About)$' 2>/dev/null | head -1
}
panes_title() {
    local w
    w=$(panes_window) || return 1
    [ -n "$w" ] && xdotool getwindowname "$w"
}
panes_on() { [ "$(panes_title)" = "$1" ]; }
panes_hidden() { [ -z "$(panes_window)" ]; }

# panes_click DX DY: clicks at DX from the window's left edge (negative: from its right edge;
# "c+N": N from its centre) and DY from the top of its client area. The client area is measured
# with xwininfo: xdotool's position of a framed window is off by the frame.
panes_click() {
    local w x y width cx
    w=$(panes_window)
    [ -n "$w" ] || return 1
    read -r x y width <<<"$(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {print x, y, $NF}')"
    case $1 in
    c*) cx=$((x + width / 2 + ${1#c})) ;;
    -*) cx=$((x + width + $1)) ;;
    *) cx=$((x + $1)) ;;
    esac
    xdotool mousemove "$cx" $((y + $2)) click 1
}

# The toolbar items, from the window's centre.
declare -A pane_x=([General]=c-124 [Clipboard]=c-54 [Focus]=c+11 [Data]=c+69 [About]=c+128)
toolbar_y=30
open_pane() { panes_click "${pane_x[$1]}" $toolbar_y && wait_until 5 panes_on "$1"; }

autostart_entry="$XDG_CONFIG_HOME/autostart/vemra.desktop"
# The General pane's "Launch at Login" switch.
login_switch_x=-47
login_switch_y=197

rm -f "$autostart_entry"
# The standard focus settings, whatever earlier suites stored, so the rows sit where expected.
sed -i '/^focusSession=/d; /^focusMinutes=/d; /^focusSilencesNotifications=/d' "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null
start_vemra
check "the panel opens at launch" wait_until 15 panel_on_tab todos
sleep 0.3
xdotool type --delay 20 "Carried out through the Data pane"
xdotool key Return
sleep 0.3
xdotool key ctrl+comma
check "Ctrl+, opens the settings on General" wait_until 5 panes_on General
sleep 0.5
for pane in Clipboard Focus Data About General; do
    check "the toolbar shows the $pane pane" open_pane "$pane"
done

panes_click $login_switch_x $login_switch_y
check "Launch at Login on writes the autostart entry" wait_until 5 test -f "$autostart_entry"
check "the autostart entry starts this program at login" \
    grep -qxF "Exec=\"$(readlink -f "$VEMRA")\" --login-item" "$autostart_entry"
panes_click $login_switch_x $login_switch_y
check "Launch at Login off removes it" wait_until 5 test ! -f "$autostart_entry"

# panes_on_screen: the window's frame (its title bar above the client area) lies inside the
# 800-px screen.
panes_on_screen() {
    local w y h top
    w=$(panes_window) || return 1
    read -r y h <<<"$(xwininfo -id "$w" | awk '/Absolute upper-left Y/ {y = $NF} /^ *Height:/ {print y, $NF}')"
    top=$(xprop -id "$w" _NET_FRAME_EXTENTS | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p')
    ((y - ${top:-0} >= 0 && y + h <= 800))
}
for pane in General Clipboard Focus Data About; do
    open_pane "$pane" && sleep 0.4 && screenshot "settings-$pane-light"
    # The Focus pane with its setup guide open is the tallest: the window grows up, not off screen.
    check "the settings window stays on the screen with the $pane pane" wait_until 3 panes_on_screen
done

# The Focus pane: silencing off (no scripts here), then "1 hr" from the length picker, two items
# below the standard 25 min.
settings_file() { cat "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null; }
open_pane Focus
panes_click -47 260
check "Silence Notifications off is stored" wait_until 5 sh -c "grep -q '^focusSilencesNotifications=false' $XDG_CONFIG_HOME/Vemra/Vemra.*"
panes_click -70 104
sleep 0.5
xdotool key Down Down Return
check "the default focus length is stored" wait_until 5 sh -c "grep -q '^focusMinutes=60' $XDG_CONFIG_HOME/Vemra/Vemra.*"
sleep 0.3
screenshot settings-focus-chosen
# The Data pane's "Export…": the file dialog (a window of ours named "Vemra" that is not the
# panel) takes a whole path in its name field.
file_dialog() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$VEMRA_PID" --name '^Vemra$' 2>/dev/null); do
        xprop -id "$w" _VEMRA_SURFACE 2>/dev/null | grep -q '"panel"' || { echo "$w"; return 0; }
    done
    return 1
}
export_file="$HOME/settings-export.json"
rm -f "$export_file"
open_pane Data
panes_click -68 104
if check "Export… opens the file dialog" wait_until 5 file_dialog; then
    sleep 0.5
    screenshot settings-export-dialog
    xdotool key ctrl+a
    xdotool type --delay 10 "$export_file"
    xdotool key Return
fi
check "the export is written where the dialog said" wait_until 10 test -s "$export_file"
check "the export holds the todo" grep -q '"title" : "Carried out through the Data pane"' "$export_file"
check "the export is a Vemra export of format 1" grep -q '"version" : 1,' "$export_file"
sleep 0.5
screenshot settings-export-result

# The Dark thumbnail, then every pane again; the Automatic one puts the desktop's look back.
open_pane General
panes_click -64 112
sleep 0.5
for pane in General Clipboard Focus Data About; do
    open_pane "$pane" && sleep 0.4 && screenshot "settings-$pane-dark"
done
open_pane General
panes_click 292 112
sleep 0.3
check "the appearance picker stores the choice" grep -q '^appearance=system' "$XDG_CONFIG_HOME"/Vemra/Vemra.*
w=$(panes_window)
[ -n "$w" ] && xdotool windowactivate --sync "$w" key --clearmodifiers alt+F4
check "the settings window closes" wait_until 5 panes_hidden

# The Focus shortcut opens the Focus tab, whose Return starts a session of the chosen length.
xdotool key super+shift+f
check "the Focus shortcut opens the Focus tab" wait_until 5 panel_on_tab focus
sleep 0.5
xdotool key Return
check "the Focus tab starts a session of the default length" \
    wait_until 5 sh -c "grep '^focusSession=' $XDG_CONFIG_HOME/Vemra/Vemra.* | grep -Eq 'duration[^0-9]{1,4}3600[^0-9]'"
stop_vemra
# The suites after this one start from the standard settings.
sed -i '/^focusSession=/d; /^focusMinutes=/d; /^focusSilencesNotifications=/d' "$XDG_CONFIG_HOME"/Vemra/Vemra.* 2>/dev/null
