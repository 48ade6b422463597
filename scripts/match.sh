#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Plays a match between GrelvinBB and another engine under xboard in -noGUI match mode
# inside a virtual X server, then summarises the saved PGN (scripts/pgn_summary.py).
#
#   scripts/match.sh -e fairymax -g 20 -t "-mps 40 -tc 0:15" [-c 2] [-u] [-o DIR] [-b BINARY [-U]] [-9]
#                    [-f OPTIONS] [-s OPTIONS] [-l FENFILE]
#
#   -e  opponent command (in PATH or /usr/games); -u if it speaks UCI (run via polyglot)
#   -b  GrelvinBB's binary (default build/grelvin); -U if it is the UCI engine grelvin-uci
#   -g  number of games (colours alternate; each opening is played with both colours)
#   -t  xboard time-control options, e.g. "-mps 40 -tc 0:15" or "-tc 0:10 -inc 1"
#   -c  GrelvinBB's -cores value (default 1)
#   -o  output folder (default matches/<opponent>-<time>)
#   -9  Chess960 (xboard's variant fischerandom): a new random start position every
#       game instead of the openings file
#   -f  GrelvinBB's options as xboard's -firstOptions takes them, e.g.
#       "limitStrength=1,strengthElo=1500" (-s: the opponent's, -secondOptions)
#   -l  start positions from a FEN file (one a line, each played with both colours)
#       instead of scripts/openings.pgn; scripts/openings.fen holds 100
#   (-c with -U sets the engine's Threads option through xboard's -firstOptions.)
# Needs: apt-get install xboard xvfb (and the opponent engine).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
opponent="" games=20 tc="-mps 40 -tc 0:15" cores=1 uci="" ownUci="" out="" binary="$here/../build/grelvin"
firstOptions="" secondOptions=""
openings=(-lgf "$here/openings.pgn" -lgi -2)
while getopts "e:g:t:c:uo:b:U9f:s:l:" opt; do
    case $opt in
        e) opponent=$OPTARG ;; g) games=$OPTARG ;; t) tc=$OPTARG ;; c) cores=$OPTARG ;;
        u) uci="-sUCI" ;; o) out=$OPTARG ;; b) binary=$OPTARG ;; U) ownUci=1 ;;
        9) openings=(-variant fischerandom) ;;
        f) firstOptions=$OPTARG ;; s) secondOptions=$OPTARG ;;
        l) openings=(-lpf "$(cd "$(dirname "$OPTARG")" && pwd)/$(basename "$OPTARG")" -lpi -2) ;;
        *) sed -n 2,24p "$0"; exit 2 ;;
    esac
done
[ -n "$opponent" ] || { sed -n 2,24p "$0"; exit 2; }
export PATH="$PATH:/usr/games"
binary="$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")"
out="${out:-matches/${opponent%% *}-$(date +%Y%m%d-%H%M%S)}"
mkdir -p "$out/grelvin" "$out/opponent"
out="$(cd "$out" && pwd)"
pgn="$out/games.pgn"
: > "$pgn"
# The XBoard engine takes its thread count on the command line; xboard runs the UCI
# engine through polyglot and sets its option by name.
first=(-fcp "$binary -cores $cores")
if [ -n "$ownUci" ]; then
    first=(-fcp "$binary" -fUCI)
    [ "$cores" = 1 ] || firstOptions="Threads=$cores${firstOptions:+,$firstOptions}"
fi
[ -z "$firstOptions" ] || first+=(-firstOptions "$firstOptions")
second=(-scp "$opponent")
[ -z "$secondOptions" ] || second+=(-secondOptions "$secondOptions")

# xboard does not always exit after the last game in this mode: it runs in its own
# process group, and the match ends when the PGN holds every result (or time is up).
# shellcheck disable=SC2086
setsid xvfb-run -a xboard -noGUI -xponder -debug -nameOfDebugFile "$out/xboard.debug" \
    "${first[@]}" -fd "$out/grelvin" \
    "${second[@]}" -sd "$out/opponent" $uci \
    -mg "$games" "${openings[@]}" \
    $tc -sgf "$pgn" \
    > "$out/xboard.log" 2>&1 &
xpid=$!
limit=$(( $(date +%s) + games * 400 + 60 ))
while kill -0 "$xpid" 2>/dev/null; do
    done_games=$(grep -cE '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$pgn" || true)
    [ "$done_games" -ge "$games" ] && break
    [ "$(date +%s)" -ge "$limit" ] && { echo "time limit reached"; break; }
    sleep 5
done
sleep 2
kill -- -"$xpid" 2>/dev/null || true
python3 "$here/pgn_summary.py" "$pgn" "$out/xboard.debug" | tee "$out/summary.txt"
exit "${PIPESTATUS[0]}"
