// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Shared set-up for the evaluation tests.
#pragma once

#include <ostream>

#include <gtest/gtest.h>

#include "board/board.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/terms.h"

inline void PrintTo(TermPair p, std::ostream *os) { *os << "(" << p.mg() << ", " << p.eg() << ")"; }

inline void initEvalTestTables() {
    initStaticTables();
    initEvaluationTables();
}

inline Board_BB64 boardFromFen(const char *fen) {
    initEvalTestTables();
    Board_BB64 b;
    EXPECT_TRUE(b.setFromFEN(fen)) << fen;
    return b;
}

// Evaluates with a fresh pawn hash and returns the term table.
inline eval::EvalTrace traceOf(const char *fen, int *score = nullptr) {
    const Board_BB64 b = boardFromFen(fen);
    PawnHashTable table(1);
    eval::EvalTrace t;
    const int s = eval::evaluateTraced(b, table, -INFINITE_SCORE, INFINITE_SCORE, &t);
    if (score) *score = s;
    return t;
}

inline int evalOf(const char *fen) {
    const Board_BB64 b = boardFromFen(fen);
    PawnHashTable table(1);
    return evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE);
}
