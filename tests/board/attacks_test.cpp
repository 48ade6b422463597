// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "board/bitboard.h"
#include "board/zobrist.h"
#include "platform/random.h"

namespace {

enum : Square {
    A1 = 0, B1 = 1, E1 = 4, H2 = 15, B3 = 17, A4 = 24, D4 = 27, E4 = 28, A5 = 32, A8 = 56, E8 = 60, H8 = 63
};

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

// Every subset of each mask, with random pieces off the mask that must not matter: a
// multiplier with a destructive collision fails here for its square.
TEST(Attacks, SlidersMatchRayWalkForEveryMaskSubset) {
    initTables();
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

TEST(Attacks, SliderCornerAndCentreCases) {
    initTables();
    EXPECT_EQ(rookAttacks(A1, 0), (FILE_A_BB | RANK_1_BB) & ~squareBB(A1));
    EXPECT_EQ(popCount(rookAttacks(A1, 0)), 14);
    EXPECT_EQ(rookAttacks(A1, squareBB(A4)), bb({A1 + 8, A1 + 16, A4}) | (RANK_1_BB & ~squareBB(A1)));
    EXPECT_EQ(popCount(bishopAttacks(D4, 0)), 13);
    // Blockers of either colour count, and the slider's own square is ignored.
    EXPECT_EQ(bishopAttacks(A1, squareBB(A1) | squareBB(D4)), bb({9, 18, D4}));
}

TEST(Attacks, BetweenIsTheStrictInteriorOfALine) {
    initTables();
    EXPECT_EQ(between[A1][H8], bb({9, 18, 27, 36, 45, 54}));
    EXPECT_EQ(between[A1][B3], 0u);
    EXPECT_EQ(between[E1][E8], bb({12, 20, 28, 36, 44, 52}));
    EXPECT_EQ(between[E1][E1], 0u);
    EXPECT_EQ(between[A1][B1], 0u);
    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            ASSERT_EQ(between[a][b], between[b][a]);
            // On a shared line the interior is what both ends see of each other along it.
            const Bitboard ends = squareBB(a) | squareBB(b);
            const Bitboard line = rookRays[a] & squareBB(b)     ? rookRays[a] & rookRays[b]
                                  : bishopRays[a] & squareBB(b) ? bishopRays[a] & bishopRays[b]
                                                                : 0;
            const Bitboard expected = queenAttacks(a, ends) & queenAttacks(b, ends) & line;
            ASSERT_EQ(between[a][b], expected) << a << "-" << b;
        }
}

TEST(Attacks, LeapersStayOnTheBoard) {
    initTables();
    EXPECT_EQ(pawnAttacks[WHITE][H2], bb({22}));
    EXPECT_EQ(pawnAttacks[WHITE][A8], 0u);
    EXPECT_EQ(pawnAttacks[BLACK][A1], 0u);
    EXPECT_EQ(pawnAttacks[BLACK][E4], bb({19, 21}));
    EXPECT_EQ(adjacentOnRank[A5], bb({33}));
    EXPECT_EQ(adjacentOnRank[E4], bb({27, 29}));
    // Totals over the board catch moves that wrap around an edge.
    int knightMoves = 0, kingMoves = 0;
    for (Square s = 0; s < 64; ++s) {
        knightMoves += popCount(knightAttacks[s]);
        kingMoves += popCount(kingAttacks[s]);
    }
    EXPECT_EQ(knightMoves, 336);
    EXPECT_EQ(kingMoves, 420);
    EXPECT_EQ(knightAttacks[A1], bb({10, B3}));
}

TEST(Zobrist, KeysFollowTheFixedSeedAndBitLayout) {
    initTables();
    // The layout: 11 low bits of five calls, then 9 of the sixth, lowest first.
    seedRandom(327641845);
    uint64_t manual = 0;
    for (int call = 0, at = 0; call < 6; ++call, at += 11)
        manual |= uint64_t(nextRandom() & (call < 5 ? 0x7FF : 0x1FF)) << at;
    EXPECT_EQ(manual, zobristPiece[0][0]);

    seedRandom(327641845);
    std::set<uint64_t> distinct;
    for (auto &keys : zobristPiece)
        for (uint64_t key : keys) ASSERT_EQ(key, randomKey64());
    for (int right : {1, 2, 4, 8}) ASSERT_EQ(zobristCastle[right], randomKey64());
    for (uint64_t key : zobristEp) ASSERT_EQ(key, randomKey64());
    EXPECT_EQ(zobristSide, randomKey64());

    for (auto &keys : zobristPiece) distinct.insert(std::begin(keys), std::end(keys));
    distinct.insert(std::begin(zobristEp), std::end(zobristEp));
    for (int right : {1, 2, 4, 8}) distinct.insert(zobristCastle[right]);
    distinct.insert(zobristSide);
    EXPECT_EQ(distinct.size(), 12u * 64 + 8 + 4 + 1);
    EXPECT_EQ(distinct.count(0), 0u);
    // Only single right bits have keys, so a change of rights XORs one key per bit.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(zobristCastle[i] != 0, popCount(i) == 1) << i;
}

}  // namespace

// Evaluation pairs are packed in one word; each half must behave as its own int16_t,
// negative halves and borrows included.
TEST(TermPair, HalvesAddSubtractAndScaleIndependently) {
    const TermPair a(-31, 13), b(24, -13);
    EXPECT_EQ(a.mg(), -31);
    EXPECT_EQ(a.eg(), 13);
    EXPECT_EQ((a + b).mg(), -7);
    EXPECT_EQ((a + b).eg(), 0);
    EXPECT_EQ((a - b).mg(), -55);
    EXPECT_EQ((a - b).eg(), 26);
    EXPECT_EQ((b * -3).mg(), -72);
    EXPECT_EQ((b * -3).eg(), 39);
    EXPECT_EQ(TermPair(-1, -1).eg(), -1);
    EXPECT_EQ(TermPair(32767, -32768).mg(), 32767);
    EXPECT_EQ(TermPair(32767, -32768).eg(), -32768);
    EXPECT_EQ(TermPair(-32768, 32767).eg(), 32767);
    TermPair sum;
    for (int i = 0; i < 100; ++i) sum += TermPair(i % 2 ? -i : i, -i);
    EXPECT_EQ(sum.mg(), -50);
    EXPECT_EQ(sum.eg(), -4950);
    EXPECT_TRUE(TermPair(3, -4) == TermPair(3, -4));
    EXPECT_FALSE(TermPair(3, -4) == TermPair(-4, 3));
}
