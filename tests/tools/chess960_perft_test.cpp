// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Chess960 perft against known counts: a slice kept with the tests always runs; the
// whole shared file (all 960 start positions and positions from games) when present.
#include <filesystem>  // GRELVIN_REQUIRE_DATA_FILE
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "board/board.h"
#include "tests/test_support.h"
#include "tools/perft.h"

namespace {

struct FileResult {
    int positions = 0;
    std::set<std::string> fens;
};

// Each line "FEN ;D1 n ;D2 n ...": every depth up to maxDepth is counted and compared.
FileResult checkPerftFile(const std::string &path, uint32_t maxDepth) {
    std::ifstream in(path);
    Board_BB64 b;
    PerftHash hash;
    hash.prepare(16);
    FileResult result;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string fen, field;
        std::getline(fields, fen, ';');
        fen.erase(fen.find_last_not_of(' ') + 1);
        EXPECT_TRUE(b.setFromFEN(fen.c_str())) << fen;
        ++result.positions;
        result.fens.insert(fen);
        while (std::getline(fields, field, ';')) {
            uint32_t depth = 0;
            uint64_t expected = 0;
            if (std::sscanf(field.c_str(), " D%u %lu", &depth, &expected) != 2 || depth > maxDepth) continue;
            hash.prepare(16);
            b.rebuildKeys();
            PerftContext ctx{b, hash};
            EXPECT_EQ(countFromRoot(ctx, depth, false), expected) << fen << " depth " << depth;
        }
    }
    return result;
}

}  // namespace

TEST(Chess960Perft, CheckoutSliceMatchesKnownCounts) {
    testing::internal::CaptureStdout();  // the table's size line
    const FileResult r = checkPerftFile(inTreeDataDir() + "/perft/chess960.perft", 4);
    testing::internal::GetCapturedStdout();
    EXPECT_GE(r.positions, 40);
}

// Every start position to depth 4, each numbered one among them, and the game positions
// (from the larger data set).
TEST(Chess960Perft, SharedFileMatchesKnownCounts) {
    const std::string path = testDataDir() + "/perft/chess960.perft";
    GRELVIN_REQUIRE_DATA_FILE(path);
    testing::internal::CaptureStdout();
    const FileResult r = checkPerftFile(path, 4);
    testing::internal::GetCapturedStdout();
    // Without the larger set this is the checkout's slice: its counts are all it has.
    if (largerDataDir().empty()) return;
    EXPECT_GT(r.positions, 1000);
    for (int n = 0; n < 960; ++n) {
        char fen[100];
        ASSERT_TRUE(chess960Fen(n, FenStyle::SHREDDER, fen));
        EXPECT_TRUE(r.fens.count(fen)) << n << ": " << fen;
    }
}
