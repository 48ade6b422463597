// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The evaluation frame: scaling, pawnless endings, base score, lazy cut, the
// positional terms, the clamp, the can-win rule and the final scaling.
#include <algorithm>

#include "eval/pst.h"
#include "eval/terms.h"

namespace eval {

namespace {

// Positional terms can swing the score by at most this much, which also bounds
// how far outside the window the lazy cut may stop.
constexpr int POSITIONAL_LIMIT = 200;
constexpr int LAZY_MARGIN = 200;
constexpr TermPair SIDE_TO_MOVE_BONUS(24, 0);

TermPair pstOf(const Board_BB64 &b, Colour c) { return TermPair(b.pstScore[c][0], b.pstScore[c][1]); }

int pawnlessTraced(const Board_BB64 &b, const MaterialInfo &mi, EvalTrace *trace) {
    if (!trace) return pawnlessEvaluation(b, mi, nullptr);
    MopUpTerms t;
    const int score = pawnlessEvaluation(b, mi, &t);
    const Colour us = b.side();
    trace->rows[EvalTrace::MATERIAL][WHITE] = mi.material();
    trace->rows[EvalTrace::SIDE_TO_MOVE][us] = SIDE_TO_MOVE_BONUS;
    trace->rows[EvalTrace::MOPUP_EDGE][us] = TermPair(t.kingEdge, t.kingEdge);
    trace->rows[EvalTrace::MOPUP_KING_DIST][us] = TermPair(t.kingDistance, t.kingDistance);
    trace->rows[EvalTrace::MOPUP_CORNER][us] = TermPair(t.safeCorner, t.safeCorner);
    return score;
}

// Passed pawns, pieces, tropism and king safety of one colour, summed in one pair.
template <Colour Us>
TermPair positionalTerms(const Board_BB64 &b, const PawnInfo &pi, const MaterialInfo &mi, EvalTrace *trace) {
    const TermPair passed = passedPawns<Us>(b, mi);
    PieceTerms pt;
    pieceTerms<Us>(b, pi, pt);
    pt.kingSafety = kingSafety<Us>(b, pi, mi);
    if (trace) {
        auto &r = trace->rows;
        r[EvalTrace::PASSED][Us] = passed;
        r[EvalTrace::KNIGHTS][Us] = pt.knights;
        r[EvalTrace::BISHOPS][Us] = pt.bishops;
        r[EvalTrace::ROOKS][Us] = pt.rooks;
        r[EvalTrace::QUEENS][Us] = pt.queens;
        r[EvalTrace::KING_SAFETY][Us] = pt.kingSafety;
        r[EvalTrace::TROPISM][Us] = pt.tropism;
    }
    return passed + pt.sum();
}

void tracePawns(const PawnInfo &pi, EvalTrace &trace) {
    if (pi.hit) {
        trace.rows[EvalTrace::PAWN_STRUCTURE][WHITE] = pi.weak;
    } else {
        trace.rows[EvalTrace::WEAK][WHITE] = pi.weakOf[WHITE];
        trace.rows[EvalTrace::WEAK][BLACK] = pi.weakOf[BLACK];
    }
}

}  // namespace

int evaluateTraced(const Board_BB64 &b, EvalTables &tables, int alpha, int beta, EvalTrace *trace) {
    // A hand-made position without a king has no meaningful score, and every king
    // term would index past the tables.
    if (!b.pieces(WHITE, KING) || !b.pieces(BLACK, KING)) return 0;
    const MaterialInfo mi = tables.material.probe(b);
    const int s = scalingFactor(b, mi);
    if (s == 0) return 0;
    const int phase = int(mi.phase);
    if (trace) trace->phase = phase, trace->scaling = s;
    if (!b.pieces(PAWN)) return pawnlessTraced(b, mi, trace);

    const Colour us = b.side(), them = opposite(us);
    int side[2] = {blend(pstOf(b, WHITE), phase) + blend(mi.material(), phase), blend(pstOf(b, BLACK), phase)};
    side[us] += phase;
    const int base = side[us] - side[them];
    if (trace) {
        trace->rows[EvalTrace::MATERIAL][WHITE] = mi.material();
        trace->rows[EvalTrace::PST][WHITE] = pstOf(b, WHITE);
        trace->rows[EvalTrace::PST][BLACK] = pstOf(b, BLACK);
        trace->rows[EvalTrace::SIDE_TO_MOVE][us] = SIDE_TO_MOVE_BONUS;
    }

    // Lazy cut: the positional terms cannot bring the score back into the window.
    if (s == 100 && mi.canWin[WHITE] && mi.canWin[BLACK]) {
        if (base + LAZY_MARGIN - 1 < alpha) return base + LAZY_MARGIN;
        if (beta < base - LAZY_MARGIN + 1) return base - LAZY_MARGIN;
    }

    PawnInfo pi;
    probePawnStructure(b, *tables.pawns, tables.hitLane, pi);
    if (trace) tracePawns(pi, *trace);
    const TermPair white = positionalTerms<WHITE>(b, pi, mi, trace);
    const TermPair black = positionalTerms<BLACK>(b, pi, mi, trace);
    int pos[2] = {blend(pi.weak, phase) + blend(white, phase), blend(black, phase)};
    const int positional = std::clamp(pos[us] - pos[them], -POSITIONAL_LIMIT, POSITIONAL_LIMIT);

    int score = base + positional;
    if ((!mi.canWin[us] && score > 0) || (!mi.canWin[them] && score < 0)) score = 0;
    return s * score / 100;
}

}  // namespace eval

int evaluate(const Board_BB64 &b, EvalTables &tables, int alpha, int beta) {
    return eval::evaluateTraced(b, tables, alpha, beta, nullptr);
}

int evaluate(const Board_BB64 &b, PawnHashTable &pawnHash, int alpha, int beta) {
    EvalTables tables;
    tables.pawns = &pawnHash;
    return evaluate(b, tables, alpha, beta);
}

void initEvaluationTables() {
    // The tropism tables are derived from the attack sets, so the board's tables come first.
    initStaticTables();
    initPieceSquareTable();
    eval::initPawnMasks();
    eval::initTropismTables();
    eval::initShelterTable();
}
