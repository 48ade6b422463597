// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI engine as a GUI sees it: a live grelvin-uci process, commands on its input,
// lines read back with deadlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>

#include "board/board.h"
#include "board/movegen.h"
#include "engine/settings.h"
#include "tests/uci/uci_session.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whether text is a legal move in the position of fen after the given moves.
bool legalAfter(const std::string &fen, const std::vector<std::string> &moves, const std::string &text) {
    auto b = std::make_unique<Board_BB64>();
    if (!b->setFromFEN(fen.c_str())) return false;
    for (const std::string &m : moves)
        if (!playMoveText(*b, m)) return false;
    Move m = NO_MOVE;
    return textToMove(*b, text.c_str(), m);
}

TEST(UciEngine, HandshakeListsEveryOptionOfTheTable) {
    auto e = uciEngine();
    e->send("uci");
    ASSERT_TRUE(e->waitForLine("uciok"));
    const std::vector<std::string> &l = e->lines();
    auto has = [&](const std::string &line) { return std::find(l.begin(), l.end(), line) != l.end(); };
    EXPECT_EQ(l[0].rfind("id name GrelvinBB ", 0), 0u) << l[0];
    EXPECT_EQ(l[1], "id author GrelvinBB developers");
    for (const Setting &s : SETTINGS) {
        if (!s.uciName) continue;
        const std::string prefix = std::string("option name ") + s.uciName + " type ";
        EXPECT_EQ(std::count_if(l.begin(), l.end(), [&](const std::string &x) { return x.rfind(prefix, 0) == 0; }), 1)
            << s.uciName;
    }
    // Small tables by default (an interface may run many engines at once); up to 64 GiB.
    EXPECT_TRUE(has("option name Hash type spin default 16 min 1 max 65536"));
    EXPECT_TRUE(has("option name PawnHash type spin default 2 min 1 max 2048"));
    const std::string threadsMax = std::to_string(settingMax(setting(THREADS)));
    EXPECT_TRUE(has("option name Threads type spin default 1 min 1 max " + threadsMax));
    EXPECT_TRUE(has("option name OwnBook type check default false"));
    EXPECT_TRUE(has("option name BookFile type string default book.bin"));
    // No Gaviota tables until an interface names a folder (Windows keeps C:/gtb).
    EXPECT_TRUE(has(std::string("option name GaviotaTbPath type string default ") +
                    (*UCI_GTB_PATH ? UCI_GTB_PATH : SYZYGY_NO_PATH)));
    EXPECT_TRUE(has("option name Clear Hash type button"));
    // Nothing of the other protocol's comment lines, not even from the tables.
    e->send("ucinewgame");
    e->send("setoption name Clear Hash");
    for (const std::string &line : syncReady(*e)) ADD_FAILURE() << line;
    for (const std::string &line : l) EXPECT_NE(line.rfind("#", 0), 0u) << line;
    quit(*e);
}

TEST(UciEngine, InfiniteSearchAnswersAtOnceAndMovesOnlyAfterStop) {
    auto e = uciEngine();
    // Mate in one: the search settles it at once, yet the move must wait for "stop".
    e->send("position fen 7k/8/6K1/8/8/8/8/R7 w - - 0 1");
    e->send("go infinite");
    ASSERT_TRUE(e->waitForPrefix("info depth 1 ", 5s));
    const auto asked = Clock::now();
    for (const std::string &line : syncReady(*e)) EXPECT_FALSE(isBestMove(line)) << line;
    EXPECT_LT(Clock::now() - asked, 500ms);
    e->drain(300ms);
    for (size_t i = 0; i < e->lines().size(); ++i) EXPECT_FALSE(isBestMove(e->lines()[i])) << e->lines()[i];
    e->send("stop");
    const auto best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_EQ(*best, "bestmove a1a8");
    e->send("stop");  // a second stop has no search to end
    syncReady(*e);
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isBestMove), 1);

    // A long search stopped from outside plays a legal move of its own.
    e->send("position startpos moves e2e4");
    e->send("go infinite");
    e->drain(300ms);
    e->send("isready");
    EXPECT_TRUE(e->waitForLine("readyok", 500ms));
    e->send("stop");
    const auto second = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(second);
    EXPECT_TRUE(legalAfter(START_FEN, {"e2e4"}, bestMoveOf(*second))) << *second;
    syncReady(*e);
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isBestMove), 2);
    quit(*e);
}

