# Installed as a desktop application: `cmake --install` into a private prefix (with a space in
# its path) lays down a menu entry, icons and metainfo that their validators accept; the menu
# entry's Exec line starts the installed program, whose Launch at Login starts it too.
# scripts/setup --build asks only for the build packages and says so before sudo; scripts/run
# builds, installs and starts Vemra detached from its terminal, and run again, replaces it.
# Uses the settings window's helpers of suite-60 (E2E_ONLY='[67]' runs both).

app_id=org.vemra.Vemra
SOURCE=$(cd "$HERE/../.." && pwd)
prefix="$W/install prefix"
entry="$prefix/share/applications/$app_id.desktop"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
installed="$prefix/bin/vemra"

check "cmake --install into a prefix succeeds" cmake --install "$BUILD" --prefix "$prefix"
check "the binary is installed" test -x "$installed"
check "the menu entry is named after the application id" test -f "$entry"
entry_valid() { local out; out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || { echo "$out"; return 1; }; }
check "desktop-file-validate accepts the menu entry without a remark" entry_valid
check "the menu entry's icon is the application id" grep -qxF "Icon=$app_id" "$entry"
check "appstreamcli accepts the metainfo" appstreamcli validate --no-net "$metainfo"
# Each picture is read as the desktop reads it, at its size, and mostly drawn (the badge's corners
# and margin are clear).
icons_whole() {
    local side size coverage file
    for side in 16 22 24 32 48 64 128 256 512 scalable; do
        file=$prefix/share/icons/hicolor/${side}x${side}/apps/$app_id.png
        [ "$side" = scalable ] && { file=$prefix/share/icons/hicolor/scalable/apps/$app_id.svg; side=128; }
        read -r size coverage <<<"$("$BUILD/tests/e2e/e2e_imageinfo" "$file")"
        [ "$size" = "${side}x${side}" ] && [[ $coverage > 0.6 ]] || { echo "$file: $size $coverage"; return 1; }
    done
}
check "the icon is in the hicolor theme at every usual size and as SVG" icons_whole
# The whole tree as a package lays it down, with the entry and icon the metainfo points to.
tree_valid() {
    DESTDIR="$W/tree" cmake --install "$BUILD" --prefix /usr >/dev/null && appstreamcli validate-tree --no-net "$W/tree"
}
check "appstreamcli accepts the installed tree" tree_valid

