// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Where the search asks the tablebases and what it makes of their answers: a fake probe
// records every call and answers a chosen score.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

#include "board/movegen.h"
#include "search/node.h"
#include "tests/search/search_support.h"

namespace {

struct ProbeCall {
    uint64_t key;
    int ply;  // from the root of the search
    int men;
    bool inCheck;
    bool mayReadFiles;
};

// Gaviota answers first, as a mate score; Syzygy where the request allows it.
class FakeProbe : public TablebaseProbe {
public:
    // Gaviota's score for a board; none (false) by default.
    std::function<bool(const Board_BB64 &, int &)> answer = [](const Board_BB64 &, int &) { return false; };
    uint32_t rootIndex = 0;
    std::vector<ProbeCall> calls;
    TablebaseUse limits{5, 1, true};
    // The Syzygy side: no tables by default; the keys of the positions asked.
    std::function<bool(const Board_BB64 &, int &)> wdl = [](const Board_BB64 &, int &) { return false; };
    std::vector<uint64_t> syzygyCalls;

    TbAnswer probe(Board_BB64 &b, const TbRequest &r) override {
        int score = 0;
        if (r.gaviota) {
            CheckInfo info;
            computeCheckInfo(b, info);
            calls.push_back({b.key(), int(b.historyIndex - rootIndex), popCount(b.occupied()), info.inCheck(),
                             r.mayReadFiles});
            if (answer(b, score)) return tbGaviotaAnswer(score);
        }
        TbAnswer a;
        if (!r.syzygy) return a;
        syzygyCalls.push_back(b.key());
        if (wdl(b, a.wdl)) a.source = TbSource::SYZYGY;
        return a;
    }
    TablebaseUse use() override { return limits; }
};

struct TablebaseSearch : SearchFixture {
    FakeProbe probe;
    TablebaseSearch() {
        state->tablebase = &probe;
        state->tbUse = probe.limits;
    }
    // The probes of the tree; the root's own probe (which prober has it) is left out.
    SearchResult run(const char *fen, int depth) {
        probe.rootIndex = board(fen).historyIndex;
        probe.calls.clear();
        const SearchResult r = search(fen, depth);
        std::erase_if(probe.calls, [](const ProbeCall &c) { return c.ply == 0; });
        return r;
    }
};

int legalMoves(Board_BB64 &b) {
    MoveList list;
    generateAllLegal(b, list);
    return int(list.size());
}

// Inside the tree only full-width nodes probe: never a side in check,
// a quiescence node or a position with more than five men.
TEST(TablebaseSearch, OnlyFullWidthNodesWithinTheTablesProbe) {
    // Checks and captures for the quiescence search; five men.
    const char *fiveMen = "4k3/8/3p4/8/2N5/8/Q7/4K3 w - - 0 1";
    // A depth-1 search probes each root move once and nothing below: the replies are
    // quiescence nodes.
    TablebaseSearch f;
    f.run(fiveMen, 1);
    const int rootMoves = legalMoves(f.board(fiveMen));
    ASSERT_EQ(int(f.probe.calls.size()), rootMoves);
    for (const ProbeCall &c : f.probe.calls) {
        EXPECT_EQ(c.ply, 1);
        EXPECT_TRUE(c.mayReadFiles);
    }

    f.run(fiveMen, 5);
    ASSERT_GT(int(f.probe.calls.size()), rootMoves);
    int deeper = 0;
    for (const ProbeCall &c : f.probe.calls) {
        EXPECT_GE(c.ply, 1);
        EXPECT_LE(c.men, 5);
        // Root moves that give check are scored like every root move; inside the tree a
        // side in check is never probed.
        if (c.ply > 1) {
            EXPECT_FALSE(c.inCheck);
            ++deeper;
        }
    }
    EXPECT_GT(deeper, 0);

    // Six men: only positions after a capture are asked.
    const char *sixMen = "4k3/8/3p4/4n3/2N5/8/Q7/4K3 w - - 0 1";
    f.run(sixMen, 4);
    EXPECT_FALSE(f.probe.calls.empty());
    for (const ProbeCall &c : f.probe.calls) EXPECT_LE(c.men, 5);
}

// Deep in late iterations a node asks the cache only; a win or loss at distance d from
// the node is a mate at distance d + ply from the root.
TEST(TablebaseSearch, NodeReadsFilesByRemainingDepthAndScoresFromTheRoot) {
    TablebaseSearch f;
    SearchState &st = *f.state;
    int answer = 0;
    f.probe.answer = [&answer](const Board_BB64 &, int &s) { return s = answer, true; };
    const char *fen = "4k3/4p3/8/8/8/8/8/R3K3 w - - 0 1";
    struct Case {
        int iteration, depth;
        bool mayRead;
    } cases[] = {{1, 1, true}, {6, 1, true},  {7, 1, true}, {8, 1, false}, {8, 2, true},  {9, 2, false},
                 {9, 3, true}, {20, 4, false}, {20, 5, true}, {40, 4, false}, {40, 5, true}};
    for (const Case &c : cases) {
        st.board = f.board(fen);
        st.iterationDepth = c.iteration;
        f.probe.calls.clear();
        PrincipalVariation pv;
        answer = 0;
        EXPECT_EQ(searchNode<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 3, c.depth, pv), 0);
        ASSERT_EQ(f.probe.calls.size(), 1u);
        EXPECT_EQ(f.probe.calls[0].mayReadFiles, c.mayRead) << c.iteration << " " << c.depth;
    }
    st.iterationDepth = 1;
    for (const auto &[tb, atPly3] : {std::pair{MATE_SCORE - 10, MATE_SCORE - 13}, {10 - MATE_SCORE, 13 - MATE_SCORE}}) {
        st.board = f.board(fen);
        PrincipalVariation pv;
        answer = tb;
        EXPECT_EQ(searchNode<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 3, 2, pv), atPly3);
    }
}

