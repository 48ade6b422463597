// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Static exchange evaluation by recursion over the least valuable attackers.
#include "search/see.h"

namespace {

// The side's least valuable piece attacking t through occ: pawns first, the king last,
// the lowest square within a type. Returns NO_SQUARE when there is none.
template <Colour S> Square leastAttacker(const Board_BB64 &b, Square t, Bitboard occ, int &type) {
    constexpr Colour Them = opposite(S);
    const Bitboard own = b.pieces(S) & occ;
    const Bitboard bishopLines = bishopAttacks(t, occ);
    const Bitboard rookLines = rookAttacks(t, occ);
    const Bitboard byType[7] = {0,
                                pawnAttacks[Them][t],
                                knightAttacks[t],
                                bishopLines,
                                rookLines,
                                bishopLines | rookLines,
                                kingAttacks[t]};
    for (int pt = PAWN; pt <= KING; ++pt) {
        const Bitboard found = byType[pt] & own & b.pieces(pt);
        if (found) {
            type = pt;
            return lsb(found);
        }
    }
    return NO_SQUARE;
}

}  // namespace

template <Colour S> int seeGain(const Board_BB64 &b, Square t, int p, Bitboard occ) {
    constexpr Colour Them = opposite(S);
    int attacker = NO_PIECE_TYPE;
    const Square from = leastAttacker<S>(b, t, occ, attacker);
    if (from == NO_SQUARE) return 0;
    // Taking the king ends the exchange, whatever stands behind.
    if (p == KING) return EXCHANGE_VALUE[KING];

    int gain = EXCHANGE_VALUE[p];
    if (attacker == PAWN && relativeRank(S, rankOf(from)) == RANK_7) {
        gain += EXCHANGE_VALUE[QUEEN] - EXCHANGE_VALUE[PAWN];
        attacker = QUEEN;
    }
    gain -= seeGain<Them>(b, t, attacker, occ & ~squareBB(from));
    return gain > 0 ? gain : 0;
}

template <Colour Us> bool captureHoldsExchange(const Board_BB64 &b, Move m) {
    const Square from = moveFrom(m), to = moveTo(m);
    const int victim = b.pieceOn[to];
    const int mover = b.pieceOn[from];
    const Bitboard occ = b.occupied() & ~squareBB(from) & ~squareBB(to);
    return EXCHANGE_VALUE[victim] - seeGain<opposite(Us)>(b, to, mover, occ) >= 0;
}

bool captureHoldsExchange(const Board_BB64 &b, Move m) {
    return b.side() == WHITE ? captureHoldsExchange<WHITE>(b, m) : captureHoldsExchange<BLACK>(b, m);
}

template int seeGain<WHITE>(const Board_BB64 &, Square, int, Bitboard);
template int seeGain<BLACK>(const Board_BB64 &, Square, int, Bitboard);
template bool captureHoldsExchange<WHITE>(const Board_BB64 &, Move);
template bool captureHoldsExchange<BLACK>(const Board_BB64 &, Move);
