# Environment for building and running the Windows side under Wine. Source it from the repo root
# (or with ZV_ROOT set).
ZV_ROOT="${ZV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export ZV_ROOT
export WINEPREFIX="${WINEPREFIX:-$ZV_ROOT/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8          # gives the Wine prefix ANSI code page 932
export LC_ALL=
export DISPLAY="${ZV_DISPLAY:-:99}"
