#!/usr/bin/env bash
# Builds zorvex.exe and starts it under Wine with the Japanese code page. The program starts in
# its own folder, where the build puts the manual (zorvex.html) that F1 opens.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi
source scripts/env.sh
bash scripts/wine-up.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target zorvex
cd build/windows/app
exec wine zorvex.exe
