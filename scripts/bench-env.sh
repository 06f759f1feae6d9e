# Sourced by the benchmark scripts: the Wine environment of the tests (Chinese locale, the build's
# prefix), an X display of its own when there is none, and unmanaged windows.
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export UPDATER_BUILD_DIR="${UPDATER_BUILD_DIR:-$root/build/mingw-x86_64}"

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    n=93
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
fi
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT INT TERM

# Without a window manager Wine waits whenever a managed window hides: not what is measured here.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
