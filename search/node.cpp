// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The nodes inside the tree: early exits, pruning, internal deepening and the move
// loop shared by the full-width and in-check nodes.
#include "search/node.h"

#include <algorithm>

#include "eval/evaluate.h"
#include "search/movepick.h"
#include "search/tt.h"

namespace {

constexpr int RAZOR_MARGIN[4] = {0, 232, 264, 296};
constexpr int FUTILITY_MARGIN[6] = {0, 80, 160, 240, 320, 400};

struct Window {
    int alpha;
    int beta;
    MateBounds bounds;
};

bool isNullWindow(int alpha, int beta) { return alpha + 1 == beta; }

// Steps shared by both node kinds: count, time, draw, mate distance, table probe.
// Returns true with score set when the node is settled before any move is searched.
bool settleEarly(SearchState &st, Window &w, int ply, int depth, Move &hashMove, PrincipalVariation &pv,
                 int &score) {
    Board_BB64 &b = st.board;
    st.stats.nodes.inc();
    st.selDepth = std::max(st.selDepth, ply);
    if (timeIsUp(st)) return score = NO_SCORE, true;
    int reason = DRAW_NONE;
    if (isDraw(b, reason)) return score = 0, true;
    if (historyFull(b)) return score = evaluate(b, st.eval, w.alpha, w.beta), true;

    w.bounds = mateBounds(b, ply);
    w.alpha = std::max(w.alpha, w.bounds.low - 1);
    w.beta = std::min(w.beta, w.bounds.high + 1);
    if (w.beta <= w.alpha) {
        st.tt->store(b, w.bounds.low, w.bounds.high, w.alpha, w.beta, ply, depth, w.alpha, NO_MOVE);
        return score = w.alpha, true;
    }

    bool found = false;
    int ttScore = 0;
    const bool usable = st.tt->probe(b, w.alpha, w.beta, ply, depth, ttScore, hashMove, found);
    if (found) st.stats.ttHashHits.inc();
    if (usable) {
        if (hashMove != NO_MOVE) pv.setSingle(hashMove);
        return score = ttScore, true;
    }
    return false;
}

// Deep in late iterations only the Gaviota cache is asked, so those probes never wait
// for a file. Syzygy answers where Gaviota does not, only right after a capture or pawn
// move (its WDL counts the 50 moves from there); its wins score just below the mates,
// so a mate the search sees still comes first.
bool probeTablebase(SearchState &st, int ply, int depth, int &score) {
    if (!tablebaseMayCover(st)) return false;
    const int d = st.iterationDepth;
    TbRequest r;
    r.mayReadFiles = d < 7 || depth > std::min(d - 7, 4);
    r.syzygy = st.board.halfmoveClock == 0 && depth >= st.tbUse.depth;
    const TbAnswer a = st.tablebase->probe(st.board, r);
    if (!a.found()) return false;
    st.stats.tbHits.inc();
    score = tbScore(a, ply, 0, st.tbUse.fiftyMoveRule);
    return true;
}

bool hasPieces(const Board_BB64 &b, Colour c) {
    return (b.pieces(c) & ~(b.pieces(PAWN) | b.pieces(KING))) != 0;
}

bool twoNullsBefore(const Board_BB64 &b, int ply) {
    return ply >= 2 && b.history[b.historyIndex - 1].movePlayed == NO_MOVE &&
           b.history[b.historyIndex - 2].movePlayed == NO_MOVE;
}

// Null move: give the opponent a free move; if we still reach beta, the node is
// good enough to cut without a full search.
template <Colour Us>
bool tryNullMove(SearchState &st, const Window &w, int ply, int depth, int staticEval, int &score) {
    constexpr Colour Them = opposite(Us);
    Board_BB64 &b = st.board;
    if (depth < 2 || !isNullWindow(w.alpha, w.beta) || staticEval < w.beta || !hasPieces(b, Us) ||
        twoNullsBefore(b, ply))
        return false;
    UndoInfo undo;
    b.makeNullMove(undo);
    const int n = depth - 4 - std::min(depth / 4, 3);
    PrincipalVariation none;
    const int s = n <= 0 ? -quiesce<Them>(st, -w.beta, 1 - w.beta, ply + 1, 0, none)
                         : -searchNode<Them>(st, -w.beta, 1 - w.beta, ply + 1, n, none);
    b.unmakeNullMove(undo);
    if (st.stopped()) return score = NO_SCORE, true;
    if (s < w.beta) return false;
    // A mate found after passing is not a proven mate.
    score = s > MATE_BOUND ? w.beta : s;
    st.tt->store(b, w.bounds.low, w.bounds.high, w.alpha, w.beta, ply, depth, score, NO_MOVE);
    return true;
}

// Razoring, reverse futility and the null move, in that order.
template <Colour Us>
bool prune(SearchState &st, const Window &w, int ply, int depth, Move hashMove, int &score) {
    Board_BB64 &b = st.board;
    const int staticEval = evaluate(b, st.eval, w.alpha, w.beta);
    if (depth <= 3 && isNullWindow(w.alpha, w.beta) && hashMove == NO_MOVE && w.alpha >= -MATE_BOUND - 1 &&
        w.alpha < MATE_BOUND && staticEval <= w.alpha - RAZOR_MARGIN[depth]) {
        const int r = w.alpha - RAZOR_MARGIN[depth];
        PrincipalVariation none;
        const int q = quiesce<Us>(st, r, r + 1, ply, 0, none);
        if (st.stopped()) return score = NO_SCORE, true;
        if (q <= r) return score = q, true;
    }
    if (depth <= 5 && w.alpha >= -MATE_BOUND && w.alpha <= MATE_BOUND && w.beta >= -MATE_BOUND &&
        w.beta <= MATE_BOUND && staticEval - FUTILITY_MARGIN[depth] >= w.beta) {
        score = staticEval - FUTILITY_MARGIN[depth];
        st.tt->store(b, w.bounds.low, w.bounds.high, w.alpha, w.beta, ply, depth, score, NO_MOVE);
        return true;
    }
    return tryNullMove<Us>(st, w, ply, depth, staticEval, score);
}

// A position with a single legal move is searched a ply deeper; kept out of line so
// its move list does not weigh on the stack of every node.
template <Colour Us> [[gnu::noinline]] bool hasSingleReply(Board_BB64 &b) {
    MovePicker counter;
    initPicker(counter, PICK_ALL_LEGAL, b, AttackInfo{});
    return countMoves(counter) == 1;
}

// The move loop of both node kinds. Returns the node's score, or NO_SCORE after a stop.
template <Colour Us, bool InCheck>
int searchMoves(SearchState &st, MovePicker &picker, const Window &w, int ply, int depth, int quietChecksDone,
                PrincipalVariation &pv) {
    Board_BB64 &b = st.board;
    int best = -INFINITE_SCORE;
    int moveNumber = 0;
    for (Move m; (m = nextMove(picker)) != NO_MOVE;) {
        PrincipalVariation childPv;
        childPv.setToRestAfter(m, pv);
        ++moveNumber;
        const bool mayReduce = !InCheck && moveNumber >= 2 && depth >= 3 && isReducible<Us>(b, m);
        const int s = searchMove<Us>(st, m, std::max(w.alpha, best), w.beta, ply + 1, depth, moveNumber,
                                     InCheck ? quietChecksDone : 0, mayReduce, childPv);
        if (st.stopped()) return NO_SCORE;
        if (s >= w.beta) {
            recordCutoff(st, w.bounds, w.alpha, w.beta, ply, depth, m, moveNumber, s);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > w.alpha) pv.setLine(m, childPv);
        }
    }
    if (moveNumber == 0) return InCheck ? ply - MATE_SCORE : 0;
    st.tt->store(b, w.bounds.low, w.bounds.high, w.alpha, w.beta, ply, depth, best, pv.first());
    return best;
}

}  // namespace

