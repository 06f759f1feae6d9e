#!/bin/sh
# Builds the fuzzers with clang and runs each for a while on its seed corpus.
# Usage: fuzz/run.sh [seconds per target, default 60] [target...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-"lzh_decode_fuzz lzh_roundtrip_fuzz skinread_fuzz quickini_fuzz listline_fuzz"}

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null
for t in $targets; do
    seeds="$here/corpus/${t%_fuzz}"
    work="$build/corpus/${t%_fuzz}"
    mkdir -p "$work"
    echo "== $t ($seconds s)"
    # New inputs go to the build folder; the committed seeds stay as they are.
    "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=65536 \
        -artifact_prefix="$build/$t-" "$work" "$seeds"
done
