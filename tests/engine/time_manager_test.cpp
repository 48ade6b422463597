// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>

#include "engine/time_manager.h"
#include "tests/test_support.h"

namespace {

constexpr int64_t INT32_TOP = std::numeric_limits<int32_t>::max();

}  // namespace

TEST(TimeManager, ClockAndMoveTimeBudgets) {
    checkTextCases("engine/budgets.txt", [](const std::string &line) {
        std::istringstream in(line);
        std::string kind;
        int64_t a = 0, b = 0, c = 0, d = 0;
        in >> kind >> a >> b >> c >> d;
        return std::to_string(kind == "movetime" ? moveTimeBudgetMs(a, b) : clockBudgetMs(a, b, c, d));
    });
}

// The XBoard face's budgets: 40 moves in 5 minutes and whole-game controls, in
// centiseconds, as its recorded games print them.
TEST(TimeManager, SessionBudgets) {
    const SessionControl forty{40, 30000, 0};
    BudgetReport b = sessionBudget(forty, 0, 0);
    EXPECT_EQ(b.maxTime, 675);
    EXPECT_EQ(b.remainingMoves, 40);
    EXPECT_EQ(outOfBookBudget(forty, 0, b.maxTime), 1012);
    // Move 35 of the first session: fewer than ten moves to the next, no bonus.
    EXPECT_FALSE(outOfBookBudget(forty, 68, 675));
    // Move 41 opens the second session: 60000 in all, 25000 used, 40 moves to plan.
    b = sessionBudget(forty, 80, 25000);
    EXPECT_EQ(b.nSessions, 2);
    EXPECT_EQ(b.remaining, 35000);
    EXPECT_EQ(b.maxTime, 787);
    EXPECT_EQ(sessionTimeUsed(forty, 80, 35000), 25000) << "the clock read back from the time left";

    // A whole game of 1 s + 1 s per move, 1.5 s left at move 2: the plan counts 31
    // increments to come, the guard keeps it within the clock.
    const SessionControl fischer{0, 100, 100};
    b = sessionBudget(fischer, 2, int64_t(100 + 200 - 150));
    EXPECT_EQ(b.remaining, 150);
    EXPECT_EQ(b.maxTime, 91);
    EXPECT_FALSE(clockGuard(b.maxTime, b.remaining, 100, 10));
    EXPECT_EQ(clockGuard(b.maxTime, 50, 100, 10), 35);
    EXPECT_FALSE(clockGuard(b.maxTime, 50, 0, 10)) << "no increment: the plan is within the clock";

    // Over the clock's range: the budget stays a signed 32-bit number.
    EXPECT_EQ(sessionBudget({1, INT32_TOP, INT32_TOP}, 0, 0).maxTime, INT32_TOP);
    EXPECT_LT(sessionBudget(forty, 0, 40000).maxTime, 0) << "flag down: a budget that times out at once";
}

// The plan a clock gives the search: a fixed move time is spent whole (no soft limit),
// a ponder search has none until it is hit, a depth alone is searched until stopped.
TEST(TimeManager, PlansOfAClock) {
    SearchLimits limits;
    TimeManager time(nullptr, &limits);
    SearchClock moveTime;
    moveTime.moveTimeMs = 1000;
    EXPECT_EQ(time.setClock(moveTime, 0, 30), 970);
    EXPECT_TRUE(time.beginSearch(0));
    EXPECT_EQ(limits.hardMs, 970);
    EXPECT_EQ(limits.softMs, NO_TIME_LIMIT);

    SearchClock ponder;
    ponder.timeLeftMs = 10000;
    ponder.incrementMs = 100;
    ponder.ponder = true;
    EXPECT_EQ(time.setClock(ponder, 0, 0), 368);
    EXPECT_FALSE(time.beginSearch(0));
    EXPECT_EQ(limits.hardMs, NO_TIME_LIMIT);
    time.ponderHit();
    EXPECT_EQ(limits.softMs, 368);
    EXPECT_EQ(limits.hardMs, 368);

    SearchClock depth;
    depth.depth = 4;
    EXPECT_FALSE(time.setClock(depth, 0, 0));
    EXPECT_FALSE(time.beginSearch(0));
    EXPECT_TRUE(limits.fixedDepth);
    EXPECT_EQ(limits.hardMs, NO_TIME_LIMIT);
}
