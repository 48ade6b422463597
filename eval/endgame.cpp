// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Endgame knowledge: the scaling factor for drawish endings and the mop-up
// evaluation of pawnless positions.
#include <algorithm>

#include "eval/terms.h"

using eval::kingDistance;

namespace {

constexpr bool isDark(Square s) { return ((fileOf(s) + rankOf(s)) & 1) == 0; }

// 0 on the outer ring .. 3 on the four centre squares.
constexpr int centrality(Square s) {
    const int f = fileOf(s), r = rankOf(s);
    return std::min(std::min(f, 7 - f), std::min(r, 7 - r));
}

// King, bishop and rook's pawn against a bare king with the bishop of the wrong
// colour is a draw when the defender reaches the corner.
int bishopAndPawn(const Board_BB64 &b, Colour strong) {
    const Square pawn = lsb(b.pieces(strong, PAWN));
    const int f = fileOf(pawn);
    if (f != FILE_A && f != FILE_H) return 100;
    const Square promotion = makeSquare(f, relativeRank(strong, RANK_8));
    if (isDark(lsb(b.pieces(strong, BISHOP))) == isDark(promotion)) return 100;
    return kingDistance(b.kingSquare(opposite(strong)), promotion) > 1 ? 50 : 0;
}

// Queen against a rook's or bishop's pawn on its seventh rank, with the pawn's king
// beside it, is a known draw.
int queenAgainstPawn(const Board_BB64 &b, Colour weak) {
    Square pawn = lsb(b.pieces(weak, PAWN));
    Square king = b.kingSquare(weak);
    const int f = fileOf(pawn);
    if (f != FILE_A && f != FILE_C && f != FILE_F && f != FILE_H) return 100;
    if (relativeRank(weak, rankOf(pawn)) != RANK_7) return 100;
    // Mirror so the pawn is a Black pawn on a2 or c2.
    if (weak == WHITE) pawn ^= 56, king ^= 56;
    if (fileOf(pawn) > FILE_D) pawn ^= 7, king ^= 7;
    constexpr Square A1 = 0, B1 = 1, C1 = 2, D1 = 3, B2 = 9, D2 = 11;
    const bool drawn = fileOf(pawn) == FILE_A ? (king == A1 || king == B1 || king == B2)
                                              : (king == B1 || king == C1 || king == D1 || king == B2 || king == D2);
    return drawn ? 25 : 100;
}

// The rules for exactly four men, first match wins.
int fourMen(const Board_BB64 &b, const MaterialInfo &mi) {
    for (Colour c : {WHITE, BLACK}) {
        const Colour o = opposite(c);
        if (mi.pieces(c, ROOK) == 1 && mi.pieces(o, BISHOP) == 1) return 25;
    }
    for (Colour c : {WHITE, BLACK}) {
        const Colour o = opposite(c);
        if (mi.pieces(c, ROOK) == 1 && mi.pieces(o, KNIGHT) == 1) return 12;
    }
    for (Colour c : {WHITE, BLACK})
        if (mi.pieces(c, BISHOP) == 1 && mi.pieces(c, PAWN) == 1 && mi.count(opposite(c), MaterialInfo::MEN) == 0)
            return bishopAndPawn(b, c);
    if (mi.count(WHITE, MaterialInfo::MINORS) == 1 && mi.count(BLACK, MaterialInfo::MINORS) == 1) return 0;
    for (Colour c : {WHITE, BLACK})
        if (mi.pieces(c, QUEEN) == 1 && mi.pieces(opposite(c), PAWN) == 1) return queenAgainstPawn(b, opposite(c));
    return 100;
}

}  // namespace

int scalingFactor(const Board_BB64 &b, const MaterialInfo &mi) {
    const int h = std::min(int(b.halfmoveClock), 100);
    const int limit = (10000 - h * h) / 100;
    int s = popCount(b.occupied()) == 4 ? fourMen(b, mi) : 100;
    if (!mi.canWin[WHITE] && !mi.canWin[BLACK]) s = 0;
    return std::min(s, limit);
}

namespace eval {

int pawnlessEvaluation(const Board_BB64 &b, const MaterialInfo &mi, MopUpTerms *terms) {
    const int phase = int(mi.phase);
    const int m = blend(mi.material(), phase);
    int total[2] = {m, 0};
    total[b.side()] += phase;

    // Below 191 (equal material included) White counts as the weaker side.
    const Colour weak = m < 191 ? WHITE : BLACK, strong = opposite(weak);
    const Square weakKing = b.kingSquare(weak), strongKing = b.kingSquare(strong);
    MopUpTerms t;
    t.kingEdge = 64 * centrality(weakKing);
    t.kingDistance = 2 * (7 - kingDistance(weakKing, strongKing));

    // King, bishop and knight against king: drive the king toward a corner the
    // bishop controls.
    const Bitboard bishop = b.pieces(strong, BISHOP);
    if (popCount(b.occupied()) == 4 && bishop && mi.pieces(strong, BISHOP) == 1 && mi.pieces(strong, KNIGHT) == 1) {
        constexpr Square A1 = 0, H1 = 7, A8 = 56, H8 = 63;
        const bool dark = isDark(lsb(bishop));
        const Square c1 = dark ? A8 : A1, c2 = dark ? H1 : H8;
        const int d = std::min(kingDistance(weakKing, c1), kingDistance(weakKing, c2));
        t.safeCorner = 16 * (7 - d);
    }
    total[weak] += t.kingEdge + t.safeCorner;
    total[strong] += t.kingDistance;
    if (terms) *terms = t;
    return total[b.side()] - total[opposite(b.side())];
}

}  // namespace eval
