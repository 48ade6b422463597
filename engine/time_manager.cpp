// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The time manager's rules and the engine clock; see time_manager.h.
#include "engine/time_manager.h"

#include <algorithm>
#include <climits>

namespace {

// A tenth of what can still be spent stays unspent against a long last search.
constexpr double SPEND_SHARE = 0.9;
// The shortest search a clock allows when it has that much left (ms): a search needs a
// moment to bring back any move at all.
constexpr int64_t FLOOR_MS = 10;
// Thirty years: clamping a UCI clock to this keeps every product below in 64 bits.
constexpr int64_t MAX_CLOCK_MS = int64_t(1) << 40;
// No time control has more moves per session; bounds the increment product too.
constexpr int64_t MAX_MOVES_TO_GO = 1000;
constexpr int64_t MAX_BUDGET_MS = INT32_MAX;

int32_t clampToInt32(int64_t x) { return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)); }

// What one move may spend of `available` with `moves` moves to plan for.
int32_t share(int64_t available, int64_t moves) {
    return clampToInt32(int64_t(double(available) * SPEND_SHARE / double(moves)));
}

// Sessions begun by the current move (1 for a whole-game control, m == 0).
int64_t sessionsStarted(int64_t m, int64_t fullMoveNumber) { return m ? (fullMoveNumber + m - 1) / m : 1; }

// Moves left until the control adds a session's time, counting the current move; a
// whole-game control plans for SUDDEN_DEATH_MOVES more.
int64_t movesToSessionEnd(int64_t m, int64_t fullMoveNumber) {
    return m ? sessionsStarted(m, fullMoveNumber) * m - fullMoveNumber + 1 : SUDDEN_DEATH_MOVES;
}

int64_t clampInput(int64_t v) { return std::clamp<int64_t>(v, 0, MAX_CLOCK_MS); }

// The floor, unless the clock has less than that left: then move at once.
int64_t bounded(int64_t budget, int64_t available) {
    return std::clamp<int64_t>(std::min(std::max(budget, FLOOR_MS), available), 1, MAX_BUDGET_MS);
}

}  // namespace

// The control's values are at most INT32_MAX each and the clock is read as signed, so
// 64 bits hold every sum exactly however long the control; only the budget itself is
// brought back to 32.
BudgetReport sessionBudget(const SessionControl &c, int64_t ply, int64_t elapsed) {
    BudgetReport b;
    b.movesPerSession = c.movesPerSession;
    b.timePerSession = c.timePerSession;
    b.increment = c.increment;
    b.ply = ply;
    b.fullMoveNumber = ply / 2 + 1;
    b.nSessions = sessionsStarted(b.movesPerSession, b.fullMoveNumber);
    b.remainingMoves = movesToSessionEnd(b.movesPerSession, b.fullMoveNumber);
    b.total = b.increment * b.fullMoveNumber + b.nSessions * b.timePerSession;
    b.elapsed = elapsed;
    b.remaining = b.total - b.elapsed;
    b.available = (b.remainingMoves - 1) * b.increment + b.remaining;
    b.maxTime = share(b.available, b.remainingMoves);
    return b;
}

int64_t sessionTimeUsed(const SessionControl &c, int64_t ply, int64_t left) {
    const int64_t fullMoveNumber = ply / 2 + 1;
    return sessionsStarted(c.movesPerSession, fullMoveNumber) * c.timePerSession + fullMoveNumber * c.increment -
           left;
}

std::optional<int32_t> outOfBookBudget(const SessionControl &c, int64_t ply, int32_t budget) {
    const int64_t m = c.movesPerSession;
    if (m != 0 && movesToSessionEnd(m, ply / 2 + 1) < 10) return std::nullopt;
    return int32_t(std::min<int64_t>(int64_t(budget) * 3 / 2, INT32_MAX));
}

std::optional<int64_t> clockGuard(int64_t budget, int64_t clockLeft, int64_t increment, int64_t reserve) {
    if (increment == 0) return std::nullopt;
    const int64_t cap = clockLeft - clockLeft / 10 - reserve;
    if (budget <= cap) return std::nullopt;
    return cap;
}

int64_t clockBudgetMs(int64_t timeLeftMs, int64_t incMs, int64_t movesToGo, int64_t overheadMs) {
    const int64_t time = clampInput(timeLeftMs), inc = clampInput(incMs), overhead = clampInput(overheadMs);
    const int64_t m = movesToGo > 0 ? std::min(movesToGo, MAX_MOVES_TO_GO) : SUDDEN_DEATH_MOVES;
    int64_t budget = share(time + (m - 1) * inc, m);
    if (const auto capped = clockGuard(budget, time, inc, CLOCK_RESERVE_MS)) budget = *capped;
    // The interface and the pipe take their share of every move.
    return bounded(budget - overhead, time - overhead);
}

int64_t moveTimeBudgetMs(int64_t moveTimeMs, int64_t overheadMs) {
    return bounded(clampInput(moveTimeMs) - clampInput(overheadMs), MAX_BUDGET_MS);
}

