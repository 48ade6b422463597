// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The root: scoring the root moves once, the root move loop, the aspiration windows
// of each iteration and the rules that end the iterative deepening.
#include <algorithm>

#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/movepick.h"
#include "search/node.h"
#include "search/syzygy_root.h"
#include "search/tt.h"

namespace {

bool isThread0(const SearchState &st) { return st.threadIndex == 0; }

bool isMateScore(int s) { return s > MATE_BOUND || s < -MATE_BOUND; }

// Whether this pass leaves m out: a move outside the allowed root moves, one the
// Syzygy ranking dropped, or the first move of a line the iteration has found already.
bool rootSkips(const SearchState &st, Move m) {
    for (int i = 0; i < st.excludedCount; ++i)
        if (st.excluded[i] == m) return true;
    if (st.syzygyRoot.size() && std::none_of(st.syzygyRoot.begin(), st.syzygyRoot.end(),
                                              [m](const ScoredMove &k) { return k.move == m; }))
        return true;
    if (!st.restricted) return false;
    const SearchOptions &o = st.limits->options;
    for (int i = 0; i < o.rootMoveCount; ++i)
        if (o.rootMoves[i] == m) return false;
    return true;
}

// Thread 0 reports line 1 as the root loop finds it; several lines are reported once
// each iteration has found them all.
// Time since the search was asked for, as its interface keeps it.
int64_t searchElapsedMs(const SearchState &st) { return st.player ? st.player->searchElapsedMs() : 0; }

bool reportsInLoop(const SearchState &st) { return isThread0(st) && st.player && st.multiPv == 1; }

// In a root the Syzygy tables decide, a line shows the tables' verdict unless the
// search has seen a mate.
int shownScore(const SearchState &st, int score) {
    return st.syzygyRootScore != NO_SCORE && !isMateScore(score) ? st.syzygyRootScore : score;
}

void reportRoot(SearchState &st, int depth, int score, ScoreBound bound, const PrincipalVariation &pv) {
    LineReport r;
    r.depth = depth;
    r.selDepth = st.selDepth;
    r.score = shownScore(st, score);
    r.bound = bound;
    r.pv = &pv;
    st.player->reportLine(r);
}

// A fail high leaves the line as it was (the re-search tries it first); the move that
// failed high is reported on a line of its own.
[[gnu::noinline]] void reportFailHigh(SearchState &st, int depth, int score, Move m, const PrincipalVariation &child) {
    PrincipalVariation line;
    line.setLine(m, child);
    reportRoot(st, depth, score, ScoreBound::LOWER, line);
}

// A mate within the moves asked for is proven for the best line (thread 0 decides).
bool mateLimitReached(const SearchState &st, int score) {
    // No line is longer than MAX_PV_LENGTH moves, so any larger target means any mate.
    const int moves = std::min(st.limits->options.mateMoves, MAX_PV_LENGTH);
    return isThread0(st) && st.excludedCount == 0 && moves > 0 && score >= MATE_SCORE - (2 * moves - 1);
}

template <Colour Us>
int rootSearchFor(SearchState &st, int alpha, int beta, int depth, PrincipalVariation &pv) {
    Board_BB64 &b = st.board;
    st.stats.nodes.inc();
    const MateBounds bounds = mateBounds(b, 0);
    if (isThread0(st)) st.easyMove = false;
    const bool reports = reportsInLoop(st);
    // A score over part of the root moves is not the position's: the table gets none.
    const bool wholeRoot = st.excludedCount == 0 && !st.restricted;

    CheckInfo info;
    computeCheckInfo<Us>(b, info);
    const bool inCheck = info.inCheck();
    MovePicker picker;
    initPicker(picker, inCheck ? PICK_IN_CHECK : PICK_FULL_WIDTH, b, info.checkers);
    picker.pvMove = pv.first();
    const bool timeFirstMoves = !inCheck && depth >= 6;
    const int64_t startTime = timeFirstMoves ? searchElapsedMs(st) : 0;

    int best = -INFINITE_SCORE, second = -INFINITE_SCORE;
    int moveNumber = 0, completed = 0;
    for (Move m; (m = nextMove(picker)) != NO_MOVE;) {
        if (rootSkips(st, m)) continue;
        if (timeFirstMoves && moveNumber == 2) st.firstMovesMs = searchElapsedMs(st) - startTime;
        PrincipalVariation childPv;
        childPv.setToRestAfter(m, pv);
        ++moveNumber;
        if (isThread0(st) && st.player) st.player->reportCurrentMove(depth, m, moveNumber + st.excludedCount);
        const bool mayReduce = !inCheck && moveNumber >= 2 && depth >= 3 && isReducible<Us>(b, m);
        const int s = searchMove<Us>(st, m, std::max(alpha, best), beta, 1, depth, moveNumber, 0, mayReduce, childPv);
        if (st.stopped()) break;
        ++completed;
        if (s >= beta) {
            if (reports) reportFailHigh(st, depth, s, m, childPv);
            if (wholeRoot) recordCutoff(st, bounds, alpha, beta, 0, depth, m, moveNumber, s);
            return s;
        }
        if (s <= best) {
            second = std::max(second, s);
            continue;
        }
        best = s;
        if (s > alpha) {
            pv.setLine(m, childPv);
            if (reports) reportRoot(st, depth, s, ScoreBound::EXACT, pv);
            if (mateLimitReached(st, s)) st.requestStop();
        }
    }
    if (moveNumber == 0) return inCheck ? -MATE_SCORE : 0;
    if (reports && best <= alpha && !st.stopped()) reportRoot(st, depth, best, ScoreBound::UPPER, pv);
    if (isThread0(st) && completed >= 2 && !st.stopped() && best > second + 199) st.easyMove = true;
    // A root stopped before any move finished has nothing worth keeping.
    if (completed > 0 && wholeRoot) st.tt->store(b, bounds.low, bounds.high, alpha, beta, 0, depth, best, pv.first());
    return best;
}

struct RootMoves {
    int count = 0;
    int settled = 0;  // moves whose score came from the tablebases
    int bestScore = -INFINITE_SCORE;
    PrincipalVariation best;
    // The best moves by that first score, best first: the start of each line.
    Move top[MAX_MULTI_PV] = {};
    int topScore[MAX_MULTI_PV] = {};
    int topCount = 0;
};

// Inserts m behind the moves scoring at least as much, dropping the last when full.
void keepTop(RootMoves &root, Move m, int s) {
    if (root.topCount == MAX_MULTI_PV && s <= root.topScore[MAX_MULTI_PV - 1]) return;
    int i = root.topCount < MAX_MULTI_PV ? root.topCount++ : MAX_MULTI_PV - 1;
    for (; i > 0 && root.topScore[i - 1] < s; --i) {
        root.top[i] = root.top[i - 1];
        root.topScore[i] = root.topScore[i - 1];
    }
    root.top[i] = m;
    root.topScore[i] = s;
}

// The allowed root moves apply when at least one of them is legal here; a list of
// none leaves the whole root to search.
bool restrictsRoot(SearchState &st) {
    const SearchOptions &o = st.limits->options;
    if (o.rootMoveCount <= 0) return false;
    MoveList legal;
    generateAllLegal(st.board, legal);
    for (const ScoredMove &sm : legal)
        for (int i = 0; i < o.rootMoveCount; ++i)
            if (o.rootMoves[i] == sm.move) return true;
    return false;
}

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
        if (rootSkips(st, m)) continue;
        ++root.count;
        UndoInfo undo;
        b.template makeMove<Us>(m, undo);
        int s = 0;
        TbRequest gaviotaOnly;
        gaviotaOnly.syzygy = false;
        const TbAnswer tb = tablebaseMayCover(st) ? st.tablebase->probe(b, gaviotaOnly) : TbAnswer{};
        if (tb.found()) {
            st.stats.tbHits.inc();
            ++root.settled;
            s = -tbScore(tb, 1, 0, st.tbUse.fiftyMoveRule);
        } else {
            s = -evaluate(b, st.eval, -INFINITE_SCORE, INFINITE_SCORE);
        }
        b.template unmakeMove<Us>(m, undo);
        if (s > root.bestScore) {
            root.bestScore = s;
            root.best.setSingle(m);
        }
        keepTop(root, m, s);
    }
    return root;
}