TEST(UciEngine, FixedDepthReportsEachIterationAndMoves) {
    auto e = uciEngine();
    e->send("position startpos");
    e->send("go depth 5");
    const auto best = e->waitFor(isBestMove, 20s);
    ASSERT_TRUE(best);
    EXPECT_TRUE(legalAfter(START_FEN, {}, bestMoveOf(*best))) << *best;
    const auto &l = e->lines();
    const auto depth5 =
        std::find_if(l.begin(), l.end(), [](auto &x) { return x.rfind("info depth 5 seldepth ", 0) == 0; });
    ASSERT_NE(depth5, l.end());
    EXPECT_NE(depth5->find(" multipv 1 score cp "), std::string::npos) << *depth5;
    EXPECT_NE(depth5->find(" nodes "), std::string::npos);
    EXPECT_NE(depth5->find(" pv " + bestMoveOf(*best)), std::string::npos) << *depth5;
    EXPECT_EQ(std::count_if(l.begin(), l.end(), [](auto &x) { return x.rfind("info depth 6", 0) == 0; }), 0);
    quit(*e);
}

TEST(UciEngine, TimedSearchesEndWithinTheirTime) {
    auto e = uciEngine();
    const std::vector<std::string> moves{"e2e4", "c7c5", "g1f3", "d7d6"};
    e->send("position startpos moves e2e4 c7c5 g1f3 d7d6");
    auto start = Clock::now();
    e->send("go movetime 200");
    auto best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_GT(Clock::now() - start, 100ms);
    EXPECT_TRUE(legalAfter(START_FEN, moves, bestMoveOf(*best))) << *best;

    // Black to move with a second on the clock.
    e->send("position startpos moves e2e4");
    start = Clock::now();
    e->send("go wtime 1000 btime 1000");
    best = e->waitFor(isBestMove, 5s);
    ASSERT_TRUE(best);
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_TRUE(legalAfter(START_FEN, {"e2e4"}, bestMoveOf(*best))) << *best;

    // Clocks that once searched without end, or could: each is answered at once.
    for (const char *go : {"go wtime 1000", "go wtime 1000 winc 100", "go btime 0", "go wtime -100 btime -100",
                           "go movestogo 0 btime 300", "go winc 100 binc 100", "go movestogo 5",
                           "go btime 1000 movestogo 99999999999999999999", "go movetime 0", "go movetime -5"}) {
        e->send("position startpos moves e2e4");
        e->send(go);
        best = e->waitFor(isBestMove, 5s);
        ASSERT_TRUE(best) << go;
        EXPECT_TRUE(legalAfter(START_FEN, {"e2e4"}, bestMoveOf(*best))) << go << ": " << *best;
    }
    quit(*e);
}

TEST(UciEngine, EndOfGamePositions) {
    auto e = uciEngine();
    e->send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    e->send("go depth 4");
    auto best = e->waitFor(isBestMove, 10s);
    ASSERT_TRUE(best);
    EXPECT_EQ(*best, "bestmove a1a8");
    EXPECT_TRUE(std::any_of(e->lines().begin(), e->lines().end(),
                            [](auto &x) { return x.find("score mate 1 ") != std::string::npos; }));
    // Without a legal move: a stalemate is a draw, not a mate.
    for (const auto &[fen, score] : {std::pair{"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", " score cp 0 "},
                                     std::pair{"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", " score mate 0 "}}) {
        e->send(std::string("position fen ") + fen);
        const size_t from = e->lines().size();
        e->send("go movetime 100");
        best = e->waitFor(isBestMove, 5s);
        ASSERT_TRUE(best) << fen;
        EXPECT_EQ(*best, "bestmove 0000") << fen;
        const auto lines = std::span(e->lines()).subspan(from);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](auto &x) {
            return x.rfind("info depth 0 ", 0) == 0 && x.find(score) != std::string::npos;
        })) << fen << ::testing::PrintToString(e->lines());
    }
    quit(*e);
}

