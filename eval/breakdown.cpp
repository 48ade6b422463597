// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The evaluation term by term: the evaluation traced, its rows blended and ordered.
#include "eval/breakdown.h"

#include <iterator>
#include <memory>

#include "eval/terms.h"

namespace {

using eval::EvalTrace;

// Rows in the order shown ("Side to move" last) with their names; row 11 holds nothing.
struct RowName {
    int row;
    const char *name;
};
constexpr RowName SHOWN_ROWS[] = {
    {EvalTrace::MATERIAL, "Material"},       {EvalTrace::PST, "PST"},
    {EvalTrace::PASSED, "Passed pawns"},     {EvalTrace::WEAK, "Weak pawns"},
    {EvalTrace::PAWN_STRUCTURE, "Pawn structure"}, {EvalTrace::KNIGHTS, "Knights"},
    {EvalTrace::BISHOPS, "Bishops"},         {EvalTrace::ROOKS, "Rooks"},
    {EvalTrace::QUEENS, "Queens"},           {EvalTrace::KING_SAFETY, "King safety"},
    {EvalTrace::TROPISM, "King tropism"},    {EvalTrace::MOPUP_EDGE, "M: King edge dist"},
    {EvalTrace::MOPUP_KING_DIST, "M: King dist"}, {EvalTrace::MOPUP_CORNER, "M: KBNK safe corner"},
    {EvalTrace::SIDE_TO_MOVE, "Side to move"},
};
static_assert(std::size(SHOWN_ROWS) == EVAL_BREAKDOWN_ROWS);

EvalBreakdownRow makeRow(const char *name, TermPair w, TermPair k, int phase) {
    // Not blend(w - k): the difference of two large terms would not fit a TermPair.
    const int total = ((w.mg() - k.mg()) * phase + (w.eg() - k.eg()) * (24 - phase)) / 24;
    return {name, w, k, blend(w, phase), blend(k, phase), total};
}

}  // namespace

EvalBreakdown evaluationBreakdown(const Board_BB64 &b, PawnHashTable &pawnHash) {
    EvalTrace trace;
    auto tables = std::make_unique<EvalTables>();
    tables->pawns = &pawnHash;
    int score = eval::evaluateTraced(b, *tables, -INFINITE_SCORE, INFINITE_SCORE, &trace);
    // A dead draw stops the evaluation before anything is recorded.
    if (trace.scaling == 0) {
        trace = EvalTrace{};
        trace.scaling = 100;
        score = 0;
    }
    EvalBreakdown out;
    for (int i = 0; i < EVAL_BREAKDOWN_ROWS; ++i) {
        const RowName &r = SHOWN_ROWS[i];
        out.rows[i] = makeRow(r.name, trace.rows[r.row][WHITE], trace.rows[r.row][BLACK], trace.phase);
    }
    out.phase = trace.phase;
    out.scalingPercent = trace.scaling;
    out.total = b.side() == BLACK ? -score : score;
    return out;
}
