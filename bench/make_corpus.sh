#!/bin/sh
# Writes the benchmark text: the installed Debian package changelogs, in sorted order,
# concatenated and cut to exactly SIZE bytes.
#   make_corpus.sh OUT SIZE
out=$1
size=$2
tmp="$out.part"
# head closes the pipe once it has SIZE bytes; the writers' broken pipe is expected.
for f in $(ls /usr/share/doc/*/changelog*.gz 2>/dev/null | LC_ALL=C sort); do
  zcat "$f" 2>/dev/null
done | head -c "$size" > "$tmp"
got=$(wc -c < "$tmp")
if [ "$got" -lt "$size" ]; then
  echo "make_corpus.sh: only $got bytes of changelogs, need $size" >&2
  rm -f "$tmp"
  exit 1
fi
mv "$tmp" "$out"
