// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Exchange values; the transposition table's mate scores, bounds and replacement; clearing.
#include <gtest/gtest.h>

#include "search/see.h"
#include "tests/search/search_support.h"
#include "tests/test_support.h"

namespace {

TEST(Exchange, CaptureSequencesAndGains) {
    initSearchTestTables();
    auto square = [](const std::string &text, size_t at) { return Square(text[at] - 'a' + 8 * (text[at + 1] - '1')); };
    Board_BB64 b;
    for (const CaseFields &c : readCases("search/exchange.txt")) {
        ASSERT_TRUE(b.setFromFEN(c[0].c_str())) << c[0];
        if (c[1].size() == 4) {  // a capture, legal or not
            EXPECT_EQ(captureHoldsExchange(b, makeMove(square(c[1], 0), square(c[1], 2))), c[2] == "1") << c[0];
            continue;
        }
        const Square target = square(c[1], 0);
        const int piece = b.pieceOn[target];
        const int gain = b.side() == WHITE ? seeGain<WHITE>(b, target, piece, b.occupied())
                                           : seeGain<BLACK>(b, target, piece, b.occupied());
        EXPECT_EQ(gain, std::stoi(c[2])) << c[0];
    }
}

// Both shared tables: nothing found after a clear, the block kept; a resize works.
template <class Table, class Store, class Finds> void expectClearAndResize(Table &t, Store store, Finds finds) {
    auto key = [](uint64_t i) { return 0x9E3779B97F4A7C15ull * (i + 1); };
    for (uint64_t i = 0; i < 4096; ++i) store(key(i));
    EXPECT_TRUE(finds(key(4095)));
    EXPECT_GT(t.fillPercent(), 0.0);
    for (int pass = 0; pass < 2; ++pass) {
        t.clear();
        for (uint64_t i = 0; i < 4096; ++i) ASSERT_FALSE(finds(key(i))) << i;
        EXPECT_EQ(t.fillPercent(), 0.0);
        EXPECT_EQ(t.entryCount(), pass ? 131072u : 65536u);
        if (pass) break;
        EXPECT_TRUE(t.resize(3));
        EXPECT_EQ(t.sizeMB(), 2u);
        for (uint64_t i = 0; i < 4096; ++i) store(key(i));
        EXPECT_TRUE(finds(key(4095)));
        // Slots apart in this table that share one in a table of half the size.
        store(12345);
        store(12345 + (1u << 16));
        EXPECT_TRUE(finds(12345) && finds(12345 + (1u << 16)));
    }
}

TEST(HashTables, ClearEmptiesAndResizeKeepsWorking) {
    initSearchTestTables();
    TranspositionTable tt(1);
    auto b = std::make_unique<Board_BB64>();
    b->setFromFEN(START_FEN);
    auto at = [&](uint64_t key) -> Board_BB64 & { return b->history[b->historyIndex].key = key, *b; };
    expectClearAndResize(
        tt, [&](uint64_t key) { tt.store(at(key), -INFINITE_SCORE, INFINITE_SCORE, -100, 100, 0, 3, 10, NO_MOVE); },
        [&](uint64_t key) {
            int score = 0;
            Move move = NO_MOVE;
            bool found = false;
            tt.probe(at(key), -INFINITE_SCORE, INFINITE_SCORE, 0, 0, score, move, found);
            return found;
        });
    EXPECT_FALSE(tt.resize(2));  // already that size: nothing happens
    EXPECT_EQ(TranspositionTable::sizeMBFor(3), 2u);

    PawnHashTable pawns(1);
    PawnEntryData d;
    expectClearAndResize(
        pawns, [&](uint64_t key) { pawns.store(key, d); }, [&](uint64_t key) { return pawns.probe(key, d, 0); });
    pawns.clear();
    EXPECT_EQ(pawns.hits(), 0u);
}

struct TranspositionTableTest : testing::Test, SearchFixture {
    TranspositionTableTest() { board(START_FEN); }
    bool probe(int alpha, int beta, int ply, int depth) {
        return tt->probe(*game, alpha, beta, ply, depth, score, move, found);
    }
    int score = 0;
    Move move = NO_MOVE;
    bool found = false;
};

TEST_F(TranspositionTableTest, MateScoresAreKeptRelativeToTheNode) {
    const Move m = makeMove(12, 28);
    tt->store(*game, -31995, 31994, -INFINITE_SCORE, INFINITE_SCORE, 5, 7, 31990, m);
    const TTData d = tt->entryAt(4 * (uint32_t(game->key()) & (tt->entryCount() / 4 - 1)));
    EXPECT_EQ(d.score, 31995);
    EXPECT_EQ(d.bound, TT_EXACT);
    EXPECT_EQ(d.age, uint8_t(game->historyIndex - 5));
    EXPECT_TRUE(probe(-INFINITE_SCORE, INFINITE_SCORE, 3, 7));
    EXPECT_EQ(score, 31992);
    EXPECT_EQ(move, m);
    EXPECT_TRUE(found);
    tt->store(*game, -31995, 31994, -INFINITE_SCORE, INFINITE_SCORE, 5, 7, -31990, m);
    EXPECT_TRUE(probe(-INFINITE_SCORE, INFINITE_SCORE, 2, 7));
    EXPECT_EQ(score, -31993);
}

TEST_F(TranspositionTableTest, BoundsDecideWhetherAProbeCuts) {
    const Move m = makeMove(6, 21);
    tt->store(*game, -31999, 31999, 10, 20, 0, 4, 50, m);  // fail high at depth 4: a lower bound
    EXPECT_TRUE(probe(10, 40, 0, 4));
    EXPECT_EQ(score, 50);
    EXPECT_FALSE(probe(10, 60, 0, 4));
    // Too shallow: the move and the hit still count, but no cut.
    move = NO_MOVE;
    found = false;
    EXPECT_FALSE(probe(10, 40, 0, 5));
    EXPECT_TRUE(found);
    EXPECT_EQ(move, m);
    tt->store(*game, -31999, 31999, 10, 20, 0, 4, -5, NO_MOVE);  // fail low: an upper bound
    EXPECT_TRUE(probe(0, 30, 0, 4));
    EXPECT_FALSE(probe(-10, 30, 0, 4));
    // A score at the mate-distance bound is exact even above beta.
    tt->store(*game, -31999, 31999, 10, 20, 0, 4, 31999, NO_MOVE);
    EXPECT_TRUE(probe(-INFINITE_SCORE + 1, -INFINITE_SCORE + 2, 0, 4));
    EXPECT_EQ(score, 31999);
    // Another position misses.
    game->setFromFEN("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    found = false;
    EXPECT_FALSE(probe(-100, 100, 0, 1));
    EXPECT_FALSE(found);
}

// Made-up keys that share one bucket (the table sees only key and history index).
TEST_F(TranspositionTableTest, FullBucketLosesTheLeastWorthEntry) {
    const uint32_t bucket = 77;
    auto storeAt = [&](uint64_t high, int depth, uint32_t age, Move m) {
        game->historyIndex = age;
        game->history[age].key = (high << 32) | bucket;
        tt->store(*game, -31999, 31999, -100, 100, 0, depth, 7, m);
    };
    auto keyAt = [&](uint32_t i) { return tt->entryAt(4 * bucket + i).key >> 32; };
    // Worths: 1014, 763, 748, 1536.
    storeAt(1, 3, 10, 1);
    storeAt(2, 2, 5, 2);
    storeAt(3, 2, 20, 3);
    storeAt(4, 5, 0, 4);
    storeAt(5, 9, 0, 5);
    EXPECT_EQ(keyAt(2), 5u);  // the shallowest, and the older of the two shallow ones
    storeAt(6, 2, 5, 6);
    EXPECT_EQ(keyAt(1), 6u);  // equal worth: the lower index goes
    // The same key takes its own slot back even from a deeper entry.
    storeAt(4, 1, 0, 44);
    EXPECT_EQ(keyAt(3), 4u);
    EXPECT_EQ(tt->entryAt(4 * bucket + 3).depth, 1);
    EXPECT_EQ(tt->entryAt(4 * bucket + 3).move, 44);
    EXPECT_EQ(keyAt(0), 1u);
}

}  // namespace
