// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include "tablebase/dtm_cache.h"

namespace {

// Fills the next cache block with answers that name their endgame, side and position.
void load(DtmCache &cache, int endgame, int side, uint32_t start, bool ok = true) {
    uint16_t *block = cache.beginLoad();
    ASSERT_NE(block, nullptr);
    for (uint32_t i = 0; i < TB_BLOCK_POSITIONS; ++i) block[i] = uint16_t(endgame * 1000 + side * 100 + i % 97);
    cache.finishLoad(ok, endgame, side, start);
}

bool has(DtmCache &cache, int endgame, int side, uint32_t index) {
    const auto answer = cache.lookup(endgame, side, index);
    if (answer) {
        EXPECT_EQ(*answer, endgame * 1000 + side * 100 + (index % TB_BLOCK_POSITIONS) % 97);
    }
    return answer.has_value();
}

}  // namespace

TEST(DtmCache, SizeFromMegabytes) {
    EXPECT_EQ(tbCacheBlocksFor(16, true), 128u);
    EXPECT_EQ(tbCacheBlocksFor(0, true), 1u);
    EXPECT_EQ(tbCacheBlocksFor(0, false), 0u);
    EXPECT_EQ(tbCacheBlocksFor(4096 + 2, true), 16u);  // only the low 12 bits count
}

TEST(DtmCache, LeastRecentlyUsedBlockIsReplaced) {
    DtmCache cache;
    ASSERT_TRUE(cache.create(2));
    EXPECT_FALSE(cache.lookup(1, 0, 5));
    load(cache, 1, 0, 0);
    load(cache, 1, 1, 16384);
    EXPECT_TRUE(has(cache, 1, 0, 16383));
    EXPECT_FALSE(has(cache, 1, 0, 16384));  // other block of the same side
    EXPECT_TRUE(has(cache, 1, 1, 20000));
    EXPECT_TRUE(has(cache, 1, 0, 7));  // now the most recent
    load(cache, 2, 0, 0);              // replaces (1, 1, 16384)
    EXPECT_FALSE(has(cache, 1, 1, 20000));
    EXPECT_TRUE(has(cache, 1, 0, 7));
    EXPECT_TRUE(has(cache, 2, 0, 100));
    EXPECT_EQ(cache.blocksInUse(), 2u);
    EXPECT_EQ(cache.stats.blocksLoaded, 3u);

    // The most recent block is found with one comparison.
    const uint64_t before = cache.stats.comparisons;
    EXPECT_TRUE(has(cache, 2, 0, 1));
    EXPECT_EQ(cache.stats.comparisons - before, 1u);

    // A failed load leaves its block empty and reuses it first.
    load(cache, 3, 0, 0, false);
    EXPECT_FALSE(has(cache, 3, 0, 1));
    EXPECT_EQ(cache.stats.failedLoads, 1u);
    EXPECT_TRUE(has(cache, 2, 0, 1));
    load(cache, 4, 0, 0);
    EXPECT_TRUE(has(cache, 2, 0, 1));
    EXPECT_TRUE(has(cache, 4, 0, 1));

    cache.clear();
    EXPECT_FALSE(has(cache, 2, 0, 1));
    EXPECT_EQ(cache.stats.blocksLoaded, 0u);
}

TEST(DtmCache, SingleBlockIsReusedAndEmptyCacheHoldsNothing) {
    DtmCache one;
    ASSERT_TRUE(one.create(1));
    load(one, 1, 0, 0);
    load(one, 1, 1, 0);
    EXPECT_FALSE(has(one, 1, 0, 0));
    EXPECT_TRUE(has(one, 1, 1, 0));

    DtmCache none;
    ASSERT_TRUE(none.create(0));
    EXPECT_EQ(none.beginLoad(), nullptr);
    EXPECT_FALSE(none.lookup(1, 0, 0));
}
