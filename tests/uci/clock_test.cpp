// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "uci/clock.h"

namespace {

constexpr int64_t BIG = std::numeric_limits<int64_t>::max();
constexpr int64_t INT32_TOP = std::numeric_limits<int32_t>::max();

}  // namespace

TEST(UciClock, WorkedBudgets) {
    struct Case {
        const char *what;
        int64_t time, inc, movesToGo, overhead, budget;
    } cases[] = {
        // 0.9 * (10000 + 31 * 100) / 32 = 368.4
        {"10 s + 0.1 s", 10000, 100, 0, 0, 368},
        {"10 s + 0.1 s, overhead", 10000, 100, 0, 30, 338},
        // 0.9 * (2000 + 31 * 20) / 32 = 73.7, less 30
        {"2 s + 0.02 s", 2000, 20, 0, 30, 43},
        // 0.9 * 300000 / 40, less 30
        {"40 moves in 5 min", 300000, 0, 40, 30, 6720},
        {"negative moves to go is sudden death", 10000, 100, -3, 0, 368},
        // 0.9 * 5000 = 4500 but the clock guard keeps 500 + 100 back
        {"last move of a session", 5000, 0, 1, 0, 4400},
        // 4387 planned from the increments, 1000 - 100 - 100 allowed
        {"large increment, little clock", 1000, 5000, 0, 0, 800},
        // guard 35, less 30 is 5: the floor
        {"nearly gone", 150, 2000, 0, 30, 10},
        {"less than the overhead left", 20, 0, 0, 30, 1},
        {"flag down", 0, 0, 0, 0, 1},
        {"negative clock", -500, -100, 0, -30, 1},
        {"huge values", BIG, BIG, BIG, 0, INT32_TOP},
        // 0.9 * (10000 + 999 * 100) / 1000: no control has more moves than that
        {"huge moves to go", 10000, 100, BIG, 0, 98},
        {"huge overhead", 10000, 100, 0, BIG, 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(clockBudgetMs(c.time, c.inc, c.movesToGo, c.overhead), c.budget) << c.what;
}

TEST(UciClock, MoveTime) {
    EXPECT_EQ(moveTimeBudgetMs(5000, 30), 4970);
    EXPECT_EQ(moveTimeBudgetMs(5000, 0), 5000);
    EXPECT_EQ(moveTimeBudgetMs(5, 30), 10);
    EXPECT_EQ(moveTimeBudgetMs(-100, 0), 10);
    EXPECT_EQ(moveTimeBudgetMs(BIG, 0), INT32_TOP);
}
