// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "board/movegen.h"
#include "tests/test_support.h"

namespace {

std::string fenOf(const Board_BB64 &b) {
    char buf[128];
    b.toFEN(buf);
    return buf;
}

TEST(Fen, RoundTripsAndRejections) {
    for (const CaseFields &c : readCases("board/fens.txt")) {
        Board_BB64 b;
        ASSERT_EQ(b.setFromFEN(c[0].c_str()), c[1] != "!") << c[0];
        if (c[1] == "!") continue;
        EXPECT_TRUE(b.isConsistent()) << c[0];
        EXPECT_EQ(fenOf(b), c[1] == "=" ? c[0] : c[1]) << c[0];
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

TEST(MakeMove, RightsClockEnPassantAndUnmake) {
    Board_BB64 b;
    Move m;
    UndoInfo u, u2;
    for (const CaseFields &c : readCases("board/make_move.txt")) {
        ASSERT_TRUE(b.setFromFEN(c[0].c_str()));
        const std::string before = fenOf(b);
        const uint64_t key = b.key();
        ASSERT_TRUE(textToMove(b, c[1].c_str(), m)) << c[1];
        b.makeMove(m, u);
        EXPECT_EQ(b.castlingRights, std::stoi(c[2])) << c[1];
        EXPECT_EQ(b.halfmoveClock, std::stoi(c[3])) << c[1];
        EXPECT_EQ(b.epSquare, std::stoi(c[4])) << c[1];
        EXPECT_EQ(b.pieceOn[std::stoi(c[5])], std::stoi(c[6])) << c[1];
        EXPECT_TRUE(b.isConsistent()) << c[1];
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

// The check the other tests lean on sees each kind of damage.
TEST(Board, ConsistencyCheckFindsDamage) {
    const std::function<void(Board_BB64 &)> damage[] = {
        [](Board_BB64 &b) { b.colorBB[WHITE] |= squareBB(35); },
        [](Board_BB64 &b) { b.colorBB[BLACK] |= squareBB(4); },
        [](Board_BB64 &b) { b.pieceBB[KNIGHT - 1] |= squareBB(4); },
        [](Board_BB64 &b) { b.pieceOn[35] = PAWN; },
        [](Board_BB64 &b) { b.halfmoveClock = 3; },  // harmless: the clock is no part of the check
    };
    for (size_t i = 0; i < std::size(damage); ++i) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(START_FEN) && b.isConsistent());
        damage[i](b);
        EXPECT_EQ(b.isConsistent(), i == 4) << i;
    }
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
    for (const CaseFields &c : readCases("board/move_texts.txt")) {
        ASSERT_TRUE(b.setFromFEN(c[0].c_str()));
        Move m = NO_MOVE, expected = NO_MOVE;
        MoveList list;
        generateAllLegal(b, list);
        for (const ScoredMove &sm : list) {
            moveToText(sm.move, text);
            if (c[2] == text) expected = sm.move;
        }
        ASSERT_EQ(expected != NO_MOVE, c[2] != "!") << c[2];
        EXPECT_EQ(textToMove(b, c[1].c_str(), m), expected != NO_MOVE) << c[1];
        if (expected != NO_MOVE) {
            EXPECT_EQ(m, expected) << c[1];
        }
    }
}

TEST(Draw, FiftyMovesMaterialAndRepetition) {
    Board_BB64 b;
    int reason;
    for (const CaseFields &c : readCases("board/draws.txt")) {
        ASSERT_TRUE(b.setFromFEN(c[0].c_str()));
        EXPECT_EQ(isDraw(b, reason), c[1] != "0") << c[0];
        EXPECT_EQ(reason, std::stoi(c[1])) << c[0];
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
    // A repetition counts only within the clock: a six-ply king triangle, then the clock cut to five.
    ASSERT_TRUE(b.setFromFEN("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    play({"e1d1", "e8d8", "d1d2", "d8d7", "d2e1", "d7e8"});
    ASSERT_EQ(b.halfmoveClock, 6);
    EXPECT_TRUE(isDraw(b, reason));
    b.halfmoveClock = 5;
    EXPECT_FALSE(isDraw(b, reason));
}

}  // namespace
