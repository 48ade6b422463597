// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The "eval" printout.
#include "eval/breakdown.h"

#include <cstdio>

#include "eval/terms.h"

namespace {

using eval::EvalTrace;

constexpr const char *RULE = "==============================================================================";

// Rows in print order ("Side to move" last) with their names; row 11 is never shown.
struct RowName {
    int row;
    const char *name;
};
constexpr RowName PRINTED_ROWS[] = {
    {EvalTrace::MATERIAL, "Material"},       {EvalTrace::PST, "PST"},
    {EvalTrace::PASSED, "Passed pawns"},     {EvalTrace::WEAK, "Weak pawns"},
    {EvalTrace::PAWN_STRUCTURE, "Pawn structure"}, {EvalTrace::KNIGHTS, "Knights"},
    {EvalTrace::BISHOPS, "Bishops"},         {EvalTrace::ROOKS, "Rooks"},
    {EvalTrace::QUEENS, "Queens"},           {EvalTrace::KING_SAFETY, "King safety"},
    {EvalTrace::TROPISM, "King tropism"},    {EvalTrace::MOPUP_EDGE, "M: King edge dist"},
    {EvalTrace::MOPUP_KING_DIST, "M: King dist"}, {EvalTrace::MOPUP_CORNER, "M: KBNK safe corner"},
    {EvalTrace::SIDE_TO_MOVE, "Side to move"},
};

void printRow(const char *name, TermPair w, TermPair k, int phase) {
    const int wTotal = blend(w, phase), bTotal = blend(k, phase);
    // Not blend(w - k): the difference of two large terms would not fit a TermPair.
    const int total = ((w.mg() - k.mg()) * phase + (w.eg() - k.eg()) * (24 - phase)) / 24;
    std::printf("%-32s   %4d %4d (%4d)   %4d %4d (%4d)   %4d\n", name, w.mg(), w.eg(), wTotal, k.mg(), k.eg(), bTotal, total);
}

}  // namespace

bool printEvaluation(const Board_BB64 &b, PawnHashTable &pawnHash) {
    EvalTrace trace;
    int score = eval::evaluateTraced(b, pawnHash, -INFINITE_SCORE, INFINITE_SCORE, &trace);
    // A dead draw stops the evaluation before anything is recorded.
    if (trace.scaling == 0) {
        trace = EvalTrace{};
        trace.scaling = 100;
        score = 0;
    }
    if (b.side() == BLACK) score = -score;

    std::printf("%s\n", RULE);
    std::printf("Evaluation part                    w-MG w-EG (wTot)   b-MG b-EG (bTot)   Total\n");
    std::printf("%s\n", RULE);
    for (const RowName &r : PRINTED_ROWS) printRow(r.name, trace.rows[r.row][WHITE], trace.rows[r.row][BLACK], trace.phase);
    std::printf("%s\n", RULE);
    std::printf("Phase = %3d          Scaling factor = %3.2f          Total evaluation = %6d\n", trace.phase,
                trace.scaling / 100.0, score);
    std::printf("%s\n", RULE);
    std::fflush(stdout);
    return true;
}
