#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for a bounded time (FUZZ_SECONDS, default 60,
# each) on a copy of its seed corpus. An input that crashes the host is copied into
# the target's corpus folder, so that the corpus replay test reproduces it from then
# on; the script then exits with status 1.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/fuzz/bin"
seconds="${FUZZ_SECONDS:-60}"
found=0

shopt -s nullglob
targets=("$bin"/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets in $bin; run 'make fuzz'" >&2
  exit 2
fi

for target in "${targets[@]}"; do
  name="$(basename "$target")"
  name="${name#fuzz_}"
  seeds="$root/tests/fuzz/corpus/$name"
  work="$(mktemp -d)"
  mkdir -p "$work/corpus" "$work/findings"
  [ -d "$seeds" ] && cp "$seeds"/* "$work/corpus/" 2>/dev/null
  echo "fuzz: $name for ${seconds}s on $(ls "$work/corpus" | wc -l) seeds"
  (cd "$work" && ASAN_OPTIONS="detect_leaks=1" "$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" \
      >"$work/log" 2>&1)
  status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$work/log" | sed "s/^/  /"
  findings=("$work/findings"/*)
  if [ $status -ne 0 ] || [ ${#findings[@]} -gt 0 ]; then
    found=1
    mkdir -p "$seeds"
    echo "fuzz: $name FAILED (status $status); the fuzzer's report:"
    grep -E '^fuzz_|ERROR|SUMMARY|^    #[0-9]+ ' "$work/log" | head -30 | sed "s/^/  /"
    for f in "${findings[@]}"; do
      cp "$f" "$seeds/"
      echo "fuzz: the input is now $seeds/$(basename "$f"); the replay test reproduces it"
    done
    echo "  full log: $work/log"
  else
    rm -rf "$work"
  fi
done

[ $found -eq 0 ] && echo "fuzz: no crash found"
exit $found
