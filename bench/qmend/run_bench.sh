#!/usr/bin/env bash
# Whole-program benchmark of qmend against grep, ripgrep, sed and perl.
#
# Builds a tree of 200 files of 1 MiB of package changelogs (200 MiB), then times, one run
# each with a warm page cache: searching with `qmend -a -y` against `grep -o | wc -l`,
# `grep -P -o | wc -l` and `rg -j1 -o | wc -l`; replacing with `qmend -a -y -r` against
# `sed -i` and `perl -pi` (each on a fresh copy of the tree); for a literal word and for the
# e-mail pattern. Then it scans one 2 GiB file with qmend and reports the resident set next
# to the one of a 1 MiB file, to show that memory does not grow with the file, and the
# resident set for sparse, dense and line-long matches and for one 64 MiB match.
#
#   bench/qmend/run_bench.sh [QMEND]     (default: build/bin/qmend, built when missing)
# The work tree is made under $QM_BENCH_DIR (default /tmp/qmend-bench) and removed at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
qmend=${1:-$top/build/bin/qmend}
if [ ! -x "$qmend" ]; then
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$top/build" --target qmend -j2 > /dev/null
fi
work=${QM_BENCH_DIR:-/tmp/qmend-bench}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

literal='release'
email_perl='[\w\.+-]+@[\w\.-]+\.[\w\.-]+'
email_posix='[[:alnum:]_.+-]+@[[:alnum:]_.-]+\.[[:alnum:]_.-]+'

# The corpus: the installed changelogs, sorted, cut to 8 MiB, in 1 MiB slices.
for f in $(ls /usr/share/doc/*/changelog*.gz | sort); do zcat "$f" 2>/dev/null || true; done |
  head -c $((8 << 20)) > "$work/corpus.txt"
mkdir -p "$work/tree"
split -b $((1 << 20)) -d -a 1 "$work/corpus.txt" "$work/slice."
for d in $(seq -w 1 25); do
  mkdir -p "$work/tree/d$d"
  for s in "$work"/slice.*; do cp "$s" "$work/tree/d$d/$(basename "$s").txt"; done
done
files=("$work"/tree/*/*.txt)
megabytes=$(du -sm "$work/tree" | cut -f1)
cat "${files[@]}" > /dev/null

# Runs a command line under /usr/bin/time; prints "wall-seconds cpu-seconds max-rss-kib" (CPU
# time is user plus system time of the whole pipeline, the fair measure on a shared machine)
# and leaves stdout in $work/out.
timed() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" bash -c "$1" > "$work/out" 2> /dev/null || true
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time"
}

row() {  # task tool pattern-name wall cpu rss matches
  local mbps
  mbps=$(awk -v m="$megabytes" -v s="$5" 'BEGIN { if (s > 0) printf "%.0f", m / s; else print "-" }')
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$5" "$mbps" "$6" "$7"
}

qmend_count() { grep -a '^Total found:' "$work/out" | cut -d: -f2; }

search() {  # pattern-name qmend-pattern posix-pattern perl-pattern
  local t
  t=$(timed "'$qmend' -a -y '$2' ${files[*]}"); row search qmend "$1" $t "$(qmend_count)"
  t=$(timed "grep -a -o -E '$3' ${files[*]} | wc -l"); row search "grep -o" "$1" $t "$(cat "$work/out")"
  t=$(timed "grep -a -o -P '$4' ${files[*]} | wc -l"); row search "grep -P -o" "$1" $t "$(cat "$work/out")"
  t=$(timed "rg -a -j1 -o '$4' ${files[*]} | wc -l"); row search "rg -j1 -o" "$1" $t "$(cat "$work/out")"
}

fresh_copy() { rm -rf "$work/copy"; cp -r "$work/tree" "$work/copy"; cat "$work"/copy/*/*.txt > /dev/null; }

replace() {  # pattern-name qmend-pattern posix-pattern perl-pattern
  local t copies
  fresh_copy; copies=$(echo "$work"/copy/*/*.txt)
  t=$(timed "'$qmend' -a -y -r X '$2' $copies"); row replace "qmend -r" "$1" $t "$(qmend_count)"
  fresh_copy
  t=$(timed "sed -i -E 's/$3/X/g' $copies"); row replace "sed -i" "$1" $t "-"
  fresh_copy
  t=$(timed "perl -pi -e 's/$4/X/g' $copies"); row replace "perl -pi" "$1" $t "-"
}

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'); tree: ${#files[@]} files, $megabytes MiB"
echo
echo "Load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| task | tool | pattern | wall s | CPU s | MiB per CPU s | max RSS KiB | matches |"
echo "|---|---|---|---|---|---|---|---|"
search literal "$literal" "$literal" "$literal"
search email "$email_perl" "$email_posix" "$email_perl"
replace literal "$literal" "$literal" "$literal"
replace email "$email_perl" "$email_posix" "$email_perl"

# Memory against file size: one 1 MiB file and one 2 GiB file.
for i in $(seq 1 256); do cat "$work/corpus.txt"; done > "$work/big.txt"
read -r small_wall small_cpu small_rss <<< "$(timed "'$qmend' -a -y '$literal' '${files[0]}'")"
read -r big_wall big_cpu big_rss <<< "$(timed "'$qmend' -a -y '$literal' '$work/big.txt'")"
echo
echo "| file | wall s | CPU s | max RSS KiB | matches |"
echo "|---|---|---|---|---|"
echo "| 2 GiB | $big_wall | $big_cpu | $big_rss | $(qmend_count) |"
echo "| 1 MiB | $small_wall | $small_cpu | $small_rss | - |"

# Memory against the shape of the matches, on 256 MiB: sparse (the literal), dense short ones
# (every word), one per line (many end near a chunk's end, where a match is not taken until
# the window holds what follows it), and a single 64 MiB match, which the window must hold.
head -c $((256 << 20)) "$work/big.txt" > "$work/mid.txt"
head -c $((64 << 20)) /dev/zero | tr '\0' x > "$work/run.txt"
echo
echo "| 256 MiB file, pattern | wall s | CPU s | max RSS KiB | matches |"
echo "|---|---|---|---|---|"
for p in "$literal" '\w+' '[^\n]+'; do
  read -r wall cpu rss <<< "$(timed "'$qmend' -a -y '$p' '$work/mid.txt'")"
  echo "| \`$p\` | $wall | $cpu | $rss | $(qmend_count) |"
done
read -r wall cpu rss <<< "$(timed "'$qmend' -a -y 'x+' '$work/run.txt'")"
echo "| \`x+\` on 64 MiB of x | $wall | $cpu | $rss | $(qmend_count) |"
