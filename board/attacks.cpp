// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Leaper attacks, empty-board rays and the between/adjacent line tables.
#include <mutex>

#include "board/bitboard.h"

Bitboard pawnAttacks[2][64];
Bitboard knightAttacks[64];
Bitboard kingAttacks[64];
Bitboard rookRays[64];
Bitboard bishopRays[64];
Bitboard between[64][64];
Bitboard adjacentOnRank[64];

namespace {

struct Step {
    int df, dr;
};

constexpr Step KNIGHT_STEPS[8] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr Step KING_STEPS[8] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr bool isDiagonal(Step d) { return d.df != 0 && d.dr != 0; }

constexpr bool onBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

// The square one step away from s, or NO_SQUARE if that step leaves the board.
constexpr Square stepFrom(Square s, Step d) {
    const int f = fileOf(s) + d.df, r = rankOf(s) + d.dr;
    return onBoard(f, r) ? makeSquare(f, r) : NO_SQUARE;
}

Bitboard leaperAttacks(Square s, const Step (&steps)[8]) {
    Bitboard result = 0;
    for (Step d : steps)
        if (const Square t = stepFrom(s, d); t != NO_SQUARE) result |= squareBB(t);
    return result;
}

// Walks every line from s to the edge; each square reached records the squares passed
// on the way as between[s][reached], and the line itself goes into the ray tables.
void buildLines(Square s) {
    for (Step d : KING_STEPS) {
        Bitboard passed = 0;
        for (Square t = stepFrom(s, d); t != NO_SQUARE; t = stepFrom(t, d)) {
            between[s][t] = passed;
            passed |= squareBB(t);
        }
        (isDiagonal(d) ? bishopRays[s] : rookRays[s]) |= passed;
    }
}

void buildAll() {
    for (Square s = 0; s < 64; ++s) {
        const Bitboard b = squareBB(s);
        pawnAttacks[WHITE][s] = shift<NORTH + WEST>(b) | shift<NORTH + EAST>(b);
        pawnAttacks[BLACK][s] = shift<SOUTH + WEST>(b) | shift<SOUTH + EAST>(b);
        knightAttacks[s] = leaperAttacks(s, KNIGHT_STEPS);
        kingAttacks[s] = leaperAttacks(s, KING_STEPS);
        adjacentOnRank[s] = shift<WEST>(b) | shift<EAST>(b);
        buildLines(s);
    }
}

std::once_flag attackTablesBuilt;

}  // namespace

void initAttackTables() { std::call_once(attackTablesBuilt, buildAll); }