bool timeIsUp(SearchState &st) {
    if (st.threadIndex != 0 || !st.player || !st.player->timeOut()) return false;
    st.requestStop();
    return true;
}

void recordCutoff(SearchState &st, const MateBounds &bounds, int alpha, int beta, int ply, int depth, Move m,
                  int moveNumber, int score) {
    st.stats.cutoffs.inc();
    if (moveNumber == 1) st.stats.firstMoveCutoffs.inc();
    recordKiller(st.board, m);
    st.tt->store(st.board, bounds.low, bounds.high, alpha, beta, ply, depth, score, m);
}

MateBounds mateBounds(const Board_BB64 &b, int ply) {
    const Colour us = b.side(), them = opposite(us);
    const bool themBare = b.pieces(them) == b.pieces(them, KING);
    const bool usBare = b.pieces(us) == b.pieces(us, KING);
    return {themBare ? 0 : ply - MATE_SCORE, usBare ? 0 : MATE_SCORE - 1 - ply};
}

template <Colour Us>
int searchNode(SearchState &st, int alpha, int beta, int ply, int depth, PrincipalVariation &pv) {
    Board_BB64 &b = st.board;
    Window w{alpha, beta, {0, 0}};
    Move hashMove = NO_MOVE;
    int score = 0;
    if (settleEarly(st, w, ply, depth, hashMove, pv, score)) return score;
    if (probeTablebase(st, ply, depth, score)) return score;
    if (prune<Us>(st, w, ply, depth, hashMove, score)) return score;

    if (hashMove == NO_MOVE && depth > 4 && !isNullWindow(w.alpha, w.beta)) {
        PrincipalVariation iid;
        searchNode<Us>(st, w.alpha, w.beta, ply, depth - 4, iid);
        if (st.stopped()) return NO_SCORE;
        hashMove = iid.first();
    }
    if (ply <= 7 && hasSingleReply<Us>(b)) ++depth;

    MovePicker picker;
    initPicker(picker, PICK_FULL_WIDTH, b, AttackInfo{});
    picker.pvMove = pv.first();
    picker.hashMove = hashMove;
    picker.reporter = st.player;
    return searchMoves<Us, false>(st, picker, w, ply, depth, 0, pv);
}

