# Environment for building and running the Windows side under Wine. Source it from the repo root
# (or with ZV_ROOT set). WINEARCH selects the Wine: win32 (the shipped program; needs a machine
# that executes 32-bit code) or win64 (the 64-bit build). Unset, it is win32 where 32-bit code
# runs, else win64. Each has a prefix of its own.
# ZV_RUN=1 (run.sh sets it) is the program as a user runs it: prefixes of its own, apart from the
# tests' Wine (a program on a desktop leaves that screen's size and its single-instance mutex in
# its wineserver), and the caller's X display when one answers there.
ZV_ROOT="${ZV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export ZV_ROOT
if [ -z "${WINEARCH:-}" ]; then
    if bash "$ZV_ROOT/scripts/probe32.sh"; then WINEARCH=win32; else WINEARCH=win64; fi
fi
export WINEARCH
run=""
[ "${ZV_RUN:-0}" = 1 ] && run=-run
if [ "$WINEARCH" = win64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$ZV_ROOT/build/wineprefix64$run}"
    # wine, wineserver, regedit, ... through the 64-bit loader
    case ":$PATH:" in *":$ZV_ROOT/scripts/wine64:"*) ;; *) PATH="$ZV_ROOT/scripts/wine64:$PATH" ;; esac
    export PATH
else
    export WINEPREFIX="${WINEPREFIX:-$ZV_ROOT/build/wineprefix$run}"
fi
unset run
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8          # gives the Wine prefix ANSI code page 932
export LC_ALL=
# X display. The tests and this shell use their own Xvfb display, ZV_DISPLAY (default :99), and
# never a user's desktop. With ZV_RUN=1 the caller's DISPLAY stays when an X server answers there
# (ZV_DESKTOP=1); else it is ZV_DISPLAY (ZV_DESKTOP=0).
export ZV_DISPLAY="${ZV_DISPLAY:-:99}"
if [ "${ZV_RUN:-0}" = 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    export ZV_DESKTOP=1 DISPLAY
else
    export ZV_DESKTOP=0 DISPLAY="$ZV_DISPLAY"
fi
