#!/bin/bash
# The whole check: machine setup, the three builds, then every test natively and under Wine
# (unit tests, Win32 tests, end-to-end scenarios). Ends with one line
#   Total: N passed, M failed[, K skipped]
# counting single test cases. Exit status non-zero when a build or a test failed, or when the run
# tested less than it must (see scripts/summarize.py).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

started=$(date +%s)
xvfb_pid=""
build_failed=()

cleanup() {
    [[ -n "${tidy_pid:-}" ]] && kill "$tidy_pid" 2>/dev/null
    # Whatever the tests left in the test prefix (programs the updater started) goes too.
    if [[ -n "${WINEPREFIX:-}" && -d "${WINEPREFIX:-}" ]]; then
        timeout 30 wineserver -k >/dev/null 2>&1 || true
    fi
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== setup"
if ! bash scripts/setup.sh; then
    echo "test.sh: setup failed"
    echo "Total: 0 passed, 1 failed"
    exit 1
fi

echo "== build (warnings are errors)"
if ! UPDATER_WERROR=ON bash scripts/build.sh; then
    build_failed+=(--build-failed "scripts/build.sh")
fi

echo "== format"
if ! find framework net skin system update tools tests fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror; then
    build_failed+=(--build-failed "clang-format (run it with -i on the files named above)")
fi

echo "== skin layers"
if ! python3 scripts/check-layers.py; then
    build_failed+=(--build-failed "skin layers (scripts/check-layers.py: an upward include or an include loop)")
fi

# clang-tidy takes minutes of one core's time; it runs beside the native tests, which are serial.
mkdir -p build
tidy_log=build/tidy.log
bash scripts/tidy.sh >"$tidy_log" 2>&1 &
tidy_pid=$!

# One X server for everything: Wine needs a display even for programs without windows.
display=77
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.1
done
export DISPLAY=":$display"
# Code page 936 for Wine's ANSI functions, as on a Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$root/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== initialising the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1 || echo "test.sh: wineboot reported an error"
    timeout 300 wineserver -w || true
fi

# Without a window manager, Wine waits up to two seconds for every managed top-level window that
# is hidden or destroyed; unmanaged windows make the updater's timings what they are on Windows.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
# SimSun stood in by the CJK font's face whose 12-pixel glyphs are whole (see tests/e2e/harness.py).
for face in 宋体 SimSun; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Zen Hei Sharp" /f >/dev/null 2>&1 || true
done
timeout 60 wineserver -w || true

ctest_failed=()
run_ctest() {
    local dir=$1
    # A stale result must not stand in for this run: the summary fails a build without one.
    rm -rf "$dir/results" "$dir/ctest-junit.xml"
    [[ -f "$dir/CTestTestfile.cmake" ]] || { echo "test.sh: $dir has no tests (not built)"; return; }
    mkdir -p "$dir/results"
    echo "== ctest $dir"
    if ! ctest --test-dir "$dir" --output-on-failure --no-tests=error --timeout 900 \
        --output-junit "$root/$dir/ctest-junit.xml"; then
        ctest_failed+=(--ctest-failed "$dir")
    fi
}

run_ctest build/native
echo "== tidy"
tidy_ok=1
wait "$tidy_pid" || tidy_ok=0
cat "$tidy_log"
((tidy_ok)) || build_failed+=(--build-failed "clang-tidy (scripts/tidy.sh: the findings above)")
run_ctest build/mingw-x86_64

# The gate: both builds' tests ran, no test is missing, skips only as tests/allowed-skips.txt
# lists them, at least as many passed as tests/floor.txt holds (raise it as tests are added).
echo "== summary (after $(($(date +%s) - started)) s)"
python3 scripts/summarize.py "${build_failed[@]}" "${ctest_failed[@]}" --floor tests/floor.txt \
    --allowed-skips tests/allowed-skips.txt --require build/mingw-x86_64/update/update.exe \
    build/native build/mingw-x86_64
