// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// How long to think on one move under UCI clocks, by the same rule as the other face,
// so that both spend their time alike.
#pragma once

#include <cstdint>

// Budget in ms for this move. movesToGo 0 (or less) is sudden death; every input may
// be anything a GUI sends, negative or huge.
int64_t clockBudgetMs(int64_t timeLeftMs, int64_t incMs, int64_t movesToGo, int64_t overheadMs);

// Budget in ms for "go movetime": the time asked for, less the overhead.
int64_t moveTimeBudgetMs(int64_t moveTimeMs, int64_t overheadMs);
