// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Interface between the evaluation's term modules (not for use outside eval/).
#pragma once

#include <algorithm>

#include "board/board.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"

namespace eval {

inline int kingDistance(Square a, Square b) {
    const int df = fileOf(a) - fileOf(b), dr = rankOf(a) - rankOf(b);
    return std::max(df < 0 ? -df : df, dr < 0 ? -dr : dr);
}

// The pawn-only structure of the position: what the pawn hash stores plus counts.
struct PawnInfo {
    TermPair weak;        // isolated + doubled + backward, White minus Black
    TermPair weakOf[2];   // the same per colour; only filled when computed afresh
    uint8_t openFiles = 0;
    uint8_t halfOpenFiles = 0;
    int openCount = 0;
    int halfOpenCount = 0;
    bool hit = false;
};

// Fetches the pawn structure from the table, computing and storing it on a miss.
void probePawnStructure(const Board_BB64 &b, PawnHashTable &table, uint32_t hitLane, PawnInfo &pi);
// Computes the pawn structure from scratch (weak pairs and file masks).
void computePawnStructure(const Board_BB64 &b, PawnInfo &pi);

// Passed and unstoppable pawns of one colour.
template <Colour Us> TermPair passedPawns(const Board_BB64 &b, const MaterialInfo &mi);

// One colour's positional terms, one pair per printed row.
struct PieceTerms {
    TermPair knights, bishops, rooks, queens, kingSafety, tropism;
    TermPair sum() const { return knights + bishops + rooks + queens + kingSafety + tropism; }
};
// Mobility, file bonuses and king tropism of every piece of the colour.
template <Colour Us> void pieceTerms(const Board_BB64 &b, const PawnInfo &pi, PieceTerms &out);
// Pawn shelter and open files around the colour's king.
template <Colour Us> TermPair kingSafety(const Board_BB64 &b, const PawnInfo &pi, const MaterialInfo &mi);

// The three mop-up bonuses of a pawnless ending, as credited.
struct MopUpTerms {
    int kingEdge = 0;
    int kingDistance = 0;
    int safeCorner = 0;
};
// Score of a pawnless position for the side to move (material, side to move, mop-up).
int pawnlessEvaluation(const Board_BB64 &b, const MaterialInfo &mi, MopUpTerms *terms);

// Every term of one evaluation, as the "eval" printout shows them.
struct EvalTrace {
    enum Row : int {
        MATERIAL = 0, PST, PASSED, WEAK, PAWN_STRUCTURE, KNIGHTS, BISHOPS, ROOKS, QUEENS,
        KING_SAFETY, TROPISM, UNUSED, SIDE_TO_MOVE, MOPUP_EDGE, MOPUP_KING_DIST, MOPUP_CORNER,
        ROW_COUNT
    };
    TermPair rows[ROW_COUNT][2] = {};  // [row][colour]
    int phase = 0;
    int scaling = 0;
};

// The evaluation with an optional trace of its terms (nullptr in the search).
int evaluateTraced(const Board_BB64 &b, EvalTables &tables, int alpha, int beta, EvalTrace *trace);

// Table builders, each guarded by its own flag.
void initPawnMasks();
void initTropismTables();
void initShelterTable();

}  // namespace eval
