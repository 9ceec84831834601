#!/usr/bin/env bash
# The runtime as an embedder gets it: installed by cmake --install, then used
# through pkg-config and through the CMake package.
set -euo pipefail
build=$1
src=$2
flags=${3:-}  # the build's sanitizer, which the installed library carries
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
libdir=$(ls -d "$work"/prefix/lib*/pkgconfig | head -1)
export PKG_CONFIG_PATH=$libdir
# shellcheck disable=SC2046,SC2086
cc -std=c99 -Wall -Wextra -Werror $flags "$src/runtime/example.c" $(pkg-config --cflags --libs kestrine-runtime) -o "$work/by-pkg-config"
mkdir "$work/app"
cat > "$work/app/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(app C)
find_package(KestrineRuntime REQUIRED)
add_executable(app example.c)
target_link_libraries(app PRIVATE Kestrine::ksr_runtime)
CMAKE
cp "$src/runtime/example.c" "$work/app/"
cmake -S "$work/app" -B "$work/app/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_C_FLAGS="$flags" >/dev/null
cmake --build "$work/app/build" >/dev/null
test -x "$work/app/build/app"
test -f "$work/prefix/share/man/man1/kestrine-cli.1"
