// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Whole searches: stops, full history stack, time-outs, two threads; mate-distance nodes.
#include <gtest/gtest.h>

#include <thread>

#include "search/basic_interface.h"
#include "search/node.h"
#include "tests/search/search_support.h"
#include "tests/test_support.h"

namespace {

const char *MIDDLEGAME = "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7";

// "M3" is a mate in 3 plies, "-M2" mated in 2.
int scoreOf(const std::string &text) {
    if (text == "-inf") return -INFINITE_SCORE;
    if (text[0] == 'M') return MATE_SCORE - std::stoi(text.substr(1));
    if (text.starts_with("-M")) return std::stoi(text.substr(2)) - MATE_SCORE;
    return std::stoi(text);
}

TEST(Search, StopsAtMatesForcedMovesAndDraws) {
    for (const CaseFields &c : readCases("search/stops.txt")) {
        SearchFixture f;
        const SearchResult r = f.search(c[0].c_str(), 12);
        const std::string played = moveText(r.bestMove);
        if (c[1] == "-") {
            EXPECT_EQ(r.bestMove, NO_MOVE) << c[0];
            EXPECT_EQ(f.player.reports, 1) << c[0];
            EXPECT_EQ(f.player.lastPv.length, 0) << c[0];
        } else if (c[1] != "*") {
            EXPECT_EQ(played, c[1]) << c[0];
        }
        EXPECT_EQ(f.player.lastScore, scoreOf(c[2])) << c[0];
        EXPECT_LE(f.player.lastDepth, std::stoi(c[3])) << c[0];
        std::string stops;
        for (char ch : c[4]) stops += ch == '*' ? played : ch == ';' ? "\n" : std::string(1, ch);
        EXPECT_EQ(f.player.stops, stops.empty() ? stops : stops + "\n") << c[0];
        EXPECT_EQ(f.player.finished, 1) << c[0];
    }
}

// A game long enough to fill the history stack: the search must stay inside it.
TEST(Search, HistoryStackIsNeverOverrun) {
    for (uint32_t index : {HISTORY_SIZE - 8u, HISTORY_SIZE - 1u}) {
        SearchFixture f;
        Board_BB64 &game = f.board(MIDDLEGAME);
        game.history[index] = game.history[0];
        game.historyIndex = index;
        f.limits.fixedDepth = true;
        f.limits.maxDepth = 6;
        const SearchResult r = iterativeDeepening(*f.state, game);
        EXPECT_EQ(f.state->board.historyIndex, index);
        EXPECT_EQ(f.state->board.key(), game.key());
        EXPECT_EQ(f.player.finished, 1);
        // With room for a few plies the search still plays; with none it cannot.
        EXPECT_EQ(r.bestMove != NO_MOVE, index + 1 < HISTORY_SIZE) << index;
    }
}

TEST(SearchNodes, MateDistanceWindowMatesAndQuiescence) {
    SearchFixture f;
    SearchState &st = *f.state;
    PrincipalVariation pv;
    // At ply 5 no score above 31994 is possible: the window (31996, 32000) is empty.
    st.board = f.board("r3k3/8/8/8/8/8/8/4K2R w - - 0 1");
    EXPECT_EQ(searchNode<WHITE>(st, 31996, 32000, 5, 3, pv), 31996);
    // Against a bare king nobody can be mated: alpha rises to -1, beta -1 is empty.
    st.board = f.board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(mateBounds(st.board, 3).low, 0);
    EXPECT_EQ(mateBounds(st.board, 3).high, MATE_SCORE - 1 - 3);
    EXPECT_EQ(searchNode<WHITE>(st, -50, -1, 0, 3, pv), -1);
    // Mated at ply 4; stalemated.
    st.board = f.board("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    CheckInfo info;
    computeCheckInfo(st.board, info);
    EXPECT_EQ(searchInCheck<BLACK>(st, info.checkers, -INFINITE_SCORE, INFINITE_SCORE, 4, 0, 1, pv), -31996);
    st.board = f.board("k7/8/1Q6/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(searchNode<BLACK>(st, -INFINITE_SCORE, INFINITE_SCORE, 4, 2, pv), 0);
    // Quiescence: the only capture loses the bishop, so the static evaluation stands.
    st.board = f.board("4k3/8/2p5/3p4/8/8/6B1/4K3 w - - 0 1");
    st.stats.reset();
    const int eval = evaluate(st.board, st.eval, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_EQ(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 1, pv), eval);
    EXPECT_EQ(st.stats.qsNodes.load(), 1u);
    // A quiet check that mates is found only while quiet checks are still allowed.
    st.board = f.board("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    EXPECT_EQ(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 0, pv), MATE_SCORE - 1);
    EXPECT_EQ(pv.first(), makeMove(3, 59));
    EXPECT_LT(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 1, pv), MATE_BOUND);
}

// Answers "time is up" after a given number of calls; with a state, raises an abort instead.
struct CountdownInterface : RecordingInterface {
    CountdownInterface(int calls, SearchState *aborts = nullptr) : left(calls), state(aborts) {}
    bool timeOut() override {
        if (!state) return --left < 0;
        if (--left == 0) state->abort.store(true), state->requestStop();
        return false;
    }
    int left;
    SearchState *state;
};

TEST(Search, TimeOutKeepsTheBestMoveOfFinishedWorkAndAbortIsMarked) {
    SearchFixture f;
    f.board(MIDDLEGAME);
    CountdownInterface clock(20000);
    f.state->player = &clock;
    const SearchResult r = iterativeDeepening(*f.state, *f.game);
    EXPECT_NE(r.bestMove, NO_MOVE);
    EXPECT_TRUE(f.state->stopped());
    EXPECT_LT(clock.left, 0);
    EXPECT_EQ(clock.finished, 1);

    // Analysis (untimed) ends only when stopped; its best line still comes back.
    CountdownInterface analysis(20000);
    f.state->player = &analysis;
    f.limits.softMs = f.limits.hardMs = NO_TIME_LIMIT;
    const SearchResult untimed = iterativeDeepening(*f.state, *f.game);
    EXPECT_NE(untimed.bestMove, NO_MOVE);
    EXPECT_FALSE(untimed.aborted);
    EXPECT_GT(analysis.reports, 0);

    // An abort raised from outside while the search runs: the result says so.
    f.limits.softMs = f.limits.hardMs = 0;
    CountdownInterface aborting(5000, f.state.get());
    f.state->player = &aborting;
    EXPECT_TRUE(iterativeDeepening(*f.state, *f.game).aborted);
}

// Two threads on one table (TSan runs this): results shared through it, stop on request.
TEST(Threads, HelperSharesTheTableAndStopsOnRequest) {
    const char *helperFen = "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
    SearchFixture main;
    auto helperGame = std::make_unique<Board_BB64>();
    ASSERT_TRUE(helperGame->setFromFEN(helperFen));
    auto helper = std::make_unique<SearchState>();
    SearchLimits helperLimits;
    BasicSearchInterface silent;
    helper->threadIndex = 1;
    helper->tt = main.tt.get();
    helper->eval.pawns = main.pawnHash.get();
    helper->limits = &helperLimits;
    helper->player = &silent;

    SearchResult helperResult{makeMove(1, 2), NO_MOVE};
    std::thread worker([&] { helperResult = iterativeDeepening(*helper, *helperGame); });
    const SearchResult r = main.search(MIDDLEGAME, 7);
    // Past its first iteration, which stores the helper's root.
    for (int i = 0; i < 10000 && helper->stats.nodes.load() < 20000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    helper->requestStop();
    worker.join();
    EXPECT_NE(r.bestMove, NO_MOVE);
    EXPECT_EQ(helperResult.bestMove, NO_MOVE);  // helpers' moves are discarded
    int score = 0;
    Move move = NO_MOVE;
    bool found = false;
    main.tt->probe(*helperGame, -INFINITE_SCORE, INFINITE_SCORE, 0, 1, score, move, found);
    EXPECT_TRUE(found);
}

}  // namespace
