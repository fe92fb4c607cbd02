#!/usr/bin/env bash
# Set up, build and start Aerolyx on the bundled demo catalogue.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
BIN="$BUILD_DIR/bin"
if [ -x "$BIN/aerolyx" ]; then
  exec "$BIN/aerolyx" "$@"
fi
exec "$BIN/aerolyx-check" "$@"
