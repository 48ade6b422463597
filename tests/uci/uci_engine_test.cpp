// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A live grelvin-uci process where the clock matters (fixed output: sessions/).
#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "tests/uci/uci_session.h"

namespace {

using Clock = std::chrono::steady_clock;

bool isReady(const std::string &l) { return l == "readyok"; }

long countIn(const std::vector<std::string> &lines, const std::string &part) {
    return std::count_if(lines.begin(), lines.end(), [&](auto &x) { return x.find(part) != std::string::npos; });
}

// Whether move is legal after the position line, as the engine's own "position" reads it.
bool legalAfter(EngineSession &e, const std::string &position, const std::string &move) {
    e.send(position + (position.find(" moves") == std::string::npos ? " moves " : " ") + move);
    return countIn(syncReady(e), "illegal move") == 0;
}

}  // namespace

// A NUL byte or another control character never joins two commands (the rest of what
// happens outside a search is in sessions/01_outside_a_search.txt).
TEST(UciEngine, ControlCharactersSeparateCommands) {
    auto e = uciEngine();
    e->send(std::string("uci\0", 4));
    e->send(std::string("isready\x01", 8));
    e->send(std::string("\0isready\risready", 17));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(e->waitForLine("readyok")) << i;
    EXPECT_EQ(countIn(e->lines(), "uciok"), 1);
    quitUci(*e);
}

