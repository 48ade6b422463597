// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The picker against the plain generator on many random positions: every legal move
// exactly once, whatever hash move and killers it is given, and in stage order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "search/movepick.h"
#include "search/search.h"
#include "search/see.h"
#include "tests/search/search_support.h"

namespace {

const char *START_POINTS[] = {
    START_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
};

std::vector<Move> legalMoves(Board_BB64 &b) {
    MoveList list;
    generateAllLegal(b, list);
    std::vector<Move> v;
    for (const ScoredMove &sm : list) v.push_back(sm.move);
    return v;
}

std::vector<Move> drain(MovePicker &p) {
    std::vector<Move> v;
    for (Move m; (m = nextMove(p)) != NO_MOVE && v.size() < 600;) v.push_back(m);
    return v;
}

std::vector<Move> sorted(std::vector<Move> v) {
    std::sort(v.begin(), v.end());
    return v;
}

bool isGoodTactical(const Board_BB64 &b, Move m) {
    if (moveKind(m) != NORMAL) return moveKind(m) != CASTLING;
    return b.pieceOn[moveTo(m)] != 0 && captureHoldsExchange(b, m);
}

// Random games from the start points, so the tests see checks, pins, promotions,
// en passant and castling in many combinations.
template <class Visit> void forRandomPositions(int games, Visit visit) {
    initSearchTestTables();
    std::mt19937 rng(12345);
    auto b = std::make_unique<Board_BB64>();
    for (int g = 0; g < games; ++g) {
        b->setFromFEN(START_POINTS[g % std::size(START_POINTS)]);
        for (int ply = 0; ply < 60; ++ply) {
            const std::vector<Move> legal = legalMoves(*b);
            if (legal.empty()) break;
            visit(*b, legal, rng);
            UndoInfo undo;
            b->makeMove(legal[rng() % legal.size()], undo);
        }
    }
}

TEST(MovePicker, GenerationKindsMatchTheGenerator) {
    forRandomPositions(40, [](Board_BB64 &b, const std::vector<Move> &legal, std::mt19937 &) {
        CheckInfo info;
        computeCheckInfo(b, info);
        MovePicker p;
        initPicker(p, info.inCheck() ? PICK_EVASIONS : PICK_ALL_LEGAL, b, info.checkers);
        ASSERT_EQ(generateAndCount(p), legal.size());
        MovePicker counter;
        initPicker(counter, info.inCheck() ? PICK_EVASIONS : PICK_ALL_LEGAL, b, info.checkers);
        ASSERT_EQ(countMoves(counter), legal.size());
        // Out of check the picker keeps the generator's order; in check it uses the
        // evasion generator, whose order differs.
        if (info.inCheck()) EXPECT_EQ(sorted(drain(p)), sorted(legal));
        else EXPECT_EQ(drain(p), legal);
    });
}

TEST(MovePicker, EveryLegalMoveOnceWithForeignHashMovesAndKillers) {
    Move foreign = makeMove(12, 28);
    testing::internal::CaptureStdout();
    forRandomPositions(60, [&](Board_BB64 &b, const std::vector<Move> &legal, std::mt19937 &rng) {
        CheckInfo info;
        computeCheckInfo(b, info);
        MovePicker p;
        initPicker(p, info.inCheck() ? PICK_IN_CHECK : PICK_FULL_WIDTH, b, info.checkers);
        const Move any = legal[rng() % legal.size()];
        if (rng() % 2) p.pvMove = legal[rng() % legal.size()];
        switch (rng() % 4) {
        case 0: p.hashMove = any; break;
        case 1: p.hashMove = p.pvMove; break;
        case 2: p.hashMove = foreign; break;
        default: p.hashMove = Move(rng()); break;
        }
        HistoryEntry &h = b.history[b.historyIndex], &h2 = b.history[b.historyIndex + 2];
        h.killer1 = legal[rng() % legal.size()];
        h.killer2 = foreign;
        h2.killer1 = Move(rng());
        h2.killer2 = legal[rng() % legal.size()];
        const std::vector<Move> picked = drain(p);
        EXPECT_EQ(sorted(picked), sorted(legal));
        if (p.pvMove) {
            EXPECT_EQ(picked.front(), p.pvMove);
        }
        // Stage order (not in check): good captures and promotions, then the rest.
        if (!info.inCheck()) {
            bool pastCaptures = false;
            for (Move m : picked) {
                if (m == p.pvMove || m == p.hashMove) continue;
                const bool good = isGoodTactical(b, m);
                EXPECT_FALSE(pastCaptures && good);
                pastCaptures |= !good;
            }
        }
        h = h2 = HistoryEntry{};
        foreign = any;
    });
    testing::internal::GetCapturedStdout();
}

TEST(MovePicker, QuiescenceKindHandsOutCapturesAndQueenPromotions) {
    forRandomPositions(40, [](Board_BB64 &b, const std::vector<Move> &legal, std::mt19937 &) {
        CheckInfo info;
        computeCheckInfo(b, info);
        if (info.inCheck()) return;
        std::vector<Move> expected;
        for (Move m : legal)
            if ((b.pieceOn[moveTo(m)] && promotionPiece(m) != KNIGHT && promotionPiece(m) != BISHOP &&
                 promotionPiece(m) != ROOK) ||
                moveKind(m) == EN_PASSANT || promotionPiece(m) == QUEEN)
                if (moveKind(m) != CASTLING) expected.push_back(m);
        MovePicker p;
        initPicker(p, PICK_QUIESCENCE, b, info.checkers);
        const std::vector<Move> picked = drain(p);
        EXPECT_EQ(sorted(picked), sorted(expected));
        for (size_t i = 1; i < picked.size(); ++i)
            EXPECT_GE(mvvLvaScore(b, picked[i - 1]), mvvLvaScore(b, picked[i]));
    });
}

// Hears the picker's collision reports and nothing else.
struct CollisionRecorder : SearchInterface {
    bool timeOut() override { return false; }
    void reportThinking(int, int, const PrincipalVariation &) override {}
    void searchFinished() override {}
    void reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override {
        char fen[128];
        b.toFEN(fen);
        reports.push_back({m, pseudoLegal, fen});
    }
    struct Report {
        Move move;
        bool pseudoLegal;
        std::string fen;
    };
    std::vector<Report> reports;
};

TEST(MovePicker, BadHashMovesAreReported) {
    initSearchTestTables();
    auto b = std::make_unique<Board_BB64>();
    CollisionRecorder recorder;
    // Not even pseudo-legal.
    b->setFromFEN(START_FEN);
    MovePicker p;
    initPicker(p, PICK_FULL_WIDTH, *b, AttackInfo{});
    p.hashMove = makeMove(12, 36);
    p.reporter = &recorder;
    testing::internal::CaptureStdout();
    const Move first = nextMove(p);
    EXPECT_NE(first, p.hashMove);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].move, p.hashMove);
    EXPECT_FALSE(recorder.reports[0].pseudoLegal);
    EXPECT_EQ(recorder.reports[0].fen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

    // Pseudo-legal but the knight is pinned.
    b->setFromFEN("4k3/8/8/8/4r3/8/4N3/4K3 w - - 0 1");
    initPicker(p, PICK_FULL_WIDTH, *b, AttackInfo{});
    EXPECT_EQ(p.reporter, nullptr);
    p.hashMove = makeMove(12, 29);
    p.reporter = &recorder;
    const std::vector<Move> all = drain(p);
    EXPECT_EQ(std::count(all.begin(), all.end(), p.hashMove), 0);
    ASSERT_EQ(recorder.reports.size(), 2u);
    EXPECT_EQ(recorder.reports[1].move, p.hashMove);
    EXPECT_TRUE(recorder.reports[1].pseudoLegal);
    // The picker itself prints nothing.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(MovePicker, KillersComeAfterCapturesAndBeforeOtherQuiets) {
    initSearchTestTables();
    auto b = std::make_unique<Board_BB64>();
    b->setFromFEN("4k3/8/8/3p4/8/2N5/8/R3K3 w Q - 0 1");
    const Move killer = makeMove(0, 56);      // a1a8, a quiet rook move
    const Move capture = makeMove(18, 35);    // c3xd5
    b->history[b->historyIndex + 2].killer1 = killer;
    b->history[b->historyIndex].killer1 = capture;  // a capture now: not a killer here
    MovePicker p;
    initPicker(p, PICK_FULL_WIDTH, *b, AttackInfo{});
    const std::vector<Move> picked = drain(p);
    ASSERT_GE(picked.size(), 3u);
    EXPECT_EQ(picked[0], capture);
    EXPECT_EQ(picked[1], killer);

    // recordKiller shifts the slots and ignores captures.
    recordKiller(*b, makeMove(4, 3));
    recordKiller(*b, capture);
    EXPECT_EQ(b->history[b->historyIndex].killer1, makeMove(4, 3));
    EXPECT_EQ(b->history[b->historyIndex].killer2, capture);
}

}  // namespace
