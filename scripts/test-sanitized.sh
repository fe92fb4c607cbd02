#!/usr/bin/env bash
# The whole test suite, fuzz corpora included, in a second build under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/): every
# report aborts the process it happens in, so any report fails a test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export AEROLYX_BUILD_DIR="${AEROLYX_SANITIZE_BUILD_DIR:-$ROOT/build-asan}"
export AEROLYX_CMAKE_ARGS="-DAEROLYX_SANITIZE=ON -DAEROLYX_BUILD_BENCH=OFF ${AEROLYX_CMAKE_ARGS:-}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizer/lsan.supp:print_suppressions=0"
exec bash "$ROOT/scripts/test.sh"
