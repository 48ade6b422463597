// Perft speed on three standard positions: leaves, time and leaves per second each.
#include <cinttypes>
#include <cstdio>

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

int main() {
    initStaticTables();
    Board_BB64 board;
    PerftHash hash;
    uint64_t totalLeaves = 0;
    uint32_t totalTimeCs = 0;
    for (const BenchPosition &p : POSITIONS) {
        if (!board.setFromFEN(p.fen)) {
            std::printf("bad FEN: %s\n", p.fen);
            return 1;
        }
        hash.prepare(PerftHash::DEFAULT_SIZE_MB);
        board.rebuildKeys();
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
