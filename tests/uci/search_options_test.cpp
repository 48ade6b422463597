// The search options of "go" (searchmoves, nodes, mate) through a live grelvin-uci.
#include <gtest/gtest.h>

#include <algorithm>
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

// A restricted root is searched even where the book knows the position.
TEST(UciSearchOptions, SearchmovesOutrankTheBook) {
    const std::string book = testDataDir() + "/books/performance.bin";
    GRELVIN_REQUIRE_DATA_FILE(book);
    auto e = std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, std::vector<std::string>{});
    e->send("setoption name Hash value 8");
    e->send("setoption name BookFile value " + book);
    e->send("position startpos");
    e->send("go wtime 60000 btime 60000");
    ASSERT_TRUE(e->waitFor(isBestMove, 30s));
    const size_t booked = e->lines().size();
    // The book answered at once, without a search.
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(),
                            [](const std::string &x) { return x.rfind("info depth", 0) == 0; }),
              0);
    EXPECT_EQ(bestMoveAfter(*e, "go wtime 60000 btime 60000 searchmoves a2a3"), "a2a3");
    EXPECT_GT(std::count_if(e->lines().begin() + long(booked), e->lines().end(),
                            [](const std::string &x) { return x.rfind("info depth", 0) == 0; }),
              0);
    e->send("quit");
    EXPECT_EQ(e->waitExit(), 0);
}

}  // namespace
