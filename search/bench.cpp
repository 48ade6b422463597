// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search benchmark's loop.
#include "search/bench.h"

#include <chrono>
#include <memory>

#include "eval/pawnhash.h"
#include "search/basic_interface.h"
#include "search/bench_positions.h"
#include "search/search.h"
#include "search/tt.h"

BenchTotals runBench(int depth, const std::function<void(const BenchPosition &)> &each) {
    auto state = std::make_unique<SearchState>();
    auto board = std::make_unique<Board_BB64>();
    SearchLimits limits;
    limits.fixedDepth = true;
    limits.maxDepth = uint32_t(depth);
    BasicSearchInterface quiet;
    state->limits = &limits;
    state->player = &quiet;
    BenchTotals totals;
    const auto start = std::chrono::steady_clock::now();
    for (const char *fen : BENCH_FENS) {
        if (!board->setFromFEN(fen)) continue;
        // 16 MB and 8 MB: the node counts depend on the table sizes.
        TranspositionTable tt(16);
        PawnHashTable pawnHash(8);
        state->tt = &tt;
        state->eval.pawns = &pawnHash;
        const SearchResult r = iterativeDeepening(*state, *board);
        const uint64_t nodes = state->stats.nodes.load();
        if (each) each({fen, r.bestMove, nodes});
        totals.nodes += nodes;
    }
    totals.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return totals;
}
