#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Runs the Windows build under wine: the unit tests, the bench signature, a short game
# start through each protocol face, and tablebases found through a Windows path.
#   scripts/test-windows.sh [build-windows]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-windows}")
# A prefix of its own in the build folder; no Mono or Gecko prompts for console programs.
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
[ -d "$WINEPREFIX" ] || "$wine" wineboot --init >/dev/null 2>&1 || true
failed=0
fail() { echo "FAILED: $*"; failed=1; }

(cd "$build" && ctest --output-on-failure -j 2) || fail "unit tests"

# The bench signature from each copy of the engine the program carries: the one it
# chooses, then each lower level forced.
expected=$(sed -n 's/^set(GRELVIN_BENCH_NODES \([0-9]*\))/\1/p' "$root/CMakeLists.txt")
for level in "" x86-64-v2 x86-64; do
    out=$(GRELVIN_CPU=$level "$wine" "$build/grelvin-uci.exe" bench 2>/dev/null | tr -d '\r')
    code=$(sed -n 's/^info string code for //p' <<<"$out")
    echo "bench, code for ${code:-?}: $(tail -1 <<<"$out")"
    [ "$(tail -1 <<<"$out" | cut -d' ' -f1)" = "$expected" ] || fail "bench signature (code for $code), expected $expected"
    [ -z "$level" ] || [ "$code" = "$level" ] || fail "GRELVIN_CPU=$level ran the code for $code"
done

# Starts the program, sends the first lines, and waits (up to 60 s) for a line
# matching the pattern; then sends the last line and waits for the exit.
session() {
    local program=$1 pattern=$2 last=$3 line found=
    shift 3
    coproc ENGINE { "$wine" "$program" 2>/dev/null; }
    local pid=$ENGINE_PID
    printf '%s\n' "$@" >&"${ENGINE[1]}"
    while IFS= read -r -t 60 line <&"${ENGINE[0]}"; do
        line=${line%$'\r'}
        if [[ $line =~ $pattern ]]; then found=$line; break; fi
    done
    printf '%s\n' "$last" >&"${ENGINE[1]}" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$found" ] && echo "$(basename "$program"): $found"
    [ -n "$found" ]
}

session "$build/grelvin.exe" '^move ' quit xboard 'protover 2' new 'sd 3' go || fail "xboard session"
session "$build/grelvin-uci.exe" '^bestmove ' quit uci isready 'position startpos' 'go depth 3' || fail "uci session"
# The mate in 17 plies is known at depth 0 only from the tables; the trailing backslash
# must not be doubled by a slash.
tb=$(realpath "${GRELVIN_DATA:-$root/../shared/data}/gaviota")
session "$build/grelvin.exe" '^0 31983 ' quit xboard post "egtpath gaviota Z:${tb//\//\\}\\" \
    'setboard 8/8/8/4k3/8/8/8/KQ6 w - - 0 1' go || fail "tablebases through a Windows path"

# The zip a user downloads: both programs, the example ini file, the text files, and
# the notices the linked libraries' licences ask for.
zip=$(ls "$build"/grelvin-*-windows-x86-64.zip 2>/dev/null | head -1 || true)
if [ -z "$zip" ]; then
    fail "no zip in $build (make windows-zip)"
else
    listing=$(cd "$build" && cmake -E tar tf "$zip")
    for f in grelvin.exe grelvin-uci.exe grelvin.ini README-Windows.txt THIRD-PARTY-NOTICES.txt LICENSE.txt; do
        grep -q "/$f\$" <<<"$listing" || fail "$f missing from $(basename "$zip")"
    done
    notices=$(mktemp -d)
    (cd "$notices" && cmake -E tar xf "$zip")
    grep -q "Marc Alexander Lehmann" "$notices"/*/THIRD-PARTY-NOTICES.txt || fail "the liblzf notice is missing"
    grep -q "GNU GENERAL PUBLIC LICENSE" "$notices"/*/LICENSE.txt || fail "the zip's LICENSE.txt is not the GPL"
    rm -rf "$notices"
fi

[ "$failed" -eq 0 ] && echo "Windows build: all passed"
exit "$failed"
