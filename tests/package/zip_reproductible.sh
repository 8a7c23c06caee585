#!/usr/bin/env bash
# scripts/zip-fixe gives the same zip from the same files whatever order they
# were written in, whatever the umask and the times they were left with, and
# lists its entries in the byte order of their names.
set -euo pipefail
zip_fixe=$1
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
mkdir -p "$t/a/kazzmot-1.0" "$t/b/kazzmot-1.0"
(cd "$t/a/kazzmot-1.0" && umask 022 && for f in kazzmot.exe B.txt a.txt; do echo "$f" >"$f"; done &&
  mkdir -p Datas/Images && echo png >Datas/Images/Z.png && echo png >Datas/Images/A.png)
(cd "$t/b/kazzmot-1.0" && umask 077 && mkdir -p Datas/Images && echo png >Datas/Images/A.png &&
  echo png >Datas/Images/Z.png && for f in a.txt B.txt kazzmot.exe; do echo "$f" >"$f"; done &&
  touch -d '2001-02-03 04:05:06' a.txt)
"$zip_fixe" "$t/a" kazzmot-1.0 "$t/a.zip" 2026-12-10
"$zip_fixe" "$t/b" kazzmot-1.0 "$t/b.zip" 2026-12-10
cmp "$t/a.zip" "$t/b.zip" || { echo "zip_reproductible: the two zips differ"; exit 1; }
noms=$(unzip -Z1 "$t/a.zip")
attendu=$(printf '%s\n' kazzmot-1.0/ kazzmot-1.0/B.txt kazzmot-1.0/Datas/ kazzmot-1.0/Datas/Images/ \
  kazzmot-1.0/Datas/Images/A.png kazzmot-1.0/Datas/Images/Z.png kazzmot-1.0/a.txt kazzmot-1.0/kazzmot.exe)
[ "$noms" = "$attendu" ] || { printf 'zip_reproductible: entries in the order\n%s\n' "$noms"; exit 1; }
zipinfo "$t/a.zip" | awk '/^[-d]/ && ($1 != "-rw-r--r--" && $1 != "drwxr-xr-x" || $7 != "26-Dec-10" || $8 != "00:00") {
  print "zip_reproductible: entry " $NF " is " $1 " " $7 " " $8; bad = 1 } END { exit bad }'
echo "zip_reproductible: the same zip, $(unzip -Z1 "$t/a.zip" | wc -l) entries in order"
