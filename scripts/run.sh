#!/usr/bin/env bash
# Starts the program from a build folder. Without a display (or before the
# desktop app is built) it runs the headless demo of the command-line tool.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/kestrine" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/bin/kestrine"
fi
if [ ! -x "$build/bin/kestrine" ]; then
  echo "The desktop application is not built yet; running the command-line demo instead."
else
  echo "No display found; running the command-line demo instead of the desktop application."
fi
exec "$build/bin/kestrine-cli" demo
