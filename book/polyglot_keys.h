// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The opening-book hash of a position. Book files are keyed by this published hash,
// which has nothing to do with the engine's own Zobrist keys.
#pragma once

#include <array>
#include <cstdint>

class Board_BB64;

constexpr int POLYGLOT_RANDOM_COUNT = 781;
// Offsets into the table after the 768 piece-square keys.
constexpr int POLYGLOT_CASTLE_OFFSET = 768;
constexpr int POLYGLOT_EP_OFFSET = 772;
constexpr int POLYGLOT_TURN_OFFSET = 780;

// Defined as constexpr in the generated book/polyglot_random64.cpp.
extern const std::array<uint64_t, POLYGLOT_RANDOM_COUNT> POLYGLOT_RANDOM64;

// Key of the position: pieces, castling rights held, the en-passant file when the board
// keeps an en-passant square, and White to move.
uint64_t polyglotKey(const Board_BB64 &board);
