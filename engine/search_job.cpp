// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's move: the job of the search threads, the engine clock, the time budget
// and the time-out test the search polls.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "board/movegen.h"
#include "engine/player.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "eval/pawnhash.h"
#include "search/tt.h"
#include "platform/random.h"

void ChessPlayer::startSearch() {
    waitForTables();
    for (uint32_t i = 0; i < pool_->size(); ++i) {
        SearchState &st = (*pool_)[i].state();
        st.tt = tt_.get();
        st.pawnHash = pawnHash_.get();
        st.limits = limits_;
        st.player = this;
        st.tablebase = tablebases_.get();
    }
    pool_->wakeAll();
}

bool ChessPlayer::searchBusy() const { return pool_ && pool_->anyBusy(); }

void ChessPlayer::stopSearch() {
    if (pool_) pool_->stopAll(true);
}

void ChessPlayer::shutdownThreads() {
    stopSearch();
    pool_.reset();
    currentThreads_ = 0;
}

namespace {

// Sessions begun by the current move (1 for a whole-game level, m == 0).
int64_t sessionsStarted(int64_t m, int64_t fullMoveNumber) { return m ? (fullMoveNumber + m - 1) / m : 1; }

// Moves left until the time control adds a session's time, counting the current
// move; a whole-game level plans for 32 more.
int64_t movesToSessionEnd(int64_t m, int64_t fullMoveNumber) {
    return m ? sessionsStarted(m, fullMoveNumber) * m - fullMoveNumber + 1 : 32;
}

int32_t clampToInt32(int64_t x) { return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)); }

}  // namespace

// Budget of one search from the level and the time used so far. The level's values
// are at most INT32_MAX each and the clock is read as signed, so 64 bits hold every
// sum exactly however long the level; only the budget itself is brought back to 32.
void ChessPlayer::computeBudget() {
    SearchLimits &l = *limits_;
    BudgetReport b;
    b.movesPerSession = l.movesPerSession;
    b.timePerSession = l.timePerSession;
    b.increment = l.increment;
    b.ply = gamePly_;
    b.fullMoveNumber = b.ply / 2 + 1;
    b.nSessions = sessionsStarted(b.movesPerSession, b.fullMoveNumber);
    b.remainingMoves = movesToSessionEnd(b.movesPerSession, b.fullMoveNumber);
    b.total = b.increment * b.fullMoveNumber + b.nSessions * b.timePerSession;
    b.elapsed = int32_t(currentElapsed(l));
    b.remaining = b.total - b.elapsed;
    b.available = (b.remainingMoves - 1) * b.increment + b.remaining;
    b.maxTime = clampToInt32(int64_t(double(b.available) * 0.9 / double(b.remainingMoves)));
    listener_->onBudget(b);
    l.maxTime = uint32_t(b.maxTime);
    clockLeft_ = clampToInt32(b.remaining);
}

// The budget counts increments still to come as if they were on the clock already; with
// little time left and a large increment it can exceed the clock itself. A tenth of
// what is left and a tenth of a second then stay in reserve.
void ChessPlayer::guardClock() {
    SearchLimits &l = *limits_;
    if (l.increment == 0) return;
    const int64_t cap = int64_t(clockLeft_) - clockLeft_ / 10 - 10;
    if (int64_t(int32_t(l.maxTime)) <= cap) return;
    l.maxTime = uint32_t(int32_t(std::max<int64_t>(cap, INT32_MIN)));
    listener_->onBudgetChange(BudgetChange::CLOCK_GUARD, int32_t(l.maxTime));
}

// Leaving the opening lets the first search of the game think half as long again,
// except close to the end of a session. Computed in 64 bits and kept within the
// signed 32-bit range, so no clock a GUI can send overflows it.
void ChessPlayer::applyOutOfBookBonus(bool timed) {
    if (outOfBook_) return;
    outOfBook_ = true;
    SearchLimits &l = *limits_;
    const uint32_t m = l.movesPerSession;
    // Analysis has no budget: the bonus is used up without a line.
    if (!timed || (m != 0 && movesToSessionEnd(m, gamePly_ / 2 + 1) < 10)) return;
    const int64_t corrected = std::min<int64_t>(int64_t(int32_t(l.maxTime)) * 3 / 2, INT32_MAX);
    l.maxTime = uint32_t(int32_t(corrected));
    listener_->onBudgetChange(BudgetChange::OUT_OF_BOOK, int32_t(corrected));
}

bool ChessPlayer::randomMove(Move &move) {
    MoveList list;
    {
        std::lock_guard<std::mutex> lock(gameMutex_);
        generateAllLegal(*board_, list);
    }
    if (list.size() == 0) return false;
    move = list[uint32_t(nextRandom() & 0x7FFFFFFF) % list.size()];
    return true;
}

void ChessPlayer::searchJob(uint32_t index, void *argument) {
    ChessPlayer &player = *static_cast<ChessPlayer *>(argument);
    if (index == 0) player.runSearchJob();
    else player.helperJob((*player.pool_)[index].state());
}

// Helpers search the same position on their own board until thread 0 stops them; their
// result reaches thread 0 only through the shared tables. The copy is taken under the
// game lock: thread 0 may meanwhile test its random move's legality on the game board.
void ChessPlayer::helperJob(SearchState &st) {
    copyBoard(st.board);
    iterativeDeepening(st, st.board, false);
}

