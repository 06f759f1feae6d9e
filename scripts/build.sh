#!/bin/bash
# Configures and builds the three builds: native (core and its tests), Windows x86-64 (the program
# and its tests, run under Wine) and Windows i686 (compiled and linked only, 32-bit cannot run here).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
((jobs > 2)) && jobs=2

for preset in native-debug mingw-x86_64 mingw-i686; do
    echo "== configure $preset"
    if ! cmake --preset "$preset"; then
        echo "build.sh: configuring $preset FAILED" >&2
        exit 1
    fi
done

build() {
    local dir=$1
    echo "== build $dir"
    if ! cmake --build "$dir" -j"$jobs"; then
        echo "build.sh: building $dir FAILED" >&2
        exit 1
    fi
}
build build/native
build build/mingw-x86_64
build build/mingw-i686
echo "build.sh: all three builds succeeded"
