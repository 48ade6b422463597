// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The static evaluation term by term, for the faces' "eval" commands.
#pragma once

#include "board/board.h"

class PawnHashTable;

// One term: each colour's middle-game and end-game values, each colour's blend by the
// phase, and the blend of the difference (White minus Black).
struct EvalBreakdownRow {
    const char *name;
    TermPair white, black;
    int whiteTotal, blackTotal, total;
};

inline constexpr int EVAL_BREAKDOWN_ROWS = 15;

// The terms in the order they are shown ("Side to move" last), the phase (0-24), the
// scaling factor in percent and the evaluation from White's view. A dead draw shows
// every term at 0, phase 0 and a factor of 100.
struct EvalBreakdown {
    EvalBreakdownRow rows[EVAL_BREAKDOWN_ROWS];
    int phase = 0;
    int scalingPercent = 100;
    int total = 0;
};

// Evaluates b with the full window, recording each term; only the pawn hash changes.
EvalBreakdown evaluationBreakdown(const Board_BB64 &b, PawnHashTable &pawnHash);
