// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <filesystem>  // GRELVIN_REQUIRE_DATA_FILE
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/board.h"
#include "tests/test_support.h"
#include "search/limits.h"
#include "tools/perft.h"

namespace {

constexpr const char *KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// Small tables keep these tests quick; the counts do not depend on the size.
constexpr uint32_t TEST_HASH_MB = 1;

uint64_t countLeaves(Board_BB64 &b, PerftHash &hash, uint32_t depth) {
    hash.prepare(TEST_HASH_MB);
    b.rebuildKeys();
    PerftContext ctx{b, hash};
    return countFromRoot(ctx, depth, false);
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Every position of the shared perft file: "id", "epd <4 fields>", "perft <depth> <leaves>".
TEST(Perft, SharedTrickyPositionsMatchKnownCounts) {
    const std::string path = testDataDir() + "/perft/tricky.perft";
    GRELVIN_REQUIRE_DATA_FILE(path);
    std::ifstream in(path);
    Board_BB64 b;
    PerftHash hash;
    SearchLimits clock;
    std::string id, fen;
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == '#') continue;
        if (word == "id") {
            words >> id;
        } else if (word == "epd") {
            std::getline(words >> std::ws, fen);
            ASSERT_TRUE(b.setFromFEN(fen.c_str())) << id << ": " << fen;
        } else if (word == "perft") {
            uint32_t depth = 0;
            uint64_t expected = 0;
            words >> depth >> expected;
            testing::internal::CaptureStdout();
            const uint64_t leaves = countLeaves(b, hash, depth);
            testing::internal::GetCapturedStdout();
            EXPECT_EQ(leaves, expected) << id << " depth " << depth;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

// The cache must not change results: the same counts with a table, without one, and on
// a second run after the table was cleared. The board comes back unchanged.
TEST(Perft, CachedAndUncachedCountsAgreeAndBoardIsRestored) {
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN(KIWIPETE));
    char before[100], after[100];
    b.toFEN(before);
    const uint64_t keyBefore = b.key();

    PerftHash none;  // never prepared: counts without caching
    b.rebuildKeys();
    PerftContext plain{b, none};
    const uint64_t uncached = countFromRoot(plain, 3, false);

    PerftHash hash;
    SearchLimits clock;
    testing::internal::CaptureStdout();
    const uint64_t first = countLeaves(b, hash, 3);
    const uint64_t second = countLeaves(b, hash, 3);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(uncached, 97862u);
    EXPECT_EQ(first, 97862u);
    EXPECT_EQ(second, 97862u);
    // The size line appears when the table is made, not when it is cleared.
    EXPECT_EQ(printed, "# new size of Perft hash: 1 MB\n");

    b.toFEN(after);
    EXPECT_STREQ(before, after);
    EXPECT_EQ(b.key(), keyBefore);
    EXPECT_TRUE(b.isConsistent());
}

TEST(PerftCommand, ReportLines) {
    Board_BB64 b;
    PerftHash hash;
    SearchLimits clock;
    ASSERT_TRUE(b.setFromFEN(START_FEN));

    testing::internal::CaptureStdout();
    clock.elapsed = 12345;  // a game clock in use: perft restarts it from zero
    ASSERT_TRUE(perftCommand(b, hash, TEST_HASH_MB, 1, false, clock));
    EXPECT_FALSE(clock.clockRunning);
    EXPECT_LT(clock.elapsed, 100u);
    std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], "# new size of Perft hash: 1 MB");
    EXPECT_EQ(out[1], "# Total leaves: 20");
    EXPECT_EQ(out[2], "# Total nodes:  1");
    EXPECT_TRUE(std::regex_match(out[3], std::regex("# Time elapsed: [0-9]+\\.[0-9][0-9] s"))) << out[3];
    EXPECT_TRUE(std::regex_match(out[4], std::regex("# Nodes/second: [0-9]+"))) << out[4];
    EXPECT_EQ(out[5], "# perftHashFull%:  0");
}

TEST(PerftCommand, RefusesBadDepthsAndUnwalkablePositions) {
    Board_BB64 b;
    PerftHash hash;
    SearchLimits clock;
    ASSERT_TRUE(b.setFromFEN(START_FEN));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(perftCommand(b, hash, TEST_HASH_MB, 0, false, clock));
    EXPECT_FALSE(perftCommand(b, hash, TEST_HASH_MB, -3, true, clock));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a refused depth prints nothing";

    // Beyond the perft key stack, no kings, two white kings, side not to move in check.
    const std::pair<const char *, int> refused[] = {
        {START_FEN, 64},
        {"8/8/8/8/8/8/8/8 w - - 0 1", 1},
        {"k7/8/8/8/8/8/8/KK6 w - - 0 1", 1},
        {"k7/8/8/8/8/8/8/R6K w - - 0 1", 1},
    };
    for (const auto &[fen, depth] : refused) {
        ASSERT_TRUE(b.setFromFEN(fen)) << fen;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(perftCommand(b, hash, TEST_HASH_MB, depth, false, clock)) << fen;
        EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Error (", 0), 0u) << fen;
    }
}

}  // namespace
