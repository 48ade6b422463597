// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <string>

#include "board/movegen.h"
#include "board/zobrist.h"

namespace {

std::string fenOf(const Board_BB64 &b) {
    char buf[128];
    b.toFEN(buf);
    return buf;
}

}  // namespace

TEST(Fen, AcceptsAndRejects) {
    const std::string base = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w ";
    struct Case {
        std::string fen;
        bool ok;
    } cases[] = {
        {"8/8/8/8/8/8/8/8 w - - 0 1", true},
        {base + "KQkq - 0 1", true},
        {base + "Kq - 0 1", true},
        {base + "k - 0 1", true},
        {base + " - 0 1", true},  // empty castling field
        {base + "QK - 0 1", false},
        {base + "KK - 0 1", false},
        {base + "qk - 0 1", false},
        {base + "K- - 0 1", false},
        {base + "KQkq -", true},
        {base + "KQkq - 5", true},
        {base + "KQkq - 0", false},
        {base + "KQkq - 12345 1", false},
        {base + "KQkq - 0 0", false},
        {base + "KQkq - -1 2", false},
        {base + "KQkq -x", false},
        {base + "KQkq e3 0 1", false},  // wrong rank for White to move
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", true},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq e3 0 1", false},  // no pawn behind
        {"ppppppppp/8/8/8/8/8/8/8 w - - 0 1", false},
        {"44p/8/8/8/8/8/8/8 w - - 0 1", false},
        {"9/8/8/8/8/8/8/8 w - - 0 1", false},
        {"8/8/8/8/8/8/8 w - - 0 1", false},
        {"8/8/8/8/8/8/8/8/8 w - - 0 1", false},
        {" 8/8/8/8/8/8/8/8 w - - 0 1", false},
        {"8/8/8/8/8/8/8/8  w - - 0 1", false},
        {"8/8/8/8/8/8/8/8 x - - 0 1", false},
        {"8/8/8/8/8/8/8/7X w - - 0 1", false},
        {"", false},
        {"8/8/8/8/8/8/8/8 w", false},
    };
    for (const Case &c : cases) {
        Board_BB64 b;
        EXPECT_EQ(b.setFromFEN(c.fen.c_str()), c.ok) << c.fen;
        if (c.ok) {
            EXPECT_TRUE(b.isConsistent()) << c.fen;
        }
    }
}

