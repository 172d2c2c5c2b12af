#!/usr/bin/env bash
# The demo: drawdemo writes every plain entity of the host into out/demo, then ovhost
# makes a new project in out/demo/restroom and runs the restroom example there with the
# module: a drawing (.hdw), its DXF with the custom entities, a flattened DXF, an SVG
# and a PNG, a summary of what they hold; then the restroom's systems sized (the
# schedule, and the drawing relabelled as restroom_sized.svg and .png), and the
# project explorer's tree of its pipes. `make demo` builds first and then calls this; the repository itself stays
# untouched.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="$root/build/release/bin"
out="$root/out/demo"
room="$out/restroom"

for program in drawdemo ovhost; do
  if [ ! -x "$bin/$program" ]; then
    echo "demo: $bin/$program is missing; build the release preset first (make build)" >&2
    exit 1
  fi
done

rm -rf "$out"
mkdir -p "$out" "$room"
status=0
(cd "$out" && "$bin/drawdemo" "$out" >/dev/null) || status=1

cp "$root/examples/restroom/restroom.lsp" "$room/"
echo "demo: a new project in $room, then the restroom example"
(cd "$room" && "$bin/ovhost" -q --new-project . >/dev/null && "$bin/ovhost" -q restroom.lsp) || status=1

# The designer sizes the four systems: the host program adds up the fixture units,
# picks sizes from the project's sizing tables, relabels the pipes and writes the
# schedule beside the drawing.
echo
echo "demo: sizing the restroom's systems"
(cd "$room" && "$bin/ovhost" -q -d restroom.hdw "$root/examples/restroom/size_restroom.lsp" | grep -v '^$' \
  | grep -v -e '^Loading' -e 'are ready' && echo && echo "demo: restroom-schedule.csv" && sed "s/^/  /" restroom-schedule.csv) \
  || status=1

# The example keeps its pipes in the project: the project explorer lists them, one
# level opened at a time (examples/restroom/explorer.ui answers the dialog).
echo
echo "demo: the project explorer on the restroom's project"
(cd "$room" && "$bin/ovhost" -q --ui "$root/examples/restroom/explorer.ui" -e '(ov_plumb-ProjectExplorer 0 1 "")' \
  | sed -n '/^-> show/,/^\[1003\]/p' | grep -v '^\[100[23]\]') || status=1

# The PNG is drawn on a dark ground as the host shows a drawing: the project's label
# layer is yellow, and colour 7 (black on paper) turns white there.
if command -v rsvg-convert >/dev/null; then
  for picture in restroom restroom_sized; do
    [ -f "$room/$picture.svg" ] || continue
    sed -e 's/fill="#ffffff"/fill="#1e1e1e"/' -e 's/#000000/#ffffff/g' "$room/$picture.svg" >"$room/dark.svg"
    rsvg-convert -w 2000 "$room/dark.svg" -o "$room/$picture.png" || status=1
    rm -f "$room/dark.svg"
  done
fi

# What the files hold, counted by another reader of DXF.
if [ -f "$room/restroom_flat.dxf" ] && /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  /usr/bin/python3 - "$room/restroom.dxf" "$room/restroom_flat.dxf" <<'EOF' || status=1
import collections, sys, ezdxf
custom = collections.Counter(e.dxftype() for e in ezdxf.readfile(sys.argv[1]).modelspace())
flat = ezdxf.readfile(sys.argv[2]).modelspace()
# Hidden copies of pipes lie at elevation 100000; labels are on the label layer.
labels = sum(1 for e in flat if e.dxftype() == "MTEXT" and e.dxf.layer == "P-ANNO-TEXT"
             and e.dxf.insert.z < 1000.0)
print(f"demo: restroom.dxf holds {custom['OVPLUMBPIPE']} pipes and {custom['OVPLUMBPIPEARROW']} flow arrows;"
      f" flattened, {len(flat)} plain entities with {labels} labels drawn")
EOF
fi

echo
echo "demo: outputs"
for f in "$out"/demo* "$room"/restroom*; do
  [ -f "$f" ] && printf '  %s\n' "${f#$root/}"
done
cat <<EOF

Open the drawing at the ovhost prompt:
  cd ${room#$root/} && ../../../build/release/bin/ovhost -d restroom.hdw -i
  Command: (host-list (entlast))
EOF
exit $status
