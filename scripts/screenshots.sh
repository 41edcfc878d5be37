#!/usr/bin/env bash
# Remakes the README's screenshots (docs/*.png) from the GUI tests' pause points: with
# ZV_GUI_PAUSE_MS set, a GUI test prints "PAUSE <what>" and holds still while this script
# photographs the window it shows. The 64-bit GUI tests run on the tests' Xvfb display
# (ZV_DISPLAY), with the serial ports and OBEX peer that the send test needs. There is no window
# manager there, so the windows have no title bars.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEARCH=win64
unset WINEPREFIX ZV_DESKTOP
source scripts/env.sh
bash scripts/wine-up.sh || exit 1
[ -f build/windows64/CMakeCache.txt ] || cmake --preset windows64 >/dev/null || exit 1
cmake --build --preset windows64 --target gui_tests zv_obex_peer >/dev/null ||
    { echo "screenshots: the GUI tests did not build" >&2; exit 1; }

# Pause point, the caption of the window it shows, the picture.
shots=("main window|Zorvex|docs/main-window.png"
       "send settings|シリアル送信設定|docs/send-settings.png"
       "send finished|送信完了|docs/send-finished.png"
       "continuous receive|連続受信 (3 件)|docs/continuous-receive.png")
tests='Gui.StartsWithA320By200ClientArea:SerialDialog.SuccessfulSendMakesTheSentFormatAndTextsCurrent:ReceiveE2E.ContinuousReceiveKeepsEveryObjectInTheFolder'

serial=$root/build/windows64/tests/transport/serial
fixture=$root/tests/transport/scripts/serial-fixture.sh
bash "$fixture" up "$serial" >/dev/null || exit 1
made=$(mktemp)
trap 'bash "$fixture" down "$serial" >/dev/null; rm -f "$made"' EXIT
mkdir -p docs

# The window as the display shows it, once two photographs in a row agree (painting is over).
photograph() {  # photograph <caption> <file>
    local id now previous=""
    for _ in $(seq 30); do
        id=$(xwininfo -name "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
        if [ -n "$id" ] && import -window "$id" "$2.new.png" 2>/dev/null; then
            now=$(identify -format '%#' "$2.new.png")
            if [ "$now" = "$previous" ]; then
                convert "$2.new.png" -strip "$2" && rm -f "$2.new.png"   # no time stamps: remade, unchanged
                return
            fi
            previous=$now
        fi
        sleep 0.1
    done
    rm -f "$2.new.png"
    return 1
}

cd build/windows64/tests/app/gui
ZV_GUI_PAUSE_MS=4000 ZV_SERIAL_DIR=$serial wine gui_tests.exe --gtest_filter="$tests" </dev/null 2>&1 |
while IFS= read -r line; do
    line=${line%$'\r'}
    [[ $line == "PAUSE "* ]] || continue
    for shot in "${shots[@]}"; do
        IFS='|' read -r what caption file <<<"$shot"
        [ "$what" = "${line#PAUSE }" ] || continue
        photograph "$caption" "$root/$file" && echo "$file" >>"$made" && echo "screenshots: $file"
    done
done
rc=${PIPESTATUS[0]}
missing=0
for shot in "${shots[@]}"; do
    IFS='|' read -r what caption file <<<"$shot"
    grep -qx "$file" "$made" || { echo "screenshots: no picture of \"$what\" ($file)" >&2; missing=1; }
done
[ "$rc" = 0 ] || echo "screenshots: the GUI tests failed (exit $rc)" >&2
[ "$rc" = 0 ] && [ $missing = 0 ]
