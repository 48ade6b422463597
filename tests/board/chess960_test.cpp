// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

#include "board/movegen.h"

namespace {

std::string fenOf(const Board_BB64 &b, FenStyle style = FenStyle::X_FEN) {
    char buf[128];
    b.toFEN(buf, style);
    return buf;
}

bool hasMove(Board_BB64 &b, Move m) {
    MoveList list;
    generateAllLegal(b, list);
    for (const ScoredMove &sm : list)
        if (sm.move == m) return true;
    return false;
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

TEST(Chess960, CastlingFieldsInBothStyles) {
    Board_BB64 b;
    // Inner rooks hold the rights: X-FEN names their files, the outer ones are K/Q.
    ASSERT_TRUE(b.setFromFEN("r1r1k1rr/8/8/8/8/8/8/RR2K1RR w GBhc - 0 1"));
    EXPECT_EQ(fenOf(b), "r1r1k1rr/8/8/8/8/8/8/RR2K1RR w GBkc - 0 1");
    EXPECT_EQ(fenOf(b, FenStyle::SHREDDER), "r1r1k1rr/8/8/8/8/8/8/RR2K1RR w GBhc - 0 1");
    EXPECT_EQ(b.castling.rookFrom[0], 6);
    EXPECT_EQ(b.castling.rookFrom[3], 58);
    // K and Q take the outermost rook of the wing.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/RR2K1RR w KQ - 0 1"));
    EXPECT_EQ(b.castling.rookFrom[0], 7);
    EXPECT_EQ(b.castling.rookFrom[1], 0);
    EXPECT_EQ(fenOf(b, FenStyle::SHREDDER), "4k3/8/8/8/8/8/8/RR2K1RR w HA - 0 1");

    const std::string pieces = "rk4r1/8/8/8/8/8/8/1R2K1R1 w ";
    struct Case {
        const char *field;
        bool ok;
    } cases[] = {
        {"GBga", true},  {"BG", true},  // a colour's letters in either order
        {"Kk", true},    {"KQkq", true},  // a wing without its rook keeps a right no castling can use
        {"AG", false},                  // no rook on a1
        {"EG", false},                  // the king's own file
        {"GK", false},                  // the same right twice
        {"gG", false},                  // Black's before White's
        {"Gx", false},  {"G1", false},
    };
    for (const Case &c : cases) EXPECT_EQ(b.setFromFEN((pieces + c.field + " - 0 1").c_str()), c.ok) << c.field;
    // A file letter needs the king on its back rank.
    EXPECT_FALSE(b.setFromFEN("rk4r1/8/8/8/8/8/4K3/1R4R1 w G - 0 1"));
    ASSERT_TRUE(b.setFromFEN("rk4r1/8/8/8/8/8/4K3/1R4R1 w K - 0 1"));
    EXPECT_EQ(b.castlingRights, WHITE_OO);
    EXPECT_FALSE(hasMove(b, b.castling.move(0)));
}

// The geometries only Chess960 has: a king that stays, king and rook changing places,
// a rook on the king's destination, a king one step from its destination.
TEST(Chess960, CastlingMovesAndTheirNotation) {
    Board_BB64 b;
    UndoInfo u;
    struct Case {
        const char *fen;
        int extra;
        const char *kingTakesRook, *after;
        int checks;
    } cases[] = {
        {"5k2/8/8/8/8/8/8/6KR w H - 0 1", 0, "g1h1", "5k2/8/8/8/8/8/8/5RK1 b - - 1 1", 1},
        {"6k1/8/8/8/8/8/8/5KR1 w G - 0 1", 0, "f1g1", "6k1/8/8/8/8/8/8/5RK1 b - - 1 1", 0},
        {"3k4/8/8/8/8/8/8/1R4K1 w B - 0 1", 1, "g1b1", "3k4/8/8/8/8/8/8/2KR4 b - - 1 1", 1},
        {"1k6/8/8/8/8/8/8/RK6 w A - 0 1", 1, "b1a1", "1k6/8/8/8/8/8/8/2KR4 b - - 1 1", 0},
        {"rk6/8/8/8/8/8/8/3K4 b a - 0 1", 3, "b8a8", "2kr4/8/8/8/8/8/8/3K4 w - - 1 1", 1},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen)) << c.fen;
        const Move m = b.castling.move(c.extra);
        ASSERT_TRUE(hasMove(b, m)) << c.fen;
        EXPECT_TRUE(isValidMove(b, m)) << c.fen;
        EXPECT_FALSE(b.isTactical(m)) << c.fen;
        EXPECT_EQ(text(b, m, CastlingText::KING_TAKES_ROOK), c.kingTakesRook);
        EXPECT_EQ(text(b, m, CastlingText::O_O), c.extra & 1 ? "O-O-O" : "O-O");
        Move parsed;
        for (const char *t : {c.kingTakesRook, c.extra & 1 ? "O-O-O" : "O-O", c.extra & 1 ? "0-0-0" : "0-0"}) {
            ASSERT_TRUE(textToMove(b, t, parsed)) << t;
            EXPECT_EQ(parsed, m) << t;
        }
        AttackInfo checks;
        checkersAfter(b, m, checks);
        EXPECT_EQ(checks.count, c.checks) << c.fen;
        const std::string before = fenOf(b);
        b.makeMove(m, u);
        EXPECT_EQ(fenOf(b), c.after);
        EXPECT_TRUE(b.isConsistent()) << c.fen;
        b.unmakeMove(m, u);
        EXPECT_EQ(fenOf(b), before);
        EXPECT_TRUE(b.isConsistent()) << c.fen;
    }
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

TEST(Chess960, CastlingRefusedWhereTheRulesSaySo) {
    Board_BB64 b;
    const std::pair<const char *, bool> cases[] = {
        {"4k3/8/8/8/8/8/8/qRK5 w B - 0 1", false},    // the rook screened a1's queen from c1
        {"4k3/8/8/8/8/3b4/8/1K5R w H - 0 1", false},  // e1, which the king passes, attacked
        {"4k3/8/8/8/8/8/8/1K3N1R w H - 0 1", false},  // a knight in the king's way
        {"4k3/8/8/8/8/8/8/R1N1K3 w A - 0 1", false},  // a knight on the rook's destination
        {"4k3/8/8/8/8/8/8/RN2K3 w A - 0 1", false},   // a knight the rook must pass
        {"4k3/8/8/8/8/8/8/1K3r1R w H - 0 1", false},  // an enemy rook between them
        {"4k3/8/8/8/4r3/8/8/1K5R w H - 0 1", false},  // e1 attacked along the file
        {"1k6/8/8/8/8/8/8/1K5R w H - 0 1", true},
    };
    for (const auto &[fen, allowed] : cases) {
        ASSERT_TRUE(b.setFromFEN(fen)) << fen;
        MoveList list;
        generateAllLegal(b, list);
        EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const ScoredMove &sm) { return moveKind(sm.move) == CASTLING; }),
                  allowed ? 1 : 0) << fen;
    }
    // A castling move of another game is not valid here.
    EXPECT_FALSE(isValidMove(b, MOVE_WHITE_OO));
}

// Random games from random start positions: every legal move is valid, predicts its
// checks, and makes and unmakes to exact boards and keys; every position reads back
// from its FEN in either style with the same key and castling.
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
                for (int e = 0; e < 4; ++e)
                    if (b.castlingRights & (1 << e)) EXPECT_EQ(copy.castling.move(e), b.castling.move(e));
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
