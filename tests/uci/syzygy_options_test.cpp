// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy options of the UCI face: a list of folders (a missing one, a repeated
// one), tbprobe, and a root in the tables that keeps only the moves of shortest DTZ.
#include <filesystem>

#include "board/movegen.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"
#include "tests/uci/uci_session.h"

namespace {

std::string localSyzygy() { return (std::filesystem::path(inTreeDataDir()) / "syzygy").string(); }

}  // namespace

TEST(UciSyzygy, PathListAndTbprobe) {
    auto e = uciEngine();
    const std::string sep(1, SZ_PATH_SEPARATOR);
    e->send("setoption name SyzygyPath value /nonexistent" + sep + localSyzygy() + sep + localSyzygy());
    e->send("position fen 8/8/8/8/4k3/8/1Q6/K7 b - - 0 1");
    e->send("tbprobe");
    e->send("position fen 8/8/8/8/4k3/8/1Q6/K7 b - - 0 1 moves e4d3");
    e->send("tbprobe");
    e->send("setoption name SyzygyPath value <empty>");
    e->send("tbprobe");
    const auto got = syncReady(*e);
    const std::vector<std::string> want = {"info string SyzygyPath: 8 tables found, up to 4 men",
                                           "syzygy wdl -2 dtz -20", "syzygy wdl 2 dtz 11",
                                           "info string SyzygyPath: 0 tables found", "syzygy none"};
    EXPECT_EQ(got, want);
    quit(*e);
}

// KRvK with the rook attacked: every legal move keeps the win but only the ones of
// least DTZ may be played, whatever the search would like.
TEST(UciSyzygy, RootKeepsTheShortestWins) {
    initStaticTables();
    SyzygyTables tables;
    ASSERT_EQ(tables.load(localSyzygy()), 8);
    for (const char *fen : {"8/8/8/8/8/2k5/8/R3K3 w - - 0 1", "8/8/8/4k3/8/8/8/KQ6 w - - 0 1",
                            "8/8/8/8/8/1k6/8/R3K3 w - - 10 1"}) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(fen));
        MoveList list;
        generateAllLegal(b, list);
        int best = 1000;
        std::vector<std::string> shortest;
        for (const ScoredMove &sm : list) {
            UndoInfo undo;
            b.makeMove(sm.move, undo);
            int dtz = 0;
            ASSERT_TRUE(szProbeDtz(tables, b, dtz));
            b.unmakeMove(sm.move, undo);
            char text[6];
            moveToText(sm.move, text);
            const int d = dtz < 0 ? -dtz + 1 : 1000;
            if (d < best) best = d, shortest.clear();
            if (d == best) shortest.push_back(text);
        }
        auto e = uciEngine();
        e->send("setoption name SyzygyPath value " + localSyzygy());
        e->send(std::string("position fen ") + fen);
        e->send("go depth 4");
        const auto line = e->waitFor(isBestMove);
        ASSERT_TRUE(line);
        EXPECT_NE(std::find(shortest.begin(), shortest.end(), bestMoveOf(*line)), shortest.end()) << fen << " " << *line;
        quit(*e);
    }
}
