// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "board/movegen.h"

namespace {

std::string fenOf(const Board_BB64 &b) {
    char buf[128];
    b.toFEN(buf);
    return buf;
}

const std::string BASE = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w ";

// What each FEN reads back as ("" the same, nullptr rejected).
TEST(Fen, RoundTripsAndRejections) {
    const struct {
        std::string fen;
        const char *back;
    } cases[] = {
        {"8/8/8/8/8/8/8/8 w - - 0 1", ""},
        {BASE + "KQkq - 0 1", ""},
        {BASE + "Kq - 0 1", ""},
        {BASE + "k - 0 1", ""},
        {BASE + " - 0 1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1"},  // empty castling field
        {BASE + "KQkq -", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        {BASE + "KQkq - 5", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        // A double step keeps its square only where a pawn can take it; the clock is kept
        // in a byte, the move number counts from the position.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
        {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3",
         "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"8/8/8/8/8/8/8/K6k w - - 300 40", "8/8/8/8/8/8/8/K6k w - - 44 1"},
        {BASE + "QK - 0 1", nullptr}, {BASE + "KK - 0 1", nullptr}, {BASE + "qk - 0 1", nullptr},
        {BASE + "K- - 0 1", nullptr}, {BASE + "KQkq - 0", nullptr}, {BASE + "KQkq - 12345 1", nullptr},
        {BASE + "KQkq - 0 0", nullptr}, {BASE + "KQkq - -1 2", nullptr}, {BASE + "KQkq -x", nullptr},
        {BASE + "KQkq e3 0 1", nullptr},  // wrong rank for White to move
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq e3 0 1", nullptr},  // no pawn behind
        {"ppppppppp/8/8/8/8/8/8/8 w - - 0 1", nullptr}, {"44p/8/8/8/8/8/8/8 w - - 0 1", nullptr},
        {"9/8/8/8/8/8/8/8 w - - 0 1", nullptr}, {"8/8/8/8/8/8/8 w - - 0 1", nullptr},
        {"8/8/8/8/8/8/8/8/8 w - - 0 1", nullptr}, {" 8/8/8/8/8/8/8/8 w - - 0 1", nullptr},
        {"8/8/8/8/8/8/8/8  w - - 0 1", nullptr}, {"8/8/8/8/8/8/8/8 x - - 0 1", nullptr},
        {"8/8/8/8/8/8/8/7X w - - 0 1", nullptr}, {"", nullptr}, {"8/8/8/8/8/8/8/8 w", nullptr},
    };
    for (const auto &c : cases) {
        Board_BB64 b;
        ASSERT_EQ(b.setFromFEN(c.fen.c_str()), c.back != nullptr) << c.fen;
        if (!c.back) continue;
        EXPECT_TRUE(b.isConsistent()) << c.fen;
        EXPECT_EQ(fenOf(b), *c.back ? c.back : c.fen) << c.fen;
    }
}

TEST(Fen, PieceIteratorOrder) {
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/PP6/RN1QK1NR w - - 0 1"));
    PieceIterator it(b, WHITE);
    std::string order;
    for (Square s = it.next(); s != NO_SQUARE; s = it.next()) order += PIECE_CHARS[it.pieceType()];
    EXPECT_EQ(order, "kqrrnnpp");
    EXPECT_EQ(it.next(), NO_SQUARE);
    EXPECT_EQ(it.lastSquare(), NO_SQUARE);
}

// Rights, clock, en-passant square and the piece that lands; unmake restores the board.
TEST(MakeMove, RightsClockEnPassantAndUnmake) {
    const char *rooks = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 1";
    const struct {
        const char *fen, *move;
        int rights, clock;
        Square ep, square;
        int piece;
    } cases[] = {
        {START_FEN, "e2e4", 15, 0, NO_SQUARE, 28, PAWN},  // no capturer: no square, no key term
        {"4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4", 0, 0, 20, 28, PAWN},
        {rooks, "h1h8", WHITE_OOO | BLACK_OOO, 0, NO_SQUARE, 63, ROOK},
        {rooks, "e1g1", BLACK_OO | BLACK_OOO, 8, NO_SQUARE, 5, ROOK},
        {"r3k3/1P6/8/8/8/8/8/4K3 w q - 3 1", "b7a8N", 0, 0, NO_SQUARE, 56, KNIGHT},
    };
    Board_BB64 b;
    Move m;
    UndoInfo u, u2;
    for (const auto &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen));
        const std::string before = fenOf(b);
        const uint64_t key = b.key();
        ASSERT_TRUE(textToMove(b, c.move, m)) << c.move;
        b.makeMove(m, u);
        EXPECT_EQ(b.castlingRights, c.rights) << c.move;
        EXPECT_EQ(b.halfmoveClock, c.clock) << c.move;
        EXPECT_EQ(b.epSquare, c.ep) << c.move;
        EXPECT_EQ(b.pieceOn[c.square], c.piece) << c.move;
        EXPECT_TRUE(b.isConsistent()) << c.move;
        b.unmakeMove(m, u);
        EXPECT_EQ(fenOf(b), before);
        EXPECT_EQ(b.key(), key);
    }
    // The double step's flag; the move number; the null move resets the clock.
    ASSERT_TRUE(b.setFromFEN(START_FEN) && textToMove(b, "e2e4", m));
    EXPECT_EQ(moveExtra(m), 1);
    b.makeMove(m, u);
    ASSERT_TRUE(textToMove(b, "g8f6", m));
    b.makeMove(m, u2);
    EXPECT_EQ(fenOf(b), "rnbqkb1r/pppppppp/5n2/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 2");  // two plies on
    b.makeNullMove(u);
    EXPECT_EQ(b.halfmoveClock, 0);
    EXPECT_TRUE(b.isConsistent());
}

// What a move text reads as on a board (NO_MOVE: refused).
TEST(Notation, TextAndMoves) {
    char text[6];
    moveToText(MOVE_WHITE_OO, text);
    EXPECT_STREQ(text, "e1g1");
    moveToText(makePromotion(9, 0, KNIGHT), text);
    EXPECT_STREQ(text, "b2a1n");
    EXPECT_FALSE(sameMove(makePromotion(52, 60, QUEEN), makePromotion(52, 60, KNIGHT)));
    EXPECT_TRUE(sameMove(MOVE_WHITE_OO, makeMove(4, 6)));
    const char *rook = "3rk3/4P3/8/8/8/8/8/4K2R w K - 0 1";
    const struct {
        const char *fen, *text;
        Move move;
    } cases[] = {
        {"4k3/4P3/8/8/8/8/8/4K2R w K - 0 1", "e7d8Q", NO_MOVE},  // nothing to capture on d8
        {rook, "e7d8Q", makePromotion(52, 59, QUEEN)},
        {rook, "E1G1", MOVE_WHITE_OO},
        {rook, "e7d8", NO_MOVE}, {rook, "e7d8k", NO_MOVE}, {rook, "e7d8x", NO_MOVE}, {rook, "h1h1", NO_MOVE},
        {rook, "e1g", NO_MOVE},  {rook, "i1g1", NO_MOVE},  {rook, "h1h2q", NO_MOVE},
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "e1g1", NO_MOVE},  // no right: no castling
    };
    Board_BB64 b;
    for (const auto &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen));
        Move m = NO_MOVE;
        EXPECT_EQ(textToMove(b, c.text, m), c.move != NO_MOVE) << c.text;
        if (c.move != NO_MOVE) {
            EXPECT_EQ(m, c.move) << c.text;
        }
    }
}