# The menu's way to start it: the Exec line's words, its escapes and quoting undone.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
exec_line=${exec_line//\\\\/\\}
eval "exec_words=($exec_line)"
"${exec_words[@]}" >>"$W/vemra.log" 2>&1 &
VEMRA_PID=$!
PIDS+=("$VEMRA_PID")
# Until the started process has replaced itself with the program, it is still this shell.
runs_installed() { [ "$(readlink -f "/proc/$VEMRA_PID/exe")" = "$installed" ]; }
check "the menu entry starts the installed program" wait_until 5 runs_installed
check "the installed program puts its icon in the tray" wait_until 15 tray_icon_window
if ! declare -F panes_click >/dev/null; then
    fail "Launch at Login of the installed program (suite-60's helpers are missing)"
else
    rm -f "$autostart_entry"
    wait_until 15 panel_on_tab todos
    sleep 0.3
    xdotool key ctrl+comma
    wait_until 5 panes_on General
    sleep 0.5
    panes_click $login_switch_x $login_switch_y
    check "Launch at Login of the installed program writes the autostart entry" wait_until 5 test -f "$autostart_entry"
    check "the autostart entry starts the installed program" \
        grep -qxF "Exec=\"$installed\" --login-item" "$autostart_entry"
    panes_click $login_switch_x $login_switch_y
    wait_until 5 test ! -f "$autostart_entry"
fi
stop_vemra

# scripts/setup --build: with a build package and a test package missing, and not root, it names
# only the build package, before sudo is asked.
fake="$W/fake-bin"
mkdir -p "$fake"
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
case $p in cmake | xvfb) exit 1 ;; esac
echo "install ok installed"
EOF
cat >"$fake/id" <<'EOF'
#!/bin/sh
[ "$1" = -u ] && { echo 1000; exit 0; }
exec /usr/bin/id "$@"
EOF
# setup sends apt-get's output to /dev/null: the fake tells on stderr.
printf '#!/bin/sh\necho "SUDO $*" >&2\n' >"$fake/sudo"
chmod +x "$fake"/*
setup_out=$(PATH="$fake:$PATH" "$SOURCE/scripts/setup" --build 2>&1)
said_before_sudo() {
    local said asked
    said=$(grep -n 'will be installed' <<<"$setup_out" | head -1 | cut -d: -f1)
    asked=$(grep -n '^SUDO' <<<"$setup_out" | head -1 | cut -d: -f1)
    [ -n "$said" ] && [ -n "$asked" ] && ((said < asked))
}
check "scripts/setup --build says what it installs before it asks sudo" said_before_sudo
check "scripts/setup --build installs the missing build package" grep -q '^SUDO apt-get install.* cmake' <<<"$setup_out"
check "scripts/setup --build leaves the test packages alone" bash -c '! grep -q xvfb <<<"$1"' _ "$setup_out"

# scripts/run on this machine, where every package is present: neither sudo nor apt is needed.
rm -f "$fake/dpkg-query" "$fake/id"
printf '#!/bin/sh\necho "$(basename "$0") $*" >>"%s"\nexit 1\n' "$W/fake.log" >"$fake/sudo"
cp "$fake/sudo" "$fake/apt-get"
cp "$fake/sudo" "$fake/apt"
chmod +x "$fake"/*
run_prefix="$W/run prefix"
ci=
grep -q '^VEMRA_WERROR:BOOL=ON' "$BUILD/CMakeCache.txt" && ci=true
# run_vemra: scripts/run as the user would type it, in this desktop; its output in $W/run.out.
run_vemra() {
    PATH="$fake:$PATH" CI=$ci VEMRA_BUILD_DIR="$BUILD" timeout 600 "$SOURCE/scripts/run" --prefix "$run_prefix" \
        >"$W/run.out" 2>&1 </dev/null
}
installed_pid() { pgrep -xf "$run_prefix/bin/vemra" | head -1; }
check "scripts/run returns" run_vemra
cat "$W/run.out"
check "scripts/run needed neither sudo nor apt" test ! -s "$W/fake.log"
first_run=$(installed_pid)
[ -n "$first_run" ] && PIDS+=("$first_run")
VEMRA_PID=$first_run
check "scripts/run leaves Vemra in the tray" wait_until 15 tray_icon_window
detached() {
    local sid tty
    read -r sid tty <<<"$(ps -o sid=,tty= -p "$1")"
    [ "$sid" = "$1" ] && [ "$tty" = "?" ]
}
check "the started Vemra is in a session of its own, without a terminal" detached "$first_run"
check "scripts/run says how to start it again" grep -qF "applications menu (Vemra), or with: $(printf %q "$run_prefix/bin/vemra")" "$W/run.out"
check "its output goes to a log under the state folder" test -f "$HOME/.local/state/Vemra/vemra.log"

# Ended, or a zombie where nothing reaps the orphans of scripts/run.
ended() { [ ! -e "/proc/$1" ] || grep -q '^State:\s*Z' "/proc/$1/status"; }
check "scripts/run again returns" run_vemra
second_run=$(installed_pid)
[ -n "$second_run" ] && PIDS+=("$second_run")
check "the first copy has quit" wait_until 10 ended "$first_run"
check "a new copy runs in its place" test -n "$second_run" -a "$second_run" != "$first_run"
VEMRA_PID=$second_run
check "the new copy is in the tray" wait_until 15 tray_icon_window
check "vemra --quit ends it" timeout 40 "$run_prefix/bin/vemra" --quit
check "it is gone" wait_until 10 ended "$second_run"
VEMRA_PID=