// A root in the Syzygy tables keeps only the moves that hold the result and make
// progress. Where Gaviota answers for the root, its mate distances settle the root
// moves as before and no ranking is made.
void rankRootInTables(SearchState &st) {
    st.tbUse = st.tablebase ? st.tablebase->use() : TablebaseUse{};
    st.syzygyRoot.clear();
    st.syzygyRootScore = NO_SCORE;
    if (!tablebaseMayCover(st) || st.tablebase->probe(st.board, {}).source != TbSource::SYZYGY) return;
    rankSyzygyRoot(st, [&st](Move m) { return !rootSkips(st, m); });
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
    const bool forcedNow =
        lim.options.forcedMoveOnClock ? lim.hardMs != NO_TIME_LIMIT && !lim.options.analysis : d == 1;
    if (rootMoves == 1 && forcedNow) give(StopReason::FORCED_MOVE);
    // The plan's soft limit: none for a search until stopped or a fixed move time,
    // which is spent whole (only the time-out ends it).
    const int64_t soft = lim.softMs;
    if (d >= 6 && soft != NO_TIME_LIMIT) {
        const int64_t used = searchElapsedMs(st);
        if (easy[d] && easy[d - 1] && used >= soft / 8) give(StopReason::EASY_MOVE);
        else if (soft - used < st.firstMovesMs * 3 / 2) give(StopReason::NO_TIME_FOR_ITERATION);
    }
    if (s == ib.maxMate) {
        if (ib.maxMate != 0) give(StopReason::FORCED_MATE, MATE_SCORE - s);
        else give(StopReason::FORCED_DRAW);
    }
    if (s == ib.minMate && s < 0) give(StopReason::GETTING_MATED, s + MATE_SCORE);
    return stop || mateLimitReached(st, s) || (lim.fixedDepth && int(lim.maxDepth) == d);
}

