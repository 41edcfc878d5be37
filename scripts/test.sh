#!/usr/bin/env bash
# Builds everything in both toolchains and runs every test: natively (host), under Wine
# (windows) and the sanitizer/libFuzzer smoke build (fuzz). Installs what is missing first
# (needs root on a fresh machine).
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
source scripts/env.sh

bash scripts/wine-up.sh || exit 1
trap 'bash scripts/wine-down.sh' EXIT

presets=(host windows fuzz)
fail=0
for p in "${presets[@]}"; do
    echo "== build $p"
    if ! { cmake --preset "$p" >/dev/null && cmake --build --preset "$p"; }; then
        echo "== build $p FAILED"
        fail=1
    fi
done

passed=0 failed=0
log=$(mktemp)
for p in "${presets[@]}"; do
    [ -f "build/$p/CTestTestfile.cmake" ] || { fail=1; continue; }
    echo "== ctest --preset $p"
    ctest --preset "$p" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" = 0 ] || fail=1
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        n=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + n - f)) failed=$((failed + f))
    else
        fail=1
    fi
done
rm -f "$log"
[ "$passed" -gt 0 ] || fail=1
echo "total: $passed passed, $failed failed"
exit $fail
