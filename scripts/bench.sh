#!/usr/bin/env bash
# `make bench`: runs every benchmark of the release build, then ezdxf on the flattened
# DXF the benchmarks wrote (the peer a user would script instead), then prints one
# table of workloads beside their floors and peers. Arguments go to ov_bench (for
# example --benchmark_filter=BM_Draw). Never part of the tests: timings depend on the
# machine and on what else it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release/bin/ov_bench
[ -x "$bin" ] || { echo "bench: $bin is missing; run make build" >&2; exit 1; }

out=out/bench
mkdir -p "$out"
export OV_BENCH_DXF="$PWD/$out/plan_flat.dxf"
rm -f "$OV_BENCH_DXF" "$out/ezdxf.json"

# The server project's rows run beside a throwaway PostgreSQL server where one can be
# started; elsewhere they report themselves skipped.
runner=()
if ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then runner=(bash tests/scripts/with_server.sh); fi
${runner[@]+"${runner[@]}"} "$bin" --benchmark_counters_tabular=true \
  --benchmark_out="$out/bench.json" --benchmark_out_format=json "$@"

peer=()
if [ -f "$OV_BENCH_DXF" ]; then
  echo
  echo "bench: ezdxf reading and writing $OV_BENCH_DXF ..."
  if /usr/bin/python3 scripts/bench_ezdxf.py "$OV_BENCH_DXF" >"$out/ezdxf.json"; then
    cat "$out/ezdxf.json"
    peer=("$out/ezdxf.json")
  else
    echo "bench: ezdxf did not run; DXF rows have no peer" >&2
  fi
fi

echo
/usr/bin/python3 scripts/bench_summary.py "$out/bench.json" "${peer[@]}"
echo
echo "bench: raw results in $out/bench.json"
