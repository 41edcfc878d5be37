#!/usr/bin/env bash
# Builds zorvex.exe and starts it under Wine with the Japanese code page: the shipped 32-bit
# program where this machine executes 32-bit code, else the 64-bit build (WINEARCH, when set,
# chooses). The program starts in its own folder, where the build puts the manual (zorvex.html)
# that F1 opens. It shows on the caller's X display when one answers there; without one it runs
# on an Xvfb display, says so, and writes a screenshot once its main window is up.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
if [ -n "${WINEARCH:-}" ]; then
    why="WINEARCH=$WINEARCH"
elif bash scripts/probe32.sh; then
    WINEARCH=win32 why=""
else
    WINEARCH=win64 why="this machine cannot execute 32-bit code"
fi
if [ "$WINEARCH" = win32 ]; then preset=windows bits=32; else WINEARCH=win64 preset=windows64 bits=64; fi
export WINEARCH
echo "run: ${why:+$why; }starting the $bits-bit zorvex.exe (build/$preset/app)"
export ZV_RUN=1
source scripts/env.sh
shot=$PWD/build/run-screenshot.png
if [ "$ZV_DESKTOP" = 1 ]; then
    echo "run: showing it on the display $DISPLAY"
else
    xvfb="starting Xvfb on $DISPLAY"
    xdpyinfo >/dev/null 2>&1 && xvfb="using the Xvfb display $DISPLAY, which runs already"
    echo "run: no X display (DISPLAY is unset or does not answer): $xvfb to run it unseen;" \
         "$shot shows it once its window is up (Ctrl+C ends it)"
fi
[ -f build/$preset/CMakeCache.txt ] || cmake --preset $preset >/dev/null ||
    { echo "run: cmake could not configure build/$preset" >&2; exit 1; }
cmake --build --preset $preset --target zorvex || { echo "run: zorvex.exe did not build" >&2; exit 1; }
bash scripts/wine-up.sh || exit 1   # last: the wineserver is still up when the program starts
cd build/$preset/app
[ "$ZV_DESKTOP" = 1 ] && exec wine zorvex.exe

rm -f "$shot"
wine zorvex.exe </dev/null &
pid=$!
trap 'kill $pid 2>/dev/null' INT TERM
# Up means mapped and painted: the start-up picture brings far more colours than a blank window.
window_up() {
    local id colours
    id=$(xwininfo -name Zorvex 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
    [ -n "$id" ] && xwininfo -id "$id" | grep -q 'IsViewable' || return 1
    colours=$(import -window "$id" png:- 2>/dev/null | convert - -format '%k' info: 2>/dev/null)
    [ "${colours:-0}" -gt 16 ]
}
for _ in $(seq 600); do
    kill -0 $pid 2>/dev/null || break
    if window_up; then
        import -window root "$shot" && echo "run: its window is up: screenshot in $shot"
        break
    fi
    sleep 0.1
done
[ -f "$shot" ] || echo "run: no window came up, so there is no screenshot" >&2
wait $pid
