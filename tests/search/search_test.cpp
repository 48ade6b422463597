// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Whole searches: mates found at their distance, the stopping rules with their
// lines, positions without a move, determinism, and single nodes at the edges of
// the mate-distance window.
#include <gtest/gtest.h>

#include "search/node.h"
#include "tests/search/search_support.h"

namespace {

struct MateCase {
    const char *fen;
    int plies;
    const char *move;
};

// Mates in 1, 2 and 3 moves; each distance is checked by exhaustive search as well.
const MateCase MATES[] = {
    {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 1, "d1d8"},
    {"6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1", 3, nullptr},
    {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 3, nullptr},
    {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 5, nullptr},
};

TEST(Search, FindsMatesAtTheirDistanceAndStops) {
    for (const MateCase &c : MATES) {
        SearchFixture f;
        ASSERT_EQ(forcedMatePlies(f.board(c.fen), 5), c.plies) << c.fen;
        const SearchResult r = f.search(c.fen, 12);
        EXPECT_EQ(f.player.lastScore, MATE_SCORE - c.plies) << c.fen;
        // Check extensions may prove the mate an iteration early; either way the search
        // stops there instead of running to depth 12.
        EXPECT_LE(f.player.lastDepth, c.plies) << c.fen;
        char text[6];
        moveToText(r.bestMove, text);
        const std::string line = "# forced mate in " + std::to_string(c.plies) + " plies: " + text + "\n";
        EXPECT_NE(f.output.find(line), std::string::npos) << c.fen << "\n" << f.output;
        if (c.move) {
            EXPECT_STREQ(text, c.move);
        }
    }
}

TEST(Search, GettingMatedIsReported) {
    SearchFixture f;
    // Whatever Black plays, Rb1-a1 mates.
    const char *fen = "k7/2K4p/8/8/8/8/8/1R6 b - - 0 1";
    const SearchResult r = f.search(fen, 12);
    EXPECT_NE(r.bestMove, NO_MOVE);
    EXPECT_EQ(f.player.lastScore, -(MATE_SCORE - 2)) << f.output;
    EXPECT_NE(f.output.find("# getting mated in 2 plies: "), std::string::npos) << f.output;
}

TEST(Search, SingleLegalMoveIsPlayedAfterDepthOne) {
    SearchFixture f;
    // Ka7 is forced and Ra2 mates: depth 1 ends the search for both reasons, and both
    // lines are printed, in the order of the rules.
    const SearchResult r = f.search("k7/8/8/8/8/8/1R6/1R5K b - - 0 1", 20);
    char text[6];
    moveToText(r.bestMove, text);
    EXPECT_STREQ(text, "a8a7");
    const size_t forced = f.output.find("# forced move: a8a7\n");
    const size_t mated = f.output.find("# getting mated in 2 plies: a8a7\n");
    ASSERT_NE(forced, std::string::npos) << f.output;
    ASSERT_NE(mated, std::string::npos) << f.output;
    EXPECT_LT(forced, mated);
    EXPECT_EQ(f.player.lastDepth, 1);
}

TEST(Search, RootWithoutMovesReportsOnceAndReturnsNothing) {
    SearchFixture f;
    const SearchResult stalemate = f.search("k7/8/1Q6/8/8/8/8/7K b - - 0 1", 5);
    EXPECT_EQ(stalemate.bestMove, NO_MOVE);
    EXPECT_EQ(f.player.reports, 1);
    EXPECT_EQ(f.player.lastDepth, 0);
    EXPECT_EQ(f.player.lastScore, -INFINITE_SCORE);
    EXPECT_EQ(f.player.lastPv.length, 0);
    EXPECT_EQ(f.player.finished, 1);

    const SearchResult mated = f.search("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 5);
    EXPECT_EQ(mated.bestMove, NO_MOVE);
}

TEST(Search, BareKingThatCanOnlyDrawEndsWithForcedDraw) {
    SearchFixture f;
    const SearchResult r = f.search("8/8/8/3k4/3P4/8/8/7K b - - 0 1", 20);
    char text[6];
    moveToText(r.bestMove, text);
    EXPECT_STREQ(text, "d5d4");
    EXPECT_NE(f.output.find("# forced draw: d5d4\n"), std::string::npos) << f.output;
    EXPECT_EQ(f.player.lastScore, 0);
}

TEST(Search, SameSearchTwiceFromFreshTablesIsIdentical) {
    const char *fen = "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7";
    SearchFixture a, b;
    const SearchResult ra = a.search(fen, 7);
    const SearchResult rb = b.search(fen, 7);
    EXPECT_EQ(ra.bestMove, rb.bestMove);
    EXPECT_EQ(ra.ponderMove, rb.ponderMove);
    EXPECT_EQ(a.player.lastScore, b.player.lastScore);
    EXPECT_EQ(a.state->stats.nodes.load(), b.state->stats.nodes.load());
    EXPECT_GT(a.state->stats.nodes.load(), 1000u);
    // The game board is left as it was: the search works on its own copy.
    Board_BB64 fresh;
    fresh.setFromFEN(fen);
    char before[128], after[128];
    fresh.toFEN(before);
    a.game->toFEN(after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(a.game->key(), fresh.key());
}

// A game long enough to fill the history stack: the search must stay inside it.
TEST(Search, HistoryStackIsNeverOverrun) {
    const char *fen = "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7";
    for (uint32_t index : {HISTORY_SIZE - 8u, HISTORY_SIZE - 1u}) {
        SearchFixture f;
        Board_BB64 &game = f.board(fen);
        game.history[index] = game.history[0];
        game.historyIndex = index;
        f.limits.fixedDepth = true;
        f.limits.maxDepth = 6;
        testing::internal::CaptureStdout();
        const SearchResult r = iterativeDeepening(*f.state, game);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(f.state->board.historyIndex, index);
        EXPECT_EQ(f.state->board.key(), game.key());
        EXPECT_EQ(f.player.finished, 1);
        // With room for a few plies the search still plays; with none it cannot.
        if (index + 1 < HISTORY_SIZE) {
            EXPECT_NE(r.bestMove, NO_MOVE) << index;
        } else {
            EXPECT_EQ(r.bestMove, NO_MOVE);
        }
    }
}

TEST(SearchNodes, MateDistanceWindow) {
    SearchFixture f;
    SearchState &st = *f.state;
    st.board = f.board("r3k3/8/8/8/8/8/8/4K2R w - - 0 1");
    PrincipalVariation pv;
    // At ply 5 no score above 31994 is possible: the window (31996, 32000) is empty.
    EXPECT_EQ(searchNode<WHITE>(st, 31996, 32000, 5, 3, pv), 31996);

    // Against a bare king nobody can be mated: alpha rises to -1, beta -1 is empty.
    st.board = f.board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(mateBounds(st.board, 3).low, 0);
    EXPECT_EQ(mateBounds(st.board, 3).high, MATE_SCORE - 1 - 3);
    EXPECT_EQ(searchNode<WHITE>(st, -50, -1, 0, 3, pv), -1);
}

TEST(SearchNodes, CheckmateAndStalemateScores) {
    SearchFixture f;
    SearchState &st = *f.state;
    st.board = f.board("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    CheckInfo info;
    computeCheckInfo(st.board, info);
    PrincipalVariation pv;
    EXPECT_EQ(searchInCheck<BLACK>(st, info.checkers, -INFINITE_SCORE, INFINITE_SCORE, 4, 0, 1, pv), -31996);

    st.board = f.board("k7/8/1Q6/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(searchNode<BLACK>(st, -INFINITE_SCORE, INFINITE_SCORE, 4, 2, pv), 0);
}

TEST(SearchNodes, QuiescenceStandsPatAndTriesOneQuietCheck) {
    SearchFixture f;
    SearchState &st = *f.state;
    PrincipalVariation pv;
    // The only capture loses the bishop: the static evaluation stands.
    st.board = f.board("4k3/8/2p5/3p4/8/8/6B1/4K3 w - - 0 1");
    const int eval = evaluate(st.board, *f.pawnHash, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_EQ(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 1, pv), eval);
    EXPECT_EQ(st.stats.qsNodes.load(), 1u);

    // A quiet check that mates is found only while quiet checks are still allowed.
    st.board = f.board("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    EXPECT_EQ(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 0, pv), MATE_SCORE - 1);
    EXPECT_EQ(pv.first(), makeMove(3, 59));
    EXPECT_LT(quiesce<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 0, 1, pv), MATE_BOUND);
}

// Answers "time is up" after a given number of calls.
class CountdownInterface : public RecordingInterface {
public:
    explicit CountdownInterface(int calls) : left(calls) {}
    bool timeOut() override { return --left < 0; }
    int left;
};

TEST(Search, TimeOutKeepsTheBestMoveOfFinishedWorkAndAbortIsMarked) {
    SearchFixture f;
    CountdownInterface clock(20000);
    f.state->player = &clock;
    f.board("r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7");
    f.limits.fixedDepth = false;
    testing::internal::CaptureStdout();
    const SearchResult r = iterativeDeepening(*f.state, *f.game);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(r.bestMove, NO_MOVE);
    EXPECT_TRUE(f.state->stopped());
    EXPECT_LT(clock.left, 0);
    EXPECT_EQ(clock.finished, 1);

    // Analysis (untimed) ends only when stopped; its best line still comes back (the
    // face decides not to play it).
    CountdownInterface analysis(20000);
    f.state->player = &analysis;
    f.limits.softMs = f.limits.hardMs = NO_TIME_LIMIT;
    testing::internal::CaptureStdout();
    const SearchResult untimed = iterativeDeepening(*f.state, *f.game);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(untimed.bestMove, NO_MOVE);
    EXPECT_FALSE(untimed.aborted);
    EXPECT_GT(analysis.reports, 0);
    f.limits.softMs = f.limits.hardMs = 0;

    // An abort raised from outside while the search runs: the result says so.
    struct AbortingInterface : CountdownInterface {
        AbortingInterface(SearchState &s) : CountdownInterface(5000), state(s) {}
        bool timeOut() override {
            if (--left == 0) state.abort.store(true), state.requestStop();
            return false;
        }
        SearchState &state;
    } aborting(*f.state);
    f.state->player = &aborting;
    testing::internal::CaptureStdout();
    const SearchResult aborted = iterativeDeepening(*f.state, *f.game);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(aborted.aborted);
}

}  // namespace
