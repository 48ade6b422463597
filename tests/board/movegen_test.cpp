// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "tests/test_support.h"

namespace {

// Plain recursive count through make/unmake, checking the incremental state at every node.
uint64_t perftFull(Board_BB64 &b, int depth) {
    MoveList list;
    generateAllLegal(b, list);
    if (depth == 1) return list.size();
    uint64_t sum = 0;
    for (const ScoredMove &sm : list) {
        UndoInfo undo;
        b.makeMove(sm.move, undo);
        EXPECT_TRUE(b.isConsistent());
        sum += perftFull(b, depth - 1);
        b.unmakeMove(sm.move, undo);
    }
    return sum;
}

Board_BB64 boardFrom(const char *fen) {
    Board_BB64 b;
    EXPECT_TRUE(b.setFromFEN(fen)) << fen;
    return b;
}

std::set<std::string> words(const char *text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The checking-move filter keeps exactly the quiet moves that check, in generation order.
template <Colour Us> void expectQuietChecksFiltered(Board_BB64 &b, const CheckInfo &info) {
    MoveList quiets, checks;
    generateQuiets<Us>(b, info, quiets);
    CheckingMoveFilter<Us> filter{b, checks};
    generateQuiets<Us>(b, info, filter);
    std::vector<Move> expected, got;
    for (const ScoredMove &sm : quiets) {
        AttackInfo a;
        checkersAfter<Us>(b, sm.move, a);
        if (a.count) expected.push_back(sm.move);
    }
    for (const ScoredMove &sm : checks) got.push_back(sm.move);
    EXPECT_EQ(got, expected);
}

}  // namespace

TEST(MoveGen, PerftThroughFullMakeKeepsBoardConsistent) {
    for (const CaseFields &c : readCases("board/perft.txt")) {
        Board_BB64 b = boardFrom(c[0].c_str());
        EXPECT_EQ(perftFull(b, std::stoi(c[1])), std::stoull(c[2])) << c[0];
    }
}

TEST(MoveGen, PinsEnPassantAndCastlingRules) {
    for (const CaseFields &c : readCases("board/legal_moves.txt")) {
        Board_BB64 b = boardFrom(c[0].c_str());
        MoveList list;
        generateAllLegal(b, list);
        std::set<std::string> legal;
        for (const ScoredMove &sm : list) {
            char text[6];
            moveToText(sm.move, text);
            if (c[1] == "*" || words(c[1].c_str()).count(text)) legal.insert(text);
        }
        EXPECT_EQ(legal, words(c[2].c_str())) << c[0];
    }
    // A castling hash move in check is valid but refused.
    Board_BB64 b = boardFrom("4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1");
    CheckInfo info;
    computeCheckInfo(b, info);
    EXPECT_TRUE(isValidMove(b, MOVE_WHITE_OO));
    EXPECT_FALSE(isLegal(b, MOVE_WHITE_OO, info));
}

// Random games: make/unmake, validity, legality and checkersAfter agree with the generator.
TEST(MoveGen, RandomPlayInvariants) {
    std::mt19937 rng(12345);
    for (int game = 0; game < 60; ++game) {
        Board_BB64 b = boardFrom(game % 2 ? START_FEN : "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
        for (int ply = 0; ply < 200; ++ply) {
            MoveList list;
            const bool inCheck = generateAllLegal(b, list);
            if (!list.size()) break;
            CheckInfo info;
            computeCheckInfo(b, info);
            ASSERT_EQ(info.inCheck(), inCheck);
            std::set<Move> legal;
            for (auto &sm : list) legal.insert(sm.move);
            // Every 16-bit move that is valid and legal is in the list, and vice versa.
            for (int i = 0; i < 400; ++i) {
                const Move m = Move(rng());
                if (m == 0) continue;
                ASSERT_EQ(isValidMove(b, m) && isLegal(b, m, info), legal.count(m) == 1) << "move " << m;
            }
            for (Move m : legal) {
                ASSERT_TRUE(isValidMove(b, m));
                AttackInfo predicted;
                checkersAfter(b, m, predicted);
                const Board_BB64 before = b;
                UndoInfo undo;
                b.makeMove(m, undo);
                ASSERT_TRUE(b.isConsistent());
                computeCheckInfo(b, info);
                ASSERT_EQ(predicted.count, info.checkers.count);
                b.unmakeMove(m, undo);
                ASSERT_EQ(std::memcmp(b.pieceBB, before.pieceBB, sizeof b.pieceBB), 0);
                ASSERT_EQ(std::memcmp(b.pstScore, before.pstScore, sizeof b.pstScore), 0);
                ASSERT_EQ(b.key(), before.key());
                ASSERT_EQ(b.castlingRights, before.castlingRights);
                ASSERT_EQ(b.epSquare, before.epSquare);
                ASSERT_EQ(b.halfmoveClock, before.halfmoveClock);
            }
            computeCheckInfo(b, info);
            if (!info.inCheck()) {
                if (b.side() == WHITE) expectQuietChecksFiltered<WHITE>(b, info);
                else expectQuietChecksFiltered<BLACK>(b, info);
            }
            UndoInfo undo;
            b.makeMove(list[rng() % list.size()], undo);
            if (rng() % 16 == 0 && !isAttackedBy(b, opposite(b.side()), b.kingSquare(b.side()))) {
                b.makeNullMove(undo);
                ASSERT_TRUE(b.isConsistent());
            }
        }
    }
}
