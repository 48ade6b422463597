#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# The speed benchmarks of a Release build in one run, next to stockfish's figures on the
# same work when stockfish is installed and next to an older build when one is given:
#
#   scripts/run-bench.sh [build-dir] [baseline-build-dir]
#
# Perft is timed as a whole process, fresh for every run, ours and stockfish's `go perft`
# alternating; the median of RUNS runs (default 5; RUNS7, default 3, for start-position
# perft 7) is quoted. Ratios say how many times as fast ours is: the ratio of the medians,
# and ("paired") the median of the ratios of the runs made one after the other. The protocol figures
# drive the grelvin binary (ours, and the baseline's when given) as an interface would.
#
# CPU=N runs everything on that one processor (taskset), every program under the same
# conditions: on a virtual machine whose processors differ in speed from run to run
# (here the first was 1.6 times as slow as the second for the same perft), a program
# otherwise gains or loses by where the scheduler happens to put it.
set -uo pipefail
if [ -n "${CPU:-}" ] && [ -z "${GRELVIN_BENCH_PINNED:-}" ]; then
    GRELVIN_BENCH_PINNED=1 exec taskset -c "$CPU" "$0" "$@"
fi
build=${1:-build}
base=${2:-}
runs=${RUNS:-5}
runs7=${RUNS7:-3}
sf=$(command -v stockfish || echo /usr/games/stockfish)
[ -x "$sf" ] || sf=""
summary=()

for b in perft_bench eval_bench search_bench protocol_bench grelvin grelvin-uci; do
    [ -x "$build/$b" ] || { echo "missing $build/$b: build first (make build)"; exit 1; }
done

# Wall-clock seconds of one run of a command, its output thrown away.
seconds() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    echo "($t1 - $t0) / 1000000000" | bc -l
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { echo "$1 / $2" | bc -l | xargs printf '%.2f'; }
sf_perft() { printf 'position %s\ngo perft %s\nquit\n' "$1" "$2" | "$sf"; }

# One perft figure: our position index and depth against stockfish's position command.
perft_pair() {
    local name=$1 index=$2 depth=$3 position=$4 n=$5 ours=() theirs=() pairs=() i
    for ((i = 0; i < n; ++i)); do
        ours+=("$(seconds "$build/perft_bench" "$index" "$depth")")
        if [ -n "$sf" ]; then
            theirs+=("$(seconds sf_perft "$position" "$depth")")
            pairs+=("$(ratio "${theirs[i]}" "${ours[i]}")")
        fi
    done
    local om sm line
    om=$(printf '%s\n' "${ours[@]}" | median)
    line=$(printf '%-14s d%s  ours %7.3f s' "$name" "$depth" "$om")
    if [ -n "$sf" ]; then
        sm=$(printf '%s\n' "${theirs[@]}" | median)
        # The ratio of the medians, and the median of each run's ratio to the stockfish
        # run beside it, which holds better when the processors change speed.
        line+=$(printf '  stockfish %7.3f s  ratio %s  paired %s' "$sm" "$(ratio "$sm" "$om")" \
                "$(printf '%s\n' "${pairs[@]}" | median | xargs printf '%.2f')")
    fi
    echo "$line"
    summary+=("perft $line")
}

echo "== perft_bench (64 MB perft hash), one run"
"$build/perft_bench"
echo "== perft, whole process, median of $runs runs (start position d7: $runs7)"
perft_pair "start position" 0 6 "startpos" "$runs"
perft_pair "kiwipete" 1 5 "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" "$runs"
perft_pair "endgame" 2 7 "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1" "$runs"
perft_pair "start position" 0 7 "startpos" "$runs7"

