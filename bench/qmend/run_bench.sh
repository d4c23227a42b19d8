#!/usr/bin/env bash
# Whole-program benchmark of qmend against ripgrep (one thread), grep, sed and perl.
#
# Builds a tree of 2000 files of 100 KiB of package changelogs (about 200 MB in 25
# directories), warms the page cache and times each command three times, keeping the best
# wall time and the best CPU time (user plus system of the whole pipeline):
#  - search, for several shapes of pattern: `qmend -a -y` against `rg -j1 -c`,
#    `rg -j1 --count-matches` (whose count must equal qmend's "Total found:"), `grep -c` and a
#    perl counting loop;
#  - replace, each run on a fresh copy of the tree: `qmend -a -y -r X`, with its undo journal
#    and with `--no-undo`, against `sed -i` and `perl -pi` (qmend flushes every new file to the
#    disk before it takes a target's place; sed and perl do not flush);
#  - memory: qmend's resident set on a 2 GiB file next to a 1 MiB one, searched and replaced,
#    and for sparse, dense, line-long matches and one 64 MiB match.
#
#   bench/qmend/run_bench.sh [QMEND]     (default: build/bin/qmend, built when missing)
# ripgrep (Debian package ripgrep) is installed when missing. The work tree is made under
# $QM_BENCH_DIR (default /tmp/qmend-bench) and removed at the end; qmend runs from a copy in
# it, so its undo records start empty and go with it.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
qmend=${1:-$top/build/bin/qmend}
if [ ! -x "$qmend" ]; then
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$top/build" --target qmend -j2 > /dev/null
fi
if ! command -v rg > /dev/null; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends ripgrep > /dev/null
fi
work=${QM_BENCH_DIR:-/tmp/qmend-bench}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
mkdir -p "$work/bin"
cp "$qmend" "$work/bin/qmend"
qmend=$work/bin/qmend

