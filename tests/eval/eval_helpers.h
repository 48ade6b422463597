// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Shared set-up for the evaluation tests.
#pragma once

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include "board/board.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/terms.h"

inline void PrintTo(TermPair p, std::ostream *os) { *os << "(" << p.mg() << ", " << p.eg() << ")"; }

inline void initEvalTestTables() { initEvaluationTables(); }  // the board's tables too

inline Board_BB64 boardFromFen(const char *fen) {
    initEvalTestTables();
    Board_BB64 b;
    EXPECT_TRUE(b.setFromFEN(fen)) << fen;
    return b;
}

// Evaluates with a fresh pawn hash, filling the term table when one is given.
inline int evalOf(const char *fen, eval::EvalTrace *trace = nullptr) {
    const Board_BB64 b = boardFromFen(fen);
    PawnHashTable table(1);
    auto tables = std::make_unique<EvalTables>();
    tables->pawns = &table;
    return trace ? eval::evaluateTraced(b, *tables, -INFINITE_SCORE, INFINITE_SCORE, trace)
                 : evaluate(b, *tables, -INFINITE_SCORE, INFINITE_SCORE);
}
