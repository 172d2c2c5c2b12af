#!/usr/bin/env bash
# Screenshots of the desktop window (ovhost --gui) for the README, taken under Xvfb:
# the restroom example's plan once the sizing command has run, the options dialog and the "Pipe Sizing Tables" dialog.
# Needs xvfb-run and ImageMagick's import; writes docs/gui_*.png.
#
#   bash scripts/gui_screenshots.sh [BIN]     # BIN: the folder of ovhost, build/release/bin by default
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${1:-$root/build/release/bin}"
for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "gui_screenshots: $tool is missing (xvfb, imagemagick)" >&2; exit 1; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/restroom/restroom.lsp" "$work/"
(cd "$work" && "$bin/ovhost" -q --new-project . >/dev/null && "$bin/ovhost" -q restroom.lsp >/dev/null)

# shot NAME ARGS...: ovhost --gui with ARGS on a virtual screen, photographed once
# it has drawn (a dialog opened by -e stays open until the window is killed).
shot() {
  local name=$1
  shift
  (cd "$work" && xvfb-run -a -s "-screen 0 1280x860x24" bash -c '
      "$@" >/dev/null 2>&1 & pid=$!
      sleep "${OV_SHOT_WAIT:-6}"
      import -window root "$0"
      kill $pid' "$root/docs/$name.png" "$bin/ovhost" -q --gui -d restroom.hdw "$@")
  echo "gui_screenshots: docs/$name.png"
}
shot gui_restroom -e '(c:plumb-size)'
shot gui_options -e '(ov_plumb-options "BLOCKS/" "pipe-breakWidth" nil)'
shot gui_sizing_tables -e '(ov_plumb-pipeSizingTable)'
