// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "uci/clock.h"

#include <algorithm>
#include <limits>

namespace {

// Sudden death plans as if this many moves were still to come.
constexpr int64_t SUDDEN_DEATH_MOVES = 32;
// A search needs a moment to bring back any move at all.
constexpr int64_t FLOOR_MS = 10;
// Thirty years: clamping the inputs to this keeps every product below in 64 bits.
constexpr int64_t MAX_CLOCK_MS = int64_t(1) << 40;
// No time control has more moves per session; bounds the increment product too.
constexpr int64_t MAX_MOVES_TO_GO = 1000;
// The core keeps its budget as signed 32-bit milliseconds.
constexpr int64_t MAX_BUDGET_MS = std::numeric_limits<int32_t>::max();

int64_t clampInput(int64_t v, int64_t hi) { return std::clamp<int64_t>(v, 0, hi); }

// The floor, unless the clock has less than that left: then move at once.
int64_t bounded(int64_t budget, int64_t available) {
    return std::clamp<int64_t>(std::min(std::max(budget, FLOOR_MS), available), 1, MAX_BUDGET_MS);
}

}  // namespace

int64_t clockBudgetMs(int64_t timeLeftMs, int64_t incMs, int64_t movesToGo, int64_t overheadMs) {
    const int64_t time = clampInput(timeLeftMs, MAX_CLOCK_MS), inc = clampInput(incMs, MAX_CLOCK_MS);
    const int64_t overhead = clampInput(overheadMs, MAX_CLOCK_MS);
    const int64_t m = movesToGo > 0 ? std::min(movesToGo, MAX_MOVES_TO_GO) : SUDDEN_DEATH_MOVES;
    // The increments of the moves to come count as time on the clock; a tenth stays
    // unspent against a long last search.
    int64_t budget = (time + (m - 1) * inc) * 9 / (10 * m);
    // A large increment can make that exceed the clock: a tenth of the clock and a
    // tenth of a second stay in reserve.
    budget = std::min(budget, time - time / 10 - 100);
    // The GUI and the pipe take their share of every move.
    budget -= overhead;
    return bounded(budget, time - overhead);
}

int64_t moveTimeBudgetMs(int64_t moveTimeMs, int64_t overheadMs) {
    const int64_t moveTime = clampInput(moveTimeMs, MAX_CLOCK_MS);
    const int64_t overhead = clampInput(overheadMs, MAX_CLOCK_MS);
    return bounded(moveTime - overhead, MAX_BUDGET_MS);
}
