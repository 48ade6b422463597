#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# As root it installs them with apt-get; otherwise it names the command to run.
set -euo pipefail
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
for pkg in libgtest-dev zlib1g-dev liblzf-dev liblzma-dev; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "Installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # One retry: a mirror that hiccups once should not fail a whole build.
    for attempt in 1 2; do
        if apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null; then exit 0; fi
        echo "apt-get failed (attempt $attempt)"
        sleep 5
    done
    exit 1
else
    echo "Missing packages: ${need[*]}"
    echo "Install them with: sudo apt-get install ${need[*]}"
    exit 1
fi
