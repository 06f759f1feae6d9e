#!/bin/sh
# Download benchmark (not a test): update.exe under Wine against the floor of its transfer (the
# benchmark's own programs, tests/bench), 64 KB reads and curl, same files, same loopback nginx.
# Needs the Windows build (scripts/build.sh). Prints one table of medians; see scripts/bench_download.py.
#
#   scripts/bench-download.sh [--runs N] [--small N] [--big-mb M] [--exe path] [--unthrottled]
set -eu
. "$(cd "$(dirname "$0")" && pwd)/bench-env.sh"
python3 "$here/bench_download.py" "$@"
