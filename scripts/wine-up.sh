#!/usr/bin/env bash
# Starts what the Windows tests need: one Xvfb for the session (unless the display answers), a
# Wine prefix with code page 932 and the fonts the dialogs ask for (32- or 64-bit, as WINEARCH in
# scripts/env.sh says), and a persistent, warmed-up wineserver (not for run.sh's own prefix).
# Idempotent. Says in one line why when it cannot.
set -uo pipefail
source "$(dirname "$0")/env.sh"
die() { echo "wine-up: $*" >&2; exit 1; }

if [ "$WINEARCH" = win32 ] && ! bash "$ZV_ROOT/scripts/probe32.sh"; then
    die "this machine cannot execute 32-bit code, so 32-bit Wine cannot start (use WINEARCH=win64)"
fi
command -v wine >/dev/null || die "wine is not installed (run scripts/setup.sh as root)"
command -v Xvfb >/dev/null || die "Xvfb is not installed (run scripts/setup.sh as root)"
command -v xdpyinfo >/dev/null || die "xdpyinfo is not installed (run scripts/setup.sh as root)"

disp="${DISPLAY#:}"
if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    rm -f "/tmp/.X${disp}-lock" "/tmp/.X11-unix/X${disp}"
    nohup Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    for _ in $(seq 100); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 || die "Xvfb did not start on display $DISPLAY"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    log="$WINEPREFIX/../$(basename "$WINEPREFIX").wineboot.log"
    if ! wineboot -i >"$log" 2>&1 </dev/null; then
        die "wineboot could not make the $WINEARCH prefix $WINEPREFIX (see $log)"
    fi
    wineserver -w
fi
[ -f "$WINEPREFIX/system.reg" ] || die "Wine made no prefix in $WINEPREFIX"
grep -q '"ACP"="932"' "$WINEPREFIX/system.reg" ||
    die "prefix $WINEPREFIX does not use code page 932 (was it made without LANG=ja_JP.UTF-8?)"

# The tests' wineserver stays up between test programs; the program's own (run.sh) ends with it.
[ "${ZV_RUN:-0}" = 1 ] || wineserver -p 2>/dev/null || true   # exits 2 when one is already running
# A persistent wineserver must see one Wine process before ctest starts any, or ctest hangs.
wine cmd /c exit >/dev/null 2>&1 </dev/null || die "Wine cannot start a program in $WINEPREFIX"

# The dialogs ask for the Japanese system fonts by name. Wine has none of them and falls back to
# a wider fixed-pitch font that cuts the labels; the IPA fonts have the same metrics. `wine reg`
# takes its arguments in the locale's UTF-8 and prints in code page 932.
key='HKCU\Software\Wine\Fonts\Replacements'
fonts=("ＭＳ Ｐゴシック=IPAPGothic" "MS PGothic=IPAPGothic" "ＭＳ ゴシック=IPAGothic"
       "MS Gothic=IPAGothic" "MS UI Gothic=IPAPGothic")
missing_fonts() {
    local have f
    have=$(wine reg query "$key" 2>/dev/null </dev/null | iconv -f CP932 -t UTF-8 2>/dev/null)
    for f in "${fonts[@]}"; do
        grep -qF "    ${f%%=*}    REG_SZ    ${f#*=}" <<<"$have" || echo "${f%%=*}"
    done
}
if [ -n "$(missing_fonts)" ]; then
    for f in "${fonts[@]}"; do
        wine reg add "$key" /v "${f%%=*}" /t REG_SZ /d "${f#*=}" /f >/dev/null 2>&1 </dev/null
    done
    [ -z "$(missing_fonts)" ] || die "could not write the font replacements into $WINEPREFIX"
fi

# The tests' Xvfb has no window manager. Wine hands top-level windows to one ("managed") and,
# each time such a window is hidden, waits two seconds for a window manager that never answers:
# every closed dialog cost the tests two seconds. Unmanaged, Wine places and focuses the windows
# itself, as it does on a bare X server. run.sh's own prefix keeps the user's window manager.
x11='HKCU\Software\Wine\X11 Driver'
if [ "${ZV_RUN:-0}" != 1 ] &&
   ! wine reg query "$x11" /v Managed 2>/dev/null </dev/null | grep -q 'REG_SZ *N'; then
    wine reg add "$x11" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null ||
        die "could not turn off window-manager hand-over in $WINEPREFIX"
fi

# F1 opens the manual through the shell. The prefix is made with mshtml off (no install prompt),
# which also leaves out the .html link to "htmlfile", whose command is Wine's hand-over to the
# desktop's own browser.
if ! wine reg query 'HKCR\.html' /ve 2>/dev/null </dev/null | grep -q htmlfile; then
    wine reg add 'HKCR\.html' /ve /t REG_SZ /d htmlfile /f >/dev/null 2>&1 </dev/null ||
        die "could not link .html to the browser in $WINEPREFIX"
fi
