// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy options of the UCI face: a root in the tables keeps only the moves of
// shortest DTZ unless Gaviota has it; Syzygy50MoveRule decides what a cursed win is worth.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "tests/test_support.h"
#include "tests/uci/uci_session.h"
#include "tests/xboard/cursed_table.h"

namespace {

std::string localSyzygy() { return (std::filesystem::path(inTreeDataDir()) / "syzygy").string(); }

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

// KRvK with the rook attacked: every legal move keeps the win but only the ones of least
// DTZ may be played; every line shows the tables' verdict from depth 1 on: a win above any
// evaluation, a draw where the DTZ (27) does not fit in the plies the clock leaves.
TEST(UciSyzygy, TheShortestWins) {
    auto e = uciEngine();
    e->send("setoption name SyzygyPath value " + localSyzygy());
    for (const auto &[fen, won, shortest] : {std::tuple{"8/8/8/8/8/2k5/8/R3K3 w - - 0 1", true, " a1a4 "},
                                             {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", true, " b1g6 b1f1 b1b6 a1b2 "},
                                             {"8/8/8/8/8/1k6/8/R3K3 w - - 10 1", true, " a1c1 "},
                                             {"8/8/8/4k3/8/8/8/R3K3 w - - 80 1", false, " a1a5 e1e2 "}}) {
        e->send(std::string("position fen ") + fen);
        std::vector<std::string> lines;
        const std::string move = searchMove(*e, "go depth 4", &lines);
        EXPECT_NE(std::string(shortest).find(" " + move + " "), std::string::npos) << fen << " " << move;
        for (const std::string &l : lines)
            if (const size_t at = l.find(" score cp "); at != l.npos) {
                const int cp = std::atoi(l.c_str() + at + 10);
                EXPECT_TRUE(won ? cp >= 10000 : cp == 0) << fen << " " << l;
            }
    }
    // Where Gaviota holds the root too, its mate distances choose: Kg6 mates in two, but
    // the Syzygy ranking alone keeps only the promotions (a zeroing move ranks first).
    const std::string fen = "7k/4P3/8/5K2/8/8/8/8 w - - 0 1";
    EXPECT_EQ(searchFrom(*e, fen).move.substr(0, 4), "e7e8");
    e->send("setoption name GaviotaTbPath value " + inTreeDataDir() + "/gaviota");
    const Searched mate = searchFrom(*e, fen);
    EXPECT_EQ(mate.move, "f5g6");
    EXPECT_EQ(mate.score, 30000);
    quitUci(*e);
}

// Rook and king against knight and king, with a KRvK table in which every position is
// a cursed win for the rook (tests/xboard/cursed_table.h). While Syzygy50MoveRule is on
// those are draws: the rook keeps its extra material rather than take the knight, and
// the bare king's side takes a knight to be saved by the rule. Off, they are a win to
// take and a loss to avoid.
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
