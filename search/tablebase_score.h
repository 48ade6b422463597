// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The exact score of a position with at most five men from the endgame tablebases.
#pragma once

#include "board/board.h"

// Score for the side to move, the mate distance counted from b: a win in d plies is
// 32000 - d, a loss d - 32000, a draw 0. False when the tablebases cannot answer
// (castling rights, no table, an illegal position, a cache-only miss).
template <Colour Us> bool tablebaseScore(const Board_BB64 &b, bool mayReadFiles, int &score);
bool tablebaseScore(const Board_BB64 &b, bool mayReadFiles, int &score);
