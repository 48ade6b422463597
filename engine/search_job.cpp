// The engine's move: the search job of the first search thread, with the engine's
// clock, the time budget and the time-out test the search polls.
#include <cstdio>

#include "engine/player.h"
#include "engine/search_thread.h"
#include "search/basic_interface.h"

void ChessPlayer::startSearch() {
    searchThread_->start([this] { searchJob(); });
}

bool ChessPlayer::searchBusy() const { return searchThread_->busy(); }

void ChessPlayer::stopSearch() { searchThread_->stop(); }

namespace {

// Sessions begun by the current move (1 for a whole-game level, m == 0).
uint32_t sessionsStarted(uint32_t m, uint32_t fullMoveNumber) { return m ? (fullMoveNumber + m - 1) / m : 1; }

// Moves left until the time control adds a session's time, counting the current
// move; a whole-game level plans for 32 more.
uint32_t movesToSessionEnd(uint32_t m, uint32_t fullMoveNumber) {
    return m ? sessionsStarted(m, fullMoveNumber) * m - fullMoveNumber + 1 : 32;
}

}  // namespace

// Budget of one search from the level and the time used so far (unsigned 32-bit
// arithmetic throughout, as the clock values are).
void ChessPlayer::computeBudget() {
    SearchLimits &l = *limits_;
    const uint32_t used = currentElapsed(l);
    const uint32_t fullMoveNumber = gamePly_ / 2 + 1;
    const uint32_t m = l.movesPerSession;
    const uint32_t nSessions = sessionsStarted(m, fullMoveNumber);
    const uint32_t remainingMoves = movesToSessionEnd(m, fullMoveNumber);
    const uint32_t total = l.increment * fullMoveNumber + nSessions * l.timePerSession;
    const uint32_t remaining = total - used;
    const uint32_t available = (remainingMoves - 1) * l.increment + remaining;
    l.maxTime = uint32_t(int32_t(double(int32_t(available)) * 0.9 / remainingMoves));
    std::printf("# movesPerSession=%u timePerSession=%u increment=%u\n", m, l.timePerSession, l.increment);
    std::printf("# ply=%u fullMoveNumber=%u remainingMoves=%u nSessions=%u\n", gamePly_, fullMoveNumber,
                remainingMoves, nSessions);
    std::printf("# total=%d elapsed=%d remaining=%d available=%d max=%d\n", int32_t(total), int32_t(used),
                int32_t(remaining), int32_t(available), int32_t(l.maxTime));
    std::fflush(stdout);
    std::printf("# set maxTime = %d\n", int32_t(l.maxTime));
}

// Leaving the opening lets the first search of the game think half as long again,
// except close to the end of a session.
void ChessPlayer::applyOutOfBookBonus() {
    if (outOfBook) return;
    outOfBook = true;
    SearchLimits &l = *limits_;
    const uint32_t m = l.movesPerSession;
    const uint32_t fullMoveNumber = gamePly_ / 2 + 1;
    if (m != 0 && movesToSessionEnd(m, fullMoveNumber) < 10) return;
    l.maxTime = uint32_t(int32_t(int32_t(l.maxTime) * 1.5));
    std::printf("# out of book: corrected maxTime = %d\n", int32_t(l.maxTime));
}

void ChessPlayer::searchJob() {
    SearchLimits &l = *limits_;
    l.searchStartElapsed = currentElapsed(l);
    startClock(l);
    if (l.timed) computeBudget();
    applyOutOfBookBonus();
    std::fflush(stdout);

    SearchState &st = searchThread_->state();
    st.tt = tt_.get();
    st.pawnHash = pawnHash_.get();
    st.limits = limits_;
    st.player = this;
    const SearchResult r = iterativeDeepening(st, *board_, false);
    ponderMove = r.ponderMove;
    if (r.bestMove != NO_MOVE) engine_->makeEngineMove(r.bestMove);
    stopClock(l);
}

bool ChessPlayer::timeOut() {
    const SearchLimits &l = *limits_;
    // The node count only rate-limits the clock reads.
    if (searchThread_->state().stats.nodes.load() % 4096 != 0) return false;
    if (!l.timed) return false;
    if (int32_t(currentElapsed(l) - l.searchStartElapsed) < int32_t(l.maxTime)) return false;
    std::printf("# timeout\n");
    std::fflush(stdout);
    return true;
}

// One search thread for now: its own counters are the totals.
void ChessPlayer::reportThinking(int depth, int score, const PrincipalVariation &pv) {
    if (postThinking) printThreadThinking(searchThread_->state(), depth, score, pv);
}

void ChessPlayer::searchFinished() {
    if (postThinking) printThreadStatistics(searchThread_->state());
}
