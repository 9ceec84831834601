#!/usr/bin/env bash
# Starts the program from a build folder. Until the desktop app exists it
# says what there is so far.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/kestrine" ]; then
  exec "$build/bin/kestrine"
fi
echo "Kestrine: the desktop application is not built yet."
echo "Built so far in $build/bin:"
ls -1 "$build/bin" 2>/dev/null | sed 's/^/  /'
echo "Run 'make test' to build and run every test."
