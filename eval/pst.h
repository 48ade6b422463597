// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The piece-square table: a (middle game, end game) pair per colour, piece type and
// square. The board keeps running sums of it; the evaluation reads only those sums.
#pragma once

#include "board/types.h"

// [colour][piece type - 1][square]
extern TermPair pieceSquareTable[2][6][64];

// Builds the table once (later calls do nothing).
void initPieceSquareTable();

inline TermPair pstValue(Colour c, int pt, Square s) { return pieceSquareTable[c][pt - 1][s]; }
