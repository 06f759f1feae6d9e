#!/bin/sh
# Paint benchmark (not a test): one full paint of update.exe's window with its controls skinned
# and drawn by the system, and the memory the skin engine holds. See scripts/bench_paint.py.
#
#   scripts/bench-paint.sh [--paints N]
set -eu
. "$(cd "$(dirname "$0")" && pwd)/bench-env.sh"
python3 "$here/bench_paint.py" "$@"
