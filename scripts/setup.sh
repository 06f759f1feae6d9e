#!/bin/bash
# Prepares a Debian 12 machine (as root) for building and testing: packages, the Chinese locale
# that gives Wine code page 936, and no stray default nginx. A second run only checks and exits.
set -euo pipefail

packages=(cmake g++ make libgtest-dev googletest clang clang-format
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
    xvfb x11-utils imagemagick nginx fonts-wqy-zenhei locales
    python3 python3-cryptography iproute2 curl xdotool clang-tidy)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    if ((${#missing[@]})) || ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        command -v sudo >/dev/null || { echo "setup.sh: needs root (missing: ${missing[*]})" >&2; exit 1; }
        sudo_cmd=(sudo)
    fi
fi

if ((${#missing[@]})); then
    echo "setup.sh: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    # nginx's package would start its default site on port 80; keep it from starting at all.
    policy=/usr/sbin/policy-rc.d
    own_policy=0
    if [[ ! -e $policy ]]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee $policy >/dev/null
        "${sudo_cmd[@]}" chmod +x $policy
        own_policy=1
    fi
    rc=0
    "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" || rc=$?
    ((own_policy)) && "${sudo_cmd[@]}" rm -f $policy
    ((rc == 0)) || { echo "setup.sh: apt-get install failed ($rc)" >&2; exit $rc; }
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup.sh: generating zh_CN.UTF-8"
    "${sudo_cmd[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# A default nginx (port 80) is of no use to the tests, which start their own on loopback ports.
if [[ -s /run/nginx.pid ]] && kill -0 "$(cat /run/nginx.pid)" 2>/dev/null; then
    { systemctl stop nginx || service nginx stop || nginx -s stop; } >/dev/null 2>&1 || true
fi
exit 0
