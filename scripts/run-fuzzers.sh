#!/usr/bin/env bash
# Runs every fuzz target for a while from a copy of its seed corpus; any
# finding fails the run (libFuzzer exits non-zero and keeps the input).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
for target in project_reader:project import:import runtime_loader:runtime numbers:numbers; do
  name=${target%%:*}
  corpus=${target##*:}
  work="$build/corpus/$corpus"
  mkdir -p "$work" "$build/findings"
  cp -n "$root/fuzz/corpus/$corpus"/* "$work"/ 2>/dev/null || true
  echo "fuzz_$name: ${seconds}s"
  "$build/bin/fuzz_$name" -max_total_time="$seconds" -print_final_stats=0 \
    -artifact_prefix="$build/findings/$name-" "$work" > "$build/fuzz_$name.log" 2>&1 || {
      echo "fuzz_$name found a fault; the input is in $build/findings:" >&2
      tail -n 40 "$build/fuzz_$name.log" >&2
      exit 1
    }
done
