#!/usr/bin/env bash
# Runs the speed benchmarks of a Release build and, when stockfish is installed, the same
# perft and search work through stockfish for a ratio. Usage: scripts/run-bench.sh [build-dir]
set -uo pipefail
build=${1:-build}
for b in perft_bench eval_bench search_bench book_bench random_bench; do
    if [ -x "$build/$b" ]; then
        echo "== $b"
        "$build/$b"
    fi
done
sf=$(command -v stockfish || echo /usr/games/stockfish)
[ -x "$sf" ] || { echo "(stockfish not installed: no comparison)"; exit 0; }
echo "== stockfish go perft (same positions)"
while IFS='|' read -r pos depth; do
    start=$(date +%s.%N)
    leaves=$(printf 'position %s\ngo perft %s\nquit\n' "$pos" "$depth" | "$sf" | awk '/Nodes searched/ {print $3}')
    end=$(date +%s.%N)
    echo "$pos depth $depth: $leaves leaves in $(echo "$end - $start" | bc) s"
done <<'POS'
startpos|6
fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1|5
fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1|7
POS
echo "== stockfish, one thread, search_bench positions (depth ${SF_DEPTH:-13})"
if [ -x "$build/search_bench" ]; then
    "$build/search_bench" --fens | {
        cmds="setoption name Threads value 1"$'\n'"setoption name Hash value 16"$'\n'
        while read -r fen; do
            cmds+="ucinewgame"$'\n'"position fen $fen"$'\n'"go depth ${SF_DEPTH:-13}"$'\n'"isready"$'\n'
        done
        # Each search ends with its bestmove line; "isready" makes the next wait for it.
        printf '%squit\n' "$cmds"
    } | "$sf" | awk '/^info depth/ && / nodes / { for (i = 1; i <= NF; i++) { if ($i == "nodes") n = $(i + 1); if ($i == "time") t = $(i + 1) } }
                     /^bestmove/ { nodes += n; ms += t }
                     END { printf "Nodes searched: %d\nTime (s): %.3f\nNodes/second: %.0f\n", nodes, ms / 1000, nodes / (ms / 1000) }'
fi
