// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Perft speed on three standard positions: leaves, time and leaves per second each.
//
//   perft_bench                  all three positions at their bench depths
//   perft_bench N [depth]        position N (0-2) only, for timing a fresh process per
//                                position or a short fixed workload under a profiler
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "board/board.h"
#include "tools/perft.h"
#include "search/limits.h"

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
    uint32_t totalTimeCs = 0;
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
        const uint32_t startCs = timestampNow();
        PerftContext ctx{board, hash};
        const uint64_t leaves = countFromRoot(ctx, p.depth, false);
        const uint32_t timeCs = timestampNow() - startCs;
        totalLeaves += leaves;
        totalTimeCs += timeCs;
        std::printf("%-72s depth %u: %12" PRIu64 " leaves %4u.%02u s %12" PRIu64 " leaves/s\n", p.fen, p.depth,
                    leaves, timeCs / 100, timeCs % 100, timeCs ? leaves * 100 / timeCs : 0);
        std::fflush(stdout);
    }
    std::printf("total: %" PRIu64 " leaves in %u.%02u s, %" PRIu64 " leaves/s\n", totalLeaves, totalTimeCs / 100,
                totalTimeCs % 100, totalTimeCs ? totalLeaves * 100 / totalTimeCs : 0);
    return 0;
}