std::optional<int64_t> clockBudgetMs(const SearchClock &clock, int64_t overheadMs) {
    if (clock.moveTimeMs) return moveTimeBudgetMs(*clock.moveTimeMs, overheadMs);
    if (!clock.timeLeftMs && !clock.incrementMs && !clock.movesToGo) return std::nullopt;
    return clockBudgetMs(clock.timeLeftMs.value_or(0), clock.incrementMs.value_or(0), clock.movesToGo.value_or(0),
                         overheadMs);
}

namespace {

// A control by sessions in centiseconds, within the signed 32-bit range its arithmetic
// was made for (some 248 days: unlimited for any game).
SessionControl sessionControl(const SearchClock &c) {
    auto cs = [](int64_t ms) { return std::clamp<int64_t>(ms / 10, 0, INT32_MAX); };
    return {std::clamp<int64_t>(c.movesPerSession, 0, INT32_MAX), cs(c.sessionMs), cs(c.incrementMs.value_or(0))};
}

}  // namespace

std::optional<int64_t> TimeManager::setClock(const SearchClock &clock, int64_t ply, int64_t overheadMs) {
    limits_->maxDepth = uint32_t(std::max(clock.depth, 0));
    limits_->fixedDepth = clock.depth > 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    clock_ = clock;
    ponderHit_ = false;
    budgetMs_.reset();
    if (!clock.sessions) return budgetMs_ = clockBudgetMs(clock, overheadMs);
    // A reading of the clock: the time used is what the control allowed up to this
    // move minus what is left, read back as signed.
    if (clock.timeLeftMs) {
        const int64_t used = sessionTimeUsed(sessionControl(clock), ply, *clock.timeLeftMs / 10);
        usedCs_ = uint32_t(int32_t(std::clamp<int64_t>(used, INT32_MIN, INT32_MAX)));
        clock_.timeLeftMs.reset();
    }
    return std::nullopt;
}

void TimeManager::newGame() {
    clockRunning_ = false;
    usedCs_ = clockStartCs_ = 0;
    outOfBook_ = false;
}

uint32_t TimeManager::usedCs() const { return usedCs_ + (clockRunning_ ? timestampNow() - clockStartCs_ : 0); }

void TimeManager::pauseClock() {
    if (!clockRunning_) return;
    clockRunning_ = false;
    usedCs_ += timestampNow() - clockStartCs_;
}

void TimeManager::setPlan(int64_t budgetMs, bool exact) {
    limits_->hardMs = budgetMs;
    limits_->softMs = exact ? NO_TIME_LIMIT : budgetMs;
}

void TimeManager::setSessionBudget(int32_t centiseconds) {
    budgetCs_ = centiseconds;
    setPlan(int64_t(centiseconds) * 10, false);
}

bool TimeManager::beginSearch(int64_t ply) {
    if (!clockRunning_) {
        clockStartCs_ = timestampNow();
        clockRunning_ = true;
    }
    searchStartCs_ = usedCs();
    const std::lock_guard<std::mutex> lock(mutex_);
    const SearchClock &c = clock_;
    const bool timed = !c.infinite && (!c.ponder || ponderHit_) && (c.sessions || budgetMs_);
    sessionTimed_ = timed && c.sessions;
    if (sessionTimed_) {
        control_ = sessionControl(c);
        const BudgetReport b = sessionBudget(control_, ply, int32_t(usedCs()));
        listener_->onBudget(b);
        setSessionBudget(b.maxTime);
        clockLeftCs_ = int32_t(std::clamp<int64_t>(b.remaining, INT32_MIN, INT32_MAX));
    } else if (timed) {
        setPlan(*budgetMs_, c.moveTimeMs.has_value());
    } else {
        limits_->softMs = limits_->hardMs = NO_TIME_LIMIT;
    }
    return timed;
}

// The out-of-book bonus is used up by the first search that gets here, timed or not.
void TimeManager::enterRootSearch(int64_t ply) {
    if (!outOfBook_) {
        outOfBook_ = true;
        const auto corrected = sessionTimed_ ? outOfBookBudget(control_, ply, budgetCs_) : std::nullopt;
        if (corrected) {
            setSessionBudget(*corrected);
            listener_->onBudgetChange(BudgetChange::OUT_OF_BOOK, *corrected);
        }
    }
    if (!sessionTimed_) return;
    const auto capped = clockGuard(budgetCs_, clockLeftCs_, control_.increment, CLOCK_RESERVE_MS / 10);
    if (!capped) return;
    setSessionBudget(int32_t(std::max<int64_t>(*capped, INT32_MIN)));
    listener_->onBudgetChange(BudgetChange::CLOCK_GUARD, budgetCs_);
}

void TimeManager::ponderHit() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!clock_.ponder || clock_.infinite || ponderHit_) return;
    ponderHit_ = true;
    if (budgetMs_) setPlan(*budgetMs_, clock_.moveTimeMs.has_value());
}
