#!/bin/sh
# Writes a benchmark text cut to exactly SIZE bytes: the installed Debian package changelogs
# (KIND "changelogs", the default), or the installed C and C++ headers under /usr/include
# (KIND "headers"), each in sorted order and concatenated.
#   make_corpus.sh OUT SIZE [KIND]
out=$1
size=$2
kind=${3:-changelogs}
tmp="$out.part"
# head closes the pipe once it has SIZE bytes; the writers' broken pipe is expected.
case "$kind" in
changelogs)
  ls /usr/share/doc/*/changelog*.gz 2>/dev/null | LC_ALL=C sort | xargs zcat 2>/dev/null ;;
headers)
  find /usr/include -type f -name '*.h' 2>/dev/null | LC_ALL=C sort | xargs cat 2>/dev/null ;;
*)
  echo "make_corpus.sh: unknown kind $kind" >&2
  exit 1 ;;
esac | head -c "$size" > "$tmp"
got=$(wc -c < "$tmp")
if [ "$got" -lt "$size" ]; then
  echo "make_corpus.sh: only $got bytes of $kind, need $size" >&2
  rm -f "$tmp"
  exit 1
fi
mv "$tmp" "$out"