// "go" on the clock: the move, the last iteration's depth (-1: none, a book move) and
// how long it took.
TEST(UciEngine, SearchLimits) {
    auto e = uciEngine();
    e->send("setoption name BookFile value " + inTreeDataDir() + "/books/selfplay.bin");
    const std::string forced = "position fen k7/8/8/7p/7P/8/1r6/K7 w - - 0 1", start = "position startpos";
    const std::string e4 = "position startpos moves e2e4", none;
    struct Case {
        std::string options, position, go;
        std::string best;  // "" any legal move, else the moves allowed, split by '|'
        int minDepth, maxDepth, minMs, maxMs;
        Case(std::string o, std::string p, std::string g, std::string b = "", int lo = -1, int hi = 100,
             int fromMs = 0, int toMs = 30000)
            : options(o), position(p), go(g), best(b), minDepth(lo), maxDepth(hi), minMs(fromMs), maxMs(toMs) {}
    };
    const Case cases[] = {
        {none, "position startpos moves e2e4 c7c5 g1f3 d7d6", "go movetime 200", "", 1, 100, 100, 1000},
        {none, e4, "go wtime 1000 btime 1000", "", 1, 100, 0, 1000},
        // Clocks that once searched without end (commands.txt has their budgets): each is
        // answered at once.
        {none, e4, "go wtime 1000", "", -1, 100, 0, 5000},
        {none, e4, "go movestogo 5", "", -1, 100, 0, 5000},
        {none, e4, "go btime 1000 movestogo 99999999999999999999", "", -1, 100, 0, 5000},
        {none, e4, "go movetime 0", "", -1, 100, 0, 5000},
        {none, e4, "go movetime -5", "", -1, 100, 0, 5000},
        // A root of one move, legal or allowed: only a move on the clock is played after depth 1.
        {none, forced, "go infinite", "a1b2", 3},
        {none, forced, "go wtime 60000 btime 60000", "a1b2", 1, 1},
        {none, start, "go wtime 60000 btime 60000 searchmoves e2e4", "e2e4", 1, 1},
        {"setoption name UCI_AnalyseMode value true", start, "go movetime 300 searchmoves e2e4", "e2e4", 3},
        // The book answers a game's move; a restricted root and a GUI's analysis are
        // searched even where the book knows the position.
        {"setoption name UCI_AnalyseMode value false\nsetoption name OwnBook value true", start,
         "go wtime 60000 btime 60000", "", -1, -1},
        {none, start, "go wtime 60000 btime 60000 searchmoves a2a3", "a2a3", 1},
        {"setoption name UCI_AnalyseMode value true", start, "go movetime 200", "", 1},
        {"setoption name UCI_AnalyseMode value false", start, "go movetime 200", "", -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.position + " / " + c.go);
        if (!c.options.empty()) e->send(c.options);
        e->send(c.position);
        syncReady(*e);
        const auto t0 = Clock::now();
        std::vector<std::string> lines;
        std::string best;
        if (c.go == "go infinite") {
            e->send(c.go);
            e->drain(300ms);
            best = searchMove(*e, "stop", &lines);
        } else {
            best = searchMove(*e, c.go, &lines);
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        ASSERT_NE(best, "");
        if (c.best.empty()) {
            EXPECT_TRUE(legalAfter(*e, c.position, best)) << best;
        } else {
            EXPECT_NE(("|" + c.best + "|").find("|" + best + "|"), std::string::npos) << best;
        }
        int depth = -1;
        std::string last;
        for (const std::string &l : lines)
            if (l.rfind("info depth ", 0) == 0) depth = std::atoi(l.c_str() + 11), last = l;
        EXPECT_GE(depth, c.minDepth) << last;
        EXPECT_LE(depth, c.maxDepth) << last;
    }
    EXPECT_EQ(countIn(e->lines(), "not supported"), 0);
    quitUci(*e);
}

// A search ends once, with one move, whatever arrives while it runs: "stop" (also a
// second one), "ponderhit", options, "isready", the end of the input.
TEST(UciEngine, StopPonderAndCommandsDuringASearch) {
    auto e = uciEngine();
    // Mate in one: the search settles it at once, yet the move must wait for "stop".
    e->send("position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1");
    e->send("go infinite");
    ASSERT_TRUE(e->waitForPrefix("info depth 1 ", 5s));
    auto asked = Clock::now();
    EXPECT_EQ(countLines(syncReady(*e), isBestMove), 0);
    EXPECT_LT(Clock::now() - asked, 500ms);
    e->drain(300ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 0);
    EXPECT_EQ(searchMove(*e, "stop"), "a1a8");
    e->send("stop");  // a second stop has no search to end
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 1);

    // A long search stopped from outside plays a legal move of its own.
    e->send("position startpos moves e2e4");
    e->send("go infinite");
    e->drain(300ms);
    const std::string stopped = searchMove(*e, "stop");
    EXPECT_TRUE(legalAfter(*e, "position startpos moves e2e4", stopped)) << stopped;

    // Ponder, budget about 1.1 s: pondering longer than that moves nothing, and the move
    // comes soon after ponderhit (well before a budget counted from ponderhit would end).
    e->send("position startpos moves e2e4 e7e5");
    e->send("go ponder wtime 40000 btime 40000");
    e->drain(1500ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 2);
    auto hit = Clock::now();
    EXPECT_NE(searchMove(*e, "ponderhit"), "");
    EXPECT_LT(Clock::now() - hit, 700ms);
    // Budget about 1.7 s, ponderhit at once: the search goes on, then moves in time.
    e->send("position startpos moves e2e4 e7e5 g1f3");
    e->send("go ponder wtime 60000 btime 60000");
    ASSERT_TRUE(e->waitForPrefix("info depth 1 ", 5s));
    hit = Clock::now();
    e->send("ponderhit");
    EXPECT_FALSE(e->waitFor(isBestMove, 150ms));
    ASSERT_TRUE(e->waitFor(isBestMove, 5s));
    EXPECT_LT(Clock::now() - hit, 3000ms);
    EXPECT_EQ(countLines(syncReady(*e), isBestMove), 0);
    // A stopped ponder search prints its move and nothing else.
    e->send("position startpos moves d2d4");
    e->send("go ponder wtime 60000 btime 60000");
    e->drain(300ms);
    EXPECT_NE(searchMove(*e, "stop"), "");
    EXPECT_EQ(syncReady(*e), std::vector<std::string>{});
    // Mate in one ends a ponder search by itself; the move waits for ponderhit.
    e->send("position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1");
    e->send("go ponder wtime 60000 btime 60000");
    e->drain(400ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 5);
    hit = Clock::now();
    EXPECT_EQ(searchMove(*e, "ponderhit"), "a1a8");
    EXPECT_LT(Clock::now() - hit, 500ms);

    // ponderhit means nothing to an infinite search; options and isready are answered
    // during one, which ends once, and the next search runs with what was set.
    e->send("position startpos moves e2e4");
    e->send("go infinite");
    e->send("ponderhit");
    e->drain(300ms);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 6);
    e->send("setoption name Hash value 16");
    e->send("setoption name Threads value 2");
    e->send("isready");
    e->send("setoption name Clear Hash");
    asked = Clock::now();
    e->send("isready");
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    EXPECT_LT(Clock::now() - asked, 1s);
    e->send("stop");
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 7);
    EXPECT_NE(searchMove(*e, "go depth 5"), "");
    e->send("go infinite");
    e->drain(100ms);
    e->send("isready");
    e->send("ponderhit");
    e->send("stop");
    e->send("stop");
    ASSERT_TRUE(e->waitFor(isReady, 5s));
    syncReady(*e);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 9);

    // The end of the input ends a running search, with its move.
    e->send("go infinite");
    e->drain(200ms);
    e->closeInput();
    EXPECT_EQ(e->waitExit(5s), 0);
    EXPECT_EQ(countLines(e->lines(), isBestMove), 10);
}

