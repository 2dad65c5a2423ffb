# The README as a reader copies it: every desktop's three Do Not Disturb scripts are taken out of
# it, made executable with its own chmod line and run as Vemra runs them (no shell, no
# arguments, empty input, in their folder): status, on, status, off, status, each state also read
# with the desktop's own tool. Then its Uninstall block, where ~/.local/bin is not on PATH,
# with Vemra running and without.

recipes_dir="$XDG_CONFIG_HOME/Vemra/Shortcuts"

# run_recipe NAME: runs the copied script, its output in $W/recipe.out.
run_recipe() { (cd "$recipes_dir" && "./Vemra Focus $1" </dev/null >"$W/recipe.out" 2>"$W/recipe.err"); }
status_says() { run_recipe Status && [ "$(cat "$W/recipe.out")" = "$1" ]; }

# Each desktop's own reading of its Do Not Disturb: prints on or off.
dnd_dunst() { [ "$(dunstctl is-paused)" = true ] && echo on || echo off; }
dnd_GNOME() { [ "$(gsettings get org.gnome.desktop.notifications show-banners)" = false ] && echo on || echo off; }
dnd_Xfce() { [ "$(xfconf-query -c xfce4-notifyd -p /do-not-disturb 2>/dev/null)" = true ] && echo on || echo off; }
# Plasma: an end time still ahead, announced to the settings' watchers on the bus.
dnd_KDE() {
    local until
    until=$(kreadconfig5 --file plasmanotifyrc --group DoNotDisturb --key Until)
    [ -n "$until" ] && [ "$(date -d "$(awk -F, '{ printf "%s-%s-%s %s:%s:%s", $1, $2, $3, $4, $5, $6 }' <<<"$until")" +%s)" -gt "$(date +%s)" ] \
        && echo on || echo off
}
kde_announced() { [ "$(grep -c 'path=/plasmanotifyrc; interface=org.kde.kconfig.notify; member=ConfigChanged' "$W/kconfig.bus")" -ge "$1" ] \
    && grep -q 'array of bytes "Until"' "$W/kconfig.bus"; }

# try_recipes DESKTOP TOOL: the five steps with DESKTOP's scripts; TOOL names its reading.
try_recipes() {
    local desktop=$1 tool=$2 name chmod_line
    rm -rf "$recipes_dir"
    mkdir -p "$recipes_dir"
    for name in Status On Off; do
        readme_recipe "$desktop" "Vemra Focus $name" >"$recipes_dir/Vemra Focus $name"
        [ -s "$recipes_dir/Vemra Focus $name" ] || { fail "$desktop: the README has a Vemra Focus $name block"; return; }
    done
    chmod_line=$(grep -o '`chmod 700 [^`]*`' "$README" | tr -d '`')
    (eval "$chmod_line") || { fail "$desktop: the README's chmod line runs"; return; }
    check "$desktop: status with Do Not Disturb off says nothing" status_says ""
    check "$desktop: the desktop's tool reads it off" test "$($tool)" = off
    check "$desktop: on succeeds" run_recipe On
    check "$desktop: the desktop's tool reads it on" test "$($tool)" = on
    check "$desktop: status names the mode" status_says "Do Not Disturb"
    check "$desktop: off succeeds" run_recipe Off
    check "$desktop: the desktop's tool reads it off again" test "$($tool)" = off
    check "$desktop: status says nothing again" status_says ""
}

dunstctl set-paused false 2>/dev/null
try_recipes dunst dnd_dunst

# A keyfile in the private home stands in for dconf.
export GSETTINGS_BACKEND=keyfile
try_recipes GNOME dnd_GNOME
unset GSETTINGS_BACKEND

