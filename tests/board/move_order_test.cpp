// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The generators' output order decides the order of divide lines and the picker's
// choice between equal scores, so it is pinned down move by move here. Also: the
// attacker and checker recording order, and boards a bad FEN can leave behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/movegen.h"

namespace {

std::string texts(const MoveList &list) {
    std::string out;
    for (const ScoredMove &sm : list) {
        char text[6];
        moveToText(sm.move, text);
        out += (out.empty() ? "" : " ") + std::string(text);
    }
    return out;
}

std::vector<int> recorded(const AttackInfo &info) { return std::vector<int>(info.squares, info.squares + info.count); }

}  // namespace

TEST(MoveOrder, LegalMovesAndEvasionsComeInCategoryOrder) {
    const struct {
        const char *fen, *moves;
    } cases[] = {
        // En passant; push promotions; capturing promotions toward the a-file, then the
        // h-file; pawn captures; rook capture; quiets of rooks, king, advanced pawn,
        // initial single step, double step; castling king side first.
        {"r1b1k3/1P6/5n2/3pP3/8/8/7P/R3K2R w KQ d6 0 1",
         "e5d6 b7b8q b7b8n b7b8r b7b8b b7a8q b7a8n b7a8r b7a8b b7c8q b7c8n b7c8r b7c8b e5f6 a1a8 a1b1 a1c1 "
         "a1d1 a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 h1f1 h1g1 e1d1 e1f1 e1d2 e1e2 e1f2 e5e6 h2h3 h2h4 e1g1 e1c1"},
        // The same position mirrored, for the other side's instantiation.
        {"r3k2r/7p/8/8/3Pp3/5N2/1p6/R1B1K3 b kq d3 0 1",
         "e4d3 b2b1q b2b1n b2b1r b2b1b b2a1q b2a1n b2a1r b2a1b b2c1q b2c1n b2c1r b2c1b e4f3 a8a1 a8a2 a8a3 "
         "a8a4 a8a5 a8a6 a8a7 a8b8 a8c8 a8d8 h8f8 h8g8 e8d7 e8e7 e8f7 e8d8 e8f8 e4e3 h7h6 h7h5 e8g8 e8c8"},
        // Captures: bishops, rooks, queens (a queen in all directions at once); quiets:
        // diagonal movers, then line movers, then the king.
        {"7k/8/8/1p6/8/p1p5/1Q1B4/R6K w - - 0 1",
         "d2c3 a1a3 b2a3 b2c3 b2b5 b2c1 d2c1 d2e1 d2e3 d2f4 d2g5 d2h6 a1b1 a1c1 a1d1 a1e1 a1f1 a1g1 a1a2 "
         "b2b1 b2a2 b2c2 b2b3 b2b4 h1g1 h1g2 h1h2"},
        // White in check, the evasion generator: capture the checker, interpose, move the king.
        {"6k1/8/3B4/Q3r2R/2NP3R/8/8/4K1B1 w - - 0 1", "d4e5 c4e5 d6e5 a5e5 h5e5 g1e3 c4e3 h4e4 e1d1 e1f1 e1d2 e1f2"},
    };
    for (const auto &c : cases) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen)) << c.fen;
        MoveList list;
        CheckInfo info;
        computeCheckInfo(b, info);
        if (info.inCheck()) generateEvasions<WHITE>(b, info, list);
        else generateAllLegal(b, list);
        EXPECT_EQ(texts(list), c.moves) << c.fen;
    }
}

TEST(MoveOrder, AttackersAndCheckersAreRecordedInGroupOrder) {
    Board_BB64 b;
    AttackInfo info;
    // Pawn before rook although the rook stands lower; at most two recorded.
    ASSERT_TRUE(b.setFromFEN("k7/8/8/8/3P4/8/8/K3R3 w - - 0 1"));
    EXPECT_TRUE(isAttackedBy(b, WHITE, 36, info));
    EXPECT_EQ(recorded(info), (std::vector<int>{27, 4}));
    ASSERT_TRUE(b.setFromFEN("k7/8/8/8/3P4/5N2/8/K3R3 w - - 0 1"));
    info = AttackInfo{};
    EXPECT_TRUE(isAttackedBy(b, WHITE, 36, info));
    EXPECT_EQ(recorded(info), (std::vector<int>{27, 21}));

    const struct {
        const char *fen, *move;
        std::vector<int> checkers;
    } cases[] = {
        {"4k3/8/8/8/4N3/8/8/K3R3 w - - 0 1", "e4d6", {43, 4}},  // direct first, then discovered
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", {5}},         // the castling rook checks
        {"7k/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8q", {57}},        // the promoted piece checks
        {"7k/8/8/8/8/8/1R6/B6K w - - 0 1", "b2b5", {0}},         // discovered only
        {"8/8/8/k2pP2R/8/8/8/K7 w - d6 0 1", "e5d6", {39}},      // the captured pawn opens the rank
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", {}},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(b.setFromFEN(c.fen)) << c.fen;
        Move m;
        ASSERT_TRUE(textToMove(b, c.move, m)) << c.move;
        checkersAfter(b, m, info);
        EXPECT_EQ(recorded(info), c.checkers) << c.fen << " " << c.move;
    }
}

// A FEN may hold rights without the pieces, no king, or fail half way; moving on such
// a board must not touch memory outside it.
TEST(MoveOrder, OddBoardsFromBadFens) {
    const struct {
        const char *fen;
        bool parses;
        size_t moves;
    } cases[] = {
        {"r3k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", true, 5},    // rights but no rooks
        {"4k3/8/8/8/8/8/8/N3K2N w KQ - 0 1", true, 9},     // knights where the rooks belong
        {"r3k2r/8/8/8/8/8/8/R6R w KQkq - 0 1", true, 26},  // no white king
        {"8/8/8/8/8/8/8/8 b - - 0 1", true, 0},
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", true, 7},  // en-passant target occupied
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", false, 0},  // no side to move
    };
    for (const auto &c : cases) {
        Board_BB64 b;
        ASSERT_EQ(b.setFromFEN(c.fen), c.parses) << c.fen;
        MoveList list;
        generateAllLegal(b, list);
        EXPECT_EQ(list.size(), c.moves) << c.fen;
        for (const ScoredMove &sm : list) {
            AttackInfo info;
            checkersAfter(b, sm.move, info);
            UndoInfo undo;
            b.makeMove(sm.move, undo);
            EXPECT_TRUE(b.isConsistent()) << c.fen;
            b.unmakeMove(sm.move, undo);
        }
        EXPECT_TRUE(!c.parses || b.isConsistent()) << c.fen;
        EXPECT_FALSE(isValidMove(b, MOVE_WHITE_OOO)) << c.fen;
    }
}
