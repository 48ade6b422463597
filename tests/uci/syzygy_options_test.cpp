// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Syzygy50MoveRule in a two-thread search (other Syzygy options: sessions/02_syzygy.txt).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/test_support.h"
#include "tests/uci/uci_session.h"
#include "tests/xboard/cursed_table.h"

namespace {

struct Searched {
    std::string move;
    int score = 0;  // centipawns; a mate counts as 30000
    long tbHits = 0;  // as that line counts them
};

// The engine's move from fen at depth 6, and the score and tbhits of its last line.
Searched searchFrom(EngineSession &e, const std::string &fen) {
    e.send("position fen " + fen);
    e.send("go depth 6");
    const size_t from = e.position();
    const auto best = e.waitFor(isBestMove, 60s);
    if (!best) return {"<none>", 0};
    Searched r{bestMoveOf(*best)};
    for (size_t i = from; i < e.position(); ++i) {
        const std::string &l = e.lines()[i];
        if (l.find(" score ") == l.npos) continue;
        if (const size_t at = l.find(" tbhits "); at != l.npos) r.tbHits = std::atol(l.c_str() + at + 8);
        if (const size_t at = l.find(" score cp "); at != l.npos) r.score = std::atoi(l.c_str() + at + 10);
        if (const size_t at = l.find(" score mate "); at != l.npos) r.score = std::atoi(l.c_str() + at + 12) > 0 ? 30000 : -30000;
    }
    return r;
}

}  // namespace

// KRvN with a KRvK table of cursed wins only (tests/xboard/cursed_table.h): with the rule
// on they are draws (the rook keeps its knight to take, the bare king's side takes the
// knight); off, a win to take and a loss to avoid.
TEST(UciSyzygy, FiftyMoveRuleDecidesWhatCursedResultsAreWorth) {
    const auto dir = std::filesystem::temp_directory_path() / ("grelvin_cursed_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    writeCursedRookTable(dir.string());
    for (const bool rule : {true, false}) {
        SCOPED_TRACE(rule);
        auto e = uciEngine();
        e->send("setoption name Threads value 2");
        e->send("setoption name SyzygyPath value " + dir.string());
        e->send(std::string("setoption name Syzygy50MoveRule value ") + (rule ? "true" : "false"));
        const Searched take = searchFrom(*e, "6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1");
        const Searched saved = searchFrom(*e, "8/8/8/4k3/3N4/8/8/R5K1 b - - 0 1");
        EXPECT_GT(take.tbHits, 0);
        if (rule) {
            EXPECT_NE(take.move, "d1d5");
            EXPECT_GT(take.score, 1);
            EXPECT_LT(take.score, 1000);
            EXPECT_EQ(saved.move, "e5d4");
            EXPECT_LE(std::abs(saved.score), 1);
        } else {
            EXPECT_EQ(take.move, "d1d5");
            EXPECT_GT(take.score, 10000);
            EXPECT_NE(saved.move, "e5d4");
            EXPECT_LT(saved.score, -300);
        }
        quitUci(*e);
    }
    std::filesystem::remove_all(dir);
}