# The corpus: the installed changelogs, sorted, cut to 80 slices of 100 KiB.
for f in $(ls /usr/share/doc/*/changelog*.gz | sort); do zcat "$f" 2>/dev/null || true; done |
  head -c $((80 * 100 << 10)) > "$work/corpus.txt"
split -b $((100 << 10)) -d -a 2 "$work/corpus.txt" "$work/slice."
mkdir -p "$work/tree"
for d in $(seq -w 1 25); do
  mkdir -p "$work/tree/d$d"
  for s in "$work"/slice.*; do cp "$s" "$work/tree/d$d/$(basename "$s").txt"; done
done
files=$(find "$work/tree" -type f | wc -l)
megabytes=$(du -sm "$work/tree" | cut -f1)
cat "$work"/tree/*/*.txt > /dev/null

# Runs a command line once; prints "wall cpu max-rss-kib" and leaves its standard output in
# $work/out. Wall and CPU time are to the millisecond (CPU: user plus system time of the whole
# pipeline, from the kernel's accounting of the children that python3 waited for; /usr/bin/time
# prints 10 ms steps). The resident set comes from /usr/bin/time, whose own small process is
# the one the pipeline is forked from: a child forked from python3 carries python's resident
# set into its maximum.
timed_once() {
  python3 - "$1" "$work/out" "$work/rss" <<'PY'
import resource, subprocess, sys, time
command, out_path, rss_path = sys.argv[1:4]
before = resource.getrusage(resource.RUSAGE_CHILDREN)
with open(out_path, "wb") as out:
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", rss_path, "bash", "-c", command],
                   stdout=out, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
with open(rss_path) as rss:
    print(f"{wall:.3f} {cpu:.3f} {rss.read().split()[-1]}")
PY
}

# Best of three (wall and CPU each), after `prepare` (a command line) before every run.
best_of_3() {  # command [prepare]
  local runs=""
  for _ in 1 2 3; do
    [ -n "${2:-}" ] && bash -c "$2"
    runs+="$(timed_once "$1")"$'\n'
  done
  printf '%s' "$runs" | awk 'NR == 1 || $1 < w { w = $1 } NR == 1 || $2 < c { c = $2 } $3 > r { r = $3 }
                            END { printf "%.3f %.3f %s\n", w, c, r }'
}

row() {  # task tool pattern wall cpu rss count
  local mbps
  mbps=$(awk -v m="$megabytes" -v s="$5" 'BEGIN { if (s > 0) printf "%.0f", m / s; else print "-" }')
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$5" "$mbps" "$6" "$7"
}

qmend_count() { grep -a '^Total found:' "$work/out" | cut -d: -f2; }
sum_counts() { awk -F: '{ s += $NF } END { print s + 0 }' "$work/out"; }

search() {  # name qmend-and-perl-pattern grep-E-pattern [qmend option]
  local t tree="$work/tree"
  t=$(best_of_3 "'$qmend' -a -y ${4:-} '$2' '$tree'"); row search qmend "$1" $t "$(qmend_count)"
  t=$(best_of_3 "rg -a -j1 -c ${4:-} '$2' '$tree'"); row search "rg -j1 -c" "$1" $t "$(sum_counts) lines"
  t=$(best_of_3 "rg -a -j1 --count-matches ${4:-} '$2' '$tree'"); row search "rg -j1 --count-matches" "$1" $t "$(sum_counts)"
  t=$(best_of_3 "grep -a -r -c -E ${4:-} '$3' '$tree'"); row search "grep -c" "$1" $t "$(sum_counts) lines"
  t=$(best_of_3 "find '$tree' -type f -print0 | xargs -0 perl -ne '\$n += () = /$2/g${4:+i}; END { print \"x:\$n\\n\" }'")
  row search perl "$1" $t "$(sum_counts)"
}

fresh_copy="rm -rf '$work/copy'; cp -r '$work/tree' '$work/copy'; cat '$work'/copy/*/*.txt > /dev/null; sync"

replace() {  # name qmend-and-perl-pattern sed-E-pattern
  local t copy="$work/copy"
  t=$(best_of_3 "'$qmend' -a -y -r X '$2' '$copy'" "$fresh_copy"); row replace "qmend -r" "$1" $t "$(qmend_count)"
  t=$(best_of_3 "'$qmend' -a -y --no-undo -r X '$2' '$copy'" "$fresh_copy"); row replace "qmend -r --no-undo" "$1" $t "$(qmend_count)"
  t=$(best_of_3 "sed -i -E 's/$3/X/g' '$copy'/*/*.txt" "$fresh_copy"); row replace "sed -i" "$1" $t "-"
  t=$(best_of_3 "perl -pi -e 's/$2/X/g' '$copy'/*/*.txt" "$fresh_copy"); row replace "perl -pi" "$1" $t "-"
}

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'); $(uname -sr); file system of the tree: $(df -T "$work" | awk 'NR == 2 { print $2 }')"
echo "Tree: $files files, $megabytes MiB; rg $(rg --version | sed -n 1p | cut -d' ' -f2), $(grep --version | sed -n 1p), $(sed --version | sed -n 1p), perl $(perl -e 'print $^V')"
echo "Load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| task | tool | pattern | best wall s | best CPU s | MiB per CPU s | max RSS KiB | count |"
echo "|---|---|---|---|---|---|---|---|"
search "literal \`release\`" 'release' 'release'
search "rare literal \`segfault\`" 'segfault' 'segfault'
search "literal /i \`debian\`" 'debian' 'debian' -i
search "word \`\\bfix\\w*\`" '\bfix\w*' '\<fix[[:alnum:]_]*'
search "class run \`[0-9]+\\.[0-9]+\\.[0-9]+\`" '[0-9]+\.[0-9]+\.[0-9]+' '[0-9]+\.[0-9]+\.[0-9]+'
search "e-mail" '[\w\.+-]+@[\w\.-]+\.[\w\.-]+' '[[:alnum:]_.+-]+@[[:alnum:]_.-]+\.[[:alnum:]_.-]+'
replace "literal \`release\`" 'release' 'release'
replace "e-mail" '[\w\.+-]+@[\w\.-]+\.[\w\.-]+' '[[:alnum:]_.+-]+@[[:alnum:]_.-]+\.[[:alnum:]_.-]+'

# Memory against file size: one 1 MiB file and one 2 GiB file.
cat "$work"/slice.* > "$work/corpus8.txt"
for i in $(seq 1 256); do cat "$work/corpus8.txt"; done > "$work/big.txt"
head -c $((1 << 20)) "$work/big.txt" > "$work/small.txt"
head -c $((256 << 20)) "$work/big.txt" > "$work/mid.txt"
read -r small_wall small_cpu small_rss <<< "$(timed_once "'$qmend' -a -y release '$work/small.txt'")"
read -r big_wall big_cpu big_rss <<< "$(timed_once "'$qmend' -a -y release '$work/big.txt'")"
big_count=$(qmend_count)
read -r small_rwall small_rcpu small_rrss <<< "$(timed_once "'$qmend' -a -y --no-undo -r X release '$work/small.txt'")"
read -r big_rwall big_rcpu big_rrss <<< "$(timed_once "'$qmend' -a -y --no-undo -r X release '$work/big.txt'")"
echo
echo "| file | search wall s | search CPU s | search max RSS KiB | matches | replace wall s | replace CPU s | replace max RSS KiB |"
echo "|---|---|---|---|---|---|---|---|"
echo "| $(( $(stat -c %s "$work/big.txt") >> 20 )) MiB | $big_wall | $big_cpu | $big_rss | $big_count | $big_rwall | $big_rcpu | $big_rrss |"
echo "| 1 MiB | $small_wall | $small_cpu | $small_rss | - | $small_rwall | $small_rcpu | $small_rrss |"

# Memory against the shape of the matches, on 256 MiB: sparse (the literal), dense short ones
# (every word), one per line (many end near a chunk's end, where a match is not taken until
# the window holds what follows it), and a single 64 MiB match, which the window must hold.
rm -f "$work/big.txt"
head -c $((64 << 20)) /dev/zero | tr '\0' x > "$work/run.txt"
echo
echo "| 256 MiB file, pattern | wall s | CPU s | max RSS KiB | matches |"
echo "|---|---|---|---|---|"
for p in release '\w+' '[^\n]+'; do
  read -r wall cpu rss <<< "$(timed_once "'$qmend' -a -y '$p' '$work/mid.txt'")"
  echo "| \`$p\` | $wall | $cpu | $rss | $(qmend_count) |"
done
read -r wall cpu rss <<< "$(timed_once "'$qmend' -a -y 'x+' '$work/run.txt'")"
echo "| \`x+\` on 64 MiB of x | $wall | $cpu | $rss | $(qmend_count) |"
