// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The built-in perft self-test and the test-file runner.
#include "tools/selftest.h"

#include <cstdio>

#include "board/movegen.h"
#include "platform/files.h"
#include "search/limits.h"
#include "platform/text_line.h"

namespace {

constexpr const char *KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char *ENDGAME = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";

// Numbers 7 and 13 were retired long ago; the gaps are kept so that old reports still
// match. Number 20 repeats number 12 on purpose.
constexpr SelfTestRecord RECORDS[] = {
    {1, START_FEN, 1, 20},
    {2, START_FEN, 2, 400},
    {3, START_FEN, 3, 8902},
    {4, START_FEN, 4, 197281},
    {5, START_FEN, 5, 4865609},
    {6, START_FEN, 6, 119060324},
    {8, KIWIPETE, 1, 48},
    {9, KIWIPETE, 2, 2039},
    {10, KIWIPETE, 3, 97862},
    {11, KIWIPETE, 4, 4085603},
    {12, KIWIPETE, 5, 193690690},
    {14, "8/3K4/2p5/p2b2r1/5k2/8/8/1q6 b - - 1 67", 1, 50},
    {15, "8/3K4/2p5/p2b2r1/5k2/8/8/1q6 b - - 1 67", 2, 279},
    {16, "8/7p/p5pb/4k3/P1pPn3/8/P5PP/1rB2RK1 b - d3 0 28", 6, 38633283},
    {17, "rnbqkb1r/ppppp1pp/7n/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 5, 11139762},
    {18, ENDGAME, 6, 11030083},
    {19, ENDGAME, 7, 178633661},
    {20, KIWIPETE, 5, 193690690},
};
static_assert(std::size(RECORDS) == 18);

}  // namespace

std::span<const SelfTestRecord> selfTestRecords() { return RECORDS; }

SelfTestSummary runSelfTest(Board_BB64 &b, PerftHash &hash, uint32_t hashMB,
                            const std::function<void(const SelfTestResult &)> &report,
                            std::span<const SelfTestRecord> records) {
    SelfTestSummary summary;
    for (const SelfTestRecord &r : records) {
        SelfTestResult result;
        result.number = r.number;
        result.expectedLeaves = r.expectedLeaves;
        const uint32_t startCs = timestampNow();
        // A record the counter cannot walk (bad FEN, broken position, too deep) fails
        // like an unparsable one instead of crashing the engine.
        if (!b.setFromFEN(r.fen) || !isPlayable(b) || r.depth < 1 || r.depth > perftMaxDepth(b)) {
            ++summary.failed;
            report(result);
            continue;
        }
        result.table = hash.prepare(hashMB);
        PerftContext ctx{b, hash};
        result.leaves = countFromRoot(ctx, uint32_t(r.depth), false);
        result.nodes = ctx.nodes;
        result.timeCs = timestampNow() - startCs;
        summary.leaves += result.leaves;
        summary.nodes += result.nodes;
        summary.timeCs += result.timeCs;
        result.status = result.leaves == r.expectedLeaves ? SelfTestStatus::PASSED : SelfTestStatus::FAILED;
        ++(result.status == SelfTestStatus::PASSED ? summary.passed : summary.failed);
        report(result);
    }
    return summary;
}

bool runTestFile(Board_BB64 &b, const char *path, const std::function<void(const TestFileLine &)> &report) {
    std::FILE *file = openRegularFile(path, "r");
    if (!file) return false;
    // 127 characters a line; a longer line arrives in pieces, each taken as a line.
    char line[128];
    uint32_t count = 0;
    while (std::fgets(line, sizeof line, file)) {
        trimLineEnd(line);
        ++count;
        report({count, line, b.setFromFEN(line)});
    }
    std::fclose(file);
    return true;
}
