#!/bin/sh
# A private nginx for the tests, on a loopback port.
#   nginx.sh start PORT ROOT STATE   serve the folder ROOT on 127.0.0.1:PORT; pid, logs, temp files
#                                    and the generated configuration live in the folder STATE
#   nginx.sh stop STATE              stop the server started with that STATE folder
# The access log (STATE/access.log) records the request line with its query, the status, the bytes
# sent and the Range header. Last-Modified and byte ranges are nginx's defaults for static files.
set -eu

usage() {
    echo "usage: $0 start PORT ROOT STATE | stop STATE" >&2
    exit 2
}

[ $# -ge 1 ] || usage
case "$1" in
start)
    [ $# -eq 4 ] || usage
    port=$2
    root=$(cd "$3" && pwd)
    state=$(mkdir -p "$4" && cd "$4" && pwd)
    mkdir -p "$state/temp"
    user_line=""
    # As root the workers would otherwise run as nobody and could not read the test folders.
    if [ "$(id -u)" = 0 ]; then user_line="user root;"; fi
    mime_line=""
    if [ -f /etc/nginx/mime.types ]; then mime_line="include /etc/nginx/mime.types;"; fi
    cat >"$state/nginx.conf" <<CONF
$user_line
worker_processes 1;
daemon on;
pid $state/nginx.pid;
error_log $state/error.log warn;
events { worker_connections 64; }
http {
    $mime_line
    default_type application/octet-stream;
    log_format updater_test '\$remote_addr [\$time_local] "\$request" \$status \$body_bytes_sent range="\$http_range"';
    access_log $state/access.log updater_test;
    client_body_temp_path $state/temp/body;
    proxy_temp_path $state/temp/proxy;
    fastcgi_temp_path $state/temp/fastcgi;
    uwsgi_temp_path $state/temp/uwsgi;
    scgi_temp_path $state/temp/scgi;
    sendfile off;
    server {
        listen 127.0.0.1:$port;
        server_name localhost;
        root $root;
        autoindex off;
    }
}
CONF
    exec nginx -p "$state" -c "$state/nginx.conf" -e "$state/error.log"
    ;;
stop)
    [ $# -eq 2 ] || usage
    state=$(cd "$2" && pwd)
    [ -f "$state/nginx.pid" ] || exit 0
    nginx -p "$state" -c "$state/nginx.conf" -e "$state/error.log" -s quit 2>/dev/null ||
        kill "$(cat "$state/nginx.pid")" 2>/dev/null || true
    # Wait for the master to go so the port and the folder are free afterwards.
    i=0
    while [ -f "$state/nginx.pid" ] && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    ;;
*)
    usage
    ;;
esac
