// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy prober on real tables: known answers, also from racing threads, and every table decoded.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "tablebase/syzygy_probe.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string sharedSyzygy() { return testDataDir() + "/syzygy"; }
std::string localSyzygy() { return inTreeDataDir() + "/syzygy"; }

struct Known {
    std::string fen;
    int tableWdl, wdl, dtz;
};

std::vector<Known> knownValues() {
    std::vector<Known> rows;
    for (const std::string &line : caseLines("tablebase/syzygy_known.txt")) {
        Known k;
        std::istringstream in(line);
        in >> k.tableWdl >> k.wdl >> k.dtz >> std::ws;
        std::getline(in, k.fen);
        rows.push_back(k);
    }
    return rows;
}

}  // namespace

// Rows whose tables the checkout lacks need the larger set. Threads racing to open the
// same files get the same answers, and no file is refused.
TEST(SyzygyProbe, KnownPositionsFromOneThreadAndFromFour) {
    initStaticTables();
    const std::string folders = localSyzygy() + SZ_PATH_SEPARATOR + sharedSyzygy();
    SyzygyTables tables;
    ASSERT_GE(tables.load(folders), 8);
    std::vector<std::pair<Board_BB64, const Known *>> covered;
    const std::vector<Known> known = knownValues();
    ASSERT_EQ(known.size(), 16u);
    for (const Known &k : known) {
        SCOPED_TRACE(k.fen);
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(k.fen.c_str()));
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

// Every table on hand parses into the sub-tables its material calls for; values decode in range.
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
