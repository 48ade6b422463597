// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The pawn hash table: hits, and entries shared between threads.
#include <thread>

#include "tests/eval/eval_helpers.h"

namespace {

TEST(PawnHash, SamePawnsHitWhateverThePieces) {
    PawnHashTable table(1), fresh(1);
    const Board_BB64 a = boardFromFen(START_FEN);
    const Board_BB64 b = boardFromFen("rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq - 1 1");
    const Board_BB64 c = boardFromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    evaluate(a, table, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_EQ(table.hits(), 0u);
    const int first = evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_EQ(evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE), first);
    EXPECT_EQ(table.hits(), 2u);
    evaluate(c, table, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_EQ(table.hits(), 2u);
    EXPECT_EQ(evaluate(b, fresh, -INFINITE_SCORE, INFINITE_SCORE), first);  // a hit changes nothing
    // Two structures stored; the estimate is always taken over 65536 entries.
    EXPECT_DOUBLE_EQ(table.fillPercent(), 2 * 100.0 / 65536);
}

TEST(PawnHash, ConcurrentWritersNeverYieldMixedEntries) {
    // One entry, two threads; each key's data is mixed from the key, so a mismatch is torn.
    PawnHashTable table(0);
    auto dataFor = [](uint64_t key) {
        const uint64_t mixed = key * 0x9E3779B97F4A7C15ULL;
        PawnEntryData d;
        d.weak = TermPair(int16_t(mixed >> 17), int16_t(mixed >> 33));
        d.openFiles = uint8_t(mixed >> 49);
        d.halfOpenFiles = uint8_t(mixed >> 57);
        return d;
    };
    std::atomic<int> bad{0};
    auto worker = [&](uint64_t x) {
        for (int i = 0; i < 5000000; ++i) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            const uint64_t key = x % 4 + 1;  // few keys, so hits are frequent
            PawnEntryData got;
            const PawnEntryData want = dataFor(key);
            if (table.probe(key, got, 0) &&
                !(got.weak == want.weak && got.openFiles == want.openFiles && got.halfOpenFiles == want.halfOpenFiles))
                ++bad;
            table.store(key, want);
        }
    };
    std::thread t1(worker, 0x9E3779B97F4A7C15ULL), t2(worker, 0xD1B54A32D192ED03ULL);
    t1.join();
    t2.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
