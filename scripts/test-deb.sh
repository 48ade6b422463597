#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Checks the package built by "make deb" with lintian (an error fails), installs it,
# starts the installed engines from an empty folder elsewhere, checks that grelvin answers "protover 2" with its feature list and
# plays a move and that grelvin-uci answers "uci" and "isready" and moves, that every
# copy of the engine in the program gives the bench signature, and removes
# the package again (unless KEEP=1). Needs root.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
deb=$(ls "$here"/../build-deb/grelvin_*.deb | head -1)
# Informational tags too, so that what is left shows; errors fail the test.
lintian --display-info --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || {
    echo "lintian found errors in $(basename "$deb")"; exit 1; }
dpkg -i "$deb" >/dev/null
elsewhere=$(mktemp -d)
cd "$elsewhere"
answer=$( (printf 'xboard\nprotover 2\nnew\nsd 3\ngo\n'; sleep 3; printf 'quit\n') | timeout 30 /usr/games/grelvin)
uciAnswer=$( (printf 'uci\nisready\ngo depth 3\n'; sleep 2; printf 'quit\n') | timeout 30 /usr/games/grelvin-uci)
cd / && rm -rf "$elsewhere"
status=0
for want in 'feature myname="GrelvinBB' 'feature done=1' '^move '; do
    grep -q "$want" <<<"$answer" || { echo "missing from the answer: $want"; status=1; }
done
for want in '^id name GrelvinBB' '^uciok' '^readyok' '^bestmove '; do
    grep -q "$want" <<<"$uciAnswer" || { echo "missing from the UCI engine's answer: $want"; status=1; }
done
# The bench signature from each copy of the engine the program carries: the one it
# chooses, then each lower level forced.
expected=$(sed -n 's/^set(GRELVIN_BENCH_NODES \([0-9]*\))/\1/p' "$here/../CMakeLists.txt")
for level in "" x86-64-v2 x86-64; do
    out=$(GRELVIN_CPU=$level timeout 120 /usr/games/grelvin-uci bench)
    code=$(sed -n 's/^info string code for //p' <<<"$out")
    echo "bench, code for ${code:-?}: $(tail -1 <<<"$out")"
    [ "$(tail -1 <<<"$out" | cut -d' ' -f1)" = "$expected" ] || { echo "bench signature (code for $code), expected $expected"; status=1; }
    [ -z "$level" ] || [ "$code" = "$level" ] || { echo "GRELVIN_CPU=$level ran the code for $code"; status=1; }
done
[ -f /usr/share/games/plugins/xboard/grelvin.eng ] || { echo "no XBoard engine-list entry"; status=1; }
grep -q '^License: GPL-3+' /usr/share/doc/grelvin/copyright || { echo "no GPL-3+ copyright file"; status=1; }
version=$(dpkg-query -W -f='${Version}' grelvin)
grep -q "^id name GrelvinBB $version\$" <<<"$uciAnswer" || { echo "grelvin-uci does not name version $version"; status=1; }
for page in grelvin grelvin-uci; do
    man -w $page >/dev/null 2>&1 || { echo "no manual page $page"; status=1; }
done
[ "${KEEP:-0}" = 1 ] || dpkg -r grelvin >/dev/null
[ $status -eq 0 ] && echo "package $(basename "$deb"): installs, both engines answer and play from another folder"
exit $status
