// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Where the search asks the tablebases, via a fake probe that records every call.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "search/node.h"
#include "tests/search/search_support.h"
#include "tests/test_support.h"

namespace {

struct ProbeCall {
    int ply;  // from the root of the search
    int men;
    bool inCheck, mayReadFiles;
};

using Answer = std::function<bool(const Board_BB64 &, int &)>;

// Gaviota answers first, as a mate score; Syzygy (WDL) where allowed. No tables by default.
struct FakeProbe : TablebaseProbe {
    Answer answer = [](const Board_BB64 &, int &) { return false; }, wdl = answer;
    uint32_t rootIndex = 0;
    std::vector<ProbeCall> calls;
    std::vector<uint64_t> syzygyCalls;  // the keys of the positions asked
    TablebaseUse limits{5, 1, true};

    TbAnswer probe(Board_BB64 &b, const TbRequest &r) override {
        int score = 0;
        if (r.gaviota) {
            CheckInfo info;
            computeCheckInfo(b, info);
            calls.push_back({int(b.historyIndex - rootIndex), popCount(b.occupied()), info.inCheck(), r.mayReadFiles});
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
    // One full-width node at ply 3 with the given remaining depth.
    int node(const char *fen, int depth, int iteration = 1) {
        state->board = board(fen);
        state->iterationDepth = iteration;
        probe.calls.clear();
        probe.syzygyCalls.clear();
        PrincipalVariation pv;
        return searchNode<WHITE>(*state, -INFINITE_SCORE, INFINITE_SCORE, 3, depth, pv);
    }
};

int legalMoves(Board_BB64 &b) {
    MoveList list;
    generateAllLegal(b, list);
    return int(list.size());
}

// Inside the tree only full-width nodes probe: not in check, not quiescence, five men at most.
TEST(TablebaseSearch, OnlyFullWidthNodesWithinTheTablesProbe) {
    // Checks and captures for the quiescence search; five men.
    const char *fiveMen = "4k3/8/3p4/8/2N5/8/Q7/4K3 w - - 0 1";
    // Depth 1 probes each root move once and nothing below: the replies are quiescence nodes.
    TablebaseSearch f;
    f.run(fiveMen, 1);
    const int rootMoves = legalMoves(f.board(fiveMen));
    ASSERT_EQ(int(f.probe.calls.size()), rootMoves);
    for (const ProbeCall &c : f.probe.calls) EXPECT_TRUE(c.ply == 1 && c.mayReadFiles);

    f.run(fiveMen, 5);
    ASSERT_GT(int(f.probe.calls.size()), rootMoves);
    int deeper = 0;
    for (const ProbeCall &c : f.probe.calls) {
        EXPECT_GE(c.ply, 1);
        EXPECT_LE(c.men, 5);
        // Root moves that give check are scored; inside the tree a side in check is not probed.
        if (c.ply > 1) {
            EXPECT_FALSE(c.inCheck);
            ++deeper;
        }
    }
    EXPECT_GT(deeper, 0);

    // Six men: only positions after a capture are asked.
    f.run("4k3/8/3p4/4n3/2N5/8/Q7/4K3 w - - 0 1", 4);
    EXPECT_FALSE(f.probe.calls.empty());
    for (const ProbeCall &c : f.probe.calls) EXPECT_LE(c.men, 5);
}

// Gaviota: the cache only, deep in late iterations; mates from the root. Syzygy: wins below mates, 50-move rule.
TEST(TablebaseSearch, NodesScoreTheTablesAnswers) {
    TablebaseSearch f;
    int answer = 0;
    bool gaviota = true;
    const char *fen = "4k3/4p3/8/8/8/8/8/R3K3 w - - 0 1";  // four men, clock 0
    f.probe.answer = [&](const Board_BB64 &, int &s) { return s = answer, gaviota; };
    f.probe.wdl = [&](const Board_BB64 &, int &w) { return w = answer, true; };
    for (const auto &[tb, atPly3] : {std::pair{MATE_SCORE - 10, MATE_SCORE - 13}, {10 - MATE_SCORE, 13 - MATE_SCORE}}) {
        answer = tb;
        EXPECT_EQ(f.node(fen, 2), atPly3);
    }
    const int win = SYZYGY_WIN_SCORE - 3;
    for (const CaseFields &c : readCases("search/tablebase_nodes.txt")) {
        std::vector<int> n;
        for (size_t i = 1; i < c.size(); ++i) n.push_back(c[i] == "W" ? win : c[i] == "-W" ? -win : std::stoi(c[i]));
        gaviota = c[0] == "read";
        if (gaviota) {
            answer = 0;
            EXPECT_EQ(f.node(fen, n[1], n[0]), 0);
            ASSERT_EQ(f.probe.calls.size(), 1u);
            EXPECT_EQ(f.probe.calls[0].mayReadFiles, n[2] == 1) << n[0] << " " << n[1];
        } else if (c[0] == "wdl") {
            f.state->tbUse = {4, 1, n[1] == 1};
            answer = n[0];
            EXPECT_EQ(f.node(fen, 2), n[2]) << n[0] << " " << n[1];
        } else {
            f.state->tbUse = {n[1], n[2], true};
            answer = 2;
            f.node(("4k3/4p3/8/8/8/8/8/R3K3 w - - " + c[1] + " 1").c_str(), 2);
            const auto &calls = f.probe.syzygyCalls;
            EXPECT_EQ(std::find(calls.begin(), calls.end(), f.game->key()) != calls.end(), n[3] == 1) << c[1] << c[2];
        }
    }
}

// Tables settling every root move end the search: one depth-0 line, the best move played.
TEST(TablebaseSearch, RootSettledByTheTablesEndsWithoutIterations) {
    const char *fen = "8/8/8/4k3/8/8/3P4/R3K3 w - - 0 1";
    TablebaseSearch f;
    Board_BB64 &b = f.board(fen);
    Move winning = NO_MOVE, drawing = NO_MOVE;
    ASSERT_TRUE(textToMove(b, "a1a5", winning) && textToMove(b, "d2d4", drawing));
    auto keyAfter = [&](Move m) {
        UndoInfo undo;
        b.makeMove(m, undo);
        const uint64_t key = b.key();
        b.unmakeMove(m, undo);
        return key;
    };
    const uint64_t winKey = keyAfter(winning), drawKey = keyAfter(drawing);
    // Ra5+: mated in 5 plies (a mate in 6 for the root); d4: a draw; else a loss in 4.
    f.probe.answer = [&](const Board_BB64 &child, int &s) {
        s = child.key() == winKey ? 5 - MATE_SCORE : child.key() == drawKey ? 0 : MATE_SCORE - 3;
        return true;
    };
    EXPECT_EQ(f.run(fen, 10).bestMove, winning);
    EXPECT_EQ(f.player.reports, 1);
    EXPECT_EQ(f.player.lastDepth, 0);
    EXPECT_EQ(f.player.lastScore, MATE_SCORE - 6);
    EXPECT_EQ(f.player.lastPv.first(), winning);
    EXPECT_EQ(f.player.finished, 1);
    EXPECT_EQ(f.state->iterationDepth, 0);
    EXPECT_EQ(int(f.probe.calls.size()), legalMoves(b));

    // One root move unknown to the tables: the tree is searched after all.
    f.probe.answer = [&](const Board_BB64 &child, int &s) { return s = 0, child.key() == drawKey; };
    f.run(fen, 3);
    EXPECT_EQ(f.state->iterationDepth, 3);
    EXPECT_GT(f.player.lastDepth, 0);
    EXPECT_GT(int(f.probe.calls.size()), legalMoves(b));
}

// A mate the search sees beats a Syzygy win (every capture reaches a lost position).
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
