#!/usr/bin/env bash
# Builds the regex benchmark (Release, with the benchmarks switched on) and prints its results
# as Markdown tables: MB/s per pattern and engine, then this engine's speed as a ratio of each
# peer's and whether the speed goals hold (at least the faster of Boost.Regex and the PCRE2
# interpreter, at least half of the PCRE2 JIT).
#   run_regex_bench.sh [BUILD_DIR] [extra benchmark arguments...]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-build-bench}"
shift || true
case "$build" in /*) ;; *) build="$top/$build" ;; esac

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j 2 --target qm_regex_bench >/dev/null

json="$build/bench/results.json"
"$build/bin/qm_regex_bench" --benchmark_out="$json" --benchmark_out_format=json \
  --benchmark_format=console "$@" >&2

perl "$top/bench/format_table.pl" "$json"
