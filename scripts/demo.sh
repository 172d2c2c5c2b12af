#!/usr/bin/env bash
# The stage-one demo: runs drawdemo from the release build into a fresh out/demo and
# lists what it wrote. `make demo` builds first and then calls this.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="$root/build/release/bin/drawdemo"
out="$root/out/demo"

if [ ! -x "$bin" ]; then
  echo "demo: $bin is missing; build the release preset first (make build)" >&2
  exit 1
fi

rm -rf "$out"
mkdir -p "$out"
(cd "$out" && "$bin" "$out")
status=$?

echo
echo "demo: outputs in $out"
ls -l "$out"
exit $status
