#!/bin/bash
# Demonstration: sets the machine up, builds the updater, then runs it against a local demo update
# site and reports what happened (screenshots in build/demo/). Without a DISPLAY it starts Xvfb.
#   run-demo.sh [--no-build] [demo.py options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [[ "${1:-}" == "--no-build" ]]; then
    shift
else
    bash scripts/setup.sh
    cmake --preset mingw-x86_64 >/dev/null
    cmake --build build/mingw-x86_64 -j2 --target update testclient probe
fi
exec python3 scripts/demo.py "$@"
