// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Zobrist keys of pieces, castling rights, en-passant files and the side to move.
#pragma once

#include "board/types.h"

extern uint64_t zobristPiece[12][64];  // [colour * 6 + piece type - 1][square]
extern uint64_t zobristCastle[16];     // only entries 1, 2, 4, 8 are non-zero
extern uint64_t zobristEp[8];
extern uint64_t zobristSide;

// Six draws of nextRandom(): 11 + 11 + 11 + 11 + 11 + 9 bits, lowest first.
uint64_t randomKey64();
// Seeds the generator with a fixed value and fills every key, so keys are the same in every run.
void initZobristKeys();
// Reseeds the generator from the clock (once per process) so the random tools differ from run to run.
void seedRandomFromClock();
