// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The 16-bit move, the scored move list and the undo record of make/unmake.
#pragma once

#include "board/types.h"

// bits 0-5 from, 6-11 to, 12-13 kind, 14-15 extra; 0 is "no move".
using Move = uint16_t;
constexpr Move NO_MOVE = 0;

enum MoveKind : int { NORMAL = 0, PROMOTION = 1, CASTLING = 2, EN_PASSANT = 3 };

// Castling extra values (the king's h-side and a-side castle of each colour) and the
// four castling moves of the standard game. A castling move goes from the king's square
// to its destination (which a Chess960 king may already stand on).
enum : int { CASTLE_WHITE_OO = 0, CASTLE_WHITE_OOO = 1, CASTLE_BLACK_OO = 2, CASTLE_BLACK_OOO = 3 };
constexpr Move MOVE_WHITE_OO = 0x2184;
constexpr Move MOVE_WHITE_OOO = 0x6084;
constexpr Move MOVE_BLACK_OO = 0xAFBC;
constexpr Move MOVE_BLACK_OOO = 0xEEBC;
// By castling extra value: the standard move and the rook's destination (in both games).
inline constexpr Move CASTLE_MOVES[4] = {MOVE_WHITE_OO, MOVE_WHITE_OOO, MOVE_BLACK_OO, MOVE_BLACK_OOO};
inline constexpr Square CASTLE_ROOK_TO[4] = {5, 3, 61, 59};

constexpr Move makeMove(Square from, Square to, int kind = NORMAL, int extra = 0) {
    return Move(from | (to << 6) | (kind << 12) | (extra << 14));
}
constexpr Square moveFrom(Move m) { return m & 63; }
constexpr Square moveTo(Move m) { return (m >> 6) & 63; }
constexpr int moveKind(Move m) { return (m >> 12) & 3; }
constexpr int moveExtra(Move m) { return m >> 14; }
// Promoted piece type of a promotion move (KNIGHT..QUEEN), 0 for other moves.
constexpr int promotionPiece(Move m) { return moveKind(m) == PROMOTION ? moveExtra(m) + 2 : 0; }
constexpr Move makePromotion(Square from, Square to, int pieceType) {
    return makeMove(from, to, PROMOTION, pieceType - 2);
}

// Same from and to, and the same promotion piece when either is a promotion.
constexpr bool sameMove(Move a, Move b) {
    return ((a ^ b) & 0xFFF) == 0 && promotionPiece(a) == promotionPiece(b);
}

struct ScoredMove {
    Move move;
    int16_t score;
};
static_assert(sizeof(ScoredMove) == 4);

struct MoveList {
    static constexpr uint32_t CAPACITY = 255;
    ScoredMove moves[CAPACITY];
    uint32_t count = 0;

    void add(Move m, int score = 0) {
        if (count < CAPACITY) moves[count++] = {m, int16_t(score)};
    }
    void clear() { count = 0; }
    uint32_t size() const { return count; }
    Move operator[](uint32_t i) const { return moves[i].move; }
    ScoredMove *begin() { return moves; }
    ScoredMove *end() { return moves + count; }
    const ScoredMove *begin() const { return moves; }
    const ScoredMove *end() const { return moves + count; }
};

struct UndoInfo {
    uint16_t castleEp;  // castling rights in the low byte, en-passant square in the high byte
    uint8_t halfmove;
    uint32_t captured;  // piece type captured, 0 if none
};

// Coordinate notation: "e2e4", "e7e8q". buffer must hold 6 bytes.
void moveToText(Move m, char *buffer);
