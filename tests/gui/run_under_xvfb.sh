#!/usr/bin/env bash
# Runs a test program of the desktop window on a virtual display (xvfb-run), or skips
# (77) where Xvfb is not installed. Standard arguments: the program, then its own.
set -u
if ! command -v xvfb-run >/dev/null || ! command -v Xvfb >/dev/null; then
  echo "skipped: xvfb-run is not installed (Debian packages xvfb and xauth)"
  exit 77
fi
# GTK's and GLib's own allocations live for the process; only the sanitisers' other
# checks are wanted here.
export ASAN_OPTIONS=detect_leaks=0
export NO_AT_BRIDGE=1 GTK_A11Y=none
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
