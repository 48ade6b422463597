// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Search speed and signature: fixed positions searched to a fixed depth with one
// thread and a fresh 16 MB table each. The total node count is the signature that a
// change to search or evaluation must explain.
//
//   search_bench [depth]      (default depth 10)
//   search_bench --fens       prints the positions, one FEN a line (for comparisons)
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "eval/evaluate.h"
#include "search/bench.h"
#include "search/bench_positions.h"

int main(int argc, char **argv) {
    if (argc > 1 && std::string(argv[1]) == "--fens") {
        for (const char *fen : BENCH_FENS) std::printf("%s\n", fen);
        return 0;
    }
    const int depth = argc > 1 ? std::max(1, std::atoi(argv[1])) : BENCH_DEPTH;
    initStaticTables();
    initEvaluationTables();
    const BenchTotals t = runBench(depth, [](const BenchPosition &p) {
        char text[6];
        moveToText(p.best, text);
        std::printf("# %-70s %-6s %12" PRIu64 "\n", p.fen, text, p.nodes);
    });
    const uint64_t totalNodes = t.nodes;
    const double seconds = t.seconds;
    std::printf("Nodes searched: %" PRIu64 "\n", totalNodes);
    std::printf("Time (s): %.3f\n", seconds);
    std::printf("Nodes/second: %.0f\n", seconds > 0 ? double(totalNodes) / seconds : 0.0);
    return 0;
}