# The UCI program as users start it, one table row each: the native build, the packaged
# build (PACKAGED, default build-deb/grelvin-uci from "make deb") with each copy of its
# engine forced in turn, and stockfish: bench speed (median of RUNS runs) and a fresh
# process's "go perft" (median of RUNS runs, the table's preparation included).
packaged=${PACKAGED:-build-deb/grelvin-uci}
uci_perft() { printf 'position %s\ngo perft %s\nquit\n' "$2" "$3" | GRELVIN_CPU=$1 "$4"; }
uci_row() {
    local name=$1 program=$2 level=$3 nps=() t0=() t1=() t2=() i
    for ((i = 0; i < runs; ++i)); do
        if [ "$program" = stockfish ]; then
            t0+=("$(seconds sf_perft startpos 6)")
            t1+=("$(seconds sf_perft "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" 5)")
            t2+=("$(seconds sf_perft "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1" 7)")
            continue
        fi
        nps+=("$(GRELVIN_CPU=$level "$program" bench | awk '/ nps$/ { print $3 }')")
        t0+=("$(seconds uci_perft "$level" startpos 6 "$program")")
        t1+=("$(seconds uci_perft "$level" "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" 5 "$program")")
        t2+=("$(seconds uci_perft "$level" "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1" 7 "$program")")
    done
    local code=-
    [ "$program" = stockfish ] || code=$(GRELVIN_CPU=$level "$program" bench 2>/dev/null | sed -n 's/^info string code for //p')
    printf '| %s | %s | %s | %.3f s | %.3f s | %.3f s |\n' "$name" "$code" \
        "$( [ ${#nps[@]} -gt 0 ] && printf '%s\n' "${nps[@]}" | median || echo -)" \
        "$(printf '%s\n' "${t0[@]}" | median)" "$(printf '%s\n' "${t1[@]}" | median)" "$(printf '%s\n' "${t2[@]}" | median)"
}
echo "== the UCI program as users start it: bench nodes/s and a fresh process's perft, medians of $runs"
echo "| program | code for | bench nodes/s | start position d6 | kiwipete d5 | endgame d7 |"
echo "|---|---|---|---|---|---|"
uci_row "native ($build)" "$build/grelvin-uci" ""
if [ -x "$packaged" ]; then
    for level in "" x86-64-v2 x86-64; do uci_row "packaged ($packaged) ${level:-as chosen}" "$packaged" "$level"; done
else
    echo "(no packaged build at $packaged: make deb, or PACKAGED=path to a GRELVIN_DISPATCH build's grelvin-uci)"
fi
# The Windows program of "make windows" (WINDOWS, default build-windows/grelvin-uci.exe)
# under wine, where wine is installed: its perft times carry wine's own start-up.
windows=${WINDOWS:-build-windows/grelvin-uci.exe}
windows_uci() { WINEDEBUG=-all wine "$windows" "$@" 2>/dev/null | tr -d '\r'; }
if [ -f "$windows" ] && command -v wine >/dev/null; then
    # A wine session ends with its last program here, and every program that starts one
    # pays for the session's start: a second or more, and its services running beside
    # the program on the same processors for a while. A server kept for the rows starts
    # the session once, as a Windows machine has its services running all along.
    own_server=""
    if ! pgrep -u "$(id -u)" -f wineserver >/dev/null; then
        WINEDEBUG=-all wineserver -p 2>/dev/null && own_server=1
    fi
    echo quit | windows_uci >/dev/null
    for level in "" x86-64-v2 x86-64; do uci_row "Windows ($windows, wine) ${level:-as chosen}" windows_uci "$level"; done
    [ -n "$own_server" ] && WINEDEBUG=-all wineserver -k 2>/dev/null
fi
[ -n "$sf" ] && uci_row "stockfish ($sf)" stockfish ""

# "Nodes/second: N" of a search_bench run.
nps_of() { awk '/^Nodes\/second/ { print $2 }'; }

echo "== search_bench"
ours_search=$("$build/search_bench")
echo "$ours_search" | tail -3
ours_nps=$(echo "$ours_search" | nps_of)
summary+=("search: ours $ours_nps nodes/s ($(echo "$ours_search" | awk '/^Nodes searched/ { print $3 }') nodes)")
if [ -n "$base" ] && [ -x "$base/search_bench" ]; then
    base_nps=$("$base/search_bench" | nps_of)
    echo "baseline $base: $base_nps nodes/s"
    summary+=("search: baseline $base_nps nodes/s, ratio $(ratio "$ours_nps" "$base_nps")")
