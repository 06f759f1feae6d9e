#!/bin/bash
# Configures and builds the three builds: native (core and its tests), Windows x86-64 (the program
# and its tests, run under Wine) and Windows i686 (compiled and linked only: 32-bit programs cannot
# run here). Every build is attempted; the exit status is non-zero when any of them failed.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
((jobs > 2)) && jobs=2

failed=()
build() {
    local preset=$1 dir=$2
    echo "== configure $preset"
    # UPDATER_WERROR=ON (set by the test command) makes warnings errors; set each time, so a
    # later plain build goes back to warnings.
    if ! cmake --preset "$preset" -DUPDATER_WARNINGS_AS_ERRORS="${UPDATER_WERROR:-OFF}"; then
        echo "build.sh: configuring $preset FAILED" >&2
        failed+=("$preset (configure)")
        return
    fi
    echo "== build $dir"
    if ! cmake --build "$dir" -j"$jobs"; then
        echo "build.sh: building $dir FAILED" >&2
        failed+=("$preset")
    fi
}
build native-debug build/native
build mingw-x86_64 build/mingw-x86_64
build mingw-i686 build/mingw-i686

if ((${#failed[@]})); then
    echo "build.sh: FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "build.sh: all three builds succeeded"
