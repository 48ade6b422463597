#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Builds what the Windows cross build links against and Debian does not ship for MinGW:
# liblzf, liblzma and GoogleTest, static, from Debian's own sources, into
#   scripts/windows-deps.sh [prefix]        (default build-windows-deps/prefix)
# zlib comes from libz-mingw-w64-dev. Each library is built once; delete the prefix to
# build again. Fetching the sources needs a deb-src entry: as root on a Debian machine
# without one, it adds one for the archive the machine already uses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "${1:-$root/build-windows-deps/prefix}")
work=$(dirname "$prefix")
host=x86_64-w64-mingw32
jobs=${JOBS:-2}

"$root/scripts/install-deps.sh" windows
command -v $host-gcc-posix >/dev/null || { echo "no $host-gcc-posix"; exit 1; }
mkdir -p "$prefix/lib" "$prefix/include" "$work/src"

# The upstream tarball of a Debian source package, downloaded once into $work/src.
upstream() {
    local package=$1 tarball
    tarball=$(ls "$work/src/${package}_"*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)
    if [ -z "$tarball" ]; then
        ensure_deb_src >&2
        # Only the upstream tarball is used (apt checks it against the index): a mirror
        # that lacks the Debian patch tarball is no obstacle.
        (cd "$work/src" && apt-get source --download-only "$package" >/dev/null 2>&1) || true
        tarball=$(ls "$work/src/${package}_"*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)
        [ -n "$tarball" ] || { echo "could not download the sources of $package" >&2; exit 1; }
    fi
    echo "$tarball"
}

ensure_deb_src() {
    grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
    if [ "$(id -u)" -ne 0 ]; then
        echo "apt has no deb-src entry: add one (as root) and run apt-get update"
        exit 1
    fi
    # The same archives and suites as the binary entries, in whichever format they are.
    local list=/etc/apt/sources.list.d/debian-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:.*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources > "$list"
    else
        list=/etc/apt/sources.list.d/debian-src.list
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$list" 2>/dev/null || true
    fi
    [ -s "$list" ] || { rm -f "$list"; echo "found no Debian archive to take sources from"; exit 1; }
    echo "Added $list"
    apt-get update -qq
}

# liblzf: two C files. Its 64-bit Windows branch spells the type MSVC's way.
if [ ! -f "$prefix/lib/liblzf.a" ]; then
    tarball=$(upstream liblzf)
    rm -rf "$work/lzf" && mkdir -p "$work/lzf"
    tar -xf "$tarball" -C "$work/lzf" --strip-components=1
    (cd "$work/lzf" && $host-gcc-posix -O2 -D_int64=__int64 -c lzf_c.c lzf_d.c && $host-ar rcs "$prefix/lib/liblzf.a" lzf_c.o lzf_d.o)
    # Where Debian puts it, and callable from C++ as Debian's patched header is.
    mkdir -p "$prefix/include/liblzf"
    { printf '#ifdef __cplusplus\nextern "C" {\n#endif\n'; cat "$work/lzf/lzf.h"; printf '#ifdef __cplusplus\n}\n#endif\n'; } \
        >"$prefix/include/liblzf/lzf.h"
    echo "Built liblzf"
fi

# liblzma: the library alone from xz-utils, none of its programs.
if [ ! -f "$prefix/lib/liblzma.a" ]; then
    tarball=$(upstream xz-utils)
    rm -rf "$work/xz" && mkdir -p "$work/xz"
    tar -xf "$tarball" -C "$work/xz" --strip-components=1
    (cd "$work/xz" &&
        CC=$host-gcc-posix ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
            --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
            --disable-scripts --disable-doc --disable-nls &&
        make -j"$jobs" -C src/liblzma && make -C src/liblzma install) >"$work/xz.log" 2>&1 ||
        { tail -20 "$work/xz.log"; exit 1; }
    echo "Built liblzma"
fi

# GoogleTest from the sources libgtest-dev ships, for the cross-built unit tests.
if [ ! -f "$prefix/lib/libgtest.a" ]; then
    cmake -S /usr/src/googletest -B "$work/gtest" -DCMAKE_TOOLCHAIN_FILE="$root/scripts/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    cmake --build "$work/gtest" -j"$jobs" >/dev/null && cmake --install "$work/gtest" >/dev/null
    echo "Built GoogleTest"
fi
