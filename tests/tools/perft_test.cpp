// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "board/board.h"
#include "tests/test_support.h"
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

struct FileResult {
    int checked = 0;  // counts compared
    std::set<std::string> fens;
};

// A perft file in either layout: "epd <FEN>" then "perft <depth> <leaves>" lines, or
// (Chess960) "<FEN> ;D1 n ;D2 n ..." on one line. Depths beyond maxDepth are left out.
FileResult checkPerftFile(const std::string &path, uint32_t maxDepth) {
    std::ifstream in(path);
    Board_BB64 b;
    PerftHash hash;
    FileResult r;
    std::string fen;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == '#' || word == "id") continue;
        std::vector<std::pair<uint32_t, uint64_t>> counts;
        if (word == "epd") {
            std::getline(words >> std::ws, fen);
        } else if (word == "perft") {
            counts.emplace_back();
            words >> counts.back().first >> counts.back().second;
        } else {
            fen = line.substr(0, line.find(';'));
            fen.erase(fen.find_last_not_of(' ') + 1);
            for (size_t at = line.find(";D"); at != std::string::npos; at = line.find(";D", at + 1)) {
                counts.emplace_back();
                std::sscanf(line.c_str() + at, ";D%u %lu", &counts.back().first, &counts.back().second);
            }
        }
        if (word != "perft") {
            EXPECT_TRUE(b.setFromFEN(fen.c_str())) << fen;
            r.fens.insert(fen);
        }
        for (const auto &[depth, expected] : counts) {
            if (depth > maxDepth) continue;
            EXPECT_EQ(countLeaves(b, hash, depth), expected) << fen << " depth " << depth;
            ++r.checked;
        }
    }
    return r;
}

// Tricky castling, en passant, promotion and pin positions; Chess960 start positions and
// positions from games (the larger data set has every start position).
TEST(Perft, PositionsMatchKnownCounts) {
    testing::internal::CaptureStdout();  // the table's size line
    EXPECT_GT(checkPerftFile(testDataDir() + "/perft/tricky.perft", 99).checked, 20);
    const FileResult chess960 = checkPerftFile(testDataDir() + "/perft/chess960.perft", 4);
    testing::internal::GetCapturedStdout();
    EXPECT_GT(chess960.checked, 150);
    if (largerDataDir().empty()) return;
    for (int n = 0; n < 960; ++n) {
        char fen[100];
        ASSERT_TRUE(chess960Fen(n, FenStyle::SHREDDER, fen));
        EXPECT_TRUE(chess960.fens.count(fen)) << n << ": " << fen;
    }
}

// The cache must not change results: the same counts with a table, without one, and on
// a second run after the table was cleared.
TEST(Perft, CachedAndUncachedCountsAgree) {
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN(KIWIPETE));
    PerftHash none;  // never prepared: counts without caching
    b.rebuildKeys();
    PerftContext plain{b, none};
    EXPECT_EQ(countFromRoot(plain, 3, false), 97862u);
    PerftHash hash;
    // The table is made by the first preparation and only cleared by later ones.
    const PerftHash::Prepared made = hash.prepare(TEST_HASH_MB);
    EXPECT_TRUE(made.made && made.allocated);
    EXPECT_EQ(made.sizeMB, 1u);
    EXPECT_EQ(countLeaves(b, hash, 3), 97862u);
    EXPECT_EQ(countLeaves(b, hash, 3), 97862u);
    EXPECT_FALSE(hash.prepare(TEST_HASH_MB).made);
}

// A full bucket gives up its shallowest subtree; the others stay found at their depth.
TEST(Perft, FullBucketGivesUpTheShallowestEntry) {
    PerftHash hash;
    hash.prepare(TEST_HASH_MB, 1);
    const uint64_t bucketBits = 0x1234;  // below every table's bucket count
    const uint32_t depths[] = {5, 4, 6, 3, 7};
    for (uint64_t i = 0; i < 5; ++i) hash.store(((i + 1) << 40) | bucketBits, depths[i], 100 + i);
    for (uint64_t i = 0; i < 5; ++i) {
        uint64_t count = 0;
        EXPECT_EQ(hash.probe(((i + 1) << 40) | bucketBits, depths[i], count), i != 3) << i;
        if (i != 3) {
            EXPECT_EQ(count, 100 + i);
        }
    }
}

// The command counts and times itself, and refuses what the generators cannot walk,
// printing nothing: the faces word the result.
TEST(PerftCommand, CountsDividesAndRefuses) {
    Board_BB64 b;
    PerftHash hash;
    ASSERT_TRUE(b.setFromFEN(START_FEN));
    testing::internal::CaptureStdout();
    PerftRun run = perftCommand(b, hash, TEST_HASH_MB, 2, false);
    EXPECT_EQ(run.status, PerftStatus::COUNTED);
    EXPECT_LT(run.elapsedCs, 100u);
    EXPECT_EQ(run.leaves, 400u);
    EXPECT_EQ(run.nodes, 21u);
    EXPECT_TRUE(run.table.made);
    EXPECT_TRUE(run.rootCounts.empty());  // divided: the UCI face's perft lines
    EXPECT_FALSE(perftCommand(b, hash, TEST_HASH_MB, 2, true).table.made);

    EXPECT_EQ(perftCommand(b, hash, TEST_HASH_MB, 0, false).status, PerftStatus::NO_DEPTH);
    EXPECT_EQ(perftCommand(b, hash, TEST_HASH_MB, -3, true).status, PerftStatus::NO_DEPTH);
    // Beyond the perft key stack (a stalemate is counted to the deepest it has room
    // for), no kings, two white kings, side not to move in check.
    const std::tuple<const char *, int, PerftStatus> refused[] = {
        {START_FEN, 64, PerftStatus::TOO_DEEP},
        {"k7/8/1Q6/8/8/8/8/7K b - - 0 1", 63, PerftStatus::COUNTED},
        {"k7/8/1Q6/8/8/8/8/7K b - - 0 1", 64, PerftStatus::TOO_DEEP},
        {"8/8/8/8/8/8/8/8 w - - 0 1", 1, PerftStatus::ILLEGAL_POSITION},
        {"k7/8/8/8/8/8/8/KK6 w - - 0 1", 1, PerftStatus::ILLEGAL_POSITION},
        {"k7/8/8/8/8/8/8/R6K w - - 0 1", 1, PerftStatus::ILLEGAL_POSITION},
    };
    for (const auto &[fen, depth, status] : refused) {
        ASSERT_TRUE(b.setFromFEN(fen)) << fen;
        EXPECT_EQ(perftCommand(b, hash, TEST_HASH_MB, depth, false).status, status) << fen;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
