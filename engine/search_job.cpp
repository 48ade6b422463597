// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's move: the job of the search threads, with the plan of its clock
// (engine/time_manager.h), and the time-out test the search polls.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "board/movegen.h"
#include "engine/player.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "engine/time_manager.h"
#include "eval/pawnhash.h"
#include "search/tt.h"
#include "platform/random.h"

void ChessPlayer::startSearch(int64_t askedAtMs) {
    // The plan runs from the request: any wait here is the interface's time too.
    timeManager_.markRequest(askedAtMs);
    waitUntilReady();
    // A level searches on one thread: its node budget then gives the same search, and
    // with a seed the same move, every time.
    levelSearch_ = settings_.number(LIMIT_STRENGTH) != 0 && !limits_->options.analysis;
    // Every counter starts from zero before any thread wakes: thread 0 reports the sum
    // of all threads' nodes before a helper has begun its own search (and at a level
    // the helpers never begin one), and its node limit reads the same sum.
    helperNodes_ = 0;
    for (uint32_t i = 0; i < pool_->size(); ++i) {
        SearchState &st = (*pool_)[i].state();
        st.stats.reset();
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
    if (levelSearch_) return;
    copyBoard(st.board);
    iterativeDeepening(st, st.board, false);
}

void ChessPlayer::runSearchJob() {
    const bool timed = timeManager_.beginSearch(gamePly_);
    const SearchLimits &l = *limits_;

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
        timeManager_.enterRootSearch(gamePly_);
        SearchOptions saved;
        if (levelSearch_) beginLevelSearch(saved);
        result = iterativeDeepening((*pool_)[0].state(), *board_, false);
        if (levelSearch_) endLevelSearch(saved, result);
    }
    pool_->stopAll(false, 1);
    // The clock stops before the result is announced: the interface may answer with
    // "time" at once, and that must find the clock settled.
    timeManager_.endSearch();
    // A stop from the command loop means the move is not wanted any more; the verdict
    // and the report happen under the thread's lock, which the stop request takes too,
    // so a stop either comes first (aborted) or finds the report complete.
    SearchThread &self = (*pool_)[0];
    const std::lock_guard<std::mutex> lock(self.stateLock());
    result.aborted = self.state().abort.load(std::memory_order_relaxed);
    listener_->onBestMove(result, !timed);
}

void ChessPlayer::beginLevelSearch(SearchOptions &saved) {
    SearchOptions &o = limits_->options;
    saved = o;
    level_ = strengthLevel(settings_.number(STRENGTH_ELO));
    shownLines_ = o.multiPv;
    levelLineCount_ = 0;
    shownMove_ = NO_MOVE;
    o.multiPv = std::max(o.multiPv, STRENGTH_LINES);
    o.nodeLimit = o.nodeLimit ? std::min(o.nodeLimit, level_.nodes) : level_.nodes;
}

// The lines of the last depth the search completed; none when it completed no depth
// with several lines (a single legal move, a position the tables settle, a budget
// spent within depth 1): the search's own move stands. Either way the last line shown
// is the one played, with its score.
void ChessPlayer::endLevelSearch(const SearchOptions &saved, SearchResult &result) {
    limits_->options = saved;
    LineReport played;
    PrincipalVariation own;
    if (levelLineCount_ >= 2) {
        const int fixedSeed = settings_.number(STRENGTH_SEED);
        const uint64_t seed = fixedSeed ? uint64_t(fixedSeed) : levelSalt_.load();
        const int i = chooseLine({levelLines_, size_t(levelLineCount_)}, level_.marginCp, seed, board_->key());
        result.bestMove = levelLines_[i].move;
        result.ponderMove = levelLines_[i].ponder;
        result.score = levelLines_[i].score;
        played.depth = levelDepth_;
        played.selDepth = levelSelDepth_;
        played.pv = &levelPvs_[i];
    } else {
        own.moves[0] = result.bestMove;
        own.moves[1] = result.ponderMove;
        own.length = result.ponderMove != NO_MOVE ? 2 : 1;
        played.depth = std::max(result.depth, 1);
        played.pv = &own;
    }
    played.score = result.score;
    if (result.bestMove == NO_MOVE || (shownMove_ == result.bestMove && shownScore_ == result.score)) return;
    played.multiPv = 1;
    showLine(played);
}

std::optional<int64_t> ChessPlayer::setClock(const SearchClock &clock) {
    return timeManager_.setClock(clock, gamePly_, settings_.number(MOVE_OVERHEAD_MS));
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
    const int64_t hardMs = l.hardMs;
    if (hardMs == NO_TIME_LIMIT || timeManager_.searchElapsedMs() < hardMs) return false;
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
    r.elapsedCs = timeManager_.searchElapsedCs();
    r.elapsedMs = timeManager_.searchElapsedMs();
    r.nodes = pool_->totalNodes();
    r.tbHits = pool_->totalTbHits();
    r.pv = &pv;
    shownMove_ = pv.first();
    shownScore_ = r.score;
    listener_->onIteration(r);
}

void ChessPlayer::reportLine(const LineReport &line) {
    if (levelSearch_) {
        // Several lines come after each completed depth, in order from line 1.
        if (line.multiPv <= STRENGTH_LINES && line.bound == ScoreBound::EXACT && line.pv->length) {
            const PrincipalVariation &pv = *line.pv;
            const int i = line.multiPv - 1;
            levelLines_[i] = {pv.moves[0], pv.length > 1 ? pv.moves[1] : NO_MOVE, line.score};
            levelPvs_[i] = pv;
            levelDepth_ = line.depth;
            levelSelDepth_ = line.selDepth;
            levelLineCount_ = line.multiPv;
        }
        if (line.multiPv > shownLines_) return;
    }
    showLine(line);
}

void ChessPlayer::showLine(const LineReport &line) {
    if (levelSearch_) {
        const bool best = line.multiPv == 1 && line.bound == ScoreBound::EXACT;
        shownMove_ = best ? line.pv->first() : NO_MOVE;
        shownScore_ = line.score;
    }
    IterationReport r;
    r.multiPv = line.multiPv;
    r.depth = line.depth;
    r.selDepth = line.selDepth;
    r.score = line.score;
    r.bound = line.bound;
    r.elapsedCs = timeManager_.searchElapsedCs();
    r.elapsedMs = timeManager_.searchElapsedMs();
    r.nodes = pool_->totalNodes();
    r.tbHits = pool_->totalTbHits();
    r.pv = line.pv;
    listener_->onLine(r);
}

void ChessPlayer::reportCurrentMove(int depth, Move m, int number) {
    listener_->onCurrentMove(depth, m, number, timeManager_.searchElapsedCs());
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
    s.elapsedCs = timeManager_.searchElapsedCs();
    s.elapsedMs = timeManager_.searchElapsedMs();
    s.ttFillPercent = tt_ ? tt_->fillPercent() : 0.0;
    s.pawnFillPercent = pawnHash_ ? pawnHash_->fillPercent() : 0.0;
    s.pawnHashHits = pawnHash_ ? pawnHash_->hits() : 0;
    listener_->onSearchFinished(s);
}

void ChessPlayer::reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {
    listener_->onHashCollision(b, m, pseudoLegal);
}
