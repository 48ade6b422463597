// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Exchange evaluation on hand-built capture sequences, and the transposition table:
// sizing, mate scores across plies, bounds and replacement.
#include <gtest/gtest.h>

#include "search/see.h"
#include "search/tt.h"
#include "tests/search/search_support.h"

namespace {

struct SeeCase {
    const char *fen;
    Move capture;
    bool holds;
};

TEST(Exchange, CaptureSequences) {
    initSearchTestTables();
    const SeeCase cases[] = {
        // Bishop takes a pawn defended by a pawn: 114 - 403 < 0.
        {"4k3/8/2p5/3p4/8/8/6B1/4K3 w - - 0 1", makeMove(14, 35), false},
        // Undefended pawn.
        {"4k3/8/8/3p4/8/8/6B1/4K3 w - - 0 1", makeMove(14, 35), true},
        // Rook takes a rook defended by a rook, backed by a second rook: even trade.
        {"3rk3/3r4/8/8/8/8/3R4/3RK3 w - - 0 1", makeMove(11, 51), true},
        // Queen takes a defended knight.
        {"4k3/4p3/3n4/8/8/8/8/3QK3 w - - 0 1", makeMove(3, 43), false},
        // Pawn takes a knight defended by a queen: fine.
        {"4k3/8/3q4/4n3/3P4/8/8/4K3 w - - 0 1", makeMove(27, 36), true},
        // King takes a defended pawn: the defender wins the king's worth.
        {"4k3/8/8/8/3p4/2p5/3K4/8 w - - 0 1", makeMove(11, 18), false},
    };
    Board_BB64 b;
    for (const SeeCase &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen)) << c.fen;
        EXPECT_EQ(captureHoldsExchange(b, c.capture), c.holds) << c.fen;
    }
}