void ChessPlayer::runSearchJob() {
    SearchLimits &l = *limits_;
    startClock(l);
    l.searchStartElapsed = currentElapsed(l);
    const bool timed = l.timed;
    const int32_t fixedBudget = fixedBudget_;
    const bool levelBudget = timed && fixedBudget < 0;
    if (levelBudget) computeBudget();
    else if (timed) l.maxTime = uint32_t(fixedBudget);

    SearchResult result;
    Move move = NO_MOVE;
    // A restricted root or a position under study is the caller's question: neither the
    // book nor chance answers it.
    const bool free = l.options.rootMoveCount == 0 && !l.options.analysis;
    const bool quick =
        free && ((randomGameMode_ && randomMove(move)) ||
                 (timed && settings_.number(OWN_BOOK) && !chess960() && bookMove(move)));
    if (quick) {
        result.bestMove = move;
    } else {
        applyOutOfBookBonus(levelBudget);
        if (levelBudget) guardClock();
        result = iterativeDeepening((*pool_)[0].state(), *board_, false);
    }
    pool_->stopAll(false, 1);
    // The clock stops before the result is announced: the interface may answer with
    // "time" at once, and that must find the clock settled.
    stopClock(l);
    // A stop from the command loop means the move is not wanted any more; the verdict
    // and the report happen under the thread's lock, which the stop request takes too,
    // so a stop either comes first (aborted) or finds the report complete.
    SearchThread &self = (*pool_)[0];
    const std::lock_guard<std::mutex> lock(self.stateLock());
    result.aborted = self.state().abort.load(std::memory_order_relaxed);
    listener_->onBestMove(result, !timed);
}

// The budget goes in before the flag that makes the time-out test read it: go gave the
// untimed search a budget no search reaches, so an early read of the flag finds
// nothing to act on.
void ChessPlayer::startClockedBudget(int32_t centiseconds) {
    fixedBudget_ = centiseconds;
    limits_->maxTime = uint32_t(centiseconds);
    limits_->timed = true;
}

int ChessPlayer::hashFullPermille() const { return tt_ ? int(tt_->fillPercent() * 10.0 + 0.5) : 0; }

bool ChessPlayer::timeOut() {
    // The node count only rate-limits the clock reads. The helpers' counters sit in
    // other cores' caches and change at every node: they are summed anew only every
    // 256 nodes of this thread, not pulled across at every node; every 16 under a node
    // limit, which is then overshot by what the helpers search in 16 nodes of this
    // thread (more when this thread is kept waiting for a core).
    const SearchLimits &l = *limits_;
    if (pool_) {
        const uint64_t own = (*pool_)[0].state().stats.nodes.load();
        const uint64_t nodeLimit = l.options.nodeLimit;
        if (own % (nodeLimit ? 16 : 256) == 0) helperNodes_ = pool_->totalNodes() - own;
        if (nodeLimit != 0 && own + helperNodes_ >= nodeLimit) return true;
        if ((own + helperNodes_) % 4096 != 0) return false;
    }
    if (!l.timed) return false;
    if (int32_t(currentElapsed(l) - l.searchStartElapsed) < int32_t(l.maxTime)) return false;
    listener_->onTimeout();
    return true;
}

void ChessPlayer::reportThinking(int depth, int score, const PrincipalVariation &pv) {
    IterationReport r;
    r.depth = depth;
    r.score = score;
    // A root without a legal move is reported with the worst score whatever the
    // reason; unless the side to move is mated it is a stalemate, a draw. The game
    // board stays as it is while thread 0 searches it.
    const Board_BB64 &b = *board_;
    const bool noMove = depth == 0 && pv.length == 0 && score == -INFINITE_SCORE;
    if (noMove && !isAttackedBy(b, opposite(b.side()), b.kingSquare(b.side()))) r.score = 0;
    r.elapsedCs = searchElapsed(*limits_);
    r.nodes = pool_->totalNodes();
    for (uint32_t i = 0; i < pool_->size(); ++i) r.tbHits += (*pool_)[i].state().stats.tbHits.load();
    r.pv = &pv;
    listener_->onIteration(r);
}

void ChessPlayer::reportLine(const LineReport &line) {
    IterationReport r;
    r.multiPv = line.multiPv;
    r.depth = line.depth;
    r.selDepth = line.selDepth;
    r.score = line.score;
    r.bound = line.bound;
    r.elapsedCs = searchElapsed(*limits_);
    r.nodes = pool_->totalNodes();
    r.pv = line.pv;
    listener_->onLine(r);
}

void ChessPlayer::reportCurrentMove(int depth, Move m, int number) {
    listener_->onCurrentMove(depth, m, number, searchElapsed(*limits_));
}

void ChessPlayer::setSearchOptions(const SearchOptions &options) {
    SearchOptions &o = limits_->options;
    o = options;
    o.multiPv = std::clamp(o.multiPv, 1, MAX_MULTI_PV);
    o.rootMoveCount = std::clamp(o.rootMoveCount, 0, MAX_ROOT_MOVES);
    o.mateMoves = std::max(o.mateMoves, 0);
}

void ChessPlayer::reportStop(StopReason reason, Move best, int plies) { listener_->onStopReason(reason, best, plies); }

void ChessPlayer::searchFinished() {
    SearchSummary s;
    for (uint32_t i = 0; i < pool_->size(); ++i) s.totals.add((*pool_)[i].state().stats);
    s.elapsedCs = searchElapsed(*limits_);
    s.ttFillPercent = tt_ ? tt_->fillPercent() : 0.0;
    s.pawnFillPercent = pawnHash_ ? pawnHash_->fillPercent() : 0.0;
    s.pawnHashHits = pawnHash_ ? pawnHash_->hits() : 0;
    listener_->onSearchFinished(s);
}

void ChessPlayer::reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {
    listener_->onHashCollision(b, m, pseudoLegal);
}
