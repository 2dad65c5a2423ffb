# Focus sessions on the real desktop: a one-minute session started from the Focus tab pauses
# dunst through the user's scripts, counts down in the tray icon, goes on after Vemra is killed
# and started again, and at its end resumes dunst and leaves "Focus complete" in its history.

scripts_dir="$XDG_CONFIG_HOME/Vemra/Shortcuts"
settings_file="$XDG_CONFIG_HOME/Vemra/Vemra.ini"

# set_setting KEY VALUE: writes one key of the settings file while Vemra is not running.
set_setting() {
    mkdir -p "$(dirname "$settings_file")"
    touch "$settings_file"
    if grep -q "^$1=" "$settings_file"; then
        sed -i "s/^$1=.*/$1=$2/" "$settings_file"
    elif grep -q '^\[General\]' "$settings_file"; then
        sed -i "/^\[General\]/a $1=$2" "$settings_file"
    else
        printf '[General]\n%s=%s\n' "$1" "$2" >>"$settings_file"
    fi
}
session_stored() { grep -q '^focusSession=' "$settings_file" 2>/dev/null; }
dunst_paused() { [ "$(dunstctl is-paused 2>/dev/null)" = true ]; }
dunst_running() { [ "$(dunstctl is-paused 2>/dev/null)" = false ]; }
# move_session_back SECONDS: the stored session started and ends that much earlier.
move_session_back() {
    python3 - "$settings_file" "$1" <<'PY'
import re, sys
path, seconds = sys.argv[1], float(sys.argv[2])
text = open(path).read()
moved, count = re.subn(r'(\\?"(?:startedAt|endsAt)\\?":)(-?[0-9.eE+]+)',
                       lambda m: m.group(1) + repr(float(m.group(2)) - seconds), text)
if count != 2:
    sys.exit(1)
open(path, 'w').write(moved)
PY
}

# The three scripts of the README's dunst example, copied out of it.
write_scripts() {
    local name
    mkdir -p "$scripts_dir"
    for name in Status On Off; do
        readme_recipe dunst "Vemra Focus $name" >"$scripts_dir/Vemra Focus $name"
    done
    chmod 700 "$scripts_dir"/Vemra*
}

# tray_shot NAME: the tray icon and a little around it, four times enlarged.
tray_shot() {
    local icon x y w h
    icon=$(tray_icon_window) || return 1
    read -r x y w h <<<"$(window_geometry "$icon")"
    import -window root "$W/root.png" 2>/dev/null || return 1
    convert "$W/root.png" -crop "$((w + 16))x$((h + 8))+$((x - 8))+$((y - 4))" +repage -scale 400% "$SHOTS/$1.png"
}
# tray_pixels FILE: the icon's own pixels, for comparing one moment with another.
tray_pixels() {
    local icon
    icon=$(tray_icon_window) || return 1
    import -window "$icon" "$1" 2>/dev/null
}
differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }

if ! dunstctl is-paused >/dev/null 2>&1; then
    fail "focus: dunst is not answering, the silencing road cannot be driven"
else
    dunstctl set-paused false
    dunstctl history-clear 2>/dev/null
    rm -rf "$scripts_dir"
    # The stored default length of one minute selects Custom with 0 h 1 min.
    set_setting focusMinutes 1
    set_setting focusSilencesNotifications true
    sed -i '/^focusSession=/d' "$settings_file"

    start_vemra
    check "focus: the panel opens on the todos tab without a session" wait_until 15 panel_on_tab todos
    check "focus: the tray icon is there" wait_until 10 tray_icon_window
    # The mark takes the tray's colour once the tray has taken the icon in: the same pixels
    # twice, half a second apart, are the settled mark.
    mark_settled() { tray_pixels "$W/mark.png" && sleep 0.5 && tray_pixels "$W/again.png" && ! differs "$W/mark.png" "$W/again.png"; }
    wait_until 5 mark_settled
    xdotool key Escape
    wait_until 5 panel_hidden
    xdotool key super+shift+f
    check "focus: the Focus hot key opens the panel on the Focus tab" wait_until 5 panel_on_tab focus
    sleep 0.5
    screenshot focus-start

    # Without the scripts, Return asks what to do instead of starting.
    xdotool key Return
    sleep 1.5
    screenshot focus-silencing-prompt
    check "focus: without the scripts no session starts" sh -c "! grep -q '^focusSession=' '$settings_file'"
    check "focus: the prompt keeps the panel open" panel_shown
    # Past the custom fields, Tab reaches the prompt's buttons (the second one ringed in the picture).
    xdotool key Tab Tab Tab Tab
    sleep 0.3
    screenshot focus-prompt-keyboard
    xdotool key Escape
    sleep 0.3
    check "focus: Escape closes the prompt, not the panel" panel_shown

    write_scripts
    xdotool key Return
    check "focus: Return starts the session once the scripts are ready" wait_until 5 session_stored
    check "focus: dunst is paused while the session runs" wait_until 10 dunst_paused
    check "focus: the panel closes once notifications are silenced" wait_until 5 panel_hidden
    started=$SECONDS

    sleep 1.2
    tray_shot focus-tray-countdown
    tray_pixels "$W/tick1.png"
    sleep 1.1
    tray_pixels "$W/tick2.png"
    check "focus: the tray icon is no longer the mark" differs "$W/mark.png" "$W/tick1.png"
    check "focus: the tray icon counts down" differs "$W/tick1.png" "$W/tick2.png"

    xdotool key super+shift+f
    check "focus: the hot key shows the running session" wait_until 5 panel_on_tab focus
    sleep 0.5
    screenshot focus-running
    xdotool key Escape
    wait_until 5 panel_hidden

    # Killed mid-session, Vemra takes the session up again at its next start. It stays down, as
    # far as the session knows, until fifteen seconds of it are left.
    kill -KILL "$VEMRA_PID"
    wait "$VEMRA_PID" 2>/dev/null
    VEMRA_PID=
    down=$((60 - (SECONDS - started) - 15))
    check "focus: the stored session moves back while Vemra is down" move_session_back "$down"
    started=$((started - down))
    start_vemra
    check "focus: after a relaunch the panel opens on the running session" wait_until 15 panel_on_tab focus
    check "focus: dunst stays paused across the relaunch" dunst_paused
    sleep 0.5
    screenshot focus-relaunched
    xdotool key Escape

    check "focus: at the end dunst resumes" wait_until $((75 - (SECONDS - started))) dunst_running
    sleep 1
    dunstctl close-all
    history_has() { dunstctl history 2>/dev/null | grep -q "$1"; }
    check "focus: dunst received \"Focus complete\"" wait_until 10 history_has 'Focus complete'
    check "focus: with the on-time body" history_has 'Your 1-minute focus session is finished.'
    tray_is_mark() { tray_pixels "$W/after.png" && ! differs "$W/mark.png" "$W/after.png"; }
    check "focus: the tray icon is the mark again" wait_until 5 tray_is_mark
    stop_vemra
    # Later suites find the settings and the desktop as they were.
    sed -i '/^focusMinutes=/d; /^focusSilencesNotifications=/d; /^focusSession=/d' "$settings_file"
    rm -rf "$scripts_dir"
    dunstctl history-clear 2>/dev/null
fi
