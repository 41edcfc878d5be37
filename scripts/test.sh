#!/usr/bin/env bash
# Builds everything in both toolchains and runs every test: natively, under Wine, and the
# sanitizer/fuzz smoke build. Installs what is missing first (needs root on a fresh machine).
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
source scripts/env.sh

bash scripts/wine-up.sh || exit 1
trap 'bash scripts/wine-down.sh' EXIT

fail=0
step() { echo "== $*"; "$@" || fail=1; }

for p in host windows fuzz; do
    step cmake --preset "$p" >/dev/null && step cmake --build --preset "$p" || { fail=1; continue; }
done
for p in host windows fuzz; do
    [ -d "build/$p" ] || continue
    echo "== ctest --preset $p"
    ctest --preset "$p" || fail=1
done
exit $fail
