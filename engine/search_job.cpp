// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's move: the job of the search threads, with the plan of its clock
// (engine/time_manager.h), and the time-out test and reports the search calls back.
#include "engine/search_job.h"

#include <algorithm>
#include <thread>

#include "board/movegen.h"
#include "book/book.h"
#include "engine/game.h"
#include "engine/hash_tables.h"
#include "engine/settings.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "engine/time_manager.h"

SearchJob::SearchJob(EngineListener *listener, Game &game, HashTables &tables, TimeManager &timeManager,
                     SearchLimits *limits, const SettingValues &settings, EngineTablebases *tablebases)
    : listener_(listener),
      game_(game),
      tables_(tables),
      timeManager_(timeManager),
      limits_(limits),
      settings_(settings),
      tablebases_(tablebases),
      maxThreads_(std::max(1u, std::thread::hardware_concurrency())) {}

// The threads go first: they hold pointers to the book.
SearchJob::~SearchJob() {
    shutdownThreads();
    book_.reset();
}

void SearchJob::buildPool() {
    if (!pool_) pool_ = std::make_unique<ThreadPool>(currentThreads_, &SearchJob::job, this);
}

void SearchJob::shutdownThreads(uint32_t nextThreads) {
    stop();
    pool_.reset();
    currentThreads_ = nextThreads;
}

void SearchJob::start(bool level) {
    // A level searches on one thread: its node budget then gives the same search, and
    // with a seed the same move, every time.
    level_.setActive(level);
    // Every counter starts from zero before any thread wakes: thread 0 reports the sum
    // of all threads' nodes before a helper has begun its own search (and at a level
    // the helpers never begin one), and its node limit reads the same sum.
    helperNodes_ = 0;
    for (uint32_t i = 0; i < pool_->size(); ++i) {
        SearchState &st = (*pool_)[i].state();
        st.stats.reset();
        st.tt = tables_.tt();
        st.eval.pawns = tables_.pawnHash();
        st.limits = limits_;
        st.player = this;
        st.tablebase = tablebases_;
    }
    pool_->wakeAll();
}

bool SearchJob::busy() const { return pool_ && pool_->anyBusy(); }

void SearchJob::stop() {
    if (pool_) pool_->stopAll(true);
}

void SearchJob::job(uint32_t index, void *argument) {
    SearchJob &search = *static_cast<SearchJob *>(argument);
    if (index == 0) search.runThreadZero();
    else search.helperJob((*search.pool_)[index].state());
}

// Helpers search the same position on their own board until thread 0 stops them; their
// result reaches thread 0 only through the shared tables. The copy is taken under the
// game lock: thread 0 may meanwhile test its random move's legality on the game board.
void SearchJob::helperJob(SearchState &st) {
    if (level_.active()) return;
    game_.copyBoard(st.board);
    iterativeDeepening(st, st.board, false);
}

void SearchJob::runThreadZero() {
    const bool timed = timeManager_.beginSearch(game_.gamePly());
    const SearchLimits &l = *limits_;

    SearchResult result;
    Move move = NO_MOVE;
    // A restricted root or a position under study is the caller's question: neither the
    // book nor chance answers it.
    const bool free = l.options.rootMoveCount == 0 && !l.options.analysis;
    const bool quick = free && ((randomGameMode_ && game_.randomMove(move)) ||
                                (timed && settings_.number(OWN_BOOK) && !settings_.number(CHESS960) && bookMove(move)));
    if (quick) {
        result.bestMove = move;
    } else {
        timeManager_.enterRootSearch(game_.gamePly());
        const bool level = level_.active();
        if (level) level_.begin(limits_->options, settings_.number(STRENGTH_ELO));
        Board_BB64 &board = game_.searchBoard();
        result = iterativeDeepening((*pool_)[0].state(), board, false);
        if (level) {
            const auto played = level_.end(limits_->options, result, settings_.number(STRENGTH_SEED), board.key());
            if (played) showLine(*played);
        }
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

void SearchJob::renameBook() {
    std::lock_guard<std::mutex> lock(bookMutex_);
    if (book_) book_->rename(settings_.text(BOOK_FILE).c_str());
}

bool SearchJob::bookMove(Move &move) {
    PolyglotBook *book;
    {
        std::lock_guard<std::mutex> lock(bookMutex_);
        if (!book_) book_ = std::make_unique<PolyglotBook>(settings_.text(BOOK_FILE).c_str());
        book = book_.get();
    }
    // The object lives until the player goes; only its name may change meanwhile.
    const bool found = book->probeBook(game_.board(), move);
    if (book->lastReadError()) listener_->onBookError(book->lastReadError());
    return found;
}

int64_t SearchJob::searchElapsedMs() { return timeManager_.searchElapsedMs(); }

bool SearchJob::timeOut() {
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

// The time and the counts every report of a line carries.
IterationReport SearchJob::progress() const {
    IterationReport r;
    r.elapsedCs = timeManager_.searchElapsedCs();
    r.elapsedMs = timeManager_.searchElapsedMs();
    r.nodes = pool_->totalNodes();
    r.tbHits = pool_->totalTbHits();
    return r;
}

void SearchJob::reportThinking(int depth, int score, const PrincipalVariation &pv) {
    IterationReport r = progress();
    r.depth = depth;
    r.score = score;
    // A root without a legal move is reported with the worst score whatever the
    // reason; unless the side to move is mated it is a stalemate, a draw. The game
    // board stays as it is while thread 0 searches it.
    const Board_BB64 &b = game_.board();
    const bool noMove = depth == 0 && pv.length == 0 && score == -INFINITE_SCORE;
    if (noMove && !isAttackedBy(b, opposite(b.side()), b.kingSquare(b.side()))) r.score = 0;
    r.pv = &pv;
    level_.noteThinking(pv.first(), r.score);
    listener_->onIteration(r);
}

void SearchJob::reportLine(const LineReport &line) {
    if (level_.active() && !level_.takeLine(line)) return;
    showLine(line);
}

void SearchJob::showLine(const LineReport &line) {
    level_.noteShown(line);
    IterationReport r = progress();
    r.multiPv = line.multiPv;
    r.depth = line.depth;
    r.selDepth = line.selDepth;
    r.score = line.score;
    r.bound = line.bound;
    r.pv = line.pv;
    listener_->onLine(r);
}

void SearchJob::reportCurrentMove(int depth, Move m, int number) {
    listener_->onCurrentMove(depth, m, number, timeManager_.searchElapsedCs());
}

void SearchJob::reportStop(StopReason reason, Move best, int plies) { listener_->onStopReason(reason, best, plies); }

void SearchJob::searchFinished() {
    SearchSummary s;
    for (uint32_t i = 0; i < pool_->size(); ++i) s.totals.add((*pool_)[i].state().stats);
    s.elapsedCs = timeManager_.searchElapsedCs();
    s.elapsedMs = timeManager_.searchElapsedMs();
    tables_.addFill(s);
    listener_->onSearchFinished(s);
}

void SearchJob::reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {
    listener_->onHashCollision(b, m, pseudoLegal);
}
