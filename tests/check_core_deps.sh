#!/usr/bin/env bash
# kestrine_core must not refer to Qt: no Qt include in its sources, and no
# undefined Qt symbol in the archive.
set -euo pipefail
src=$1
lib=$2
if grep -rnE '#include\s*[<"]Q' "$src/model" "$src/training" "$src/files"; then
  echo "kestrine_core includes a Qt header" >&2
  exit 1
fi
if nm -C --undefined-only "$lib" | grep -E '\bQ[A-Z][A-Za-z]+(::|\b)|\bqt_'; then
  echo "kestrine_core refers to a Qt symbol" >&2
  exit 1
fi