TEST(Draw, FiftyMovesMaterialAndRepetition) {
    Board_BB64 b;
    int reason;
    const struct {
        const char *fen;
        bool drawn;
        int reason;
    } cases[] = {
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 100 80", true, DRAW_FIFTY_MOVES},  // even when mated
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true, DRAW_MATERIAL},
        {"4k3/8/8/8/8/8/8/4KN2 w - - 0 1", true, DRAW_MATERIAL},
        {"4kb2/8/8/8/8/8/8/4K3 w - - 0 1", true, DRAW_MATERIAL},
        {"4k3/8/8/8/8/8/8/3NKN2 w - - 0 1", false, DRAW_NONE},
        {"4kn2/8/8/8/8/8/8/4KB2 w - - 0 1", false, DRAW_NONE},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false, DRAW_NONE},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen));
        EXPECT_EQ(isDraw(b, reason), c.drawn) << c.fen;
        EXPECT_EQ(reason, c.reason) << c.fen;
    }
    auto play = [&](std::initializer_list<const char *> moves) {
        for (const char *text : moves) {
            Move m;
            UndoInfo u;
            ASSERT_TRUE(textToMove(b, text, m)) << text;
            b.makeMove(m, u);
        }
    };
    // Knights shuffle: the second occurrence is a draw with reason 0, the third gives 5.
    ASSERT_TRUE(b.setFromFEN("4k1n1/8/8/8/8/8/8/1N2K3 w - - 0 1"));
    int drawnAt = -1, thirdAt = -1, i = 0;
    for (const char *text : {"b1c3", "g8f6", "c3b1", "f6g8", "b1c3", "g8f6", "c3b1", "f6g8"}) {
        play({text});
        if (isDraw(b, reason) && drawnAt < 0) {
            drawnAt = i;
            EXPECT_EQ(reason, DRAW_NONE);
        }
        if (reason == DRAW_REPETITION && thirdAt < 0) thirdAt = i;
        ++i;
    }
    EXPECT_EQ(drawnAt, 3);
    EXPECT_EQ(thirdAt, 7);
    // Positions before the last irreversible move are not compared: the kings walk a
    // triangle back to the start in six plies, which is a repetition while the clock
    // reaches back to the start and none when it says the first move was irreversible.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    play({"e1d1", "e8d8", "d1d2", "d8d7", "d2e1", "d7e8"});
    ASSERT_EQ(b.halfmoveClock, 6);
    EXPECT_TRUE(isDraw(b, reason));
    b.halfmoveClock = 5;
    EXPECT_FALSE(isDraw(b, reason));
}

}  // namespace
