// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's one time manager: how long a search may think on this move. Two kinds of
// clock come in: a time control by sessions, as the XBoard face's "level" and "time"
// give it (centiseconds), and the clock fields of a UCI "go" (milliseconds). Both are
// planned by the same rule: a share of the time on the clock, counting the increments
// still to come, with a guard against spending more than the clock holds.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/listener.h"

// Sudden death plans as if this many moves were still to come.
constexpr int64_t SUDDEN_DEATH_MOVES = 32;
// What the clock guard keeps back on top of a tenth of the clock (ms).
constexpr int64_t CLOCK_RESERVE_MS = 100;

// A time control by sessions: movesPerSession moves (0: the whole game) in
// timePerSession, and increment for every move. Centiseconds.
struct SessionControl {
    int64_t movesPerSession = 0, timePerSession = 0, increment = 0;
};

// The budget of the search at `ply` plies into the game with `elapsed` of engine time
// used so far, and how it came about. The control's values may be anything up to
// INT32_MAX each; the budget is kept within the signed 32-bit range.
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

// The clock fields of a UCI "go", by colour, in milliseconds; a field the command did
// not give stays empty.
struct GoClock {
    std::optional<int64_t> timeLeft[2], increment[2], movesToGo, moveTime;
};

// The budget of a "go" for side `us` (ms), after the overhead the interface and the pipe
// take; nothing when the command gave no clock at all (a search until "stop"). Every
// field may hold anything an interface sends: a clock given only for the other side is
// taken as ours, zero or negative times give a move at once, huge values a long but
// finite search. A fixed move time is spent whole, less the overhead.
std::optional<int64_t> goBudgetMs(const GoClock &clock, int us, int64_t overheadMs);
// The plan for one move under a clock with timeLeftMs, incMs and movesToGo (0 or less:
// sudden death), less the overhead (ms).
int64_t clockBudgetMs(int64_t timeLeftMs, int64_t incMs, int64_t movesToGo, int64_t overheadMs);
// "go movetime": the time asked for, less the overhead (ms).
int64_t moveTimeBudgetMs(int64_t moveTimeMs, int64_t overheadMs);
