// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Where castling starts. A castling right belongs to one rook: the standard game has
// them on the corners with the king on e1/e8, a Chess960 game wherever its start
// position put them. The destinations are the same in both games (king g1 or c1,
// rook f1 or d1), so the right's extra value keeps meaning the king's h-side (even)
// or a-side (odd) castle, White first.
#pragma once

#include "board/move.h"

// King destinations by castling extra value: g1, c1, g8, c8.
inline constexpr Square CASTLE_KING_TO[4] = {6, 2, 62, 58};

// The squares of a game's castlings, fixed when the position is set up. Everything a
// move needs is precomputed so that castling costs the same in both games.
struct CastlingSetup {
    uint8_t kingFrom[2];  // by colour
    uint8_t rookFrom[4];  // by extra value
    Bitboard path[4];     // must be empty, the castling king and rook apart
    Bitboard kingPass[4]; // crossed by the king on its way, so not to be attacked
    uint8_t rightsLost[64];  // rights lost when a move leaves from or arrives on a square
    Move moves[4];           // by extra value

    // King on e1/e8 and the rooks in the corners.
    void setStandard();
    // Recomputes the paths, rightsLost and moves from kingFrom and rookFrom.
    void build();
    // The castling move of a right: king to its destination, which may be where it stands.
    Move move(int extra) const { return moves[extra]; }
    bool operator==(const CastlingSetup &) const = default;
};

// How a castling move is written: the king's destination ("e1g1", the standard game's
// form), the king taking its own rook ("e1h1", Chess960 under UCI) or "O-O"/"O-O-O".
enum class CastlingText { KING_DESTINATION, KING_TAKES_ROOK, O_O };

// How the moves of one game are written: the castling style, and the rooks' squares
// for the king-takes-rook form.
struct MoveNotation {
    CastlingText castlingText = CastlingText::KING_DESTINATION;
    uint8_t rookFrom[4] = {7, 0, 63, 56};

    MoveNotation() = default;
    MoveNotation(const CastlingSetup &setup, CastlingText style) : castlingText(style) {
        for (int i = 0; i < 4; ++i) rookFrom[i] = setup.rookFrom[i];
    }
};

// FEN castling fields: X-FEN keeps KQkq for the outermost rook of a wing and names the
// rook's file only for an inner one; Shredder-FEN always names the file ("HAha").
enum class FenStyle { X_FEN, SHREDDER };

// The back rank of Chess960 start position n (0-959; 518 is the standard one), White's
// pieces as upper-case letters from a1 to h1, e.g. "RNBQKBNR". False outside the range.
bool chess960BackRank(int n, char rank[9]);
// The full FEN of start position n, with Shredder-FEN or X-FEN rights. Buffer >= 100 bytes.
bool chess960Fen(int n, FenStyle style, char *buffer);
