#!/bin/sh
# Runs a Windows program of the build under Wine in the tests' own prefix.
# Needs a display: the test command starts Xvfb and exports DISPLAY.
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../../build/wineprefix}"
export WINEPREFIX
# The build may be the first to use the prefix (it runs the skin packer under Wine): create it, and
# run everything, in the Chinese locale, so the prefix gets the CJK system fonts and code page 936.
if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
