#!/usr/bin/env bash
# The demo: drawdemo writes every plain entity of the host into out/demo, then ovhost
# makes a new project in out/demo/plan and runs the plan example there with the
# module, so out/demo/plan/plan_features.svg (and .png) show what pipes draw.
# `make demo` builds first and then calls this.
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

ovhost="$root/build/release/bin/ovhost"
mkdir -p "$out/plan"
(cd "$out/plan" && "$ovhost" -q --new-project . && "$ovhost" -q "$root/examples/plan_features.lsp") || status=1
if command -v rsvg-convert >/dev/null && [ -f "$out/plan/plan_features.svg" ]; then
  rsvg-convert -w 1600 -b white "$out/plan/plan_features.svg" -o "$out/plan/plan_features.png" || status=1
fi

echo
echo "demo: outputs in $out"
ls -l "$out" "$out/plan"
exit $status