TEST(UciEngine, BadInputIsReportedAndChangesNothing) {
    auto e = uciEngine();
    e->send("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves e2e4 e2e4");
    // The moves go into the game record (the move number counts them), so that the
    // search sees the repetitions they hold.
    e->send("position startpos moves e2e4 g8f6 g1f3 f6g8 f3g1");
    // A refused FEN leaves nothing to search, never the game before it.
    e->send("position fen 8/8/8/8/8/8/8/8 w - - 0 1");
    e->send("go depth 3");
    e->send("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves e2e4 e7e5");
    e->send("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNZ w KQkq - 0 1");
    e->send("go wtime 1000 btime 1000");
    e->send("setoption name NoSuchOption value 3");
    e->send("setoption name Hash value -5");
    e->send("setoption name OwnBook value perhaps");
    e->send("frobnicate");
    e->send("d");
    const std::vector<std::string> out = syncReady(*e);
    auto count = [&](const std::string &part) {
        return std::count_if(out.begin(), out.end(), [&](auto &x) { return x.find(part) != std::string::npos; });
    };
    EXPECT_EQ(count("info string position refused, not a legal position: 8/8/8/8/8/8/8/8 w - - 0 1"), 1);
    EXPECT_EQ(count("info string position refused, bad FEN rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNZ"), 1);
    EXPECT_EQ(count("info string no position to search: "), 2);
    EXPECT_EQ(count("bestmove 0000"), 2);
    EXPECT_EQ(count("bestmove"), 2);
    EXPECT_EQ(count("info string illegal move e2e4"), 1);
    EXPECT_EQ(count("info string unknown option: NoSuchOption"), 1);
    EXPECT_EQ(count("info string Hash set to 1,"), 1);
    EXPECT_EQ(count("info string OwnBook: true or false expected"), 1);
    EXPECT_EQ(count("info string unknown command: frobnicate"), 1);
    // The move number goes on from the FEN's across the irreversible moves that the game
    // record leaves out; a move number 0, as some tools write it, reads as 1.
    const std::pair<const char *, const char *> numbered[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 35 moves e8d8 e2e3 d8e8 e3e4 e8d8", "3k4/8/8/8/4P3/8/8/4K3 w - - 1 38"},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 0 moves e2e4", "4k3/8/8/8/4P3/8/8/4K3 b - - 0 1"},
    };
    for (const auto &[position, fen] : numbered) {
        e->send(std::string("position fen ") + position);
        e->send("d");
        const std::vector<std::string> later = syncReady(*e);
        EXPECT_EQ(std::count(later.begin(), later.end(), std::string("Fen: ") + fen), 1)
            << ::testing::PrintToString(later);
    }
    quit(*e);
}

// A NUL byte or another control character never joins two commands, option names
// and values match whatever blanks stand between their words, and a FEN short of its
// trailing fields takes their defaults.
TEST(UciEngine, StrayBytesBlanksAndShortFens) {
    auto e = uciEngine();
    e->send(std::string("uci\0", 4));
    e->send("isready");
    ASSERT_TRUE(e->waitForLine("readyok"));
    EXPECT_TRUE(std::count(e->lines().begin(), e->lines().end(), "uciok") == 1);
    e->send(std::string("isready\x01", 8));
    e->send(std::string("\0isready\risready", 17));
    e->send("setoption  name  Move \t Overhead  value  250");
    e->send("setoption name MultiPV value 3");
    e->send("position fen 7k/8/8/8/8/8/8/K6R b");
    e->send("d");
    e->send("position fen 4k3/8/8/8/8/8/8/4K2R w K - 9 moves e1g1");
    e->send("d");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(e->waitForLine("readyok")) << i;
    const std::vector<std::string> out = syncReady(*e);
    // Only "uci" has something to say: which copy of the engine's code runs.
    for (const std::string &line : e->lines())
        EXPECT_TRUE(line.find("info string") == std::string::npos || line.rfind("info string code for ", 0) == 0) << line;
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(),
                            [](const std::string &x) { return x.rfind("info string code for ", 0) == 0; }), 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), "Fen: 7k/8/8/8/8/8/8/K6R b - - 0 1"), 1)
        << ::testing::PrintToString(out);
    EXPECT_EQ(std::count(out.begin(), out.end(), "Fen: 4k3/8/8/8/8/8/8/5RK1 b - - 10 1"), 1)
        << ::testing::PrintToString(out);
    e->send("go depth 3");
    ASSERT_TRUE(e->waitFor(isBestMove, 10s));
    const auto &l = e->lines();
    EXPECT_TRUE(std::any_of(l.begin(), l.end(), [](auto &x) { return x.find("multipv 3") != std::string::npos; }));
    quit(*e);
}

TEST(UciEngine, EndOfInputEndsARunningSearch) {
    auto e = uciEngine();
    e->send("go infinite");
    e->drain(200ms);
    e->closeInput();
    EXPECT_EQ(e->waitExit(5s), 0);
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isBestMove), 1);
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
        else quit(*e);
    }
}

}  // namespace

// The developer commands: perft in both spellings on the game position, and the
// evaluation printout; a depth of 0 is refused with a note.
TEST(UciEngineTools, PerftAndEvalOnTheGamePosition) {
    auto e = uciEngine();
    e->send("position startpos moves e2e4");
    e->send("perft 2");
    EXPECT_TRUE(e->waitForLine("Total leaves: 600"));
    e->send("go perft 3");
    EXPECT_TRUE(e->waitForLine("Total leaves: 13160"));
    EXPECT_TRUE(e->waitForPrefix("info string perft 3: 13160 nodes, ", 5s));
    e->send("perft 0");
    EXPECT_TRUE(e->waitForPrefix("info string perft needs a depth"));
    e->send("eval");
    EXPECT_TRUE(e->waitForLine("info string Side to move: white 0 0 (0) black 24 0 (24) total -24"));
    EXPECT_TRUE(e->waitForPrefix("info string phase 24 scaling 1.00 evaluation "));
    quit(*e);
}
