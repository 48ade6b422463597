// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Which tables answer for a position: Gaviota first, Syzygy where Gaviota is left out or
// lacks the file, neither with castling rights or more men than the probe limit.
#include <gtest/gtest.h>

#include "engine/tablebases.h"
#include "tests/test_support.h"

TEST(EngineTablebases, OneProberAnswersEachPosition) {
    initStaticTables();
    EngineTablebases tables;
    ASSERT_TRUE(tables.loadGaviota(inTreeDataDir() + "/gaviota", 1));
    ASSERT_EQ(tables.loadSyzygy(inTreeDataDir() + "/syzygy"), 8);
    EXPECT_EQ(tables.use().men, 5);
    TbRequest noGaviota;
    noGaviota.gaviota = false;
    const struct {
        const char *fen;
        bool gaviota;
        int limit;
        TbSource source;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", true, 7, TbSource::GAVIOTA},
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", false, 7, TbSource::SYZYGY},
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", false, 2, TbSource::NONE},
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", true, 7, TbSource::NONE},
        {"4k3/8/8/8/8/8/8/4K2R b K - 0 1", false, 7, TbSource::NONE},
        {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", true, 7, TbSource::NONE},   // KRRvK: in neither set
        {"4k3/8/8/8/8/8/2PP4/4K3 w - - 0 1", true, 7, TbSource::SYZYGY}, // no kppk file
    };
    for (const auto &c : cases) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen));
        tables.setSyzygyProbeLimit(c.limit);
        EXPECT_EQ(tables.probe(b, c.gaviota ? TbRequest{} : noGaviota).source, c.source) << c.fen << " " << c.limit;
    }
    ASSERT_TRUE(tables.loadGaviota("", 1));
    tables.setSyzygyProbeLimit(7);
    EXPECT_EQ(tables.use().men, 4);
}
