// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy prober on real tables: known answers (colour flips, symmetric material,
// en passant, mates), also from threads racing to open the files, and every table on
// hand parsed and decoded.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tablebase/syzygy_probe.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string sharedSyzygy() { return testDataDir() + "/syzygy"; }
std::string localSyzygy() { return inTreeDataDir() + "/syzygy"; }

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

}  // namespace

// The rows whose tables are among the checkout's always run; the rest need the larger
// set. Then threads that probe fresh tables at once race to open the same files: every
// one gets the same answers, and no file is refused.
TEST(SyzygyProbe, KnownPositionsFromOneThreadAndFromFour) {
    initStaticTables();
    const std::string folders = localSyzygy() + SZ_PATH_SEPARATOR + sharedSyzygy();
    SyzygyTables tables;
    ASSERT_GE(tables.load(folders), 8);
    std::vector<std::pair<Board_BB64, const Known *>> covered;
    for (const Known &k : KNOWN) {
        SCOPED_TRACE(k.fen);
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(k.fen));
        int raw = 9, wdl = 9, dtz = 999;
        const SzLookup found = tables.tableWdl(b, raw);
        if (found == SzLookup::NO_TABLE && !testDataRequired()) continue;
        covered.push_back({b, &k});
        EXPECT_EQ(found, SzLookup::FOUND);
        EXPECT_EQ(raw, k.tableWdl);
        EXPECT_TRUE(szProbeWdl(tables, b, wdl));
        EXPECT_EQ(wdl, k.wdl);
        EXPECT_TRUE(szProbeDtz(tables, b, dtz));
        EXPECT_EQ(dtz, k.dtz);
    }
    ASSERT_GE(covered.size(), 5u);
    EXPECT_TRUE(tables.takeProblems().empty());
    for (int round = 0; round < 4; ++round) {
        SyzygyTables fresh;
        fresh.load(folders);
        std::atomic<int> waiting{4}, wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (waiting.fetch_sub(1); waiting.load() > 0;) std::this_thread::yield();
                for (size_t i = 0; i < covered.size(); ++i) {
                    auto [b, k] = covered[(i + size_t(t)) % covered.size()];
                    int wdl = 9, dtz = 999;
                    if (!szProbeWdl(fresh, b, wdl) || !szProbeDtz(fresh, b, dtz) || wdl != k->wdl || dtz != k->dtz)
                        wrong.fetch_add(1);
                }
            });
        for (std::thread &t : threads) t.join();
        EXPECT_EQ(wrong.load(), 0);
        EXPECT_TRUE(fresh.takeProblems().empty());
    }
}

// Every table on hand parses into the sub-tables its material calls for, and every value
// decodes in range (small sub-tables whole, larger ones at spread-out indices).
TEST(SyzygyFiles, EveryTableParsesAndDecodesInRange) {
    int files = 0;
    for (const std::string &dir : {localSyzygy(), sharedSyzygy()})
        for (const auto &entry : fs::directory_iterator(dir)) {
            const std::string ext = entry.path().extension().string(), path = entry.path().string();
            if (ext != ".rtbw" && ext != ".rtbz") continue;
            const SzKind kind = ext == ".rtbw" ? SzKind::WDL : SzKind::DTZ;
            SzMaterial m;
            ASSERT_TRUE(szParseName(entry.path().stem().string(), m));
            MappedFile mapped;
            std::string error;
            ASSERT_TRUE(mapped.open(path, error)) << error;
            SzFile file;
            ASSERT_TRUE(szParseFile(mapped.data(), mapped.size(), kind, m, file, error)) << path << error;
            ASSERT_EQ(file.sub.size(), size_t(m.hasPawns ? 4 : 1) * (kind == SzKind::WDL && !m.symmetric ? 2 : 1));
            for (const SzSubTable &t : file.sub)
                for (uint64_t i = 0; i < t.size; i += t.size <= 40000 ? 1 : t.size / 4000 + 1) {
                    int v = -1;
                    ASSERT_TRUE(szDecode(t, i, v)) << path << " index " << i;
                    ASSERT_TRUE(kind == SzKind::DTZ || v <= 4) << path << " index " << i << " value " << v;
                }
            ++files;
        }
    EXPECT_GE(files, 16);
}
