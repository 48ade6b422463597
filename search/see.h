// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Static exchange evaluation and the piece values the move ordering works with.
#pragma once

#include "board/board.h"

// Ordering value by piece type (none, pawn .. king).
inline constexpr int ORDER_VALUE[7] = {0, 1, 2, 2, 3, 4, 5};
// Exchange value by piece type.
inline constexpr int EXCHANGE_VALUE[7] = {0, 114, 400, 403, 608, 1222, 10000};

// What side S gains at most by starting (or continuing) an exchange on square t, where
// piece type p stands, with only the pieces on occ taking part. Never negative.
// Pins are ignored; a pawn capturing from its seventh rank counts as a queen.
template <Colour S> int seeGain(const Board_BB64 &b, Square t, int p, Bitboard occ);

// Does the plain capture m hold up when the opponent recaptures as well as it can?
template <Colour Us> bool captureHoldsExchange(const Board_BB64 &b, Move m);
bool captureHoldsExchange(const Board_BB64 &b, Move m);
