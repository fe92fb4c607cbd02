#!/usr/bin/env bash
# Fuzzes the program's readers with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang), niced so that other work keeps the CPU.
#   scripts/fuzz.sh                  every target, 60 s each
#   scripts/fuzz.sh engine 600       one target for ten minutes
#   scripts/fuzz.sh all 600          every target, ten minutes each
# Targets are tests/fuzz/fuzz_<name>.cpp, built into build-fuzz/fuzz/.
# Inputs that widen coverage are merged into tests/fuzz/corpus/<name>/ (the
# regression corpus the ordinary tests replay; AEROLYX_FUZZ_MERGE=0 keeps them
# in build-fuzz/corpus/<name>/ only). Crash, leak and timeout inputs are kept
# in build-fuzz/crashes/<name>/ and make the script fail. Each run appends a
# line to build-fuzz/fuzz-runs.tsv (date, target, seconds, executions,
# corpus files, result).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${AEROLYX_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
CXX="${AEROLYX_FUZZ_CXX:-clang++-14}"
TARGET="${1:-all}"
SECS="${2:-60}"
FUZZ_DIR="$ROOT/tests/fuzz"

case "$SECS" in ''|*[!0-9]*) echo "usage: $0 [TARGET|all] [SECONDS]" >&2; exit 2 ;; esac

all_targets() {
  sed -n 's/^aerolyx_fuzz_target(\([a-z0-9_]*\).*/\1/p' "$FUZZ_DIR/CMakeLists.txt"
}
if [ "$TARGET" = all ]; then
  TARGETS=$(all_targets)
else
  all_targets | grep -qx "$TARGET" || { echo "fuzz.sh: no target '$TARGET' (have: $(all_targets | tr '\n' ' '))" >&2; exit 2; }
  TARGETS=$TARGET
fi

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  nice -n 19 cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$CXX" -DAEROLYX_FUZZ=ON -DAEROLYX_BUILD_BENCH=OFF "${launcher[@]}"
fi
nice -n 19 cmake --build "$BUILD_DIR" -j 2 --target $(for t in $TARGETS; do echo "fuzz-$t"; done)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tests/sanitizer/lsan.supp:print_suppressions=0}"

mkdir -p "$BUILD_DIR/logs"
stats="$BUILD_DIR/fuzz-runs.tsv"
[ -f "$stats" ] || printf 'date\ttarget\tseconds\texecutions\tcorpus_files\tresult\n' >"$stats"
failed=()
for t in $TARGETS; do
  exe="$BUILD_DIR/fuzz/fuzz-$t"
  seeds="$FUZZ_DIR/corpus/$t"
  work="$BUILD_DIR/corpus/$t"
  crashes="$BUILD_DIR/crashes/$t"
  log="$BUILD_DIR/logs/$t.log"
  mkdir -p "$seeds" "$work" "$crashes"
  dict=()
  [ -f "$FUZZ_DIR/dict/$t.dict" ] && dict=(-dict="$FUZZ_DIR/dict/$t.dict")
  echo "== $t: ${SECS}s"
  result=ok
  marker="$BUILD_DIR/.started-$t"
  touch "$marker"
  nice -n 19 "$exe" -max_total_time="$SECS" -timeout=20 -rss_limit_mb=2560 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${dict[@]}" "$work" "$seeds" >"$log" 2>&1 || result=FAILED
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$result" = FAILED ]; then
    failed+=("$t")
    grep -m1 -E "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|SUMMARY" "$log" || tail -5 "$log"
    find "$crashes" -type f -newer "$marker" | head -3 | sed "s|^|   input: |"
  elif [ "${AEROLYX_FUZZ_MERGE:-1}" != 0 ]; then
    nice -n 19 "$exe" -merge=1 -timeout=20 -rss_limit_mb=2560 "$seeds" "$work" >>"$log" 2>&1 || true
  fi
  files=$(find "$seeds" "$work" -type f | wc -l)
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$t" "$SECS" "${execs:-?}" "$files" "$result" >>"$stats"
  echo "   executions ${execs:-?}, corpus files $files (seeds $(find "$seeds" -type f | wc -l)), $result; log $log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in: ${failed[*]} (inputs under $BUILD_DIR/crashes/)" >&2
  exit 1
fi