// When the tables settle every root move the search ends there: one depth-0 line with
// the best of the converted scores, no iteration, and that move played.
TEST(TablebaseSearch, RootSettledByTheTablesEndsWithoutIterations) {
    const char *fen = "8/8/8/4k3/8/8/3P4/R3K3 w - - 0 1";
    TablebaseSearch f;
    Board_BB64 &b = f.board(fen);
    Move winning = NO_MOVE, drawing = NO_MOVE;
    ASSERT_TRUE(textToMove(b, "a1a5", winning));
    ASSERT_TRUE(textToMove(b, "d2d4", drawing));
    uint64_t winKey = 0, drawKey = 0;
    UndoInfo undo;
    b.makeMove(winning, undo);
    winKey = b.key();
    b.unmakeMove(winning, undo);
    b.makeMove(drawing, undo);
    drawKey = b.key();
    b.unmakeMove(drawing, undo);
    // After Ra5+ the defender is mated in 5 plies: a mate in 6 for the root. After d4 a
    // draw; after every other move the defender mates in 3: a loss in 4 for the root.
    f.probe.answer = [&](const Board_BB64 &child, int &s) {
        if (child.key() == winKey) return s = 5 - MATE_SCORE, true;
        if (child.key() == drawKey) return s = 0, true;
        return s = MATE_SCORE - 3, true;
    };
    const SearchResult r = f.run(fen, 10);
    EXPECT_EQ(r.bestMove, winning);
    EXPECT_EQ(f.player.reports, 1);
    EXPECT_EQ(f.player.lastDepth, 0);
    EXPECT_EQ(f.player.lastScore, MATE_SCORE - 6);
    EXPECT_EQ(f.player.lastPv.first(), winning);
    EXPECT_EQ(f.player.finished, 1);
    EXPECT_EQ(f.state->iterationDepth, 0);
    EXPECT_EQ(int(f.probe.calls.size()), legalMoves(b));

    // One root move unknown to the tables: the tree is searched after all.
    f.probe.answer = [&](const Board_BB64 &child, int &s) {
        if (child.key() == drawKey) return s = 0, true;
        return false;
    };
    f.run(fen, 3);
    EXPECT_EQ(f.state->iterationDepth, 3);
    EXPECT_GT(f.player.lastDepth, 0);
    EXPECT_GT(int(f.probe.calls.size()), legalMoves(b));
}