// On two threads, after a search that left the helper's counters high: node counts only
// grow within the next search; each iteration shows its time, speed and hash fill.
TEST(UciEngine, InfoLinesOnTwoThreads) {
    auto e = uciEngine();
    e->send("setoption name Threads value 2");
    searchMove(*e, "go depth 9");
    e->send("position startpos moves e2e4");
    std::vector<std::string> lines, iterations;
    ASSERT_NE(searchMove(*e, "go depth 7", &lines), "");
    long long nodes = 0;
    for (const std::string &l : lines) {
        if (field(l, "nodes") < 0) continue;
        EXPECT_GE(field(l, "nodes"), nodes) << l;
        nodes = field(l, "nodes");
        if (l.rfind("info depth ", 0) == 0) iterations.push_back(l);
    }
    ASSERT_GE(iterations.size(), 7u);
    for (const std::string &l : iterations) {
        EXPECT_EQ(field(l, "tbhits"), 0) << l;
        EXPECT_GE(field(l, "hashfull"), 0) << l;
        EXPECT_LE(field(l, "hashfull"), 1000) << l;
        const long long ms = field(l, "time");
        EXPECT_GE(ms, 0) << l;
        if (ms > 0) {
            EXPECT_NEAR(double(field(l, "nps")), double(field(l, "nodes")) * 1000 / double(ms), 1.0) << l;
        }
    }
    EXPECT_GT(field(iterations.back(), "hashfull"), 0) << iterations.back();
    // The whole search's totals come once, from the main thread alone.
    const auto isTotals = [](const std::string &l) { return l.rfind("info nodes ", 0) == 0; };
    EXPECT_EQ(countLines(lines, isTotals) + countLines(syncReady(*e), isTotals), 1);
    // A node limit ends both threads' search soon after the count (the helper runs on while
    // thread 0 waits for a core); one thread stops at it exactly (sessions/03_searches.txt).
    ASSERT_NE(searchMove(*e, "go nodes 150000", &lines), "");
    EXPECT_GE(field(lines[lines.size() - 2], "nodes"), 150000) << lines[lines.size() - 2];
    EXPECT_LE(field(lines[lines.size() - 2], "nodes"), 350000) << lines[lines.size() - 2];
    quitUci(*e);
}

TEST(UciEngine, BenchKeepsTheSearchSignature) {
    for (const bool asArgument : {true, false}) {
        auto e = asArgument ? std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, std::vector<std::string>{"bench"})
                            : uciEngine();
        if (!asArgument) e->send("bench");
        // The summary line: the only one with " nodes " that is not an "info" line.
        auto summary = [](const std::string &x) { return x.find(" nodes ") != std::string::npos && x.rfind("info", 0); };
        const auto last = e->waitFor(summary, 120s);
        ASSERT_TRUE(last);
        EXPECT_EQ(last->rfind("7214206 nodes ", 0), 0u) << *last;
        EXPECT_EQ(last->substr(last->size() - 4), " nps");
        if (asArgument) EXPECT_EQ(e->waitExit(), 0);
        else quitUci(*e);
    }
}
