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

# A user outside the sudo group is told before sudo is asked: the one line an administrator runs.
printf '#!/bin/sh\n[ "$1" = -u ] && { echo 1000; exit 0; }\n[ "$1" = -nG ] && { echo user; exit 0; }\nexec /usr/bin/id "$@"\n' >"$fake/id"
printf '#!/bin/sh\necho "SUDO $*" >&2\n[ "$1" != -n ]\n' >"$fake/sudo"
setup_out=$(PATH="$fake:$PATH" "$SOURCE/scripts/setup" --build 2>&1)
setup_status=$?
check "without sudo, scripts/setup stops" test "$setup_status" -ne 0
check "without sudo, it never asks sudo to install" bash -c '! grep -q "^SUDO apt" <<<"$1"' _ "$setup_out"
check "without sudo, it prints the line for an administrator, lists updated first" \
    grep -qx '  apt-get update && apt-get install --no-install-recommends cmake' <<<"$setup_out"
check "without sudo, it says why" grep -q 'not in the sudo group' <<<"$setup_out"
check "without sudo, it names itself to run again" grep -qF "run $SOURCE/scripts/setup --build again" <<<"$setup_out"
# Through scripts/run, the command to run again is the one the user typed.
run_out=$(cd "$SOURCE" && PATH="$fake:$PATH" scripts/run --prefix "$W/no prefix" 2>&1)
check "without sudo, scripts/run stops" test $? -ne 0
check "without sudo, scripts/run names itself to run again" \
    grep -qF 'run scripts/run --prefix '"$(printf %q "$W/no prefix")"' again' <<<"$run_out"

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

check "scripts/run again returns" run_vemra
second_run=$(installed_pid)
[ -n "$second_run" ] && PIDS+=("$second_run")
check "the first copy has quit" wait_until 10 ended "$first_run"
check "a new copy runs in its place" test -n "$second_run" -a "$second_run" != "$first_run"
VEMRA_PID=$second_run
check "the new copy is in the tray" wait_until 15 tray_icon_window
check "scripts/run says Vemra runs in the tray" grep -q '^Vemra is running in the system tray' "$W/run.out"
check "vemra --quit ends it" timeout 40 "$run_prefix/bin/vemra" --quit
check "it is gone" wait_until 10 ended "$second_run"
VEMRA_PID=

# Without a tray host, scripts/run says so, and Vemra once in a notification, with what to install.
kill "$TRAYER_PID" 2>/dev/null
wait "$TRAYER_PID" 2>/dev/null
dunstctl history-clear 2>/dev/null
check "scripts/run without a tray returns" run_vemra
cat "$W/run.out"
VEMRA_PID=$(installed_pid)
[ -n "$VEMRA_PID" ] && PIDS+=("$VEMRA_PID")
check "scripts/run says there is no system tray" grep -q '^Vemra is running, but found no system tray' "$W/run.out"
check "scripts/run says what to install and how to open the panel" \
    grep -q 'install gnome-shell-extension-appindicator.* Shift+Super+T opens its panel' "$W/run.out"
told_in_notification() { dunstctl close-all && dunstctl history | grep -q 'Vemra found no system tray'; }
check "Vemra tells it in a notification" wait_until 10 told_in_notification
timeout 40 "$run_prefix/bin/vemra" --quit
VEMRA_PID=
start_trayer || fail "trayer started again"

# scripts/run in a fresh build folder, as in a fresh clone: configured for real, its build only
# planned (ninja's dry run) and then stopped. Vemra alone is built, no test or benchmark program,
# and the steps are told as a count.
fresh="$W/fresh build"
real_cmake=$(command -v cmake)
printf '#!/bin/sh\n[ "$1" = --build ] || exec "%s" "$@"\n"%s" "$@" -- -n\nexit 1\n' "$real_cmake" "$real_cmake" >"$fake/cmake"
chmod +x "$fake/cmake"
PATH="$fake:$PATH" VEMRA_BUILD_DIR="$fresh" timeout 300 "$SOURCE/scripts/run" --prefix "$run_prefix" >"$W/fresh.out" 2>&1 </dev/null
rm -f "$fake/cmake"
cat "$W/fresh.out"
targets=$(ninja -C "$fresh" -t targets all 2>/dev/null | cut -d: -f1)
check "scripts/run's fresh build folder has Vemra" grep -qx vemra <<<"$targets"
check "scripts/run's fresh build folder has no test or benchmark program" \
    bash -c '! grep -E "^(tst_|bench_|e2e_|fuzz_)" <<<"$1"' _ "$targets"
planned_only_vemra() {
    grep -q '^\[[0-9]*/[0-9]*\] Linking CXX executable src/vemra$' "$fresh/run-build.log" \
        && ! grep -E ' (tests|bench|fuzz)/' "$fresh/run-build.log"
}
check "scripts/run builds Vemra and nothing under tests, bench or fuzz" planned_only_vemra
counts_steps() {
    local all
    all=$(grep -c '^\[' "$fresh/run-build.log")
    grep -qx "run: built 1 of $all steps" "$W/fresh.out" && grep -qx "run: built $all of $all steps" "$W/fresh.out" \
        && [ "$(grep -c '^run: built' "$W/fresh.out")" -le 11 ] && ! grep -q '^\[' "$W/fresh.out"
}
check "scripts/run tells the steps done in a few counts" counts_steps
check "a failed build is told" grep -q '^run: the build failed' "$W/fresh.out"
