// Search speed and signature: fixed positions searched to a fixed depth with one
// thread and a fresh 16 MB table each. The total node count is the signature that a
// change to search or evaluation must explain.
//
//   search_bench [depth]      (default depth 10)
//   search_bench --fens       prints the positions, one FEN a line (for comparisons)
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/basic_interface.h"
#include "search/bench_positions.h"
#include "search/search.h"
#include "search/tt.h"

int main(int argc, char **argv) {
    if (argc > 1 && std::string(argv[1]) == "--fens") {
        for (const char *fen : BENCH_FENS) std::printf("%s\n", fen);
        return 0;
    }
    const int depth = argc > 1 ? std::max(1, std::atoi(argv[1])) : BENCH_DEPTH;
    initStaticTables();
    initEvaluationTables();
    auto state = std::make_unique<SearchState>();
    auto board = std::make_unique<Board_BB64>();
    SearchLimits limits;
    limits.fixedDepth = true;
    limits.maxDepth = uint32_t(depth);
    BasicSearchInterface quiet;
    state->limits = &limits;
    state->player = &quiet;

    uint64_t totalNodes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const char *fen : BENCH_FENS) {
        if (!board->setFromFEN(fen)) {
            std::printf("# bad FEN: %s\n", fen);
            continue;
        }
        TranspositionTable tt;
        PawnHashTable pawnHash;
        std::fflush(stdout);
        tt.resize(16);
        pawnHash.resize(8);
        state->tt = &tt;
        state->pawnHash = &pawnHash;
        const SearchResult r = iterativeDeepening(*state, *board);
        char text[6];
        moveToText(r.bestMove, text);
        const uint64_t nodes = state->stats.nodes.load();
        std::printf("# %-70s %-6s %12" PRIu64 "\n", fen, text, nodes);
        totalNodes += nodes;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Nodes searched: %" PRIu64 "\n", totalNodes);
    std::printf("Time (s): %.3f\n", seconds);
    std::printf("Nodes/second: %.0f\n", seconds > 0 ? double(totalNodes) / seconds : 0.0);
    return 0;
}
