#!/usr/bin/env bash
# Builds zorvex.exe and starts it under Wine with the Japanese code page: the shipped 32-bit
# program where this machine executes 32-bit code, else the 64-bit build. The program starts in
# its own folder, where the build puts the manual (zorvex.html) that F1 opens.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh || exit 1; fi
if bash scripts/probe32.sh; then
    export WINEARCH=win32 preset=windows
    echo "run: starting the 32-bit zorvex.exe (build/windows/app)"
else
    export WINEARCH=win64 preset=windows64
    echo "run: this machine cannot execute 32-bit code; starting the 64-bit zorvex.exe (build/windows64/app)"
fi
source scripts/env.sh
bash scripts/wine-up.sh || exit 1
cmake --preset $preset >/dev/null || { echo "run: cmake could not configure build/$preset" >&2; exit 1; }
cmake --build --preset $preset --target zorvex || { echo "run: zorvex.exe did not build" >&2; exit 1; }
cd build/$preset/app
exec wine zorvex.exe
