// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Basic chess types shared by every subsystem: squares, colours, piece types,
// bitboards, and the small helpers that go with them.
#pragma once

#include <cstdint>

using Bitboard = uint64_t;
using Square = int;  // 0..63, a1 = 0, h8 = 63; NO_SQUARE = 64

enum Colour : int { WHITE = 0, BLACK = 1, NO_COLOUR = 2 };

enum PieceType : int { NO_PIECE_TYPE = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

constexpr Square NO_SQUARE = 64;

enum : int { FILE_A = 0, FILE_B, FILE_C, FILE_D, FILE_E, FILE_F, FILE_G, FILE_H };
enum : int { RANK_1 = 0, RANK_2, RANK_3, RANK_4, RANK_5, RANK_6, RANK_7, RANK_8 };

// Castling right bits.
enum : int { WHITE_OO = 1, WHITE_OOO = 2, BLACK_OO = 4, BLACK_OOO = 8 };

// Scores: 32000 is both the infinite bound and the mate base; 40000 means "no score"
// (a search that was stopped); anything beyond +-20000 is a mate score.
constexpr int INFINITE_SCORE = 32000;
constexpr int MATE_SCORE = 32000;
constexpr int MATE_BOUND = 20000;
constexpr int NO_SCORE = 40000;

constexpr Colour opposite(Colour c) { return Colour(c ^ 1); }
constexpr int fileOf(Square s) { return s & 7; }
constexpr int rankOf(Square s) { return s >> 3; }
constexpr Square makeSquare(int file, int rank) { return rank * 8 + file; }
// Rank as seen from the given side (RANK_1 is the side's own back rank).
constexpr int relativeRank(Colour c, int rank) { return c == WHITE ? rank : 7 - rank; }
constexpr Square relativeSquare(Colour c, Square s) { return c == WHITE ? s : s ^ 56; }

// Index of per-piece tables: colour * 6 + (piece type - 1).
constexpr int pieceIndex(Colour c, int pt) { return c * 6 + pt - 1; }

// ".pnbrqk" by piece type; upper case for White where a colour is shown.
constexpr char PIECE_CHARS[] = ".pnbrqk";

// A middle-game / end-game pair of evaluation terms, packed in one word so that adding
// two pairs or scaling one is a single operation: the end-game half in the upper 16
// bits, the middle-game half below it as a signed number (a negative middle-game half
// borrows one from the upper half, which the unpacking gives back). Each half behaves
// as an int16_t that wraps, as long as no middle-game value along the way leaves the
// int16_t range, which the evaluation's terms never come near.
struct TermPair {
    constexpr TermPair() = default;
    constexpr TermPair(int m, int e) : v_((uint32_t(e) << 16) + uint32_t(int32_t(int16_t(m)))) {}
    constexpr int mg() const { return int16_t(uint16_t(v_)); }
    constexpr int eg() const { return int16_t(uint16_t((v_ + 0x8000u) >> 16)); }

    constexpr TermPair &operator+=(TermPair o) {
        v_ += o.v_;
        return *this;
    }
    constexpr TermPair &operator-=(TermPair o) {
        v_ -= o.v_;
        return *this;
    }
    friend constexpr TermPair operator+(TermPair a, TermPair b) { return a += b; }
    friend constexpr TermPair operator-(TermPair a, TermPair b) { return a -= b; }
    // Both halves times n.
    friend constexpr TermPair operator*(TermPair a, int n) {
        a.v_ *= uint32_t(n);
        return a;
    }
    friend constexpr bool operator==(TermPair a, TermPair b) { return a.v_ == b.v_; }

private:
    uint32_t v_ = 0;
};

// Blend a pair by the game phase (0..24), truncating toward zero.
constexpr int blend(TermPair p, int phase) { return (p.mg() * phase + p.eg() * (24 - phase)) / 24; }
