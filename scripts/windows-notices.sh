#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Writes the notices of the libraries linked into the Windows programs, which their
# licences ask to travel with the binaries: liblzf and liblzma from the upstream
# tarballs of Debian's source packages (scripts/windows-deps.sh fetched them), zlib,
# the MinGW-w64 runtime and the GCC runtime from the Debian packages' copyright files.
#
#   scripts/windows-notices.sh OUTPUT [DEPS_DIR]      (default build-windows-deps)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
deps=${2:-$root/build-windows-deps}

# One file of an upstream tarball in $deps/src, by its path below the top folder.
from_tarball() {
    local package=$1 file=$2 tarball
    tarball=$(ls "$deps/src/${package}_"*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)
    [ -n "$tarball" ] || { echo "no sources of $package in $deps/src: run scripts/windows-deps.sh" >&2; exit 1; }
    tar -xOf "$tarball" --wildcards --no-wildcards-match-slash "*/$file"
}

section() {
    printf '\n==============================================================================\n'
    printf '%s\n' "$1"
    printf '==============================================================================\n\n'
}

{
    printf 'GrelvinBB for Windows is linked with the libraries below. Their copyright\n'
    printf 'notices and licences follow.\n'
    section "liblzf (Debian source package liblzf): LICENSE"
    from_tarball liblzf LICENSE
    section "liblzma (Debian source package xz-utils): COPYING"
    from_tarball xz-utils COPYING
    for package in libz-mingw-w64 mingw-w64-common gcc-mingw-w64-base; do
        copyright=/usr/share/doc/$package/copyright
        [ -f "$copyright" ] || { echo "missing $copyright: is the package $package installed?" >&2; exit 1; }
        case $package in
            libz-mingw-w64) what="zlib" ;;
            mingw-w64-common) what="MinGW-w64 runtime (winpthreads, CRT start-up code)" ;;
            *) what="GCC runtime (libstdc++, libgcc)" ;;
        esac
        section "$what (Debian package $package): copyright"
        cat "$copyright"
    done
} | sed 's/\r$//; s/$/\r/' > "$out"
