// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The opening-book hash, recomputed from the pieces at every probe: a probe happens once
// per engine move at most, so keeping it incrementally would not pay for itself.
#include "book/polyglot_keys.h"

#include "board/board.h"

namespace {

// The published table orders piece kinds Black pawn, White pawn, Black knight, ...,
// White king: the opposite colour order from the board's.
constexpr int pieceKind(Colour c, int pieceType) { return 2 * (pieceType - 1) + (c == WHITE ? 1 : 0); }

// Castling keys follow the board's right bits K, Q, k, q in that order.
constexpr int CASTLE_BITS[4] = {WHITE_OO, WHITE_OOO, BLACK_OO, BLACK_OOO};

}  // namespace

uint64_t polyglotKey(const Board_BB64 &board) {
    uint64_t key = 0;
    for (Colour c : {WHITE, BLACK})
        for (int pt = PAWN; pt <= KING; ++pt)
            for (Bitboard bb = board.pieces(c, pt); bb;) {
                const Square s = popLsb(bb);
                key ^= POLYGLOT_RANDOM64[64 * pieceKind(c, pt) + s];
            }
    for (int i = 0; i < 4; ++i)
        if (board.castlingRights & CASTLE_BITS[i]) key ^= POLYGLOT_RANDOM64[POLYGLOT_CASTLE_OFFSET + i];
    // The board keeps an en-passant square only when a pawn of the side to move stands
    // beside the pawn that just advanced, which is exactly when the hash includes it.
    if (board.epSquare != NO_SQUARE) key ^= POLYGLOT_RANDOM64[POLYGLOT_EP_OFFSET + fileOf(board.epSquare)];
    if (board.sideToMove == WHITE) key ^= POLYGLOT_RANDOM64[POLYGLOT_TURN_OFFSET];
    return key;
}
