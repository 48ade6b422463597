// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The "eval" printout: the static evaluation term by term.
#pragma once

#include "board/board.h"

class PawnHashTable;

// Prints the term table, phase, scaling factor and total (White's view) to stdout.
// Always succeeds; the result is there for the command dispatcher.
bool printEvaluation(const Board_BB64 &b, PawnHashTable &pawnHash);