constexpr int MAX_DEPTH = 100;

// A root line carried from one iteration to the next: its moves and its score.
struct RootLine {
    PrincipalVariation pv;
    int score = 0;
};

// The lines of the first iteration start from the best moves of the first scoring.
int initialLines(SearchState &st, const RootMoves &root, RootLine *lines) {
    const int k = std::clamp(st.limits->options.multiPv, 1, std::min(root.count, MAX_MULTI_PV));
    lines[0].pv = root.best;
    lines[0].score = root.bestScore;
    for (int i = 1; i < k; ++i) {
        lines[i].pv.setSingle(root.top[i]);
        lines[i].score = root.topScore[i];
    }
    return k;
}

// Line i starts from its own previous line unless a better line of this iteration
// took that line's first move; it then starts from the first move still free.
void startLine(const SearchState &st, const RootMoves &root, const RootLine &line, PrincipalVariation &pv) {
    pv = line.pv;
    if (!rootSkips(st, pv.first())) return;
    for (int j = 0; j < root.topCount; ++j) {
        if (rootSkips(st, root.top[j])) continue;
        pv.setSingle(root.top[j]);
        return;
    }
}

// Best first; a stable insertion sort, as lines of equal score keep their order.
void sortLines(RootLine *lines, int k) {
    for (int i = 1; i < k; ++i) {
        RootLine moving = lines[i];
        int j = i;
        for (; j > 0 && lines[j - 1].score < moving.score; --j) lines[j] = lines[j - 1];
        lines[j] = moving;
    }
}

// One iteration of every line: each pass searches the root without the first moves of
// the lines before it. A single line is the plain iteration. Returns the best score.
template <Colour Us>
int searchLines(SearchState &st, const RootMoves &root, const IterationBounds &ib, int d, RootLine *lines) {
    for (int i = 0; i < st.multiPv; ++i) {
        st.excludedCount = i;
        PrincipalVariation pv;
        startLine(st, root, lines[i], pv);
        const int s = searchIteration<Us>(st, ib, d, lines[i].score, pv);
        // A stopped first pass still has its best move so far; later ones keep the old line.
        if (pv.length && (i == 0 || !st.stopped())) {
            lines[i].pv = pv;
            lines[i].score = s;
        }
        if (st.stopped()) break;
        st.excluded[i] = pv.first();
    }
    st.excludedCount = 0;
    if (!st.stopped()) sortLines(lines, st.multiPv);
    return lines[0].score;
}

void reportLines(SearchState &st, int d, const RootLine *lines) {
    for (int i = 0; i < st.multiPv; ++i) {
        LineReport r;
        r.multiPv = i + 1;
        r.depth = d;
        r.selDepth = st.selDepth;
        r.score = shownScore(st, lines[i].score);
        r.pv = &lines[i].pv;
        st.player->reportLine(r);
    }
}

template <Colour Us>
SearchResult iterate(SearchState &st, const RootMoves &root) {
    RootLine lines[MAX_MULTI_PV];
    st.multiPv = initialLines(st, root, lines);
    int step = isThread0(st) ? 1 : 2;
    int d = (st.threadIndex % 2 == 1) ? 2 : 1;
    int completed = 0;
    bool easy[MAX_DEPTH + 1] = {};
    while (!st.stopped() && d <= MAX_DEPTH) {
        st.iterationDepth = d;
        st.selDepth = 0;
        const IterationBounds ib = iterationBounds(st.board, d);
        if (isThread0(st)) easy[d] = false;
        const int s = searchLines<Us>(st, root, ib, d, lines);
        if (isMateScore(s)) step = 1;
        if (isThread0(st) && !st.stopped()) {
            completed = d;
            // With several lines the last pass says nothing of the best move's margin.
            easy[d] = st.multiPv == 1 && st.easyMove;
            if (st.multiPv > 1 && st.player) reportLines(st, d, lines);
            if (shouldStop(st, ib, d, s, root.count, easy, lines[0].pv.first())) st.requestStop();
        }
        d += step;
    }
    SearchResult r;
    if (!isThread0(st)) return r;
    const PrincipalVariation &best = lines[0].pv;
    r.bestMove = best.first();
    r.ponderMove = best.length >= 2 ? best.moves[1] : NO_MOVE;
    r.score = shownScore(st, lines[0].score);
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
    st.eval.hitLane = st.threadIndex;
    st.stats.reset();
    st.firstMovesMs = 0;
    st.iterationDepth = 0;
    st.selDepth = 0;
    st.excludedCount = 0;
    st.multiPv = 1;

    // A game that has used up the history stack leaves no room for a single move.
    if (historyFull(st.board)) {
        if (isThread0(st) && st.player) st.player->searchFinished();
        return {};
    }
    st.restricted = restrictsRoot(st);
    rankRootInTables(st);
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
