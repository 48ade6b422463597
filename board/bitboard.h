// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Bitboard helpers and the process-wide attack tables: leaper attacks, empty-board
// rays, squares between two squares and the magic slider lookups.
#pragma once

#include <bit>

#include "board/types.h"

constexpr Bitboard FILE_A_BB = 0x0101010101010101ULL;
constexpr Bitboard FILE_H_BB = FILE_A_BB << 7;
constexpr Bitboard RANK_1_BB = 0xFFULL;
constexpr Bitboard RANK_8_BB = RANK_1_BB << 56;

constexpr Bitboard squareBB(Square s) { return Bitboard(1) << s; }
constexpr Bitboard fileBB(int file) { return FILE_A_BB << file; }
constexpr Bitboard rankBB(int rank) { return RANK_1_BB << (8 * rank); }
// The given rank as seen from side c.
constexpr Bitboard relativeRankBB(Colour c, int rank) { return rankBB(relativeRank(c, rank)); }

inline int popCount(Bitboard b) { return std::popcount(b); }
inline Square lsb(Bitboard b) { return std::countr_zero(b); }
inline Square msb(Bitboard b) { return 63 - std::countl_zero(b); }
inline Square popLsb(Bitboard &b) {
    const Square s = lsb(b);
    b &= b - 1;
    return s;
}
constexpr bool moreThanOne(Bitboard b) { return b & (b - 1); }

// Direction offsets in square numbers.
enum Direction : int { NORTH = 8, SOUTH = -8, EAST = 1, WEST = -1 };

// Shift a whole set one step; files that would wrap around are cut off.
template <int D> constexpr Bitboard shift(Bitboard b) {
    if constexpr (D == NORTH) return b << 8;
    else if constexpr (D == SOUTH) return b >> 8;
    else if constexpr (D == NORTH + NORTH) return b << 16;
    else if constexpr (D == SOUTH + SOUTH) return b >> 16;
    else if constexpr (D == EAST) return (b & ~FILE_H_BB) << 1;
    else if constexpr (D == WEST) return (b & ~FILE_A_BB) >> 1;
    else if constexpr (D == NORTH + EAST) return (b & ~FILE_H_BB) << 9;
    else if constexpr (D == NORTH + WEST) return (b & ~FILE_A_BB) << 7;
    else if constexpr (D == SOUTH + EAST) return (b & ~FILE_H_BB) >> 7;
    else if constexpr (D == SOUTH + WEST) return (b & ~FILE_A_BB) >> 9;
    else static_assert(D == NORTH, "unsupported direction");
}

constexpr int pawnPush(Colour c) { return c == WHITE ? NORTH : SOUTH; }

// Attack tables (built once by initAttackTables / initMagicTables).
extern Bitboard pawnAttacks[2][64];
extern Bitboard knightAttacks[64];
extern Bitboard kingAttacks[64];
extern Bitboard rookRays[64];
extern Bitboard bishopRays[64];
extern Bitboard between[64][64];
extern Bitboard adjacentOnRank[64];

struct Magic {
    uint64_t multiplier;
    uint32_t bitCount;
};
extern const Magic rookMagic[64];
extern const Magic bishopMagic[64];
extern Bitboard rookMask[64], bishopMask[64];
extern uint32_t rookShift[64], bishopShift[64];
extern uint32_t rookOffset[64], bishopOffset[64];
constexpr int SLIDER_TABLE_SIZE = 107648;
extern Bitboard sliderAttacks[SLIDER_TABLE_SIZE];

// Everything one slider lookup reads, side by side: the tables above spread it over
// four cache lines, and a lookup is made for nearly every piece and attack test.
struct alignas(32) SliderLookup {
    Bitboard mask;
    uint64_t multiplier;
    const Bitboard *attacks;  // the square's block of sliderAttacks
    uint32_t shift;
};
extern SliderLookup rookLookup[64], bishopLookup[64];

void initAttackTables();
void initMagicTables();

inline Bitboard sliderLookup(const SliderLookup &l, Bitboard occupied) {
    return l.attacks[uint32_t(((occupied & l.mask) * l.multiplier) >> l.shift)];
}
inline Bitboard rookAttacks(Square s, Bitboard occupied) { return sliderLookup(rookLookup[s], occupied); }
inline Bitboard bishopAttacks(Square s, Bitboard occupied) { return sliderLookup(bishopLookup[s], occupied); }
inline Bitboard queenAttacks(Square s, Bitboard occupied) { return rookAttacks(s, occupied) | bishopAttacks(s, occupied); }
