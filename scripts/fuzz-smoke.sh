#!/usr/bin/env bash
# fuzz-smoke.sh <fuzzer> <seed-corpus-dir> <seconds> [rss-limit-mb]
# Runs a libFuzzer target for a bounded time over a scratch copy of its seed corpus.
# Any crash, sanitizer report or leak fails the run.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=${3:-20} rss=${4:-2048}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
[ -d "$seeds" ] && cp -r "$seeds/." "$work/corpus/" 2>/dev/null || true
cd "$work"
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb="$rss" -timeout=10 -print_final_stats=1 corpus
