// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The quiescence search: stand pat, captures and promotions with delta pruning, and
// one quiet check per line.
#include <algorithm>

#include "eval/evaluate.h"
#include "eval/pst.h"
#include "search/movepick.h"
#include "search/node.h"
#include "search/see.h"

namespace {

// Material a capture or promotion can add, for delta pruning (promotions on the
// scale where a queen is 1125 and a pawn 125).
constexpr int PROMOTION_GAIN[7] = {0, 0, 400 - 125, 400 - 125, 600 - 125, 1125 - 125, 0};
constexpr int EN_PASSANT_GAIN = 125;
constexpr int SKIP_MOVE = -1;

// Gain estimate of a picked move, or SKIP_MOVE for a plain capture that loses the exchange.
template <Colour Us> int estimateGain(const Board_BB64 &b, Move m) {
    switch (moveKind(m)) {
    case NORMAL: {
        const int victim = b.pieceOn[moveTo(m)];
        if (victim == 0) return 0;
        return captureHoldsExchange<Us>(b, m) ? EXCHANGE_VALUE[victim] : SKIP_MOVE;
    }
    case PROMOTION:
        return PROMOTION_GAIN[promotionPiece(m)];
    case EN_PASSANT:
        return EN_PASSANT_GAIN;
    default:
        return 0;
    }
}

// Makes m, searches the reply (in-check node for a check, quiescence otherwise) and
// takes m back; the score is from the mover's side.
template <Colour Us>
int searchQsMove(SearchState &st, Move m, const AttackInfo &checkers, int alpha, int beta, int ply,
                 int quietChecksDone, PrincipalVariation &childPv) {
    constexpr Colour Them = opposite(Us);
    Board_BB64 &b = st.board;
    b.history[b.historyIndex].movePlayed = m;
    UndoInfo undo;
    b.template makeMove<Us>(m, undo);
    const int s = checkers.count
                      ? -searchInCheck<Them>(st, checkers, -beta, -alpha, ply + 1, quietChecksDone, 1, childPv)
                      : -quiesce<Them>(st, -beta, -alpha, ply + 1, quietChecksDone, childPv);
    b.template unmakeMove<Us>(m, undo);
    return s;
}

// Every legal quiet move that gives check, promotions left out.
template <Colour Us> void generateQuietChecks(Board_BB64 &b, MoveList &list) {
    CheckInfo info;
    computePins<Us>(b, info);
    MoveList checks;
    CheckingMoveFilter<Us> filter{b, checks};
    generateQuiets<Us>(b, info, filter);
    generateCastling<Us>(b, info, filter);
    for (const ScoredMove &sm : checks) {
        const Move m = sm.move;
        if (moveKind(m) == PROMOTION) continue;
        const int pt = b.pieceOn[moveFrom(m)];
        list.add(m, pstValue(Us, pt, moveTo(m)).mg() - pstValue(Us, pt, moveFrom(m)).mg());
    }
}

// Result of a move loop step: keep going, or the node is done with `best`.
enum class Step { CONTINUE, RETURN };

// Takes in the score s of child m: a stop or a cutoff ends the node, a better score
// raises best (and the line when it beats alpha).
Step afterChild(SearchState &st, Move m, int s, int alpha, int beta, int picked, int &best,
                PrincipalVariation &pv, const PrincipalVariation &childPv) {
    if (st.stopped()) return best = NO_SCORE, Step::RETURN;
    if (s >= beta) {
        st.stats.qsCutoffs.inc();
        if (picked == 1) st.stats.qsFirstMoveCutoffs.inc();
        best = s;
        return Step::RETURN;
    }
    if (s > best) {
        best = s;
        if (s > alpha) pv.setLine(m, childPv);
    }
    return Step::CONTINUE;
}

template <Colour Us>
bool searchCaptures(SearchState &st, int alpha, int beta, int ply, int quietChecksDone, PrincipalVariation &pv,
                    int &best, int &picked) {
    Board_BB64 &b = st.board;
    MovePicker picker;
    initPicker(picker, PICK_QUIESCENCE, b, AttackInfo{});
    if (pv.length && b.isTactical(pv.moves[0])) picker.pvMove = pv.moves[0];
    for (Move m; (m = nextMove(picker)) != NO_MOVE;) {
        ++picked;
        const int gain = estimateGain<Us>(b, m);
        if (gain == SKIP_MOVE) continue;
        AttackInfo checkers;
        checkersAfter<Us>(b, m, checkers);
        if (!checkers.count && best + gain <= alpha) continue;
        PrincipalVariation childPv;
        childPv.setToRestAfter(m, pv);
        const int s = searchQsMove<Us>(st, m, checkers, std::max(best, alpha), beta, ply, quietChecksDone, childPv);
        if (afterChild(st, m, s, alpha, beta, picked, best, pv, childPv) == Step::RETURN) return true;
    }
    return false;
}

// At most one quiet check per line: the replies to it come back here with the flag set.
template <Colour Us>
void searchQuietChecks(SearchState &st, int alpha, int beta, int ply, PrincipalVariation &pv, int &best, int picked) {
    Board_BB64 &b = st.board;
    MoveList checks;
    generateQuietChecks<Us>(b, checks);
    for (uint32_t i = 0; i < checks.count; ++i) {
        const Move m = selectAt(checks.moves, checks.count, i);
        st.stats.qsChecks.inc();
        AttackInfo checkers;
        checkersAfter<Us>(b, m, checkers);
        PrincipalVariation childPv;
        childPv.setToRestAfter(m, pv);
        const int s = searchQsMove<Us>(st, m, checkers, std::max(best, alpha), beta, ply, 1, childPv);
        if (afterChild(st, m, s, alpha, beta, picked, best, pv, childPv) == Step::RETURN) return;
    }
}

}  // namespace

template <Colour Us>
int quiesce(SearchState &st, int alpha, int beta, int ply, int quietChecksDone, PrincipalVariation &pv) {
    Board_BB64 &b = st.board;
    st.stats.nodes.inc();
    st.stats.qsNodes.inc();
    st.selDepth = std::max(st.selDepth, ply);
    if (timeIsUp(st)) return NO_SCORE;
    int reason = DRAW_NONE;
    if (isDraw(b, reason)) return 0;

    const MateBounds bounds = mateBounds(b, ply);
    alpha = std::max(alpha, bounds.low - 1);
    beta = std::min(beta, bounds.high + 1);
    if (alpha >= beta) return alpha;

    int best = evaluate(b, st.eval, alpha, beta);
    if (best >= beta || historyFull(b)) return best;

    int picked = 0;
    if (searchCaptures<Us>(st, alpha, beta, ply, quietChecksDone, pv, best, picked)) return best;
    if (quietChecksDone == 0) searchQuietChecks<Us>(st, alpha, beta, ply, pv, best, picked);
    return best;
}

template int quiesce<WHITE>(SearchState &, int, int, int, int, PrincipalVariation &);
template int quiesce<BLACK>(SearchState &, int, int, int, int, PrincipalVariation &);
