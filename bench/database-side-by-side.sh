#!/bin/bash
# The desk on its folder and on PostgreSQL side by side: starts a throw-away cluster
# (scripts/pg-test-cluster.sh), runs bench_database against it and removes the cluster
# when it ends, also on failure or Ctrl-C.
#
# usage: bench/database-side-by-side.sh [--build DIR] [bench_database options...]
# Default build folder: build. Further options go to bench_database, for instance
# --workload_dir=DIR (keep the large demo folder there for the next run) or
# --benchmark_filter=Save. Without --benchmark_repetitions each figure is measured three
# times (median and fastest in the summary).
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
build=build
args=()
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done
bench=$build/bench/bench_database
[ -x "$bench" ] || {
    echo "$bench is not built (cmake --build $build --target bench_database)" >&2
    exit 2
}
case " ${args[*]-} " in
*" --benchmark_repetitions="*) ;;
*) args+=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true) ;;
esac

cluster=$("$here/scripts/pg-test-cluster.sh" start) || exit 1
eval "$cluster"
trap '"$here/scripts/pg-test-cluster.sh" remove "$VORNELTA_TEST_PG_DIR"' EXIT
trap 'exit 130' INT TERM

VORNELTA_BENCH_PG_URL=$VORNELTA_TEST_PG_URL "$bench" "${args[@]}"
