#!/usr/bin/env bash
# Runs every benchmark of the release build and prints Google Benchmark's table.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release/bin/ov_bench
[ -x "$bin" ] || { echo "bench: $bin is missing; run make build" >&2; exit 1; }
"$bin" --benchmark_counters_tabular=true "$@"
