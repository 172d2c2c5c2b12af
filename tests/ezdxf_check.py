#!/usr/bin/python3
"""Checks a DXF file the way another tool sees it: ezdxf must read it, its audit must
find no error, and it may hold only the entity types it is expected to hold.

Exit status: 0 when the file passes, 1 when it does not (the reasons on stderr),
2 on bad arguments, 3 when ezdxf cannot be imported.
"""
import argparse
import collections
import sys

PLAIN_TYPES = {"LINE", "ARC", "CIRCLE", "LWPOLYLINE", "POLYLINE", "MTEXT", "TEXT"}


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("path", help="the DXF file")
    parser.add_argument("--expect-custom", action="append", default=[], metavar="DXFNAME",
                        help="a custom entity type the file must hold, listed in its CLASSES")
    parser.add_argument("--only-plain", action="store_true",
                        help="the file holds plain entities only and lists no entity class")
    parser.add_argument("--expect", action="append", default=[], metavar="TYPE=COUNT",
                        help="model space holds exactly COUNT entities of TYPE")
    parser.add_argument("--strict", action="store_true",
                        help="what the audit had to fix counts as a failure too")
    return parser.parse_args(argv)


def entity_types(doc):
    """Every entity of the layouts and blocks, as counts per type, and model space's."""
    everywhere = collections.Counter()
    for block in doc.blocks:
        for entity in block:
            everywhere[entity.dxftype()] += 1
    model = collections.Counter(entity.dxftype() for entity in doc.modelspace())
    return everywhere, model


def entity_classes(doc):
    return {cls.dxf.name for cls in doc.classes.classes.values() if cls.dxf.get("is_an_entity", 0)}


def check(args, ezdxf):
    problems = []
    try:
        doc = ezdxf.readfile(args.path)
    except (IOError, ezdxf.DXFStructureError) as err:
        return [f"ezdxf cannot read the file: {err}"]

    auditor = doc.audit()
    for error in auditor.errors:
        problems.append(f"audit error {error.code}: {error.message}")
    if args.strict:
        for fix in auditor.fixes:
            problems.append(f"audit had to fix {fix.code}: {fix.message}")

    everywhere, model = entity_types(doc)
    classes = entity_classes(doc)
    allowed = PLAIN_TYPES | set(args.expect_custom)
    for dxftype in sorted(set(everywhere) - allowed):
        problems.append(f"unexpected entity type {dxftype} ({everywhere[dxftype]} of them)")
    for name in args.expect_custom:
        if model[name] == 0:
            problems.append(f"model space holds no {name}")
        if name not in classes:
            problems.append(f"CLASSES does not list the entity class {name}")
    if args.only_plain and classes:
        problems.append("CLASSES lists entity classes: " + ", ".join(sorted(classes)))
    for item in args.expect:
        dxftype, _, count = item.partition("=")
        if not count.isdigit():
            problems.append(f"bad --expect {item!r}: TYPE=COUNT")
        elif model[dxftype] != int(count):
            problems.append(f"model space holds {model[dxftype]} {dxftype}, expected {count}")

    if not problems:
        summary = ", ".join(f"{n} {t}" for t, n in sorted(model.items()))
        print(f"ok: {args.path}: {summary or 'no entities'}")
    return problems


def main(argv):
    args = parse_args(argv)
    try:
        import ezdxf
    except ImportError as err:
        print(f"ezdxf cannot be imported: {err}", file=sys.stderr)
        return 3
    problems = check(args, ezdxf)
    for problem in problems:
        print(f"{args.path}: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
