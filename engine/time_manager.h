// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's one time manager: how long a search may think on this move. Each face
// turns its protocol's fields into one SearchClock (milliseconds) and hands it over;
// the time manager alone turns it into the plan the search's stop rules read (a soft
// and a hard limit in SearchLimits). Two kinds of clock come in: a time control by
// sessions, whose time left the engine reckons itself from its own clock of the time
// it used (the XBoard face's "level" and "time"), and a clock as the interface shows it
// (time left, increment, moves to go, or a fixed time per move: a UCI "go"). Both are
// planned by the same rule: a share of the time on the clock, counting the increments
// still to come, with a guard against spending more than the clock holds.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "engine/listener.h"
#include "search/limits.h"

// Sudden death plans as if this many moves were still to come.
constexpr int64_t SUDDEN_DEATH_MOVES = 32;
// What the clock guard keeps back on top of a tenth of the clock (ms).
constexpr int64_t CLOCK_RESERVE_MS = 100;

// The clock of the searches to come, as a face describes it (ms). A field left empty
// was not given.
struct SearchClock {
    // A time control by sessions: movesPerSession moves (0: the whole game) in
    // sessionMs, and incrementMs for every move. The engine keeps its own clock of the
    // time used; timeLeftMs, when given, is a reading of the clock ("the clock shows
    // this now") that sets it.
    bool sessions = false;
    int64_t movesPerSession = 0, sessionMs = 0;
    // Otherwise the clock as the interface shows it: a plan needs one of time left,
    // increment or moves to go (0 or less: sudden death); a fixed move time rules
    // over them and is spent whole.
    std::optional<int64_t> timeLeftMs, incrementMs, movesToGo, moveTimeMs;
    int depth = 0;  // stop after this depth; 0: none
    // No plan: until stopped. A ponder search waits for ponderHit to take its plan.
    bool infinite = false, ponder = false;
};

// A time control by sessions in the centiseconds its arithmetic counts in.
struct SessionControl {
    int64_t movesPerSession = 0, timePerSession = 0, increment = 0;
};

// The budget of the search at `ply` plies into the game with `elapsed` of engine time
// used so far, and how it came about (centiseconds). The control's values may be
// anything up to INT32_MAX each; the budget is kept within the signed 32-bit range.
BudgetReport sessionBudget(const SessionControl &c, int64_t ply, int64_t elapsed);
// The engine time used by the control's reckoning when the clock shows `left` at `ply`.
int64_t sessionTimeUsed(const SessionControl &c, int64_t ply, int64_t left);
// The first search out of the book may think half as long again, except close to the
// end of a session: the corrected budget, or nothing.
std::optional<int32_t> outOfBookBudget(const SessionControl &c, int64_t ply, int32_t budget);
// With an increment the plan counts time not yet on the clock and can ask for more than
// the clock holds: a tenth of what is left and `reserve` stay unspent. The capped
// budget, or nothing when the budget is within the cap (or there is no increment).
std::optional<int64_t> clockGuard(int64_t budget, int64_t clockLeft, int64_t increment, int64_t reserve);

// The budget of a clock that is not by sessions, after the overhead the interface and
// the pipe take; nothing when it gives no clock at all (a search until stopped). Every
// field may hold anything an interface sends: zero or negative times give a move at
// once, huge values a long but finite search.
std::optional<int64_t> clockBudgetMs(const SearchClock &clock, int64_t overheadMs);
// The plan for one move under a clock with timeLeftMs, incMs and movesToGo (0 or less:
// sudden death), less the overhead (ms).
int64_t clockBudgetMs(int64_t timeLeftMs, int64_t incMs, int64_t movesToGo, int64_t overheadMs);
// A fixed move time: the time asked for, less the overhead (ms).
int64_t moveTimeBudgetMs(int64_t moveTimeMs, int64_t overheadMs);

// The clock of one player: the description a face gave, the engine's own clock of the
// time used (centiseconds, what a control by sessions reckons with) and the plan of the
// current search. The command loop hands a clock over at any time, also during a search
// ("time" and "level" may come while the engine thinks); thread 0 plans each search
// from the clock it finds at the start.
class TimeManager {
public:
    TimeManager(EngineListener *listener, SearchLimits *limits) : listener_(listener), limits_(limits) {}

    // The clock of the searches from now on, at game ply `ply`; a depth takes effect
    // at once. The budget the clock gives by itself, for the face to show; none for a
    // control by sessions, which is planned when the search starts.
    std::optional<int64_t> setClock(const SearchClock &clock, int64_t ply, int64_t overheadMs);
    // A new game: no time used, the clock stopped, the out-of-book bonus to come.
    void newGame();
    // Stops the engine clock (the engine no longer plays).
    void pauseClock();

    // The search was asked for at askedAtMs (steadyMs()): its plan counts from then.
    void markRequest(int64_t askedAtMs) { requestMs_ = askedAtMs; }
    // Thread 0, as the search starts: the engine clock runs and the limits get the
    // plan, reported to the listener for a control by sessions. Whether the search has
    // a plan (false: until stopped, analysis).
    bool beginSearch(int64_t ply);
    // Thread 0: the move is searched for (no book or random move). The first time in a
    // game a control by sessions gives more time; the clock guard caps the plan.
    void enterRootSearch(int64_t ply);
    // Thread 0, the search over: the engine clock stops.
    void endSearch() { pauseClock(); }
    // A ponder search becomes the search of our move: its plan applies from now on,
    // the time since the request counted in. Before the search has started it simply
    // starts with its plan.
    void ponderHit();

    // Milliseconds since the request, and centiseconds on the engine clock since the
    // search started; any thread.
    int64_t searchElapsedMs() const { return steadyMs() - requestMs_; }
    int32_t searchElapsedCs() const { return int32_t(usedCs() - searchStartCs_); }

private:
    uint32_t usedCs() const;
    void setSessionBudget(int32_t centiseconds);
    void setPlan(int64_t budgetMs, bool exact);

    EngineListener *listener_;
    SearchLimits *limits_;
    // The description and whether a ponder search was hit: written by the command loop
    // at any time, read by thread 0 when a search starts.
    std::mutex mutex_;
    SearchClock clock_;
    std::optional<int64_t> budgetMs_;  // of a clock not by sessions
    bool ponderHit_ = false;
    SessionControl control_;  // thread 0's reading of a control by sessions for the current search
    bool sessionTimed_ = false;  // the current search is planned by control_
    // The engine clock: read by every reporting thread, "time" sets it any time.
    Relaxed<bool> clockRunning_ = false;
    Relaxed<uint32_t> usedCs_ = 0;          // used while the clock was last stopped
    Relaxed<uint32_t> clockStartCs_ = 0;    // timestamp of the last clock start
    Relaxed<uint32_t> searchStartCs_ = 0;   // used when the current search began
    Relaxed<int64_t> requestMs_ = 0;
    // Thread 0's state of the current search; outOfBook_ is reset between games.
    bool outOfBook_ = false;
    int32_t budgetCs_ = 0;   // a control by sessions' budget of the current search
    int32_t clockLeftCs_ = 0;  // what its clock held when the budget was made
};
