#!/usr/bin/env bash
# Golden outputs: selections over a grid of duties and engine replies over every
# catalogue size, written to OUT_DIR. Run before and after a change that must not
# change results, then `diff -r` the two folders.
#   tools/golden/golden.sh BIN_DIR OUT_DIR [CATALOGUE.db]
# With a catalogue (e.g. one made by aerolyx-catalogue --sizes 1000), the
# programs run from a copy of BIN_DIR whose fans.db is that catalogue.
set -euo pipefail
BIN="${1:?usage: golden.sh BIN_DIR OUT_DIR [CATALOGUE.db]}"
OUT="${2:?usage: golden.sh BIN_DIR OUT_DIR [CATALOGUE.db]}"
CATALOGUE="${3:-}"
mkdir -p "$OUT"
export AEROLYX_SETTINGS_DIR="$(mktemp -d)"
WORK=""
trap 'rm -rf "$AEROLYX_SETTINGS_DIR" ${WORK:+"$WORK"}' EXIT
if [ -n "$CATALOGUE" ]; then
  WORK="$(mktemp -d)"
  cp -r "$BIN"/. "$WORK"/
  cp "$CATALOGUE" "$WORK/fans.db"
  BIN="$WORK"
fi
CLI="$BIN/aerolyx-cli"

n=0
{
for flow in 800 2500 5000 12000 30000; do
  for pres in 80 250 600 1500; do
    for frq in 50 60; do
      for kind in S T; do
        for alt in 0 1500; do
          for acc in 0 1; do
            args=(--set I_AirFlow=$flow --set I_Pres$kind=$pres --set I_Frq=$frq --set I_BaseSea=$alt --set I_DpaAc2=$acc)
            echo "## ${args[*]}"
            "$CLI" select "${args[@]}" --format json 2>&1 | sed -E 's/"I_Date": "[^"]*"/"I_Date": ""/' || true
            n=$((n + 1))
          done
        done
      done
    done
  done
done
} > "$OUT/select.txt"

sizes=$(sqlite3 "$BIN/fans.db" 'SELECT FsID FROM tblFanSizes ORDER BY FsID')
{
for id in $sizes; do
  for duty in "2500;200;0;0;2;1;0;$id;5;0;0;2;0;50;0;0;" "8000;500;0;0;1;1;0;$id;5;0;0;4;0;60;0;0;" "20000;300;1;0;2;1.1;0;$id;10;0;0;2;3;50;50;1;"; do
    echo "## $duty"
    "$CLI" engine 1001 "$duty" 2 MAIN 2 FAN 2 KZ 1003 "2000;150" 1004 "2600;210" 1 "$duty" 2 GET:1 9 "" 2>&1 || true
  done
done
} > "$OUT/engine.txt"
echo "golden: $(grep -c '^## ' "$OUT/select.txt") selections, $(grep -c '^## ' "$OUT/engine.txt") engine command runs in $OUT"
