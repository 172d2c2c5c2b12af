#!/usr/bin/env python3
"""One table of the benchmark run: each workload beside the floor or peer measured in
the same run, the ratio between them and the target it is held to.

Reads Google Benchmark's JSON output and, when given, the ezdxf peer's JSON line.
A floor is work that cannot be beaten (the bare arithmetic, memcpy, a bare walk of the
arguments), so its ratio says how many times slower the workload is; a peer is the tool
a user would script instead, so its ratio says how many times faster the workload is.
"""
import json
import sys

# (workload, benchmark, floor or peer, its source, how the ratio reads, target)
# source "bench:NAME" is a benchmark of the same run, "ezdxf:KEY" a value of the peer.
# kind "floor": ratio = floor rate / workload rate, target is the most allowed;
# kind "peer": ratio = workload rate / peer rate, target is the least allowed;
# kind "rate": no partner, target is the least rate; kind "counter": a counter, target
# is the most allowed.
ROWS = [
    ("draw 100k pipes + arrows", "BM_DrawPlan", "floor", "bench:BM_DrawPlanFloor", 5.0),
    (".hdw save 100k pipes", "BM_HdwSavePlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    (".hdw open only", "BM_HdwOpenPlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    (".hdw open + save unchanged", "BM_HdwOpenSavePlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    (".hdw open + save unchanged", "BM_HdwOpenSavePlan", "rate", None, 1_000_000.0),
    (".hdw open + 1% edit + save", "BM_HdwOpenEditSavePlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    (".hdw open + 1% edit + save", "BM_HdwOpenEditSavePlan", "rate", None, 500_000.0),
    (".hdw open + full regeneration", "BM_HdwOpenRegenPlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    (".hdw save built + open", "BM_HdwSaveOpenPlan", "floor", "bench:BM_HdwMemcpyFloor", None),
    ("DXF write, flattened", "BM_DxfWriteFlat", "peer", "ezdxf:write_per_s", 20.0),
    ("DXF read, flattened", "BM_DxfReadFlat", "peer", "ezdxf:read_per_s", 20.0),
    ("LISP setPipeInfo, every key", "BM_LispSetPipeInfo", "floor", "bench:BM_LispWalkSetPipeInfo", None),
    ("LISP setPipeInfo calls/s", "BM_LispSetPipeInfo", "rate", None, 100_000.0),
    ("LISP setPipeBreaks, 20 breaks", "BM_LispSetPipeBreaks", "floor", "bench:BM_LispWalkSetPipeBreaks", None),
    ("LISP pipe-elbowList", "BM_LispElbowList", "floor", "bench:BM_LispWalkElbowList", None),
    ("memory per pipe, built (bytes)", "BM_PlanMemory/0", "counter", "bytes/pipe", 2048.0),
    ("memory per pipe, opened (bytes)", "BM_PlanMemory/1", "counter", "bytes/pipe", 2048.0),
    ("filer: 1000 lines", "BM_FileOutLines", "floor", "bench:BM_MemcpyFloor", None),
    ("project: find by key", "BM_Project_FindByKey_Record", "floor", "bench:BM_Project_FindByKey_Sqlite", None),
    ("project: update 3 columns", "BM_Project_UpdateThreeColumns_Record", "floor",
     "bench:BM_Project_UpdateThreeColumns_Sqlite", None),
    ("project: query 100k rows", "BM_Project_Query100k_Component", "floor", "bench:BM_Project_Scan100k_Sqlite", None),
    ("server project: find by key", "BM_ProjectServer_FindByKey_Record", "floor",
     "bench:BM_ProjectServer_FindByKey_Libpq", 2.0),
    ("server project: update 3 columns", "BM_ProjectServer_UpdateThreeColumns_Record", "floor",
     "bench:BM_ProjectServer_UpdateThreeColumns_Libpq", 2.0),
    ("server project: query 100k rows", "BM_ProjectServer_Query100k_Component", "floor",
     "bench:BM_ProjectServer_Scan100k_Libpq", 2.0),
]


def load_benchmarks(path):
    """Name -> result; with repetitions the median stands for the benchmark."""
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    plain, medians = {}, {}
    for b in data.get("benchmarks", []):
        name = b.get("run_name", b["name"])
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians[name] = b
        elif name not in plain:
            plain[name] = b
    plain.update(medians)
    return plain


def find(benchmarks, name):
    """The benchmark of that name, or of that name with its fixed settings after it
    (BM_PlanMemory/1 stands for BM_PlanMemory/1/iterations:1)."""
    if name in benchmarks:
        return benchmarks[name]
    for key, result in benchmarks.items():
        if key.startswith(name + "/"):
            return result
    return None


def rate(result, partner=None):
    """Items per second if the benchmark (and its partner, when given) counted items,
    else bytes per second, so that a workload and its floor compare in one unit."""
    if result is None:
        return None
    for key in ("items_per_second", "bytes_per_second"):
        if key in result and (partner is None or key in partner):
            return float(result[key])
    return None


def human(value, unit="/s"):
    if value is None:
        return "-"
    for factor, suffix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if abs(value) >= factor:
            return f"{value / factor:.2f}{suffix}{unit}"
    return f"{value:.1f}{unit}"


def megabytes(result):
    if result is None or "bytes_per_second" not in result:
        return ""
    return f" ({result['bytes_per_second'] / 1e6:.0f} MB/s)"


def summarise(benchmarks, peer):
    lines = []
    for label, name, kind, source, target in ROWS:
        result = find(benchmarks, name)
        if result is None:
            lines.append((label, "not run", "", "", ""))
            continue
        ours = rate(result)
        if kind == "counter":
            value = float(result.get(source, float("nan")))
            verdict = "met" if value <= target else "MISSED"
            lines.append((label, f"{value:.0f}", "", "", f"<= {target:.0f} {verdict}"))
            continue
        if kind == "rate":
            if ours is None:
                lines.append((label, "no rate", "", "", ""))
                continue
            verdict = "met" if ours >= target else "MISSED"
            lines.append((label, human(ours), "", "", f">= {human(target)} {verdict}"))
            continue
        origin, key = source.split(":", 1)
        if origin == "bench":
            partner = find(benchmarks, key)
            if partner is None:
                lines.append((label, human(rate(result)) + megabytes(result), key, "not run", ""))
                continue
            partner_name, theirs = key, rate(partner, result)
            ours = rate(result, partner)
            if "items_per_second" not in partner or "items_per_second" not in result:
                partner_name += " bytes"
        else:
            partner_name, theirs = f"ezdxf {key.split('_')[0]}", (peer or {}).get(key)
        if theirs is None or not ours:
            lines.append((label, human(rate(result)) + megabytes(result), partner_name, "not run", ""))
            continue
        if kind == "floor":
            ratio = theirs / ours
            text = f"{ratio:.2f}x slower"
            verdict = "" if target is None else f"<= {target:g}x {'met' if ratio <= target else 'MISSED'}"
        else:
            ratio = ours / theirs
            text = f"{ratio:.1f}x faster"
            verdict = f">= {target:g}x {'met' if ratio >= target else 'MISSED'}"
        lines.append((label, human(rate(result)) + megabytes(result), f"{partner_name} {human(theirs)}", text, verdict))
    return lines


def print_table(lines):
    heads = ("workload", "throughput", "floor / peer (same run)", "ratio", "target")
    widths = [max(len(h), *(len(row[i]) for row in lines)) for i, h in enumerate(heads)]
    rule = "-+-".join("-" * w for w in widths)
    print(" | ".join(h.ljust(w) for h, w in zip(heads, widths)))
    print(rule)
    for row in lines:
        print(" | ".join(cell.ljust(w) for cell, w in zip(row, widths)))


def main(argv):
    if len(argv) not in (2, 3):
        print("usage: bench_summary.py BENCH.json [EZDXF.json]", file=sys.stderr)
        return 2
    benchmarks = load_benchmarks(argv[1])
    peer = None
    if len(argv) == 3:
        try:
            with open(argv[2], encoding="utf-8") as f:
                peer = json.load(f)
        except (OSError, ValueError) as error:
            print(f"bench_summary: no ezdxf figures ({error})", file=sys.stderr)
    print_table(summarise(benchmarks, peer))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
