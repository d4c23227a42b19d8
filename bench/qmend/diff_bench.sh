#!/usr/bin/env bash
# Preview benchmark: `qmend --diff` against GNU `diff -u` and `git diff --no-index` of the
# original and the replaced file (what a user would otherwise run after a real run), on one
# file of SIZE MiB per shape. The peers need the replaced copy on the disk and read both
# files whole; qmend reads the original once and writes nothing.
#
# Shapes: sparse (one change per MiB), dense (a change on every line), long lines (one change
# per 64 KiB line), unchanged (no occurrence at all), crlf (sparse with CR LF line ends) and
# no final line feed. Prints wall time and peak resident set of each tool.
#
#   bench/qmend/diff_bench.sh [QMEND [SIZE_MIB]]   (default: build/bin/qmend, 512)
set -eu  # no pipefail: the generators end with `yes` killed by SIGPIPE
top=$(cd "$(dirname "$0")/../.." && pwd)
qmend=$(realpath "${1:-$top/build/bin/qmend}")
mib=${2:-512}
work=${QM_BENCH_DIR:-/tmp/qmend-diff-bench}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

# Writes $work/a in the shape, by repeating a block of about 1 MiB.
make_file() {
  case "$1" in
    sparse) (yes 'an ordinary line of text in a large file' | head -c 1048000; echo 'a line with foo in it') ;;
    dense) yes 'foo on every line' | head -c 1048576 ;;
    long) for i in $(seq 16); do head -c 65000 /dev/zero | tr '\0' x; echo ' foo'; done ;;
    unchanged) yes 'an ordinary line of text in a large file' | head -c 1048576 ;;
    crlf) (yes 'a line with a CR LF end' | head -c 1048000 | sed 's/$/\r/'; printf 'foo here\r\n') ;;
    nofinal) (yes 'an ordinary line of text in a large file' | head -c 1048000; echo 'a line with foo in it') ;;
  esac > "$work/block"
  for _ in $(seq "$mib"); do cat "$work/block"; done > "$work/a"
  if [ "$1" = nofinal ]; then printf 'last foo' >> "$work/a"; fi
  rm -f "$work/b"
}

measure() {  # label, command line: prints one table row
  /usr/bin/time -f '%e %M' -o "$work/time" bash -c "$2" > /dev/null 2>&1 || true
  read -r wall rss < <(tail -n 1 "$work/time")
  echo "| $shape | $1 | $wall | $((rss / 1024)) |"
}

echo "| shape | tool | wall s | peak RSS MiB |"
echo "|---|---|---|---|"
for shape in sparse dense long unchanged crlf nofinal; do
  make_file "$shape"
  measure "qmend --diff" "cd '$work' && '$qmend' --diff -r bar foo a"
  cp "$work/a" "$work/b"
  "$qmend" -a -y --no-undo -r bar foo "$work/b" > /dev/null 2>&1 || true
  measure "diff -u" "diff -u '$work/a' '$work/b'"
  measure "git diff --no-index" "git diff --no-index '$work/a' '$work/b'"
done
