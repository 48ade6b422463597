// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A chosen playing strength through a live grelvin-uci.
#include <gtest/gtest.h>

#include <set>

#include "engine/strength.h"
#include "tests/uci/uci_session.h"

namespace {

// The node count of the last info line of a search.
long long nodesOf(const std::vector<std::string> &lines) {
    long long nodes = 0;
    for (const std::string &l : lines)
        if (l.rfind("info ", 0) == 0 && field(l, "nodes") >= 0) nodes = field(l, "nodes");
    return nodes;
}

// A game of the engine against itself from the start position, one move a search;
// "ucinewgame" clears the tables, so each game starts afresh.
std::vector<std::string> selfPlay(EngineSession &e, const char *seed, const char *threads, int plies) {
    e.send(std::string("setoption name StrengthSeed value ") + seed);
    e.send(std::string("setoption name Threads value ") + threads);
    e.send("ucinewgame");
    std::vector<std::string> moves;
    std::string line = "position startpos moves";
    for (int i = 0; i < plies; ++i) {
        e.send(line);
        const std::string best = searchMove(e, "go wtime 20000 btime 20000 winc 100 binc 100");
        if (best.empty() || best == "0000") break;
        moves.push_back(best);
        line += " " + best;
    }
    return moves;
}

}  // namespace

// The weakest level's node budget, also after a two-thread search; the last line shown
// is the line played; each new game chooses anew without a seed; off or in analysis,
// the search is as without a level (the same node count to the same depth).
TEST(UciStrength, LevelsThroughTheFace) {
    auto e = uciEngine();
    e->send("setoption name Threads value 2");
    std::vector<std::string> lines;
    searchMove(*e, "go depth 8");
    e->send("setoption name UCI_LimitStrength value true");
    e->send("setoption name UCI_Elo value 500");
    e->send("position startpos moves e2e4 d7d5");
    EXPECT_EQ(searchMove(*e, "go wtime 300000 btime 300000", &lines).size(), 4u);
    EXPECT_GT(nodesOf(lines), 0);
    EXPECT_LE(nodesOf(lines), strengthLevel(0).nodes + 16);

    e->send("setoption name Threads value 1");
    std::set<std::string> openings;
    for (int game = 0; game < 10; ++game)
        for (const char *elo : {"1000", "1400", "2000"})
            for (const char *position : {"startpos", "startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 f3g5 d7d5",
                                         "fen 2r3k1/5ppp/p3b3/1p1qP3/3P4/P3Q1P1/1r3PBP/2R2RK1 w - - 0 1"}) {
                e->send(std::string("setoption name UCI_Elo value ") + elo);
                e->send("ucinewgame");
                e->send(std::string("position ") + position);
                const std::string best = searchMove(*e, "go wtime 60000 btime 60000", &lines);
                std::string shown;
                for (const std::string &l : lines)
                    if (l.rfind("info depth ", 0) == 0 && l.find(" score ") != std::string::npos && l.find(" pv ") != l.npos)
                        shown = l.substr(l.find(" pv ") + 4, 4);
                EXPECT_EQ(shown, best) << elo << " " << position;
                if (position == std::string("startpos") && elo == std::string("1000")) openings.insert(best);
            }
    EXPECT_GT(openings.size(), 1u);

    auto searchFresh = [&] {
        e->send("ucinewgame");
        e->send("position startpos moves d2d4 g8f6 c2c4");
        searchMove(*e, "go depth 8", &lines);
        return nodesOf(lines);
    };
    e->send("setoption name UCI_LimitStrength value false");
    const long long full = searchFresh();
    ASSERT_GT(full, 0);
    e->send("setoption name UCI_Elo value 1200");
    e->send("setoption name StrengthSeed value 3");
    EXPECT_EQ(searchFresh(), full);
    e->send("setoption name UCI_LimitStrength value true");
    EXPECT_LT(searchFresh(), full);
    e->send("setoption name UCI_AnalyseMode value true");
    EXPECT_EQ(searchFresh(), full);
    e->send("setoption name UCI_AnalyseMode value false");
    e->send("setoption name UCI_LimitStrength value false");
    EXPECT_EQ(searchFresh(), full);
    quitUci(*e);
}

// The same seed plays the same game, on any number of threads; another seed another.
TEST(UciStrength, ASeedReplaysAGame) {
    auto e = uciEngine();
    e->send("setoption name UCI_LimitStrength value true");
    e->send("setoption name UCI_Elo value 1300");
    const std::vector<std::string> game = selfPlay(*e, "12345", "1", 24);
    ASSERT_EQ(game.size(), 24u);
    EXPECT_EQ(selfPlay(*e, "12345", "2", 24), game);
    EXPECT_NE(selfPlay(*e, "777", "1", 24), game);
    quitUci(*e);
}
