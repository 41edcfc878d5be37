#!/usr/bin/env bash
# Starts what the Windows tests need: one Xvfb for the session, a 32-bit Wine prefix with code
# page 932, and a persistent, warmed-up wineserver. Idempotent.
set -euo pipefail
source "$(dirname "$0")/env.sh"

disp="${DISPLAY#:}"
if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    rm -f "/tmp/.X${disp}-lock" "/tmp/.X11-unix/X${disp}"
    nohup Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    for _ in $(seq 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
fi
if ! grep -q '"ACP"="932"' "$WINEPREFIX/system.reg"; then
    echo "wine-up: prefix $WINEPREFIX does not use code page 932 (was it made without LANG=ja_JP.UTF-8?)" >&2
    exit 1
fi

wineserver -p 2>/dev/null || true   # exits 2 when one is already running
# A persistent wineserver must see one Wine process before ctest starts any, or ctest hangs.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