fi
# The same positions searched by the engine binary through the protocol, with its
# default tables (a "new" before each), as an interface would drive it.
echo "== search through the protocol (default tables, search_bench positions, depth ${PROTOCOL_DEPTH:-10})"
ours_proto=$("$build/search_bench" --fens | "$build/protocol_bench" --nps --depth "${PROTOCOL_DEPTH:-10}")
echo "$ours_proto" | tail -3
ours_proto_nps=$(echo "$ours_proto" | nps_of)
summary+=("search through the protocol: ours $ours_proto_nps nodes/s ($(echo "$ours_proto" | awk '/^Nodes searched/ { print $3 }') nodes; search_bench: $ours_nps)")
if [ -n "$base" ] && [ -x "$base/grelvin" ]; then
    base_proto_nps=$("$build/search_bench" --fens | "$build/protocol_bench" --nps --depth "${PROTOCOL_DEPTH:-10}" \
                     --engine "$base/grelvin" | nps_of)
    echo "baseline $base: $base_proto_nps nodes/s"
    summary+=("search through the protocol: baseline $base_proto_nps nodes/s, ratio $(ratio "$ours_proto_nps" "$base_proto_nps")")
fi
if [ -n "$sf" ]; then
    echo "== stockfish, one thread, 16 MB hash, search_bench positions (depth ${SF_DEPTH:-13})"
    sf_search=$("$build/search_bench" --fens | {
        cmds="setoption name Threads value 1"$'\n'"setoption name Hash value 16"$'\n'
        while read -r fen; do
            cmds+="ucinewgame"$'\n'"position fen $fen"$'\n'"go depth ${SF_DEPTH:-13}"$'\n'"isready"$'\n'
        done
        # Each search ends with its bestmove line; "isready" makes the next wait for it.
        printf '%squit\n' "$cmds"
    } | "$sf" | awk '/^info depth/ && / nodes / { for (i = 1; i <= NF; i++) { if ($i == "nodes") n = $(i + 1); if ($i == "time") t = $(i + 1) } }
                     /^bestmove/ { nodes += n; ms += t }
                     END { printf "Nodes searched: %d\nTime (s): %.3f\nNodes/second: %.0f\n", nodes, ms / 1000, nodes / (ms / 1000) }')
    echo "$sf_search"
    sf_nps=$(echo "$sf_search" | nps_of)
    summary+=("search: stockfish $sf_nps nodes/s, ratio $(ratio "$ours_nps" "$sf_nps")")
fi

# The evals/s column of each eval_bench line, in the order of its three lines.
EVAL_KINDS=("cold pawn hash" "warm pawn hash" "warm, null window")
evals_of() { awk '/evals\/s/ { for (i = 1; i <= NF; i++) if ($i == "evals/s") print $(i - 1) }'; }

echo "== eval_bench"
ours_eval=$("$build/eval_bench")
echo "$ours_eval"
if [ -n "$base" ] && [ -x "$base/eval_bench" ]; then
    base_eval=$("$base/eval_bench")
    echo "baseline $base:"
    echo "$base_eval"
    while read -r o b what; do
        summary+=("eval ($what): ours $o evals/s, baseline $b, ratio $(ratio "$o" "$b")")
    done < <(paste <(echo "$ours_eval" | evals_of) <(echo "$base_eval" | evals_of) <(printf '%s\n' "${EVAL_KINDS[@]}"))
else
    while read -r o what; do
        summary+=("eval ($what): ours $o evals/s (no stockfish counterpart)")
    done < <(paste <(echo "$ours_eval" | evals_of) <(printf '%s\n' "${EVAL_KINDS[@]}"))
fi

# The first search after "new" against the same search on a warm table, and the time
# "new" takes, in fresh processes (PROTOCOL_RUNS of them per depth, default 3).
echo "== first search after \"new\", through the protocol"
"$build/protocol_bench" --runs "${PROTOCOL_RUNS:-3}"
if [ -n "$base" ] && [ -x "$base/grelvin" ]; then
    echo "baseline $base:"
    "$build/protocol_bench" --runs "${PROTOCOL_RUNS:-3}" --engine "$base/grelvin"
fi

# The UCI face: start-up and memory of a process that answers "uci", and the first
# "go movetime 200" after "setoption name Hash value 1024" + "isready" against a warm one.
echo "== UCI start-up and the first search after a resize, through the protocol"
"$build/protocol_bench" --ready --runs "${PROTOCOL_RUNS:-3}"

for b in book_bench random_bench; do
    if [ -x "$build/$b" ]; then
        echo "== $b"
        "$build/$b"
    fi
done

echo "== summary (ratio: how many times as fast as the other)"
printf '%s\n' "${summary[@]}"
[ -n "$sf" ] || echo "(stockfish not installed: no comparison; apt-get install stockfish)"
