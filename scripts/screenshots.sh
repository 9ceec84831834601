#!/usr/bin/env bash
# Screenshots of the window as a person sees it: a virtual X display with a
# window manager, an example project open, at the smallest
# size the window allows, at its default size and maximised on a large screen.
# Needs xvfb, openbox, xdotool and imagemagick. Usage:
#   scripts/screenshots.sh [BUILD] [OUT]    (OUT defaults to BUILD/screenshots)
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
app=$(realpath "$build/bin/kestrine")
project=$(realpath "$(dirname "$0")/../examples/loan_decision.ksm")
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/config KESTRINE_SPLASH_MS=0
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

shoot() { sleep 0.6; import -window root "$out/$1.png"; echo "$out/$1.png"; }

"$app" "$project" >/dev/null 2>&1 &
pids+=($!)
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name "Kestrine" 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$win" 2>/dev/null || true
read -r _ _ W H < <(xdotool getwindowgeometry --shell "$win" | tr '\n' ' ' | sed 's/WINDOW=[0-9]* X=[0-9-]* Y=[0-9-]* WIDTH=\([0-9]*\) HEIGHT=\([0-9]*\).*/x y \1 \2/') || true

size() {
  local tag=$1 w=$2 h=$3
  xdotool windowsize --sync "$win" "$w" "$h" 2>/dev/null || xdotool windowsize "$win" "$w" "$h"
  xdotool windowmove "$win" 0 0
  shoot "$tag-build"
}

size default "$W" "$H"
size small 640 480      # the window refuses to go below its minimum: the shot shows that size
size large 1900 1160
