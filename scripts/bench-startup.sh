#!/bin/sh
# Start-up benchmark (not a test): update.exe's window creation, showing and end in a run with
# nothing to update, against a minimal one-window program, with Wine warm. Needs the Windows build
# (scripts/build.sh). Prints one table of medians; see scripts/bench_startup.py.
#
#   scripts/bench-startup.sh [--runs N] [--exe path]
set -eu
. "$(cd "$(dirname "$0")" && pwd)/bench-env.sh"
python3 "$here/bench_startup.py" "$@"