// Where Gaviota has no answer, a node right after a capture or pawn move asks the
// Syzygy WDL: a win scores just below the mates, from the root, a draw 0, and a result
// the 50-move rule spoils is a draw while the rule is on (the sign kept as a hint).
TEST(TablebaseSearch, SyzygyWdlScoresNodesAfterZeroingMoves) {
    TablebaseSearch f;
    SearchState &st = *f.state;
    int answer = 0;
    f.probe.wdl = [&answer](const Board_BB64 &, int &w) { return w = answer, true; };
    const char *fen = "4k3/4p3/8/8/8/8/8/R3K3 w - - 0 1";  // four men, clock 0
    const int win = SYZYGY_WIN_SCORE - 3;
    const struct {
        int wdl;
        bool rule;
        int score;
    } scored[] = {{2, true, win},   {1, true, 1},     {0, true, 0},  {-1, true, -1},    {-2, true, -win},
                  {2, false, win}, {1, false, win}, {0, false, 0}, {-1, false, -win}, {-2, false, -win}};
    for (const auto &c : scored) {
        st.board = f.board(fen);
        st.tbUse = {4, 1, c.rule};
        answer = c.wdl;
        PrincipalVariation pv;
        EXPECT_EQ(searchNode<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 3, 2, pv), c.score) << c.wdl << c.rule;
    }

    // Asked or not: the clock past a zeroing move, the plies left against
    // SyzygyProbeDepth, the men against the largest table.
    const struct {
        const char *fen;
        TablebaseUse use;
        bool asked;
    } cases[] = {{fen, {4, 2, true}, true},
                 {"4k3/4p3/8/8/8/8/8/R3K3 w - - 3 1", {4, 1, true}, false},
                 {fen, {4, 3, true}, false},
                 {fen, {3, 1, true}, false}};
    answer = 2;
    for (const auto &c : cases) {
        st.board = f.board(c.fen);
        st.tbUse = c.use;
        f.probe.syzygyCalls.clear();
        const uint64_t key = st.board.key();
        PrincipalVariation pv;
        searchNode<WHITE>(st, -INFINITE_SCORE, INFINITE_SCORE, 3, 2, pv);
        const auto &calls = f.probe.syzygyCalls;
        EXPECT_EQ(std::find(calls.begin(), calls.end(), key) != calls.end(), c.asked) << c.fen << " " << c.use.men;
    }
}

// A mate the search sees comes before any Syzygy win: here every capture reaches a
// position the tables call lost for the side to move.
TEST(TablebaseSearch, SeenMateBeatsASyzygyWin) {
    TablebaseSearch f;
    f.probe.limits = {6, 1, true};
    f.probe.wdl = [](const Board_BB64 &, int &w) { return w = -2, true; };
    // With h7 moved on, Rd8+ is no mate; otherwise it is.
    for (const auto &[fen, move, score] : {std::tuple{"6k1/5pp1/7p/8/8/8/8/1n1R2K1 w - - 0 1", "d1b1", SYZYGY_WIN_SCORE - 1},
                                           {"6k1/5ppp/8/8/8/8/8/1n1R2K1 w - - 0 1", "d1d8", MATE_SCORE - 1}}) {
        Move m = NO_MOVE;
        ASSERT_TRUE(textToMove(f.board(fen), move, m));
        const SearchResult r = f.run(fen, 3);
        EXPECT_EQ(r.bestMove, m) << fen;
        EXPECT_EQ(f.player.lastScore, score) << fen;
    }
}

}  // namespace
