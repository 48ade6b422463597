// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Perft speed on three standard positions: leaves, time and leaves per second each.
//
//   perft_bench                  all three positions at their bench depths
//   perft_bench N [depth]        position N (0-2) only, for timing a fresh process per
//                                position or a short fixed workload under a profiler
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "board/board.h"
#include "tools/perft.h"

namespace {

struct BenchPosition {
    const char *fen;
    uint32_t depth;
};

// Depths chosen to take a few seconds each in a release build.
constexpr BenchPosition POSITIONS[] = {
    {START_FEN, 6},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 7},
};

}  // namespace

int main(int argc, char **argv) {
    const int count = int(std::size(POSITIONS));
    const int only = argc > 1 ? std::atoi(argv[1]) : -1;
    if (argc > 1 && (only < 0 || only >= count)) {
        std::printf("usage: perft_bench [position 0-%d [depth]]\n", count - 1);
        return 1;
    }
    const int depth = argc > 2 ? std::atoi(argv[2]) : 0;
    if (argc > 2 && (depth < 1 || depth > 12)) {
        std::printf("depth must be 1-12\n");
        return 1;
    }
    initStaticTables();
    Board_BB64 board;
    PerftHash hash;
    uint64_t totalLeaves = 0;
    double totalSeconds = 0;
    for (int i = 0; i < count; ++i) {
        if (only >= 0 && i != only) continue;
        BenchPosition p = POSITIONS[i];
        if (depth) p.depth = uint32_t(depth);
        if (!board.setFromFEN(p.fen)) {
            std::printf("bad FEN: %s\n", p.fen);
            return 1;
        }
        board.rebuildKeys();
        hash.prepare(PerftHash::DEFAULT_SIZE_MB, perftExpectedEntries(board, p.depth));
        const auto start = std::chrono::steady_clock::now();
        PerftContext ctx{board, hash};
        const uint64_t leaves = countFromRoot(ctx, p.depth, false);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        totalLeaves += leaves;
        totalSeconds += seconds;
        std::printf("%-72s depth %u: %12" PRIu64 " leaves %8.3f s %12.0f leaves/s\n", p.fen, p.depth, leaves,
                    seconds, seconds > 0 ? double(leaves) / seconds : 0.0);
        std::fflush(stdout);
    }
    std::printf("total: %" PRIu64 " leaves in %.3f s, %.0f leaves/s\n", totalLeaves, totalSeconds,
                totalSeconds > 0 ? double(totalLeaves) / totalSeconds : 0.0);
    return 0;
}
