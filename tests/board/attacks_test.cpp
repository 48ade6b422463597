// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <initializer_list>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "board/bitboard.h"
#include "board/zobrist.h"

namespace {

void initTables() {
    initAttackTables();
    initMagicTables();
    initZobristKeys();
}

Bitboard bb(std::initializer_list<Square> squares) {
    Bitboard b = 0;
    for (Square s : squares) b |= squareBB(s);
    return b;
}

// Reference slider: one square at a time along each (file, rank) step.
Bitboard slowSlider(Square s, Bitboard occupied, bool diagonal) {
    static constexpr int ROOK[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    static constexpr int BISHOP[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    Bitboard result = 0;
    for (const auto &d : diagonal ? BISHOP : ROOK) {
        for (int f = fileOf(s) + d[0], r = rankOf(s) + d[1]; f >= 0 && f < 8 && r >= 0 && r < 8;
             f += d[0], r += d[1]) {
            result |= squareBB(makeSquare(f, r));
            if (occupied & squareBB(makeSquare(f, r))) break;
        }
    }
    return result;
}

// Every subset of each mask, with random off-mask pieces: a bad multiplier fails here.
TEST(Attacks, SlidersMatchRayWalkForEveryMaskSubset) {
    initTables();
    // The reference itself on known sets; either colour blocks, the own square is ignored.
    EXPECT_EQ(slowSlider(0, 0, false), (FILE_A_BB | RANK_1_BB) & ~squareBB(0));
    EXPECT_EQ(slowSlider(0, squareBB(24), false), bb({8, 16, 24}) | (RANK_1_BB & ~squareBB(0)));
    EXPECT_EQ(popCount(slowSlider(27, 0, true)), 13);
    EXPECT_EQ(bishopAttacks(0, squareBB(0) | squareBB(27)), bb({9, 18, 27}));
    std::mt19937_64 rng(12345);
    for (Square s = 0; s < 64; ++s) {
        for (bool diagonal : {false, true}) {
            const Bitboard mask = diagonal ? bishopMask[s] : rookMask[s];
            ASSERT_EQ(popCount(mask), int(diagonal ? bishopMagic[s].bitCount : rookMagic[s].bitCount)) << s;
            Bitboard subset = 0;
            do {
                const Bitboard occupied = subset | (rng() & rng() & ~mask);
                const Bitboard got = diagonal ? bishopAttacks(s, occupied) : rookAttacks(s, occupied);
                ASSERT_EQ(got, slowSlider(s, occupied, diagonal)) << "square " << s << " diagonal " << diagonal;
                subset = (subset - mask) & mask;
            } while (subset);
        }
        const Bitboard occupied = rng();
        EXPECT_EQ(queenAttacks(s, occupied), slowSlider(s, occupied, false) | slowSlider(s, occupied, true));
        EXPECT_EQ(rookRays[s], slowSlider(s, 0, false));
        EXPECT_EQ(bishopRays[s], slowSlider(s, 0, true));
    }
}

TEST(Attacks, BetweenIsTheStrictInteriorOfALine) {
    initTables();
    EXPECT_EQ(between[0][63], bb({9, 18, 27, 36, 45, 54}));
    EXPECT_EQ(between[4][60], bb({12, 20, 28, 36, 44, 52}));
    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            // On a shared line the interior is what both ends see of each other along it.
            const Bitboard ends = squareBB(a) | squareBB(b);
            const Bitboard line = rookRays[a] & squareBB(b)     ? rookRays[a] & rookRays[b]
                                  : bishopRays[a] & squareBB(b) ? bishopRays[a] & bishopRays[b]
                                                                : 0;
            ASSERT_EQ(between[a][b], queenAttacks(a, ends) & queenAttacks(b, ends) & line) << a << "-" << b;
        }
}

TEST(Attacks, LeapersStayOnTheBoard) {
    initTables();
    EXPECT_EQ(pawnAttacks[WHITE][15], bb({22}));
    EXPECT_EQ(pawnAttacks[WHITE][56], 0u);
    EXPECT_EQ(pawnAttacks[BLACK][0], 0u);
    EXPECT_EQ(pawnAttacks[BLACK][28], bb({19, 21}));
    EXPECT_EQ(adjacentOnRank[32], bb({33}));
    EXPECT_EQ(adjacentOnRank[28], bb({27, 29}));
    EXPECT_EQ(knightAttacks[0], bb({10, 17}));
    // Totals over the board catch moves that wrap around an edge.
    int knightMoves = 0, kingMoves = 0;
    for (Square s = 0; s < 64; ++s) {
        knightMoves += popCount(knightAttacks[s]);
        kingMoves += popCount(kingAttacks[s]);
    }
    EXPECT_EQ(knightMoves, 336);
    EXPECT_EQ(kingMoves, 420);
}

// Keys distinct and non-zero; only single castling-right bits have keys.
TEST(Zobrist, KeysAreDistinctAndCastlingKeysPerRight) {
    initTables();
    std::set<uint64_t> distinct;
    for (auto &keys : zobristPiece) distinct.insert(std::begin(keys), std::end(keys));
    distinct.insert(std::begin(zobristEp), std::end(zobristEp));
    for (int right : {1, 2, 4, 8}) distinct.insert(zobristCastle[right]);
    distinct.insert(zobristSide);
    EXPECT_EQ(distinct.size(), 12u * 64 + 8 + 4 + 1);
    EXPECT_EQ(distinct.count(0), 0u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(zobristCastle[i] != 0, popCount(i) == 1) << i;
}

}  // namespace

// Each half of a packed pair behaves as its own int16_t, borrows included.
TEST(TermPair, HalvesAddSubtractAndScaleIndependently) {
    const TermPair a(-31, 13), b(24, -13);
    const struct {
        TermPair got;
        int mg, eg;
    } cases[] = {{a, -31, 13},          {a + b, -7, 0},
                 {a - b, -55, 26},      {b * -3, -72, 39},
                 {TermPair(-1, -1), -1, -1}, {TermPair(32767, -32768), 32767, -32768},
                 {TermPair(-32768, 32767), -32768, 32767}};
    for (const auto &c : cases) EXPECT_TRUE(c.got.mg() == c.mg && c.got.eg() == c.eg) << c.mg << " " << c.eg;
    TermPair sum;
    for (int i = 0; i < 100; ++i) sum += TermPair(i % 2 ? -i : i, -i);
    EXPECT_EQ(sum.mg(), -50);
    EXPECT_EQ(sum.eg(), -4950);
    EXPECT_TRUE(TermPair(3, -4) == TermPair(3, -4));
    EXPECT_FALSE(TermPair(3, -4) == TermPair(-4, 3));
}
