#!/usr/bin/env bash
# Listing benchmark: `qmend --list` on trees of many shapes against `find | sort -f`, which
# lists and sorts the same paths without regard to case.
#
# Shapes, N files each (default 100000): flat (one directory), wide (N/1000 directories of
# 1000), deep (chains of 20 levels), case twins (names that differ only in case, the ties of
# the sort), presorted (names created in sorted order) and reversed (created in reverse). The
# tree is made once per shape and listed with a warm cache; CPU time is user plus system
# time of the whole pipeline.
#
#   bench/qmend/list_bench.sh [QMEND [N]]   (default: build/bin/qmend, 100000)
# A second qmend to compare with (an older build) may be given in $QMEND_BASE.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
qmend=$(realpath "${1:-$top/build/bin/qmend}")
n=${2:-100000}
work=${QM_BENCH_DIR:-/tmp/qmend-list-bench}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

# Creates N empty files below $work/tree in the given shape.
make_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  cd "$work/tree"
  case "$1" in
    flat) seq -f 'f%06g.txt' 1 "$n" | xargs touch ;;
    wide) for d in $(seq -w 1 $((n / 1000))); do mkdir "d$d"; (cd "d$d" && seq -f 'f%04g' 1 1000 | xargs touch); done ;;
    deep) levels=$(seq -f 'l%g' 1 19 | paste -sd/)
          seq -f "c%g/$levels" 1 $((n / 20)) | xargs mkdir -p
          find . -mindepth 1 -type d | sed 's|$|/x|' | xargs touch ;;
    twins) seq -f 'name%06g' 1 $((n / 2)) | sed 'p;s/name/NAME/' | xargs touch ;;
    presorted) seq -f 'p%06g' 1 "$n" | xargs touch ;;
    reversed) seq -f 'r%06g' "$n" -1 1 | xargs touch ;;
  esac
  cd "$work"
}

timed() {  # command line; prints "wall cpu lines"
  /usr/bin/time -f '%e %U %S' -o "$work/time" bash -c "$1" > "$work/out" 2> "$work/err" || cat "$work/err" >&2
  tail -n 1 "$work/time" > "$work/time.last" && mv "$work/time.last" "$work/time"
  awk -v lines="$(wc -l < "$work/out")" '{ printf "%s %.2f %s\n", $1, $2 + $3, lines }' "$work/time"
}

echo "| shape | tool | wall s | CPU s | lines |"
echo "|---|---|---|---|---|"
for shape in flat wide deep twins presorted reversed; do
  make_tree "$shape"
  find "$work/tree" > /dev/null
  tools=("qmend --list::$qmend --list '$work/tree'" "find + sort -f::find '$work/tree' | sort -f")
  if [ -n "${QMEND_BASE:-}" ]; then tools+=("qmend --list (base)::$QMEND_BASE --list '$work/tree'"); fi
  for entry in "${tools[@]}"; do
    read -r wall cpu lines <<< "$(timed "${entry#*::}")"
    echo "| $shape | ${entry%%::*} | $wall | $cpu | $lines |"
  done
done
