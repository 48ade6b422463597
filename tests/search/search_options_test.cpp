// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search options beyond the clock: several lines, a restricted root, a mate target,
// and the bounds and selective depth of the reported lines.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "board/movegen.h"
#include "search/bench_positions.h"
#include "tests/search/search_support.h"

namespace {

// Keeps every line the search reports, as well as what the plain interface sees.
class LineRecorder : public RecordingInterface {
public:
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

Move legalMove(Board_BB64 &b, const char *text) {
    MoveList list;
    generateAllLegal(b, list);
    for (const ScoredMove &sm : list) {
        char buffer[6];
        moveToText(sm.move, buffer);
        if (std::strcmp(buffer, text) == 0) return sm.move;
    }
    ADD_FAILURE() << "not legal: " << text;
    return NO_MOVE;
}

std::string text(Move m) {
    char buffer[6];
    moveToText(m, buffer);
    return buffer;
}

struct Searched {
    SearchResult result;
    uint64_t nodes;
};

Searched searchWith(const char *fen, int depth, const SearchOptions &options, LineRecorder *recorder = nullptr) {
    SearchFixture f;
    if (recorder) f.state->player = recorder;
    f.limits.options = options;
    const SearchResult r = f.search(fen, depth);
    return {r, f.state->stats.nodes.load()};
}

// White wins the queen with Bxg5; nothing else comes close.
const char *QUEEN_FEN = "r1b1kbnr/pppp1ppp/2n5/4p1q1/4P3/3P4/PPP2PPP/RNBQKBNR w KQkq - 0 1";

TEST(SearchOptions, OneLineIsThePlainSearch) {
    SearchOptions one;
    one.multiPv = 1;
    SearchOptions three;
    three.multiPv = 3;
    for (int i : {0, 1, 4, 16}) {
        const char *fen = BENCH_FENS[i];
        const Searched plain = searchWith(fen, 7, SearchOptions{});
        const Searched single = searchWith(fen, 7, one);
        EXPECT_EQ(single.nodes, plain.nodes) << fen;
        EXPECT_EQ(single.result.bestMove, plain.result.bestMove) << fen;
        EXPECT_EQ(single.result.score, plain.result.score) << fen;
        // The option is read at all: more lines cost more nodes.
        EXPECT_GT(searchWith(fen, 7, three).nodes, plain.nodes) << fen;
    }
}

TEST(SearchOptions, SeveralLinesBestFirstWithDistinctMoves) {
    const Searched plain = searchWith(QUEEN_FEN, 6, SearchOptions{});
    ASSERT_EQ(text(plain.result.bestMove), "c1g5");
    SearchOptions options;
    options.multiPv = 3;
    LineRecorder recorder;
    const Searched multi = searchWith(QUEEN_FEN, 6, options, &recorder);
    EXPECT_EQ(multi.result.bestMove, plain.result.bestMove);
    EXPECT_EQ(multi.result.score, plain.result.score);

    // Every iteration reports lines 1, 2, 3 in turn, exact, best first.
    ASSERT_EQ(recorder.lines.size(), 3u * 6u);
    for (size_t i = 0; i < recorder.lines.size(); i += 3) {
        std::set<Move> firstMoves;
        for (size_t j = 0; j < 3; ++j) {
            const LineRecorder::Line &line = recorder.lines[i + j];
            EXPECT_EQ(line.report.multiPv, int(j) + 1);
            EXPECT_EQ(line.report.depth, int(i / 3) + 1);
            EXPECT_EQ(line.report.bound, ScoreBound::EXACT);
            EXPECT_GE(line.report.selDepth, line.report.depth);
            ASSERT_GT(line.pv.length, 0);
            firstMoves.insert(line.pv.moves[0]);
            if (j > 0) {
                EXPECT_LE(line.report.score, recorder.lines[i + j - 1].report.score);
            }
        }
        EXPECT_EQ(firstMoves.size(), 3u);
    }
    const LineRecorder::Line &best = recorder.lines[recorder.lines.size() - 3];
    EXPECT_EQ(best.pv.moves[0], plain.result.bestMove);
    EXPECT_EQ(best.report.score, multi.result.score);
    // Nothing else wins the queen.
    EXPECT_LT(recorder.lines.back().report.score, multi.result.score - 500);
}

TEST(SearchOptions, MoreLinesThanMovesGivesOneLinePerMove) {
    // The king has three moves.
    SearchOptions options;
    options.multiPv = 10;
    LineRecorder recorder;
    searchWith("7k/8/8/8/8/8/P7/K7 b - - 0 1", 3, options, &recorder);
    ASSERT_EQ(recorder.lines.size(), 3u * 3u);
    EXPECT_EQ(recorder.lines[2].report.multiPv, 3);
    EXPECT_EQ(recorder.lines[3].report.multiPv, 1);
}

TEST(SearchOptions, RootMovesRestrictTheSearch) {
    SearchFixture f;
    SearchOptions options;
    options.rootMoves[0] = legalMove(f.board(QUEEN_FEN), "a2a3");
    options.rootMoveCount = 1;
    const Searched only = searchWith(QUEEN_FEN, 8, options);
    EXPECT_EQ(text(only.result.bestMove), "a2a3");
    // A single allowed move is a forced move: nothing beyond depth 1.
    EXPECT_EQ(only.result.depth, 1);

    options.rootMoves[1] = legalMove(f.board(QUEEN_FEN), "g1f3");
    options.rootMoveCount = 2;
    LineRecorder recorder;
    const Searched two = searchWith(QUEEN_FEN, 5, options, &recorder);
    EXPECT_EQ(text(two.result.bestMove), "g1f3");
    EXPECT_EQ(two.result.depth, 5);
    for (const LineRecorder::Line &line : recorder.lines) {
        const std::string first = text(line.pv.moves[0]);
        EXPECT_TRUE(first == "a2a3" || first == "g1f3") << first;
    }

    // A list without a legal move leaves the whole root.
    options.rootMoves[0] = options.rootMoves[1] = legalMove(f.board(BENCH_FENS[0]), "e2e4");
    EXPECT_EQ(text(searchWith(QUEEN_FEN, 5, options).result.bestMove), "c1g5");
}

TEST(SearchOptions, MateTargetStopsAtTheMate) {
    // Mate in two moves (three plies) and nothing shorter.
    const char *fen = "k7/8/2K5/8/8/8/8/7R w - - 0 1";
    LineRecorder plainLines, twoLines;
    const Searched plain = searchWith(fen, 12, SearchOptions{}, &plainLines);
    SearchOptions options;
    options.mateMoves = 1;
    const Searched one = searchWith(fen, 12, options);
    options.mateMoves = 2;
    const Searched two = searchWith(fen, 12, options, &twoLines);

    // A target of one move is never met; the search runs as without one.
    EXPECT_EQ(one.nodes, plain.nodes);
    // Two moves: the search ends as soon as the mating line is found, before the rest of
    // that iteration's root moves.
    EXPECT_LT(two.nodes, plain.nodes);
    EXPECT_EQ(two.result.score, MATE_SCORE - 3);
    EXPECT_EQ(two.result.bestMove, plain.result.bestMove);
    EXPECT_EQ(twoLines.lastScore, MATE_SCORE - 3);
    EXPECT_LE(twoLines.lastDepth, 3);
}

TEST(SearchOptions, AspirationFailsAreReportedAsBounds) {
    // The mate is found at depth 3 above the window around the rook's value: the
    // fail high comes first, as a lower bound, then the exact line.
    LineRecorder recorder;
    searchWith("k7/8/2K5/8/8/8/8/7R w - - 0 1", 12, SearchOptions{}, &recorder);
    bool lower = false;
    int exactReports = 0;
    for (const LineRecorder::Line &line : recorder.lines) {
        if (line.report.bound == ScoreBound::LOWER && line.report.score > MATE_BOUND) lower = true;
        if (line.report.bound == ScoreBound::EXACT) ++exactReports;
        if (line.report.bound == ScoreBound::EXACT && line.report.score > MATE_BOUND) {
            EXPECT_TRUE(lower);
        }
    }
    EXPECT_TRUE(lower);
    // The plain interface sees only the exact lines, as before.
    EXPECT_EQ(recorder.reports, exactReports);
}

}  // namespace
