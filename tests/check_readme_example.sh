#!/usr/bin/env bash
# The example in runtime/README.md must be runtime/example.c, which the build compiles.
set -euo pipefail
dir=$1
awk '/^```c$/{on=1; next} /^```$/{on=0} on' "$dir/README.md" | diff -u "$dir/example.c" - >&2
