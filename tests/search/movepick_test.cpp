// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The picker against the generator: every legal move once, any hash move or killers, stage order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "search/movepick.h"
#include "search/see.h"
#include "tests/search/search_support.h"
#include "tests/test_support.h"

namespace {

std::vector<Move> drain(MovePicker &p) {
    std::vector<Move> v;
    for (Move m; (m = nextMove(p)) != NO_MOVE && v.size() < 600;) v.push_back(m);
    return v;
}

std::vector<Move> sorted(std::vector<Move> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<Move> picked(int kind, Board_BB64 &b, const CheckInfo &info) {
    MovePicker p;
    initPicker(p, kind, b, info.checkers);
    return drain(p);
}

// Random games from the start points: checks, pins, promotions, en passant, castling.
TEST(MovePicker, EveryKindAgreesWithTheGenerator) {
    initSearchTestTables();
    std::mt19937 rng(12345);
    auto b = std::make_unique<Board_BB64>();
    Move foreign = makeMove(12, 28);
    const std::vector<CaseFields> starts = readCases("board/start_points.txt");
    for (int game = 0; game < 60; ++game) {
        b->setFromFEN(starts[game % starts.size()][0].c_str());
        for (int ply = 0; ply < 60; ++ply) {
            MoveList list;
            generateAllLegal(*b, list);
            std::vector<Move> legal;
            for (const ScoredMove &sm : list) legal.push_back(sm.move);
            if (legal.empty()) break;
            CheckInfo info;
            computeCheckInfo(*b, info);
            const bool check = info.inCheck();

            // Generation kinds: the generator's order; in check the evasions' (sorted).
            MovePicker p;
            initPicker(p, check ? PICK_EVASIONS : PICK_ALL_LEGAL, *b, info.checkers);
            ASSERT_EQ(generateAndCount(p), legal.size());
            MovePicker counter;
            initPicker(counter, check ? PICK_EVASIONS : PICK_ALL_LEGAL, *b, info.checkers);
            ASSERT_EQ(countMoves(counter), legal.size());
            EXPECT_EQ(check ? sorted(drain(p)) : drain(p), check ? sorted(legal) : legal);

            // Searching kinds, with PV, hash and killer moves legal, foreign or random.
            MovePicker s;
            initPicker(s, check ? PICK_IN_CHECK : PICK_FULL_WIDTH, *b, info.checkers);
            const Move any = legal[rng() % legal.size()];
            if (rng() % 2) s.pvMove = legal[rng() % legal.size()];
            const Move hashes[] = {any, s.pvMove, foreign, Move(rng())};
            s.hashMove = hashes[rng() % 4];
            HistoryEntry &h = b->history[b->historyIndex], &h2 = b->history[b->historyIndex + 2];
            h.killer1 = legal[rng() % legal.size()];
            h.killer2 = foreign;
            h2.killer1 = Move(rng());
            h2.killer2 = legal[rng() % legal.size()];
            const std::vector<Move> all = drain(s);
            EXPECT_EQ(sorted(all), sorted(legal));
            EXPECT_EQ(s.pvMove ? all.front() : NO_MOVE, s.pvMove);
            // Stage order out of check: good captures and promotions, then the rest.
            bool pastCaptures = false;
            for (Move m : check ? std::vector<Move>{} : all) {
                if (m == s.pvMove || m == s.hashMove) continue;
                const bool good = moveKind(m) != NORMAL ? moveKind(m) != CASTLING
                                                        : b->pieceOn[moveTo(m)] != 0 && captureHoldsExchange(*b, m);
                EXPECT_FALSE(pastCaptures && good);
                pastCaptures |= !good;
            }
            h = h2 = HistoryEntry{};
            foreign = any;

            // Quiescence: captures, en passant, queen promotions; most valuable victim first.
            if (!check) {
                std::vector<Move> expected;
                for (Move m : legal) {
                    const int promo = promotionPiece(m);
                    const bool capture = b->pieceOn[moveTo(m)] && promo != KNIGHT && promo != BISHOP && promo != ROOK;
                    if ((capture || moveKind(m) == EN_PASSANT || promo == QUEEN) && moveKind(m) != CASTLING)
                        expected.push_back(m);
                }
                const std::vector<Move> q = picked(PICK_QUIESCENCE, *b, info);
                EXPECT_EQ(sorted(q), sorted(expected));
                for (size_t i = 1; i < q.size(); ++i) EXPECT_GE(mvvLvaScore(*b, q[i - 1]), mvvLvaScore(*b, q[i]));
            }
            UndoInfo undo;
            b->makeMove(legal[rng() % legal.size()], undo);
        }
    }
}

// Hears the picker's collision reports: move, pseudo-legal (0 or 1) and FEN, one a line.
struct CollisionRecorder : RecordingInterface {
    void reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override {
        char fen[128];
        b.toFEN(fen);
        reports += moveText(m) + (pseudoLegal ? " 1 " : " 0 ") + fen + "\n";
    }
    std::string reports;
};

TEST(MovePicker, BadHashMovesAreReported) {
    initSearchTestTables();
    auto b = std::make_unique<Board_BB64>();
    CollisionRecorder recorder;
    testing::internal::CaptureStdout();
    // Not even pseudo-legal; pseudo-legal but the knight is pinned.
    const std::tuple<const char *, Move, const char *> cases[] = {
        {START_FEN, makeMove(12, 36), "e2e5 0 "}, {"4k3/8/8/8/4r3/8/4N3/4K3 w - - 0 1", makeMove(12, 29), "e2f4 1 "}};
    for (const auto &[fen, hash, report] : cases) {
        b->setFromFEN(fen);
        MovePicker p;
        initPicker(p, PICK_FULL_WIDTH, *b, AttackInfo{});
        EXPECT_EQ(p.reporter, nullptr);
        p.hashMove = hash;
        p.reporter = &recorder;
        const std::vector<Move> all = drain(p);
        EXPECT_EQ(std::count(all.begin(), all.end(), hash), 0);
        EXPECT_EQ(recorder.reports, report + std::string(fen) + "\n");
        recorder.reports.clear();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // the picker itself prints nothing
}

TEST(MovePicker, KillersComeAfterCapturesAndBeforeOtherQuiets) {
    initSearchTestTables();
    auto b = std::make_unique<Board_BB64>();
    b->setFromFEN("4k3/8/8/3p4/8/2N5/8/R3K3 w Q - 0 1");
    const Move killer = makeMove(0, 56);    // a1a8, a quiet rook move
    const Move capture = makeMove(18, 35);  // c3xd5
    b->history[b->historyIndex + 2].killer1 = killer;
    b->history[b->historyIndex].killer1 = capture;  // a capture now: not a killer here
    CheckInfo info;
    const std::vector<Move> all = picked(PICK_FULL_WIDTH, *b, info);
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0], capture);
    EXPECT_EQ(all[1], killer);
    // recordKiller shifts the slots and ignores captures.
    recordKiller(*b, makeMove(4, 3));
    recordKiller(*b, capture);
    EXPECT_EQ(b->history[b->historyIndex].killer1, makeMove(4, 3));
    EXPECT_EQ(b->history[b->historyIndex].killer2, capture);
}

}  // namespace