TEST(Exchange, PawnOnTheSeventhRecapturesAsAQueen) {
    initSearchTestTables();
    Board_BB64 b;
    // The black knight on b8 can be taken by the a7 pawn, which promotes.
    ASSERT_TRUE(b.setFromFEN("1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1"));
    const Bitboard occ = b.occupied();
    EXPECT_EQ(seeGain<WHITE>(b, 57, KNIGHT, occ), 400 + 1222 - 114);
    // With a rook defending b8 the promoted queen is lost again.
    ASSERT_TRUE(b.setFromFEN("rn2k3/P7/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(seeGain<WHITE>(b, 57, KNIGHT, b.occupied()), 400 + 1222 - 114 - 1222);
    // Black's pawn on its seventh (second) rank likewise.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1"));
    EXPECT_EQ(seeGain<BLACK>(b, 7, ROOK, b.occupied()), 608 + 1222 - 114);
    // No attacker: nothing to gain.
    EXPECT_EQ(seeGain<WHITE>(b, 7, ROOK, b.occupied()), 0);
}

class TranspositionTableTest : public testing::Test {
protected:
    void SetUp() override {
        initSearchTestTables();
        testing::internal::CaptureStdout();
        tt = std::make_unique<TranspositionTable>(1);
        testing::internal::GetCapturedStdout();
        board = std::make_unique<Board_BB64>();
        board->setFromFEN(START_FEN);
    }
    std::unique_ptr<TranspositionTable> tt;
    std::unique_ptr<Board_BB64> board;
};

TEST_F(TranspositionTableTest, SizeIsThePowerOfTwoThatFits) {
    EXPECT_EQ(tt->entryCount(), 65536u);
    EXPECT_EQ(TranspositionTable::sizeMBFor(3), 2u);
    EXPECT_TRUE(tt->resize(3));
    EXPECT_FALSE(tt->resize(2));  // already that size: nothing happens
    EXPECT_EQ(tt->entryCount(), 131072u);
    EXPECT_EQ(tt->sizeMB(), 2u);
    EXPECT_EQ(tt->fillPercent(), 0.0);
}

TEST_F(TranspositionTableTest, MateScoresAreKeptRelativeToTheNode) {
    Board_BB64 &b = *board;
    const Move m = makeMove(12, 28);
    tt->store(b, -31995, 31994, -INFINITE_SCORE, INFINITE_SCORE, 5, 7, 31990, m);
    const uint32_t slot = 4 * (uint32_t(b.key()) & (tt->entryCount() / 4 - 1));
    EXPECT_EQ(tt->entryAt(slot).score, 31995);
    EXPECT_EQ(tt->entryAt(slot).bound, TT_EXACT);
    EXPECT_EQ(tt->entryAt(slot).age, uint8_t(b.historyIndex - 5));
    int score = 0;
    Move move = NO_MOVE;
    bool found = false;
    EXPECT_TRUE(tt->probe(b, -INFINITE_SCORE, INFINITE_SCORE, 3, 7, score, move, found));
    EXPECT_EQ(score, 31992);
    EXPECT_EQ(move, m);
    EXPECT_TRUE(found);

    tt->store(b, -31995, 31994, -INFINITE_SCORE, INFINITE_SCORE, 5, 7, -31990, m);
    EXPECT_TRUE(tt->probe(b, -INFINITE_SCORE, INFINITE_SCORE, 2, 7, score, move, found));
    EXPECT_EQ(score, -31993);
    EXPECT_GT(tt->fillPercent(), 0.0);
}

TEST_F(TranspositionTableTest, BoundsDecideWhetherAProbeCuts) {
    Board_BB64 &b = *board;
    const Move m = makeMove(6, 21);
    int score = 0;
    Move move = NO_MOVE;
    bool found = false;
    // Fail high at depth 4: a lower bound.
    tt->store(b, -31999, 31999, 10, 20, 0, 4, 50, m);
    EXPECT_TRUE(tt->probe(b, 10, 40, 0, 4, score, move, found));
    EXPECT_EQ(score, 50);
    EXPECT_FALSE(tt->probe(b, 10, 60, 0, 4, score, move, found));
    // Too shallow: the move and the hit still count, but no cut.
    move = NO_MOVE;
    found = false;
    EXPECT_FALSE(tt->probe(b, 10, 40, 0, 5, score, move, found));
    EXPECT_TRUE(found);
    EXPECT_EQ(move, m);
    // Fail low: an upper bound.
    tt->store(b, -31999, 31999, 10, 20, 0, 4, -5, NO_MOVE);
    EXPECT_TRUE(tt->probe(b, 0, 30, 0, 4, score, move, found));
    EXPECT_FALSE(tt->probe(b, -10, 30, 0, 4, score, move, found));
    // A score at the mate-distance bound is exact even above beta.
    tt->store(b, -31999, 31999, 10, 20, 0, 4, 31999, NO_MOVE);
    EXPECT_TRUE(tt->probe(b, -INFINITE_SCORE + 1, -INFINITE_SCORE + 2, 0, 4, score, move, found));
    EXPECT_EQ(score, 31999);

    Board_BB64 other;
    other.setFromFEN("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    found = false;
    EXPECT_FALSE(tt->probe(other, -100, 100, 0, 1, score, move, found));
    EXPECT_FALSE(found);
}

// The table sees a position only through its key and history index, so the test
// places made-up keys that share one bucket.
TEST_F(TranspositionTableTest, FullBucketLosesTheLeastWorthEntry) {
    Board_BB64 &b = *board;
    const uint32_t bucket = 77;
    auto storeAt = [&](uint64_t high, int depth, uint32_t age, Move m) {
        b.historyIndex = age;
        b.history[age].key = (high << 32) | bucket;
        tt->store(b, -31999, 31999, -100, 100, 0, depth, 7, m);
    };
    auto keyAt = [&](uint32_t i) { return tt->entryAt(4 * bucket + i).key >> 32; };
    // Worths: 1014, 763, 748, 1536.
    storeAt(1, 3, 10, 1);
    storeAt(2, 2, 5, 2);
    storeAt(3, 2, 20, 3);
    storeAt(4, 5, 0, 4);
    storeAt(5, 9, 0, 5);
    EXPECT_EQ(keyAt(2), 5u);  // the shallowest, and the older of the two shallow ones
    // Equal worth: the lower index goes.
    storeAt(6, 2, 5, 6);
    EXPECT_EQ(keyAt(1), 6u);
    // The same key takes its own slot back even from a deeper entry.
    storeAt(4, 1, 0, 44);
    EXPECT_EQ(keyAt(3), 4u);
    EXPECT_EQ(tt->entryAt(4 * bucket + 3).depth, 1);
    EXPECT_EQ(tt->entryAt(4 * bucket + 3).move, 44);
    EXPECT_EQ(keyAt(0), 1u);
}

}  // namespace
