#!/bin/bash
# Runs a test command with the test servers up, and stops them afterwards whatever happens.
#   with-servers.sh [--root DIR] COMMAND [ARGS...]
# Exported to the command:
#   UPDATER_TEST_HTTP       http://127.0.0.1:PORT/  (nginx serving the test folder)
#   UPDATER_TEST_HTTP_ROOT  the folder it serves (a fresh one unless --root is given); tests put
#                           the files they fetch there
#   UPDATER_TEST_HTTP_LOG   its access log: request line with query, status, bytes, Range header
#   UPDATER_TEST_FAULT      http://127.0.0.1:PORT/  (tests/support/faultserver.py, modes by path)
#   UPDATER_TEST_FAULT_LOG  its request log: request line, tab, Range header or "-"
# A COMMAND ending in .exe runs under Wine (tests/support/wine-run.sh); without a DISPLAY the
# command runs under xvfb-run. The command's exit status is passed through.
#
# To add a server: write a start_<name> function that exports its variables and records how to
# stop it with at_exit, and call it next to start_http below.
set -u

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/updater-servers.XXXXXX")
root=""
stop_actions=()

at_exit() { stop_actions+=("$1"); }

cleanup() {
    local i
    for ((i = ${#stop_actions[@]} - 1; i >= 0; i--)); do
        eval "${stop_actions[i]}" || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "${1:-}" = "--root" ]; then
    [ $# -ge 2 ] || { echo "with-servers.sh: --root needs a folder" >&2; exit 2; }
    root=$(cd "$2" && pwd) || exit 2
    shift 2
fi
[ $# -ge 1 ] || { echo "usage: with-servers.sh [--root DIR] COMMAND [ARGS...]" >&2; exit 2; }

start_http() {
    local state="$work/nginx" port tries=0
    if [ -z "$root" ]; then
        root="$work/www"
        mkdir -p "$root"
    fi
    # A random loopback port; another server may hold the first one tried.
    while [ $tries -lt 20 ]; do
        port=$((20000 + RANDOM % 40000))
        if "$here/nginx.sh" start "$port" "$root" "$state" 2>"$work/nginx-start.err"; then
            at_exit "\"$here/nginx.sh\" stop \"$state\""
            export UPDATER_TEST_HTTP="http://127.0.0.1:$port/"
            export UPDATER_TEST_HTTP_ROOT="$root"
            export UPDATER_TEST_HTTP_LOG="$state/access.log"
            return 0
        fi
        tries=$((tries + 1))
    done
    echo "with-servers.sh: nginx did not start:" >&2
    cat "$work/nginx-start.err" >&2
    return 1
}

start_fault() {
    local portfile="$work/fault.port" pid i=0
    python3 "$here/faultserver.py" --port-file "$portfile" --log "$work/fault.log" --lifetime 3600 \
        >"$work/fault.out" 2>&1 &
    pid=$!
    at_exit "kill $pid 2>/dev/null; wait $pid 2>/dev/null"
    while [ ! -s "$portfile" ] && [ $i -lt 100 ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.1
        i=$((i + 1))
    done
    if [ ! -s "$portfile" ]; then
        echo "with-servers.sh: the fault server did not start:" >&2
        cat "$work/fault.out" >&2
        return 1
    fi
    export UPDATER_TEST_FAULT="http://127.0.0.1:$(cat "$portfile")/"
    export UPDATER_TEST_FAULT_LOG="$work/fault.log"
}

start_http || exit 1
start_fault || exit 1

if [[ "$1" == *.exe ]]; then
    set -- "$here/wine-run.sh" "$@"
fi
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    set -- xvfb-run -a -s "-screen 0 1024x768x24" "$@"
fi

"$@"
status=$?
exit $status
