// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// King safety: the pawn shelter in front of the king and open files beside it.
#include <algorithm>
#include <mutex>

#include "eval/terms.h"

namespace eval {

namespace {

// Shelter class 0..2 by the 6-bit pattern of own pawns in front of the king: bits 0-2
// the rank directly in front (files f-1, f, f+1), bits 3-5 the rank after that.
uint8_t shelterClass[64];

constexpr TermPair SHELTER_PER_CLASS(-15, 7);
constexpr TermPair OPEN_KING_FILE(-35, -9);
constexpr TermPair OPEN_ADJACENT_FILE(-8, -11);

// A missing pawn on the f-1 side (in either rank) costs a point, as does a missing
// pawn directly in front on the f+1 side; the king's own file does not count.
void buildShelter() {
    for (int p = 0; p < 64; ++p) shelterClass[p] = uint8_t(((p & 0b1001) == 0 ? 1 : 0) + ((p & 0b100) == 0 ? 1 : 0));
}

std::once_flag shelterBuilt;

// The three files f-1, f, f+1 of one rank as bits 0..2.
int threeFiles(Bitboard pawns, int rank, int f) {
    const uint32_t row = uint32_t((pawns >> (8 * rank)) & 0xFF) << 1;
    return int((row >> f) & 7);
}

template <Colour Us> int shelterPattern(Bitboard pawns, Square k) {
    constexpr int Forward = Us == WHITE ? 1 : -1;
    const int f = fileOf(k), rank = rankOf(k), rel = relativeRank(Us, rank);
    // Near the far edge the ranks in front do not exist and count as full.
    if (rel >= RANK_7) return 0b111111;
    int pattern = threeFiles(pawns, rank + Forward, f);
    pattern |= rel == RANK_6 ? 0b111000 : threeFiles(pawns, rank + 2 * Forward, f) << 3;
    if (f == FILE_A) pattern |= 0b001001;
    if (f == FILE_H) pattern |= 0b100100;
    return pattern;
}

}  // namespace

void initShelterTable() { std::call_once(shelterBuilt, buildShelter); }

template <Colour Us> TermPair kingSafety(const Board_BB64 &b, const PawnInfo &pi, const MaterialInfo &mi) {
    constexpr Colour Them = opposite(Us);
    const Square k = b.kingSquare(Us);
    const int c = shelterClass[shelterPattern<Us>(b.pieces(Us, PAWN), k)] & 3;
    TermPair sum = SHELTER_PER_CLASS * c;

    // Open files only matter while the enemy has heavy pieces to use them.
    const int n = std::min(2, mi.count(Them, MaterialInfo::MAJORS));
    const int f = fileOf(k);
    if (pi.openFiles & (1 << f)) sum += OPEN_KING_FILE * n;
    if (f > FILE_A && (pi.openFiles & (1 << (f - 1)))) sum += OPEN_ADJACENT_FILE * n;
    if (f < FILE_H && (pi.openFiles & (1 << (f + 1)))) sum += OPEN_ADJACENT_FILE * n;
    return sum;
}

template TermPair kingSafety<WHITE>(const Board_BB64 &, const PawnInfo &, const MaterialInfo &);
template TermPair kingSafety<BLACK>(const Board_BB64 &, const PawnInfo &, const MaterialInfo &);

}  // namespace eval
