#!/usr/bin/env bash
# Set up, build and run every test (and a short benchmark smoke run).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
# A local PostgreSQL on loopback for the catalogue tests, when one can be had.
if [ -x "$ROOT/scripts/pg-test-server.sh" ]; then
  eval "$("$ROOT/scripts/pg-test-server.sh" start || true)"
fi
export QT_QPA_PLATFORM=offscreen
export AEROLYX_SETTINGS_DIR="$BUILD_DIR/test-settings"
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 600 || status=$?
if [ -x "$ROOT/scripts/pg-test-server.sh" ]; then
  "$ROOT/scripts/pg-test-server.sh" stop >/dev/null 2>&1 || true
fi
exit $status
