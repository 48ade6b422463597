// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy prober on real tables: known answers (colour flips, symmetric material,
// en passant, mates), the positions a DTZ file does not store, and lookups that must
// fail rather than guess.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "board/board.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"

namespace {

std::string sharedSyzygy() { return testDataDir() + "/syzygy"; }
std::string localSyzygy() { return (std::filesystem::path(inTreeDataDir()) / "syzygy").string(); }
std::string bothFolders() { return localSyzygy() + SZ_PATH_SEPARATOR + sharedSyzygy(); }

struct Known {
    const char *fen;
    int tableWdl, wdl, dtz;
};

// Values the table generator's own statistics and move-by-move play agree with.
constexpr Known KNOWN[] = {
    {"8/8/8/8/4k3/8/1Q6/K7 b - - 0 1", -2, -2, -20},
    {"k7/1q6/8/4K3/8/8/8/8 w - - 0 1", -2, -2, -20},
    {"8/8/2k5/1r6/8/8/8/2KQ4 b - - 0 1", -2, -2, -62},
    {"8/8/7k/8/7K/1P6/8/8 b - - 0 1", -2, -2, -20},
    {"8/7k/1p6/1P6/7K/8/8/8 w - - 0 1", 2, 2, 21},
    {"8/8/8/7k/1p6/1P6/7K/8 b - - 0 1", 2, 2, 21},
    {"8/8/8/R7/8/8/8/rk1K4 w - - 0 1", 2, 2, 7},
    {"8/8/8/7B/8/2k1B3/8/1K1B4 b - - 0 1", -2, -2, -20},
    {"k7/8/1K6/8/8/8/8/6Q1 w - - 0 1", 2, 2, 1},
    {"k7/1Q6/1K6/8/8/8/8/8 b - - 0 1", -2, -2, -1},
    {"k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", 0, 0, 0},
    {"5K2/8/8/3kPp2/8/8/8/8 w - f6 0 1", -2, 2, 1},
    {"8/8/8/8/Ppk5/8/8/4K3 b - a3 0 1", 0, 2, 1},
    {"8/k7/8/Pp6/5K2/8/8/8 w - b6 0 1", -2, 0, 0},
    {"8/4k3/7K/6pP/8/8/8/8 w - g6 0 1", -2, 2, 1},
    {"8/4k3/7K/6pP/8/8/8/8 w - - 0 1", -2, 0, 0},
};

// The rows whose tables are among the small ones always run; the rest need the
// shared set.
TEST(SyzygyProbe, KnownPositions) {
    initStaticTables();
    SyzygyTables tables;
    ASSERT_GE(tables.load(bothFolders()), 8);
    int checked = 0;
    for (const Known &k : KNOWN) {
        SCOPED_TRACE(k.fen);
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(k.fen));
        int raw = 9, wdl = 9, dtz = 999;
        const SzLookup found = tables.tableWdl(b, raw);
        if (found == SzLookup::NO_TABLE && !testDataRequired()) continue;
        ++checked;
        EXPECT_EQ(found, SzLookup::FOUND);
        EXPECT_EQ(raw, k.tableWdl);
        EXPECT_TRUE(szProbeWdl(tables, b, wdl));
        EXPECT_EQ(wdl, k.wdl);
        EXPECT_TRUE(szProbeDtz(tables, b, dtz));
        EXPECT_EQ(dtz, k.dtz);
    }
    EXPECT_GE(checked, 5);
    EXPECT_TRUE(tables.takeProblems().empty());
}

// Threads that probe fresh tables at once race to open the same files: every one gets
// the answers a single thread gets, and no file is refused.
TEST(SyzygyProbe, ConcurrentFirstProbesAgree) {
    initStaticTables();
    SyzygyTables reference;
    ASSERT_GE(reference.load(bothFolders()), 8);
    struct Answer {
        Board_BB64 board;
        int wdl = 0, dtz = 0;
    };
    std::vector<Answer> answers;
    for (const Known &k : KNOWN) {
        Answer a;
        ASSERT_TRUE(a.board.setFromFEN(k.fen));
        if (szProbeWdl(reference, a.board, a.wdl) && szProbeDtz(reference, a.board, a.dtz)) answers.push_back(a);
    }
    ASSERT_GE(answers.size(), 5u);
    for (int round = 0; round < 4; ++round) {
        SyzygyTables tables;
        tables.load(bothFolders());
        std::atomic<int> waiting{4}, wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (waiting.fetch_sub(1); waiting.load() > 0;) std::this_thread::yield();
                for (size_t i = 0; i < answers.size(); ++i) {
                    const Answer &a = answers[(i + size_t(t)) % answers.size()];
                    Board_BB64 b = a.board;
                    int wdl = 9, dtz = 999;
                    if (!szProbeWdl(tables, b, wdl) || !szProbeDtz(tables, b, dtz) || wdl != a.wdl || dtz != a.dtz)
                        wrong.fetch_add(1);
                }
            });
        for (std::thread &t : threads) t.join();
        EXPECT_EQ(wrong.load(), 0);
        EXPECT_TRUE(tables.takeProblems().empty());
    }
}

}  // namespace
