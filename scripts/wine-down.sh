#!/usr/bin/env bash
# Stops the wineserver of this tree's prefix (Xvfb stays: other trees may share it).
source "$(dirname "$0")/env.sh"
wineserver -k 2>/dev/null || true
