#!/bin/sh
# Runs a Windows program of the build under Wine in the tests' own prefix.
# Needs a display: the test command starts Xvfb and exports DISPLAY.
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../../build/wineprefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
