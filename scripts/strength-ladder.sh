#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# The strength levels against each other: each level plays the one STEP Elo below it
# under xboard (scripts/match.sh, the openings of scripts/openings.fen with both
# colours). Fails when a level does not beat the one below it by a clear margin: a
# score of at least MIN percent.
#
#   scripts/strength-ladder.sh [-g GAMES] [-s STEP] [-m MIN] [-t "XBOARD TIME OPTIONS"] [-b BINARY] [-o DIR] [LEVEL...]
#
# Defaults: 40 games a pair, step 200, min 60, "-tc 0:10 -inc 0.1", levels 1200 1400
# ... 2400 (each against the level STEP below it), build/grelvin, matches/ladder-<time>.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
games=40 step=200 min=60 tc="-tc 0:10 -inc 0.1 -matchPause 500" binary="$here/../build/grelvin" out=""
while getopts "g:s:m:t:b:o:" opt; do
    case $opt in
        g) games=$OPTARG ;; s) step=$OPTARG ;; m) min=$OPTARG ;; t) tc=$OPTARG ;;
        b) binary=$OPTARG ;; o) out=$OPTARG ;;
        *) sed -n 4,12p "$0"; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(1200 1400 1600 1800 2000 2200 2400)
out="${out:-matches/ladder-$(date +%Y%m%d-%H%M%S)}"
mkdir -p "$out"
binary="$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")"
failed=0
printf '%-6s %-6s %s\n' level below result | tee "$out/ladder.txt"
for level in "${levels[@]}"; do
    below=$((level - step))
    dir="$out/$level-vs-$below"
    "$here/match.sh" -b "$binary" -e "$binary" -g "$games" -t "$tc" -l "$here/openings.fen" -o "$dir" \
        -f "limitStrength=1,strengthElo=$level,strengthSeed=1" \
        -s "limitStrength=1,strengthElo=$below,strengthSeed=2" > "$dir.log" 2>&1 || true
    line=$(head -1 "$dir/summary.txt")
    score=$(sed -n 's/.*score \([0-9.]*\)%.*/\1/p' <<< "$line")
    verdict=ok
    if [ -z "$score" ] || ! awk -v s="$score" -v m="$min" 'BEGIN { exit !(s >= m) }'; then
        verdict=FAILED
        failed=1
    fi
    printf '%-6s %-6s %s  %s\n' "$level" "$below" "$line" "$verdict" | tee -a "$out/ladder.txt"
done
exit $failed
