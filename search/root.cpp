// The root: scoring the root moves once, the root move loop, the aspiration windows
// of each iteration and the rules that end the iterative deepening.
#include <algorithm>

#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/movepick.h"
#include "search/node.h"
#include "search/tt.h"

namespace {

bool isThread0(const SearchState &st) { return st.threadIndex == 0; }

bool isMateScore(int s) { return s > MATE_BOUND || s < -MATE_BOUND; }

template <Colour Us>
int rootSearchFor(SearchState &st, int alpha, int beta, int depth, PrincipalVariation &pv) {
    Board_BB64 &b = st.board;
    st.stats.nodes.inc();
    const MateBounds bounds = mateBounds(b, 0);
    if (isThread0(st)) st.easyMove = false;

    CheckInfo info;
    computeCheckInfo<Us>(b, info);
    const bool inCheck = info.inCheck();
    MovePicker picker;
    initPicker(picker, inCheck ? PICK_IN_CHECK : PICK_FULL_WIDTH, b, info.checkers);
    picker.pvMove = pv.first();
    const bool timeFirstMoves = !inCheck && depth >= 6;
    const uint32_t startTime = timeFirstMoves ? currentElapsed(*st.limits) : 0;

    int best = -INFINITE_SCORE, second = -INFINITE_SCORE;
    int moveNumber = 0, completed = 0;
    for (Move m; (m = nextMove(picker)) != NO_MOVE;) {
        if (timeFirstMoves && moveNumber == 2) st.firstMovesTime = currentElapsed(*st.limits) - startTime;
        PrincipalVariation childPv;
        childPv.setToRestAfter(m, pv);
        ++moveNumber;
        const bool mayReduce = !inCheck && moveNumber >= 2 && depth >= 3 && isReducible<Us>(b, m);
        const int s = searchMove<Us>(st, m, std::max(alpha, best), beta, 1, depth, moveNumber, 0, mayReduce, childPv);
        if (st.stopped()) break;
        ++completed;
        if (s >= beta) {
            recordCutoff(st, bounds, alpha, beta, 0, depth, m, moveNumber, s);
            return s;
        }
        if (s <= best) {
            second = std::max(second, s);
            continue;
        }
        best = s;
        if (s > alpha) {
            pv.setLine(m, childPv);
            if (isThread0(st) && st.player) st.player->reportThinking(depth, s, pv);
        }
    }
    if (moveNumber == 0) return inCheck ? -MATE_SCORE : 0;
    if (isThread0(st) && completed >= 2 && !st.stopped() && best > second + 199) st.easyMove = true;
    // A root stopped before any move finished has nothing worth keeping.
    if (completed > 0) st.tt->store(b, bounds.low, bounds.high, alpha, beta, 0, depth, best, pv.first());
    return best;
}

struct RootMoves {
    int count = 0;
    int settled = 0;  // moves whose score came from the tablebases
    int bestScore = -INFINITE_SCORE;
    PrincipalVariation best;
};

// Scores every root move once, by the tablebases or the static evaluation, so the
// first iteration starts from a sensible move and the trivial cases end here.
template <Colour Us> RootMoves scoreRootMoves(SearchState &st) {
    Board_BB64 &b = st.board;
    CheckInfo info;
    computeCheckInfo<Us>(b, info);
    MovePicker picker;
    initPicker(picker, info.inCheck() ? PICK_IN_CHECK : PICK_FULL_WIDTH, b, info.checkers);
    RootMoves root;
    for (Move m; (m = nextMove(picker)) != NO_MOVE;) {
        ++root.count;
        UndoInfo undo;
        b.template makeMove<Us>(m, undo);
        int s = 0, tb = 0;
        if (tablebaseCovers(st) && st.tablebase->probe(b, true, tb)) {
            st.stats.tbHits.inc();
            ++root.settled;
            s = tb >= 1 ? 1 - tb : tb <= -1 ? -tb - 1 : 0;
        } else {
            s = -evaluate(b, *st.pawnHash, -INFINITE_SCORE, INFINITE_SCORE);
        }
        b.template unmakeMove<Us>(m, undo);
        if (s > root.bestScore) {
            root.bestScore = s;
            root.best.setSingle(m);
        }
    }
    return root;
}

struct IterationBounds {
    int lowLimit, highLimit, minMate, maxMate;
};

// The best and worst scores an iteration of depth d can prove: mates beyond its
// horizon cannot be seen, and a bare king can at best draw.
IterationBounds iterationBounds(const Board_BB64 &b, int d) {
    IterationBounds ib{};
    const Colour us = b.side(), them = opposite(us);
    if (b.pieces(them) == b.pieces(them, KING)) {
        ib.lowLimit = -1;
        ib.minMate = 0;
    } else {
        const int m = (d + 1) & ~1;
        ib.minMate = m - MATE_SCORE;
        ib.lowLimit = m - MATE_SCORE - 1;
    }
    if (b.pieces(us) == b.pieces(us, KING)) {
        ib.highLimit = 1;
        ib.maxMate = 0;
    } else {
        const int k = ((d + 2) & ~1) - 1;
        ib.maxMate = MATE_SCORE - k;
        ib.highLimit = MATE_SCORE + 1 - k;
    }
    return ib;
}

// One iteration: the aspiration window first, then wider windows after a fail. A stop
// seen after the first pass skips the re-searches; one seen later only makes them
// return at once.
template <Colour Us>
int searchIteration(SearchState &st, const IterationBounds &ib, int d, int previous, PrincipalVariation &pv) {
    const int alpha = std::max(previous - 30, ib.lowLimit), beta = std::min(previous + 30, ib.highLimit);
    int s = rootSearchFor<Us>(st, alpha, beta, d, pv);
    if (st.stopped()) return s;
    if (s >= beta && s <= ib.maxMate) {
        s = rootSearchFor<Us>(st, alpha, ib.highLimit, d, pv);
        if (s <= alpha && s >= ib.minMate) s = rootSearchFor<Us>(st, ib.lowLimit, ib.highLimit, d, pv);
    } else if (s <= alpha && s >= ib.minMate) {
        s = rootSearchFor<Us>(st, ib.lowLimit, beta, d, pv);
        if (s >= beta && s <= ib.maxMate) s = rootSearchFor<Us>(st, ib.lowLimit, ib.highLimit, d, pv);
    }
    return s;
}

// Thread 0's reasons to end the search after iteration d. Every rule is checked in
// turn, so one iteration can give more than one reason (a forced move that mates).
bool shouldStop(SearchState &st, const IterationBounds &ib, int d, int s, int rootMoves, const bool *easy,
                Move bestMove) {
    const SearchLimits &lim = *st.limits;
    bool stop = false;
    auto give = [&](StopReason reason, int plies = 0) {
        if (st.player) st.player->reportStop(reason, bestMove, plies);
        stop = true;
    };
    if (d == 1 && rootMoves == 1) give(StopReason::FORCED_MOVE);
    if (d >= 6) {
        const int64_t used = searchElapsed(lim);
        if (easy[d] && easy[d - 1] && lim.timed && used >= int32_t(lim.maxTime) / 8)
            give(StopReason::EASY_MOVE);
        else if (lim.timed && int64_t(int32_t(lim.maxTime)) - used < int64_t(st.firstMovesTime) * 3 / 2)
            give(StopReason::NO_TIME_FOR_ITERATION);
    }
    if (s == ib.maxMate) {
        if (ib.maxMate != 0) give(StopReason::FORCED_MATE, MATE_SCORE - s);
        else give(StopReason::FORCED_DRAW);
    }
    if (s == ib.minMate && s < 0) give(StopReason::GETTING_MATED, s + MATE_SCORE);
    return stop || (lim.fixedDepth && int(lim.maxDepth) == d);
}

constexpr int MAX_DEPTH = 100;

template <Colour Us>
SearchResult iterate(SearchState &st, const RootMoves &root) {
    PrincipalVariation best = root.best;
    int previous = root.bestScore;
    int step = isThread0(st) ? 1 : 2;
    int d = (st.threadIndex % 2 == 1) ? 2 : 1;
    int completed = 0;
    bool easy[MAX_DEPTH + 1] = {};
    while (!st.stopped() && d <= MAX_DEPTH) {
        st.iterationDepth = d;
        const IterationBounds ib = iterationBounds(st.board, d);
        PrincipalVariation pv = best;
        if (isThread0(st)) easy[d] = false;
        const int s = searchIteration<Us>(st, ib, d, previous, pv);
        if (isMateScore(s)) step = 1;
        if (pv.length) {
            best = pv;
            previous = s;
        }
        if (isThread0(st) && !st.stopped()) {
            completed = d;
            easy[d] = st.easyMove;
            if (shouldStop(st, ib, d, s, root.count, easy, best.first())) st.requestStop();
        }
        d += step;
    }
    SearchResult r;
    if (!isThread0(st)) return r;
    r.bestMove = best.first();
    r.ponderMove = best.length >= 2 ? best.moves[1] : NO_MOVE;
    r.score = previous;
    r.depth = completed;
    r.aborted = st.abort.load(std::memory_order_relaxed);
    return r;
}

template <Colour Us> SearchResult iterativeDeepeningFor(SearchState &st, const Board_BB64 &game, bool clearFlags) {
    if (&st.board != &game) st.board = game;
    if (clearFlags) {
        st.stop.store(false, std::memory_order_relaxed);
        st.abort.store(false, std::memory_order_relaxed);
    }
    st.easyMove = false;
    PawnHashTable::setHitLane(st.threadIndex);
    st.stats.reset();
    st.firstMovesTime = 0;
    st.iterationDepth = 0;

    // A game that has used up the history stack leaves no room for a single move.
    if (historyFull(st.board)) {
        if (isThread0(st) && st.player) st.player->searchFinished();
        return {};
    }
    const RootMoves root = scoreRootMoves<Us>(st);
    if (root.count == 0 || root.settled == root.count) {
        if (!isThread0(st)) return {};
        if (st.player) {
            st.player->reportThinking(0, root.count ? root.bestScore : -INFINITE_SCORE, root.best);
            st.player->searchFinished();
        }
        SearchResult settled;
        settled.bestMove = root.best.first();
        settled.score = root.count ? root.bestScore : -INFINITE_SCORE;
        return settled;
    }
    const SearchResult r = iterate<Us>(st, root);
    if (isThread0(st) && st.player) st.player->searchFinished();
    return r;
}

}  // namespace

SearchResult iterativeDeepening(SearchState &st, const Board_BB64 &game, bool clearFlags) {
    return game.side() == WHITE ? iterativeDeepeningFor<WHITE>(st, game, clearFlags)
                                : iterativeDeepeningFor<BLACK>(st, game, clearFlags);
}
