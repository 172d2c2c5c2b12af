#!/usr/bin/env bash
# Checks the restroom example's drawing files the way other tools see them: runs the
# example on a new project, then
#   dxf       ezdxf reads and audits both DXFs clean, the custom one holding the
#             pipe and arrow entities, the flattened one plain entities only;
#   librecad  LibreCAD prints the flattened DXF to a PDF that holds drawn lines.
#
#   restroom_files.sh OVHOST dxf|librecad
#
# Exit 0 pass, 1 fail, 77 skipped (the tool is not installed).
set -u

ovhost=$1
check=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$check" = librecad ] && ! command -v librecad >/dev/null; then
  echo "skipped: librecad is not installed (scripts/install-deps.sh installs it where it can)"
  exit 77
fi
if [ "$check" = dxf ] && ! /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo "skipped: /usr/bin/python3 cannot import ezdxf (scripts/install-deps.sh installs it)"
  exit 77
fi

if ! (cd "$work" && TMPDIR="$work" "$ovhost" -q --new-project . &&
      TMPDIR="$work" "$ovhost" -q "$root/examples/restroom/restroom.lsp") >"$work/run.log" 2>&1; then
  echo "the example failed:"
  cat "$work/run.log"
  exit 1
fi

case $check in
  dxf)
    # 35 pipes and 24 arrows stay custom entities; flattened, no class is left.
    status=0
    /usr/bin/python3 "$root/tests/ezdxf_check.py" "$work/restroom.dxf" --strict \
      --expect-custom OVPLUMBPIPE --expect-custom OVPLUMBPIPEARROW \
      --expect OVPLUMBPIPE=35 --expect OVPLUMBPIPEARROW=24 || status=1
    /usr/bin/python3 "$root/tests/ezdxf_check.py" "$work/restroom_flat.dxf" --strict --only-plain || status=1
    exit $status
    ;;
  librecad)
    # LibreCAD needs a display only for its window; the offscreen platform does
    # without one. A file it cannot read makes it wait, hence the timeout.
    export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"
    if ! timeout 120 librecad dxf2pdf -a -t "$work/pdf" "$work/restroom_flat.dxf" >"$work/librecad.log" 2>&1; then
      echo "librecad dxf2pdf failed:"
      cat "$work/librecad.log"
      exit 1
    fi
    pdf="$work/pdf/restroom_flat.pdf"
    # The page's content stream must draw: hundreds of line segments, not an empty page.
    /usr/bin/python3 - "$pdf" <<'EOF'
import re, sys, zlib
path = sys.argv[1]
try:
    data = open(path, "rb").read()
except OSError as err:
    sys.exit(f"no PDF: {err}")
if not data.startswith(b"%PDF"):
    sys.exit(f"{path} is not a PDF")
segments = 0
for stream in re.finditer(rb"stream\r?\n(.*?)endstream", data, re.S):
    try:
        segments += zlib.decompress(stream.group(1)).count(b" l\n")
    except zlib.error:
        pass
if segments < 300:
    sys.exit(f"{path} draws {segments} line segments; the plan needs several hundred")
print(f"ok: {path}: {segments} line segments")
EOF
    ;;
  *)
    echo "unknown check $check (dxf or librecad)"
    exit 2
    ;;
esac
