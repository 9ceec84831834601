#!/usr/bin/env bash
# The layers only point down: model <- training <- files <- session <- (ui, cli),
# and runtime/ stands alone. The core (model, training, files) and the session
# refer to no Qt, in their sources or as undefined symbols of their archives.
set -uo pipefail
src=$1
runtime=$2
shift 2
status=0

# refuse DIR PATTERN...: no include in DIR names a folder of the patterns.
refuse() {
  local dir=$1; shift
  [ -d "$src/$dir" ] || return 0
  local pattern
  pattern=$(printf '|%s/' "$@")
  if grep -rnE "#include\s*\"(${pattern:1})" "$src/$dir"; then
    echo "src/$dir includes from a layer above it ($*)" >&2
    status=1
  fi
}
refuse model training files session qt ui cli
refuse training files session qt ui cli
refuse files session qt ui cli
refuse session qt ui cli

for dir in model training files session; do
  if [ -d "$src/$dir" ] && grep -rnE '#include\s*[<"]Q' "$src/$dir"; then
    echo "src/$dir includes a Qt header" >&2
    status=1
  fi
done

# Pages, dialogs and the wizard do not reach back into the main window.
if grep -rlE '#include\s*"ui/main_window\.h"' "$src/ui" | grep -vE '/(main_window[a-z_]*|app_main)\.cpp$'; then
  echo "only the main window's own files include ui/main_window.h" >&2
  status=1
fi

# The runtime includes only its own headers and the C library.
if grep -nE '#include\s*"' "$runtime"/*.c "$runtime"/*.h | grep -vE '#include\s*"ksr_[a-z_]+\.h"'; then
  echo "runtime/ includes something besides its own headers" >&2
  status=1
fi

for lib in "$@"; do
  if nm -C --undefined-only "$lib" | grep -E '\bQ[A-Z][A-Za-z]+(::|\b)|\bqt_'; then
    echo "$lib refers to a Qt symbol" >&2
    status=1
  fi
done
exit $status
