// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A chosen playing strength through a live grelvin-uci: the options, a level's node
// budget, a seed that replays a game, and full strength untouched when it is off.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/strength.h"
#include "tests/uci/uci_session.h"

namespace {

// The node count of the last "info ... nodes N" line up to the answer to go.
uint64_t nodesOfSearch(EngineSession &e, const std::string &go, std::string *best = nullptr) {
    const size_t from = e.position();
    e.send(go);
    const auto line = e.waitFor(isBestMove, 30s);
    if (!line) return 0;
    if (best) *best = bestMoveOf(*line);
    uint64_t nodes = 0;
    for (size_t i = from; i < e.lines().size(); ++i) {
        const std::string &l = e.lines()[i];
        const size_t at = l.find(" nodes ");
        if (l.rfind("info ", 0) == 0 && at != std::string::npos) nodes = std::stoull(l.substr(at + 7));
    }
    return nodes;
}

// A game of the engine against itself from the start position, one move a search.
std::vector<std::string> selfPlay(const std::vector<std::string> &setup, int plies) {
    auto e = uciEngine();
    for (const std::string &s : setup) e->send(s);
    e->send("ucinewgame");
    std::vector<std::string> moves;
    std::string line = "position startpos moves";
    for (int i = 0; i < plies; ++i) {
        e->send(line);
        std::string best;
        nodesOfSearch(*e, "go wtime 20000 btime 20000 winc 100 binc 100", &best);
        if (best.empty() || best == "0000") break;
        moves.push_back(best);
        line += " " + best;
    }
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
    return moves;
}

}  // namespace

TEST(UciStrength, OptionsAreOfferedAndALevelKeepsItsNodeBudget) {
    auto e = uciEngine();
    e->send("uci");
    EXPECT_TRUE(e->waitForLine("option name UCI_LimitStrength type check default false"));
    EXPECT_TRUE(e->waitForLine("option name UCI_Elo type spin default " + std::to_string(STRENGTH_ELO_MAX) + " min " +
                           std::to_string(STRENGTH_ELO_MIN) + " max " + std::to_string(STRENGTH_ELO_MAX)));
    ASSERT_TRUE(e->waitForLine("uciok"));
    // A full search first: the helper it ran sits out the level's search.
    e->send("setoption name Threads value 2");
    nodesOfSearch(*e, "go depth 8");
    e->send("setoption name UCI_LimitStrength value true");
    e->send("setoption name UCI_Elo value 500");  // clamped to the weakest level
    e->send("position startpos moves e2e4 d7d5");
    std::string best;
    const uint64_t nodes = nodesOfSearch(*e, "go wtime 300000 btime 300000", &best);
    EXPECT_GT(nodes, 0u);
    EXPECT_LE(nodes, strengthLevel(STRENGTH_ELO_MIN).nodes + 16);
    EXPECT_EQ(best.size(), 4u);
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

// Whatever a level chooses, the last line it shows is the line it plays; without a
// seed each new game makes its own choices (a GUI keeps the engine loaded).
TEST(UciStrength, ALevelShowsTheLineItPlaysAndChoosesAnewEachGame) {
    auto e = uciEngine();
    e->send("setoption name UCI_LimitStrength value true");
    std::set<std::string> openings;
    for (int game = 0; game < 10; ++game)
        for (const char *elo : {"1000", "1400", "2000"})
            for (const char *position : {"startpos", "startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 f3g5 d7d5",
                                         "fen 2r3k1/5ppp/p3b3/1p1qP3/3P4/P3Q1P1/1r3PBP/2R2RK1 w - - 0 1"}) {
                e->send(std::string("setoption name UCI_Elo value ") + elo);
                e->send("ucinewgame");
                e->send(std::string("position ") + position);
                const size_t from = e->position();
                std::string best, shown;
                nodesOfSearch(*e, "go wtime 60000 btime 60000", &best);
                for (size_t i = from; i < e->position(); ++i) {
                    const std::string &l = e->lines()[i];
                    const size_t pv = l.find(" pv "), score = l.find(" score ");
                    if (l.rfind("info depth ", 0) == 0 && score != std::string::npos && pv != std::string::npos)
                        shown = l.substr(pv + 4, 4);
                }
                EXPECT_EQ(shown, best) << elo << " " << position;
                if (position == std::string("startpos") && elo == std::string("1000")) openings.insert(best);
            }
    EXPECT_GT(openings.size(), 1u);
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

// The same seed plays the same game, on any number of threads; another seed another.
TEST(UciStrength, ASeedReplaysAGame) {
    const std::vector<std::string> level = {"setoption name UCI_LimitStrength value true",
                                            "setoption name UCI_Elo value 1300"};
    auto withSeed = [&](const char *seed, const char *threads) {
        std::vector<std::string> s = level;
        s.push_back(std::string("setoption name StrengthSeed value ") + seed);
        s.push_back(std::string("setoption name Threads value ") + threads);
        return s;
    };
    const std::vector<std::string> game = selfPlay(withSeed("12345", "1"), 24);
    ASSERT_EQ(game.size(), 24u);
    EXPECT_EQ(selfPlay(withSeed("12345", "2"), 24), game);
    EXPECT_NE(selfPlay(withSeed("777", "1"), 24), game);
}

// Off, or in analysis, the engine searches exactly as it does without a level: the
// same node count to the same depth.
TEST(UciStrength, OffAndAnalysisSearchAtFullStrength) {
    auto e = uciEngine();
    const std::string go = "go depth 8";
    auto searchFresh = [&] {
        e->send("ucinewgame");
        e->send("position startpos moves d2d4 g8f6 c2c4");
        return nodesOfSearch(*e, go);
    };
    const uint64_t full = searchFresh();
    ASSERT_GT(full, 0u);
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
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}
