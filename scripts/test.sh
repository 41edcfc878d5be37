#!/usr/bin/env bash
# Builds every tree and runs every test: natively (host), the 64-bit Windows build under 64-bit
# Wine (windows64), the shipped 32-bit Windows build under 32-bit Wine (windows) where this
# machine executes 32-bit code, and the sanitizer/libFuzzer smoke build (fuzz). The 32-bit tree
# is built everywhere, and its zorvex.exe and zvx.exe checked from their PE headers. Installs what is missing
# first (needs root on a fresh machine).
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
root=$PWD
can32=0
bash scripts/probe32.sh && can32=1

# Each Windows suite runs in its own Wine (prefix, loader, server).
winenv() {  # winenv <win32|win64>: the Wine environment of that suite, in a subshell's scope
    unset WINEPREFIX ZV_RUN   # the suites' own prefixes and Xvfb display, never the caller's
    export WINEARCH=$1
    source "$root/scripts/env.sh"
}
cleanup() {
    (winenv win64; bash scripts/wine-down.sh)
    [ $can32 = 1 ] && (winenv win32; bash scripts/wine-down.sh)
}
trap cleanup EXIT

fail=0
for p in host windows windows64 fuzz; do
    echo "== build $p"
    if ! { cmake --preset "$p" >/dev/null && cmake --build --preset "$p"; }; then
        echo "== build $p FAILED"
        fail=1
    fi
done

passed=0 failed=0
count() {  # count <log>: adds CTest's summary line to the totals; 1 when there is none
    local line f n
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
    [ -n "$line" ] || return 1
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    n=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + n - f)) failed=$((failed + f))
}
log=$(mktemp)
suite() {  # suite <preset> [win32|win64]
    local p=$1 arch=${2:-} rc
    [ -f "build/$p/CTestTestfile.cmake" ] || { echo "== $p: not configured"; fail=1; return; }
    echo "== ctest --preset $p"
    if [ -n "$arch" ]; then
        (winenv "$arch"; bash scripts/wine-up.sh && ctest --preset "$p") 2>&1 | tee "$log"
    else
        ctest --preset "$p" 2>&1 | tee "$log"
    fi
    rc=${PIPESTATUS[0]}
    count "$log" || fail=1
    [ "$rc" = 0 ] || fail=1
}

suite host
suite windows64 win64
if [ $can32 = 1 ]; then
    suite windows win32
else
    echo "== windows (32-bit) suite skipped: this machine cannot execute 32-bit code, so 32-bit Wine" \
         "cannot run; its tree was built and its zorvex.exe and zvx.exe are checked below"
    for exe in "app/zorvex.exe i386" "cli/zvx.exe i386 console"; do
        # shellcheck disable=SC2086 # the path, the machine and the kind
        if bash scripts/check-pe.sh build/windows/$exe; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1)) fail=1
        fi
    done
fi
suite fuzz
rm -f "$log"
[ "$passed" -gt 0 ] || fail=1
echo "total: $passed passed, $failed failed"
exit $fail
