// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

#include "board/movegen.h"
#include "tests/test_support.h"

namespace {

std::string fenOf(const Board_BB64 &b, FenStyle style = FenStyle::X_FEN) {
    char buf[128];
    b.toFEN(buf, style);
    return buf;
}

std::string text(const Board_BB64 &b, Move m, CastlingText style) {
    char buf[6];
    moveToText(m, MoveNotation(b.castling, style), buf);
    return buf;
}

}  // namespace

TEST(Chess960, StartPositionsByNumber) {
    char rank[9];
    ASSERT_TRUE(chess960BackRank(518, rank));
    EXPECT_STREQ(rank, "RNBQKBNR");
    ASSERT_TRUE(chess960BackRank(0, rank));
    EXPECT_STREQ(rank, "BBQNNRKR");
    EXPECT_FALSE(chess960BackRank(960, rank));
    EXPECT_FALSE(chess960BackRank(-1, rank));
    std::set<std::string> seen;
    for (int n = 0; n < 960; ++n) {
        ASSERT_TRUE(chess960BackRank(n, rank));
        const std::string r = rank;
        seen.insert(r);
        const size_t b1 = r.find('B'), b2 = r.rfind('B'), k = r.find('K');
        EXPECT_EQ((b1 + b2) % 2, 1u) << r;  // bishops on squares of both colours
        EXPECT_TRUE(r.find('R') < k && k < r.rfind('R')) << r;
    }
    EXPECT_EQ(seen.size(), 960u);

    char fen[100];
    ASSERT_TRUE(chess960Fen(518, FenStyle::X_FEN, fen));
    EXPECT_STREQ(fen, START_FEN);
    ASSERT_TRUE(chess960Fen(518, FenStyle::SHREDDER, fen));
    Board_BB64 shredder, standard;
    ASSERT_TRUE(shredder.setFromFEN(fen));
    ASSERT_TRUE(standard.setFromFEN(START_FEN));
    EXPECT_EQ(shredder.key(), standard.key());
    EXPECT_TRUE(shredder.castling == standard.castling);
    EXPECT_EQ(fenOf(standard, FenStyle::SHREDDER), fen);
}

// A FEN as read (chess960.txt): refused, or both FEN styles, then each legal castling in
// both notations (read back, in zeros too), the checks it gives and the FEN after it.
TEST(Chess960, CastlingFieldsMovesAndNotation) {
    checkTextCases("board/chess960.txt", [](const std::string &fen) {
        Board_BB64 b;
        if (!b.setFromFEN(fen.c_str())) return std::string("refused");
        std::string out = fenOf(b) + " / " + fenOf(b, FenStyle::SHREDDER);
        MoveList list;
        generateAllLegal(b, list);
        for (const ScoredMove &sm : list) {
            const Move m = sm.move;
            if (moveKind(m) != CASTLING) continue;
            const std::string name = text(b, m, CastlingText::O_O), kingTakesRook = text(b, m, CastlingText::KING_TAKES_ROOK);
            EXPECT_FALSE(b.isTactical(m)) << fen;
            Move parsed;
            for (const std::string &t : {kingTakesRook, name, std::string(name == "O-O" ? "0-0" : "0-0-0")})
                EXPECT_TRUE(textToMove(b, t.c_str(), parsed) && parsed == m) << fen << " " << t;
            AttackInfo checks;
            checkersAfter(b, m, checks);
            UndoInfo u;
            b.makeMove(m, u);
            out += "; " + kingTakesRook + " " + name + " checks " + std::to_string(checks.count) + " -> " + fenOf(b);
            b.unmakeMove(m, u);
        }
        return out;
    });
    // A castling move of another game is not valid here.
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN("1k6/8/8/8/8/8/8/1K5R w H - 0 1"));
    EXPECT_FALSE(isValidMove(b, MOVE_WHITE_OO));
    // Next to its destination the king's step is a king move (the castling is b1a1);
    // farther away the destination form castles, as in the standard game.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/RK6 w A - 0 1"));
    Move m;
    ASSERT_TRUE(textToMove(b, "b1c1", m));
    EXPECT_EQ(moveKind(m), NORMAL);
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/R4K2 w A - 0 1"));
    ASSERT_TRUE(textToMove(b, "f1c1", m));
    EXPECT_EQ(m, b.castling.move(1));
    EXPECT_FALSE(textToMove(b, "f1b1", m));
}

// Random Chess960 games: every legal move is valid, predicts its checks and unmakes to
// the exact board; every position reads back from either FEN style with the same key.
TEST(Chess960, RandomGamesKeepTheBoardExact) {
    std::mt19937 rng(960);
    Board_BB64 b, copy;
    int castlings = 0;
    for (int game = 0; game < 40; ++game) {
        char fen[100];
        ASSERT_TRUE(chess960Fen(int(rng() % 960), game % 2 ? FenStyle::X_FEN : FenStyle::SHREDDER, fen));
        ASSERT_TRUE(b.setFromFEN(fen));
        for (int ply = 0; ply < 80; ++ply) {
            MoveList list;
            generateAllLegal(b, list);
            if (!list.size()) break;
            for (FenStyle style : {FenStyle::X_FEN, FenStyle::SHREDDER}) {
                ASSERT_TRUE(copy.setFromFEN(fenOf(b, style).c_str())) << fenOf(b, style);
                EXPECT_EQ(copy.key(), b.key()) << fenOf(b, style);
                for (int e = 0; e < 4; ++e) {
                    if (b.castlingRights & (1 << e)) {
                        EXPECT_EQ(copy.castling.move(e), b.castling.move(e));
                    }
                }
            }
            const std::string before = fenOf(b);
            for (const ScoredMove &sm : list) {
                const Move m = sm.move;
                EXPECT_TRUE(isValidMove(b, m)) << before;
                AttackInfo checks;
                checkersAfter(b, m, checks);
                UndoInfo u;
                b.makeMove(m, u);
                ASSERT_TRUE(b.isConsistent()) << before;
                EXPECT_EQ(checks.count != 0, isAttackedBy(b, opposite(b.side()), b.kingSquare(b.side())))
                    << before << " " << text(b, m, CastlingText::KING_TAKES_ROOK);
                b.unmakeMove(m, u);
                ASSERT_EQ(fenOf(b), before);
                castlings += moveKind(m) == CASTLING;
            }
            UndoInfo u;
            b.makeMove(list[rng() % list.size()], u);
        }
    }
    EXPECT_GT(castlings, 200);
}
