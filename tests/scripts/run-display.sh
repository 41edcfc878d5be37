#!/usr/bin/env bash
# run-display.sh desktop|headless
# scripts/run.sh as a user starts it (its own Wine prefix, whatever WINEPREFIX the tests have),
# with the display after ZV_DISPLAY as the user's X display:
#   desktop   DISPLAY names it (an Xvfb of this test's, standing in for a desktop): the main
#             window shows there, and run.sh starts no Xvfb.
#   headless  DISPLAY is unset: run.sh says it runs on Xvfb, starts one on ZV_DISPLAY (set to
#             that display), and its screenshot shows the main window as that display does.
# Both end the program through Wine and expect run.sh (or the program it became) to exit with 0.
set -uo pipefail
mode=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
unset ZV_RUN
source "$root/scripts/env.sh"
runprefix=$(env -u WINEPREFIX ZV_RUN=1 bash -c 'source "$1/scripts/env.sh" && echo "$WINEPREFIX"' - "$root")
user=":$((${ZV_DISPLAY#:} + 1))"
out=$(mktemp -d)
shot=$root/build/run-screenshot.png
xpid="" run=""
fail() { echo "FAIL ($mode): $*"; sed 's/^/  run.sh: /' "$out/log" 2>/dev/null; exit 1; }
until_true() {  # until_true <seconds> <command...>: polls the command until it succeeds
    local end=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.2
    done
}
with_env() {  # with_env <VAR=value>...: this user's processes whose environment has them all
    local files e
    files=$(pgrep -u "$(id -u)" | sed 's|.*|/proc/&/environ|')
    # One grep per variable over all candidates (a machine may run hundreds of processes).
    for e in "$@"; do
        [ -n "$files" ] || return 0
        # shellcheck disable=SC2086 # a list of paths without spaces
        files=$(grep -lzxF -- "$e" $files 2>/dev/null)
    done
    sed -n 's|^/proc/\([0-9]*\)/environ$|\1|p' <<<"$files"
}
# No Wine process of run.sh's prefix is left on the user's display (its wineserver and desktop
# process linger a moment after the program; they must not lose their X server).
left_user_display() { [ -z "$(with_env "DISPLAY=$user" "WINEPREFIX=$runprefix" | grep -vx "$xpid")" ]; }
# Xvfb servers started with this tree's environment (wine-up.sh starts them so).
tree_xvfbs() {
    local p
    for p in $(pgrep -u "$(id -u)" -x Xvfb); do
        grep -qzxF "ZV_ROOT=$root" "/proc/$p/environ" 2>/dev/null && echo "$p"
    done
}
cleanup() {
    if [ -n "${run:-}" ] && ! ended "$run"; then
        WINEPREFIX=$runprefix wine taskkill /IM zorvex.exe >/dev/null 2>&1 </dev/null
        until_true 30 ended "$run" || kill "$run"
    fi
    if [ -n "$xpid" ]; then
        until_true 30 left_user_display
        kill "$xpid" 2>/dev/null
    fi
    rm -rf "$out"
}
trap cleanup EXIT
ended() { ! kill -0 "$1" 2>/dev/null; }
answers() { xdpyinfo -display "$user" >/dev/null 2>&1; }
window_id() { xwininfo -display "$user" -name Zorvex 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p'; }
shown() { local id; id=$(window_id); [ -n "$id" ] && xwininfo -display "$user" -id "$id" | grep -q IsViewable; }
close_program() {  # ends zorvex.exe as a user would close it, and waits for run.sh's exit code
    WINEPREFIX=$runprefix wine taskkill /IM zorvex.exe >/dev/null 2>&1 </dev/null
    until_true 30 ended "$1" || { kill "$1"; fail "the program did not close"; }
    wait "$1" || fail "run.sh exited with $?"
}

answers && fail "display $user is in use; the test needs it free"
case $mode in
desktop)
    Xvfb "$user" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    xpid=$!
    until_true 10 answers || fail "no Xvfb on $user"
    before=$(tree_xvfbs)
    env -u WINEPREFIX DISPLAY="$user" bash "$root/scripts/run.sh" >"$out/log" 2>&1 </dev/null &
    run=$!
    until_true 120 shown || fail "no main window on $user"
    grep -q Xvfb "$out/log" && fail "run.sh speaks of Xvfb with a display at hand"
    [ "$(tree_xvfbs)" = "$before" ] || fail "run.sh started an Xvfb: $(tree_xvfbs)"
    close_program $run
    ;;
headless)
    rm -f "$shot"
    env -u WINEPREFIX -u DISPLAY ZV_DISPLAY="$user" bash "$root/scripts/run.sh" >"$out/log" 2>&1 </dev/null &
    run=$!
    until_true 120 grep -q "screenshot in" "$out/log" || fail "no screenshot"
    xpid=$(tr -dc 0-9 <"/tmp/.X${user#:}-lock")   # run.sh's Xvfb, stopped at the end
    grep -qx Xvfb "/proc/$xpid/comm" 2>/dev/null || xpid=""
    grep -q "starting Xvfb on $user" "$out/log" || fail "run.sh does not say that it starts Xvfb"
    # The screenshot, cut to the window's place, is the window as the display shows it.
    id=$(window_id)
    [ -n "$id" ] || fail "no main window on $user"
    geometry=$(xwininfo -display "$user" -id "$id" |
               awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width/{w=$NF} /Height/{h=$NF} END{print w "x" h "+" x "+" y}')
    import -display "$user" -window "$id" "$out/window.png"
    convert "$shot" -crop "$geometry" +repage "$out/cut.png"
    differ=$(compare -metric AE "$out/window.png" "$out/cut.png" null: 2>&1)
    [ "$differ" = 0 ] || fail "the screenshot differs from the window ($geometry) in $differ pixels"
    close_program $run
    ;;
*) fail "unknown mode" ;;
esac
echo "run.sh $mode: passed"
