#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Installs the Debian packages a task needs, when they are missing, and says which.
#   scripts/install-deps.sh          build and unit tests
#   scripts/install-deps.sh fuzz     + clang with libFuzzer
#   scripts/install-deps.sh deb      + what CPack needs for the .deb
#   scripts/install-deps.sh match    + xboard, a virtual X server, polyglot and opponents
#   scripts/install-deps.sh windows  + the MinGW-w64 cross compiler, its zlib, and wine
# As root it installs them with apt-get, waiting while another install holds the
# package manager's lock; otherwise it names the command to run.
set -euo pipefail
need=()
want() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
    done
}
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
want libgtest-dev zlib1g-dev liblzf-dev liblzma-dev
for extra in "$@"; do
    case $extra in
        fuzz) want clang libclang-rt-14-dev ;;
        deb) want dpkg-dev file lintian ;;
        match) want xboard xvfb xauth polyglot fairymax phalanx sjeng gnuchess python3 ;;
        windows) want g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 ;;
        *) echo "unknown package set: $extra (fuzz, deb, match or windows)"; exit 2 ;;
    esac
done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    echo "Missing packages: ${need[*]}"
    echo "Install them with: sudo apt-get install ${need[*]}"
    exit 1
fi

LOCKS=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock /var/cache/apt/archives/lock)
WAIT_LIMIT=${APT_WAIT_SECONDS:-1800}

# Another apt-get or dpkg (an unattended upgrade, a second build) may hold the locks
# for minutes: wait for it rather than fail, and say who holds them.
wait_for_locks() {
    local waited=0 holders
    while holders=$(fuser "${LOCKS[@]}" 2>/dev/null | tr -s ' ') && [ -n "${holders// /}" ]; do
        if [ $((waited % 30)) -eq 0 ]; then
            echo "Waiting for the package manager lock (held by process${holders}; ${waited} s so far)"
        fi
        if [ "$waited" -ge "$WAIT_LIMIT" ]; then
            echo "Gave up after ${WAIT_LIMIT} s waiting for the package manager lock"
            return 1
        fi
        sleep 5
        waited=$((waited + 5))
    done
}

echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
# The lock can be taken again between our check and apt-get's start: apt-get itself
# then waits too, and a failed attempt (a lock race or a mirror hiccup) is retried.
apt_get() { apt-get -o DPkg::Lock::Timeout="$WAIT_LIMIT" "$@"; }
for attempt in 1 2 3; do
    wait_for_locks || exit 1
    if apt_get update -qq && apt_get install -y -qq "${need[@]}" >/dev/null; then
        echo "Installed: ${need[*]}"
        exit 0
    fi
    echo "apt-get failed (attempt $attempt of 3)"
    sleep 10
done
exit 1