dbus-monitor "interface='org.kde.kconfig.notify'" >"$W/kconfig.bus" 2>&1 &
PIDS+=($!)
wait_until 5 grep -q NameAcquired "$W/kconfig.bus"
try_recipes "KDE Plasma" dnd_KDE
check "KDE Plasma: on and off were announced to Plasma's settings" kde_announced 2
# Where Plasma 6's tools are, the scripts take them (they take the same options).
plasma6="$W/plasma6"
mkdir -p "$plasma6"
for tool in kreadconfig kwriteconfig; do
    printf '#!/bin/sh\necho %s6 >>"%s"\nexec %s5 "$@"\n' "$tool" "$W/plasma6.log" "$tool" >"$plasma6/${tool}6"
done
chmod +x "$plasma6"/*
PATH="$plasma6:$PATH" try_recipes "KDE Plasma" dnd_KDE
check "KDE Plasma: the scripts use Plasma 6's tools where they are" \
    test "$(sort -u "$W/plasma6.log" 2>/dev/null | tr '\n' ' ')" = "kreadconfig6 kwriteconfig6 "

try_recipes Xfce dnd_Xfce
rm -rf "$recipes_dir"

# --- Uninstall ---------------------------------------------------------------------------
uninstall_block=$(readme_block "## Uninstall")
local_bin="$HOME/.local/bin"
no_local_path=$(tr ':' '\n' <<<"$PATH" | grep -vxF "$local_bin" | paste -sd:)
# uninstall: the block in sh, as pasted into a terminal; it must say nothing and succeed.
uninstall() {
    PATH=$no_local_path sh -c "$uninstall_block" >"$W/uninstall.out" 2>&1 && [ ! -s "$W/uninstall.out" ] \
        || { cat "$W/uninstall.out"; return 1; }
}
leaves_nothing() {
    local left
    left=$(find "$HOME/.local/bin" "$HOME/.local/share/applications" "$HOME/.local/share/metainfo" \
        "$HOME/.local/share/icons" "$HOME/.config/autostart" -type f 2>/dev/null)
    [ -z "$left" ] || { echo "$left"; return 1; }
}
# The folders the install made are gone once empty; ~/.local/bin, where other programs go too, stays.
leaves_no_folder() {
    local left
    left=$(find "$HOME/.local/share/applications" "$HOME/.local/share/metainfo" "$HOME/.local/share/icons" \
        "$HOME/.config/autostart" 2>/dev/null)
    [ -z "$left" ] && [ -d "$HOME/.local/bin" ] || { echo "$left"; return 1; }
}
install_locally() {
    cmake --install "$BUILD" --prefix "$HOME/.local" >/dev/null \
        && mkdir -p "$HOME/.config/autostart" && printf '[Desktop Entry]\n' >"$HOME/.config/autostart/vemra.desktop"
}

check "Uninstall: installed into ~/.local" install_locally
"$local_bin/vemra" >>"$W/vemra.log" 2>&1 &
VEMRA_PID=$!
PIDS+=("$VEMRA_PID")
check "Uninstall: the installed Vemra runs" wait_until 15 tray_icon_window
check "Uninstall: the block runs clean while Vemra runs" uninstall
check "Uninstall: it quit Vemra" wait_until 10 ended "$VEMRA_PID"
stop_vemra
check "Uninstall: it removed what was installed" leaves_nothing
check "Uninstall: it removed the folders it emptied" leaves_no_folder
check "Uninstall: installed again" install_locally
check "Uninstall: the block runs clean while Vemra does not" uninstall
check "Uninstall: it removed what was installed again" leaves_nothing
check "Uninstall: it removed the folders it emptied again" leaves_no_folder
# A folder holding another program's files stays, with them.
keeps_others() {
    install_locally && mkdir -p "$HOME/.local/share/applications" \
        && printf '[Desktop Entry]\n' >"$HOME/.local/share/applications/other.desktop" && uninstall \
        && test -f "$HOME/.local/share/applications/other.desktop" && test ! -e "$HOME/.local/share/metainfo"
}
check "Uninstall: a folder with another program's files stays" keeps_others
rm -f "$HOME/.local/share/applications/other.desktop"
check "Uninstall: the block runs clean with nothing left to remove" uninstall
