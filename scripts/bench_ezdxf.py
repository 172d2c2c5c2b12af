#!/usr/bin/python3
# The peer of ov_bench's flattened DXF benchmarks: how fast ezdxf reads and writes the
# same file (the one BM_DxfWriteFlat left at $OV_BENCH_DXF), as one line of JSON.
import json
import os
import sys
import tempfile
import time

import ezdxf


def best_of(runs, action):
    best = float("inf")
    result = None
    for _ in range(runs):
        start = time.perf_counter()
        result = action()
        best = min(best, time.perf_counter() - start)
    return best, result


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("OV_BENCH_DXF", "/tmp/ov_bench_plan_flat.dxf")
    runs = int(os.environ.get("OV_BENCH_EZDXF_RUNS", "3"))
    if not os.path.isfile(path):
        print(f"bench_ezdxf: {path} is missing; run ov_bench --benchmark_filter=BM_DxfWriteFlat first",
              file=sys.stderr)
        return 1
    read_s, doc = best_of(runs, lambda: ezdxf.readfile(path))
    entities = len(doc.modelspace())
    fd, out = tempfile.mkstemp(suffix=".dxf", prefix="ov_bench_ezdxf_")
    os.close(fd)
    try:
        write_s, _ = best_of(runs, lambda: doc.saveas(out))
    finally:
        os.remove(out)
    print(json.dumps({
        "entities": entities,
        "read_per_s": entities / read_s,
        "write_per_s": entities / write_s,
        "bytes": os.path.getsize(path),
    }))
    return 0


if __name__ == "__main__":
    sys.exit(main())
