// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Pawn slots: the leading digit of every index with pawns. Pawns break the rank and diagonal
// symmetries, so only the file mirror is used, and one pawn of the class decides it.
#include <algorithm>

#include "tablebase/index.h"

namespace tbindex {

namespace {

constexpr bool onPawnRank(Square s) { return s >= 8 && s < 56; }
constexpr bool onKingSide(Square s) { return fileOf(s) >= FILE_E; }

// Position of a pawn square in the three-pawn list (files h-e first, then d-a).
int threePawnListPosition(Square s) {
    const int rest = (RANK_7 - rankOf(s)) * 4 + (onKingSide(s) ? FILE_H - fileOf(s) : FILE_D - fileOf(s));
    return onKingSide(s) ? rest : 24 + rest;
}

int threePawnSlot(const Square *p) {
    int at[3] = {threePawnListPosition(p[0]), threePawnListPosition(p[1]), threePawnListPosition(p[2])};
    std::sort(at, at + 3);
    return tables.threePawnSlot[at[0]][at[1]][at[2]];
}

int twoPawnSlot(Square anchor, Square other) { return tables.twoPawnSlot[whitePawnSlot(anchor)][(other ^ 56) - 8]; }

int pawnPairNumber(Square p, Square q) {
    const int a = std::max(p, q) - 8, b = std::min(p, q) - 8;
    return PAWN_PAIRS - a * (a + 1) / 2 + (a - 1 - b);
}

}  // namespace

bool pawnsWantMirror(PawnKind k, const Square *whitePawns, const Square *blackPawns) {
    switch (k) {
    case PawnKind::NONE: return false;
    case PawnKind::WHITE_ONE:
    case PawnKind::WHITE_BLACK: return onKingSide(whitePawns[0]);
    case PawnKind::BLACK_ONE:
    case PawnKind::WHITE_TWO_BLACK: return onKingSide(blackPawns[0]);
    case PawnKind::WHITE_TWO: {
        const Square p = whitePawns[0], q = whitePawns[1];
        return onKingSide(isTwoPawnAnchor(p, q) ? p : q);
    }
    case PawnKind::WHITE_THREE:
        // Exactly one of a triple and its mirror image has a number.
        return std::all_of(whitePawns, whitePawns + 3, onPawnRank) && threePawnSlot(whitePawns) < 0;
    }
    return false;
}

int pawnSlot(PawnKind k, const Square *whitePawns, const Square *blackPawns) {
    const Square *w = whitePawns, *b = blackPawns;
    switch (k) {
    case PawnKind::NONE: return 0;
    case PawnKind::WHITE_ONE:
        if (!onPawnRank(w[0]) || onKingSide(w[0])) return -1;
        return whitePawnSlot(w[0]);
    case PawnKind::BLACK_ONE:
        if (!onPawnRank(b[0]) || onKingSide(b[0])) return -1;
        return blackPawnSlot(b[0]);
    case PawnKind::WHITE_TWO: {
        if (!onPawnRank(w[0]) || !onPawnRank(w[1]) || w[0] == w[1]) return -1;
        const bool firstLeads = isTwoPawnAnchor(w[0], w[1]);
        const Square anchor = firstLeads ? w[0] : w[1], other = firstLeads ? w[1] : w[0];
        return onKingSide(anchor) ? -1 : twoPawnSlot(anchor, other);
    }
    case PawnKind::WHITE_BLACK:
        if (!onPawnRank(w[0]) || !onPawnRank(b[0]) || onKingSide(w[0])) return -1;
        return whitePawnSlot(w[0]) * 48 + (b[0] - 8);
    case PawnKind::WHITE_TWO_BLACK:
        if (!onPawnRank(w[0]) || !onPawnRank(w[1]) || !onPawnRank(b[0]) || w[0] == w[1] || onKingSide(b[0]))
            return -1;
        return blackPawnSlot(b[0]) * PAWN_PAIRS + pawnPairNumber(w[0], w[1]);
    case PawnKind::WHITE_THREE:
        if (!std::all_of(w, w + 3, onPawnRank) || w[0] == w[1] || w[0] == w[2] || w[1] == w[2]) return -1;
        return threePawnSlot(w);
    }
    return -1;
}

void pawnSquares(PawnKind k, uint32_t slot, Square *whitePawns, Square *blackPawns) {
    Square *w = whitePawns, *b = blackPawns;
    switch (k) {
    case PawnKind::NONE: break;
    case PawnKind::WHITE_ONE: w[0] = whitePawnSquare(int(slot)); break;
    case PawnKind::BLACK_ONE: b[0] = blackPawnSquare(int(slot)); break;
    case PawnKind::WHITE_TWO:
        w[0] = tables.twoPawnSquares[slot][0];
        w[1] = tables.twoPawnSquares[slot][1];
        break;
    case PawnKind::WHITE_BLACK:
        w[0] = whitePawnSquare(int(slot / 48));
        b[0] = Square(slot % 48 + 8);
        break;
    case PawnKind::WHITE_TWO_BLACK:
        b[0] = blackPawnSquare(int(slot / PAWN_PAIRS));
        w[0] = tables.pawnPairSquares[slot % PAWN_PAIRS][0];
        w[1] = tables.pawnPairSquares[slot % PAWN_PAIRS][1];
        break;
    case PawnKind::WHITE_THREE:
        for (int i = 0; i < 3; ++i) w[i] = tables.threePawnSquares[slot][i];
        break;
    }
}

}  // namespace tbindex