TEST(Fen, StoredFieldsAndRoundTrip) {
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
    EXPECT_EQ(b.epSquare, NO_SQUARE);
    EXPECT_EQ(fenOf(b), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    // A capturable double step keeps its square and key.
    ASSERT_TRUE(b.setFromFEN("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3"));
    EXPECT_EQ(b.epSquare, 20);
    EXPECT_EQ(fenOf(b), "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    ASSERT_TRUE(b.setFromFEN("8/8/8/8/8/8/8/K6k w - - 300 40"));
    EXPECT_EQ(b.halfmoveClock, 44);
    EXPECT_EQ(fenOf(b), "8/8/8/8/8/8/8/K6k w - - 44 1");
    // Two plies later the move number is 2.
    ASSERT_TRUE(b.setFromFEN(START_FEN));
    Move m;
    UndoInfo u1, u2;
    ASSERT_TRUE(textToMove(b, "e2e4", m));
    b.makeMove(m, u1);
    EXPECT_EQ(fenOf(b), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    ASSERT_TRUE(textToMove(b, "g8f6", m));
    b.makeMove(m, u2);
    EXPECT_EQ(fenOf(b), "rnbqkb1r/pppppppp/5n2/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 2");
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

TEST(MakeMove, RightsClockAndEnPassantKeys) {
    Board_BB64 b;
    Move m;
    UndoInfo u;
    // Double step without a capturer sets no square and no key term.
    ASSERT_TRUE(b.setFromFEN(START_FEN));
    ASSERT_TRUE(textToMove(b, "e2e4", m));
    EXPECT_EQ(moveExtra(m), 1);
    b.makeMove(m, u);
    EXPECT_EQ(b.epSquare, NO_SQUARE);
    // With a black pawn on d4 it sets e3.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1"));
    ASSERT_TRUE(textToMove(b, "e2e4", m));
    b.makeMove(m, u);
    EXPECT_EQ(b.epSquare, 20);
    EXPECT_TRUE(b.isConsistent());
    // Captures and moves of rooks and kings remove rights.
    ASSERT_TRUE(b.setFromFEN("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 1"));
    ASSERT_TRUE(textToMove(b, "h1h8", m));
    b.makeMove(m, u);
    EXPECT_EQ(b.castlingRights, WHITE_OOO | BLACK_OOO);
    EXPECT_EQ(b.halfmoveClock, 0);
    b.unmakeMove(m, u);
    EXPECT_EQ(b.castlingRights, 15);
    EXPECT_EQ(b.halfmoveClock, 7);
    ASSERT_TRUE(textToMove(b, "e1g1", m));
    EXPECT_EQ(m, MOVE_WHITE_OO);
    b.makeMove(m, u);
    EXPECT_EQ(b.castlingRights, BLACK_OO | BLACK_OOO);
    EXPECT_EQ(b.halfmoveClock, 8);
    EXPECT_EQ(b.pieceOn[5], ROOK);
    // Promotion with capture on a8 clears "q".
    ASSERT_TRUE(b.setFromFEN("r3k3/1P6/8/8/8/8/8/4K3 w q - 3 1"));
    ASSERT_TRUE(textToMove(b, "b7a8N", m));
    b.makeMove(m, u);
    EXPECT_EQ(b.castlingRights, 0);
    EXPECT_EQ(b.pieceOn[56], KNIGHT);
    EXPECT_EQ(b.halfmoveClock, 0);
    EXPECT_TRUE(b.isConsistent());
    // Null move resets the clock and keeps the keys exact.
    b.makeNullMove(u);
    EXPECT_EQ(b.halfmoveClock, 0);
    EXPECT_TRUE(b.isConsistent());
}

TEST(Notation, TextAndMoves) {
    char text[6];
    moveToText(MOVE_WHITE_OO, text);
    EXPECT_STREQ(text, "e1g1");
    moveToText(makePromotion(9, 0, KNIGHT), text);
    EXPECT_STREQ(text, "b2a1n");
    EXPECT_FALSE(sameMove(makePromotion(52, 60, QUEEN), makePromotion(52, 60, KNIGHT)));
    EXPECT_TRUE(sameMove(MOVE_WHITE_OO, makeMove(4, 6)));

    Board_BB64 b;
    Move m;
    ASSERT_TRUE(b.setFromFEN("4k3/4P3/8/8/8/8/8/4K2R w K - 0 1"));
    EXPECT_TRUE(textToMove(b, "e7d8Q", m) == false);  // nothing to capture on d8
    ASSERT_TRUE(b.setFromFEN("3rk3/4P3/8/8/8/8/8/4K2R w K - 0 1"));
    EXPECT_TRUE(textToMove(b, "e7d8Q", m));
    EXPECT_EQ(promotionPiece(m), QUEEN);
    EXPECT_FALSE(textToMove(b, "e7d8", m));
    EXPECT_FALSE(textToMove(b, "e7d8k", m));
    EXPECT_FALSE(textToMove(b, "e7d8x", m));
    EXPECT_TRUE(textToMove(b, "E1G1", m));
    EXPECT_EQ(moveKind(m), CASTLING);
    EXPECT_FALSE(textToMove(b, "h1h1", m));
    EXPECT_FALSE(textToMove(b, "e1g", m));
    EXPECT_FALSE(textToMove(b, "i1g1", m));
    EXPECT_FALSE(textToMove(b, "h1h2q", m));
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    EXPECT_FALSE(textToMove(b, "e1g1", m));  // no right: no castling
}

TEST(Draw, FiftyMovesMaterialAndRepetition) {
    Board_BB64 b;
    int reason;
    // Fifty moves even when mated.
    ASSERT_TRUE(b.setFromFEN("R5k1/5ppp/8/8/8/8/8/6K1 b - - 100 80"));
    EXPECT_TRUE(isDraw(b, reason));
    EXPECT_EQ(reason, DRAW_FIFTY_MOVES);
    const struct {
        const char *fen;
        bool drawn;
    } material[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},  {"4k3/8/8/8/8/8/8/4KN2 w - - 0 1", true},
        {"4kb2/8/8/8/8/8/8/4K3 w - - 0 1", true}, {"4k3/8/8/8/8/8/8/3NKN2 w - - 0 1", false},
        {"4kn2/8/8/8/8/8/8/4KB2 w - - 0 1", false}, {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
    };
    for (const auto &c : material) {
        ASSERT_TRUE(b.setFromFEN(c.fen));
        EXPECT_EQ(isDraw(b, reason), c.drawn) << c.fen;
        EXPECT_EQ(reason, c.drawn ? DRAW_MATERIAL : DRAW_NONE) << c.fen;
    }
    // Knights shuffle: the second occurrence is a draw with reason 0, the third gives 5.
    ASSERT_TRUE(b.setFromFEN("4k1n1/8/8/8/8/8/8/1N2K3 w - - 0 1"));
    const char *shuffle[] = {"b1c3", "g8f6", "c3b1", "f6g8", "b1c3", "g8f6", "c3b1", "f6g8"};
    int drawnAt = -1, thirdAt = -1;
    for (int i = 0; i < 8; ++i) {
        Move m;
        UndoInfo u;
        ASSERT_TRUE(textToMove(b, shuffle[i], m));
        b.makeMove(m, u);
        const bool drawn = isDraw(b, reason);
        if (drawn && drawnAt < 0) {
            drawnAt = i;
            EXPECT_EQ(reason, DRAW_NONE);
        }
        if (reason == DRAW_REPETITION && thirdAt < 0) thirdAt = i;
    }
    EXPECT_EQ(drawnAt, 3);
    EXPECT_EQ(thirdAt, 7);
    // Positions before the last irreversible move are not compared: the kings walk a
    // triangle back to the start in six plies, which is a repetition while the clock
    // reaches back to the start and none when it says the first move was irreversible.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    for (const char *text : {"e1d1", "e8d8", "d1d2", "d8d7", "d2e1", "d7e8"}) {
        Move m;
        UndoInfo u;
        ASSERT_TRUE(textToMove(b, text, m));
        b.makeMove(m, u);
    }
    ASSERT_EQ(b.halfmoveClock, 6);
    EXPECT_TRUE(isDraw(b, reason));
    b.halfmoveClock = 5;
    EXPECT_FALSE(isDraw(b, reason));
}
