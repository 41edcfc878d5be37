#!/usr/bin/env bash
# Builds zorvex.exe and starts it under Wine with the Japanese code page.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi
source scripts/env.sh
bash scripts/wine-up.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target zorvex 2>/dev/null || {
    echo "run.sh: zorvex.exe is not part of the build yet (the main window arrives in a later step)." >&2
    exit 1
}
exec wine build/windows/app/zorvex.exe
