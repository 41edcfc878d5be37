#!/usr/bin/env bash
# Builds every tree and runs every test: natively (host), the 64-bit Windows build under 64-bit
# Wine (windows64), the shipped 32-bit Windows build under 32-bit Wine (windows) where this
# machine executes 32-bit code, and the sanitizer/libFuzzer smoke build (fuzz). Where it cannot,
# the 32-bit tree builds only zorvex.exe and zvx.exe (its tests could not run), which are checked
# from their PE headers. Installs what is missing first (needs root on a fresh machine).
#
# The Windows suites spend most of their time waiting on Wine and the GUI, so each starts as soon
# as its tree is built and runs while the other trees build and the other suites run; the two
# Windows suites have their own prefix, wineserver, X display and ports. Each suite's output goes
# to build/test-logs/<suite>.log and is shown when the suite ends. The last lines give each step's
# time, which suites ran and which were skipped and why, and the totals.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
root=$PWD
start=$SECONDS
can32=0
bash scripts/probe32.sh && can32=1
logs=$root/build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

# Each Windows suite runs in its own Wine (prefix, loader, server) on its own X display; the
# 32-bit one two displays above the 64-bit one (run.sh's test takes the display after each).
display64=${ZV_DISPLAY:-:99}
display32=":$((${display64#:} + 2))"
winenv() {  # winenv <win32|win64>: the Wine environment of that suite, in a subshell's scope
    unset WINEPREFIX ZV_RUN   # the suites' own prefixes and Xvfb display, never the caller's
    export WINEARCH=$1
    if [ "$1" = win32 ]; then export ZV_DISPLAY=$display32; else export ZV_DISPLAY=$display64; fi
    source "$root/scripts/env.sh"
}
running=()   # process groups of the suites not yet waited for
cleanup() {
    local p
    for p in "${running[@]}"; do kill -- "-$p" 2>/dev/null; done
    (winenv win64; bash scripts/wine-down.sh)
    [ $can32 = 1 ] && (winenv win32; bash scripts/wine-down.sh)
}
trap cleanup EXIT

fail=0
times=()
took() {  # took <what> <since>: one line of the time table
    times+=("$(printf '  %-26s %5d s' "$1" $((SECONDS - $2)))")
}
build() {  # build <preset> [target...]: 0 when the tree built
    local p=$1 t=$SECONDS rc=0
    shift
    echo "== build $p${1:+ ($*)}"
    cmake --preset "$p" >/dev/null && cmake --build --preset "$p" ${1:+--target "$@"} || rc=1
    took "build $p" $t
    [ $rc = 0 ] || { echo "== build $p FAILED"; fail=1; }
    return $rc
}

# A suite runs in the background: its own process group, its output in its log, its exit status
# and run time in files beside it.
start_suite() {  # start_suite <preset> [win32|win64]
    local p=$1 arch=${2:-}
    [ -f "build/$p/CTestTestfile.cmake" ] || { echo "== $p: not configured"; fail=1; return 1; }
    echo "== ctest --preset $p (in the background; output in ${logs#"$root"/}/$p.log)"
    setsid bash -c '
        p=$1 arch=$2 logs=$3 t=$SECONDS
        if [ -n "$arch" ]; then
            (winenv "$arch"; bash scripts/wine-up.sh && ctest --preset "$p")
        else
            ctest --preset "$p"
        fi >"$logs/$p.log" 2>&1 </dev/null
        echo $? >"$logs/$p.rc"
        echo $((SECONDS - t)) >"$logs/$p.seconds"
    ' - "$p" "$arch" "$logs" &
    running+=($!)
    suites+=("$p:$!")
}
export -f winenv
export root display32 display64

passed=0 failed=0
count() {  # count <log>: adds CTest's summary line to the totals; 1 when there is none
    local line f n
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
    [ -n "$line" ] || return 1
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    n=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + n - f)) failed=$((failed + f))
}
ran=() skipped=()
finish_suite() {  # finish_suite <preset> <pid>: waits for it, shows its output and counts it
    local p=$1 rc g
    wait "$2"
    for g in "${!running[@]}"; do [ "${running[$g]}" = "$2" ] && unset "running[$g]"; done
    echo "== ctest --preset $p: output"
    cat "$logs/$p.log"
    rc=$(cat "$logs/$p.rc" 2>/dev/null || echo none)
    times+=("$(printf '  %-26s %5s s' "suite $p" "$(cat "$logs/$p.seconds" 2>/dev/null || echo '?')")")
    if count "$logs/$p.log"; then ran+=("$p"); else fail=1 skipped+=("$p: no CTest summary (see its output)"); fi
    [ "$rc" = 0 ] || fail=1
}

suites=()
# The Wine prefixes (the tests' and run.sh's own) are made while the first tree builds.
prefixes() {  # prefixes <win32|win64>: the tests' prefix, then run.sh's own
    (winenv "$1"; bash scripts/wine-up.sh) && (winenv "$1"; unset WINEPREFIX; ZV_RUN=1 bash scripts/wine-up.sh)
}
prefixes win64 >"$logs/prefix64.log" 2>&1 </dev/null &
prefix64=$!
build windows64
built=$?
wait $prefix64
[ $built = 0 ] && start_suite windows64 win64
build host && start_suite host
if [ $can32 = 1 ]; then
    if build windows; then
        prefixes win32 >"$logs/prefix32.log" 2>&1 </dev/null
        start_suite windows win32
    fi
else
    build windows zorvex zvx
fi
build fuzz && start_suite fuzz

if [ $can32 = 0 ]; then
    skipped+=("windows (32-bit): this machine cannot execute 32-bit code, so 32-bit Wine cannot run (its zorvex.exe and zvx.exe were built and checked from their PE headers)")
    echo "== windows (32-bit) suite skipped: this machine cannot execute 32-bit code, so 32-bit Wine" \
         "cannot run; its zorvex.exe and zvx.exe are built and checked here"
    for exe in "app/zorvex.exe i386" "cli/zvx.exe i386 console"; do
        # shellcheck disable=SC2086 # the path, the machine and the kind
        if bash scripts/check-pe.sh build/windows/$exe; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1)) fail=1
        fi
    done
fi
for s in "${suites[@]}"; do finish_suite "${s%:*}" "${s##*:}"; done
for p in host windows64 windows fuzz; do
    [ $p = windows ] && [ $can32 = 0 ] && continue
    [[ " ${suites[*]} " == *" $p:"* ]] || skipped+=("$p: its tree did not build")
done

[ "$passed" -gt 0 ] || fail=1
echo "== times (the suites ran alongside the builds after theirs and each other)"
printf '%s\n' "${times[@]}"
took "all" "$start"
echo "${times[-1]}"
echo "== ran: ${ran[*]:-none}"
for s in "${skipped[@]}"; do echo "== skipped: $s"; done
echo "total: $passed passed, $failed failed"
exit $fail