template <Colour Us>
int searchInCheck(SearchState &st, const AttackInfo &checkers, int alpha, int beta, int ply, int quietChecksDone,
                  int depth, PrincipalVariation &pv) {
    Window w{alpha, beta, {0, 0}};
    Move hashMove = NO_MOVE;
    int score = 0;
    if (settleEarly(st, w, ply, depth, hashMove, pv, score)) return score;

    MovePicker picker;
    initPicker(picker, PICK_IN_CHECK, st.board, checkers);
    picker.pvMove = pv.first();
    picker.hashMove = hashMove;
    picker.reporter = st.player;
    return searchMoves<Us, true>(st, picker, w, ply, depth, quietChecksDone, pv);
}

template <Colour Us>
int searchChild(SearchState &st, const AttackInfo &checkers, int alpha, int beta, int ply, int quietChecksDone,
                int depth, int moveNumber, PrincipalVariation &pv) {
    if (checkers.count != 0) {
        const int extension = isNullWindow(alpha, beta) && depth >= 7 ? 0 : 1;
        return -searchInCheck<Us>(st, checkers, -beta, -alpha, ply, quietChecksDone, depth + extension, pv);
    }
    if (depth <= 0) return -quiesce<Us>(st, -beta, -alpha, ply, quietChecksDone, pv);
    if (moveNumber == 1) return -searchNode<Us>(st, -beta, -alpha, ply, depth, pv);
    int s = -searchNode<Us>(st, -alpha - 1, -alpha, ply, depth, pv);
    if (!isNullWindow(alpha, beta) && s > alpha && !st.stopped()) s = -searchNode<Us>(st, -beta, -alpha, ply, depth, pv);
    return s;
}

template <Colour Us>
int searchMove(SearchState &st, Move m, int alpha, int beta, int ply, int depth, int moveNumber,
               int quietChecksDone, bool mayReduce, PrincipalVariation &childPv) {
    constexpr Colour Them = opposite(Us);
    Board_BB64 &b = st.board;
    AttackInfo checkers;
    checkersAfter<Us>(b, m, checkers);
    b.history[b.historyIndex].movePlayed = m;
    UndoInfo undo;
    b.template makeMove<Us>(m, undo);
    // Only a child with depth left probes the table (quiescence nodes do not).
    if (depth > 1 || checkers.count) st.tt->prefetch(b.key());
    int s;
    if (mayReduce) {
        s = searchChild<Them>(st, checkers, alpha, beta, ply, 0, depth - 2, moveNumber, childPv);
        if (s > alpha && !st.stopped())
            s = searchChild<Them>(st, checkers, alpha, beta, ply, 0, depth - 1, moveNumber, childPv);
    } else {
        s = searchChild<Them>(st, checkers, alpha, beta, ply, quietChecksDone, depth - 1, moveNumber, childPv);
    }
    b.template unmakeMove<Us>(m, undo);
    return s;
}

template int searchNode<WHITE>(SearchState &, int, int, int, int, PrincipalVariation &);
template int searchNode<BLACK>(SearchState &, int, int, int, int, PrincipalVariation &);
template int searchInCheck<WHITE>(SearchState &, const AttackInfo &, int, int, int, int, int, PrincipalVariation &);
template int searchInCheck<BLACK>(SearchState &, const AttackInfo &, int, int, int, int, int, PrincipalVariation &);
template int searchMove<WHITE>(SearchState &, Move, int, int, int, int, int, int, bool, PrincipalVariation &);
template int searchMove<BLACK>(SearchState &, Move, int, int, int, int, int, int, bool, PrincipalVariation &);
