#!/bin/sh
# Skinned frame benchmark (not a test). Prints:
#  - the portable part of one full frame paint and of a region build, natively (an optimised build
#    of its own in build/bench-native) and under Wine (the Windows release build);
#  - one full non-client paint (WM_NCPAINT) of the skin lab's skinned form beside its native-frame
#    form, under Wine in a virtual desktop.
# Needs the Windows build (scripts/build.sh).
#
#   scripts/bench-skin.sh [paints]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
paints=${1:-2000}
win="$root/build/mingw-x86_64"
skin="$win/update/rc/skin.lzh"

. "$here/display.sh"

cmake -S "$root" -B "$root/build/bench-native" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build/bench-native" -j2 --target framebench >/dev/null
echo "== native (optimised)"
"$root/build/bench-native/tools/framebench/framebench" "$skin" "$paints"
echo "== under Wine (Windows release build)"
wine "$win/tools/framebench/framebench.exe" "$(winepath -w "$skin")" "$paints"
echo "== under Wine, one WM_NCPAINT of a 300 x 160 client form (median of five rounds of $paints)"
report="$root/build/bench-skin.txt"
rm -f "$report"
wine explorer /desktop=bench,800x600 "$win/tests/win/skinlab.exe" "$(winepath -w "$skin")" \
    "$(winepath -w "$report")" --bench "$paints" >/dev/null 2>&1 || true
cat "$report"
