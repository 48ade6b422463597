// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search options of "go" (searchmoves, nodes, mate) through a live grelvin-uci.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <filesystem>

#include "tests/test_support.h"
#include "tests/xboard/engine_session.h"

namespace {

bool isBestMove(const std::string &l) { return l.rfind("bestmove ", 0) == 0; }

// The move of the "bestmove" line that answers go; empty when none comes.
std::string bestMoveAfter(EngineSession &e, const std::string &go) {
    e.send(go);
    const auto line = e.waitFor(isBestMove, 30s);
    if (!line) return "";
    const size_t from = std::string("bestmove ").size();
    return line->substr(from, line->find(' ', from) - from);
}

TEST(UciSearchOptions, GoLimitsReachTheSearch) {
    auto e = std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, std::vector<std::string>{});
    e->send("setoption name Hash value 8");
    e->send("setoption name PawnHash value 1");
    e->send("setoption name MultiPV value 2");
    e->send("position startpos");
    EXPECT_EQ(bestMoveAfter(*e, "go depth 6 searchmoves a2a3"), "a2a3");
    const std::string two = bestMoveAfter(*e, "go depth 5 searchmoves h2h3 a2a3");
    EXPECT_TRUE(two == "a2a3" || two == "h2h3") << two;
    // Without a clock only the node limit ends this search.
    EXPECT_NE(bestMoveAfter(*e, "go nodes 3000"), "");
    e->send("position fen k7/8/2K5/8/8/8/8/7R w - - 0 1");
    // Both king moves mate in two.
    const std::string mate = bestMoveAfter(*e, "go mate 2");
    EXPECT_TRUE(mate == "c6b6" || mate == "c6c7") << mate;
    const auto &l = e->lines();
    EXPECT_EQ(std::count_if(l.begin(), l.end(),
                            [](const std::string &x) { return x.find("not supported") != std::string::npos; }),
              0);
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

// A root of one move, legal or allowed, is searched as far as asked; only a move on
// the clock is played after depth 1.
TEST(UciSearchOptions, AForcedRootIsSearchedAsFarAsAsked) {
    auto e = std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, std::vector<std::string>{});
    e->send("setoption name Hash value 8");
    const std::string forced = "position fen k7/8/8/7p/7P/8/1r6/K7 w - - 0 1";
    const struct {
        std::string setUp, go;
        int minDepth, maxDepth;
    } cases[] = {
        {"position startpos", "go depth 6 searchmoves a2a3", 6, 6},
        {forced, "go depth 5", 5, 5},
        {forced, "go nodes 20000", 3, 100},
        {forced, "go infinite", 3, 100},
        {forced, "go wtime 60000 btime 60000", 1, 1},
        {"position startpos", "go wtime 60000 btime 60000 searchmoves e2e4", 1, 1},
        {"setoption name UCI_AnalyseMode value true", "go movetime 300 searchmoves e2e4", 3, 100},
    };
    for (const auto &c : cases) {
        e->send(c.setUp);
        const size_t from = e->lines().size();
        if (c.go == "go infinite") {
            e->send(c.go);
            e->drain(300ms);
            EXPECT_EQ(bestMoveAfter(*e, "stop"), "a1b2");
        } else {
            EXPECT_NE(bestMoveAfter(*e, c.go), "") << c.go;
        }
        int depth = 0;
        for (size_t i = from; i < e->lines().size(); ++i)
            if (e->lines()[i].rfind("info depth ", 0) == 0) depth = std::atoi(e->lines()[i].c_str() + 11);
        EXPECT_GE(depth, c.minDepth) << c.setUp << ", " << c.go;
        EXPECT_LE(depth, c.maxDepth) << c.setUp << ", " << c.go;
    }
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

// The book answers a game's move; a restricted root and a GUI's analysis are searched
// even where the book knows the position.
TEST(UciSearchOptions, OnlyAFreeGameMoveComesFromTheBook) {
    const std::string book = inTreeDataDir() + "/books/selfplay.bin";
    GRELVIN_REQUIRE_DATA_FILE(book);
    auto e = std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, std::vector<std::string>{});
    e->send("setoption name Hash value 8");
    e->send("setoption name BookFile value " + book);
    e->send("setoption name OwnBook value true");
    e->send("position startpos");
    // Whether the search since line `from` printed an iteration.
    const auto searched = [&](size_t from) {
        return std::any_of(e->lines().begin() + long(from), e->lines().end(),
                           [](const std::string &x) { return x.rfind("info depth", 0) == 0; });
    };
    const auto goFrom = [&](const std::string &go) {
        const size_t from = e->lines().size();
        const std::string move = bestMoveAfter(*e, go);
        EXPECT_NE(move, "") << go;
        return from;
    };
    EXPECT_FALSE(searched(goFrom("go wtime 60000 btime 60000")));
    EXPECT_EQ(bestMoveAfter(*e, "go wtime 60000 btime 60000 searchmoves a2a3"), "a2a3");
    e->send("setoption name UCI_AnalyseMode value true");
    EXPECT_TRUE(searched(goFrom("go movetime 200")));
    e->send("setoption name UCI_AnalyseMode value false");
    EXPECT_FALSE(searched(goFrom("go movetime 200")));
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

}  // namespace
