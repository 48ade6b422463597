// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The searches a GUI controls while they run: pondering, commands arriving during a
// search, and what the info lines and "debug" add to the output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/test_support.h"
#include "tests/uci/uci_session.h"

namespace {

using Clock = std::chrono::steady_clock;

bool isReady(const std::string &l) { return l == "readyok"; }
bool isInfoString(const std::string &l) { return l.rfind("info string ", 0) == 0; }

// The number after " key " in an info line, or -1.
long long field(const std::string &line, const std::string &key) {
    const size_t at = line.find(" " + key + " ");
    return at == std::string::npos ? -1 : std::atoll(line.c_str() + at + key.size() + 2);
}

TEST(UciPonder, PonderhitStartsTheBudgetWithThePonderedTimeCounted) {
    auto e = uciEngine();
    // Budget about 1.1 s: pondering longer than that moves nothing, and the move comes
    // soon after ponderhit (well before a budget counted from ponderhit would end).
    e->send("position startpos moves e2e4 e7e5");
    e->send("go ponder wtime 40000 btime 40000");
    e->drain(1500ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 0);
    auto hit = Clock::now();
    e->send("ponderhit");
    auto best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_LT(Clock::now() - hit, 700ms);

    // Budget about 1.7 s, ponderhit at once: the search goes on, then moves in time.
    e->send("position startpos moves e2e4 e7e5 g1f3");
    e->send("go ponder wtime 60000 btime 60000");
    ASSERT_TRUE(e->waitForPrefix("info depth 1 ", 5s));
    hit = Clock::now();
    e->send("ponderhit");
    EXPECT_FALSE(e->waitFor(isBestMove, 150ms));
    best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_LT(Clock::now() - hit, 3000ms);
    EXPECT_EQ(countLines(syncReady(*e), isBestMove), 0);
    quit(*e);
}

TEST(UciPonder, StopAndSearchesThatEndWhilePondering) {
    auto e = uciEngine();
    // A stopped ponder search prints its move and nothing else.
    e->send("position startpos moves d2d4");
    e->send("go ponder wtime 60000 btime 60000");
    e->drain(300ms);
    e->send("stop");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    EXPECT_EQ(syncReady(*e), std::vector<std::string>{});

    // Mate in one ends the search by itself; the move waits for ponderhit.
    e->send("position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1");
    e->send("go ponder wtime 60000 btime 60000");
    e->drain(400ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 1);
    const auto hit = Clock::now();
    e->send("ponderhit");
    const auto best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_EQ(*best, "bestmove a1a8");
    EXPECT_LT(Clock::now() - hit, 500ms);

    // ponderhit means nothing to an infinite search.
    e->send("position startpos");
    e->send("go infinite");
    e->send("ponderhit");
    e->drain(300ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 2);
    e->send("stop");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 3);
    quit(*e);
}

// The commands a GUI may send while an infinite search runs: the loop answers each,
// the search ends once with one move, and the engine searches with what was set.
TEST(UciEngineDuringSearch, OptionsAndReadyWhileSearching) {
    auto e = uciEngine();
    e->send("position startpos moves e2e4");
    e->send("go infinite");
    ASSERT_TRUE(e->waitForPrefix("info depth 1 ", 5s));
    e->send("setoption name Hash value 16");
    e->send("setoption name Threads value 2");
    e->send("isready");
    e->send("setoption name Clear Hash");
    const auto asked = Clock::now();
    e->send("isready");
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    EXPECT_LT(Clock::now() - asked, 1s);
    e->send("stop");
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 1);
    e->send("go depth 5");
    ASSERT_TRUE(e->waitFor(isBestMove, 20s));
    e->send("go infinite");
    e->drain(100ms);
    e->send("isready");
    e->send("ponderhit");
    e->send("stop");
    e->send("stop");
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 3);
    quit(*e);
}

// On two threads, after a search that left the helper's counters high: node counts
// only grow within the next search.
TEST(UciSearchInfo, IterationsCarryCountersTimeAndHashFill) {
    auto e = uciEngine();
    e->send("setoption name Threads value 2");
    e->send("go depth 9");
    ASSERT_TRUE(e->waitFor(isBestMove, 30s));
    const size_t from = e->position();
    e->send("position startpos moves e2e4");
    e->send("go depth 7");
    ASSERT_TRUE(e->waitFor(isBestMove, 30s));
    std::vector<std::string> iterations;
    long long nodes = 0;
    for (size_t i = from; i < e->position(); ++i) {
        const std::string &l = e->lines()[i];
        if (field(l, "nodes") < 0) continue;
        EXPECT_GE(field(l, "nodes"), nodes) << l;
        nodes = field(l, "nodes");
        if (l.rfind("info depth ", 0) == 0) iterations.push_back(l);
    }
    ASSERT_GE(iterations.size(), 7u);
    for (const std::string &l : iterations) {
        EXPECT_GE(field(l, "time"), 0) << l;
        EXPECT_EQ(field(l, "tbhits"), 0) << l;
        EXPECT_GE(field(l, "hashfull"), 0) << l;
        EXPECT_LE(field(l, "hashfull"), 1000) << l;
        const long long ms = field(l, "time");
        if (ms > 0) {
            EXPECT_NEAR(double(field(l, "nps")), double(field(l, "nodes")) * 1000 / double(ms), 1.0) << l;
        }
    }
    EXPECT_GT(field(iterations.back(), "hashfull"), 0) << iterations.back();
    quit(*e);
}

TEST(UciSearchInfo, TablebaseHitsAreCounted) {
    const std::string dir = testDataDir() + "/gaviota";
    if (!std::filesystem::exists(dir + "/krkn.gtb.cp4")) {
        if (testDataRequired()) FAIL() << "no tablebases in " << dir;
        GTEST_SKIP() << "no tablebases in " << dir;
    }
    auto e = uciEngine();
    e->send("setoption name GaviotaTbPath value " + dir);
    e->send("position fen 8/8/4k3/8/8/2K5/1R6/7n w - - 0 1");
    e->send("go depth 6");
    ASSERT_TRUE(e->waitFor(isBestMove, 30s));
    std::string last;
    for (const std::string &l : e->lines())
        if (l.rfind("info depth ", 0) == 0) last = l;
    EXPECT_GT(field(last, "tbhits"), 0) << last;
    quit(*e);
}

TEST(UciDebug, DiagnosticsOnlyWhileDebugIsOn) {
    auto e = uciEngine();
    e->send("go movetime 100");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    EXPECT_EQ(countLines(syncReady(*e), isInfoString), 0);

    e->send("debug on");
    e->send("ponderhit");
    e->send("go movetime 100");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    const std::vector<std::string> on = syncReady(*e);
    const std::vector<std::string> &all = e->lines();
    auto has = [&](const std::string &prefix) {
        return std::any_of(all.begin(), all.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(has("info string ponderhit without a ponder search"));
    EXPECT_TRUE(has("info string budget 70 ms"));
    EXPECT_TRUE(has("info string search finished: "));
    e->send("setoption name Move Overhead value 60");
    e->send("go movetime 100");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    syncReady(*e);
    EXPECT_TRUE(has("info string budget 40 ms"));

    const size_t before = all.size();
    e->send("debug off");
    e->send("debug sideways");
    e->send("go movetime 100");
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    syncReady(*e);
    const std::vector<std::string> off(all.begin() + long(before), all.end());
    EXPECT_EQ(countLines(off, isInfoString), 1) << ::testing::PrintToString(off);
    EXPECT_TRUE(has("info string debug: on or off expected"));
    quit(*e);
}

}  // namespace
