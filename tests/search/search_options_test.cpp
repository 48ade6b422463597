// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Several lines, a restricted root, a mate target, and the bounds of the reported lines.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "search/bench_positions.h"
#include "tests/search/search_support.h"

namespace {

// Keeps every line the search reports, as well as what the plain interface sees.
struct LineRecorder : RecordingInterface {
    struct Line {
        LineReport report;
        PrincipalVariation pv;
    };
    void reportLine(const LineReport &r) override {
        lines.push_back({r, *r.pv});
        RecordingInterface::reportLine(r);
    }
    std::vector<Line> lines;
};

struct Searched {
    SearchResult result;
    uint64_t nodes;
    std::string best;
};

Searched searchWith(const char *fen, int depth, const SearchOptions &options, LineRecorder *recorder = nullptr) {
    SearchFixture f;
    if (recorder) f.state->player = recorder;
    f.limits.options = options;
    const SearchResult r = f.search(fen, depth);
    return {r, f.state->stats.nodes.load(), moveText(r.bestMove)};
}

// White wins the queen with Bxg5; nothing else comes close.
const char *QUEEN_FEN = "r1b1kbnr/pppp1ppp/2n5/4p1q1/4P3/3P4/PPP2PPP/RNBQKBNR w KQkq - 0 1";
// Mate in two moves (three plies) and nothing shorter.
const char *MATE_FEN = "k7/8/2K5/8/8/8/8/7R w - - 0 1";

TEST(SearchOptions, OneLineIsThePlainSearch) {
    for (int i : {0, 1, 4, 16}) {
        const char *fen = BENCH_FENS[i];
        const Searched plain = searchWith(fen, 7, SearchOptions{}), single = searchWith(fen, 7, {.multiPv = 1});
        EXPECT_EQ(single.nodes, plain.nodes) << fen;
        EXPECT_EQ(single.result.bestMove, plain.result.bestMove) << fen;
        EXPECT_EQ(single.result.score, plain.result.score) << fen;
        // The option is read at all: more lines cost more nodes.
        EXPECT_GT(searchWith(fen, 7, {.multiPv = 3}).nodes, plain.nodes) << fen;
    }
}

TEST(SearchOptions, SeveralLinesBestFirstWithDistinctMoves) {
    const Searched plain = searchWith(QUEEN_FEN, 6, SearchOptions{});
    ASSERT_EQ(plain.best, "c1g5");
    LineRecorder recorder;
    const Searched multi = searchWith(QUEEN_FEN, 6, {.multiPv = 3}, &recorder);
    EXPECT_EQ(multi.result.bestMove, plain.result.bestMove);
    EXPECT_EQ(multi.result.score, plain.result.score);
    // Every iteration reports lines 1, 2, 3 in turn, exact, best first.
    const auto &lines = recorder.lines;
    ASSERT_EQ(lines.size(), 3u * 6u);
    for (size_t i = 0; i < lines.size(); i += 3) {
        std::set<Move> firstMoves;
        for (size_t j = 0; j < 3; ++j) {
            const LineReport &r = lines[i + j].report;
            EXPECT_EQ(r.multiPv, int(j) + 1);
            EXPECT_EQ(r.depth, int(i / 3) + 1);
            EXPECT_EQ(r.bound, ScoreBound::EXACT);
            EXPECT_GE(r.selDepth, r.depth);
            ASSERT_GT(lines[i + j].pv.length, 0);
            firstMoves.insert(lines[i + j].pv.moves[0]);
            if (j > 0) {
                EXPECT_LE(r.score, lines[i + j - 1].report.score);
            }
        }
        EXPECT_EQ(firstMoves.size(), 3u);
    }
    EXPECT_EQ(lines[lines.size() - 3].pv.moves[0], plain.result.bestMove);
    EXPECT_EQ(lines[lines.size() - 3].report.score, multi.result.score);
    EXPECT_LT(lines.back().report.score, multi.result.score - 500);  // nothing else wins the queen

    // More lines than moves (the king has three): one line per move.
    recorder.lines.clear();
    searchWith("7k/8/8/8/8/8/P7/K7 b - - 0 1", 3, {.multiPv = 10}, &recorder);
    ASSERT_EQ(lines.size(), 3u * 3u);
    EXPECT_EQ(lines[2].report.multiPv, 3);
    EXPECT_EQ(lines[3].report.multiPv, 1);
}

TEST(SearchOptions, RootMovesRestrictTheSearch) {
    SearchFixture f;
    SearchOptions options;
    ASSERT_TRUE(textToMove(f.board(QUEEN_FEN), "a2a3", options.rootMoves[0]));
    options.rootMoveCount = 1;
    const Searched only = searchWith(QUEEN_FEN, 8, options);
    EXPECT_EQ(only.best, "a2a3");
    EXPECT_EQ(only.result.depth, 1);  // a single allowed move is a forced move

    ASSERT_TRUE(textToMove(f.board(QUEEN_FEN), "g1f3", options.rootMoves[1]));
    options.rootMoveCount = 2;
    LineRecorder recorder;
    const Searched two = searchWith(QUEEN_FEN, 5, options, &recorder);
    EXPECT_EQ(two.best, "g1f3");
    EXPECT_EQ(two.result.depth, 5);
    for (const LineRecorder::Line &line : recorder.lines) {
        const std::string first = moveText(line.pv.moves[0]);
        EXPECT_TRUE(first == "a2a3" || first == "g1f3") << first;
    }
    // A list without a legal move leaves the whole root.
    ASSERT_TRUE(textToMove(f.board(BENCH_FENS[0]), "e2e4", options.rootMoves[0]));
    options.rootMoves[1] = options.rootMoves[0];
    EXPECT_EQ(searchWith(QUEEN_FEN, 5, options).best, "c1g5");
}

TEST(SearchOptions, MateTargetStopsAtTheMate) {
    LineRecorder plainLines, twoLines;
    const Searched plain = searchWith(MATE_FEN, 12, SearchOptions{}, &plainLines);
    const Searched one = searchWith(MATE_FEN, 12, {.mateMoves = 1});
    const Searched two = searchWith(MATE_FEN, 12, {.mateMoves = 2}, &twoLines);
    // A target of one move is never met; the search runs as without one.
    EXPECT_EQ(one.nodes, plain.nodes);
    // Two moves: the search ends as soon as the mating line is found.
    EXPECT_LT(two.nodes, plain.nodes);
    EXPECT_EQ(two.result.score, MATE_SCORE - 3);
    EXPECT_EQ(two.result.bestMove, plain.result.bestMove);
    EXPECT_EQ(twoLines.lastScore, MATE_SCORE - 3);
    EXPECT_LE(twoLines.lastDepth, 3);

    // The mate fails high at depth 3 first, as a lower bound, then the exact line.
    bool lower = false;
    int exactReports = 0;
    for (const LineRecorder::Line &line : plainLines.lines) {
        const bool mate = line.report.score > MATE_BOUND;
        if (line.report.bound == ScoreBound::LOWER && mate) lower = true;
        if (line.report.bound != ScoreBound::EXACT) continue;
        ++exactReports;
        EXPECT_TRUE(lower || !mate);
    }
    EXPECT_TRUE(lower);
    // The plain interface sees only the exact lines, as before.
    EXPECT_EQ(plainLines.reports, exactReports);
}

}  // namespace
