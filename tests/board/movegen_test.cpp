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

namespace {

// Plain recursive count through the full make/unmake, checking the board's
// incremental state against a from-scratch computation at every node.
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
    const struct {
        const char *fen;
        int depth;
        uint64_t leaves;
    } cases[] = {
        {START_FEN, 3, 8902},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2, 2039},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
        {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
    };
    for (const auto &c : cases) {
        Board_BB64 b = boardFrom(c.fen);
        EXPECT_EQ(perftFull(b, c.depth), c.leaves) << c.fen;
    }
}

// Which of the moves asked about (nullptr: all) are legal.
TEST(MoveGen, PinsEnPassantAndCastlingRules) {
    const char *castles = "e1g1 e1c1 e8g8 e8c8";
    const struct {
        const char *fen, *asked, *legal;
    } cases[] = {
        // King next to a rook on the file: only the capture and the two side steps.
        {"4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", nullptr, "e1d1 e1f1 e1e2"},
        // En passant that would expose the king along the rank.
        {"8/8/8/KPp4r/8/8/8/7k w - c6 0 1", "b5c6", ""},
        // A pinned rook moves along the pin line only; a pinned knight not at all.
        {"4k3/4r3/8/8/4R3/8/8/4K3 w - - 0 1", "e4e5 e4e6 e4e7 e4e3 e4e2 e4d4", "e4e5 e4e6 e4e7 e4e3 e4e2"},
        {"4k3/4r3/8/8/4N3/8/8/4K3 w - - 0 1", nullptr, "e1d1 e1f1 e1d2 e1e2 e1f2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", castles, "e1g1 e1c1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", castles, "e8g8 e8c8"},
        {"r3k2r/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", castles, ""},            // in check
        {"4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1", castles, "e1c1"},          // through an attacked f1
        {"4k3/8/8/8/8/8/2r5/R3K2R w KQ - 0 1", castles, "e1g1"},          // onto an attacked c1
        {"4k3/8/8/8/8/8/1r6/R3K2R w KQ - 0 1", castles, "e1g1 e1c1"},     // b1 may be attacked
        {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", castles, "e1g1"},           // but must be empty
    };
    for (const auto &c : cases) {
        Board_BB64 b = boardFrom(c.fen);
        MoveList list;
        generateAllLegal(b, list);
        std::set<std::string> legal;
        for (const ScoredMove &sm : list) {
            char text[6];
            moveToText(sm.move, text);
            if (!c.asked || words(c.asked).count(text)) legal.insert(text);
        }
        EXPECT_EQ(legal, words(c.legal)) << c.fen;
    }
    // A castling hash move in check is valid but refused.
    Board_BB64 b = boardFrom("4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1");
    CheckInfo info;
    computeCheckInfo(b, info);
    EXPECT_TRUE(isValidMove(b, MOVE_WHITE_OO));
    EXPECT_FALSE(isLegal(b, MOVE_WHITE_OO, info));
}

// Random games: keys and sums stay exact, make/unmake restores everything, the validity
// and legality tests agree with the generator, and checkersAfter matches the real board.
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
