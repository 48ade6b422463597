// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The transposition table emptied for a new game without a new block, then resized.
#include <gtest/gtest.h>

#include <memory>

#include "board/board.h"
#include "search/tt.h"

namespace {

bool probeFinds(const TranspositionTable &tt, const Board_BB64 &b) {
    int score = 0;
    Move move = NO_MOVE;
    bool found = false;
    tt.probe(b, -INFINITE_SCORE, INFINITE_SCORE, 0, 0, score, move, found);
    return found;
}

TEST(TranspositionTableClear, ClearedTableIsEmptyAndResizeKeepsWorking) {
    initStaticTables();
    auto b = std::make_unique<Board_BB64>();
    ASSERT_TRUE(b->setFromFEN(START_FEN));
    TranspositionTable tt;
    EXPECT_TRUE(tt.resize(1));
    // Positions spread over the table, so that entries land beyond the fill sample too.
    auto storeMany = [&] {
        for (uint32_t i = 0; i < 4096; ++i) {
            b->history[b->historyIndex].key ^= 0x9E3779B97F4A7C15ull * (i + 1);
            tt.store(*b, -INFINITE_SCORE, INFINITE_SCORE, -100, 100, 0, 3, 10, NO_MOVE);
        }
    };
    storeMany();
    ASSERT_TRUE(probeFinds(tt, *b));
    ASSERT_GT(tt.fillPercent(), 0.0);

    tt.clear();
    EXPECT_FALSE(probeFinds(tt, *b));
    EXPECT_EQ(tt.fillPercent(), 0.0);
    EXPECT_EQ(tt.entryCount(), 65536u);
    for (uint32_t i = 0; i < tt.entryCount(); ++i) ASSERT_EQ(tt.entryAt(i).key, 0u) << i;

    EXPECT_TRUE(tt.resize(4));
    EXPECT_FALSE(tt.resize(4));  // the same size: the block and its entries stay
    storeMany();
    EXPECT_TRUE(probeFinds(tt, *b));
    EXPECT_GT(tt.fillPercent(), 0.0);
    tt.clear();
    EXPECT_FALSE(probeFinds(tt, *b));
    EXPECT_EQ(tt.fillPercent(), 0.0);
}

}  // namespace
